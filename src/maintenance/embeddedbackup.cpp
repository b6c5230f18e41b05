#include "embeddedbackup.h"

#include "backupnames.h"
#include "data/connection.h"
#include "data/errors.h"
#include "data/query.h"
#include "data/routines.h"
#include "data/schemainstaller.h"

#include <QAtomicInteger>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <QUrl>

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

} // namespace

void copyEmbeddedDatabase(Connection& connection, const QString& target)
{
    const QFileInfo info(target);
    // VACUUM INTO writes only a file that does not exist: a fresh name beside the target.
    QString partial;
    {
        QTemporaryFile reserve(info.absolutePath() + QStringLiteral("/.zu-backup-XXXXXX"));
        if (!reserve.open())
            throw CommandError(
                QStringLiteral("无法写入文件夹 %1：%2").arg(info.absolutePath(), reserve.errorString()));
        partial = reserve.fileName();
    }
    QFile::remove(partial);
    try {
        Query(connection).exec(QStringLiteral("vacuum into ?"), {partial});
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    putBackupInPlace(partial, target);
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

void replaceDatabaseFile(const QString& source, const QString& live)
{
    CopyFile(source, live);
    // A log left beside the file belongs to the old database and would be replayed into the new.
    for (const char* suffix : {"-wal", "-shm", "-journal"})
        QFile::remove(live + QLatin1String(suffix));
}

} // namespace zu
