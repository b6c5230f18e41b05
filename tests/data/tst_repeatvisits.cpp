// Whether a service is a repeat visit, as the database keeps it beside each service through every
// write of the program on both engines: added, changed to another day or body code, deleted alone
// or with its customer, written by two workstations, also at the same time; and the statistics
// that count it.

#include "customers/customeredits.h"
#include "customers/journalrecords.h"
#include "data/datamodule.h"
#include "data/query.h"
#include "data/repeatvisits.h"
#include "statistics/statistics.h"
#include "support/records.h"
#include "support/testdatabase.h"

#include <optional>
#include <QtTest>
#include <thread>

using namespace zu;
using zu::test::addCustomer;

namespace {

const QDate kFirstDay(2024, 1, 1);

// Day `n` counted from the first of January 2024, at a time of that day.
QDateTime day(int n, int hour = 10, int minute = 0, int second = 0)
{
    return QDateTime(kFirstDay.addDays(n), QTime(hour, minute, second));
}

// The service records as the program writes them: through the service list, for customer A.
class Services final
{
public:
    explicit Services(TfrmData& data) : m_list(data.qryservice()) { m_list.open(); }

    // A service named by its remark.
    void add(const QString& name, const QVariant& body, const QDateTime& when, const QString& customer = "A")
    {
        writeJournalRecord(m_list,
                           {{QStringLiteral("CustCode"), customer},
                            {QStringLiteral("CustName"), QStringLiteral("客户") + customer},
                            {QStringLiteral("GoodsCode"), body},
                            {QStringLiteral("serviceDate"), when},
                            {QStringLiteral("servicedeMen"), QStringLiteral("张工")},
                            {QStringLiteral("servicedepartment"), QStringLiteral("一部")},
                            {QStringLiteral("Remark"), name}},
                           true);
    }

    // Changes columns of the service as its editor does, from the list's row.
    void change(const QString& name, const QVariantMap& columns)
    {
        QVERIFY(m_list.locate(QStringLiteral("Remark"), name));
        QVariantMap values = columns;
        values.insert(QStringLiteral("CustCode"), m_list.fieldText(QStringLiteral("CustCode")));
        writeJournalRecord(m_list, values, false, m_list.stamp());
    }

    void remove(const QString& name)
    {
        QVERIFY(m_list.locate(QStringLiteral("Remark"), name));
        m_list.deleteCurrent();
    }

private:
    DataSet& m_list;
};

// The services stored as repeat visits, by their remarks.
QStringList repeatVisits(const SqlDialect& d)
{
    return zu::test::column(QStringLiteral("select Remark from T_service where %1 order by Remark")
                                .arg(d.booleanEquals(QStringLiteral("RepeatVisit"), true)));
}

qint64 versionOf(const QString& name)
{
    return zu::test::count(QStringLiteral("select RowVersion from T_service where Remark = ?"), {name});
}

} // namespace

class TestRepeatVisits final : public QObject
{
    Q_OBJECT
private slots:
    // Counted in calendar days, whatever the times: 29 and 30 days after an earlier service of
    // the unit is a repeat visit, 31 is not, nor the same day, nor a blank body code. A service
    // added later for an earlier day makes the ones after it repeat visits.
    void addedServices_data() { zu::test::addEngineRows(); }
    void addedServices()
    {
        ZU_TEST_DATABASE(db);
        addCustomer(QStringLiteral("客户A"), QStringLiteral("A"));
        Services s(db.dataModule());
        s.add("A1", "SN1", day(0, 23, 59, 59));
        s.add("A2", "SN1", day(30, 0, 0, 0)); // 30 days
        s.add("B1", "SN2", day(0, 0, 0, 0));
        s.add("B2", "SN2", day(31, 23, 59, 59)); // 31 days
        s.add("C1", "SN3", day(0));
        s.add("C2", "SN3", day(29)); // 29 days
        s.add("D1", "SN4", day(5, 8));
        s.add("D2", "SN4", day(5, 17)); // the same day
        s.add("E1", "", day(0));
        s.add("E2", "", day(3));
        s.add("E3", "  ", day(1));
        s.add("E4", "  ", day(2));
        s.add("E5", QVariant(), day(4));
        s.add("E6", QVariant(), day(6));
        s.add("F2", "SN5", day(40));
        QCOMPARE(repeatVisits(db.dialect()), (QStringList{"A2", "C2"}));
        s.add("F1", "SN5", day(20)); // 20 days before F2, added after it
        QCOMPARE(repeatVisits(db.dialect()), (QStringList{"A2", "C2", "F2"}));

        // The statistics of a period count the services in it; the earlier ones may lie before it.
        const Statistics from30(db.dataModule().conn(), {day(30).date(), day(40).date()});
        const FigureTable departments = from30.byDepartment();
        QCOMPARE(departments.rows.size(), 1);
        QCOMPARE(departments.value(QStringLiteral("一部"), 1).toInt(), 3); // A2, B2, F2
        QCOMPARE(departments.value(QStringLiteral("一部"), 3).toInt(), 2); // A2, F2
        const Statistics from31(db.dataModule().conn(), {day(31).date(), day(40).date()});
        QCOMPARE(from31.byEngineer().value(QStringLiteral("张工"), 3).toInt(), 1); // F2
    }

