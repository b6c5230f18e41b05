#include "testdatabase.h"

#include "data/apphome.h"
#include "data/connection.h"
#include "data/query.h"
#include "data/schemainstaller.h"
#include "users/permissions.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace zu::test {

std::optional<PgServer> PgServer::fromEnvironment()
{
    const QString server = qEnvironmentVariable("ZU_TEST_PG");
    if (server.isEmpty())
        return std::nullopt;
    const QStringList parts = server.split(QLatin1Char(':'));
    PgServer s;
    s.host = parts.value(0);
    s.port = parts.value(1).toInt();
    s.user = parts.value(2);
    s.password = parts.mid(3).join(QLatin1Char(':'));
    return s;
}

ConnectionSettings PgServer::settings(const QString& database) const
{
    ConnectionSettings s;
    s.host = host;
    s.port = port;
    s.database = database;
    s.user = user;
    s.password = password;
    return s;
}

bool postgresRequired()
{
    return qEnvironmentVariable("ZU_REQUIRE_PG") == QLatin1String("1");
}

void addEngineRows()
{
    QTest::addColumn<QString>("engine");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("postgres") << QStringLiteral("postgres");
}

TestHome::TestHome()
{
    Q_ASSERT(m_dir.isValid());
}

QString TestHome::file(const QString& relative) const
{
    return homeFile(path(), relative);
}

void TestHome::write(const QString& relative, const QByteArray& content) const
{
    const QString p = file(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(p));
    f.write(content);
}

void TestHome::useServer(const ConnectionSettings& server) const
{
    write(QStringLiteral("sql.dat"), QByteArray());
    write(QStringLiteral("Config.ini"),
          QStringLiteral("[DBConn]\nServer=%1:%2\nDatabase=%3\nUser=%4\nPassword=%5\n")
              .arg(server.host)
              .arg(server.port)
              .arg(server.database, server.user, server.password)
              .toUtf8());
}

