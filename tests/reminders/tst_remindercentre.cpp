// The reminder centre without any window: each kind of reminder at the edges of its days, the
// done and put-off marks, two workstations marking the same reminder, the maintenance plans.

#include "data/connection.h"
#include "data/datamodule.h"
#include "data/errors.h"
#include "data/query.h"
#include "data/warrantyterms.h"
#include "reminders/remindercentre.h"
#include "support/records.h"
#include "support/testdatabase.h"

#include <QtTest>

using namespace zu;
using zu::test::addCustomer;
using zu::test::addJournal;
using zu::test::insertRow;

namespace {

const QString kUser = QStringLiteral("张三");

QDateTime at(int y, int m, int d, int hour = 0)
{
    return QDateTime(QDate(y, m, d), QTime(hour, 0));
}

// The settings of every test: each kind on or off, all overdue from `since`.
void setKinds(const QDate& since, bool customerDate, bool maintenance, bool returnCall, bool warrantyEnd)
{
    Query q(data().conn());
    q.exec(QStringLiteral(
               "update T_remind set RemindOn = ?, PlanOn = ?, CallOn = ?, WarrantyOn = ?, RemindSince = ?, "
               "PlanSince = ?, CallSince = ?, WarrantySince = ?"),
           {int(customerDate), int(maintenance), int(returnCall), int(warrantyEnd), since.startOfDay(),
            since.startOfDay(), since.startOfDay(), since.startOfDay()});
}

// The warranty months are those of every model not listed in the warranty terms.
void setCounts(int horizonDays, int callAfterDays, int warrantyMonths, int warrantyDays)
{
    Query q(data().conn());
    q.exec(QStringLiteral("update T_remind set %1 = ?, CallDays = ?, WarrantyDays = ?")
               .arg(data().conn().dialect().quote(QStringLiteral("Day"))),
           {horizonDays, callAfterDays, warrantyDays});
    WarrantyTerms(warrantyMonths).save(data().conn());
}

void setOverdueDays(int days)
{
    Query(data().conn()).exec(QStringLiteral("update T_remind set OverdueDays = ?"), {days});
}

qint64 customerId(const QString& code)
{
    return zu::test::count(QStringLiteral("select CusttityID from T_Cust where IDCode = ?"), {code});
}

qint64 addPlan(const QString& model, const QString& kind, int months)
{
    Query q(data().conn());
    return addMaintenancePlan(q, {.model = model, .serviceKind = kind, .months = months});
}

// "name@yyyy-MM-dd" of each reminder of a filter, in the list's order.
QStringList shown(const ReminderCentre& centre, ReminderFilter filter)
{
    QStringList out;
    for (const Reminder& r : centre.list(filter))
        out << r.customerName + QLatin1Char('@') + r.shownDate().toString(Qt::ISODate);
    return out;
}

std::optional<Reminder> find(const ReminderCentre& centre, const QString& name,
                             ReminderFilter filter = ReminderFilter::All)
{
    for (const Reminder& r : centre.list(filter))
        if (r.customerName == name)
            return r;
    return std::nullopt;
}

// The same, whatever order the engine's collation gives reminders of one day.
QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

// The counts agree with the lists they count.
void checkCounts(const ReminderCentre& centre)
{
    const ReminderCounts c = centre.counts();
    for (const ReminderFilter f :
         {ReminderFilter::Today, ReminderFilter::Overdue, ReminderFilter::ThisWeek, ReminderFilter::All})
        QCOMPARE(c.of(f), centre.list(f).size());
}

} // namespace

class TestReminderCentre final : public QObject
{
    Q_OBJECT
private slots:
    void calendarArithmetic_data() { zu::test::addEngineRows(); }
    void calendarArithmetic()
    {
        ZU_TEST_DATABASE(db);
        const SqlDialect& d = data().conn().dialect();
        Query q(data().conn());
        const auto addMonthsTo = [&](const QDate& from, int n) {
            // The engine names the months twice on one side: both placeholders take the count.
            const QString expr = d.addMonths(QStringLiteral("x.d"), QStringLiteral("x.n"));
            q.open(QStringLiteral("select %1 from (select %2 as d, cast(? as integer) as n) x")
                       .arg(expr, d.dateParameter),
                   {d.dateValue(from), n});
            return d.fromDb(q.value(0), ColumnType::DateTime).toDateTime().date();
        };
        QCOMPARE(addMonthsTo(QDate(2024, 1, 31), 1), QDate(2024, 2, 29)); // leap year
        QCOMPARE(addMonthsTo(QDate(2023, 1, 31), 1), QDate(2023, 2, 28));
        QCOMPARE(addMonthsTo(QDate(2024, 2, 29), 12), QDate(2025, 2, 28));
        QCOMPARE(addMonthsTo(QDate(2024, 2, 29), 48), QDate(2028, 2, 29));
        QCOMPARE(addMonthsTo(QDate(2024, 3, 31), -1), QDate(2024, 2, 29));
        QCOMPARE(addMonthsTo(QDate(2024, 12, 31), 2), QDate(2025, 2, 28));
        QCOMPARE(addMonthsTo(QDate(2024, 8, 31), 1), QDate(2024, 9, 30));
        QCOMPARE(addMonthsTo(QDate(2024, 5, 15), 1), QDate(2024, 6, 15));
        QCOMPARE(addMonthsTo(QDate(2024, 11, 30), 3), QDate(2025, 2, 28));
        QCOMPARE(addMonthsTo(QDate(2024, 1, 1), 0), QDate(2024, 1, 1));

        q.open(QStringLiteral("select %1, %2 from (select %3 as a, %3 as b, cast(? as integer) as n) x")
                   .arg(d.addDays(QStringLiteral("x.a"), QStringLiteral("x.n")),
                        d.monthsBetween(QStringLiteral("x.a"), QStringLiteral("x.b")), d.dateParameter),
               {d.dateValue(QDate(2024, 2, 28)), d.dateValue(QDate(2024, 11, 1)), 2});
        QCOMPARE(d.fromDb(q.value(0), ColumnType::DateTime).toDateTime().date(), QDate(2024, 3, 1));
        QCOMPARE(q.value(1).toInt(), 9);
    }

