#include "connection.h"

#include "errortext.h"
#include "statementinfo.h"

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

QString notSavedText(bool reopened)
{
    return reopened ? QStringLiteral("与数据库服务器的连接曾经中断，刚才的操作没有完成，修改没有保存。"
                                     "连接已经恢复，请再试一次。")
                    : QStringLiteral("与数据库服务器的连接已中断，刚才的操作没有完成，修改没有保存。"
                                     "请检查网络和数据库服务器，稍后再试。");
}

QString unreachableText()
{
    return QStringLiteral("无法连接数据库服务器，请检查网络和数据库服务器，稍后再试。");
}

} // namespace

QString sqlErrorText(const QSqlError& error)
{
    if (const QString refusal = restoreRefusalText(error); !refusal.isEmpty())
        return refusal;
    const QString db = error.databaseText().trimmed();
    const QString drv = error.driverText().trimmed();
    if (db.isEmpty())
        return drv.isEmpty() ? QStringLiteral("未知的数据库错误") : drv;
    return db;
}

QString restoreRefusalText(const QSqlError& error)
{
    if (!isBusyError(error))
        return {};
    QStringList files;
    {
        OpenFiles& r = openFiles();
        const QMutexLocker lock(&r.mutex);
        files = r.files.keys();
    }
    for (const QString& file : std::as_const(files))
        if (restoreRunning(file))
            return QStringLiteral("数据库正在由另一台电脑恢复，刚才的操作没有保存，请稍后再试。");
    return {};
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
    : m_dialect(dialect), m_settings(std::move(settings)), m_name(nextConnectionName()),
      m_events(std::make_unique<ConnectionEvents>())
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
    db.setConnectOptions(
        QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(qMax(0, m_settings.busyTimeoutMs)));
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
    // The engine keeps 2 MiB of pages by default and copies every page it reads from the file: a
    // million customers' indexes would be read again at every look-up that leaves them. Mapped,
    // the file is read where the system keeps it (up to the engine's limit, 2 GiB here).
    q.exec(QStringLiteral("pragma cache_size=-65536"));
    q.exec(QStringLiteral("pragma mmap_size=2147418112"));
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
    // Compiling a statement costs more than the register's statements take to run.
    q.exec(QStringLiteral("set jit = off"));
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

bool Connection::execute(QSqlQuery& q, const QString& sql, const QVariantList& bindValues) const
{
    q = QSqlQuery(database());
    q.setForwardOnly(m_dialect.forwardOnlyResults);
    // Statements without values run as they are (DDL cannot be prepared on every engine).
    if (bindValues.isEmpty())
        return q.exec(sql);
    if (!q.prepare(sql))
        return false;
    for (const QVariant& v : bindValues)
        q.addBindValue(m_dialect.toDb(v));
    return q.exec();
}

DbError Connection::failure(const QSqlError& error, const QString& sql, const QVariantList& bindValues) const
{
    return DbError(userErrorText(error, m_dialect.kind, database(), sql, bindValues),
                   classifySqlError(error, m_dialect.kind));
}

bool Connection::connectionLost(const QSqlError& error)
{
    if (m_dialect.kind != DatabaseKind::Server)
        return false;
    if (classifySqlError(error, m_dialect.kind) == DbFailure::ConnectionLost)
        return true;
    if (m_inTransaction)
        return false; // a failed statement spoils the transaction: no probe can tell more
    QSqlQuery probe(database());
    return !probe.exec(QStringLiteral("select 1"));
}

bool Connection::reopen()
{
    close();
    const bool ok = open();
    setReachable(ok);
    return ok;
}

void Connection::setReachable(bool reachable)
{
    if (reachable == m_reachable)
        return;
    m_reachable = reachable;
    emit m_events->serverReachableChanged(reachable);
}

QSqlQuery Connection::run(const QString& sql, const QVariantList& bindValues)
{
    const bool server = m_dialect.kind == DatabaseKind::Server;
    if (m_transactionBroken)
        throw DbError(notSavedText(m_reachable), DbFailure::ConnectionLost);
    // The server was gone at the last command: this one tries to reach it once.
    if (server && !m_reachable && !m_inTransaction && !reopen())
        throw DbError(unreachableText() + databaseTextInBrackets(m_lastError), DbFailure::ConnectionLost);
    QSqlQuery q;
    if (execute(q, sql, bindValues))
        return q;
    const QSqlError error = q.lastError();
    if (!connectionLost(error))
        throw failure(error, sql, bindValues);
    q = QSqlQuery();
    const bool reopened = reopen();
    if (m_inTransaction) {
        // The transaction died with the connection: nothing of it was stored.
        m_transactionBroken = true;
        throw DbError(notSavedText(reopened), DbFailure::ConnectionLost);
    }
    if (!isReadOnlyStatement(sql))
        throw DbError(notSavedText(reopened) + databaseTextInBrackets(sqlErrorText(error)),
                      DbFailure::ConnectionLost);
    if (!reopened)
        throw DbError(unreachableText() + databaseTextInBrackets(m_lastError), DbFailure::ConnectionLost);
    if (execute(q, sql, bindValues))
        return q;
    throw failure(q.lastError(), sql, bindValues);
}

void Connection::noteWritten(const QString& table, const QObject* source)
{
    if (table.isEmpty())
        return;
    if (m_inTransaction)
        m_pending.append({table, source});
    else
        tell({{table, source}});
}

void Connection::beginBatch()
{
    if (m_batchDepth++ == 0)
        runBatchSetting(m_dialect.batchBeginStatement);
}

void Connection::endBatch()
{
    if (m_batchDepth == 0 || --m_batchDepth > 0)
        return;
    runBatchSetting(m_dialect.batchEndStatement);
    tell(std::exchange(m_batched, {}));
}

// Only a matter of speed: a setting that cannot be made leaves the writes as they are.
void Connection::runBatchSetting(const QString& statement)
{
    if (statement.isEmpty() || !isOpen())
        return;
    QSqlQuery q(database());
    q.exec(statement);
}

void Connection::tell(const QList<QPair<QString, const QObject*>>& changes)
{
    if (m_batchDepth > 0) {
        m_batched += changes;
        return;
    }
    QList<QPair<QString, const QObject*>> told;
    for (const auto& change : changes) {
        bool seen = false;
        for (const auto& t : std::as_const(told))
            seen = seen ||
                   (t.second == change.second && t.first.compare(change.first, Qt::CaseInsensitive) == 0);
        if (seen)
            continue;
        told.append(change);
        emit m_events->tableChanged(change.first, change.second);
    }
}

void Connection::begin()
{
    const bool server = m_dialect.kind == DatabaseKind::Server;
    if (server && !m_reachable && !reopen())
        throw DbError(unreachableText() + databaseTextInBrackets(m_lastError), DbFailure::ConnectionLost);
    if (!database().transaction()) {
        const QSqlError error = database().lastError();
        // Nothing is written yet: a lost connection is opened again and the transaction begun there.
        const bool again = connectionLost(error) && reopen() && database().transaction();
        if (!again) {
            if (server && !m_reachable)
                throw DbError(unreachableText() + databaseTextInBrackets(m_lastError),
                              DbFailure::ConnectionLost);
            throw failure(error, QStringLiteral("begin"), {});
        }
    }
    m_inTransaction = true;
    m_transactionBroken = false;
    m_pending.clear();
}

void Connection::commit()
{
    if (m_transactionBroken)
        throw DbError(notSavedText(m_reachable), DbFailure::ConnectionLost);
    QSqlDatabase db = database();
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        if (m_dialect.kind == DatabaseKind::Server &&
            classifySqlError(error, m_dialect.kind) == DbFailure::ConnectionLost) {
            m_transactionBroken = true;
            throw DbError(notSavedText(reopen()), DbFailure::ConnectionLost);
        }
        throw failure(error, QStringLiteral("commit"), {});
    }
    m_inTransaction = false;
    tell(std::exchange(m_pending, {}));
}

void Connection::rollback()
{
    database().rollback();
    m_inTransaction = false;
    m_transactionBroken = false;
    ++m_rollbacks;
    // Lists that showed what the transaction wrote read the stored rows again.
    QList<QPair<QString, const QObject*>> undone = std::exchange(m_pending, {});
    for (auto& change : undone)
        change.second = nullptr;
    tell(undone);
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
