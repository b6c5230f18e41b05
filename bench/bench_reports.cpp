// Prints the customer list report (grouped by category, with counts and sums) and the address
// labels of a large customer list into PDF files; prints the times and page counts.
//
//   zu-bench-reports [--customers N] [--keep DIR] [--templates DIR]
//
// The templates are the shipped ones (those inside the program unless DIR names a folder).

#include "benchdata.h"
#include "data/datamodule.h"
#include "data/query.h"
#include "report/customerrecords.h"
#include "report/reportrenderer.h"
#include "report/shippedtemplates.h"
#include "report/templatefile.h"

#include <cstdio>
#include <ctime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

using namespace zu;

namespace {

ReportTemplate loadReport(const QString& templates, const QString& file)
{
    ReportTemplate report;
    QString error;
    const bool loaded = templates.isEmpty()
                            ? parseTemplate(shippedTemplate(file), &report, &error)
                            : loadTemplate(templates + QLatin1Char('/') + file, &report, &error);
    if (!loaded)
        qFatal("%s: %s", qPrintable(file), qPrintable(error));
    return report;
}

void printReport(const QString& templates, const QString& file, CustomerRecordSource& records,
                 const ReportEnvironment& environment, const QString& out, const char* target)
{
    const ReportTemplate report = loadReport(templates, file);
    QElapsedTimer t;
    t.start();
    // The processor time too: on a busy machine the time on the clock says more about the others.
    const std::clock_t cpu = std::clock();
    QString error;
    if (!exportPdf(report, records, out, &error, environment))
        qFatal("%s", qPrintable(error));
    const double ms = t.nsecsElapsed() / 1e6;
    const double cpuMs = 1000.0 * double(std::clock() - cpu) / CLOCKS_PER_SEC;
    // The first pass alone: reading, ordering, adding up and laying out the pages.
    t.restart();
    ReportRenderer renderer(report, records, environment);
    const int pages = renderer.plan().pageCount();
    const double planned = t.nsecsElapsed() / 1e6;
    std::printf("%-22s %6.0f ms (processor %.0f ms; the first pass %.0f ms), %d pages, %.1f MB%s\n",
                qPrintable(file), ms, cpuMs, planned, pages, QFileInfo(out).size() / 1e6, target);
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv); // fonts
    const QStringList args = app.arguments();
    const int customers = zu::bench::optionValue(args, QStringLiteral("customers"), 10000);
    const QString keep = zu::bench::optionValue(args, QStringLiteral("keep"));
    const QString templates = zu::bench::optionValue(args, QStringLiteral("templates"));
    const zu::bench::BenchHome benchHome(keep, customers);

    TfrmData module(benchHome.path());
    if (!module.ConnectOK())
        qFatal("cannot connect");
    // Nine categories, the customers of each spread over the whole list: the list report gathers
    // them into its groups.
    module.T().exec(QStringLiteral("update T_Cust set classCode = ? || substr(TypeCode, 3)"),
                    {QStringLiteral("类别")});
    module.qryCustom().open();
    CustomerRecordSource records(module.qryCustom());
    ReportEnvironment environment;
    environment.company = readCompanyInfo(module.conn());

    QTemporaryDir out;
    std::printf("customers in list: %d\n", module.qryCustom().recordCount());
    printReport(templates, QStringLiteral("客户列表.fr3"), records, environment,
                out.filePath(QStringLiteral("list.pdf")), " (grouped, with sums; target < 5000 ms)");
    printReport(templates, QStringLiteral("信封标签打印.fr3"), records, environment,
                out.filePath(QStringLiteral("labels.pdf")), "");
    return 0;
}
