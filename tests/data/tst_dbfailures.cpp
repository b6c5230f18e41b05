#include "data/apphome.h"
#include "data/dataset.h"
#include "data/query.h"
#include "data/schemainstaller.h"
#include "data/writerecord.h"
#include "support/records.h"
#include "support/testdatabase.h"

#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSqlRecord>
#include <QtTest>

using namespace zu;
using zu::test::failureOf;
using zu::test::TestDatabase;
using zu::test::TestHome;

namespace {

QVariantMap customer(const QString& name, const QString& code)
{
    return {{QStringLiteral("CustName"), name}, {QStringLiteral("IDCode"), code}};
}

// The program's connection to the server is ended, as a server restart or a network drop ends it.
// Row counts of every table of the program, through a connection of its own.
QMap<QString, int> rowCounts(Connection& c)
{
    QMap<QString, int> counts;
    Query q(c);
    for (const QString& table : SchemaInstaller::tableNames()) {
        q.open(QStringLiteral("select count(*) from %1").arg(table));
        counts.insert(table, q.value(0).toInt());
    }
    return counts;
}

QStringList columnsOf(Connection& c, const QString& table)
{
    const QSqlRecord r = c.database().record(c.dialect().foldsNamesToLower ? table.toLower() : table);
    QStringList names;
    for (int i = 0; i < r.count(); ++i)
        names << r.fieldName(i).toLower();
    return names;
}

bool setImmutable(const QString& file, bool on)
{
    return QProcess::execute(QStringLiteral("chattr"),
                             {on ? QStringLiteral("+i") : QStringLiteral("-i"), file}) == 0;
}

} // namespace

class TestDbFailures final : public QObject
{
    Q_OBJECT
private slots:
    void duplicateNamesTheFieldAndValue_data() { zu::test::addEngineRows(); }
    void duplicateNamesTheFieldAndValue()
    {
        ZU_TEST_DATABASE(db);
        DataSet& customers = db.dataModule().qryCustom();
        customers.open();
        writeRecord(customers, customer(QStringLiteral("张三"), QStringLiteral("K1")), true);
        const DbError e = failureOf(
            [&] { writeRecord(customers, customer(QStringLiteral("李四"), QStringLiteral("K1")), true); });
        QCOMPARE(e.failure(), DbFailure::Duplicate);
        QVERIFY2(e.text().startsWith(QStringLiteral("“客户编号”为“K1”的记录已经存在，不能重复。（")),
                 qPrintable(e.text()));
        QCOMPARE(customers.recordCount(), 1);
    }

    void tooLongNamesTheField()
    {
        TestDatabase db(QStringLiteral("postgres"));
        if (db.skipped())
            QSKIP("no PostgreSQL server configured (ZU_TEST_PG)");
        QVERIFY2(db.ok(), qPrintable(db.error()));
        DataSet& services = db.dataModule().qryservice();
        services.open();
        // A statement of the program's that the server refuses as too long (a data set refuses
        // such a value itself, before the server sees it).
        const DbError e = failureOf([&] {
            Query(db.dataModule().conn())
                .exec(QStringLiteral("insert into T_service (CustCode, Remark) values (?, ?)"),
                      {QString(60, QLatin1Char('9')), QStringLiteral("备注")});
        });
        QCOMPARE(e.failure(), DbFailure::TooLong);
        QVERIFY2(e.text().startsWith(
                     QStringLiteral("“客户编号”的内容太长（最多 50 个字，现有 60 个字），没有保存。")),
                 qPrintable(e.text()));
        QVERIFY2(e.text().contains(QStringLiteral("value too long")), qPrintable(e.text()));
        // A value just at its limit is not the one named: the one past its own limit is.
        const DbError second = failureOf([&] {
            Query(db.dataModule().conn())
                .exec(QStringLiteral("insert into T_service (CustCode, CustName) values (?, ?)"),
                      {QString(50, QLatin1Char('9')), QString(256, QChar(0x5F20))});
        });
        QCOMPARE(second.failure(), DbFailure::TooLong);
        QVERIFY2(
            second.text().contains(QStringLiteral("的内容太长（最多 255 个字，现有 256 个字），没有保存。")),
            qPrintable(second.text()));
        QVERIFY2(!second.text().contains(QStringLiteral("客户编号")), qPrintable(second.text()));
        QVERIFY_THROWS_EXCEPTION(
            CommandError,
            writeRecord(services, {{QStringLiteral("CustCode"), QString(60, QLatin1Char('9'))}}, true));
        QCOMPARE(services.recordCount(), 0);
        // At the limit it is stored.
        writeRecord(services, {{QStringLiteral("CustCode"), QString(50, QLatin1Char('9'))}}, true);
        QCOMPARE(services.recordCount(), 1);
    }