    void customerDateAtDayEdges_data() { zu::test::addEngineRows(); }
    void customerDateAtDayEdges()
    {
        ZU_TEST_DATABASE(db);
        const QDate today(2024, 3, 13); // a Wednesday; the week is 11 to 17 March
        setKinds(today.addDays(-30), true, false, false, false);
        setCounts(7, 3, 12, 30);
        const auto remindOn = [](const char* name, const QVariant& when) {
            addCustomer(QString::fromUtf8(name), {}, {{QStringLiteral("remind"), when}});
        };
        remindOn("今天", today.startOfDay());
        remindOn("今天下午", QDateTime(today, QTime(15, 30)));
        remindOn("第七天", today.addDays(7).startOfDay());
        remindOn("第七天下午", QDateTime(today.addDays(7), QTime(15, 0))); // after the horizon's midnight
        remindOn("第八天", today.addDays(8).startOfDay());
        remindOn("昨天", today.addDays(-1).startOfDay());
        remindOn("启用那天", today.addDays(-30).startOfDay());
        remindOn("启用之前", today.addDays(-31).startOfDay());
        remindOn("本周日", today.addDays(4).startOfDay());
        remindOn("没有日期", QVariant());
        ReminderCentre centre(data().conn(), today);
        QCOMPARE(shown(centre, ReminderFilter::Today),
                 (QStringList{"今天@2024-03-13", "今天下午@2024-03-13"}));
        QCOMPARE(shown(centre, ReminderFilter::Overdue),
                 (QStringList{"启用那天@2024-02-12", "昨天@2024-03-12"}));
        QCOMPARE(
            shown(centre, ReminderFilter::ThisWeek),
            (QStringList{"昨天@2024-03-12", "今天@2024-03-13", "今天下午@2024-03-13", "本周日@2024-03-17"}));
        QCOMPARE(shown(centre, ReminderFilter::All),
                 (QStringList{"启用那天@2024-02-12", "昨天@2024-03-12", "今天@2024-03-13",
                              "今天下午@2024-03-13", "本周日@2024-03-17", "第七天@2024-03-20"}));
        const Reminder overdue = *find(centre, QStringLiteral("昨天"));
        QCOMPARE(overdue.state, ReminderState::Overdue);
        QCOMPARE(overdue.kind, ReminderKind::CustomerDate);
        QCOMPARE(find(centre, QStringLiteral("今天"))->state, ReminderState::Due);
        QCOMPARE(find(centre, QStringLiteral("今天"))->customerId, customerId(QStringLiteral("今天")));
        checkCounts(centre);

        // Switched off, the kind tells nothing.
        setKinds(today.addDays(-30), false, false, false, false);
        ReminderCentre off(data().conn(), today);
        QCOMPARE(off.counts().all, 0);
        QVERIFY(off.list(ReminderFilter::All).isEmpty());
    }

    void returnCallAtDayEdges_data() { zu::test::addEngineRows(); }
    void returnCallAtDayEdges()
    {
        ZU_TEST_DATABASE(db);
        const QDate today(2024, 3, 1);
        setKinds(QDate(2024, 2, 20), false, false, true, false);
        setCounts(7, 3, 12, 30);
        addCustomer(QStringLiteral("王五"), QStringLiteral("C1"));
        const auto service = [](const QDateTime& when, const char* fault,
                                const QString& code = QStringLiteral("C1")) {
            addJournal(QStringLiteral("T_service"), code, QStringLiteral("王五"),
                       {{QStringLiteral("serviceDate"), when},
                        {QStringLiteral("hitchName"), QString::fromUtf8(fault)}});
        };
        service(at(2024, 2, 27, 16), "今天回访"); // + 3 days = today
        service(at(2024, 2, 26), "昨天该回访");   // overdue
        service(at(2024, 3, 5), "第七天回访");    // + 3 = 8 March, the horizon's last day
        service(at(2024, 3, 6), "第八天回访");    // past the horizon
        service(at(2024, 2, 17), "启用那天");     // + 3 = 20 February, the day calls were switched on
        service(at(2024, 2, 16), "启用之前");     // before it: not told
        service(at(2024, 2, 27), "没有这个客户", QStringLiteral("C9")); // no such customer
        ReminderCentre centre(data().conn(), today);
        QStringList subjects;
        for (const Reminder& r : centre.list(ReminderFilter::All))
            subjects << r.subject + QLatin1Char('@') + r.dueDate.toString(Qt::ISODate);
        QCOMPARE(subjects, (QStringList{"启用那天@2024-02-20", "昨天该回访@2024-02-29", "今天回访@2024-03-01",
                                        "第七天回访@2024-03-08"}));
        const QList<Reminder> due = centre.list(ReminderFilter::Today);
        QCOMPARE(due.size(), 1);
        QCOMPARE(due[0].kind, ReminderKind::ReturnCall);
        QCOMPARE(due[0].customerCode, QStringLiteral("C1"));
        QCOMPARE(due[0].sourceId,
                 qint64(zu::test::count(QStringLiteral("select id from T_service where hitchName = ?"),
                                        {QStringLiteral("今天回访")})));
        QCOMPARE(centre.list(ReminderFilter::Overdue).size(), 2);
        checkCounts(centre);
    }

    void warrantyEndAtDayEdges_data() { zu::test::addEngineRows(); }
    void warrantyEndAtDayEdges()
    {
        ZU_TEST_DATABASE(db);
        const QDate today(2024, 3, 1);
        setKinds(QDate(2024, 2, 25), false, false, false, true);
        setCounts(7, 3, 12, 30);
        const auto bought = [](const char* name, const QDate& when) {
            addCustomer(QString::fromUtf8(name), {}, {{QStringLiteral("EmptionDate"), when.startOfDay()}});
        };
        bought("今天到期", QDate(2023, 3, 1));
        bought("第三十天", QDate(2023, 3, 31));  // ends 31 March, the horizon's last day
        bought("第三十一天", QDate(2023, 4, 1)); // past it
        bought("昨天到期", QDate(2023, 2, 28));  // ended 28 February 2024: overdue
        bought("闰日买的", QDate(2020, 2, 29));  // with four years: 29 February 2024
        bought("启用之前", QDate(2023, 2, 24));
        ReminderCentre centre(data().conn(), today);
        QCOMPARE(shown(centre, ReminderFilter::All),
                 (QStringList{"昨天到期@2024-02-28", "今天到期@2024-03-01", "第三十天@2024-03-31"}));
        setCounts(7, 3, 48, 30);
        ReminderCentre fourYears(data().conn(), today);
        QCOMPARE(shown(fourYears, ReminderFilter::Overdue), QStringList{"闰日买的@2024-02-29"});
        checkCounts(centre);
    }

