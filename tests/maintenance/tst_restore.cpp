#include "data/apphome.h"
#include "data/connection.h"
#include "data/datamodule.h"
#include "data/errors.h"
#include "data/query.h"
#include "data/schemainstaller.h"
#include "maintenance/backupnames.h"
#include "maintenance/databasebackup.h"
#include "maintenance/embeddedbackup.h"
#include "maintenance/serverbackup.h"
#include "support/filesizelimit.h"
#include "support/testdatabase.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSysInfo>
#include <QtTest>

using namespace zu;

namespace {

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 2, 33));

void addCustomer(Connection& c, const QString& name)
{
    Query(c).exec(QStringLiteral("insert into T_Cust (CustName, IDCode) values (?, ?)"), {name, name});
}

QStringList customers(Connection& c)
{
    QStringList names;
    Query q(c);
    q.open(QStringLiteral("select CustName from T_Cust order by CustName"));
    for (; !q.eof(); q.next())
        names << q.value(0).toString();
    return names;
}

QStringList customersIn(const QString& file)
{
    ConnectionSettings s;
    s.filePath = file;
    Connection c(SqlDialect::sqlite(), s);
    if (!c.open())
        return {QStringLiteral("无法打开：") + c.lastError()};
    return customers(c);
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// Another workstation's program on the same database file.
std::unique_ptr<Connection> otherProgram(const QString& file)
{
    ConnectionSettings s;
    s.filePath = file;
    auto c = std::make_unique<Connection>(SqlDialect::sqlite(), s);
    if (!c->open())
        qFatal("%s", qPrintable(c->lastError()));
    // It gives up waiting soon, so that the test need not wait long.
    Query(*c).exec(QStringLiteral("pragma busy_timeout = 200"));
    return c;
}

} // namespace

class TestRestore final : public QObject
{
    Q_OBJECT
private slots:
    void anotherProgramsWritesAreNeverLost()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        Connection& a = db.dataModule().conn();
        const QString live = a.settings().filePath;
        const QString folder = db.home().file(QStringLiteral("Backup"));
        QVERIFY(QDir().mkpath(folder));
        addCustomer(a, QStringLiteral("甲"));
        addCustomer(a, QStringLiteral("乙"));
        const QString backup = QDir(folder).filePath(QStringLiteral("Assets_bak2024-03-05.db"));
        copyEmbeddedDatabase(a, backup);

        std::unique_ptr<Connection> b = otherProgram(live);
        addCustomer(*b, QStringLiteral("丙")); // saved before the restore
        QString refused;
        const QString safety = restoreEmbeddedDatabase(live, backup, folder, kNow, [&] {
            QVERIFY(restoreRunning(live));
            try {
                addCustomer(*b, QStringLiteral("丁")); // saved while it runs: refused, and said why
            } catch (const DbError& e) {
                refused = e.text();
            }
        });
        QCOMPARE(refused, QStringLiteral("数据库正在由另一台电脑恢复，刚才的操作没有保存，请稍后再试。"));
        QVERIFY(!restoreRunning(live));
        QVERIFY(!QFileInfo::exists(restoreLockPath(live)));

