// Times the spreadsheet export and import the way the user runs them:
//  - the customer list of a large database with all 40 columns of its layout shown, exported by
//    ExportGridToXls to .xls (in as many worksheets as it needs) and to .xlsx, with the peak of
//    resident memory the .xls export adds;
//  - LibreOffice converting the same rows from CSV to .xls, in the same run, when it is installed;
//  - a worksheet of customers read by the reader process and imported through TfrmImport, each
//    row in its own transaction.
//
//   QT_QPA_PLATFORM=offscreen zu-bench-spreadsheets [--customers N] [--import-rows M] [--keep DIR] [--phases]
//   [--xls-only] [--import-only] [--no-libreoffice] [--out DIR]

#include "benchdata.h"

#include "columns/gridcolumns.h"
#include "columns/listgrid.h"
#include "data/datamodule.h"
#include "maintenance/import/tfrmimport.h"
#include "output/gridexport.h"
#include "output/listsheet.h"
#include "spreadsheet/spreadsheetreader.h"
#include "spreadsheet/spreadsheetwriter.h"
#include "spreadsheet/streamingsheetwriter.h"
#include "spreadsheet/xlsxsheetcount.h"
#include "widgets/dialogs.h"
#include "widgets/guard.h"

#include <cstdio>
#include <ctime>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <sys/resource.h>

using namespace zu;

namespace {

// Answers the save and open dialogs with a file and every message box with Cancel (or OK).
class BenchDialogs final : public Dialogs
{
public:
    QString file;
    QStringList messages;