    // Each model's warranty ends after its own months; models not listed after the default's.
    void warrantyEndByModelAtDayEdges_data() { zu::test::addEngineRows(); }
    void warrantyEndByModelAtDayEdges()
    {
        ZU_TEST_DATABASE(db);
        const QDate today(2024, 3, 1);
        setKinds(QDate(2024, 2, 25), false, false, false, true);
        setCounts(7, 3, 12, 30);
        WarrantyTerms terms(12);
        terms.setMonths(QStringLiteral("空调"), 36);
        terms.setMonths(QStringLiteral("热水器"), 24);
        terms.save(data().conn());
        const auto bought = [](const char* name, const char* model, const QDate& when) {
            addCustomer(QString::fromUtf8(name), {},
                        {{QStringLiteral("Goodsunit"), QString::fromUtf8(model)},
                         {QStringLiteral("EmptionDate"), when.startOfDay()}});
        };
        bought("空调今天", "空调", QDate(2021, 3, 1));
        bought("空调第三十天", "空调", QDate(2021, 3, 31));
        bought("空调第三十一天", "空调", QDate(2021, 4, 1));
        bought("空调启用那天", "空调", QDate(2021, 2, 25));
        bought("空调启用之前", "空调", QDate(2021, 2, 24));
        bought("空调一年前", "空调", QDate(2023, 3, 1)); // the default's months would end it today
        bought("空调带空格", " 空调 ", QDate(2021, 3, 2));
        bought("热水器今天", "热水器", QDate(2022, 3, 1));
        bought("热水器第三十天", "热水器", QDate(2022, 3, 31));
        bought("热水器第三十一天", "热水器", QDate(2022, 4, 1));
        bought("热水器月底", "热水器", QDate(2022, 2, 28));      // 24 months: 28 February 2024
        bought("热水器空调的日子", "热水器", QDate(2021, 3, 1)); // ended a year ago
        bought("电视今天", "电视", QDate(2023, 3, 1));
        bought("电视两年前", "电视", QDate(2022, 3, 1));
        ReminderCentre centre(data().conn(), today);
        QCOMPARE(sorted(shown(centre, ReminderFilter::All)),
                 sorted({"空调启用那天@2024-02-25", "热水器月底@2024-02-28", "电视今天@2024-03-01",
                         "空调今天@2024-03-01", "热水器今天@2024-03-01", "空调带空格@2024-03-02",
                         "空调第三十天@2024-03-31", "热水器第三十天@2024-03-31"}));
        QCOMPARE(shown(centre, ReminderFilter::Overdue),
                 (QStringList{"空调启用那天@2024-02-25", "热水器月底@2024-02-28"}));
        checkCounts(centre);

        // The default months changed: the listed models keep theirs.
        terms.setDefaultMonths(24);
        terms.save(data().conn());
        ReminderCentre longer(data().conn(), today);
        QCOMPARE(sorted(shown(longer, ReminderFilter::Today)),
                 sorted({"热水器今天@2024-03-01", "电视两年前@2024-03-01", "空调今天@2024-03-01"}));
        checkCounts(longer);
    }

    // A plan's dates run on from a purchase or a service long ago: the first and the last day of
    // the days told, the days just outside them, a month end, and a later service that moves the
    // date out of them.
    void maintenanceFromLongAgoAtWindowEdges_data() { zu::test::addEngineRows(); }
    void maintenanceFromLongAgoAtWindowEdges()
    {
        ZU_TEST_DATABASE(db);
        const QDate today(2024, 2, 20); // told: 1 February (switched on) to 22 March
        setKinds(QDate(2024, 2, 1), false, true, false, false);
        setCounts(31, 3, 12, 30);
        addPlan(QStringLiteral("净水器A"), QStringLiteral("滤芯更换"), 6);
        const auto bought = [](const char* name, const QString& code, const QDate& when) {
            addCustomer(QString::fromUtf8(name), code,
                        {{QStringLiteral("Goodsunit"), QStringLiteral("净水器A")},
                         {QStringLiteral("EmptionDate"), when.startOfDay()}});
        };
        const auto service = [](const QString& code, const QDate& when, const char* kind) {
            addJournal(QStringLiteral("T_service"), code, QStringLiteral("客户"),
                       {{QStringLiteral("serviceDate"), QDateTime(when, QTime(10, 0))},
                        {QStringLiteral("hitchName"), QString::fromUtf8(kind)}});
        };
        bought("第一天", QStringLiteral("A1"), QDate(2019, 2, 1));
        bought("第一天之前", QStringLiteral("A2"), QDate(2019, 1, 31)); // next 31 July: too late
        bought("最后一天", QStringLiteral("A3"), QDate(2019, 3, 22));
        bought("最后一天之后", QStringLiteral("A4"), QDate(2019, 3, 23));
        bought("月底", QStringLiteral("A5"), QDate(2018, 8, 31)); // 66 months: 29 February
        bought("按维修", QStringLiteral("A6"), QDate(2010, 5, 5));
        service(QStringLiteral("A6"), QDate(2016, 8, 30), "滤芯更换"); // 90 months: 29 February
        service(QStringLiteral("A6"), QDate(2023, 3, 5), "清洗");      // another kind
        bought("后来又换过", QStringLiteral("A7"), QDate(2010, 5, 5));
        service(QStringLiteral("A7"), QDate(2016, 8, 30), "滤芯更换");
        service(QStringLiteral("A7"), QDate(2023, 12, 10), "滤芯更换"); // next 10 June
        ReminderCentre centre(data().conn(), today);
        QCOMPARE(
            sorted(shown(centre, ReminderFilter::All)),
            sorted({"第一天@2024-02-01", "按维修@2024-02-29", "月底@2024-02-29", "最后一天@2024-03-22"}));
        checkCounts(centre);
    }