    void lockedDatabaseSaysSo_data() { zu::test::addEngineRows(); }
    void lockedDatabaseSaysSo()
    {
        ZU_TEST_DATABASE(db);
        zu::test::addCustomer(QStringLiteral("张三"), QStringLiteral("K1"));
        ConnectionSettings s = db.settings();
        s.busyTimeoutMs = 50;
        std::unique_ptr<Connection> waiting = db.connect(s);
        Query w(*waiting);
        if (db.isServer())
            w.exec(QStringLiteral("set lock_timeout = '50ms'"));
        // The other workstation is in the middle of changing the customer.
        Connection& other = db.other();
        TransactionGuard busy(other);
        Query(other).exec(QStringLiteral("update T_Cust set Address = ? where IDCode = ?"),
                          {QStringLiteral("别人"), QStringLiteral("K1")});
        const DbError e = failureOf([&] {
            w.exec(QStringLiteral("update T_Cust set Address = ? where IDCode = ?"),
                   {QStringLiteral("我"), QStringLiteral("K1")});
        });
        QCOMPARE(e.failure(), DbFailure::Locked);
        QVERIFY2(
            e.text().startsWith(QStringLiteral("数据库正被其他工作站占用，操作没有完成，请稍后再试。（")),
            qPrintable(e.text()));
    }

    void readOnlyDatabaseIsSaidAtStart_data() { zu::test::addEngineRows(); }
    void readOnlyDatabaseIsSaidAtStart()
    {
        QFETCH(QString, engine);
        ZU_OPEN_TEST_DATABASE(db, engine, false);
        const QString file = db.home().file(QLatin1String(kEmbeddedDatabaseFile));
        if (db.isServer()) {
            QVERIFY(zu::test::serverAdminExec(
                *db.server(), QStringLiteral("alter database %1 set default_transaction_read_only = on")
                                  .arg(db.serverDatabaseName())));
        } else if (!setImmutable(file, true)) {
            QSKIP("the file system cannot make the database file read-only for this user (chattr)");
        }
        const auto writable = qScopeGuard([&] {
            if (!db.isServer())
                setImmutable(file, false);
        });
        db.openDataModule();
        TfrmData& d = db.dataModule();
        QVERIFY(d.ConnectOK());
        QVERIFY2(d.startupWarning().startsWith(
                     QStringLiteral("数据库是只读的，可以查看数据，但不能保存任何修改。")),
                 qPrintable(d.startupWarning()));
        DataSet& customers = d.qryCustom();
        customers.open();
        const DbError e = failureOf(
            [&] { writeRecord(customers, customer(QStringLiteral("张三"), QStringLiteral("K1")), true); });
        QCOMPARE(e.failure(), DbFailure::ReadOnly);
        QVERIFY2(e.text().startsWith(QStringLiteral("数据库是只读的，数据没有保存。")), qPrintable(e.text()));
        QCOMPARE(customers.recordCount(), 0);
    }

    void writableDatabaseHasNoWarning_data() { zu::test::addEngineRows(); }
    void writableDatabaseHasNoWarning()
    {
        ZU_TEST_DATABASE(db);
        QCOMPARE(db.dataModule().startupWarning(), QString());
    }

