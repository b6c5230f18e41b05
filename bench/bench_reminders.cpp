// Opens the reminder centre on a large database with every kind of reminder on: the counts of the
// four filters and the first page of today's list, as the centre's window reads them when it
// opens; then each kind alone. Prints times.
//
//   zu-bench-reminders [--engine sqlite|postgres] [--customers N] [--services-per-customer N]
//                      [--keep DIR] [--since-days N]
//
// PostgreSQL: run under scripts/with-test-postgres.sh (ZU_TEST_PG=host:port:user:password); the
// database is filled once by the server itself and kept (a second run reuses it).
//
// The generated customers are spread out as a dealer's are: 20 models bought over five years, two
// of them with a maintenance plan (every 6 and every 12 months); three customers in ten with a
// reminder date within a year either side of today; one service record in ten of a plan's kind.
// The kinds count passed dates as overdue from N days ago (30). On a server on this machine the
// server process's processor time is printed as well.

#include "benchdata.h"
#include "data/apphome.h"
#include "data/connection.h"
#include "data/datamodule.h"
#include "data/query.h"
#include "data/schemainstaller.h"
#include "reminders/remindercentre.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <unistd.h>

using namespace zu;

namespace {

double cpuMs()
{
    return std::clock() * 1000.0 / CLOCKS_PER_SEC;
}

// The fields of a process's /proc stat line after its name in brackets (the state first).
QList<QByteArray> statFields(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2).split(' ');
}

// The processor time of the server process serving the connection and of the parallel workers
// its server has ended meanwhile, when the server runs on this machine; -1 otherwise.
double serverCpuMs(qint64 serverPid)
{
    const QList<QByteArray> own = statFields(serverPid);
    if (own.size() < 13)
        return -1;
    const QList<QByteArray> server = statFields(own[1].toLongLong());
    const double ended = server.size() < 15 ? 0 : server[13].toDouble() + server[14].toDouble();
    return (own[11].toDouble() + own[12].toDouble() + ended) * 1000.0 / sysconf(_SC_CLK_TCK);
}

struct Opening
{
    double ms;
    double cpu;
    double serverCpu; // -1 when unknown
    ReminderCounts counts;
    qsizetype todayRows;
};

Opening openCentre(Connection& c, qint64 serverPid)
{
    QElapsedTimer t;
    t.start();
    const double cpu = cpuMs();
    const double serverCpu = serverCpuMs(serverPid);
    const ReminderCentre centre(c, QDate::currentDate());
    // The window reads the counts and the first page of today's list (500 rows, the list model's page).
    Opening o{0, 0, -1, centre.counts(), centre.list(ReminderFilter::Today, 0, 500).size()};
    o.ms = t.nsecsElapsed() / 1e6;
    o.cpu = cpuMs() - cpu;
    if (serverCpu >= 0)
        o.serverCpu = serverCpuMs(serverPid) - serverCpu;
    return o;
}

QString serverText(const Opening& o)
{
    return o.serverCpu < 0 ? QString() : QStringLiteral(", server %1 ms").arg(o.serverCpu, 7, 'f', 1);
}

void switchKinds(Query& q, bool customerDate, bool maintenance, bool returnCall, bool warrantyEnd)
{
    q.exec(QStringLiteral("update T_remind set RemindOn = ?, PlanOn = ?, CallOn = ?, WarrantyOn = ?"),
           {int(customerDate), int(maintenance), int(returnCall), int(warrantyEnd)});
}