    void maintenancePlanAtMonthEnds_data() { zu::test::addEngineRows(); }
    void maintenancePlanAtMonthEnds()
    {
        ZU_TEST_DATABASE(db);
        setKinds(QDate(2024, 2, 1), false, true, false, false);
        setCounts(31, 3, 12, 30);
        addPlan(QStringLiteral("净水器A"), QStringLiteral("滤芯更换"), 1);
        addPlan(QStringLiteral("空调B"), QStringLiteral("清洗"), 12);
        const auto bought = [](const char* name, const char* model, const QDate& when) {
            addCustomer(
                QString::fromUtf8(name), {},
                {{QStringLiteral("Goodsunit"), QString::fromUtf8(model)},
                 {QStringLiteral("EmptionDate"), when.isValid() ? QVariant(when.startOfDay()) : QVariant()}});
        };
        bought("一月底", "净水器A", QDate(2024, 1, 31)); // + 1 month: 29 February (leap year)
        bought("闰日", "空调B", QDate(2023, 2, 28));     // + 12 months: 28 February 2024
        bought("别的型号", "电视C", QDate(2024, 1, 31));
        bought("没有购买日期", "净水器A", QDate());
        ReminderCentre centre(data().conn(), QDate(2024, 2, 20));
        QCOMPARE(shown(centre, ReminderFilter::All), (QStringList{"闰日@2024-02-28", "一月底@2024-02-29"}));
        QCOMPARE(find(centre, QStringLiteral("一月底"))->subject, QStringLiteral("滤芯更换"));

        // A purchase long before the kind was switched on: the first date of the rhythm on or after that day.
        const qint64 heater = addPlan(QStringLiteral("热水器D"), QStringLiteral("除垢"), 6);
        bought("老客户", "热水器D", QDate(2020, 3, 15));    // 15 March and 15 September each year
        bought("老客户月初", "热水器D", QDate(2020, 2, 1)); // 1 February: exactly the day switched on
        ReminderCentre later(data().conn(), QDate(2024, 2, 20));
        QCOMPARE(later.nextMaintenance(customerId(QStringLiteral("老客户")), heater), QDate(2024, 3, 15));
        QCOMPARE(find(later, QStringLiteral("老客户"))->planId, heater);
        QCOMPARE(find(later, QStringLiteral("老客户月初"))->dueDate, QDate(2024, 2, 1));
        QCOMPARE(find(later, QStringLiteral("老客户月初"))->state, ReminderState::Overdue);
        checkCounts(later);
    }

    void maintenanceFollowsTheServiceRecorded_data() { zu::test::addEngineRows(); }
    void maintenanceFollowsTheServiceRecorded()
    {
        ZU_TEST_DATABASE(db);
        setKinds(QDate(2024, 1, 1), false, true, false, false);
        setCounts(30, 3, 12, 30);
        const qint64 plan = addPlan(QStringLiteral("净水器A"), QStringLiteral("滤芯更换"), 6);
        addCustomer(QStringLiteral("赵六"), QStringLiteral("C6"),
                    {{QStringLiteral("Goodsunit"), QStringLiteral("净水器A")},
                     {QStringLiteral("EmptionDate"), at(2024, 1, 10)}});
        const qint64 customer = customerId(QStringLiteral("C6"));
        const QDate today(2024, 7, 1);
        QCOMPARE(ReminderCentre(data().conn(), today).nextMaintenance(customer, plan), QDate(2024, 7, 10));
        QCOMPARE(ReminderCentre(data().conn(), today).list(ReminderFilter::All).size(), 1);

        // A service of another kind changes nothing; one of the plan's kind starts the months again.
        const auto service = [](const QDateTime& when, const char* kind) {
            addJournal(QStringLiteral("T_service"), QStringLiteral("C6"), QStringLiteral("赵六"),
                       {{QStringLiteral("serviceDate"), when},
                        {QStringLiteral("hitchName"), QString::fromUtf8(kind)}});
        };
        service(at(2024, 6, 28, 9), "不制冷");
        QCOMPARE(ReminderCentre(data().conn(), today).nextMaintenance(customer, plan), QDate(2024, 7, 10));
        service(at(2024, 6, 30, 14), "滤芯更换");
        ReminderCentre afterService(data().conn(), today);
        QCOMPARE(afterService.nextMaintenance(customer, plan), QDate(2024, 12, 30));
        QVERIFY(afterService.list(ReminderFilter::All).isEmpty());
        // An older service of the kind does not count back.
        service(at(2024, 3, 1), "滤芯更换");
        QCOMPARE(ReminderCentre(data().conn(), today).nextMaintenance(customer, plan), QDate(2024, 12, 30));

        // Marked done without a service: the next date follows from the date that was due.
        ReminderCentre december(data().conn(), QDate(2025, 1, 5));
        const Reminder due = *find(december, QStringLiteral("赵六"), ReminderFilter::Overdue);
        QCOMPARE(due.dueDate, QDate(2024, 12, 30));
        december.markDone(due, kUser);
        ReminderCentre afterDone(data().conn(), QDate(2025, 1, 5));
        QCOMPARE(afterDone.nextMaintenance(customer, plan), QDate(2025, 6, 30));
        QVERIFY(afterDone.list(ReminderFilter::All).isEmpty());
    }

