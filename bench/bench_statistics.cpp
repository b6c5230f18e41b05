// The statistics window's views on a large register: N service records over five years (each unit
// serviced three times, some of them again within 30 days: repeat visits), customers, complaints
// and return visits; times every view for this month, last month and this year: the first run,
// then the median of a few, and prints them.
//
//   zu-bench-statistics [--engine sqlite|postgres] [--services 3000000] [--customers 300000]
//                       [--keep FILE] [--database NAME] [--runs 5]
//
// SQLite: --keep names the database file to build once and reuse (an older one is upgraded
// first). PostgreSQL: run under scripts/with-test-postgres.sh (ZU_TEST_PG=host:port:user:password);
// the database (--database, "postgres" by default) is filled once by the server itself and kept
// while the server runs (a second run reuses it; an older one is upgraded first).

#include "benchdata.h"
#include "data/connection.h"
#include "data/query.h"
#include "data/schemainstaller.h"
#include "statistics/statistics.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <unistd.h>

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
    // Three services a unit: the unit's first on a day of the five years, the next two 0 to 46
    // days after the one before, so some come back within 30 days and some later.
    const QString serviceDays = QStringLiteral("abs((x / 3 * 37) % 1826 - (x % 3) * ((x / 3) % 47))");
    const QString when =
        daysAgo(server, QStringLiteral("(x * 37) % 1826"), QStringLiteral("(x % 86400) * 7919 % 86400"));
    run(q, QStringLiteral(
               "insert into T_service (CustCode, CustName, serviceDate, Goodsunit, GoodsCode, hitchName, "
               "serviceMoney, servicedepartment, servicedeMen) select 'KH' || (x % %1), '客户' || (x % %1), "
               "%2, '型号' || (x % 40), 'SN' || %3, '故障' || (x % 25), x % 200, "
               "'安装' || (x % 5) || '部', '工程师' || (x % 30) from %4")
               .arg(QString::number(customers),
                    daysAgo(server, serviceDays, QStringLiteral("(x % 86400) * 7919 % 86400")),
                    QStringLiteral("(x / 3)"), rowsOf(server, services)));
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
    // The server's own cleaner would have marked the pages all-visible by the time a clerk asks.
    run(q, server ? QStringLiteral("vacuum analyze") : QStringLiteral("analyze"));
}

// The time this process spent working, and the server's process of the connection (on this
// machine) where there is one, in milliseconds: on a machine busy with other work it tells the
// engines' share of a view apart from the waiting.
qint64 g_serverPid = 0;

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    double ms = t.tv_sec * 1e3 + t.tv_nsec / 1e6;
    if (g_serverPid > 0) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(g_serverPid));
        if (stat.open(QIODevice::ReadOnly)) {
            // The fields after the command's closing parenthesis; user and system time are the
            // 12th and 13th of them, in clock ticks.
            const QByteArray text = stat.readAll();
            const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
            if (fields.size() > 13)
                ms += (fields[11].toLongLong() + fields[12].toLongLong()) * 1e3 / sysconf(_SC_CLK_TCK);
        }
    }
    return ms;
}

struct Timing
{
    double wallMs = 0;
    double cpuMs = 0;
};