// The same spread as the embedded database's, written by the server: customers KH0 to KH(N-1),
// service records of customers picked across the register over the last three years.
void fillServer(Connection& c, int customers, int services)
{
    TransactionGuard tx(c);
    Query q(c);
    q.exec(
        QStringLiteral(
            "insert into T_Cust (CustName, IDCode, Phone, Mobile, Goodsunit, EmptionDate, remind) select "
            "'客户' || x, 'KH' || x, '010-6' || lpad(x::text, 7, '0'), '139' || lpad(x::text, 8, '0'), "
            "'M' || (x % 20), current_date - ((x * 37) % 1826)::int, case when x % 10 < 3 then "
            "current_date + ((x * 7919) % 731 - 365)::int end from generate_series(0::bigint, ? - 1) g(x)"),
        {customers});
    q.exec(
        QStringLiteral(
            "insert into T_service (CustCode, CustName, serviceDate, hitchName) select 'KH' || o, '客户' || "
            "o, current_date - ((x * 104729) % 1095)::int, case when x % 10 = 0 then '滤芯更换' when x % "
            "10 = 1 then '清洗' else '维修' end from (select x, (x * 2654435761) % ? as o from "
            "generate_series(1::bigint, ?) g(x)) s"),
        {customers, services});
    q.exec(QStringLiteral("insert into T_plan (Goodsunit, hitchName, Months) values ('M0', '滤芯更换', 6), "
                          "('M1', '清洗', 12)"));
    tx.commit();
    q.exec(QStringLiteral("analyze"));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int customers = zu::bench::optionValue(args, QStringLiteral("customers"), 1000000);
    const int services = zu::bench::optionValue(args, QStringLiteral("services-per-customer"), 3);
    const bool server =
        zu::bench::optionValue(args, QStringLiteral("engine"), QStringLiteral("sqlite")) == "postgres";
    std::unique_ptr<zu::bench::BenchHome> benchHome;
    std::unique_ptr<TfrmData> module;
    std::unique_ptr<Connection> serverConnection;
    if (server) {
        const QStringList parts = qEnvironmentVariable("ZU_TEST_PG").split(QLatin1Char(':'));
        if (parts.size() < 4)
            qFatal("run under scripts/with-test-postgres.sh");
        ConnectionSettings settings;
        settings.host = parts[0];
        settings.port = parts[1].toInt();
        settings.user = parts[2];
        settings.password = parts.mid(3).join(QLatin1Char(':'));
        settings.database = QStringLiteral("postgres");
        serverConnection = std::make_unique<Connection>(SqlDialect::postgres(), settings);
        if (!serverConnection->open())
            qFatal("cannot connect: %s", qPrintable(serverConnection->lastError()));
        SchemaInstaller installer(*serverConnection);
        if (installer.isEmpty()) {
            QElapsedTimer filling;
            filling.start();
            installer.install();
            fillServer(*serverConnection, customers, customers * services);
            std::printf("built the server's database in %.1f s\n", filling.nsecsElapsed() / 1e9);
        } else if (installer.version() < SchemaInstaller::kCurrentVersion) {
            installer.upgrade();
            Query(*serverConnection).exec(QStringLiteral("analyze"));
        }
    } else {
        benchHome = std::make_unique<zu::bench::BenchHome>(
            zu::bench::optionValue(args, QStringLiteral("keep")), customers, services);
        module = std::make_unique<TfrmData>(benchHome->path());
        if (!module->ConnectOK())
            qFatal("cannot connect");
    }
    Connection& c = server ? *serverConnection : module->conn();
    Query q(c);
    q.open(QStringLiteral("select count(*) from T_plan"));
    if (q.value(0).toInt() == 0) { // spread the generated rows out, once
        QElapsedTimer spreading;
        spreading.start();
        TransactionGuard tx(c);
        q.exec(QStringLiteral(
            "update T_Cust set Goodsunit = 'M' || (CusttityID % 20), EmptionDate = "
            "datetime(date('now', 'localtime', printf('-%d days', (CusttityID * 37) % 1826))), "
            "remind = case when CusttityID % 10 < 3 then datetime(date('now', 'localtime', "
            "printf('%+d days', (CusttityID * 7919) % 731 - 365))) end"));
        q.exec(QStringLiteral(
            "update T_service set hitchName = case when id % 10 = 0 then '滤芯更换' when id % 10 = 1 "
            "then '清洗' else '维修' end"));
        q.exec(QStringLiteral("insert into T_plan (Goodsunit, hitchName, Months) values (?, ?, ?)"),
               {QStringLiteral("M0"), QStringLiteral("滤芯更换"), 6});
        q.exec(QStringLiteral("insert into T_plan (Goodsunit, hitchName, Months) values (?, ?, ?)"),
               {QStringLiteral("M1"), QStringLiteral("清洗"), 12});
        tx.commit();
        std::printf("spread the rows out in %.1f s\n", spreading.nsecsElapsed() / 1e9);
    }
    const int sinceDays = zu::bench::optionValue(args, QStringLiteral("since-days"), 30);
    const QDateTime since = QDate::currentDate().addDays(-sinceDays).startOfDay();
    q.exec(QStringLiteral(
               "update T_remind set RemindSince = ?, PlanSince = ?, CallSince = ?, WarrantySince = ?"),
           {since, since, since, since});
    q.open(QStringLiteral("select (select count(*) from T_Cust), (select count(*) from T_service)"));
    std::printf("customers %d, service records %d\n", q.value(0).toInt(), q.value(1).toInt());
    q.close();

    qint64 serverPid = 0;
    if (server) {
        q.open(QStringLiteral("select pg_backend_pid()"));
        serverPid = q.value(0).toLongLong();
        q.close();
    }
    switchKinds(q, true, true, true, true);
    // The first opening also reads the file into the caches.
    const Opening first = openCentre(c, serverPid);
    std::printf("first opening, every kind: %8.1f ms, processor %8.1f ms%s\n", first.ms, first.cpu,
                qPrintable(serverText(first)));
    const Opening all = openCentre(c, serverPid);
    std::printf(
        "open, every kind on:        %8.1f ms, processor %8.1f ms%s (target < 500 ms)  today %d, overdue %d, "
        "week %d, all %d\n",
        all.ms, all.cpu, qPrintable(serverText(all)), all.counts.today, all.counts.overdue,
        all.counts.thisWeek, all.counts.all);
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
        const Opening o = openCentre(c, serverPid);
        std::printf("%-27s %8.1f ms, processor %8.1f ms%s  all %d\n", a.name, o.ms, o.cpu,
                    qPrintable(serverText(o)), o.counts.all);
    }
    switchKinds(q, true, true, true, true);
    return 0;
}