    // An open reminder is told for so many days after it was due: the look-back's first day is
    // told, the day before it not; the day the kind was switched on still limits it.
    void overdueDaysAtDayEdges_data() { zu::test::addEngineRows(); }
    void overdueDaysAtDayEdges()
    {
        ZU_TEST_DATABASE(db);
        const QDate today(2024, 3, 1); // 10 days back is 20 February, in a leap year
        setKinds(QDate(2023, 1, 1), true, true, true, true);
        setCounts(7, 3, 12, 30);
        setOverdueDays(10);
        const auto customer = [](const char* name, const QString& code, const QVariantMap& values) {
            addCustomer(QString::fromUtf8(name), code, values);
        };
        customer("提醒第十天", QStringLiteral("R1"),
                 {{QStringLiteral("remind"), QDateTime(QDate(2024, 2, 20), QTime(9, 0))}});
        customer("提醒第十一天", QStringLiteral("R2"),
                 {{QStringLiteral("remind"), QDate(2024, 2, 19).startOfDay()}});
        customer("提醒昨天", QStringLiteral("R3"),
                 {{QStringLiteral("remind"), QDate(2024, 2, 29).startOfDay()}});
        customer("保修第十天", QStringLiteral("W1"),
                 {{QStringLiteral("EmptionDate"), QDate(2023, 2, 20).startOfDay()}});
        customer("保修第十一天", QStringLiteral("W2"),
                 {{QStringLiteral("EmptionDate"), QDate(2023, 2, 19).startOfDay()}});
        customer("回访客户", QStringLiteral("S1"), {});
        const auto service = [](const QDate& when, const char* fault) {
            addJournal(QStringLiteral("T_service"), QStringLiteral("S1"), QStringLiteral("回访客户"),
                       {{QStringLiteral("serviceDate"), QDateTime(when, QTime(17, 0))},
                        {QStringLiteral("hitchName"), QString::fromUtf8(fault)}});
        };
        service(QDate(2024, 2, 17), "回访第十天");   // called back on 20 February
        service(QDate(2024, 2, 16), "回访第十一天"); // on 19 February: no longer told
        // Monthly plans: due on the look-back's first day, and one day before it (the next
        // month's date is told instead, within the horizon of 31 days set below).
        addPlan(QStringLiteral("净水器A"), QStringLiteral("滤芯更换"), 1);
        customer("保养第十天", QStringLiteral("P1"),
                 {{QStringLiteral("Goodsunit"), QStringLiteral("净水器A")},
                  {QStringLiteral("EmptionDate"), QDate(2024, 1, 20).startOfDay()}});
        customer("保养第十一天", QStringLiteral("P2"),
                 {{QStringLiteral("Goodsunit"), QStringLiteral("净水器A")},
                  {QStringLiteral("EmptionDate"), QDate(2024, 1, 19).startOfDay()}});

        ReminderCentre centre(data().conn(), today);
        QStringList overdue;
        for (const Reminder& r : centre.list(ReminderFilter::Overdue))
            overdue << reminderKindKey(r.kind) + QLatin1Char('@') + r.customerCode + QLatin1Char('@') +
                           r.dueDate.toString(Qt::ISODate);
        overdue.sort();
        QCOMPARE(overdue, (QStringList{"call@S1@2024-02-20", "plan@P1@2024-02-20", "remind@R1@2024-02-20",
                                       "remind@R3@2024-02-29", "warranty@W1@2024-02-20"}));
        checkCounts(centre);

        setCounts(31, 3, 12, 30);
        ReminderCentre wider(data().conn(), today);
        // The plan due the day before the look-back is told with its next date.
        QCOMPARE(find(wider, QStringLiteral("保养第十一天"))->dueDate, QDate(2024, 3, 19));
        QCOMPARE(find(wider, QStringLiteral("保养第十天"))->dueDate, QDate(2024, 2, 20));
        checkCounts(wider);

        // A day later the first day has passed too.
        ReminderCentre tomorrow(data().conn(), today.addDays(1));
        QVERIFY(!find(tomorrow, QStringLiteral("提醒第十天")));
        QCOMPARE(find(tomorrow, QStringLiteral("提醒昨天"))->state, ReminderState::Overdue);

        // Switched on later than the look-back's first day: that day limits.
        setKinds(QDate(2024, 2, 29), true, false, false, false);
        ReminderCentre since(data().conn(), today);
        QCOMPARE(shown(since, ReminderFilter::Overdue), QStringList{"提醒昨天@2024-02-29"});
    }

    // A reminder put off shows under the day it was put off to, whichever day it is due.
    void snoozedShowsUnderItsDay_data() { zu::test::addEngineRows(); }
    void snoozedShowsUnderItsDay()
    {
        ZU_TEST_DATABASE(db);
        const QDate today(2024, 3, 13);
        setKinds(QDate(2024, 3, 1), true, false, false, false);
        setCounts(7, 3, 12, 30);
        addCustomer(QStringLiteral("下周"), {}, {{QStringLiteral("remind"), today.addDays(6).startOfDay()}});
        ReminderCentre centre(data().conn(), today);
        centre.snooze(*find(centre, QStringLiteral("下周")), today.addDays(1), kUser); // earlier than due
        ReminderCentre tomorrow(data().conn(), today.addDays(1));
        QCOMPARE(shown(tomorrow, ReminderFilter::Today), QStringList{"下周@2024-03-14"});
        checkCounts(tomorrow);
        ReminderCentre later(data().conn(), today.addDays(3));
        QCOMPARE(shown(later, ReminderFilter::Overdue), QStringList{"下周@2024-03-14"});
        QVERIFY(shown(later, ReminderFilter::Today).isEmpty());
        checkCounts(later);
    }

    // The counts take each mark due within the window from the day it was due to the day it shows
    // under, or to the done ones: a mark on the window's first and last day counts, one on the day
    // before the window or on a date no longer due changes nothing.
    void countsMoveMarkedRemindersAtWindowEdges_data() { zu::test::addEngineRows(); }
    void countsMoveMarkedRemindersAtWindowEdges()
    {
        ZU_TEST_DATABASE(db);
        const QDate today(2024, 3, 13); // a Wednesday: the week is 11 to 17 March; told 3 to 20 March
        setKinds(QDate(2024, 1, 1), true, false, false, false);
        setCounts(7, 3, 12, 30);
        setOverdueDays(10);
        const auto remind = [](const char* name, const QDate& when) {
            addCustomer(QString::fromUtf8(name), {}, {{QStringLiteral("remind"), when.startOfDay()}});
        };
        remind("首日", QDate(2024, 3, 3));
        remind("首日前", QDate(2024, 3, 2));
        remind("末日", QDate(2024, 3, 20));
        remind("今天", today);
        remind("逾期", QDate(2024, 3, 5));
        remind("改期", QDate(2024, 3, 12));
        ReminderCentre earlier(data().conn(), QDate(2024, 3, 2));
        earlier.markDone(*find(earlier, QStringLiteral("首日前")), kUser);
        ReminderCentre centre(data().conn(), today);
        QVERIFY(!find(centre, QStringLiteral("首日前")));
        centre.markDone(*find(centre, QStringLiteral("首日")), kUser);
        centre.snooze(*find(centre, QStringLiteral("末日")), QDate(2024, 3, 14), kUser);
        centre.snooze(*find(centre, QStringLiteral("今天")), QDate(2024, 3, 25), kUser); // past the horizon
        centre.markDone(*find(centre, QStringLiteral("改期")), kUser);
        Query(data().conn())
            .exec(QStringLiteral("update T_Cust set remind = ? where CustName = ?"),
                  {QDate(2024, 3, 15).startOfDay(), QStringLiteral("改期")});

        ReminderCentre after(data().conn(), today);
        const ReminderCounts c = after.counts();
        QCOMPARE(c.today, 0);
        QCOMPARE(c.overdue, 1);  // 逾期; 首日 is done
        QCOMPARE(c.thisWeek, 2); // 末日 put off to 14 March, 改期 now due 15 March
        QCOMPARE(c.all, 5);      // and 首日 done, 今天 put off past the horizon
        QCOMPARE(find(after, QStringLiteral("首日"))->state, ReminderState::Done);
        QCOMPARE(find(after, QStringLiteral("改期"))->state, ReminderState::Due);
        QCOMPARE(find(after, QStringLiteral("今天"))->shownDate(), QDate(2024, 3, 25));
        checkCounts(after);
    }

