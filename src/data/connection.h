#pragma once

#include "sqldialect.h"

#include <QSqlDatabase>
#include <QString>

class QSqlError;

namespace zu {

// The database's own text of an error, for the user. A write that waited in vain because another
// program is copying a backup into an embedded database open here says so.
QString sqlErrorText(const QSqlError& error);

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
    // Database server
    QString host;
    int port = 0; // 0 = the server's default
    QString database;
    QString user;
    QString password;

    // "host", "host:port" as kept in Config.ini
    static void splitServer(const QString& server, QString* host, int* port);
};

// The program's one database connection. Each instance has a connection name of its own, so
// several can live side by side (tests, the connection tool).
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

    void begin();
    void commit();
    void rollback();
    // Counts rollbacks: rows read before one may show values that were never committed.
    quint64 rollbackCount() const { return m_rollbacks; }

private:
    bool openEmbedded();
    bool openServer();

    const SqlDialect& m_dialect;
    ConnectionSettings m_settings;
    QString m_name;
    QString m_lastError;
    QString m_openFile; // the embedded database file while open
    quint64 m_rollbacks = 0;
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

} // namespace zu