    // A service moved to another day or unit takes its fact along, and the services after it in
    // the old and in the new unit gain or lose theirs; theirs change without a new row version.
    void changedServices_data() { zu::test::addEngineRows(); }
    void changedServices()
    {
        ZU_TEST_DATABASE(db);
        addCustomer(QStringLiteral("客户A"), QStringLiteral("A"));
        Services s(db.dataModule());
        const SqlDialect& d = db.dialect();
        s.add("P", "SN1", day(0));
        s.add("Q", "SN1", day(20));
        s.add("R", "SN1", day(40));
        s.add("S", "SN2", day(30));
        QCOMPARE(repeatVisits(d), (QStringList{"Q", "R"}));
        const qint64 r = versionOf("R");
        const qint64 sVersion = versionOf("S");

        s.change("Q", {{QStringLiteral("GoodsCode"), QStringLiteral("SN2")}});
        QCOMPARE(repeatVisits(d), QStringList{"S"}); // R is 40 days after P
        QCOMPARE(versionOf("R"), r);
        QCOMPARE(versionOf("S"), sVersion);
        // The other workstation's change of S, from the version it read before, is taken.
        QCOMPARE(db.otherExec(QStringLiteral("update T_service set servicedeMen = ? where Remark = ? and "
                                             "RowVersion = ?"),
                              {QStringLiteral("李工"), QStringLiteral("S"), sVersion}),
                 1);

        s.change("Q", {{QStringLiteral("serviceDate"), day(-1, 23, 59, 59)}});
        QCOMPARE(repeatVisits(d), QStringList()); // S is 31 days after Q
        s.change("Q", {{QStringLiteral("serviceDate"), day(0, 0, 0, 0)}});
        QCOMPARE(repeatVisits(d), QStringList{"S"}); // 30 days
        s.change("Q", {{QStringLiteral("Remark"), QStringLiteral("Q2")}});
        QCOMPARE(repeatVisits(d), QStringList{"S"});

        s.change("Q2", {{QStringLiteral("GoodsCode"), QStringLiteral("SN1")},
                        {QStringLiteral("serviceDate"), day(10)}});
        QCOMPARE(repeatVisits(d), (QStringList{"Q2", "R"})); // R 30 days after Q2
        s.change("Q2", {{QStringLiteral("GoodsCode"), QStringLiteral(" ")}});
        QCOMPARE(repeatVisits(d), QStringList());
        s.change("P", {{QStringLiteral("serviceDate"), day(35)}});
        QCOMPARE(repeatVisits(d), QStringList{"R"}); // 5 days after P

        // Seen in the statistics of the days of R.
        const Statistics rsDays(db.dataModule().conn(), {day(40).date(), day(40).date()});
        QCOMPARE(rsDays.byEngineer().value(QStringLiteral("张工"), 3).toInt(), 1);
    }

    // A deleted service is no earlier visit any more: of the services after it of the unit, those
    // without another one in their 30 days lose their fact; so when its customer is deleted.
    void deletedServices_data() { zu::test::addEngineRows(); }
    void deletedServices()
    {
        ZU_TEST_DATABASE(db);
        addCustomer(QStringLiteral("客户A"), QStringLiteral("A"));
        addCustomer(QStringLiteral("客户B"), QStringLiteral("B"));
        Services s(db.dataModule());
        s.add("P", "SN1", day(0));
        s.add("Q", "SN1", day(10));
        s.add("R", "SN1", day(35));
        s.add("T", "SN1", day(36));
        s.add("X", "SN9", day(0), "B");
        s.add("Y", "SN9", day(5));
        QCOMPARE(repeatVisits(db.dialect()), (QStringList{"Q", "R", "T", "Y"}));
        s.remove("Q");
        QCOMPARE(repeatVisits(db.dialect()), (QStringList{"T", "Y"})); // R is 35 days after P
        s.remove("T");
        QCOMPARE(repeatVisits(db.dialect()), QStringList{"Y"});

        DataSet& customers = db.dataModule().qryCustom();
        customers.open();
        QVERIFY(customers.locate(QStringLiteral("IDCode"), QStringLiteral("B")));
        deleteCustomer(customers);
        QCOMPARE(repeatVisits(db.dialect()), QStringList());
    }

