#pragma once

#include "errors.h"
#include "sqldialect.h"

#include <memory>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

class QSqlError;

namespace zu {

// The database's own text of an error.
QString sqlErrorText(const QSqlError& error);
// What the user is told when a write waited in vain because another program is copying a backup
// into an embedded database open here; empty for every other error.
QString restoreRefusalText(const QSqlError& error);

// The lock file that a program holds while it copies a backup into the embedded database file
// `databaseFile`.
QString restoreLockPath(const QString& databaseFile);
// True while a living program holds that lock (one that was killed holds it no longer).
bool restoreRunning(const QString& databaseFile);

struct ConnectionSettings
{
    // Embedded database
    QString filePath;
    bool createIfMissing = false; // only for setting up a new database
    int busyTimeoutMs = 5000;     // how long a write waits for another workstation's write
    // Database server
    QString host;
    int port = 0; // 0 = the server's default
    QString database;
    QString user;
    QString password;

    // "host", "host:port" as kept in Config.ini
    static void splitServer(const QString& server, QString* host, int* port);
};

// What a connection tells the program: which tables a committed write changed, and whether the
// database server can be reached.
class ConnectionEvents final : public QObject
{
    Q_OBJECT
signals:
    // Rows of `table` (as the statement spells it) were written and committed. `source` is the
    // data set that wrote them, which is already up to date; after a rollback the tables the
    // transaction had written are told again with no source, so that every list shows the
    // stored rows.
    void tableChanged(const QString& table, const QObject* source);
    void serverReachableChanged(bool reachable);
};

// The program's one database connection. Each instance has a connection name of its own, so
// several can live side by side (tests, the connection tool).
//
// Every statement runs through run(): it binds the values, turns a failure into a DbError with
// a Chinese text, and, on the database server, opens a lost connection again with the same
// settings, runs a read once more, and reports a write that was cut off as not saved.
class Connection final
{
public:
    Connection(const SqlDialect& dialect, ConnectionSettings settings);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const SqlDialect& dialect() const { return m_dialect; }
    const ConnectionSettings& settings() const { return m_settings; }
    void setSettings(const ConnectionSettings& settings);

    // Opens the connection (nothing happens when it is open). An embedded database file must
    // exist and be a database of this program: opening never creates one.
    bool open();
    void close();
    bool isOpen() const;
    QString lastError() const { return m_lastError; }

    QSqlDatabase database() const;
    QString connectionName() const { return m_name; }

    // Runs one statement; the result is positioned before its first row.
    QSqlQuery run(const QString& sql, const QVariantList& bindValues = {});
    // The DbError for a failure met after run() (walking a result, finishing a write).
    DbError failure(const QSqlError& error, const QString& sql, const QVariantList& bindValues) const;

    // Tells the program that a write to `table` is done (after a transaction's commit, when one
    // is open). Writers call it once the statement has fully succeeded.
    void noteWritten(const QString& table, const QObject* source = nullptr);
    ConnectionEvents& events() const { return *m_events; }
    // Tables written meanwhile are told once, when the last batch ends (a long import). The
    // engine is set for a long run of writes meanwhile.
    void beginBatch();
    void endBatch();

    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }
    // Counts rollbacks: rows read before one may show values that were never committed.
    quint64 rollbackCount() const { return m_rollbacks; }

    // False while the database server cannot be reached (the last attempt to open it failed).
    bool serverReachable() const { return m_reachable; }

private:
    bool openEmbedded();
    bool openServer();
    bool execute(QSqlQuery& q, const QString& sql, const QVariantList& bindValues) const;
    bool connectionLost(const QSqlError& error);
    bool reopen();
    void setReachable(bool reachable);
    void tell(const QList<QPair<QString, const QObject*>>& changes);
    void runBatchSetting(const QString& statement);

    const SqlDialect& m_dialect;
    ConnectionSettings m_settings;
    QString m_name;
    QString m_lastError;
    QString m_openFile; // the embedded database file while open
    quint64 m_rollbacks = 0;
    bool m_inTransaction = false;
    bool m_transactionBroken = false;
    bool m_reachable = true;
    int m_batchDepth = 0;
    QList<QPair<QString, const QObject*>> m_pending; // written in the open transaction
    QList<QPair<QString, const QObject*>> m_batched;
    std::unique_ptr<ConnectionEvents> m_events;
};

// Rolls the transaction back unless commit() was called.
class TransactionGuard final
{
public:
    explicit TransactionGuard(Connection& connection);
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;
    void commit();

private:
    Connection& m_connection;
    bool m_done = false;
};

// Holds the change notices of many writes back until it ends (see Connection::beginBatch).
class ChangeBatch final
{
public:
    explicit ChangeBatch(Connection& connection) : m_connection(connection) { m_connection.beginBatch(); }
    ~ChangeBatch() { m_connection.endBatch(); }
    ChangeBatch(const ChangeBatch&) = delete;
    ChangeBatch& operator=(const ChangeBatch&) = delete;

private:
    Connection& m_connection;
};

} // namespace zu