    // Each plan's customer is counted once, from the latest of the purchase, the last service of
    // the plan's kind and the last date marked done, on a tie on either side of the day.
    void maintenanceCountsFromTheLatestOfThreeDates_data() { zu::test::addEngineRows(); }
    void maintenanceCountsFromTheLatestOfThreeDates()
    {
        ZU_TEST_DATABASE(db);
        setKinds(QDate(2023, 1, 1), false, true, false, false);
        setCounts(30, 3, 12, 30);
        addPlan(QStringLiteral("净水器A"), QStringLiteral("滤芯更换"), 6);
        const auto bought = [](const char* name, const QDate& when, const char* model = "净水器A") {
            addCustomer(QString::fromUtf8(name), QString::fromUtf8(name),
                        {{QStringLiteral("Goodsunit"), QString::fromUtf8(model)},
                         {QStringLiteral("EmptionDate"), when.startOfDay()}});
        };
        const auto service = [](const char* name, const QDateTime& when, const char* kind = "滤芯更换") {
            addJournal(QStringLiteral("T_service"), QString::fromUtf8(name), QString::fromUtf8(name),
                       {{QStringLiteral("serviceDate"), when},
                        {QStringLiteral("hitchName"), QString::fromUtf8(kind)}});
        };
        bought("同日维修", QDate(2024, 1, 5));
        service("同日维修", at(2024, 1, 5, 15));
        bought("次日维修", QDate(2024, 1, 5));
        service("次日维修", at(2024, 1, 6, 9));
        bought("两次同日", QDate(2023, 1, 1));
        service("两次同日", at(2024, 1, 7, 9));
        service("两次同日", at(2024, 1, 7, 16));
        bought("先修后买", QDate(2024, 1, 8));
        service("先修后买", at(2024, 1, 7, 9));
        bought("别的项目", QDate(2023, 1, 2));
        service("别的项目", at(2024, 1, 10, 9), "清洗");
        bought("别的型号", QDate(2024, 1, 5), "电视C");
        bought("窗口首日", QDate(2024, 1, 1));
        bought("窗口之前", QDate(2023, 12, 30));
        // Done on the date due: counted from that date on, unless a service came on or after it.
        bought("完成", QDate(2023, 7, 9));
        bought("完成同日维修", QDate(2023, 7, 11));
        bought("完成后维修", QDate(2023, 7, 12));
        for (const auto& [name, day] :
             {std::pair{"完成", 9}, std::pair{"完成同日维修", 11}, std::pair{"完成后维修", 12}}) {
            ReminderCentre then(data().conn(), QDate(2024, 1, day));
            then.markDone(*find(then, QString::fromUtf8(name), ReminderFilter::Today), kUser);
        }
        service("完成同日维修", at(2024, 1, 11, 10));
        service("完成后维修", at(2024, 1, 13, 10));

        setKinds(QDate(2024, 7, 1), false, true, false, false);
        ReminderCentre centre(data().conn(), QDate(2024, 7, 10)); // told 1 July to 9 August
        QCOMPARE(sorted(shown(centre, ReminderFilter::All)),
                 sorted({"同日维修@2024-07-05", "次日维修@2024-07-06", "两次同日@2024-07-07",
                         "先修后买@2024-07-08", "别的项目@2024-07-02", "窗口首日@2024-07-01",
                         "完成@2024-07-09", "完成同日维修@2024-07-11", "完成后维修@2024-07-13"}));
        QCOMPARE(centre.counts().all, 9);
        QCOMPARE(centre.counts().overdue, 7); // all but 11 and 13 July
        checkCounts(centre);
    }

    // The purchase days whose warranty ends within the days told, exactly: the month ends of a
    // leap year gather several purchase days on one end.
    void warrantyCountsAtLeapMonthEnds_data() { zu::test::addEngineRows(); }
    void warrantyCountsAtLeapMonthEnds()
    {
        ZU_TEST_DATABASE(db);
        const QDate today(2024, 2, 29); // told 28 February to 1 March
        setKinds(QDate(2024, 1, 1), false, false, false, true);
        setCounts(7, 3, 6, 1);
        setOverdueDays(1);
        for (int day = 27; day <= 31; ++day)
            addCustomer(QStringLiteral("八月%1日").arg(day), {},
                        {{QStringLiteral("EmptionDate"), QDate(2023, 8, day).startOfDay()}});
        for (int day = 1; day <= 2; ++day)
            addCustomer(QStringLiteral("九月%1日").arg(day), {},
                        {{QStringLiteral("EmptionDate"), QDate(2023, 9, day).startOfDay()}});
        ReminderCentre centre(data().conn(), today);
        QCOMPARE(shown(centre, ReminderFilter::All),
                 (QStringList{"八月28日@2024-02-28", "八月29日@2024-02-29", "八月30日@2024-02-29",
                              "八月31日@2024-02-29", "九月1日@2024-03-01"}));
        const ReminderCounts c = centre.counts();
        QCOMPARE(c.all, 5);
        QCOMPARE(c.today, 3);
        QCOMPARE(c.overdue, 1);
        checkCounts(centre);
    }