    QMessageBox::StandardButton message(QWidget*, const QString&, const QString& text, QMessageBox::Icon,
                                        QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton) override
    {
        messages << text;
        return buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel : QMessageBox::Ok;
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override { return file; }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override { return file; }
    QString existingFolder(QWidget*, const QString&, const QString&) override { return {}; }
    bool openExternally(const QString&) override { return true; }
    bool startDetached(const QString&, const QStringList&) override { return true; }
};

// Processor time of this process, which the other programs on a shared machine do not inflate.
double cpuMs()
{
    return 1000.0 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double g_lastCpuMs = 0;
double g_lastXlsMs = 0;
double g_lastXlsCpuMs = 0;

// Processor time of the child processes waited for so far.
double childrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec * 1000.0 + usage.ru_utime.tv_usec / 1000.0 + usage.ru_stime.tv_sec * 1000.0 +
           usage.ru_stime.tv_usec / 1000.0;
}

double exportList(BenchDialogs& dialogs, ListGrid& grid, DataSet& list, const QString& file)
{
    dialogs.file = file;
    dialogs.messages.clear();
    QElapsedTimer t;
    t.start();
    const double cpu = cpuMs();
    guarded(nullptr, [&] { ExportGridToXls(nullptr, list, &grid, QStringLiteral("客户信息")); });
    const double ms = t.nsecsElapsed() / 1e6;
    g_lastCpuMs = cpuMs() - cpu;
    if (!QFileInfo::exists(file) || dialogs.messages.size() != 1)
        qFatal("export failed: %s", qPrintable(dialogs.messages.join(QLatin1Char('\n'))));
    return ms;
}

// Where an export's time goes: reading the rows alone, then the whole export without the dialogs.
void exportPhases(ListGrid& grid, DataSet& list, const QString& file)
{
    QElapsedTimer t;
    t.start();
    QSqlQuery q(list.connection().database());
    q.setForwardOnly(true);
    q.exec(QStringLiteral("select * from %1 order by %2").arg(list.tableName(), list.keyField()));
    qint64 values = 0;
    const int fields = q.record().count();
    while (q.next())
        for (int c = 0; c < fields; ++c)
            values += q.value(c).isNull() ? 0 : 1;
    const double readMs = t.nsecsElapsed() / 1e6;
    t.restart();
    std::unique_ptr<StreamingSheetWriter> writer = StreamingSheetWriter::forFileName(file);
    writeListSheet(*writer, list, exportLayoutOf(grid));
    const double sheetMs = t.nsecsElapsed() / 1e6;
    t.restart();
    QString error;
    if (!writer->finish(file, &error))
        qFatal("%s", qPrintable(error));
    const double saveMs = t.nsecsElapsed() / 1e6;
    std::printf("  %s: the rows alone read by one statement %.0f ms (%lld values); rows read and cells "
                "written %.0f ms; file put together %.0f ms\n",
                qPrintable(QFileInfo(file).suffix()), readMs, values, sheetMs, saveMs);
}

// A worksheet with the titles of the first twelve mapping rows and `rows` customers.
void writeImportSheet(const QString& file, int rows)
{
    const QStringList titles{
        QStringLiteral("客户名称"), QStringLiteral("客户编码"), QStringLiteral("客户地址"),
        QStringLiteral("客户电话"), QStringLiteral("客户手机"), QStringLiteral("客户类别"),
        QStringLiteral("机身编码"), QStringLiteral("型号"),     QStringLiteral("数量"),
        QStringLiteral("单价"),     QStringLiteral("总金额"),   QStringLiteral("赠品名称A")};
    XlsWriter writer;
    for (int c = 0; c < titles.size(); ++c)
        writer.writeText(0, c, titles[c]);
    for (int r = 1; r <= rows; ++r) {
        writer.writeText(r, 0, QStringLiteral("导入客户%1").arg(r));
        writer.writeText(r, 1, QStringLiteral("IMP%1").arg(r));
        writer.writeText(r, 2, QStringLiteral("上海市徐汇区漕溪北路 %1 号").arg(r));
        writer.writeText(r, 3, QStringLiteral("021-5%1").arg(r, 7, 10, QLatin1Char('0')));
        writer.writeText(r, 4, QStringLiteral("138%1").arg(r, 8, 10, QLatin1Char('0')));
        writer.writeText(r, 5, QStringLiteral("家用电器"));
        writer.writeText(r, 6, QStringLiteral("SN%1").arg(r));
        writer.writeText(r, 7, QStringLiteral("BCD-%1W").arg(200 + r % 300));
        writer.writeNumber(r, 8, 1 + r % 3);
        writer.writeNumber(r, 9, 1999.5);
        writer.writeNumber(r, 10, 1999.5 * (1 + r % 3));
        writer.writeText(r, 11, QStringLiteral("保温杯"));
    }
    QString error;
    if (!writer.save(file, &error))
        qFatal("%s", qPrintable(error));
}

// Peak resident memory: reset before a step, read after it (Linux keeps the peak in VmHWM).
void resetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

long peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

void benchExport(BenchDialogs& dialogs, ListGrid& grid, DataSet& list, const QDir& out,
                 const QStringList& args)
{
    const long before = bench::residentKiB();
    resetPeakResident();
    const QString xls = out.filePath(QStringLiteral("customers.xls"));
    const double xlsMs = exportList(dialogs, grid, list, xls);
    g_lastXlsMs = xlsMs;
    g_lastXlsCpuMs = g_lastCpuMs;
    std::printf("export .xls:  %d customers x %d columns in %.0f ms, %.0f ms processor time (%.1f MB file in "
                "%d worksheets; resident memory at most +%ld MB, afterwards +%ld MB)\n",
                list.recordCount(), grid.columnCount(), xlsMs, g_lastCpuMs, QFileInfo(xls).size() / 1e6,
                (list.recordCount() + 2 + XlsWriter::kMaxRows - 2) / (XlsWriter::kMaxRows - 1),
                (peakResidentKiB() - before) / 1024, (bench::residentKiB() - before) / 1024);
    if (args.contains(QLatin1String("--phases")))
        exportPhases(grid, list, out.filePath(QStringLiteral("phases.xls")));
    if (args.contains(QLatin1String("--xls-only")))
        return;
    const QString xlsx = out.filePath(QStringLiteral("customers.xlsx"));
    const double xlsxMs = exportList(dialogs, grid, list, xlsx);
    std::printf("export .xlsx: %d customers x %d columns in %.0f ms, %.0f ms processor time (%.1f MB file)\n",
                list.recordCount(), grid.columnCount(), xlsxMs, g_lastCpuMs, QFileInfo(xlsx).size() / 1e6);
    // The part of the .xlsx export that reads the finished worksheets back to count their cells.
    QElapsedTimer counting;
    counting.start();
    std::vector<SheetTally> sheets;
    QString reason;
    const bool counted = countXlsxSheets(xlsx, &sheets, &reason);
    std::printf("  of which counting the cells again: %lld ms (%s)\n",
                static_cast<long long>(counting.elapsed()),
                counted && !sheets.empty() ? qPrintable(QStringLiteral("%1 cells").arg(sheets.front().cells))
                                           : qPrintable(reason));
    if (args.contains(QLatin1String("--phases")))
        exportPhases(grid, list, out.filePath(QStringLiteral("phases.xlsx")));
}

QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// The same rows as the .xls export (read back from it) converted from CSV by LibreOffice, which
// writes at most 65,536 rows into an .xls sheet.
void benchLibreOffice(const QDir& out, double ownMs)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) {
        std::printf("LibreOffice: not installed, no comparison\n");
        return;
    }
    QString error;
    std::unique_ptr<WorkbookFile> book =
        WorkbookFile::open(out.filePath(QStringLiteral("customers.xls")), &error);
    if (!book)
        qFatal("%s", qPrintable(error));
    const QString csvPath = out.filePath(QStringLiteral("customers.csv"));
    QFile csv(csvPath);
    if (!csv.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(csvPath));
    int rows = 0;
    for (int s = 0; s < book->sheets().size(); ++s) {
        SheetTable table;
        if (!book->readSheet(s, &table, &error))
            qFatal("%s", qPrintable(error));
        for (qsizetype r = s == 0 ? 0 : 1; r < table.rows.size(); ++r, ++rows) {
            QStringList fields;
            for (const QString& cell : std::as_const(table.rows[r]))
                fields << csvField(cell);
            csv.write((fields.join(QLatin1Char(',')) + QLatin1Char('\n')).toUtf8());
        }
    }
    csv.close();
    QTemporaryDir profile;
    QTemporaryDir converted;
    QProcess office;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), profile.path());
    office.setProcessEnvironment(environment);
    const double childCpuBefore = childrenCpuMs();
    QElapsedTimer t;
    t.start();
    office.start(soffice, {QStringLiteral("--headless"), QStringLiteral("--infilter=CSV:44,34,76,1"),
                           QStringLiteral("--convert-to"), QStringLiteral("xls:MS Excel 97"),
                           QStringLiteral("--outdir"), converted.path(), csvPath});
    office.waitForFinished(600000);
    const double officeMs = t.nsecsElapsed() / 1e6;
    const double officeCpuMs = childrenCpuMs() - childCpuBefore;
    const QString written = converted.filePath(QStringLiteral("customers.xls"));
    SpreadsheetReader reader;
    const int officeRows = reader.open(written, &error, 0) ? reader.rowCount() : 0;
    std::printf(
        "LibreOffice: the same %d rows from CSV to .xls in %.0f ms, %.0f ms processor time (%s; its .xls "
        "holds %d rows): the export takes %.1f times less time, %.1f times less processor time\n",
        rows, officeMs, officeCpuMs, QFileInfo::exists(written) ? "written" : "NOT written", officeRows,
        officeMs / std::max(1.0, ownMs), officeCpuMs / std::max(1.0, g_lastXlsCpuMs));
}

