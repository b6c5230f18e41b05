#include "connection.h"

#include "errors.h"

#include <QAtomicInteger>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QMutex>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

namespace zu {

namespace {

QString nextConnectionName()
{
    static QAtomicInteger<int> counter;
    return QStringLiteral("zu-connection-%1").arg(counter.fetchAndAddRelaxed(1) + 1);
}

// The embedded database files this program has open, with the number of connections to each.
struct OpenFiles
{
    QMutex mutex;
    QHash<QString, int> files;
};

OpenFiles& openFiles()
{
    static OpenFiles registry;
    return registry;
}

void noteOpenFile(const QString& file, int change)
{
    OpenFiles& r = openFiles();
    const QMutexLocker lock(&r.mutex);
    const int n = r.files.value(file) + change;
    if (n > 0)
        r.files.insert(file, n);
    else
        r.files.remove(file);
}

bool isBusyError(const QSqlError& error)
{
    // SQLITE_BUSY (5) and its extended codes, SQLITE_LOCKED (6)
    const int code = error.nativeErrorCode().toInt();
    return (code & 0xff) == 5 || (code & 0xff) == 6 ||
           error.databaseText().contains(QLatin1String("database is locked"));
}

} // namespace

QString sqlErrorText(const QSqlError& error)
{
    const QString db = error.databaseText().trimmed();
    const QString drv = error.driverText().trimmed();
    if (isBusyError(error)) {
        QStringList files;
        {
            OpenFiles& r = openFiles();
            const QMutexLocker lock(&r.mutex);
            files = r.files.keys();
        }
        for (const QString& file : std::as_const(files))
            if (restoreRunning(file))
                return QStringLiteral("数据库正在由另一台电脑恢复，刚才的操作没有保存，请稍后再试。");
    }
    if (db.isEmpty())
        return drv.isEmpty() ? QStringLiteral("未知的数据库错误") : drv;
    return db;
}

QString restoreLockPath(const QString& databaseFile)
{
    return databaseFile + QStringLiteral(".restoring");
}

bool restoreRunning(const QString& databaseFile)
{
    const QString path = restoreLockPath(databaseFile);
    if (!QFileInfo::exists(path))
        return false;
    QLockFile probe(path);
    probe.setStaleLockTime(0);
    if (probe.tryLock(0)) {
        probe.unlock(); // nobody held it: a lock left by a program that was killed, now gone
        return false;
    }
    return probe.error() == QLockFile::LockFailedError;
}

void ConnectionSettings::splitServer(const QString& server, QString* host, int* port)
{
    const QString s = server.trimmed();
    const int colon = s.lastIndexOf(QLatin1Char(':'));
    bool ok = false;
    const int p = colon > 0 ? s.mid(colon + 1).toInt(&ok) : 0;
    if (ok && p > 0) {
        *host = s.left(colon);
        *port = p;
    } else {
        *host = s;
        *port = 0;
    }
}

Connection::Connection(const SqlDialect& dialect, ConnectionSettings settings)
    : m_dialect(dialect), m_settings(std::move(settings)), m_name(nextConnectionName())
{
    QSqlDatabase::addDatabase(m_dialect.qtDriver, m_name);
}

Connection::~Connection()
{
    close();
    QSqlDatabase::removeDatabase(m_name);
}

void Connection::setSettings(const ConnectionSettings& settings)
{
    m_settings = settings;
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

bool Connection::isOpen() const
{
    return database().isOpen();
}

bool Connection::open()
{
    if (isOpen())
        return true;
    m_lastError.clear();
    return m_dialect.kind == DatabaseKind::Embedded ? openEmbedded() : openServer();
}

bool Connection::openEmbedded()
{
    const QFileInfo file(m_settings.filePath);
    if (!file.isFile() && !m_settings.createIfMissing) {
        m_lastError = QStringLiteral("数据库文件不存在：%1").arg(m_settings.filePath);
        return false;
    }
    QSqlDatabase db = database();
    // mode=rw: open an existing file for reading and writing, never create one.
    QUrl url = QUrl::fromLocalFile(file.absoluteFilePath());
    url.setQuery(m_settings.createIfMissing ? QStringLiteral("mode=rwc") : QStringLiteral("mode=rw"));
    db.setDatabaseName(url.toString(QUrl::FullyEncoded));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        m_lastError = sqlErrorText(db.lastError());
        return false;
    }
    QSqlQuery q(db);
    if (m_settings.createIfMissing) {
        q.exec(QStringLiteral("pragma journal_mode=wal"));
        noteOpenFile(m_openFile = file.absoluteFilePath(), 1);
        return true;
    }
    // A damaged file or a file of another kind fails here, not at the first real statement.
    if (!q.exec(QStringLiteral(
            "select count(*) from sqlite_master where type='table' and lower(name)='t_user'")) ||
        !q.next() || q.value(0).toInt() != 1) {
        m_lastError = q.lastError().isValid()
                          ? sqlErrorText(q.lastError())
                          : QStringLiteral("不是本系统的数据库：%1").arg(m_settings.filePath);
        q.finish();
        db.close();
        return false;
    }
    q.finish();
    q.exec(QStringLiteral("pragma journal_mode=wal"));
    q.exec(QStringLiteral("pragma synchronous=normal"));
    noteOpenFile(m_openFile = file.absoluteFilePath(), 1);
    return true;
}

bool Connection::openServer()
{
    QSqlDatabase db = database();
    db.setHostName(m_settings.host);
    if (m_settings.port > 0)
        db.setPort(m_settings.port);
    db.setDatabaseName(m_settings.database);
    db.setUserName(m_settings.user);
    db.setPassword(m_settings.password);
    db.setConnectOptions(QStringLiteral("connect_timeout=10"));
    if (!db.open()) {
        m_lastError = sqlErrorText(db.lastError());
        return false;
    }
    QSqlQuery q(db);
    q.exec(QStringLiteral("set client_min_messages to warning"));
    return true;
}

void Connection::close()
{
    {
        QSqlDatabase db = database();
        if (db.isOpen())
            db.close();
    }
    if (!m_openFile.isEmpty()) {
        noteOpenFile(m_openFile, -1);
        m_openFile.clear();
    }
}

void Connection::begin()
{
    QSqlDatabase db = database();
    if (!db.transaction())
        throw DbError(sqlErrorText(db.lastError()));
}

void Connection::commit()
{
    QSqlDatabase db = database();
    if (!db.commit())
        throw DbError(sqlErrorText(db.lastError()));
}

void Connection::rollback()
{
    database().rollback();
    ++m_rollbacks;
}

TransactionGuard::TransactionGuard(Connection& connection) : m_connection(connection)
{
    m_connection.begin();
}

TransactionGuard::~TransactionGuard()
{
    if (!m_done)
        m_connection.rollback();
}

void TransactionGuard::commit()
{
    m_connection.commit();
    m_done = true;
}

} // namespace zu
