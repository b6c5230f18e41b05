// Dates written by other programs, scripts and older releases in other text forms: stored in one
// form, compared right in every range and in the reminder rule, and normalised by the upgrade of a
// database made by release 1.0.

#include "data/datamodule.h"
#include "data/datasetfilters.h"
#include "data/query.h"
#include "data/schemainstaller.h"
#include "data/sqldialect.h"
#include "data/writerecord.h"
#include "support/records.h"
#include "support/testdatabase.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

using namespace zu;
using zu::test::count;

namespace {

// A row written by plain SQL with the date as text, as another program would write it.
void addServiceByText(const QString& code, const QString& date)
{
    Query(data().conn())
        .exec(QStringLiteral("insert into T_service (CustCode, CustName, serviceDate) values (?, ?, ?)"),
              {code, code, date});
}

QStringList codes(DataSet& list)
{
    QStringList out;
    for (int r = 0; r < list.recordCount(); ++r)
        out << list.value(r, list.fieldIndex(QStringLiteral("CustCode"))).toString();
    out.sort();
    return out;
}

QStringList dueCustomers(const QDate& today, int days)
{
    const DateRange rule = reminderWindow(QStringLiteral("remind"), today, days);
    DataSet& list = data().qryRemind();
    list.open(rule.condition, rule.bindValues);
    QStringList out;
    for (int r = 0; r < list.recordCount(); ++r)
        out << list.value(r, list.fieldIndex(QStringLiteral("IDCode"))).toString();
    out.sort();
    return out;
}

QString fixture(const char* name)
{
    return QStringLiteral(ZU_FIXTURES_DIR "/") + QLatin1String(name);
}

} // namespace