    void lostServerConnectionComesBack()
    {
        TestDatabase db(QStringLiteral("postgres"));
        if (db.skipped())
            QSKIP("no PostgreSQL server configured (ZU_TEST_PG)");
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData& d = db.dataModule();
        zu::test::addCustomer(QStringLiteral("张三"), QStringLiteral("K1"));
        DataSet& customers = d.qryCustom();
        customers.open();
        QSignalSpy reachable(&d, &TfrmData::serverReachableChanged);

        // A read after the drop is run again on a new connection: the user notices nothing.
        db.endProgramsConnection();
        customers.refresh();
        QCOMPARE(customers.recordCount(), 1);
        QCOMPARE(customers.fieldText(QStringLiteral("CustName")), QStringLiteral("张三"));
        QVERIFY(d.serverReachable());

        // A write cut off is reported as not saved, never as saved.
        const RowStamp seen = customers.stamp();
        db.endProgramsConnection();
        DbError e = failureOf([&] {
            writeRecord(customers, {{QStringLiteral("Address"), QStringLiteral("新址")}}, false, seen);
        });
        QCOMPARE(e.failure(), DbFailure::ConnectionLost);
        QVERIFY2(e.text().startsWith(
                     QStringLiteral("与数据库服务器的连接曾经中断，刚才的操作没有完成，修改没有保存。"
                                    "连接已经恢复，请再试一次。")),
                 qPrintable(e.text()));
        QCOMPARE(
            db.otherValue(QStringLiteral("select count(*) from T_Cust where Address is not null")).toInt(),
            0);
        // The same input saved again goes in.
        writeRecord(customers, {{QStringLiteral("Address"), QStringLiteral("新址")}}, false, seen);
        QCOMPARE(db.otherValue(QStringLiteral("select Address from T_Cust")).toString(),
                 QStringLiteral("新址"));

        // A transaction cut off in the middle keeps nothing of it; one that begins after the drop
        // runs on the new connection.
        e = failureOf([&] {
            TransactionGuard tx(d.conn());
            Query(d.conn()).exec(QStringLiteral("update T_Cust set Phone = ?"), {QStringLiteral("1")});
            db.endProgramsConnection();
            Query(d.conn()).exec(QStringLiteral("update T_Cust set Zipcode = ?"), {QStringLiteral("2")});
            tx.commit();
        });
        QCOMPARE(e.failure(), DbFailure::ConnectionLost);
        QVERIFY2(e.text().startsWith(QStringLiteral("与数据库服务器的连接曾经中断")), qPrintable(e.text()));
        QCOMPARE(
            db.otherValue(QStringLiteral("select count(*) from T_Cust where Phone is not null or Zipcode is "
                                         "not null"))
                .toInt(),
            0);
        // Cut off after its last write, as it is committed: nothing of it is kept either.
        e = failureOf([&] {
            TransactionGuard tx(d.conn());
            Query(d.conn()).exec(QStringLiteral("update T_Cust set Phone = ?"), {QStringLiteral("1")});
            db.endProgramsConnection();
            tx.commit();
        });
        QCOMPARE(e.failure(), DbFailure::ConnectionLost);
        QVERIFY2(e.text().startsWith(
                     QStringLiteral("与数据库服务器的连接曾经中断，刚才的操作没有完成，修改没有保存。")),
                 qPrintable(e.text()));
        QCOMPARE(db.otherValue(QStringLiteral("select count(*) from T_Cust where Phone is not null")).toInt(),
                 0);
        // Until it is rolled back, a transaction whose commit was cut off stays broken: a write on
        // the connection opened again is refused, not stored on its own, and committing again is
        // not reported as done.
        {
            TransactionGuard tx(d.conn());
            Query(d.conn()).exec(QStringLiteral("update T_Cust set Phone = ?"), {QStringLiteral("1")});
            db.endProgramsConnection();
            QCOMPARE(failureOf([&] { tx.commit(); }).failure(), DbFailure::ConnectionLost);
            QCOMPARE(failureOf([&] {
                         Query(d.conn()).exec(QStringLiteral("update T_Cust set Zipcode = ?"),
                                              {QStringLiteral("4")});
                     }).failure(),
                     DbFailure::ConnectionLost);
            QCOMPARE(failureOf([&] { tx.commit(); }).failure(), DbFailure::ConnectionLost);
        }
        QCOMPARE(
            db.otherValue(QStringLiteral("select count(*) from T_Cust where Phone is not null or Zipcode = "
                                         "'4'"))
                .toInt(),
            0);
        db.endProgramsConnection();
        {
            TransactionGuard tx(d.conn());
            Query(d.conn()).exec(QStringLiteral("update T_Cust set Zipcode = ?"), {QStringLiteral("3")});
            tx.commit();
        }
        QCOMPARE(db.otherValue(QStringLiteral("select Zipcode from T_Cust")).toString(), QStringLiteral("3"));
        QCOMPARE(reachable.size(), 0);

        // The server cannot be reached: the command fails in Chinese and the program says so.
        const QString name = db.serverDatabaseName();
        QVERIFY(zu::test::serverAdminExec(
            *db.server(), QStringLiteral("alter database %1 allow_connections false").arg(name)));
        const auto allow = qScopeGuard([&] {
            zu::test::serverAdminExec(*db.server(),
                                      QStringLiteral("alter database %1 allow_connections true").arg(name));
        });
        db.endProgramsConnection();
        e = failureOf([&] { customers.refresh(); });
        QCOMPARE(e.failure(), DbFailure::ConnectionLost);
        QVERIFY2(
            e.text().startsWith(QStringLiteral("无法连接数据库服务器，请检查网络和数据库服务器，稍后再试。")),
            qPrintable(e.text()));
        QVERIFY(!d.serverReachable());
        QCOMPARE(reachable.size(), 1);
        QCOMPARE(reachable.last().first().toBool(), false);
        // Each later command tries once more.
        QCOMPARE(failureOf([&] { customers.refresh(); }).failure(), DbFailure::ConnectionLost);

        // The server is back: the next command works, without a restart.
        QVERIFY(zu::test::serverAdminExec(
            *db.server(), QStringLiteral("alter database %1 allow_connections true").arg(name)));
        customers.refresh();
        QCOMPARE(customers.recordCount(), 1);
        QVERIFY(d.serverReachable());
        QCOMPARE(reachable.size(), 2);
        QCOMPARE(reachable.last().first().toBool(), true);
        writeRecord(customers, {{QStringLiteral("Phone"), QStringLiteral("2")}}, false, customers.stamp());
        QCOMPARE(db.otherValue(QStringLiteral("select Phone from T_Cust")).toString(), QStringLiteral("2"));
    }

