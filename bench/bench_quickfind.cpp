// Quick find on a large register: builds a database of the release before quick find with
// N customers and M service records, times the upgrade that adds and fills quick find's columns,
// then times keystrokes (each prefix of what a clerk types) and prints their median and worst.
//
//   zu-bench-quickfind [--engine sqlite|postgres] [--customers 1000000] [--services 3000000]
//
// PostgreSQL: run under scripts/with-test-postgres.sh (ZU_TEST_PG=host:port:user:password).

#include "benchdata.h"
#include "customers/quickfind.h"
#include "data/connection.h"
#include "data/errors.h"
#include "data/findcolumns.h"
#include "data/pinyininitials.h"
#include "data/query.h"
#include "data/schemainstaller.h"
#include "data/sqldialect.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace zu;

namespace {

const QString kSurnames =
    QStringLiteral("张王李赵刘陈杨黄吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘"
                   "于蒋蔡余杜叶程苏魏吕丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹"
                   "薛闫段雷侯龙史陶黎贺顾毛郝龚邵万钱严覃武戴莫孔向汤单");
const QString kGiven =
    QStringLiteral("伟芳娜秀英敏静丽强磊军洋勇艳杰娟涛明超秀兰霞平刚桂英华建国红梅小龙飞云海波"
                   "宁玉兰春燕晓东德志长行乐");

QString customerCode(int i)
{
    return QStringLiteral("KH%1").arg(i, 7, 10, QLatin1Char('0'));
}

QString bodyCode(int i)
{
    return QStringLiteral("SN%1").arg((qint64(i) * 7919) % 1000000007, 10, 10, QLatin1Char('0'));
}

QString nameOf(QRandomGenerator& random)
{
    QString name = kSurnames[random.bounded(int(kSurnames.size()))];
    const int given = 1 + random.bounded(2);
    for (int k = 0; k < given; ++k)
        name += kGiven[random.bounded(int(kGiven.size()))];
    return name;
}

void run(QSqlQuery& q, const QString& sql)
{
    if (!q.exec(sql))
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
}

// Rows in statements of many rows each: one round trip per batch.
void insertRows(Connection& c, const QString& table, const QStringList& columns, int count,
                const std::function<QVariantList(int)>& row)
{
    constexpr int kBatch = 500;
    QSqlQuery q(c.database());
    const QString marks = QStringLiteral("(") +
                          QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')) +
                          QStringLiteral(")");
    TransactionGuard tx(c);
    for (int first = 0; first < count; first += kBatch) {
        const int n = std::min(kBatch, count - first);
        if (!q.prepare(QStringLiteral("insert into %1 (%2) values %3")
                           .arg(table, columns.join(QLatin1Char(',')),
                                QStringList(n, marks).join(QLatin1Char(',')))))
            qFatal("%s", qPrintable(q.lastError().text()));
        int position = 0;
        for (int i = first; i < first + n; ++i)
            for (const QVariant& v : row(i))
                q.bindValue(position++, v);
        if (!q.exec())
            qFatal("%s", qPrintable(q.lastError().text()));
    }
    tx.commit();
}

// The database as the release before quick find left it.
void makeOldSchema(Connection& c)
{
    SchemaInstaller(c).install();
    QSqlQuery q(c.database());
    for (const QString& index : c.dialect().quickFindIndexes())
        run(q, QStringLiteral("drop index %1").arg(index.section(QLatin1Char(' '), 2, 2)));
    run(q, QStringLiteral("drop index ix_cust_findtext"));
    run(q, QStringLiteral("alter table T_Cust drop column NameInitials"));
    run(q, QStringLiteral("alter table T_Cust drop column FindText"));
    run(q, QStringLiteral("delete from zu_schema"));
    run(q, QStringLiteral("insert into zu_schema (version) values (1)"));
}

struct Timing
{
    double median = 0;
    double worst = 0;
    QString worstText;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString engine = zu::bench::optionValue(args, QStringLiteral("engine"), QStringLiteral("sqlite"));
    const int customers = zu::bench::optionValue(args, QStringLiteral("customers"), 1000000);
    const int services = zu::bench::optionValue(args, QStringLiteral("services"), 3000000);

