// The figures of the statistics window against small hand-counted registers, on both engines:
// month and day boundaries, ranked groups with and without "其他", repeat visits either side of
// 30 days, a category's subtree beside look-alike siblings, and periods without any record.

#include "data/datamodule.h"
#include "statistics/statistics.h"
#include "support/records.h"
#include "support/testdatabase.h"

#include <QtTest>

using namespace zu;
using zu::test::addCategory;
using zu::test::addCustomer;
using zu::test::addJournal;

namespace {

const StatisticsPeriod kFirstQuarter{QDate(2024, 1, 1), QDate(2024, 3, 31)};

QDateTime at(int y, int m, int d, int h = 12, int min = 0, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s));
}

void addService(const QDateTime& when, const QVariantMap& more = {})
{
    QVariantMap columns = more;
    columns.insert(QStringLiteral("serviceDate"), when);
    addJournal(QStringLiteral("T_service"), QStringLiteral("C1"), QStringLiteral("甲客户"), columns);
}

// A row as compared: its label and numbers.
QVariantList row(const QString& label, const QVariantList& numbers)
{
    return QVariantList{label} + numbers;
}

void compareRows(const FigureTable& f, const QList<QVariantList>& expected)
{
    QCOMPARE(f.rows.size(), expected.size());
    for (qsizetype r = 0; r < expected.size(); ++r) {
        QCOMPARE(f.rows[r].size(), expected[r].size());
        QCOMPARE(f.rows[r][0].toString(), expected[r][0].toString());
        for (qsizetype c = 1; c < expected[r].size(); ++c)
            QVERIFY2(qFuzzyCompare(1 + f.rows[r][c].toDouble(), 1 + expected[r][c].toDouble()),
                     qPrintable(QStringLiteral("%1 column %2: %3, expected %4")
                                    .arg(expected[r][0].toString())
                                    .arg(c)
                                    .arg(f.rows[r][c].toString(), expected[r][c].toString())));
    }
}

} // namespace

class TestStatistics final : public QObject
{
    Q_OBJECT
private slots:
    void periodsOfTheChooser()
    {
        const QDate leapDay(2024, 2, 29);
        QCOMPARE(periodOf(PeriodKind::ThisMonth, leapDay), (StatisticsPeriod{QDate(2024, 2, 1), leapDay}));
        QCOMPARE(periodOf(PeriodKind::ThisMonth, QDate(2024, 12, 31)),
                 (StatisticsPeriod{QDate(2024, 12, 1), QDate(2024, 12, 31)}));
        QCOMPARE(periodOf(PeriodKind::LastMonth, QDate(2024, 1, 1)),
                 (StatisticsPeriod{QDate(2023, 12, 1), QDate(2023, 12, 31)}));
        QCOMPARE(periodOf(PeriodKind::LastMonth, QDate(2024, 3, 31)),
                 (StatisticsPeriod{QDate(2024, 2, 1), leapDay}));
        QCOMPARE(periodOf(PeriodKind::ThisYear, leapDay),
                 (StatisticsPeriod{QDate(2024, 1, 1), QDate(2024, 12, 31)}));
        QCOMPARE(periodOf(PeriodKind::Custom, leapDay, QDate(2024, 5, 3), QDate(2024, 1, 9)),
                 (StatisticsPeriod{QDate(2024, 1, 9), QDate(2024, 5, 3)}));
        QCOMPARE(periodOf(PeriodKind::Custom, leapDay, leapDay, leapDay).months(),
                 QList<QDate>{QDate(2024, 2, 1)});
        QCOMPARE((StatisticsPeriod{QDate(2023, 12, 31), QDate(2024, 2, 1)}).months(),
                 (QList<QDate>{QDate(2023, 12, 1), QDate(2024, 1, 1), QDate(2024, 2, 1)}));
    }

