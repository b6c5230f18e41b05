// Opens the reminder centre on a large database with every kind of reminder on: the counts of the
// four filters and today's list, as the centre's window reads them when it opens; then each kind
// alone. Prints times.
//
//   zu-bench-reminders [--customers N] [--services-per-customer N] [--keep DIR]
//
// Every customer bought the same model, which has a maintenance plan; the kinds count passed dates
// as overdue from 90 days ago.

#include "benchdata.h"
#include "data/apphome.h"
#include "data/datamodule.h"
#include "data/query.h"
#include "reminders/remindercentre.h"

#include <cstdio>
#include <QCoreApplication>
#include <QElapsedTimer>

using namespace zu;

namespace {

struct Opening
{
    double ms;
    ReminderCounts counts;
    qsizetype todayRows;
};

Opening openCentre(Connection& c)
{
    QElapsedTimer t;
    t.start();
    const ReminderCentre centre(c, QDate::currentDate());
    Opening o{0, centre.counts(), centre.list(ReminderFilter::Today).size()};
    o.ms = t.nsecsElapsed() / 1e6;
    return o;
}

void switchKinds(Query& q, bool customerDate, bool maintenance, bool returnCall, bool warrantyEnd)
{
    q.exec(QStringLiteral("update T_remind set RemindOn = ?, PlanOn = ?, CallOn = ?, WarrantyOn = ?"),
           {int(customerDate), int(maintenance), int(returnCall), int(warrantyEnd)});
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int customers = zu::bench::optionValue(args, QStringLiteral("customers"), 1000000);
    const int services = zu::bench::optionValue(args, QStringLiteral("services-per-customer"), 3);
    const zu::bench::BenchHome benchHome(zu::bench::optionValue(args, QStringLiteral("keep")), customers,
                                         services);

    TfrmData module(benchHome.path());
    if (!module.ConnectOK())
        qFatal("cannot connect");
    Connection& c = module.conn();
    Query q(c);
    q.exec(QStringLiteral("delete from T_plan"));
    q.exec(QStringLiteral("insert into T_plan (Goodsunit, hitchName, Months) values (?, ?, ?)"),
           {QStringLiteral("KFR-35GW"), QStringLiteral("清洗"), 6});
    const QDateTime since = QDate::currentDate().addDays(-90).startOfDay();
    q.exec(QStringLiteral(
               "update T_remind set RemindSince = ?, PlanSince = ?, CallSince = ?, WarrantySince = ?"),
           {since, since, since, since});
    q.open(QStringLiteral("select (select count(*) from T_Cust), (select count(*) from T_service)"));
    std::printf("customers %d, service records %d\n", q.value(0).toInt(), q.value(1).toInt());
    q.close();

    switchKinds(q, true, true, true, true);
    openCentre(c); // the first opening also reads the file into the cache
    const Opening all = openCentre(c);
    std::printf(
        "open, every kind on:        %8.1f ms (target < 500 ms)  today %d, overdue %d, week %d, all %d\n",
        all.ms, all.counts.today, all.counts.overdue, all.counts.thisWeek, all.counts.all);
    const struct
    {
        const char* name;
        bool kinds[4];
    } alone[] = {{"customer dates alone:", {true, false, false, false}},
                 {"maintenance plans alone:", {false, true, false, false}},
                 {"return calls alone:", {false, false, true, false}},
                 {"warranty ends alone:", {false, false, false, true}}};
    for (const auto& a : alone) {
        switchKinds(q, a.kinds[0], a.kinds[1], a.kinds[2], a.kinds[3]);
        const Opening o = openCentre(c);
        std::printf("%-27s %8.1f ms  all %d\n", a.name, o.ms, o.counts.all);
    }
    switchKinds(q, true, true, true, true);
    return 0;
}
