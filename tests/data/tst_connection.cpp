#include "data/apphome.h"
#include "data/datamodule.h"
#include "data/errors.h"
#include "data/query.h"
#include "support/testdatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
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
    // A new database file that cannot be made leaves the connection closed, with the reason.
    void databaseFileThatCannotBeMadeStaysClosed()
    {
        QTemporaryDir folder;
        ConnectionSettings settings;
        settings.createIfMissing = true;
        settings.filePath = folder.filePath(QStringLiteral("没有的文件夹/Service.db"));
        Connection c(SqlDialect::sqlite(), settings);
        QVERIFY(!c.open());
        QVERIFY(!c.isOpen());
        QVERIFY(!c.lastError().isEmpty());
        QVERIFY(!QFileInfo::exists(settings.filePath));
        QVERIFY(QDir().mkdir(folder.filePath(QStringLiteral("没有的文件夹"))));
        QVERIFY2(c.open(), qPrintable(c.lastError()));
        QVERIFY(c.isOpen());
        QVERIFY(QFileInfo(settings.filePath).isFile());
    }

    // A database of another program (a SQLite file without this system's tables), or a file that
    // is no database at all, is refused when it is opened, not at the first statement.
    void otherFilesAreNotOpened()
    {
        QTemporaryDir folder;
        ConnectionSettings settings;
        settings.filePath = folder.filePath(QStringLiteral("别的.db"));
        {
            ConnectionSettings making = settings;
            making.createIfMissing = true;
            Connection other(SqlDialect::sqlite(), making);
            QVERIFY2(other.open(), qPrintable(other.lastError()));
            Query(other).exec(QStringLiteral("create table T_other (id integer)"));
        }
        Connection c(SqlDialect::sqlite(), settings);
        QVERIFY(!c.open());
        QVERIFY(!c.isOpen());
        QCOMPARE(c.lastError(), QStringLiteral("不是本系统的数据库：%1").arg(settings.filePath));

        // With the table this system keeps its users in, it is one of ours.
        {
            ConnectionSettings making = settings;
            making.createIfMissing = true;
            Connection other(SqlDialect::sqlite(), making);
            QVERIFY(other.open());
            Query(other).exec(QStringLiteral("create table T_User (id integer)"));
        }
        QVERIFY2(c.open(), qPrintable(c.lastError()));
        c.close();

        QFile text(folder.filePath(QStringLiteral("文字.db")));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write(QByteArray("this is not a database file at all").repeated(200));
        text.close();
        settings.filePath = text.fileName();
        Connection damaged(SqlDialect::sqlite(), settings);
        QVERIFY(!damaged.open());
        QVERIFY(!damaged.isOpen());
        QVERIFY(!damaged.lastError().isEmpty());
    }

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
        ZU_OPEN_TEST_DATABASE(db, QStringLiteral("postgres"), false);
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
        ZU_OPEN_TEST_DATABASE(db, QStringLiteral("postgres"), false);
        TfrmData module(db.home().path());
        QVERIFY2(module.ConnectOK(), qPrintable(module.conn().lastError()));
        QCOMPARE(module.dialect().kind, DatabaseKind::Server);
        QVERIFY(module.conn().settings().port > 0);
    }

    void wrongServerPasswordFails()
    {
        ZU_OPEN_TEST_DATABASE(db, QStringLiteral("postgres"), false);
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
        // Run where it was built: the folder of the executable.
        QVERIFY(!isInstalledProgramDir(QCoreApplication::applicationDirPath()));
        QCOMPARE(resolveHomeDir({QStringLiteral("zu")}), QCoreApplication::applicationDirPath());
    }

    void homeOfAnInstalledProgram()
    {
        zu::test::TestHome root;
        root.write(QStringLiteral("usr/share/zu/帮助文件.html"), "<html/>");
        QVERIFY(QDir().mkpath(root.file(QStringLiteral("usr/bin"))));
        QVERIFY(isInstalledProgramDir(root.file(QStringLiteral("usr/bin"))));
        QVERIFY(!isInstalledProgramDir(root.path()));

        HomeSources s;
        s.arguments = {QStringLiteral("zu")};
        s.programDir = root.file(QStringLiteral("usr/bin"));
        s.installed = true;
        s.systemSettings = root.file(QStringLiteral("etc/zu/zu.conf"));
        s.userDataDir = root.file(QStringLiteral("home/li/.local/share/zu"));

        // No system settings file: the user's own folder.
        ProgramHome h = chooseHome(s);
        QCOMPARE(h.dir, s.userDataDir);
        QCOMPARE(h.origin, HomeOrigin::UserData);
        QVERIFY(h.setUpOnStart());
        // A settings file without the key, with the key commented out: the same.
        root.write(QStringLiteral("etc/zu/zu.conf"), "# [zu]\n# Home=/srv/zu\n");
        QCOMPARE(chooseHome(s).dir, s.userDataDir);
        root.write(QStringLiteral("etc/zu/zu.conf"), "[zu]\nHome=  \n");
        QCOMPARE(chooseHome(s).origin, HomeOrigin::UserData);
        // A folder shared by several users.
        root.write(QStringLiteral("etc/zu/zu.conf"), "# shared\n[ZU]\nhome = /srv/zu/\n");
        h = chooseHome(s);
        QCOMPARE(h.dir, QStringLiteral("/srv/zu"));
        QCOMPARE(h.origin, HomeOrigin::Shared);
        QVERIFY(h.setUpOnStart());
        // --home and ZU_HOME still win, and such a folder is taken as it is.
        s.environment = QStringLiteral("/tmp/from-env");
        h = chooseHome(s);
        QCOMPARE(h.dir, QStringLiteral("/tmp/from-env"));
        QCOMPARE(h.origin, HomeOrigin::Named);
        QVERIFY(!h.setUpOnStart());
        s.arguments << QStringLiteral("--home=/tmp/named");
        QCOMPARE(chooseHome(s).dir, QStringLiteral("/tmp/named"));
        // Where it was built, neither the settings file nor the user's folder count.
        s.arguments = {QStringLiteral("zu")};
        s.environment.clear();
        s.installed = false;
        h = chooseHome(s);
        QCOMPARE(h.dir, s.programDir);
        QCOMPARE(h.origin, HomeOrigin::BesideProgram);
        QVERIFY(!h.setUpOnStart());
    }

    void firstStartOfAnInstalledProgram()
    {
        zu::test::TestHome root;
        const ProgramHome user{root.file(QStringLiteral("data/zu")), HomeOrigin::UserData};
        setUpProgramHome(user);
        const QString database = homeFile(user.dir, QLatin1String(kEmbeddedDatabaseFile));
        QVERIFY(QFileInfo(database).size() > 0);
        {
            TfrmData module(user.dir);
            QVERIFY(module.ConnectOK());
            Query(module.conn()).exec(QStringLiteral("insert into T_Cust (CustName) values ('留下')"));
        }
        // The next start finds it and leaves it.
        setUpProgramHome(user);
        {
            TfrmData module(user.dir);
            Query q(module.conn());
            q.open(QStringLiteral("select count(*) from T_Cust where CustName = '留下'"));
            QCOMPARE(q.value(0).toInt(), 1);
        }
        // A folder set to use the database server gets no embedded database.
        root.write(QStringLiteral("server/sql.dat"), QByteArray());
        setUpProgramHome({root.file(QStringLiteral("server")), HomeOrigin::Shared});
        QVERIFY(!QFileInfo::exists(root.file(QStringLiteral("server/Database"))));
        // A folder named on the command line is the user's business.
        setUpProgramHome({root.file(QStringLiteral("named")), HomeOrigin::Named});
        QVERIFY(!QFileInfo::exists(root.file(QStringLiteral("named"))));
        // One that cannot be made is said so.
        root.write(QStringLiteral("file"), "x");
        QVERIFY_THROWS_EXCEPTION(
            CommandError, setUpProgramHome({root.file(QStringLiteral("file/zu")), HomeOrigin::UserData}));
    }
};

QTEST_GUILESS_MAIN(TestConnection)
#include "tst_connection.moc"
