#include "data/apphome.h"
#include "data/datamodule.h"
#include "support/testdatabase.h"

#include <QFileInfo>
#include <QtTest>

using namespace zu;
using zu::test::TestDatabase;
using zu::test::TestHome;

namespace {

// Records each attempt; fails the first `failures` of them, then lets the real open run.
struct CountingOpener
{
    int failures = 0;
    QList<ConnectionSettings> attempts;
    TfrmData::Opener make()
    {
        return [this](Connection& c) {
            attempts << c.settings();
            if (attempts.size() <= failures)
                return false;
            return c.open();
        };
    }
};

} // namespace

class TestConnection final : public QObject
{
    Q_OBJECT
private slots:
    void embeddedDatabaseConnects()
    {
        TestDatabase db(QStringLiteral("sqlite"), false);
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData module(db.home().path());
        QVERIFY(module.ConnectOK());
        QCOMPARE(module.dialect().kind, DatabaseKind::Embedded);
        QVERIFY(module.reconfigurationQuestion().isEmpty());
        QVERIFY(&data() == &module);
        // Config.ini is not needed for the embedded database.
        QVERIFY(!QFileInfo::exists(db.home().file(QStringLiteral("Config.ini"))));
        Query q(module.conn());
        q.open(QStringLiteral("pragma journal_mode"));
        QCOMPARE(q.value(0).toString().toLower(), QStringLiteral("wal"));
    }

    void missingEmbeddedDatabaseFailsAndIsNotCreated()
    {
        TestHome home;
        {
            TfrmData module(home.path());
            QVERIFY(!module.ConnectOK());
            QVERIFY(module.quitRequested());
            // The program's shell asks it; the data module only reports.
            QCOMPARE(module.reconfigurationQuestion(), QStringLiteral("连接数据库失败,要重新配置数据库吗?"));
        }
        QVERIFY(!QFileInfo::exists(home.file(QLatin1String(kEmbeddedDatabaseFile))));
        QVERIFY(!hasDataModule());
    }

    void splashIsToldOfTheFailure()
    {
        TestHome home;
        QStringList texts;
        // The splash shows the text while the program asks its question.
        TfrmData::Opener opener = [&texts](Connection& c) {
            texts << QStringLiteral("attempt");
            return c.open();
        };
        TfrmData module(home.path(), opener, [&texts](const QString& text) { texts << text; });
        QCOMPARE(texts, (QStringList{QStringLiteral("attempt"), QStringLiteral("连接数据库失败...")}));
        QCOMPARE(module.connectionFailedText(), QStringLiteral("连接数据库失败..."));
    }

    void damagedEmbeddedDatabaseFails()
    {
        TestHome home;
        home.write(QLatin1String(kEmbeddedDatabaseFile),
                   QByteArray("this is not a database file at all").repeated(200));
        TfrmData module(home.path());
        QVERIFY(!module.ConnectOK());
        QCOMPARE(module.reconfigurationQuestion(), QStringLiteral("连接数据库失败,要重新配置数据库吗?"));
    }

    void markerWithoutConfigIniTriesEmptySettingsOnce()
    {
        TestHome home;
        home.write(QStringLiteral("sql.dat"), QByteArray()); // an empty marker counts
        CountingOpener opener;
        opener.failures = 99;
        TfrmData module(home.path(), opener.make());
        QCOMPARE(module.dialect().kind, DatabaseKind::Server);
        QVERIFY(!module.ConnectOK());
        QCOMPARE(module.IsInternet(), -1);
        QCOMPARE(opener.attempts.size(), 1);
        const ConnectionSettings s = opener.attempts.first();
        QVERIFY(s.host.isEmpty() && s.database.isEmpty() && s.user.isEmpty() && s.password.isEmpty());
        QCOMPARE(module.reconfigurationQuestion(), QStringLiteral("连接数据库失败,是否要重新配置数据库?"));
    }

    void secondAttemptOnlyWithIsInternet_data()
    {
        QTest::addColumn<QString>("isInternet");
        QTest::addColumn<int>("attempts");
        QTest::newRow("missing") << QString() << 1;
        QTest::newRow("0") << QStringLiteral("0") << 1;
        QTest::newRow("1") << QStringLiteral("1") << 2;
    }
    void secondAttemptOnlyWithIsInternet()
    {
        QFETCH(QString, isInternet);
        QFETCH(int, attempts);
        TestHome home;
        home.write(QStringLiteral("sql.dat"), "x");
        QByteArray ini = "[DBConn]\nServer=nowhere.invalid\nDatabase=d\n";
        if (!isInternet.isEmpty())
            ini += "[config]\nIsInternet=" + isInternet.toLatin1() + "\n";
        home.write(QStringLiteral("Config.ini"), ini);
        CountingOpener opener;
        opener.failures = 99;
        TfrmData module(home.path(), opener.make());
        QVERIFY(!module.ConnectOK());
        QCOMPARE(opener.attempts.size(), attempts);
        QVERIFY(!module.reconfigurationQuestion().isEmpty());
    }