    // Reopening takes the done mark back; the reminder is as its date makes it again.
    void reopenTakesTheDoneMarkBack_data() { zu::test::addEngineRows(); }
    void reopenTakesTheDoneMarkBack()
    {
        ZU_TEST_DATABASE(db);
        const QDate today(2024, 7, 1);
        setKinds(QDate(2024, 1, 1), true, false, false, false);
        setCounts(30, 3, 12, 30);
        addCustomer(QStringLiteral("昨天"), {}, {{QStringLiteral("remind"), today.addDays(-1).startOfDay()}});
        addCustomer(QStringLiteral("今天"), {}, {{QStringLiteral("remind"), today.startOfDay()}});
        ReminderCentre centre(data().conn(), today);
        QVERIFY_THROWS_EXCEPTION(CommandError, centre.reopen(*find(centre, QStringLiteral("昨天"))));
        centre.markDone(*find(centre, QStringLiteral("昨天")), kUser);
        centre.markDone(*find(centre, QStringLiteral("今天")), kUser);
        ReminderCentre done(data().conn(), today);
        QCOMPARE(done.counts().overdue, 0);
        QCOMPARE(done.counts().today, 0);

        // Another workstation reopens it first: this one is refused.
        Connection other(data().conn().dialect(), data().conn().settings());
        QVERIFY2(other.open(), qPrintable(other.lastError()));
        const Reminder read = *find(done, QStringLiteral("昨天"));
        ReminderCentre there(other, today);
        there.reopen(*find(there, QStringLiteral("昨天")));
        QVERIFY_THROWS_EXCEPTION(CommandError, done.reopen(read));

        done.reopen(*find(done, QStringLiteral("今天")));
        ReminderCentre reopened(data().conn(), today);
        QCOMPARE(shown(reopened, ReminderFilter::Overdue), QStringList{"昨天@2024-06-30"});
        QCOMPARE(shown(reopened, ReminderFilter::Today), QStringList{"今天@2024-07-01"});
        QCOMPARE(find(reopened, QStringLiteral("今天"))->state, ReminderState::Due);
        QVERIFY(find(reopened, QStringLiteral("今天"))->markedBy.isEmpty());
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_remindstate")), 0);
        checkCounts(reopened);
    }

    // Pages of a list in its order make up the whole list.
    void listIsReadInPages_data() { zu::test::addEngineRows(); }
    void listIsReadInPages()
    {
        ZU_TEST_DATABASE(db);
        const QDate today(2024, 3, 13);
        setKinds(QDate(2024, 3, 1), true, false, false, false);
        for (int i = 0; i < 7; ++i)
            addCustomer(QStringLiteral("客户%1").arg(i), {},
                        {{QStringLiteral("remind"), today.addDays(i % 3 - 1).startOfDay()}});
        ReminderCentre centre(data().conn(), today);
        const QList<Reminder> all = centre.list(ReminderFilter::All);
        QCOMPARE(all.size(), 7);
        QStringList paged;
        for (int offset = 0; offset < 9; offset += 3)
            for (const Reminder& r : centre.list(ReminderFilter::All, offset, 3))
                paged << r.customerName;
        QStringList whole;
        for (const Reminder& r : all)
            whole << r.customerName;
        QCOMPARE(paged, whole);
    }

    // The reminders are read in a transaction of their own, which leaves the connection as it
    // was: no transaction open, and on the server the parallel workers allowed again. Within a
    // transaction already begun they are read in it, and it stays the caller's to end.
    void readsLeaveTheConnectionAsItWas_data() { zu::test::addEngineRows(); }
    void readsLeaveTheConnectionAsItWas()
    {
        ZU_TEST_DATABASE(db);
        const QDate today(2024, 3, 13);
        setKinds(QDate(2024, 3, 1), true, false, false, false);
        addCustomer(QStringLiteral("今天"), {}, {{QStringLiteral("remind"), today.startOfDay()}});
        Connection& c = data().conn();
        const auto parallelWorkers = [&c] {
            Query q(c);
            q.open(QStringLiteral("show max_parallel_workers_per_gather"));
            return q.asString(QStringLiteral("max_parallel_workers_per_gather"));
        };
        const QString workers = db.isServer() ? parallelWorkers() : QString();
        QVERIFY(!db.isServer() || workers != QStringLiteral("0"));
        ReminderCentre centre(c, today);
        QCOMPARE(centre.counts().today, 1);
        QCOMPARE(shown(centre, ReminderFilter::Today), QStringList{QStringLiteral("今天@2024-03-13")});
        QVERIFY(!c.inTransaction());
        if (db.isServer())
            QCOMPARE(parallelWorkers(), workers);

        {
            TransactionGuard tx(c);
            addCustomer(QStringLiteral("今天也是"), {}, {{QStringLiteral("remind"), today.startOfDay()}});
            QCOMPARE(centre.counts().today, 2);
            QCOMPARE(centre.list(ReminderFilter::Today).size(), 2);
            QVERIFY(c.inTransaction());
        } // rolled back
        QCOMPARE(centre.counts().today, 1);
        QCOMPARE(shown(centre, ReminderFilter::Today), QStringList{QStringLiteral("今天@2024-03-13")});
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_Cust")), 1);
    }