    void databaseWithoutTheProgramsTablesIsRefused_data() { zu::test::addEngineRows(); }
    void databaseWithoutTheProgramsTablesIsRefused()
    {
        QFETCH(QString, engine);
        TestHome home;
        QString name;
        std::optional<zu::test::PgServer> server;
        const auto drop = qScopeGuard([&] {
            if (server && !name.isEmpty())
                zu::test::dropServerDatabase(*server, name);
        });
        if (engine == QLatin1String("postgres")) {
            server = zu::test::PgServer::fromEnvironment();
            if (!server) {
                if (zu::test::postgresRequired())
                    QFAIL("ZU_REQUIRE_PG is set but no server is configured");
                QSKIP("no PostgreSQL server configured (ZU_TEST_PG)");
            }
            QString error;
            name = zu::test::createServerDatabase(*server, &error);
            QVERIFY2(!name.isEmpty(), qPrintable(error));
            home.useServer(server->settings(name));
        } else {
            ConnectionSettings s;
            s.filePath = home.file(QLatin1String(kEmbeddedDatabaseFile));
            s.createIfMissing = true;
            QDir().mkpath(QFileInfo(s.filePath).absolutePath());
            Connection c(SqlDialect::sqlite(), s);
            QVERIFY(c.open());
            Query(c).exec(QStringLiteral("create table notes (id integer)"));
        }
        TfrmData module(home.path());
        QVERIFY(!module.ConnectOK());
        QVERIFY(module.quitRequested());
        QVERIFY2(module.connectionFailureCause().contains(QStringLiteral("本系统")),
                 qPrintable(module.connectionFailureCause()));
        // The program offers the connection tool.
        QVERIFY(!module.reconfigurationQuestion().isEmpty());
    }

    void newerDatabaseIsRefused_data() { zu::test::addEngineRows(); }
    void newerDatabaseIsRefused()
    {
        QFETCH(QString, engine);
        ZU_OPEN_TEST_DATABASE(db, engine, false);
        db.otherExec(QStringLiteral("insert into zu_schema (version) values (?)"),
                     {SchemaInstaller::kCurrentVersion + 1});
        {
            // One data module at a time, as in the program.
            TfrmData module(db.home().path());
            QVERIFY(!module.ConnectOK());
            QCOMPARE(module.connectionFailureCause(),
                     QStringLiteral("数据库的版本（%1）比本程序的版本（%2）新，请使用新版本的程序。")
                         .arg(SchemaInstaller::kCurrentVersion + 1)
                         .arg(SchemaInstaller::kCurrentVersion));
            QVERIFY(!module.reconfigurationQuestion().isEmpty());
        }
        // The same version is welcome.
        db.otherExec(QStringLiteral("delete from zu_schema where version > ?"),
                     {SchemaInstaller::kCurrentVersion});
        TfrmData again(db.home().path());
        QVERIFY(again.ConnectOK());
        QCOMPARE(again.upgradeSteps(), 0);
    }