    void secondAttemptSucceedsAndWritesServerBack()
    {
        TestDatabase db(QStringLiteral("postgres"), false);
        if (db.skipped())
            QSKIP("no PostgreSQL server configured (ZU_TEST_PG)");
        QVERIFY2(db.ok(), qPrintable(db.error()));
        IniFile ini(db.home().file(QStringLiteral("Config.ini")));
        const QString server = ini.readString(QStringLiteral("DBConn"), QStringLiteral("Server"));
        ini.writeInteger(QStringLiteral("config"), QStringLiteral("IsInternet"), 1);
        // Another program's stray spelling of the key must be overwritten, not duplicated.
        ini.writeString(QStringLiteral("dbconn"), QStringLiteral("SERVER"), server);

        CountingOpener opener;
        opener.failures = 1;
        TfrmData module(db.home().path(), opener.make());
        QVERIFY2(module.ConnectOK(), qPrintable(module.conn().lastError()));
        QCOMPARE(opener.attempts.size(), 2);
        QVERIFY(module.reconfigurationQuestion().isEmpty());
        const IniFile after(db.home().file(QStringLiteral("Config.ini")));
        QCOMPARE(after.readString(QStringLiteral("DBConn"), QStringLiteral("Server")), server);
        QCOMPARE(
            QString::fromUtf8(db.home().read(QStringLiteral("Config.ini"))).count(QStringLiteral("erver=")),
            1);
    }

    void serverConnectsWithHostAndPort()
    {
        TestDatabase db(QStringLiteral("postgres"), false);
        if (db.skipped())
            QSKIP("no PostgreSQL server configured (ZU_TEST_PG)");
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData module(db.home().path());
        QVERIFY2(module.ConnectOK(), qPrintable(module.conn().lastError()));
        QCOMPARE(module.dialect().kind, DatabaseKind::Server);
        QVERIFY(module.conn().settings().port > 0);
    }

    void wrongServerPasswordFails()
    {
        TestDatabase db(QStringLiteral("postgres"), false);
        if (db.skipped())
            QSKIP("no PostgreSQL server configured (ZU_TEST_PG)");
        QVERIFY2(db.ok(), qPrintable(db.error()));
        IniFile ini(db.home().file(QStringLiteral("Config.ini")));
        ini.writeString(QStringLiteral("DBConn"), QStringLiteral("Password"), QStringLiteral("wrong'密码"));
        TfrmData module(db.home().path());
        QVERIFY(!module.ConnectOK());
        QVERIFY(module.quitRequested());
        QVERIFY(module.conn().lastError().contains(QStringLiteral("password")));
    }

    void serverSpecSplitsHostAndPort()
    {
        QString host;
        int port = -1;
        ConnectionSettings::splitServer(QStringLiteral("db.example:5433"), &host, &port);
        QCOMPARE(host, QStringLiteral("db.example"));
        QCOMPARE(port, 5433);
        ConnectionSettings::splitServer(QStringLiteral("db.example"), &host, &port);
        QCOMPARE(host, QStringLiteral("db.example"));
        QCOMPARE(port, 0);
        ConnectionSettings::splitServer(QStringLiteral("host:notaport"), &host, &port);
        QCOMPARE(host, QStringLiteral("host:notaport"));
        QCOMPARE(port, 0);
    }

    void reconnectReopensAndClosesDataSets_data() { zu::test::addEngineRows(); }
    void reconnectReopensAndClosesDataSets()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& module = db.dataModule();
        module.qryCustom().open();
        module.reconnect();
        QVERIFY(!module.qryCustom().isOpen());
        QVERIFY(module.conn().isOpen());
        module.qryCustom().open();
        QVERIFY(module.qryCustom().isOpen());
    }

    void homeFolderResolution()
    {
        qputenv("ZU_HOME", "/tmp/from-env");
        QCOMPARE(resolveHomeDir({QStringLiteral("zu"), QStringLiteral("--home"), QStringLiteral("/tmp/x/")}),
                 QStringLiteral("/tmp/x"));
        QCOMPARE(resolveHomeDir({QStringLiteral("zu")}), QStringLiteral("/tmp/from-env"));
        qunsetenv("ZU_HOME");
        QCOMPARE(resolveHomeDir({QStringLiteral("zu")}), QCoreApplication::applicationDirPath());
    }
};

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"