void benchImport(BenchDialogs& dialogs, TfrmData& module, const QDir& out, int importRows)
{
    // The import, as the user runs it: file chosen, pairing shown, Start.
    const QString sheet = out.filePath(QStringLiteral("import.xls"));
    writeImportSheet(sheet, importRows);
    dialogs.file = sheet;
    dialogs.messages.clear();
    QElapsedTimer t;
    t.start();
    TfrmImport window;
    window.FTableName = QStringLiteral("T_cust");
    window.show();
    const double openMs = t.nsecsElapsed() / 1e6;
    t.restart();
    const double cpu = cpuMs();
    window.findChild<QPushButton*>(QStringLiteral("Btn_Start"))->click();
    const double importMs = t.nsecsElapsed() / 1e6;
    std::printf(
        "import: worksheet of %d rows read by the reader process and paired in %.0f ms; imported in %.0f "
        "ms, %.0f ms processor time (%.2f ms a row); together %.0f ms\n",
        importRows, openMs, importMs, cpuMs() - cpu, importMs / qMax(1, importRows), openMs + importMs);
    std::printf("        %s\n", qPrintable(dialogs.messages.value(0)));
    module.F().exec(QStringLiteral("delete from T_Cust where IDCode like ?"), {QStringLiteral("IMP%")});
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (qEnvironmentVariableIsEmpty("ZU_SHEETREADER"))
        qputenv("ZU_SHEETREADER", ZU_SHEETREADER_PATH);
    const int customers = bench::optionValue(args, QStringLiteral("customers"), 100000);
    const int importRows = bench::optionValue(args, QStringLiteral("import-rows"), 10000);
    const QString keep = bench::optionValue(args, QStringLiteral("keep"));
    bench::BenchHome home(keep, customers);
    TfrmData module(home.path());
    if (!module.ConnectOK())
        qFatal("cannot connect");
    BenchDialogs dialogs;
    ScopedDialogs scope(dialogs);
    QTemporaryDir temporary;
    // --out DIR keeps the written files there.
    const QString outDir = bench::optionValue(args, QStringLiteral("out"));
    if (!outDir.isEmpty())
        QDir().mkpath(outDir);
    const QDir out(outDir.isEmpty() ? temporary.path() : outDir);

    // Every column of the customer layout shown.
    module.F().exec(QStringLiteral("update T_FieldShow set show = ? where TableName = ?"),
                    {true, QStringLiteral("T_Cust_show")});
    DataSet& list = module.qryCustom();
    list.open(QString(), {}, QStringLiteral("CusttityID"));
    ListGrid grid;
    LoadGridColumns(&grid, &list, QStringLiteral("T_Cust_show"));
    if (!args.contains(QLatin1String("--import-only"))) {
        benchExport(dialogs, grid, list, out, args);
        if (!args.contains(QLatin1String("--no-libreoffice")))
            benchLibreOffice(out, g_lastXlsMs);
    }
    benchImport(dialogs, module, out, importRows);
    return 0;
}
