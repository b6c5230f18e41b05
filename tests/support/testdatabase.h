#pragma once

#include "data/datamodule.h"
#include "data/errors.h"

#include <memory>
#include <optional>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

namespace zu::test {

// The PostgreSQL server the tests may use, from ZU_TEST_PG="host:port:user:password".
struct PgServer
{
    QString host;
    int port = 5432;
    QString user;
    QString password;
    static std::optional<PgServer> fromEnvironment();
    // The settings of a connection to one of its databases.
    ConnectionSettings settings(const QString& database) const;
};

// True when the suite must run against PostgreSQL (ZU_REQUIRE_PG=1): a missing server fails.
bool postgresRequired();

// Adds the column "engine" with one row per database engine.
void addEngineRows();

// A program folder in a temporary directory.
class TestHome final
{
public:
    TestHome();
    QString path() const { return m_dir.path(); }
    QString file(const QString& relative) const;
    void write(const QString& relative, const QByteArray& content) const;
    QByteArray read(const QString& relative) const;
    // Makes the program folder use a server database, as the connection tool records it.
    void useServer(const ConnectionSettings& server) const;

private:
    QTemporaryDir m_dir;
};

// A fresh database of one engine with schema and content, in a fresh program folder, and a data
// module connected to it. The server database is dropped again at the end.
class TestDatabase final
{
public:
    explicit TestDatabase(const QString& engine, bool withDataModule = true);
    ~TestDatabase();

    bool skipped() const { return m_skipped; }
    bool ok() const { return m_error.isEmpty() && !m_skipped; }
    QString error() const { return m_error; }
    QString engine() const { return m_engine; }
    bool isServer() const { return m_engine == QLatin1String("postgres"); }

    TestHome& home() { return m_home; }
    TfrmData& dataModule() { return *m_data; }
    void openDataModule();
    void closeDataModule();

    QString serverDatabaseName() const { return m_pgDatabase; }
    std::optional<PgServer> server() const { return m_server; }

    // The settings the data module connects with.
    ConnectionSettings settings() const;
    // The engine's dialect.
    const SqlDialect& dialect() const;
    // A workstation connected with these settings (the database's, as a test changed them).
    std::unique_ptr<Connection> connect(const ConnectionSettings& settings) const;
    // Another workstation: a second connection of its own to the same database (opened on first
    // use, kept until the database goes).
    Connection& other();
    // Runs a statement on the other workstation; returns the rows it changed.
    int otherExec(const QString& sql, const QVariantList& values = {});
    // The first column of the first row of a select on the other workstation.
    QVariant otherValue(const QString& sql, const QVariantList& values = {});

    // The disk fills up: the server refuses every commit that writes `table`; the embedded
    // database cannot grow (a row that needs pages of its own fails). Until diskFreed().
    void fillDisk(const QString& table);
    void diskFreed(const QString& table);
    // The server ends the data module's connection, as a server restart or a network drop does.
    void endProgramsConnection();

private:
    QString m_engine;
    TestHome m_home;
    std::optional<PgServer> m_server;
    QString m_pgDatabase;
    std::unique_ptr<TfrmData> m_data;
    std::unique_ptr<Connection> m_other;
    QString m_error;
    bool m_skipped = false;
};

// Runs one statement on the server's maintenance database (create, alter or drop a database).
bool serverAdminExec(const PgServer& server, const QString& sql, QString* error = nullptr);

// Creates an empty database on the test server and returns its name; dropDatabase removes it.
QString createServerDatabase(const PgServer& server, QString* error);
void dropServerDatabase(const PgServer& server, const QString& name);

// The failure of a command, or Other with an empty text when it succeeds.
template <typename F> DbError failureOf(F&& command)
{
    try {
        command();
    } catch (const DbError& e) {
        return e;
    }
    return DbError(QString(), DbFailure::Other);
}

} // namespace zu::test

// Opens a fresh database of an engine as `db`, with the data module connected to it or not,
// skipping or failing the test as configured.
#define ZU_OPEN_TEST_DATABASE(db, engine, withDataModule)                                                    \
    zu::test::TestDatabase db(engine, withDataModule);                                                       \
    if (db.skipped())                                                                                        \
        QSKIP("no PostgreSQL server configured (ZU_TEST_PG)");                                               \
    QVERIFY2(db.ok(), qPrintable(db.error()))

// Opens a fresh database of the row's engine as `db`, with the data module connected to it.
#define ZU_TEST_DATABASE(db)                                                                                 \
    QFETCH(QString, engine);                                                                                 \
    ZU_OPEN_TEST_DATABASE(db, engine, true)
