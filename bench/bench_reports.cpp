// Prints the customer list report and the address labels of a large customer list into PDF
// files; prints the times and page counts.
//
//   zu-bench-reports [--customers N] [--keep DIR] [--templates DIR]
//
// The templates are the shipped ones (the build's Reports folder unless DIR names another).

#include "benchdata.h"
#include "data/datamodule.h"
#include "report/customerrecords.h"
#include "report/reportrenderer.h"
#include "report/templatefile.h"

#include <cstdio>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

using namespace zu;

namespace {

void printReport(const QString& templates, const QString& file, CustomerRecordSource& records,
                 const ReportEnvironment& environment, const QString& out, const char* target)
{
    ReportTemplate report;
    QString error;
    if (!loadTemplate(templates + QLatin1Char('/') + file, &report, &error))
        qFatal("%s", qPrintable(error));
    QElapsedTimer t;
    t.start();
    if (!exportPdf(report, records, out, &error, environment))
        qFatal("%s", qPrintable(error));
    const double ms = t.nsecsElapsed() / 1e6;
    ReportRenderer renderer(report, records, environment);
    const int pages = renderer.plan().pageCount();
    std::printf("%-22s %6.0f ms, %d pages, %.1f MB%s\n", qPrintable(file), ms, pages,
                QFileInfo(out).size() / 1e6, target);
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv); // fonts
    const QStringList args = app.arguments();
    const int customers = zu::bench::optionValue(args, QStringLiteral("customers"), 10000);
    const QString keep = zu::bench::optionValue(args, QStringLiteral("keep"));
    const QString templates = zu::bench::optionValue(
        args, QStringLiteral("templates"), app.applicationDirPath() + QStringLiteral("/../bin/Reports"));
    const zu::bench::BenchHome benchHome(keep, customers);

    TfrmData module(benchHome.path());
    if (!module.ConnectOK())
        qFatal("cannot connect");
    module.qryCustom().open();
    CustomerRecordSource records(module.qryCustom());
    ReportEnvironment environment;
    environment.company = readCompanyInfo(module.conn());

    QTemporaryDir out;
    std::printf("customers in list: %d\n", module.qryCustom().recordCount());
    printReport(templates, QStringLiteral("客户列表.fr3"), records, environment,
                out.filePath(QStringLiteral("list.pdf")), " (target < 5000 ms)");
    printReport(templates, QStringLiteral("信封标签打印.fr3"), records, environment,
                out.filePath(QStringLiteral("labels.pdf")), "");
    return 0;
}