        // The backup's data is in place for both programs, still connected.
        QCOMPARE(customers(a), (QStringList{QStringLiteral("乙"), QStringLiteral("甲")}));
        QCOMPARE(customers(*b), (QStringList{QStringLiteral("乙"), QStringLiteral("甲")}));
        // What was saved before the restore is in the safety copy.
        QCOMPARE(QFileInfo(safety).fileName(), QStringLiteral("Assets_before_restore_2024-03-05_140233.db"));
        QCOMPARE(customersIn(safety),
                 (QStringList{QStringLiteral("丙"), QStringLiteral("乙"), QStringLiteral("甲")}));
        // What is saved after it stays.
        addCustomer(*b, QStringLiteral("戊"));
        QCOMPARE(customers(a),
                 (QStringList{QStringLiteral("乙"), QStringLiteral("戊"), QStringLiteral("甲")}));
        Query mode(a);
        mode.open(QStringLiteral("pragma journal_mode"));
        QCOMPARE(mode.value(0).toString(), QStringLiteral("wal"));
        QCOMPARE(embeddedDatabaseFault(live), QString());
        QCOMPARE(filesIn(folder),
                 (QStringList{QStringLiteral("Assets_bak2024-03-05.db"), QFileInfo(safety).fileName()}));
    }

    void oneRestoreAtATime()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        Connection& a = db.dataModule().conn();
        const QString live = a.settings().filePath;
        const QString folder = db.home().path();
        const QString backup = db.home().file(QStringLiteral("b.db"));
        copyEmbeddedDatabase(a, backup);
        addCustomer(a, QStringLiteral("甲"));

        {
            QLockFile running(restoreLockPath(live)); // another program's restore
            QVERIFY(running.tryLock(0));
            QVERIFY(restoreRunning(live));
            try {
                restoreEmbeddedDatabase(live, backup, folder, kNow);
                QFAIL("a second restore ran");
            } catch (const CommandError& e) {
                QCOMPARE(e.text(), QStringLiteral("另一台电脑正在恢复这个数据库，请稍后再试。"));
            }
            QCOMPARE(customers(a), QStringList{QStringLiteral("甲")});
            QVERIFY(filesIn(folder).filter(QLatin1String(kBeforeRestore)).isEmpty());
        }

        // The lock of a program that was killed meanwhile stops nothing.
        auto leaveStaleLock = [&live] {
            QFile stale(restoreLockPath(live));
            QVERIFY(stale.open(QIODevice::WriteOnly));
            stale.write(QStringLiteral("2147483000\n%1\n%2\n")
                            .arg(QCoreApplication::applicationName(), QSysInfo::machineHostName())
                            .toUtf8());
        };
        leaveStaleLock();
        QVERIFY(!restoreRunning(live));
        leaveStaleLock();
        restoreEmbeddedDatabase(live, backup, folder, kNow);
        QCOMPARE(customers(a), QStringList());
    }

    void aBadBackupChangesNothing()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        Connection& a = db.dataModule().conn();
        const QString live = a.settings().filePath;
        addCustomer(a, QStringLiteral("甲"));
        db.home().write(QStringLiteral("text.db"), QByteArray("这不是数据库\n").repeated(500));
        QVERIFY_THROWS_EXCEPTION(
            CommandError,
            restoreEmbeddedDatabase(live, db.home().file(QStringLiteral("text.db")), db.home().path(), kNow));
        QCOMPARE(customers(a), QStringList{QStringLiteral("甲")});
        QVERIFY(filesIn(db.home().path()).filter(QLatin1String(kBeforeRestore)).isEmpty());
        QVERIFY(!QFileInfo::exists(restoreLockPath(live)));
    }

    // With no room for the safety copy nothing is restored, and the user is told why in words of
    // the program, the database's own in brackets.
    void noRoomForTheSafetyCopyChangesNothing()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData& d = db.dataModule();
        const QString folder = db.home().file(QStringLiteral("Backup"));
        QVERIFY(QDir().mkpath(folder));
        addCustomer(d.conn(), QStringLiteral("甲"));
        const QString backup = writeNewBackup(folder, QStringLiteral("backup"), kNow, QStringLiteral(".db"),
                                              databaseBackupWriter(d.conn()));
        Query(d.conn()).exec(QStringLiteral("update T_Cust set CustName = ?"), {QStringLiteral("乙")});
        const QString live = d.conn().settings().filePath;
        const qint64 size = QFileInfo(live).size();
        RestoreOutcome outcome;
        {
            const zu::test::FileSizeLimit full(size / 2);
            QVERIFY(full.isSet());
            outcome = restoreDatabase(d, backup, folder, kNow);
        }
        QVERIFY(!outcome.restored);
        QCOMPARE(
            outcome.failure,
            QStringLiteral("读写数据库文件时出错。请检查磁盘空间和文件夹的权限后再试。（disk I/O error）"));
        QCOMPARE(customers(d.conn()), QStringList{QStringLiteral("乙")});
        QCOMPARE(QFileInfo(live).size(), size);
        QCOMPARE(filesIn(folder), QStringList{QFileInfo(backup).fileName()});
        QVERIFY(!QFileInfo::exists(restoreLockPath(live)));
    }

    void restoreThroughTheDataModule_data() { zu::test::addEngineRows(); }
    void restoreThroughTheDataModule()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        const QString folder = db.home().file(QStringLiteral("Backup"));
        QVERIFY(QDir().mkpath(folder));
        addCustomer(d.conn(), QStringLiteral("甲"));
        addCustomer(d.conn(), QStringLiteral("乙"));
        const QString extension = d.dialect().backupExtension;
        const QString backup =
            writeNewBackup(folder, QStringLiteral("backup"), kNow, extension, databaseBackupWriter(d.conn()));
        QCOMPARE(restoreFault(d.conn(), backup), QString());

        addCustomer(d.conn(), QStringLiteral("丙"));
        Query(d.conn()).exec(QStringLiteral("delete from T_Cust where CustName = ?"), {QStringLiteral("甲")});
        d.qryCustom().open(QStringLiteral("CustName = ?"), {QStringLiteral("乙")});
        QCOMPARE(d.qryCustom().recordCount(), 1);

        const RestoreOutcome outcome = restoreDatabase(d, backup, folder, kNow);
        QVERIFY2(outcome.restored, qPrintable(outcome.failure));
        QCOMPARE(customers(d.conn()), (QStringList{QStringLiteral("乙"), QStringLiteral("甲")}));
        // The open list came back, on the restored data.
        QVERIFY(d.qryCustom().isOpen());
        QCOMPARE(d.qryCustom().recordCount(), 1);
        QCOMPARE(d.qryCustom().fieldText(QStringLiteral("CustName")), QStringLiteral("乙"));
        // The safety copy holds the data of before, and can itself be restored.
        QCOMPARE(QFileInfo(outcome.safetyCopy).fileName(),
                 QStringLiteral("Assets_before_restore_2024-03-05_140233") + extension);
        QCOMPARE(restoreFault(d.conn(), outcome.safetyCopy), QString());
        QVERIFY(restoreDatabase(d, outcome.safetyCopy, folder, kNow.addSecs(1)).restored);
        QCOMPARE(customers(d.conn()), (QStringList{QStringLiteral("丙"), QStringLiteral("乙")}));
        // Written to as usual afterwards.
        addCustomer(d.conn(), QStringLiteral("丁"));
        QCOMPARE(customers(d.conn()).size(), 3);
    }

    void aBackupOfAnEarlierReleaseIsBroughtUpToDate()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData& d = db.dataModule();
        const QString folder = db.home().file(QStringLiteral("Backup"));
        QVERIFY(QDir().mkpath(folder));
        const QString earlier = QDir(folder).filePath(QStringLiteral("Assets_bak2024-01-02.db"));
        QVERIFY(QFile::copy(QFINDTESTDATA("../data/fixtures/release-1.0.db"), earlier));
        QFile(earlier).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(SchemaInstaller(d.conn()).version(), SchemaInstaller::kCurrentVersion);
        QCOMPARE(restoreFault(d.conn(), earlier), QString());

        const RestoreOutcome outcome = restoreDatabase(d, earlier, folder, kNow);
        QVERIFY2(outcome.restored, qPrintable(outcome.failure));
        // Upgraded at once, not only at the next start: the program writes to it as to its own.
        QCOMPARE(SchemaInstaller(d.conn()).version(), SchemaInstaller::kCurrentVersion);
        QCOMPARE(SchemaInstaller(d.conn()).upgrade(), 0);
        const int before = customers(d.conn()).size();
        addCustomer(d.conn(), QStringLiteral("戊"));
        QCOMPARE(customers(d.conn()).size(), before + 1);
    }

    void aForeignFileIsRefused_data() { zu::test::addEngineRows(); }
    void aForeignFileIsRefused()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addCustomer(d.conn(), QStringLiteral("甲"));
        const QString extension = d.dialect().backupExtension;
        db.home().write(QStringLiteral("x") + extension, QByteArray("PGDMP-no\n").repeated(50));
        const QString file = db.home().file(QStringLiteral("x") + extension);
        const QString fault = restoreFault(d.conn(), file);
        QVERIFY2(!fault.isEmpty(), qPrintable(file));
        const RestoreOutcome outcome = restoreDatabase(d, file, db.home().path(), kNow);
        QVERIFY(!outcome.restored);
        QCOMPARE(outcome.failure, fault);
        QCOMPARE(customers(d.conn()), QStringList{QStringLiteral("甲")});
        QVERIFY(filesIn(db.home().path()).filter(QLatin1String(kBeforeRestore)).isEmpty());
        QVERIFY(restoreFault(d.conn(), db.home().file(QStringLiteral("none.bak")))
                    .contains(QStringLiteral("文件不存在")));
    }

    void aServerBackupOfAnotherDatabaseIsRefused()
    {
        zu::test::TestDatabase db(QStringLiteral("postgres"));
        if (db.skipped())
            QSKIP("no PostgreSQL server configured (ZU_TEST_PG)");
        QVERIFY2(db.ok(), qPrintable(db.error()));
        // A dump of a database with one table of its own.
        Query(db.dataModule().conn()).exec(QStringLiteral("create table other_program (id integer)"));
        ConnectionSettings s = db.dataModule().conn().settings();
        const QString dump = db.home().file(QStringLiteral("other.bak"));
        dumpServerDatabase(s, s.database, dump);
        QCOMPARE(serverBackupFault(dump), QString()); // the program's tables are in it too
        for (const QString& table : {QStringLiteral("t_cust"), QStringLiteral("t_user")})
            Query(db.dataModule().conn()).exec(QStringLiteral("drop table %1 cascade").arg(table));
        dumpServerDatabase(s, s.database, dump);
        const QString fault = serverBackupFault(dump);
        QVERIFY2(fault.startsWith(QStringLiteral("不是本系统的数据库备份，缺少数据表：")), qPrintable(fault));
        QVERIFY(fault.contains(QStringLiteral("T_Cust")));
    }
};

QTEST_GUILESS_MAIN(TestRestore)
#include "tst_restore.moc"