class TestStoredDates final : public QObject
{
    Q_OBJECT
private slots:
    void otherFormsReadAsTheStoredForm_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        const QString midnight = QStringLiteral("2026-12-10 00:00:00");
        QTest::newRow("stored form") << QStringLiteral("2026-12-10 08:30:05")
                                     << QStringLiteral("2026-12-10 08:30:05");
        QTest::newRow("date only") << QStringLiteral("2026-12-10") << midnight;
        QTest::newRow("T and seconds")
            << QStringLiteral("2025-01-02T08:30:00") << QStringLiteral("2025-01-02 08:30:00");
        QTest::newRow("fraction and zone")
            << QStringLiteral("2025-01-02T08:30:00.250+08:00") << QStringLiteral("2025-01-02 08:30:00");
        QTest::newRow("minutes only")
            << QStringLiteral("2026-12-10 8:30") << QStringLiteral("2026-12-10 08:30:00");
        QTest::newRow("slashes") << QStringLiteral("2026/12/10") << midnight;
        QTest::newRow("short parts") << QStringLiteral("2011-2-8") << QStringLiteral("2011-02-08 00:00:00");
        QTest::newRow("Chinese") << QStringLiteral("2026年12月10日") << midnight;
        QTest::newRow("leap day") << QStringLiteral("2024-02-29") << QStringLiteral("2024-02-29 00:00:00");
        QTest::newRow("no such day") << QStringLiteral("2023-02-29") << QString();
        QTest::newRow("no such hour") << QStringLiteral("2026-12-10 24:00") << QString();
        QTest::newRow("words") << QStringLiteral("下午三点") << QString();
        QTest::newRow("day first") << QStringLiteral("10/12/2026") << QString();
        QTest::newRow("stored form and more") << QStringLiteral("2026-12-10 08:30:05 下午") << QString();
        QTest::newRow("date and a word") << QStringLiteral("2026-12-10 xyz") << QString();
    }
    void otherFormsReadAsTheStoredForm()
    {
        QFETCH(QString, text);
        QFETCH(QString, stored);
        QCOMPARE(canonicalDateTimeText(text), stored);
        QCOMPARE(isCanonicalDateTimeText(text), text == stored);
    }

    // Whatever writes a date on the embedded engine, the database keeps it in one form; on the
    // server the column's type does.
    void directWritesAreKeptInOneForm_data() { zu::test::addEngineRows(); }
    void directWritesAreKeptInOneForm()
    {
        ZU_TEST_DATABASE(db);
        addServiceByText(QStringLiteral("a"), QStringLiteral("2026-12-10"));
        addServiceByText(QStringLiteral("b"), QStringLiteral("2025-01-02T08:30:00"));
        addServiceByText(QStringLiteral("c"), QStringLiteral("2026-12-10 08:30"));
        const QString asText = db.isServer() ? QStringLiteral("to_char(serviceDate, 'YYYY-MM-DD HH24:MI:SS')")
                                             : QStringLiteral("serviceDate");
        auto stored = [&](const char* code) {
            return zu::test::column(QStringLiteral("select %1 from T_service where CustCode = ?").arg(asText),
                                    {QString::fromLatin1(code)})
                .value(0);
        };
        QCOMPARE(stored("a"), QStringLiteral("2026-12-10 00:00:00"));
        QCOMPARE(stored("b"), QStringLiteral("2025-01-02 08:30:00"));
        QCOMPARE(stored("c"), QStringLiteral("2026-12-10 08:30:00"));

        // A change by plain SQL too, of one date column among others.
        Query(db.dataModule().conn())
            .exec(QStringLiteral("update T_service set serviceDate = ?, rehabDate = ? where CustCode = ?"),
                  {QStringLiteral("2027-01-05"), QStringLiteral("2027-01-06T10:00"), QStringLiteral("a")});
        QCOMPARE(stored("a"), QStringLiteral("2027-01-05 00:00:00"));
        QCOMPARE(zu::test::column(QStringLiteral("select %1 from T_service where CustCode = ?")
                                      .arg(QString(asText).replace(QStringLiteral("serviceDate"),
                                                                   QStringLiteral("rehabDate"))),
                                  {QStringLiteral("a")}),
                 QStringList{QStringLiteral("2027-01-06 10:00:00")});

        if (!db.isServer()) {
            // An empty text is no date; a text that is no date stays as written (nothing is lost).
            Query q(db.dataModule().conn());
            q.exec(QStringLiteral("insert into T_Cust (CustName, remind, DateA) values (?, ?, ?)"),
                   {QStringLiteral("x"), QString(QLatin1String("")), QStringLiteral("明天")});
            QCOMPARE(
                count(QStringLiteral("select count(*) from T_Cust where CustName = 'x' and remind is null")),
                1);
            QCOMPARE(zu::test::column(QStringLiteral("select DateA from T_Cust where CustName = 'x'")),
                     QStringList{QStringLiteral("明天")});
            // Numbers are left alone: they could be any count of days.
            q.exec(QStringLiteral("update T_Cust set DateB = 45000 where CustName = 'x'"));
            QCOMPARE(
                zu::test::column(QStringLiteral("select typeof(DateB) from T_Cust where CustName = 'x'")),
                QStringList{QStringLiteral("integer")});
        }
    }

    // The program's own writers (a data set, a statement with bound values) and Qt's driver used
    // directly, as a script in C++ would, all leave the one stored form.
    void everyWriterLeavesTheStoredForm()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        const QDateTime morning(QDate(2026, 12, 10), QTime(8, 30, 5));
        DataSet& list = db.dataModule().qryservice();
        list.open();
        writeRecord(list,
                    {{QStringLiteral("CustCode"), QStringLiteral("dataset")},
                     {QStringLiteral("serviceDate"), morning},
                     {QStringLiteral("rehabDate"), QDate(2026, 12, 11)}},
                    true);
        Query(db.dataModule().conn())
            .exec(QStringLiteral("insert into T_service (CustCode, serviceDate, rehabDate) values (?, ?, ?)"),
                  {QStringLiteral("query"), morning, QDate(2026, 12, 11)});
        QSqlQuery plain(db.dataModule().conn().database());
        QVERIFY(plain.prepare(
            QStringLiteral("insert into T_service (CustCode, serviceDate, rehabDate) values (?, ?, ?)")));
        plain.addBindValue(QStringLiteral("driver"));
        plain.addBindValue(morning);
        plain.addBindValue(QDate(2026, 12, 11));
        QVERIFY2(plain.exec(), qPrintable(plain.lastError().text()));
        for (const char* code : {"dataset", "query", "driver"}) {
            QCOMPARE(zu::test::column(QStringLiteral("select serviceDate || '|' || rehabDate from T_service "
                                                     "where CustCode = ?"),
                                      {QString::fromLatin1(code)}),
                     QStringList{QStringLiteral("2026-12-10 08:30:05|2026-12-11 00:00:00")});
        }
    }

    // Rows dated by plain SQL as other programs write them, on the first and the last day of a
    // range and just outside it.
    void rangesTakeWholeDays_data() { zu::test::addEngineRows(); }
    void rangesTakeWholeDays()
    {
        ZU_TEST_DATABASE(db);
        addServiceByText(QStringLiteral("day before"), QStringLiteral("2026-11-30"));
        addServiceByText(QStringLiteral("day before, evening"), QStringLiteral("2026-11-30T23:59:59"));
        addServiceByText(QStringLiteral("first"), QStringLiteral("2026-12-01"));
        addServiceByText(QStringLiteral("last"), QStringLiteral("2026-12-10"));
        addServiceByText(QStringLiteral("last, evening"), QStringLiteral("2026-12-10T23:59:59"));
        addServiceByText(QStringLiteral("day after"), QStringLiteral("2026-12-11"));
        DataSet& list = db.dataModule().qryservice();
        const QString date = QStringLiteral("serviceDate");

        openDated(list, date, QDate(2026, 12, 1), QDate(2026, 12, 9));
        QCOMPARE(codes(list), QStringList{QStringLiteral("first")});
        openDated(list, date, QDate(2026, 12, 10), QDate(2026, 12, 10));
        QCOMPARE(codes(list), (QStringList{QStringLiteral("last"), QStringLiteral("last, evening")}));
        openDated(list, date, QDate(2026, 12, 1), QDate(2026, 12, 10));
        QCOMPARE(codes(list), (QStringList{QStringLiteral("first"), QStringLiteral("last"),
                                           QStringLiteral("last, evening")}));

        // A year does not reach into the next.
        addServiceByText(QStringLiteral("new year"), QStringLiteral("2022-01-01"));
        addServiceByText(QStringLiteral("new year's eve"), QStringLiteral("2021-12-31"));
        addServiceByText(QStringLiteral("new year's day 2021"), QStringLiteral("2021-01-01"));
        openDated(list, date, QDate(2021, 1, 1), QDate(2021, 12, 31));
        QCOMPARE(codes(list),
                 (QStringList{QStringLiteral("new year's day 2021"), QStringLiteral("new year's eve")}));
    }

    void reminderTakesTodayAndTheLastDay_data() { zu::test::addEngineRows(); }
    void reminderTakesTodayAndTheLastDay()
    {
        ZU_TEST_DATABASE(db);
        const QDate today(2026, 12, 10);
        const QString insert =
            QStringLiteral("insert into T_Cust (CustName, IDCode, remind) values (?, ?, ?)");
        Query q(db.dataModule().conn());
        auto add = [&](const char* code, const QString& remind) {
            q.exec(insert, {QString::fromLatin1(code), QString::fromLatin1(code), remind});
        };
        add("yesterday", QStringLiteral("2026-12-09"));
        add("today", QStringLiteral("2026-12-10"));
        add("today, noon", QStringLiteral("2026-12-10T12:00:00"));
        add("in 7 days", QStringLiteral("2026-12-17"));
        add("in 7 days, noon", QStringLiteral("2026-12-17 12:00"));
        add("in 8 days", QStringLiteral("2026-12-18"));
        QCOMPARE(dueCustomers(today, 7), (QStringList{QStringLiteral("in 7 days"), QStringLiteral("today"),
                                                      QStringLiteral("today, noon")}));
        QCOMPARE(dueCustomers(today, 0), QStringList{QStringLiteral("today")});
    }

    // A database made by release 1.0's connection tool, with dates in other forms: every row is
    // kept, every date is in the stored form, and the file is sound.
    void upgradeOfARelease10Database()
    {
        zu::test::TestHome home;
        const QString file = home.file(QStringLiteral("Service.db"));
        QVERIFY(QFile::copy(fixture("release-1.0.db"), file));
        QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        ConnectionSettings settings;
        settings.filePath = file;
        Connection c(SqlDialect::sqlite(), settings);
        QVERIFY2(c.open(), qPrintable(c.lastError()));
        SchemaInstaller installer(c);
        QCOMPARE(installer.version(), 1);
        QHash<QString, int> rows;
        Query q(c);
        for (const QString& table : SchemaInstaller::tableNames()) {
            q.open(QStringLiteral("select count(*) from %1").arg(table));
            rows.insert(table, q.value(0).toInt());
        }
        q.close(); // the embedded engine drops nothing while a statement reads

        QCOMPARE(installer.upgrade(), SchemaInstaller::kCurrentVersion - 1);
        QCOMPARE(installer.version(), SchemaInstaller::kCurrentVersion);
        QCOMPARE(installer.upgrade(), 0);
        for (const QString& table : SchemaInstaller::tableNames()) {
            q.open(QStringLiteral("select count(*) from %1").arg(table));
            // Both service lists gained the columns 在保 and 返修; the rights catalogue gained 统计分析.
            const int added = table == QLatin1String("T_FieldShow") ? 4
                              : table == QLatin1String("T_popedom") ? 1
                                                                    : 0;
            QCOMPARE(q.value(0).toInt(), rows.value(table) + added);
        }
        q.open(QStringLiteral("pragma integrity_check"));
        QCOMPARE(q.value(0).toString(), QStringLiteral("ok"));

        auto value = [&](const QString& sql) {
            q.open(sql);
            return q.value(0).toString();
        };
        QCOMPARE(value(QStringLiteral("select EmptionDate from T_Cust where IDCode = 'KH0002'")),
                 QStringLiteral("2024-02-29 00:00:00"));
        QCOMPARE(value(QStringLiteral("select remind from T_Cust where IDCode = 'KH0001'")),
                 QStringLiteral("2026-12-10 00:00:00"));
        QCOMPARE(value(QStringLiteral("select DateA from T_Cust where IDCode = 'KH0001'")),
                 QStringLiteral("2025-01-02 08:30:00"));
        QCOMPARE(value(QStringLiteral("select serviceDate from T_service where CustCode = 'KH0001'")),
                 QStringLiteral("2026-12-10 00:00:00"));
        QCOMPARE(value(QStringLiteral("select rehabDate from T_service where CustCode = 'KH0001'")),
                 QStringLiteral("2026-12-11 14:00:00"));
        QCOMPARE(value(QStringLiteral("select complainDate from T_complain")),
                 QStringLiteral("2026-11-30 00:00:00"));
        // The time of a complaint is text of the user's, not a date: it stays as written.
        QCOMPARE(value(QStringLiteral("select complainTime from T_complain")), QStringLiteral("下午三点"));
        // No date of any table is left in another form.
        for (const auto& [table, column] :
             {std::pair{"T_Cust", "EmptionDate"}, std::pair{"T_Cust", "remind"}, std::pair{"T_Cust", "DateA"},
              std::pair{"T_service", "serviceDate"}, std::pair{"T_call", "callDate"},
              std::pair{"T_complain", "complainDate"}}) {
            q.open(QStringLiteral(
                       "select count(*) from %1 where %2 is not null and %2 not glob "
                       "'[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]'")
                       .arg(QLatin1String(table), QLatin1String(column)));
            QVERIFY2(q.value(0).toInt() == 0, column);
        }
        // From now on the database keeps dates in one form itself.
        q.exec(QStringLiteral("update T_call set callDate = '2026-12-31'"));
        QCOMPARE(value(QStringLiteral("select callDate from T_call")), QStringLiteral("2026-12-31 00:00:00"));
        // The indexes of the checks and searches are there.
        for (const char* index : {"ix_cust_idcode", "ix_cust_phone", "ix_cust_mobile", "ix_service_custcode",
                                  "ix_call_custcode", "ix_complain_custcode"}) {
            q.open(QStringLiteral("select count(*) from sqlite_master where type = 'index' and name = ?"),
                   {QString::fromLatin1(index)});
            QVERIFY2(q.value(0).toInt() == 1, index);
        }
    }

    // The server database of release 1.0: the upgrade adds the indexes and keeps every row.
    void upgradeOfARelease10ServerDatabase()
    {
        const std::optional<zu::test::PgServer> server = zu::test::PgServer::fromEnvironment();
        if (!server) {
            if (zu::test::postgresRequired())
                QFAIL("ZU_REQUIRE_PG is set but ZU_TEST_PG names no server");
            QSKIP("no PostgreSQL server configured (ZU_TEST_PG)");
        }
        QString error;
        const QString name = zu::test::createServerDatabase(*server, &error);
        QVERIFY2(!name.isEmpty(), qPrintable(error));
        struct Drop
        {
            const zu::test::PgServer& server;
            QString name;
            ~Drop() { zu::test::dropServerDatabase(server, name); }
        } drop{*server, name};
        Connection c(SqlDialect::postgres(), server->settings(name));
        QVERIFY2(c.open(), qPrintable(c.lastError()));
        Query q(c);
        for (const char* script : {"release-1.0-postgresql.sql", "release-1.0-content.sql"}) {
            QFile f(fixture(script));
            QVERIFY(f.open(QIODevice::ReadOnly));
            for (const QString& statement : splitSqlScript(QString::fromUtf8(f.readAll())))
                q.exec(statement);
        }
        q.exec(QStringLiteral("insert into zu_schema (version) values (1)"));
        q.exec(
            QStringLiteral("insert into T_Cust (CustName, IDCode, remind) values ('甲', 'A', '2026-12-10')"));
        q.exec(QStringLiteral(
            "insert into T_call (CustCode, CustName, callDate) values ('A', '甲', '2026-12-09')"));

        SchemaInstaller installer(c);
        QCOMPARE(installer.upgrade(), SchemaInstaller::kCurrentVersion - 1);
        QCOMPARE(installer.version(), SchemaInstaller::kCurrentVersion);
        q.open(QStringLiteral("select count(*) from T_Cust"));
        QCOMPARE(q.value(0).toInt(), 1);
        q.open(QStringLiteral("select count(*) from T_call"));
        QCOMPARE(q.value(0).toInt(), 1);
        for (const char* index : {"ix_cust_idcode", "ix_cust_phone", "ix_cust_mobile"}) {
            q.open(QStringLiteral("select count(*) from pg_indexes where indexname = ?"),
                   {QString::fromLatin1(index)});
            QVERIFY2(q.value(0).toInt() == 1, index);
        }
    }
};

QTEST_GUILESS_MAIN(TestStoredDates)
#include "tst_storeddates.moc"