    // The last second of a month is in it, the first second of the next in the next.
    void servicesPerMonthAndDay_data() { zu::test::addEngineRows(); }
    void servicesPerMonthAndDay()
    {
        ZU_TEST_DATABASE(db);
        const QString fee = QStringLiteral("serviceMoney");
        addService(at(2023, 12, 31, 23, 59, 59), {{fee, 1000.0}});
        addService(at(2024, 1, 1, 0, 0, 0), {{fee, 10.0}});
        addService(at(2024, 1, 31, 23, 59, 59), {{fee, 100.0}});
        addService(at(2024, 2, 1, 0, 0, 0), {{fee, 50.0}});
        addService(at(2024, 2, 29, 23, 59, 59), {{fee, 25.5}});
        addService(at(2024, 3, 31, 23, 59, 59));
        addService(at(2024, 4, 1, 0, 0, 0), {{fee, 2000.0}});
        const Statistics s(db.dataModule().conn(), kFirstQuarter);
        const FigureTable months = s.servicesByMonth();
        QCOMPARE(months.columns, (QStringList{"月份", "维修次数", "维修费用"}));
        compareRows(months,
                    {row("2024-01", {2, 110.0}), row("2024-02", {2, 75.5}), row("2024-03", {1, 0.0})});

        const FigureTable days = s.servicesByDay(QDate(2024, 2, 1));
        QCOMPARE(days.rows.size(), 29);
        QCOMPARE(days.value(QStringLiteral("2024-02-01"), 1).toInt(), 1);
        QCOMPARE(days.value(QStringLiteral("2024-02-01"), 2).toDouble(), 50.0);
        QCOMPARE(days.value(QStringLiteral("2024-02-29"), 2).toDouble(), 25.5);
        QCOMPARE(days.value(QStringLiteral("2024-02-15"), 1).toInt(), 0);
        int total = 0;
        for (const QVariantList& r : days.rows)
            total += r[1].toInt();
        QCOMPARE(total, 2);
        // A month cut by the period: only its days in the period.
        const Statistics cut(db.dataModule().conn(), {QDate(2024, 1, 31), QDate(2024, 2, 1)});
        compareRows(cut.servicesByDay(QDate(2024, 1, 1)), {row("2024-01-31", {1, 100.0})});
        compareRows(cut.servicesByMonth(), {row("2024-01", {1, 100.0}), row("2024-02", {1, 50.0})});
    }

    // Twelve models: the ten largest and the two others added up; three fault causes, one left
    // empty: no "其他".
    void topGroupsAndOthers_data() { zu::test::addEngineRows(); }
    void topGroupsAndOthers()
    {
        ZU_TEST_DATABASE(db);
        for (int model = 1; model <= 12; ++model)
            for (int n = 0; n < 13 - model; ++n)
                addService(at(2024, 1 + n % 3, 1 + model),
                           {{QStringLiteral("Goodsunit"),
                             QStringLiteral("KFR-%1").arg(model, 2, 10, QLatin1Char('0'))},
                            {QStringLiteral("hitchName"), model == 1   ? QStringLiteral("不制冷")
                                                          : model == 2 ? QString()
                                                                       : QStringLiteral("漏水")}});
        addService(at(2024, 4, 1, 0, 0, 0), {{QStringLiteral("Goodsunit"), QStringLiteral("KFR-12")}});
        // Equal counts go in the order of the text: a tie for the tenth place is decided the same
        // way on both engines.
        addService(at(2024, 2, 3), {{QStringLiteral("Goodsunit"), QStringLiteral(" KFR-11 ")}});
        const Statistics s(db.dataModule().conn(), kFirstQuarter);
        const FigureTable models = s.topModels();
        QList<QVariantList> expected;
        for (int model = 1; model <= 10; ++model)
            expected << row(QStringLiteral("KFR-%1").arg(model, 2, 10, QLatin1Char('0')), {13 - model});
        // KFR-10 and KFR-11 both count 3: KFR-10 keeps the tenth place; KFR-11 and KFR-12 are the others.
        expected << row("其他", {3 + 1});
        compareRows(models, expected);

        const FigureTable faults = s.topFaults();
        compareRows(faults, {row("漏水", {55}), row("（未填写）", {11 + 1}), row("不制冷", {12})});
        QCOMPARE(faults.columns.first(), QStringLiteral("故障原因"));

        // Exactly ten groups (March): all shown, no "其他".
        const Statistics tenOnly(db.dataModule().conn(), {QDate(2024, 3, 1), QDate(2024, 3, 31)});
        const QStringList labels = tenOnly.topModels().labels();
        QCOMPARE(labels.size(), 10);
        QVERIFY(!labels.contains(kOtherGroup));
    }