    void doneAndSnoozedTransitions_data() { zu::test::addEngineRows(); }
    void doneAndSnoozedTransitions()
    {
        ZU_TEST_DATABASE(db);
        const QDate today(2024, 3, 13);
        setKinds(QDate(2024, 3, 1), true, false, false, false);
        setCounts(7, 3, 12, 30);
        addCustomer(QStringLiteral("完成"), {}, {{QStringLiteral("remind"), today.startOfDay()}});
        addCustomer(QStringLiteral("推迟"), {}, {{QStringLiteral("remind"), today.startOfDay()}});
        addCustomer(QStringLiteral("逾期"), {}, {{QStringLiteral("remind"), today.addDays(-2).startOfDay()}});
        ReminderCentre centre(data().conn(), today);
        centre.markDone(*find(centre, QStringLiteral("完成")), kUser);
        QVERIFY_THROWS_EXCEPTION(CommandError,
                                 centre.snooze(*find(centre, QStringLiteral("推迟")), today, kUser));
        centre.snooze(*find(centre, QStringLiteral("推迟")), today.addDays(2), kUser);
        centre.markDone(*find(centre, QStringLiteral("逾期")), kUser);

        ReminderCentre now(data().conn(), today);
        QVERIFY(now.list(ReminderFilter::Today).isEmpty());
        QVERIFY(now.list(ReminderFilter::Overdue).isEmpty());
        const Reminder done = *find(now, QStringLiteral("完成"));
        QCOMPARE(done.state, ReminderState::Done);
        QCOMPARE(done.markedBy, kUser);
        QVERIFY(done.markedAt.isValid());
        const Reminder snoozed = *find(now, QStringLiteral("推迟"));
        QCOMPARE(snoozed.state, ReminderState::Snoozed);
        QCOMPARE(snoozed.shownDate(), today.addDays(2));
        QCOMPARE(shown(now, ReminderFilter::ThisWeek), QStringList{"推迟@2024-03-15"});
        QCOMPARE(find(now, QStringLiteral("逾期"))->state, ReminderState::Done);
        checkCounts(now);

        // The day it was put off to, it is due again; the day after, overdue.
        ReminderCentre thatDay(data().conn(), today.addDays(2));
        QCOMPARE(shown(thatDay, ReminderFilter::Today), QStringList{"推迟@2024-03-15"});
        QCOMPARE(find(thatDay, QStringLiteral("推迟"))->state, ReminderState::Due);
        ReminderCentre dayAfter(data().conn(), today.addDays(3));
        QCOMPARE(shown(dayAfter, ReminderFilter::Overdue), QStringList{"推迟@2024-03-15"});
        QCOMPARE(find(dayAfter, QStringLiteral("推迟"))->state, ReminderState::Overdue);
        // Put off again, then done.
        dayAfter.snooze(*find(dayAfter, QStringLiteral("推迟")), today.addDays(5), kUser);
        ReminderCentre again(data().conn(), today.addDays(3));
        again.markDone(*find(again, QStringLiteral("推迟")), kUser);
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_remindstate")), 3);
        QCOMPARE(find(ReminderCentre(data().conn(), today.addDays(3)), QStringLiteral("推迟"))->state,
                 ReminderState::Done);

        // A new reminder date is a new reminder: the old mark does not carry over.
        Query(data().conn())
            .exec(QStringLiteral("update T_Cust set remind = ? where CustName = ?"),
                  {today.addDays(1).startOfDay(), QStringLiteral("完成")});
        QCOMPARE(find(ReminderCentre(data().conn(), today), QStringLiteral("完成"))->state,
                 ReminderState::Due);
    }

    void twoWorkstationsMarkTheSameReminder_data() { zu::test::addEngineRows(); }
    void twoWorkstationsMarkTheSameReminder()
    {
        ZU_TEST_DATABASE(db);
        const QDate today(2024, 3, 13);
        setKinds(QDate(2024, 3, 1), true, false, false, false);
        addCustomer(QStringLiteral("共用"), {}, {{QStringLiteral("remind"), today.startOfDay()}});
        Connection other(data().conn().dialect(), data().conn().settings());
        QVERIFY2(other.open(), qPrintable(other.lastError()));
        ReminderCentre here(data().conn(), today);
        ReminderCentre there(other, today);
        const Reminder readHere = *find(here, QStringLiteral("共用"));
        const Reminder readThere = *find(there, QStringLiteral("共用"));
        there.snooze(readThere, today.addDays(1), QStringLiteral("李四"));
        QVERIFY_THROWS_EXCEPTION(CommandError, here.markDone(readHere, kUser));
        const Reminder snoozed = *find(here, QStringLiteral("共用"));
        QCOMPARE(snoozed.markedBy, QStringLiteral("李四"));
        QVERIFY_THROWS_EXCEPTION(CommandError, there.markDone(readThere, QStringLiteral("李四")));
        here.markDone(snoozed, kUser);
        QCOMPARE(find(there, QStringLiteral("共用"))->state, ReminderState::Done);
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_remindstate")), 1);
    }

    void settingsSwitchKindsOnFromToday_data() { zu::test::addEngineRows(); }
    void settingsSwitchKindsOnFromToday()
    {
        ZU_TEST_DATABASE(db);
        Query& q = data().qryTemp();
        ReminderKindSettings s = readReminderKindSettings(q);
        QVERIFY(s.customerDate && s.maintenance && s.returnCall && s.warrantyEnd);
        QCOMPARE(s.horizonDays, 7);
        QCOMPARE(s.callAfterDays, 3);
        QCOMPARE(s.warrantyDays, 30);
        QCOMPARE(s.overdueDays, 90);
        QCOMPARE(s.returnCallSince, QDate::currentDate());

        setKinds(QDate(2024, 1, 1), true, true, false, true);
        s = readReminderKindSettings(q);
        s.returnCall = true;
        s.callAfterDays = 0; // below one becomes one
        s.overdueDays = 0;
        storeReminderKindSettings(q, s, QDate(2024, 5, 6));
        const ReminderKindSettings stored = readReminderKindSettings(q);
        QVERIFY(stored.returnCall);
        QCOMPARE(stored.returnCallSince, QDate(2024, 5, 6));  // switched on today
        QCOMPARE(stored.maintenanceSince, QDate(2024, 1, 1)); // on before: kept
        QCOMPARE(stored.callAfterDays, 1);
        QCOMPARE(stored.overdueDays, 1);

        QVERIFY_THROWS_EXCEPTION(CommandError, addPlan(QStringLiteral("净水器"), QStringLiteral("滤芯"), 0));
        QVERIFY_THROWS_EXCEPTION(CommandError, addPlan(QStringLiteral(" "), QStringLiteral("滤芯"), 6));
        const qint64 id = addPlan(QStringLiteral("净水器"), QStringLiteral("滤芯"), 6);
        const QList<MaintenancePlan> plans = readMaintenancePlans(q);
        QCOMPARE(plans.size(), 1);
        QCOMPARE(plans[0].id, id);
        QCOMPARE(plans[0].months, 6);
        removeMaintenancePlan(q, id);
        QVERIFY_THROWS_EXCEPTION(CommandError, removeMaintenancePlan(q, id));
        QVERIFY(readMaintenancePlans(q).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestReminderCentre)
#include "tst_remindercentre.moc"