// The median of `runs` timings of a view.
Timing medianOf(const std::function<qsizetype()>& view, int runs, qsizetype* rows)
{
    QList<double> walls;
    QList<double> cpus;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        const double cpu = cpuMs();
        t.start();
        *rows = view();
        walls << t.nsecsElapsed() / 1e6;
        cpus << cpuMs() - cpu;
    }
    std::sort(walls.begin(), walls.end());
    std::sort(cpus.begin(), cpus.end());
    return {walls[walls.size() / 2], cpus[cpus.size() / 2]};
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

    const int runs = std::max(1, zu::bench::optionValue(args, QStringLiteral("runs"), 5));

    QTemporaryDir dir;
    ConnectionSettings settings;
    if (server) {
        const QStringList parts = qEnvironmentVariable("ZU_TEST_PG").split(QLatin1Char(':'));
        if (parts.size() < 4)
            qFatal("run under scripts/with-test-postgres.sh");
        settings.host = parts[0];
        settings.port = parts[1].toInt();
        settings.user = parts[2];
        settings.password = parts.mid(3).join(QLatin1Char(':'));
        settings.database =
            zu::bench::optionValue(args, QStringLiteral("database"), QStringLiteral("postgres"));
    } else {
        settings.filePath =
            zu::bench::optionValue(args, QStringLiteral("keep"), dir.filePath(QStringLiteral("Service.db")));
        settings.createIfMissing = true;
    }
    Connection c(server ? SqlDialect::postgres() : SqlDialect::sqlite(), settings);
    if (!c.open())
        qFatal("cannot connect: %s", qPrintable(c.lastError()));
    SchemaInstaller installer(c);
    QElapsedTimer t;
    t.start();
    if (installer.isEmpty()) {
        installer.install();
        fill(c, server, services, customers);
        std::printf("%s: %d service records, %d customers built in %.1f s\n", qPrintable(engine), services,
                    customers, t.elapsed() / 1000.0);
    } else if (installer.version() < SchemaInstaller::kCurrentVersion) {
        installer.upgrade();
        std::printf("%s: upgraded in %.1f s\n", qPrintable(engine), t.elapsed() / 1000.0);
        QSqlQuery q(c.database());
        run(q, server ? QStringLiteral("vacuum analyze") : QStringLiteral("analyze"));
        std::printf("%s: upgraded and analysed in %.1f s\n", qPrintable(engine), t.elapsed() / 1000.0);
    }
    {
        Query q(c);
        q.open(QStringLiteral("select (select count(*) from T_service), (select count(*) from T_Cust)"));
        std::printf("%s: %d service records, %d customers\n", qPrintable(engine), q.value(0).toInt(),
                    q.value(1).toInt());
    }

    if (server) {
        Query q(c);
        q.open(QStringLiteral("select pg_backend_pid()"));
        g_serverPid = q.value(0).toLongLong();
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
            const Timing first = medianOf(view, 1, &rows);
            const Timing median = medianOf(view, runs, &rows);
            worst = std::max({worst, first.wallMs, median.wallMs});
            std::printf("  %-22s first %8.1f ms, median of %d %8.1f ms (CPU %7.1f ms)  (%lld rows)\n", name,
                        first.wallMs, runs, median.wallMs, median.cpuMs, qlonglong(rows));
        }
    }
    std::printf("%s: slowest view %.1f ms (target < 1000 ms)\n", qPrintable(engine), worst);

    // What keeping the repeat visits costs a write: one service of a unit with earlier ones added,
    // moved to another day and deleted, each statement timed; all of it undone again.
    {
        TransactionGuard tx(c);
        Query q(c);
        const QString unit = QStringLiteral("SN5");
        const QString customer = QStringLiteral("BENCH");
        const struct
        {
            const char* name;
            QString sql;
            QVariantList values;
        } writes[] = {
            {"add",
             QStringLiteral("insert into T_service (CustCode, GoodsCode, serviceDate) values (?, ?, ?)"),
             {customer, unit, QDateTime(today, QTime(10, 0))}},
            {"move",
             QStringLiteral("update T_service set serviceDate = ? where CustCode = ?"),
             {QDateTime(today.addDays(-3), QTime(10, 0)), customer}},
            {"delete", QStringLiteral("delete from T_service where CustCode = ?"), {customer}},
        };
        std::printf("%s: one service of a serviced unit:", qPrintable(engine));
        for (const auto& w : writes) {
            const double cpu = cpuMs();
            QElapsedTimer timer;
            timer.start();
            q.exec(w.sql, w.values);
            std::printf(" %s %.1f ms (CPU %.1f ms)", w.name, timer.nsecsElapsed() / 1e6, cpuMs() - cpu);
        }
        std::printf("\n");
    }
    return 0;
}
