#include "embeddedbackup.h"

#include "backupnames.h"
#include "data/connection.h"
#include "data/errors.h"
#include "data/errortext.h"
#include "data/query.h"
#include "data/schemainstaller.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <sqlite3.h>

namespace zu {

namespace {

QString checkConnectionName()
{
    static QAtomicInteger<int> n;
    return QStringLiteral("zu-backup-check-%1").arg(n.fetchAndAddRelaxed(1) + 1);
}

QString faultOf(QSqlDatabase& db)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("pragma integrity_check")))
        return sqlErrorText(q.lastError());
    QStringList problems;
    while (q.next())
        problems << q.value(0).toString();
    if (q.lastError().isValid())
        return sqlErrorText(q.lastError());
    if (problems != QStringList{QStringLiteral("ok")})
        return QStringLiteral("数据库文件已损坏：") + problems.mid(0, 3).join(QLatin1Char(' '));

    if (!q.exec(QStringLiteral("select name from sqlite_master where type = 'table'")))
        return sqlErrorText(q.lastError());
    QSet<QString> present;
    while (q.next())
        present.insert(q.value(0).toString().toLower());
    QStringList missing;
    for (const QString& table : SchemaInstaller::tableNames())
        if (!present.contains(table.toLower()))
            missing << table;
    if (!missing.isEmpty())
        return QStringLiteral("不是本系统的数据库，缺少数据表：") + missing.join(QStringLiteral("、"));
    return {};
}

// A connection of SQLite's own, for its online copy (Qt's driver does not offer it).
class SqliteFile final
{
public:
    SqliteFile(const QString& path, int flags)
    {
        const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
        if (rc != SQLITE_OK) {
            const QString why =
                m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
            sqlite3_close_v2(m_db);
            throw DbError(QStringLiteral("无法打开数据库 %1：%2").arg(QDir::toNativeSeparators(path), why));
        }
        sqlite3_busy_timeout(m_db, 10000);
    }
    ~SqliteFile() { sqlite3_close_v2(m_db); }
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;
    sqlite3* handle() const { return m_db; }
    QString error() const { return QString::fromUtf8(sqlite3_errmsg(m_db)); }

private:
    sqlite3* m_db = nullptr;
};

// A failed online copy as the user is told it: what it means, SQLite's own words in brackets.
DbError copyFailure(int rc)
{
    const QString own = databaseTextInBrackets(QString::fromUtf8(sqlite3_errstr(rc)));
    switch (rc & 0xff) {
    case SQLITE_FULL:
        return DbError(QStringLiteral("磁盘空间已满。请清理磁盘空间后再试。") + own, DbFailure::DiskFull);
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return DbError(QStringLiteral("数据库文件不能写入。请检查文件及其文件夹的写入权限。") + own,
                       DbFailure::ReadOnly);
    case SQLITE_IOERR:
        return DbError(QStringLiteral("读写数据库文件时出错。请检查磁盘空间和文件夹的权限后再试。") + own);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return DbError(QStringLiteral("数据库文件已损坏。") + own);
    default:
        return DbError(QStringLiteral("复制数据库时出错。") + own);
    }
}

// SQLite's online copy of one database into another; finishing it before the last step undoes
// everything written into the destination.
class OnlineCopy final
{
public:
    OnlineCopy(const SqliteFile& to, const SqliteFile& from)
    {
        m_copy = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
        if (!m_copy)
            throw DbError(QStringLiteral("复制数据库时出错。") + databaseTextInBrackets(to.error()));
    }
    ~OnlineCopy() { sqlite3_backup_finish(m_copy); }
    OnlineCopy(const OnlineCopy&) = delete;
    OnlineCopy& operator=(const OnlineCopy&) = delete;

    // Copies `pages` pages (-1: all that are left); true when everything is copied.
    bool step(int pages)
    {
        const int rc = sqlite3_backup_step(m_copy, pages);
        if (rc == SQLITE_DONE)
            return true;
        if (rc == SQLITE_OK)
            return false;
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            throw CommandError(QStringLiteral("数据库正忙（其他电脑正在保存数据），请稍后再试。"));
        throw copyFailure(rc);
    }
    void finish()
    {
        const int rc = sqlite3_backup_finish(m_copy);
        m_copy = nullptr;
        if (rc != SQLITE_OK)
            throw copyFailure(rc);
    }

private:
    sqlite3_backup* m_copy = nullptr;
};

void copyWhole(const QString& from, const QString& to)
{
    const SqliteFile source(from, SQLITE_OPEN_READWRITE);
    const SqliteFile target(to, SQLITE_OPEN_READWRITE);
    OnlineCopy copy(target, source);
    while (!copy.step(-1)) {
    }
    copy.finish();
}

} // namespace

BackupWriter embeddedBackupWriter(Connection& connection)
{
    return [&connection](const QString& path) {
        Query(connection).exec(QStringLiteral("vacuum into ?"), {path});
    };
}

void copyEmbeddedDatabase(Connection& connection, const QString& target)
{
    writeBackupReplacing(target, embeddedBackupWriter(connection));
}

QString embeddedDatabaseFault(const QString& file)
{
    const QFileInfo info(file);
    if (!info.isFile())
        return QStringLiteral("文件不存在：%1").arg(file);
    const QString name = checkConnectionName();
    QString fault;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        QUrl url = QUrl::fromLocalFile(info.absoluteFilePath());
        url.setQuery(QStringLiteral("mode=ro"));
        db.setDatabaseName(url.toString(QUrl::FullyEncoded));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY"));
        if (!db.open())
            fault = sqlErrorText(db.lastError());
        else
            fault = faultOf(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return fault;
}

QString restoreEmbeddedDatabase(const QString& live, const QString& source, const QString& safetyFolder,
                                const QDateTime& now, const std::function<void()>& whileLocked)
{
    if (const QString fault = embeddedDatabaseFault(source); !fault.isEmpty())
        throw CommandError(fault);
    QLockFile restoring(restoreLockPath(live));
    restoring.setStaleLockTime(0);
    if (!restoring.tryLock(3000))
        throw CommandError(restoring.error() == QLockFile::LockFailedError
                               ? QStringLiteral("另一台电脑正在恢复这个数据库，请稍后再试。")
                               : QStringLiteral("无法在 %1 旁建立锁文件")
                                     .arg(QDir::toNativeSeparators(QFileInfo(live).absolutePath())));

    const SqliteFile target(live, SQLITE_OPEN_READWRITE);
    const SqliteFile backup(source, SQLITE_OPEN_READONLY);
    OnlineCopy copy(target, backup);
    // The first page takes the database's write lock, held until the copy is finished or undone:
    // from here on no other program's write lands in between.
    if (copy.step(1))
        throw CommandError(QStringLiteral("备份文件不完整：%1").arg(QDir::toNativeSeparators(source)));
    const QString safety =
        writeNewBackup(safetyFolder, safetyCopyName(QLatin1String(kBeforeRestore), now, QString()), now,
                       QStringLiteral(".db"), [&live](const QString& path) { copyWhole(live, path); });
    if (whileLocked)
        whileLocked();
    while (!copy.step(-1)) {
    }
    copy.finish();
    return safety;
}

} // namespace zu
