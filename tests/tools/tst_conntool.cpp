#include "conntoolcore.h"
#include "data/inifile.h"
#include "data/query.h"
#include "data/schemainstaller.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

using namespace zu;
using namespace zu::conntool;
using zu::test::TestHome;

namespace {

QString connToolProgram()
{
    return qEnvironmentVariable("ZU_CONNTOOL");
}

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run runConnTool(const QStringList& arguments)
{
    QProcess p;
    p.start(connToolProgram(), arguments);
    Run r;
    if (!p.waitForFinished(120000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    r.err = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
    return r;
}

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

class TestConnTool final : public QObject
{
    Q_OBJECT
private slots:
    void initCreatesOnceAndNeverOverwrites()
    {
        TestHome home;
        const Outcome first = initEmbedded(home.path());
        QVERIFY2(first.ok, qPrintable(first.message));
        const QString file = home.file(QStringLiteral("Database/Service.db"));
        QVERIFY(QFileInfo(file).size() > 0);
        {
            zu::test::ScriptedDialogs dialogs;
            TfrmData module(home.path());
            QVERIFY(module.ConnectOK());
            module.qryCustom().open();
            module.qryCustom().append();
            module.qryCustom().setField(QStringLiteral("CustName"), QStringLiteral("保留"));
            module.qryCustom().post();
        }
        // The report templates came with it; a changed one and the folder's other files stay.
        const QString list = home.file(QStringLiteral("Reports/客户列表.fr3"));
        QVERIFY2(first.message.contains(QStringLiteral("客户列表.fr3")), qPrintable(first.message));
        QCOMPARE(QDir(home.file(QStringLiteral("Reports"))).entryList({QStringLiteral("*.fr3")}).size(), 5);
        home.write(QStringLiteral("Reports/客户列表.fr3"), "<report version=\"1\" name=\"我的\"/>");
        QVERIFY(QFile::remove(home.file(QStringLiteral("Reports/信封标签打印.fr3"))));
        const Outcome again = initEmbedded(home.path());
        QVERIFY(again.ok);
        QVERIFY(again.message.contains(QStringLiteral("已存在")));
        QVERIFY2(again.message.contains(QStringLiteral("信封标签打印.fr3")), qPrintable(again.message));
        QVERIFY2(!again.message.contains(QStringLiteral("客户列表.fr3")), qPrintable(again.message));
        QFile own(list);
        QVERIFY(own.open(QIODevice::ReadOnly));
        QCOMPARE(own.readAll(), QByteArray("<report version=\"1\" name=\"我的\"/>"));
        QVERIFY(QFileInfo::exists(home.file(QStringLiteral("Reports/信封标签打印.fr3"))));
        // Nothing missing: nothing said about templates.
        QVERIFY(!initEmbedded(home.path()).message.contains(QStringLiteral("报表模板")));
        TfrmData module(home.path());
        Query q(module.conn());
        q.open(QStringLiteral("select CustName from T_Cust"));
        QCOMPARE(q.value(0).toString(), QStringLiteral("保留"));
    }

    void checkSaysWhatIsWrong()
    {
        TestHome home;
        Outcome o = check(home.path());
        QVERIFY(!o.ok);
        QVERIFY2(o.message.contains(QStringLiteral("数据库文件不存在")), qPrintable(o.message));

        home.write(QStringLiteral("sql.dat"), QByteArray());
        o = check(home.path());
        QVERIFY(!o.ok);
        QVERIFY2(o.message.contains(QStringLiteral("Config.ini")), qPrintable(o.message));

        QVERIFY(useEmbedded(home.path()).ok);
        QVERIFY(!QFileInfo::exists(home.file(QStringLiteral("sql.dat"))));
        QVERIFY(initEmbedded(home.path()).ok);
        o = check(home.path());
        QVERIFY2(o.ok, qPrintable(o.message));
        QVERIFY(o.message.contains(QStringLiteral("连接正常")));
        o = upgrade(home.path());
        QVERIFY2(o.ok, qPrintable(o.message));
        QVERIFY(o.message.contains(QStringLiteral("无需升级")));
    }

    void upgradeBringsAReleaseDatabaseUpToDate()
    {
        // A database made by the previous release's connection tool.
        TestHome home;
        const QString file = home.file(QStringLiteral("Database/Service.db"));
        QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
        QVERIFY(QFile::copy(QFINDTESTDATA("../data/fixtures/release-1.0.db"), file));
        QFile(file).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        const auto customers = [&file] {
            ConnectionSettings s;
            s.filePath = file;
            Connection c(SqlDialect::sqlite(), s);
            if (!c.open())
                return -1;
            Query q(c);
            q.open(QStringLiteral("select count(*) from T_Cust"));
            return q.value(0).toInt();
        };
        const int before = customers();
        QVERIFY(before > 0);

        Outcome o = check(home.path());
        QVERIFY(!o.ok);
        QVERIFY2(o.message.contains(QStringLiteral("需要升级")), qPrintable(o.message));
        o = upgrade(home.path());
        QVERIFY2(o.ok, qPrintable(o.message));
        QVERIFY2(
            o.message.contains(QStringLiteral("数据库已升级到版本 %1").arg(SchemaInstaller::kCurrentVersion)),
            qPrintable(o.message));
        o = check(home.path());
        QVERIFY2(o.ok, qPrintable(o.message));
        QCOMPARE(customers(), before);
        {
            ConnectionSettings s;
            s.filePath = file;
            Connection c(SqlDialect::sqlite(), s);
            QVERIFY(c.open());
            Query q(c);
            q.open(QStringLiteral("pragma integrity_check"));
            QCOMPARE(q.value(0).toString(), QStringLiteral("ok"));
        }
        QVERIFY(upgrade(home.path()).message.contains(QStringLiteral("无需升级")));
    }

    void serverCreatesSchemaInAnEmptyDatabaseOnly()
    {
        const auto server = zu::test::PgServer::fromEnvironment();
        if (!server) {
            if (zu::test::postgresRequired())
                QFAIL("ZU_REQUIRE_PG is set but no server is configured");
            QSKIP("no PostgreSQL server configured (ZU_TEST_PG)");
        }
        QString error;
        const QString database = zu::test::createServerDatabase(*server, &error);
        QVERIFY2(!database.isEmpty(), qPrintable(error));
        TestHome home;
        const QString address = QStringLiteral("%1:%2").arg(server->host).arg(server->port);

        Outcome o =
            configureServer(home.path(), address, database, server->user, QStringLiteral("wrong"), true);
        QVERIFY(!o.ok);
        QVERIFY(!QFileInfo::exists(home.file(QStringLiteral("sql.dat")))); // nothing written on failure

        o = configureServer(home.path(), address, database, server->user, server->password, true);
        QVERIFY2(o.ok, qPrintable(o.message));
        QVERIFY(o.message.contains(QStringLiteral("已在数据库")));
        QVERIFY(QFileInfo::exists(home.file(QStringLiteral("sql.dat"))));
        const IniFile ini(home.file(QStringLiteral("Config.ini")));
        QCOMPARE(ini.readString(QStringLiteral("DBConn"), QStringLiteral("Server")), address);
        QCOMPARE(ini.readString(QStringLiteral("DBConn"), QStringLiteral("Password")), server->password);
        o = check(home.path());
        QVERIFY2(o.ok, qPrintable(o.message));

        {
            zu::test::ScriptedDialogs dialogs;
            TfrmData module(home.path());
            QVERIFY2(module.ConnectOK(), qPrintable(module.conn().lastError()));
            module.F().exec(QStringLiteral("insert into T_Cust (CustName) values (?)"),
                            {QStringLiteral("已有客户")});
        }
        o = configureServer(home.path(), address, database, server->user, server->password, true);
        QVERIFY2(o.ok, qPrintable(o.message));
        QVERIFY2(o.message.contains(QStringLiteral("已有数据")), qPrintable(o.message));
        {
            zu::test::ScriptedDialogs dialogs;
            TfrmData module(home.path());
            module.F().open(QStringLiteral("select count(*) from T_Cust"));
            QCOMPARE(module.F().value(0).toInt(), 1);
        }
        zu::test::dropServerDatabase(*server, database);
    }

    void commandLine()
    {
        QVERIFY2(QFileInfo::exists(connToolProgram()), qPrintable(connToolProgram()));
        TestHome home;
        QProcess p;
        p.start(connToolProgram(), {QStringLiteral("init"), QStringLiteral("--home"), home.path()});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(QFileInfo::exists(home.file(QStringLiteral("Database/Service.db"))));
        QVERIFY(QFileInfo::exists(home.file(QStringLiteral("Reports/客户销售记录派工单.fr3"))));

        p.start(connToolProgram(), {QStringLiteral("check"), QStringLiteral("--home"), home.path()});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(QString::fromLocal8Bit(p.readAllStandardOutput()).contains(QStringLiteral("连接正常")));

        p.start(connToolProgram(), {QStringLiteral("frobnicate")});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 2);

        p.start(connToolProgram(), {QStringLiteral("server"), QStringLiteral("--home"), home.path()});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 1);
        QVERIFY(!QFileInfo::exists(home.file(QStringLiteral("sql.dat"))));
    }

    void backupForAScheduledJob_data() { zu::test::addEngineRows(); }
    void backupForAScheduledJob()
    {
        ZU_TEST_DATABASE(db);
        db.closeDataModule();
        const QString home = db.home().path();
        const QString extension = db.isServer() ? QStringLiteral(".bak") : QStringLiteral(".db");
        const QString folder = db.home().file(QStringLiteral("Backup"));

        // Into the backup folder as the day's automatic backup, then a second one beside it. The
        // tool reads the clock itself: the day is the one the run began or ended on.
        const auto dayBackup = [&](const QString& day) {
            return QDir(folder).filePath(QStringLiteral("Assets_auto") + day + extension);
        };
        const auto written = [](const QString& file) {
            return QStringLiteral("备份已写入：") + QDir::toNativeSeparators(file);
        };
        QString day = today();
        Run r = runConnTool({QStringLiteral("backup"), QStringLiteral("--home"), home});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        if (r.out != written(dayBackup(day)))
            day = today();
        const QString first = dayBackup(day);
        QCOMPARE(r.out, written(first));
        QVERIFY(QFileInfo(first).size() > 1000);
        const QDateTime firstWritten = QFileInfo(first).lastModified();
        const QString secondBegan = today();
        r = runConnTool({QStringLiteral("backup"), QStringLiteral("--home"), home});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QStringList files = QDir(folder).entryList({QLatin1Char('*') + extension}, QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 2);
        // On the same day it gets a name of its own; on the next, that day's name.
        const bool sameDay = secondBegan == day && today() == day;
        QVERIFY2(files.at(1).startsWith(QStringLiteral("Assets_auto") + day + QLatin1Char('_')) ||
                     (!sameDay && files.at(1) == QFileInfo(dayBackup(today())).fileName()),
                 qPrintable(files.join(QLatin1Char(' '))));
        QCOMPARE(QFileInfo(first).lastModified(), firstWritten);
        QVERIFY(r.out.contains(files.at(1)));

        // Into a file named by the job, replacing the job's earlier one.
        const QString named = db.home().file(QStringLiteral("nightly") + extension);
        db.home().write(QStringLiteral("nightly") + extension, "yesterday");
        r = runConnTool(
            {QStringLiteral("backup"), QStringLiteral("--to"), named, QStringLiteral("--home"), home});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, QStringLiteral("备份已写入：") + QDir::toNativeSeparators(named));
        QVERIFY(QFileInfo(named).size() > 1000);

        // Failing targets: a folder that is not there, a folder in the file's place. Non-zero, the
        // reason on the error output, nothing else changed.
        const QString missing = db.home().file(QStringLiteral("no-such-folder/x") + extension);
        r = runConnTool(
            {QStringLiteral("backup"), QStringLiteral("--to"), missing, QStringLiteral("--home"), home});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.startsWith(QStringLiteral("无法写入文件夹")), qPrintable(r.err));
        QVERIFY2(r.err.contains(QStringLiteral("no-such-folder")), qPrintable(r.err));
        QVERIFY(QDir().mkpath(db.home().file(QStringLiteral("a-folder"))));
        r = runConnTool({QStringLiteral("backup"), QStringLiteral("--to"),
                         db.home().file(QStringLiteral("a-folder")), QStringLiteral("--home"), home});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith(QStringLiteral("无法写入文件")) &&
                     r.err.contains(QStringLiteral("a-folder")),
                 qPrintable(r.err));
        QVERIFY(QFileInfo(db.home().file(QStringLiteral("a-folder"))).isDir());
        QCOMPARE(QDir(db.home().file(QStringLiteral("a-folder")))
                     .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
        QCOMPARE(
            QDir(db.home().path()).entryList({QStringLiteral(".zu-backup-*")}, QDir::Files | QDir::Hidden),
            QStringList());

        // A database that cannot be reached: the engine's own words.
        if (db.isServer()) {
            IniFile ini(db.home().file(QStringLiteral("Config.ini")));
            ini.writeString(QStringLiteral("DBConn"), QStringLiteral("Database"),
                            QStringLiteral("no_such_db"));
            r = runConnTool({QStringLiteral("backup"), QStringLiteral("--home"), home});
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.startsWith(QStringLiteral("pg_dump")) &&
                         r.err.contains(QStringLiteral("no_such_db")),
                     qPrintable(r.err));
        } else {
            QVERIFY(QFile::remove(db.home().file(QStringLiteral("Database/Service.db"))));
            r = runConnTool({QStringLiteral("backup"), QStringLiteral("--home"), home});
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.contains(QStringLiteral("数据库文件不存在")), qPrintable(r.err));
        }
        files = QDir(folder).entryList({QLatin1Char('*') + extension}, QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestConnTool)
#include "tst_conntool.moc"