    // Repeat visits: 30 calendar days after an earlier service of the unit is one, 31 is not, nor
    // a second visit on the same day, nor one without a body code; an earlier service before the
    // period counts.
    void engineersDepartmentsAndRepeatVisits_data() { zu::test::addEngineRows(); }
    void engineersDepartmentsAndRepeatVisits()
    {
        ZU_TEST_DATABASE(db);
        auto service = [](const QDateTime& when, const QString& body, const QString& engineer,
                          const QString& dept, const QVariant& fee) {
            addService(when, {{QStringLiteral("GoodsCode"), body},
                              {QStringLiteral("servicedeMen"), engineer},
                              {QStringLiteral("servicedepartment"), dept},
                              {QStringLiteral("serviceMoney"), fee}});
        };
        const QString a = QStringLiteral("甲"), b = QStringLiteral("乙"), c = QStringLiteral("丙");
        const QString deptA = QStringLiteral("安装一部"), deptB = QStringLiteral("安装二部");
        const QVariant none;
        service(at(2024, 1, 1, 10), QStringLiteral("SN1"), a, deptA, 100.0);
        service(at(2024, 1, 31, 8), QStringLiteral("SN1"), b, deptA, 50.0); // 30 days: repeat
        service(at(2024, 3, 2, 9), QStringLiteral("SN1"), c, deptB, 20.0);  // 31 days: none
        service(at(2024, 2, 10, 9), QStringLiteral("SN2"), a, deptA, 0.0);
        service(at(2024, 2, 10, 15), QStringLiteral("SN2"), a, deptA, none); // same day: none
        service(at(2024, 2, 1), QString(), b, deptB, none);
        service(at(2024, 2, 5), QString(), b, deptB, none); // no body code
        service(at(2023, 12, 20), QStringLiteral("SN3"), QStringLiteral("丁"), deptB, 500.0);
        service(at(2024, 1, 10), QStringLiteral("SN3"), a, deptA, 30.0); // 21 days: repeat
        service(at(2024, 1, 1, 0, 0, 0), QStringLiteral("SN4"), c, deptB, none);
        service(at(2024, 2, 1, 23, 59, 59), QStringLiteral("SN4"), c, deptB, none); // 31 days: none
        service(at(2024, 3, 1, 23, 59, 59), QStringLiteral("SN5"), b, deptA, none);
        service(at(2024, 3, 2, 0, 0, 0), QStringLiteral("SN5"), b, QString(), none); // 1 day: repeat
        service(at(2024, 4, 5), QStringLiteral("SN5"), b, deptA, 900.0);             // after the period
        const Statistics s(db.dataModule().conn(), kFirstQuarter);
        const FigureTable engineers = s.byEngineer();
        QCOMPARE(engineers.columns, (QStringList{"工程师", "维修次数", "维修费用", "返修次数"}));
        compareRows(engineers, {row(b, {5, 50.0, 2}), row(a, {4, 130.0, 1}), row(c, {3, 20.0, 0})});
        compareRows(s.byDepartment(),
                    {row(deptA, {6, 180.0, 2}), row(deptB, {5, 20.0, 0}), row("（未填写）", {1, 0.0, 1})});
    }

