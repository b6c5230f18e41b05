// Opens the customer list of a large database into the shared data set and re-queries the detail
// lists of one customer; prints times and resident memory.
//
//   zu-bench [--customers N] [--keep DIR]
//
// The database is built in a temporary program folder (or DIR, kept afterwards and reused).

#include "data/apphome.h"
#include "data/datamodule.h"
#include "data/schemainstaller.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

using namespace zu;

namespace {

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

void fill(Connection& c, int customers)
{
    TransactionGuard tx(c);
    QSqlQuery q(c.database());
    q.prepare(QStringLiteral(
        "insert into T_Cust (CustName, IDCode, Address, Phone, Mobile, classCode, GoodsCode, Goodsunit, Number, Price, "
        "Money, gathering, Emptionaddress, EmptionDate, Install, BusinessMen, Remark, CharA, intA, remind, exeMen, "
        "TypeCode) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    auto* rng = QRandomGenerator::global();
    for (int i = 0; i < customers; ++i) {
        const QString n = QString::number(i);
        const QVariantList values{
            QStringLiteral("客户") + n, QStringLiteral("KH") + n, QStringLiteral("北京市朝阳区建国路 %1 号").arg(i),
            QStringLiteral("010-6%1").arg(i, 7, 10, QLatin1Char('0')), QStringLiteral("139%1").arg(i, 8, 10, QLatin1Char('0')),
            QStringLiteral("家用电器"), QStringLiteral("SN%1").arg(rng->bounded(1000000)), QStringLiteral("KFR-35GW"),
            1 + i % 3, 2999.0, 2999.0 * (1 + i % 3), 2999.0, QStringLiteral("总店"),
            QStringLiteral("2024-%1-%2 00:00:00").arg(1 + i % 12, 2, 10, QLatin1Char('0')).arg(1 + i % 28, 2, 10, QLatin1Char('0')),
            QStringLiteral("安装一部"), QStringLiteral("业务员%1").arg(i % 20), QStringLiteral("备注 %1").arg(i),
            QStringLiteral("A"), i, QStringLiteral("2026-12-%1 00:00:00").arg(1 + i % 28, 2, 10, QLatin1Char('0')),
            QStringLiteral("Admin"), QStringLiteral("01%1").arg(1 + i % 9, 2, 10, QLatin1Char('0'))};
        for (int v = 0; v < values.size(); ++v)
            q.bindValue(v, values[v]);
        if (!q.exec())
            qFatal("insert failed");
    }
    for (const char* table : {"T_service", "T_call", "T_complain"}) {
        QSqlQuery j(c.database());
        j.prepare(QStringLiteral("insert into %1 (CustCode, CustName) values (?, ?)").arg(QLatin1String(table)));
        for (int i = 0; i < customers; ++i) {
            const int owner = static_cast<int>(rng->bounded(customers));
            j.bindValue(0, QStringLiteral("KH%1").arg(owner));
            j.bindValue(1, QStringLiteral("客户%1").arg(owner));
            if (!j.exec())
                qFatal("insert failed");
        }
    }
    tx.commit();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int customers = 100000;
    QString keep;
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--customers"))
            customers = args[i + 1].toInt();
        if (args[i] == QLatin1String("--keep"))
            keep = args[i + 1];
    }
    QTemporaryDir temp;
    const QString home = keep.isEmpty() ? temp.path() : keep;
    const QString file = homeFile(home, QLatin1String(kEmbeddedDatabaseFile));
    if (!QFileInfo::exists(file)) {
        QElapsedTimer t;
        t.start();
        createEmbeddedDatabase(file);
        ConnectionSettings s;
        s.filePath = file;
        Connection c(SqlDialect::sqlite(), s);
        if (!c.open())
            qFatal("cannot open %s", qPrintable(c.lastError()));
        fill(c, customers);
        std::printf("filled %d customers and %d journal rows in %.1f s\n", customers, 3 * customers, t.elapsed() / 1000.0);
    }

    const long before = residentKiB();
    TfrmData module(home);
    if (!module.ConnectOK())
        qFatal("cannot connect");

    QElapsedTimer t;
    t.start();
    module.qryCustom().open();
    // What the customer grid shows first: the top rows.
    for (int r = 0; r < 40; ++r)
        module.qryCustom().value(r, 1);
    const double openMs = t.nsecsElapsed() / 1e6;

    // Moving to another customer re-queries its three detail lists.
    const int probes = 50;
    double detailTotal = 0, detailMax = 0;
    for (int i = 0; i < probes; ++i) {
        const int row = (i * 7919) % module.qryCustom().recordCount();
        t.restart();
        module.qryCustom().setCurrentRow(row);
        const double ms = t.nsecsElapsed() / 1e6;
        detailTotal += ms;
        detailMax = qMax(detailMax, ms);
    }

    // Scrolling through the whole list, as a grid or an export would.
    t.restart();
    const int n = module.qryCustom().recordCount();
    for (int r = 0; r < n; ++r)
        module.qryCustom().value(r, 1);
    const double walkMs = t.nsecsElapsed() / 1e6;
    const long after = residentKiB();

    std::printf("customers in list:              %d\n", n);
    std::printf("open customer list:             %.1f ms (target < 500 ms)\n", openMs);
    std::printf("detail re-query (3 lists):      mean %.2f ms, max %.2f ms over %d customers (target < 20 ms)\n",
                detailTotal / probes, detailMax, probes);
    std::printf("read every row once:            %.1f ms\n", walkMs);
    std::printf("resident memory:                %.1f MB (%.1f MB before the data module; target < 150 MB)\n",
                after / 1024.0, before / 1024.0);
    return 0;
}