    void releaseDatabaseIsUpgradedKeepingEveryRow_data() { zu::test::addEngineRows(); }
    void releaseDatabaseIsUpgradedKeepingEveryRow()
    {
        QFETCH(QString, engine);
        // A database of this release, to compare with.
        ZU_OPEN_TEST_DATABASE(fresh, engine, false);

        TestHome home;
        std::optional<zu::test::PgServer> server;
        QString name;
        const auto drop = qScopeGuard([&] {
            if (server && !name.isEmpty())
                zu::test::dropServerDatabase(*server, name);
        });
        ConnectionSettings s;
        if (fresh.isServer()) {
            server = fresh.server();
            QString error;
            name = zu::test::createServerDatabase(*server, &error);
            QVERIFY2(!name.isEmpty(), qPrintable(error));
            s = fresh.settings();
            s.database = name;
            Connection c(SqlDialect::postgres(), s);
            QVERIFY(c.open());
            Query q(c);
            for (const char* script :
                 {"fixtures/release-1.0-postgresql.sql", "fixtures/release-1.0-content.sql"})
                for (const QString& statement : splitSqlScript(readResourceText(QFINDTESTDATA(script))))
                    q.exec(statement);
            // As release 1.0's connection tool recorded it.
            q.exec(QStringLiteral("insert into zu_schema (version) values (1)"));
            q.exec(QStringLiteral(
                "insert into T_Cust (CustName, IDCode, remind) values ('张三', 'K1', '2026-12-10')"));
            q.exec(QStringLiteral("insert into T_service (CustCode, serviceMoney) values ('K1', 60)"));
            q.exec(QStringLiteral(
                "insert into T_Dict_cate (name, code, tableName) values ('门店1', '01', '用户类别')"));
            home.useServer(s);
        } else {
            s.filePath = home.file(QLatin1String(kEmbeddedDatabaseFile));
            QDir().mkpath(QFileInfo(s.filePath).absolutePath());
            QVERIFY(QFile::copy(QFINDTESTDATA("fixtures/release-1.0.db"), s.filePath));
            QFile(s.filePath).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        }

        QMap<QString, int> before;
        {
            Connection c(fresh.dialect(), s);
            QVERIFY(c.open());
            QCOMPARE(SchemaInstaller(c).version(), 1);
            before = rowCounts(c);
        }
        QVERIFY(before.value(QStringLiteral("T_Cust")) > 0);
        QVERIFY(before.value(QStringLiteral("T_service")) > 0);

        // Opening it upgrades it.
        {
            TfrmData module(home.path());
            QVERIFY2(module.ConnectOK(), qPrintable(module.connectionFailureCause()));
            QCOMPARE(module.upgradeSteps(), SchemaInstaller::kCurrentVersion - 1);
        }
        Connection c(fresh.dialect(), s);
        QVERIFY(c.open());
        SchemaInstaller installer(c);
        QCOMPARE(installer.version(), SchemaInstaller::kCurrentVersion);
        QCOMPARE(installer.upgrade(), 0); // the connection tool finds nothing left to do
        // Every row is kept; both service lists gained the columns 在保 and 返修, the rights
        // catalogue 统计分析.
        before[QStringLiteral("T_FieldShow")] += 4;
        before[QStringLiteral("T_popedom")] += 1;
        QCOMPARE(rowCounts(c), before);
        Query q(c);
        if (!fresh.isServer()) {
            q.open(QStringLiteral("pragma integrity_check"));
            QCOMPARE(q.value(0).toString(), QStringLiteral("ok"));
        }
        // The same tables and columns as a database of this release, and versions that count.
        Connection& model = fresh.other();
        for (const QString& table : SchemaInstaller::tableNames())
            QCOMPARE(columnsOf(c, table), columnsOf(model, table));
        // Customers were written twice more by the upgrade (quick find's columns filled, then the
        // duplicate check's), and that counts like any change.
        q.open(QStringLiteral("select min(RowVersion), max(RowVersion) from T_Cust"));
        QCOMPARE(q.value(0).toInt(), 3);
        if (fresh.isServer()) {
            QCOMPARE(q.value(1).toInt(), 3);
        } else {
            // The upgrade also rewrote this customer's purchase date into the stored form: a change
            // the version counts like any other.
            q.open(QStringLiteral("select RowVersion from T_Cust where IDCode = 'KH0002'"));
            QVERIFY(q.value(0).toInt() > 3);
        }
        q.exec(QStringLiteral("update T_Cust set Address = ?"), {QStringLiteral("新址")});
        q.open(QStringLiteral("select min(RowVersion) from T_Cust"));
        QCOMPARE(q.value(0).toInt(), 4);
    }
};

QTEST_GUILESS_MAIN(TestDbFailures)
#include "tst_dbfailures.moc"