    // The earlier visit may lie in the 30 days before the period: 30 days before its first day
    // counts, 31 do not; visits before the period are no rows of it, and a later visit makes no
    // repeat of an earlier one.
    void repeatVisitsAcrossThePeriodsStart_data() { zu::test::addEngineRows(); }
    void repeatVisitsAcrossThePeriodsStart()
    {
        ZU_TEST_DATABASE(db);
        auto service = [](const QDateTime& when, const QString& body, const QString& engineer) {
            addService(when, {{QStringLiteral("GoodsCode"), body},
                              {QStringLiteral("servicedeMen"), engineer},
                              {QStringLiteral("servicedepartment"), QStringLiteral("维修部")}});
        };
        const QString before = QStringLiteral("期前");
        service(at(2023, 12, 2, 0, 0, 0), QStringLiteral("SN6"), before);
        service(at(2024, 1, 1, 23, 59, 59), QStringLiteral("SN6"), QStringLiteral("三十天")); // repeat
        service(at(2023, 12, 1, 23, 59, 59), QStringLiteral("SN7"), before);
        service(at(2024, 1, 1, 0, 0, 0), QStringLiteral("SN7"), QStringLiteral("三十一天")); // none
        service(at(2023, 11, 1), QStringLiteral("SN8"), before);
        service(at(2023, 12, 10), QStringLiteral("SN8"), before);
        service(at(2024, 1, 5), QStringLiteral("SN8"), QStringLiteral("二十六天")); // repeat
        service(at(2024, 2, 10, 8), QStringLiteral("SN9"), QStringLiteral("同日"));
        service(at(2024, 2, 10, 9), QStringLiteral("SN9"), QStringLiteral("同日"));  // none
        service(at(2024, 3, 11, 10), QStringLiteral("SN9"), QStringLiteral("闰月")); // 30 days: repeat
        service(at(2024, 3, 31, 23, 59, 59), QStringLiteral("SN10"), QStringLiteral("期末"));
        service(at(2024, 4, 1, 0, 0, 0), QStringLiteral("SN10"), QStringLiteral("期后"));
        const Statistics s(db.dataModule().conn(), kFirstQuarter);
        const FigureTable engineers = s.byEngineer();
        QCOMPARE(engineers.labels().size(), 6);
        QVERIFY(!engineers.labels().contains(before));
        QVERIFY(!engineers.labels().contains(QStringLiteral("期后")));
        QCOMPARE(engineers.value(QStringLiteral("三十天"), 3).toInt(), 1);
        QCOMPARE(engineers.value(QStringLiteral("三十一天"), 3).toInt(), 0);
        QCOMPARE(engineers.value(QStringLiteral("二十六天"), 3).toInt(), 1);
        QCOMPARE(engineers.value(QStringLiteral("同日"), 1).toInt(), 2);
        QCOMPARE(engineers.value(QStringLiteral("同日"), 3).toInt(), 0);
        QCOMPARE(engineers.value(QStringLiteral("闰月"), 3).toInt(), 1);
        QCOMPARE(engineers.value(QStringLiteral("期末"), 3).toInt(), 0);
        compareRows(s.byDepartment(), {row("维修部", {7, 0.0, 3})});

        // Seen from a period that begins later, the same visits lie too far back.
        const Statistics march(db.dataModule().conn(), {QDate(2024, 3, 1), QDate(2024, 3, 31)});
        compareRows(march.byDepartment(), {row("维修部", {2, 0.0, 1})});
        const Statistics january(db.dataModule().conn(), {QDate(2024, 1, 2), QDate(2024, 1, 31)});
        compareRows(january.byDepartment(), {row("维修部", {1, 0.0, 1})});
    }

    void complaintsAndReturnVisits_data() { zu::test::addEngineRows(); }
    void complaintsAndReturnVisits()
    {
        ZU_TEST_DATABASE(db);
        auto complaint = [](const QDateTime& when, const QString& level) {
            addJournal(QStringLiteral("T_complain"), QStringLiteral("C1"), {},
                       {{QStringLiteral("complainDate"), when}, {QStringLiteral("complainType"), level}});
        };
        complaint(at(2023, 12, 31, 23, 59, 59), QStringLiteral("严重"));
        complaint(at(2024, 1, 31, 23, 59, 59), QStringLiteral("一般"));
        complaint(at(2024, 2, 1, 0, 0, 0), QStringLiteral("严重"));
        complaint(at(2024, 2, 15), QStringLiteral("一般"));
        complaint(at(2024, 3, 10), QString());
        complaint(at(2024, 4, 1, 0, 0, 0), QStringLiteral("一般"));
        auto call = [](const QDateTime& when, const QVariant& outcome) {
            addJournal(QStringLiteral("T_call"), QStringLiteral("C1"), {},
                       {{QStringLiteral("callDate"), when}, {QStringLiteral("callRemarkhandle"), outcome}});
        };
        call(at(2024, 1, 5), QStringLiteral("已解决"));
        call(at(2024, 2, 5), QStringLiteral("已解决 "));
        call(at(2024, 2, 6), QStringLiteral("未解决"));
        call(at(2024, 3, 6), QString());
        call(at(2024, 3, 7), QVariant());
        call(at(2024, 4, 7), QStringLiteral("未解决"));
        const Statistics s(db.dataModule().conn(), kFirstQuarter);
        compareRows(s.complaintsByLevel(), {row("一般", {2}), row("（未填写）", {1}), row("严重", {1})});
        compareRows(s.complaintsByMonth(), {row("2024-01", {1}), row("2024-02", {2}), row("2024-03", {1})});
        compareRows(s.callsByOutcome(), {row("（未填写）", {2}), row("已解决", {2}), row("未解决", {1})});
    }