    QTemporaryDir dir;
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
        settings.filePath = dir.filePath(QStringLiteral("Service.db"));
        settings.createIfMissing = true;
    }
    Connection c(server ? SqlDialect::postgres() : SqlDialect::sqlite(), settings);
    if (!c.open())
        qFatal("cannot connect: %s", qPrintable(c.lastError()));

    QElapsedTimer t;
    t.start();
    makeOldSchema(c);
    QRandomGenerator random(42);
    QStringList names;
    names.reserve(customers);
    for (int i = 0; i < customers; ++i)
        names << nameOf(random);
    insertRows(
        c, QStringLiteral("T_Cust"),
        {QStringLiteral("CustName"), QStringLiteral("IDCode"), QStringLiteral("Address"),
         QStringLiteral("Phone"), QStringLiteral("Mobile"), QStringLiteral("GoodsCode"),
         QStringLiteral("Remark")},
        customers, [&](int i) {
            return QVariantList{
                names[i],
                customerCode(i),
                QStringLiteral("杭州市西湖区文三路%1号").arg(i % 997),
                QStringLiteral("0571-%1").arg((qint64(i) * 104729) % 100000000, 8, 10, QLatin1Char('0')),
                QStringLiteral("13%1").arg((qint64(i) * 15485863) % 1000000000, 9, 10, QLatin1Char('0')),
                bodyCode(i),
                QStringLiteral("购于总店，送货上门，已安装调试")};
        });
    insertRows(c, QStringLiteral("T_service"),
               {QStringLiteral("CustCode"), QStringLiteral("CustName"), QStringLiteral("GoodsCode"),
                QStringLiteral("hitchName")},
               services, [&](int i) {
                   const int owner = int((qint64(i) * 2654435761u) % customers);
                   // Most records are of the machine bought; some of another one brought in.
                   return QVariantList{customerCode(owner), names[owner],
                                       i % 5 == 0 ? bodyCode(customers + i) : bodyCode(owner),
                                       QStringLiteral("不制冷")};
               });
    std::printf("%s: %d customers, %d service records written in %.1f s\n", qPrintable(engine), customers,
                services, t.elapsed() / 1000.0);

    t.restart();
    SchemaInstaller installer(c);
    const int steps = installer.upgrade();
    std::printf("upgrade (%d step: quick find's columns filled for every customer, indexes): %.1f s\n", steps,
                t.elapsed() / 1000.0);
    if (server) {
        QSqlQuery q(c.database());
        run(q, QStringLiteral("analyze"));
    }

    // What clerks type, one keystroke after another: a number from its start and its last
    // digits, a name, initials, codes, and texts that find nothing.
    QStringList typed;
    for (int k = 0; k < 20; ++k) {
        const int i = int((qint64(k) * 48271 + 11) % customers);
        typed << QStringLiteral("0571-%1").arg((qint64(i) * 104729) % 100000000, 8, 10, QLatin1Char('0'));
        typed << QStringLiteral("%1").arg((qint64(i) * 15485863) % 10000, 4, 10, QLatin1Char('0'));
        typed << names[i] << pinyinInitials(names[i]).value(0) << customerCode(i) << bodyCode(i);
    }
    typed << QStringLiteral("98765x") << QStringLiteral("无此客户") << QStringLiteral("qqqqq")
          << QStringLiteral("SNX");
    QList<double> times;
    Timing timing;
    int found = 0;
    quickFind(c, QStringLiteral("张")); // the first statement of each kind is prepared once
    for (const QString& text : std::as_const(typed)) {
        for (qsizetype n = 1; n <= text.size(); ++n) {
            const QString keystroke = text.left(n);
            t.restart();
            found += int(quickFind(c, keystroke).size());
            const double ms = t.nsecsElapsed() / 1e6;
            times << ms;
            if (ms > timing.worst) {
                timing.worst = ms;
                timing.worstText = keystroke;
            }
        }
    }
    std::sort(times.begin(), times.end());
    timing.median = times[times.size() / 2];
    const double p95 = times[int(times.size() * 0.95)];
    std::printf(
        "quick find: %lld keystrokes, median %.1f ms, 95%% %.1f ms, worst %.1f ms (\"%s\"); %d customers "
        "offered in all\n",
        qlonglong(times.size()), timing.median, p95, timing.worst, qPrintable(timing.worstText), found);
    return 0;
}
