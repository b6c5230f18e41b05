// The statistics window's views on a large register: N service records over five years (each unit
// serviced about three times, so repeat visits occur), customers, complaints and return visits;
// times every view for this month, last month and this year (each twice: the first reads the pages
// into the cache) and prints them.
//
//   zu-bench-statistics [--engine sqlite|postgres] [--services 3000000] [--customers 300000]
//                       [--keep FILE]
//
// SQLite: --keep names the database file to build once and reuse. PostgreSQL: run under
// scripts/with-test-postgres.sh (ZU_TEST_PG=host:port:user:password); built afresh every run.

#include "benchdata.h"
#include "data/connection.h"
#include "data/query.h"
#include "data/schemainstaller.h"
#include "statistics/statistics.h"

#include <cstdio>
#include <functional>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace zu;

namespace {

void run(QSqlQuery& q, const QString& sql)
{
    if (!q.exec(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
}

// Rows made by the database itself, x from 1 to count.
QString rowsOf(bool server, int count)
{
    const QString last = QString::number(count);
    return server ? QStringLiteral("generate_series(1, ") + last + QStringLiteral(") as g(x)")
                  : QStringLiteral(
                        "(with recursive g(x) as (select 1 union all select x + 1 from g where x < ") +
                        last + QStringLiteral(") select x from g) as g");
}

// A date and time `days` days before now, at a time of day from `seconds`.
QString daysAgo(bool server, const QString& days, const QString& seconds)
{
    return server ? QStringLiteral("(date_trunc('day', localtimestamp) - (%1) * interval '1 day' + (%2) * "
                                   "interval '1 second')")
                        .arg(days, seconds)
                  : QStringLiteral("datetime('now', 'localtime', 'start of day', printf('-%d days', %1), "
                                   "printf('+%d seconds', %2))")
                        .arg(days, seconds);
}

void fill(Connection& c, bool server, int services, int customers)
{
    QSqlQuery q(c.database());
    TransactionGuard tx(c);
    const QString units = QString::number(std::max(1, services / 3));
    const QString when =
        daysAgo(server, QStringLiteral("(x * 37) % 1826"), QStringLiteral("(x * 7919) % 86400"));
    run(q, QStringLiteral(
               "insert into T_service (CustCode, CustName, serviceDate, Goodsunit, GoodsCode, hitchName, "
               "serviceMoney, servicedepartment, servicedeMen) select 'KH' || (x % %1), '客户' || (x % %1), "
               "%2, '型号' || (x % 40), 'SN' || ((x * 7919) % %3), '故障' || (x % 25), x % 200, "
               "'安装' || (x % 5) || '部', '工程师' || (x % 30) from %4")
               .arg(QString::number(customers), when, units, rowsOf(server, services)));
    run(q, QStringLiteral(
               "insert into T_Cust (CustName, IDCode, EmptionDate, TypeCode, Number) select '客户' || x, "
               "'KH' || x, %1, '01' || case when x % 9 < 5 then '01' else '02' end || "
               "case when x % 3 = 0 then '' else '0' || (x % 3) end, 1 + x % 3 from %2")
               .arg(when, rowsOf(server, customers)));
    run(q,
        QStringLiteral("insert into T_complain (CustCode, complainDate, complainType) select 'KH' || x, %1, "
                       "case when x % 7 = 0 then '严重' else '一般' end from %2")
            .arg(when, rowsOf(server, customers / 3)));
    run(q, QStringLiteral("insert into T_call (CustCode, callDate, callRemarkhandle) select 'KH' || x, %1, "
                          "case when x % 4 = 0 then '' else '已处理' || (x % 15) end from %2")
               .arg(when, rowsOf(server, customers)));
    tx.commit();
    run(q, server ? QStringLiteral("analyze") : QStringLiteral("analyze"));
}

double timed(const std::function<qsizetype()>& view, qsizetype* rows)
{
    QElapsedTimer t;
    t.start();
    *rows = view();
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString engine = zu::bench::optionValue(args, QStringLiteral("engine"), QStringLiteral("sqlite"));
    const int services = zu::bench::optionValue(args, QStringLiteral("services"), 3000000);
    const int customers = zu::bench::optionValue(args, QStringLiteral("customers"), 300000);
    const bool server = engine == QLatin1String("postgres");

    QTemporaryDir dir;
    ConnectionSettings settings;
    bool build = true;
    if (server) {
        const QStringList parts = qEnvironmentVariable("ZU_TEST_PG").split(QLatin1Char(':'));
        if (parts.size() < 4)
            qFatal("run under scripts/with-test-postgres.sh");
        settings.host = parts[0];
        settings.port = parts[1].toInt();
        settings.user = parts[2];
        settings.password = parts.mid(3).join(QLatin1Char(':'));
        settings.database = QStringLiteral("postgres");
    } else {
        settings.filePath =
            zu::bench::optionValue(args, QStringLiteral("keep"), dir.filePath(QStringLiteral("Service.db")));
        build = !QFileInfo::exists(settings.filePath);
        settings.createIfMissing = true;
    }
    Connection c(server ? SqlDialect::postgres() : SqlDialect::sqlite(), settings);
    if (!c.open())
        qFatal("cannot connect: %s", qPrintable(c.lastError()));
    if (build) {
        QElapsedTimer t;
        t.start();
        SchemaInstaller(c).install();
        fill(c, server, services, customers);
        std::printf("%s: %d service records, %d customers built in %.1f s\n", qPrintable(engine), services,
                    customers, t.elapsed() / 1000.0);
    }
    {
        Query q(c);
        q.open(QStringLiteral("select (select count(*) from T_service), (select count(*) from T_Cust)"));
        std::printf("%s: %d service records, %d customers\n", qPrintable(engine), q.value(0).toInt(),
                    q.value(1).toInt());
    }

    const QDate today = QDate::currentDate();
    const struct
    {
        const char* name;
        StatisticsPeriod period;
    } periods[] = {{"this month", periodOf(PeriodKind::ThisMonth, today)},
                   {"last month", periodOf(PeriodKind::LastMonth, today)},
                   {"this year", periodOf(PeriodKind::ThisYear, today)}};
    double worst = 0;
    for (const auto& p : periods) {
        const Statistics s(c, p.period);
        const QDate month = p.period.months().last();
        const QList<std::pair<const char*, std::function<qsizetype()>>> views{
            {"services per month", [&] { return s.servicesByMonth().rows.size(); }},
            {"services per day", [&] { return s.servicesByDay(month).rows.size(); }},
            {"top models", [&] { return s.topModels().rows.size(); }},
            {"top fault causes", [&] { return s.topFaults().rows.size(); }},
            {"engineers", [&] { return s.byEngineer().rows.size(); }},
            {"departments", [&] { return s.byDepartment().rows.size(); }},
            {"complaint levels", [&] { return s.complaintsByLevel().rows.size(); }},
            {"complaints per month", [&] { return s.complaintsByMonth().rows.size(); }},
            {"return-visit outcomes", [&] { return s.callsByOutcome().rows.size(); }},
            {"sales per month", [&] { return s.salesByMonth(QStringLiteral("0101")).rows.size(); }},
            {"sales per category", [&] { return s.salesByCategory(QStringLiteral("01")).rows.size(); }},
        };
        std::printf("%s, %s (%s):\n", qPrintable(engine), p.name, qPrintable(p.period.text()));
        for (const auto& [name, view] : views) {
            qsizetype rows = 0;
            const double first = timed(view, &rows);
            const double again = timed(view, &rows);
            worst = std::max({worst, first, again});
            std::printf("  %-22s %8.1f ms, again %8.1f ms  (%lld rows)\n", name, first, again,
                        qlonglong(rows));
        }
    }
    std::printf("%s: slowest view %.1f ms (target < 1000 ms)\n", qPrintable(engine), worst);
    return 0;
}
