// Quick find on a large register: builds a database of the release before quick find with
// N customers and M service records, times the upgrade that adds and fills quick find's columns,
// then times keystrokes (each prefix of what a clerk types) and prints their median and worst.
//
//   zu-bench-quickfind [--engine sqlite|postgres] [--customers 1000000] [--services 3000000]
//                      [--database FILE] [--keep]
//
// --database keeps the embedded database in FILE; a second run on the same file skips building
// (and upgrading, when that was done) and times the keystrokes only. --keep does the same with
// the register on the server.
// PostgreSQL: run under scripts/with-test-postgres.sh, or with ZU_TEST_PG=host:port:user:password
// naming a server of your own (to keep the register between runs).
// Each keystroke's processor time is given beside its wall time: that of this thread and of the
// server's process for the connection, which a busy machine does not inflate.

#include "benchdata.h"
#include "customers/quickfind.h"
#include "data/connection.h"
#include "data/errors.h"
#include "data/findcolumns.h"
#include "data/findtextparts.h"
#include "data/pinyininitials.h"
#include "data/query.h"
#include "data/schemainstaller.h"
#include "data/sqldialect.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <ctime>

using namespace zu;

namespace {

const QString kSurnames =
    QStringLiteral("张王李赵刘陈杨黄吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘"
                   "于蒋蔡余杜叶程苏魏吕丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹"
                   "薛闫段雷侯龙史陶黎贺顾毛郝龚邵万钱严覃武戴莫孔向汤单");
const QString kGiven =
    QStringLiteral("伟芳娜秀英敏静丽强磊军洋勇艳杰娟涛明超秀兰霞平刚桂英华建国红梅小龙飞云海波"
                   "宁玉兰春燕晓东德志长行乐");

void run(QSqlQuery& q, const QString& sql)
{
    if (!q.exec(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
}

// Customers with Chinese names of one or two given characters, numbers and body codes, and
// service records of their machines (one in five of another machine), made by the database itself.
void fillRegister(Connection& c, bool server, int customers, int services)
{
    const QString n = QString::number(customers);
    auto rowsOf = [server](int count) {
        const QString last = QString::number(count);
        return server ? QStringLiteral("generate_series(1::bigint, ") + last + QStringLiteral(") as g(x)")
                      : QStringLiteral(
                            "(with recursive g(x) as (select 1 union all select x + 1 from g where x < ") +
                            last + QStringLiteral(") select x from g) as g");
    };
    auto pad = [server](const QString& value, int width) {
        const QString w = QString::number(width);
        return server
                   ? QStringLiteral("lpad((") + value + QStringLiteral(")::text, ") + w +
                         QStringLiteral(", '0')")
                   : QStringLiteral("printf('%0") + w + QStringLiteral("d', ") + value + QStringLiteral(")");
    };
    auto body = [&pad](const QString& number) {
        return QStringLiteral("'SN' || ") +
               pad(QStringLiteral("(") + number + QStringLiteral(") * 7919 % 1000000007"), 10);
    };
    const QString surnames = QString::number(kSurnames.size());
    const QString given = QString::number(kGiven.size());
    // One character of a bound text at a position computed from the row number (an integer, as
    // the server's substr wants it).
    auto pick = [](const QString& multiplier, const QString& count) {
        return QStringLiteral("substr(cast(? as text), cast(1 + (x * ") + multiplier +
               QStringLiteral(") % ") + count + QStringLiteral(" as integer), 1)");
    };
    const QString name = pick(QStringLiteral("7919"), surnames) + QStringLiteral(" || ") +
                         pick(QStringLiteral("104729"), given) +
                         QStringLiteral(" || case when x % 3 = 0 then '' else ") +
                         pick(QStringLiteral("15485863"), given) + QStringLiteral(" end");
    QSqlQuery q(c.database());
    TransactionGuard tx(c);
    const QString customersSql =
        QStringLiteral(
            "insert into T_Cust (CustName, IDCode, Address, Phone, Mobile, GoodsCode, Remark) select ") +
        name + QStringLiteral(", 'KH' || ") + pad(QStringLiteral("x"), 7) +
        QStringLiteral(", '杭州市西湖区文三路' || (x % 997) || '号', '0571-' || ") +
        pad(QStringLiteral("(x * 104729) % 100000000"), 8) + QStringLiteral(", '13' || ") +
        pad(QStringLiteral("(x * 15485863) % 1000000000"), 9) + QStringLiteral(", ") +
        body(QStringLiteral("x")) + QStringLiteral(", '购于总店，送货上门，已安装调试' from ") +
        rowsOf(customers);
    if (!q.prepare(customersSql))
        qFatal("%s", qPrintable(q.lastError().text()));
    q.addBindValue(kSurnames);
    q.addBindValue(kGiven);
    q.addBindValue(kGiven);
    if (!q.exec())
        qFatal("%s: %s", qPrintable(customersSql), qPrintable(q.lastError().text()));
    const QString owner = QStringLiteral("(1 + (x * 2654435761) % ") + n + QStringLiteral(")");
    run(q, QStringLiteral("insert into T_service (CustCode, GoodsCode, hitchName) select 'KH' || ") +
               pad(owner, 7) + QStringLiteral(", case when x % 5 = 0 then ") +
               body(n + QStringLiteral(" + x")) + QStringLiteral(" else ") + body(owner) +
               QStringLiteral(" end, '不制冷' from ") + rowsOf(services));
    tx.commit();
}

// The schema version that brought quick find.
constexpr int kQuickFindVersion = 4;
constexpr int kFindTextPartsVersion = 10;

// The columns and the index of FindText's parts that the last step adds.
const char* const kCompareColumns[] = {"PhoneDigits", "MobileDigits", "NameKey"};

// The database as the release before quick find left it: later steps are in place already, so
// the upgrade takes quick find's step and the last one.
void makeOldSchema(Connection& c)
{
    SchemaInstaller(c).install();
    QSqlQuery q(c.database());
    for (const QString& statement : partIndexDropStatements(c.dialect()))
        run(q, statement);
    for (const char* column : kCompareColumns) {
        run(q, QStringLiteral("drop index ix_cust_%1").arg(QString::fromLatin1(column).toLower()));
        run(q, QStringLiteral("alter table T_Cust drop column %1").arg(QLatin1String(column)));
    }
    for (const QString& index : c.dialect().quickFindIndexes())
        run(q, QStringLiteral("drop index %1").arg(index.section(QLatin1Char(' '), 2, 2)));
    run(q, QStringLiteral("drop index ix_cust_findtext"));
    run(q, QStringLiteral("alter table T_Cust drop column NameInitials"));
    run(q, QStringLiteral("alter table T_Cust drop column FindText"));
    run(q, QStringLiteral("delete from zu_schema"));
    run(q, QStringLiteral("insert into zu_schema (version) values (%1)").arg(kQuickFindVersion - 1));
}

// One keystroke's cost: the time it took, and the processor time of this thread in it (the
// embedded engine works in this thread; on a shared machine the wall time alone says little).
struct Keystroke
{
    QString text;
    double wallMs = 0;
    double cpuMs = 0;
};

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// The processor time the server's process for this connection has had (0 when it cannot be
// read, e.g. a server on another machine).
double backendCpuMs(qint64 pid)
{
    if (pid <= 0)
        return 0;
    QFile f(QStringLiteral("/proc/%1/schedstat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    return f.readAll().split(' ').value(0).toDouble() / 1e6;
}

// "median 1.1 ms, 95% 20.3 ms, worst 40.0 ms" of one of the costs.
QString spread(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return QStringLiteral("median %1 ms, 95% %2 ms, worst %3 ms")
        .arg(values[values.size() / 2], 0, 'f', 1)
        .arg(values[int(values.size() * 0.95)], 0, 'f', 1)
        .arg(values.last(), 0, 'f', 1);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString engine = zu::bench::optionValue(args, QStringLiteral("engine"), QStringLiteral("sqlite"));
    const int customers = zu::bench::optionValue(args, QStringLiteral("customers"), 1000000);
    const int services = zu::bench::optionValue(args, QStringLiteral("services"), 3000000);

    QTemporaryDir dir;
    const QString kept = zu::bench::optionValue(args, QStringLiteral("database"));
    ConnectionSettings settings;
    const bool server = engine == QLatin1String("postgres");
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
        settings.filePath = kept.isEmpty() ? dir.filePath(QStringLiteral("Service.db")) : kept;
        settings.createIfMissing = true;
    }
    Connection c(server ? SqlDialect::postgres() : SqlDialect::sqlite(), settings);
    if (!c.open())
        qFatal("cannot connect: %s", qPrintable(c.lastError()));

    QElapsedTimer t;
    t.start();
    // --keep on the server: a register left there by an earlier run is used again.
    const bool keeping = server ? args.contains(QStringLiteral("--keep")) : !kept.isEmpty();
    const bool reused = keeping && SchemaInstaller(c).version() >= kFindTextPartsVersion;
    // A kept database written but not upgraded yet (the run was stopped) is upgraded only.
    const bool written = keeping && SchemaInstaller(c).version() == kQuickFindVersion - 1;
    if (!reused) {
        if (!written) {
            t.restart();
            makeOldSchema(c);
            fillRegister(c, server, customers, services);
            std::printf("%s: %d customers, %d service records written in %.1f s\n", qPrintable(engine),
                        customers, services, t.elapsed() / 1000.0);
        }
        t.restart();
        SchemaInstaller installer(c);
        installer.upgrade(kQuickFindVersion);
        std::printf("upgrade, quick find's step (pinyin initials and FindText of every customer, indexes): "
                    "%.1f s\n",
                    t.elapsed() / 1000.0);
        // The steps between are in place already.
        QSqlQuery q(c.database());
        run(q, QStringLiteral("update zu_schema set version = %1 where version = %2")
                   .arg(kFindTextPartsVersion - 1)
                   .arg(kQuickFindVersion));
        t.restart();
        installer.upgrade(kFindTextPartsVersion);
        std::printf("upgrade, the step of FindText's parts (digits and compared name of every customer, "
                    "index of FindText's "
                    "parts): %.1f s\n",
                    t.elapsed() / 1000.0);
    } else {
        Query q(c);
        q.open(QStringLiteral("select count(*) from T_Cust"));
        std::printf("%s: reusing %s (%lld customers)\n", qPrintable(engine), qPrintable(kept),
                    q.value(0).toLongLong());
    }
    if (server) {
        QSqlQuery q(c.database());
        run(q, QStringLiteral("analyze"));
    }

    // What clerks type, one keystroke after another: a number from its start and its last
    // digits, a name, initials, codes, and texts that find nothing.
    QStringList typed;
    {
        Query q(c);
        for (int k = 0; k < 20; ++k) {
            const int id = 1 + int((qint64(k) * 48271 + 11) % customers);
            q.open(QStringLiteral(
                       "select CustName, IDCode, Phone, Mobile, GoodsCode from T_Cust where CusttityID = ?"),
                   {id});
            const QString name = q.value(0).toString();
            typed << q.value(2).toString() << q.value(3).toString().right(4) << name
                  << pinyinInitials(name).value(0) << q.value(1).toString() << q.value(4).toString();
        }
    }
    const QStringList nothing{QStringLiteral("98765x"), QStringLiteral("无此客户"), QStringLiteral("qqqqq"),
                              QStringLiteral("SNX"),    QStringLiteral("鑫"),       QStringLiteral("x7"),
                              QStringLiteral("|q")};
    typed << nothing;
    qint64 backend = 0;
    if (server) {
        Query q(c);
        q.open(QStringLiteral("select pg_backend_pid()"));
        backend = q.value(0).toLongLong();
    }
    auto cpuNow = [backend] { return threadCpuMs() + backendCpuMs(backend); };
    QList<Keystroke> keystrokes;
    int found = 0;
    quickFind(c, QStringLiteral("张")); // the first statement of each kind is prepared once
    for (const QString& text : std::as_const(typed)) {
        for (qsizetype n = 1; n <= text.size(); ++n) {
            const QString keystroke = text.left(n);
            const double cpu = cpuNow();
            t.restart();
            found += int(quickFind(c, keystroke).size());
            keystrokes.push_back(
                {.text = keystroke, .wallMs = t.nsecsElapsed() / 1e6, .cpuMs = cpuNow() - cpu});
        }
    }
    QList<double> wall;
    QList<double> cpu;
    for (const Keystroke& k : std::as_const(keystrokes)) {
        wall << k.wallMs;
        cpu << k.cpuMs;
    }
    std::printf("quick find: %lld keystrokes, %d customers offered in all\n  wall: %s\n  cpu (this thread "
                "and the server's process): %s\n",
                qlonglong(keystrokes.size()), found, qPrintable(spread(wall)), qPrintable(spread(cpu)));
    std::sort(keystrokes.begin(), keystrokes.end(),
              [](const Keystroke& a, const Keystroke& b) { return a.wallMs > b.wallMs; });
    std::printf("  slowest:");
    for (const Keystroke& k : keystrokes.mid(0, 10))
        std::printf(" \"%s\" %.0f/%.0f", qPrintable(k.text), k.wallMs, k.cpuMs);
    std::printf(" (wall/cpu ms)\n");

    // What a text found nowhere cost when every customer's FindText was read for it.
    {
        Query q(c);
        for (const QString& text : {QStringLiteral("无"), QStringLiteral("无此客户")}) {
            t.restart();
            q.open(QStringLiteral("select CusttityID from T_Cust where %1 limit 20")
                       .arg(c.dialect().likeCondition(QStringLiteral("FindText"))),
                   {likeContains(text)});
            std::printf("reading every FindText for \"%s\": %.1f ms\n", qPrintable(text),
                        t.nsecsElapsed() / 1e6);
        }
    }
    return 0;
}
