// Opens the customer list of a large database into the shared data set, re-queries the detail
// lists of one customer and reads the current customer again as a click does; prints times and
// resident memory.
//
//   zu-bench [--customers N] [--keep DIR]
//
// The database is built in a temporary program folder (or DIR, kept afterwards and reused).

#include "benchdata.h"
#include "data/apphome.h"
#include "data/datamodule.h"
#include "data/schemainstaller.h"

#include <cstdio>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace zu;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int customers = zu::bench::optionValue(args, QStringLiteral("customers"), 100000);
    const QString keep = zu::bench::optionValue(args, QStringLiteral("keep"));
    const zu::bench::BenchHome benchHome(keep, customers);
    const QString home = benchHome.path();

    const long before = zu::bench::residentKiB();
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

    // A click on the current customer reads it and its three detail lists again.
    double clickTotal = 0, clickMax = 0;
    for (int i = 0; i < probes; ++i) {
        module.qryCustom().setCurrentRow((i * 7919) % module.qryCustom().recordCount());
        t.restart();
        module.qryCustom().reloadCurrentRow();
        const double ms = t.nsecsElapsed() / 1e6;
        clickTotal += ms;
        clickMax = qMax(clickMax, ms);
    }

    // Scrolling through the whole list, as a grid or an export would.
    t.restart();
    const int n = module.qryCustom().recordCount();
    for (int r = 0; r < n; ++r)
        module.qryCustom().value(r, 1);
    const double walkMs = t.nsecsElapsed() / 1e6;
    const long after = zu::bench::residentKiB();

    std::printf("customers in list:              %d\n", n);
    std::printf("open customer list:             %.1f ms (target < 500 ms)\n", openMs);
    std::printf(
        "detail re-query (3 lists):      mean %.2f ms, max %.2f ms over %d customers (target < 20 ms)\n",
        detailTotal / probes, detailMax, probes);
    std::printf(
        "click on the current customer:  mean %.2f ms, max %.2f ms over %d customers (target < 20 ms)\n",
        clickTotal / probes, clickMax, probes);
    std::printf("read every row once:            %.1f ms\n", walkMs);
    std::printf("resident memory:                %.1f MB (%.1f MB before the data module; target < 150 MB)\n",
                after / 1024.0, before / 1024.0);
    return 0;
}