    // A category's sales take in its whole subtree and nothing of a sibling whose code begins the
    // same way.
    void salesOfACategorySubtree_data() { zu::test::addEngineRows(); }
    void salesOfACategorySubtree()
    {
        ZU_TEST_DATABASE(db);
        addCategory(QStringLiteral("01"), QStringLiteral("家电"));
        addCategory(QStringLiteral("0101"), QStringLiteral("空调"));
        addCategory(QStringLiteral("010101"), QStringLiteral("挂机"));
        addCategory(QStringLiteral("010102"), QStringLiteral("柜机"));
        addCategory(QStringLiteral("0102"), QStringLiteral("冰箱"));
        addCategory(QStringLiteral("0110"), QStringLiteral("空调配件"));
        auto customer = [](const QString& name, const QVariant& type, const QDateTime& bought,
                           const QVariant& units) {
            addCustomer(name, name,
                        {{QStringLiteral("TypeCode"), type},
                         {QStringLiteral("EmptionDate"), bought},
                         {QStringLiteral("Number"), units}});
        };
        customer(QStringLiteral("c1"), QStringLiteral("0101"), at(2024, 1, 31, 23, 59, 59), 2);
        customer(QStringLiteral("c2"), QStringLiteral("010101"), at(2024, 2, 1, 0, 0, 0), 1);
        customer(QStringLiteral("c3"), QStringLiteral("0102"), at(2024, 2, 10), 5);
        customer(QStringLiteral("c4"), QStringLiteral("0110"), at(2024, 2, 10), 7);
        customer(QStringLiteral("c5"), QStringLiteral("010102"), at(2024, 3, 5), QVariant());
        customer(QStringLiteral("c6"), QVariant(), at(2024, 1, 5), 1);
        customer(QStringLiteral("c7"), QStringLiteral("0101"), at(2023, 12, 31, 23, 59, 59), 9);
        const Statistics s(db.dataModule().conn(), kFirstQuarter);
        compareRows(s.salesByMonth(QStringLiteral("0101")),
                    {row("2024-01", {1, 2}), row("2024-02", {1, 1}), row("2024-03", {1, 0})});
        compareRows(s.salesByMonth(QString()),
                    {row("2024-01", {2, 3}), row("2024-02", {3, 13}), row("2024-03", {1, 0})});
        compareRows(
            s.salesByCategory(QStringLiteral("0101")),
            {row("0101-空调（本级）", {1, 2}), row("010101-挂机", {1, 1}), row("010102-柜机", {1, 0})});
        compareRows(s.salesByCategory(QString()), {row("（未分类）", {1, 1}), row("01-家电", {5, 15})});
        compareRows(s.salesByCategory(QStringLiteral("0110")), {row("0110-空调配件（本级）", {1, 7})});
    }

    // A period without records: every month with zeros, no groups.
    void emptyPeriods_data() { zu::test::addEngineRows(); }
    void emptyPeriods()
    {
        ZU_TEST_DATABASE(db);
        addService(at(2024, 1, 5), {{QStringLiteral("Goodsunit"), QStringLiteral("KFR-01")}});
        addCustomer(QStringLiteral("c1"), {}, {{QStringLiteral("EmptionDate"), at(2024, 1, 5)}});
        const Statistics s(db.dataModule().conn(), {QDate(2030, 1, 1), QDate(2030, 2, 28)});
        compareRows(s.servicesByMonth(), {row("2030-01", {0, 0.0}), row("2030-02", {0, 0.0})});
        compareRows(s.complaintsByMonth(), {row("2030-01", {0}), row("2030-02", {0})});
        compareRows(s.salesByMonth(QString()), {row("2030-01", {0, 0}), row("2030-02", {0, 0})});
        QCOMPARE(s.servicesByDay(QDate(2030, 2, 1)).rows.size(), 28);
        QVERIFY(s.servicesByDay(QDate(2030, 3, 1)).rows.isEmpty());
        for (const FigureTable& f : {s.topModels(), s.topFaults(), s.byEngineer(), s.byDepartment(),
                                     s.complaintsByLevel(), s.callsByOutcome(), s.salesByCategory(QString())})
            QVERIFY2(f.rows.isEmpty(), qPrintable(f.title));
    }
};

QTEST_GUILESS_MAIN(TestStatistics)
#include "tst_statistics.moc"