    // Services written by one statement, several of one unit among them: added together,
    // deleted together, all cleared.
    void servicesWrittenTogether_data() { zu::test::addEngineRows(); }
    void servicesWrittenTogether()
    {
        ZU_TEST_DATABASE(db);
        const SqlDialect& d = db.dialect();
        const QString values = QStringLiteral("('A', ?, ?, ?)");
        QVariantList rows;
        const struct
        {
            const char* name;
            QVariant body;
            int day;
        } services[] = {{"U1", "SN1", 0}, {"U2", "SN1", 15}, {"U3", "SN1", 45}, {"U4", "SN1", 76},
                        {"V1", "SN2", 3}, {"V2", "SN2", 3},  {"W1", "", 1},     {"W2", "", 2}};
        for (const auto& service : services)
            rows << service.body << d.toDb(day(service.day)) << QString::fromLatin1(service.name);
        QCOMPARE(
            db.otherExec(QStringLiteral("insert into T_service (CustCode, GoodsCode, serviceDate, Remark) "
                                        "values %1")
                             .arg(QStringList(std::size(services), values).join(QStringLiteral(", "))),
                         rows),
            int(std::size(services)));
        QCOMPARE(repeatVisits(d), (QStringList{"U2", "U3"})); // U4 is 31 days after U3
        QCOMPARE(db.otherExec(QStringLiteral("delete from T_service where Remark in ('U1', 'U3')")), 2);
        QCOMPARE(repeatVisits(d), QStringList());
        QCOMPARE(db.otherExec(QStringLiteral("update T_service set serviceDate = ? where GoodsCode = ?"),
                              {d.toDb(day(40)), QStringLiteral("SN1")}),
                 2);
        QCOMPARE(repeatVisits(d), QStringList());
        QCOMPARE(db.otherExec(QStringLiteral("update T_service set serviceDate = ? where Remark = 'U4'"),
                              {d.toDb(day(41))}),
                 1);
        QCOMPARE(repeatVisits(d), QStringList{"U4"});
        QCOMPARE(db.otherExec(QStringLiteral("delete from T_service")), 6);
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_service")), 0);
    }

    // Two workstations write services of one unit: each sees the other's, also when both write
    // at the same time and the earlier day is stored after the later one.
    void twoWorkstations_data() { zu::test::addEngineRows(); }
    void twoWorkstations()
    {
        ZU_TEST_DATABASE(db);
        addCustomer(QStringLiteral("客户A"), QStringLiteral("A"));
        Services s(db.dataModule());
        const QString insert = QStringLiteral(
            "insert into T_service (CustCode, GoodsCode, serviceDate, Remark) values ('A', ?, ?, ?)");
        s.add("P", "SN1", day(10));
        QCOMPARE(
            db.otherExec(insert, {QStringLiteral("SN1"), db.dialect().toDb(day(20)), QStringLiteral("Q")}),
            1);
        QCOMPARE(repeatVisits(db.dialect()), QStringList{"Q"});
        QCOMPARE(db.otherExec(QStringLiteral("update T_service set serviceDate = ? where Remark = ?"),
                              {db.dialect().toDb(day(-11)), QStringLiteral("P")}),
                 1);
        QCOMPARE(repeatVisits(db.dialect()), QStringList()); // 31 days
        s.change("P", {{QStringLiteral("serviceDate"), day(-10)}});
        QCOMPARE(repeatVisits(db.dialect()), QStringList{"Q"});
        QCOMPARE(
            db.otherExec(QStringLiteral("delete from T_service where Remark = ?"), {QStringLiteral("P")}), 1);
        QCOMPARE(repeatVisits(db.dialect()), QStringList());

        // At the same time: this workstation's transaction is open with its service written when
        // the other one writes its own; the later one is a repeat visit whichever comes first.
        for (const bool earlierHere : {true, false}) {
            const QString code = earlierHere ? QStringLiteral("SN7") : QStringLiteral("SN8");
            const QString here = code + QStringLiteral("-here");
            const QString there = code + QStringLiteral("-there");
            QString failed;
            {
                std::optional<TransactionGuard> tx(std::in_place, db.dataModule().conn());
                Query(db.dataModule().conn()).exec(insert, {code, earlierHere ? day(50) : day(60), here});
                std::thread other([&] {
                    try {
                        const std::unique_ptr<Connection> c = db.connect(db.settings());
                        if (!c->open()) {
                            failed = c->lastError();
                            return;
                        }
                        Query(*c).exec(insert, {code, earlierHere ? day(60) : day(50), there});
                    } catch (const DbError& e) {
                        failed = e.text();
                    }
                });
                // Ends the transaction (a rollback unless committed) before the other one is waited for.
                const auto end = qScopeGuard([&] {
                    tx.reset();
                    other.join();
                });
                // The server lets the other one wait for this unit (the embedded database for any
                // write) until this transaction ends.
                if (db.isServer())
                    QTRY_COMPARE(
                        db.otherValue(QStringLiteral("select count(*) from pg_locks where locktype = "
                                                     "'advisory' and not granted"))
                            .toInt(),
                        1);
                tx->commit();
            }
            QVERIFY2(failed.isEmpty(), qPrintable(failed));
            QCOMPARE(
                zu::test::column(QStringLiteral("select Remark from T_service where GoodsCode = ? and %1")
                                     .arg(db.dialect().booleanEquals(QStringLiteral("RepeatVisit"), true)),
                                 {code}),
                QStringList{earlierHere ? there : here});
        }
    }
};

QTEST_GUILESS_MAIN(TestRepeatVisits)
#include "tst_repeatvisits.moc"