QByteArray TestHome::read(const QString& relative) const
{
    QFile f(file(relative));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

namespace {

QString adminConnectionName()
{
    static QAtomicInteger<int> n;
    return QStringLiteral("zu-test-admin-%1").arg(n.fetchAndAddRelaxed(1));
}

template <typename F> bool withAdminConnection(const PgServer& server, QString* error, F&& body)
{
    const QString name = adminConnectionName();
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(server.host);
        db.setPort(server.port);
        db.setUserName(server.user);
        db.setPassword(server.password);
        db.setDatabaseName(QStringLiteral("postgres"));
        if (!db.open()) {
            if (error)
                *error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            ok = body(q);
            if (!ok && error)
                *error = q.lastError().text();
            q.finish();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace

bool serverAdminExec(const PgServer& server, const QString& sql, QString* error)
{
    return withAdminConnection(server, error, [&](QSqlQuery& q) { return q.exec(sql); });
}

QString createServerDatabase(const PgServer& server, QString* error)
{
    static QAtomicInteger<int> n;
    const QString name =
        QStringLiteral("zu_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(n.fetchAndAddRelaxed(1));
    const bool ok = withAdminConnection(server, error, [&](QSqlQuery& q) {
        return q.exec(QStringLiteral("create database %1 encoding 'UTF8' template template0").arg(name));
    });
    return ok ? name : QString();
}

void dropServerDatabase(const PgServer& server, const QString& name)
{
    withAdminConnection(server, nullptr, [&](QSqlQuery& q) {
        return q.exec(QStringLiteral("drop database if exists %1 with (force)").arg(name));
    });
}

namespace {

// Installing the schema is most of what a fresh database costs. Each test program installs it
// once into a template of each engine and copies that for every case; nothing opens a template
// after it is made.
class SchemaTemplates final
{
public:
    static SchemaTemplates& instance()
    {
        static SchemaTemplates templates;
        return templates;
    }

    void copyEmbeddedTo(const QString& filePath)
    {
        if (m_embedded.isEmpty()) {
            m_dir = std::make_unique<QTemporaryDir>();
            const QString file = m_dir->filePath(QStringLiteral("Service.db"));
            createEmbeddedDatabase(file);
            m_embedded = file;
        }
        if (!QDir().mkpath(QFileInfo(filePath).absolutePath()) || !QFile::copy(m_embedded, filePath))
            throw CommandError(QStringLiteral("cannot copy the template database to ") + filePath);
    }

    // Creates a database with the schema installed; returns its name, or an empty one and the error.
    QString createServerDatabase(const PgServer& server, QString* error)
    {
        if (m_serverTemplate.isEmpty() || !(m_server->host == server.host && m_server->port == server.port)) {
            const QString name = test::createServerDatabase(server, error);
            if (name.isEmpty())
                return {};
            Connection c(SqlDialect::postgres(), server.settings(name));
            if (!c.open()) {
                *error = c.lastError();
                dropServerDatabase(server, name);
                return {};
            }
            try {
                SchemaInstaller(c).install();
            } catch (...) {
                c.close();
                dropServerDatabase(server, name);
                throw;
            }
            c.close();
            dropServerTemplate();
            m_server = server;
            m_serverTemplate = name;
            qAddPostRoutine(&SchemaTemplates::dropAtExit);
        }
        static QAtomicInteger<int> n;
        const QString name = QStringLiteral("%1_%2").arg(m_serverTemplate).arg(n.fetchAndAddRelaxed(1));
        const bool ok = withAdminConnection(server, error, [&](QSqlQuery& q) {
            return q.exec(QStringLiteral("create database %1 template %2").arg(name, m_serverTemplate));
        });
        return ok ? name : QString();
    }

private:
    static void dropAtExit() { instance().dropServerTemplate(); }

    void dropServerTemplate()
    {
        if (m_server && !m_serverTemplate.isEmpty())
            dropServerDatabase(*m_server, m_serverTemplate);
        m_serverTemplate.clear();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_embedded;
    std::optional<PgServer> m_server;
    QString m_serverTemplate;
};

} // namespace

TestDatabase::TestDatabase(const QString& engine, bool withDataModule) : m_engine(engine)
{
    // Nobody is logged in yet: every right granted, whatever an earlier case decided.
    setCurrentPermissions(Permissions());
    try {
        if (isServer()) {
            m_server = PgServer::fromEnvironment();
            if (!m_server) {
                if (postgresRequired())
                    m_error = QStringLiteral("ZU_REQUIRE_PG is set but ZU_TEST_PG names no server");
                else
                    m_skipped = true;
                return;
            }
            m_pgDatabase = SchemaTemplates::instance().createServerDatabase(*m_server, &m_error);
            if (m_pgDatabase.isEmpty())
                return;
            m_home.useServer(m_server->settings(m_pgDatabase));
        } else {
            SchemaTemplates::instance().copyEmbeddedTo(m_home.file(QLatin1String(kEmbeddedDatabaseFile)));
        }
        if (withDataModule)
            openDataModule();
    } catch (const DbError& e) {
        m_error = e.text();
    } catch (const CommandError& e) {
        m_error = e.text();
    }
}

TestDatabase::~TestDatabase()
{
    m_other.reset();
    m_data.reset();
    if (m_server && !m_pgDatabase.isEmpty())
        dropServerDatabase(*m_server, m_pgDatabase);
}

ConnectionSettings TestDatabase::settings() const
{
    if (m_server)
        return m_server->settings(m_pgDatabase);
    ConnectionSettings s;
    s.filePath = m_home.file(QLatin1String(kEmbeddedDatabaseFile));
    return s;
}

const SqlDialect& TestDatabase::dialect() const
{
    return isServer() ? SqlDialect::postgres() : SqlDialect::sqlite();
}

std::unique_ptr<Connection> TestDatabase::connect(const ConnectionSettings& settings) const
{
    auto c = std::make_unique<Connection>(dialect(), settings);
    if (!c->open())
        qFatal("a workstation cannot connect: %s", qPrintable(c->lastError()));
    return c;
}

Connection& TestDatabase::other()
{
    if (!m_other)
        m_other = connect(settings());
    return *m_other;
}

int TestDatabase::otherExec(const QString& sql, const QVariantList& values)
{
    return Query(other()).exec(sql, values);
}

QVariant TestDatabase::otherValue(const QString& sql, const QVariantList& values)
{
    Query q(other());
    q.open(sql, values);
    return q.value(0);
}

void TestDatabase::fillDisk(const QString& table)
{
    if (isServer()) {
        otherExec(
            QStringLiteral("create or replace function zu_full() returns trigger language plpgsql as $$ "
                           "begin raise exception 'could not extend file: No space left on device' "
                           "using errcode = 'disk_full'; end $$"));
        otherExec(QStringLiteral("create constraint trigger zu_full after insert or update on %1 deferrable "
                                 "initially deferred for each row execute function zu_full()")
                      .arg(table));
        return;
    }
    // The limit holds for the program's own connection.
    Query q(dataModule().conn());
    q.open(QStringLiteral("pragma page_count"));
    const int pages = q.value(0).toInt();
    q.open(QStringLiteral("pragma max_page_count = %1").arg(pages));
}

void TestDatabase::diskFreed(const QString& table)
{
    if (isServer()) {
        otherExec(QStringLiteral("drop trigger zu_full on %1").arg(table));
        return;
    }
    Query(dataModule().conn()).open(QStringLiteral("pragma max_page_count = 1073741823"));
}

void TestDatabase::endProgramsConnection()
{
    Query q(dataModule().conn());
    q.open(QStringLiteral("select pg_backend_pid()"));
    const int pid = q.value(0).toInt();
    q.close();
    QVERIFY(otherValue(QStringLiteral("select pg_terminate_backend(?, 10000)"), {pid}).toBool());
}

void TestDatabase::openDataModule()
{
    m_data.reset();
    m_data = std::make_unique<TfrmData>(m_home.path());
    if (!m_data->ConnectOK())
        m_error = QStringLiteral("the data module could not connect: ") + m_data->conn().lastError();
}

void TestDatabase::closeDataModule()
{
    m_data.reset();
}

} // namespace zu::test
