#include "freexlbook.h"

#include "columns/gridcolumns.h"
#include "columns/listgrid.h"
#include "output/gridexport.h"
#include "output/listsheet.h"
#include "spreadsheet/csvparser.h"
#include "spreadsheet/sheettable.h"
#include "spreadsheet/spreadsheetreader.h"
#include "spreadsheet/streamingsheetwriter.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "widgets/guard.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QProcess>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace zu;
using zu::test::ScriptedDialogs;

namespace {

const QString kLayout = QStringLiteral("T_Cust_show");

// A cell as FreeXL sees it: its kind and value.
QString describe(const FreeXL_CellValue& v)
{
    switch (v.type) {
    case FREEXL_CELL_NULL:
        return QStringLiteral("null");
    case FREEXL_CELL_INT:
        return QStringLiteral("int:%1").arg(v.value.int_value);
    case FREEXL_CELL_DOUBLE:
        return QStringLiteral("double:") + numberText(v.value.double_value);
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return QStringLiteral("text:") + QString::fromUtf8(v.value.text_value);
    default:
        return QStringLiteral("kind %1").arg(v.type);
    }
}

// Every cell of the first worksheet, row by row; empty when FreeXL cannot read the file.
QList<QStringList> freexlCells(const QString& path)
{
    FreexlBook book(path);
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (book.openResult() != FREEXL_OK || !book.dimensions(&rows, &columns))
        return {};
    QList<QStringList> cells;
    for (unsigned int r = 0; r < rows; ++r) {
        QStringList row;
        for (unsigned short c = 0; c < columns; ++c)
            row << describe(book.cell(r, c));
        cells << row;
    }
    return cells;
}

// The text a spreadsheet program shows for each described cell.
QList<QStringList> shownTexts(const QList<QStringList>& described)
{
    QList<QStringList> texts;
    for (const QStringList& row : described) {
        QStringList out;
        for (const QString& cell : row)
            out << (cell == QLatin1String("null") ? QString() : cell.section(QLatin1Char(':'), 1));
        texts << out;
    }
    return texts;
}

// Shows exactly these fields of the customer layout, in this order.
void showColumns(const QStringList& fields)
{
    Query& q = data().F();
    q.exec(QStringLiteral("update T_FieldShow set show = ? where TableName = ?"), {false, kLayout});
    for (int i = 0; i < fields.size(); ++i)
        q.exec(
            QStringLiteral("update T_FieldShow set show = ?, ShowID = ? where TableName = ? and Field = ?"),
            {true, i, kLayout, fields[i]});
}

void addLayoutColumn(const QString& title, const QString& field, int showId)
{
    data().F().exec(
        QStringLiteral(
            "insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, SumField, dotsize) "
            "values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {900 + showId, kLayout, title, field, 70, true, showId, 0, 0});
}

struct Customer
{
    QVariant name, code, number, price, purchased, remind, remark;
};

void addCustomer(const Customer& c)
{
    data().T().exec(
        QStringLiteral("insert into T_Cust (CustName, IDCode, Number, Price, EmptionDate, remind, Remark) "
                       "values (?, ?, ?, ?, ?, ?, ?)"),
        {c.name, c.code, c.number, c.price, c.purchased, c.remind, c.remark});
}

QVariant at(int y, int m, int d, int h = 0, int min = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min));
}

void addThreeCustomers()
{
    addCustomer({QStringLiteral("张三"), QStringLiteral("0101"), 3, 2999.5, at(2024, 3, 5),
                 at(2026, 12, 1, 8, 30), QStringLiteral("空调不制冷；已上门")});
    addCustomer(
        {QStringLiteral("O'Brien 李"), QStringLiteral("A-2"), 1, 100.0, QVariant(), QVariant(), QVariant()});
    addCustomer({QStringLiteral("王五"), QString(QLatin1String("")), QVariant(), 88.8, at(2023, 12, 31),
                 QVariant(), QString(QLatin1String(""))});
}

// The customer list in a grid of its layout, as the customer window shows it.
struct CustomerGrid
{
    ListGrid grid;
    DataSet& list = data().qryCustom();
    CustomerGrid()
    {
        list.open(QString(), {}, QStringLiteral("CusttityID"));
        LoadGridColumns(&grid, &list, kLayout);
        grid.resize(900, 300);
        grid.show();
    }
};

// Runs the export as a command does; true when it went to its end.
bool runExport(ListGrid& grid, DataSet& list, const QString& proposed = QStringLiteral("客户信息2024-03-05"))
{
    bool finished = false;
    guarded(nullptr, [&] {
        ExportGridToXls(&grid, list, &grid, proposed);
        finished = true;
    });
    return finished;
}

// Exports the list into `file` as the user does: the file chosen in the dialog, the offer to open
// it declined; true when the export went to its end.
bool exportedTo(ListGrid& grid, DataSet& list, const QString& file)
{
    ScriptedDialogs dialogs;
    dialogs.answerFile(file);
    dialogs.answer(QMessageBox::Cancel);
    return runExport(grid, list);
}

// The cells LibreOffice reads from a file, through its CSV export (of the first worksheet, or of
// the worksheet `sheet` counted from 1); empty with the reason in *why.
QList<QStringList> libreOfficeCells(const QString& soffice, const QString& file, const QString& filter,
                                    const QString& home, QString* why, int sheet = 0)
{
    QProcess lo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    lo.setProcessEnvironment(env);
    const QString folder = home + QStringLiteral("/csv");
    lo.start(soffice,
             {QStringLiteral("--headless"), QStringLiteral("--infilter=") + filter,
              QStringLiteral("--convert-to"),
              QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1") +
                  (sheet > 0 ? QStringLiteral(",,0,false,true,false,false,false,%1").arg(sheet) : QString()),
              QStringLiteral("--outdir"), folder, file});
    if (!lo.waitForFinished(120000)) {
        *why = QStringLiteral("LibreOffice did not finish");
        return {};
    }
    // A chosen worksheet is written as <name>-<sheet's name>.csv.
    const QString written = QFileInfo(file).completeBaseName() +
                            (sheet > 0 ? QStringLiteral("-Sheet%1").arg(sheet) : QString()) +
                            QStringLiteral(".csv");
    QFile csv(folder + QLatin1Char('/') + written);
    if (!csv.open(QIODevice::ReadOnly)) {
        *why = QString::fromLocal8Bit(lo.readAllStandardError()) +
               QDir(folder).entryList(QDir::Files).join(u' ');
        return {};
    }
    QList<QStringList> seen;
    if (!parseCsv(csv.readAll(), &seen, why))
        return {};
    return seen;
}

// Keeps every cell as the file would get it, with its style, on sheets of `rows` rows. Told to,
// it refuses the cell that would be the given one, or the beginning of the given sheet, once: what
// comes after a refusal is not refused again, so that it shows when the writing went on.
class RecordingWriter final : public StreamingSheetWriter
{
public:
    struct Cell
    {
        int sheet, row, column;
        QString text;
        CellStyle style;
    };
    explicit RecordingWriter(int rows) : StreamingSheetWriter({rows, 256, QStringLiteral("测试")}) {}
    QList<Cell> cells;
    qsizetype refusedCell = -1;
    int refusedSheet = -1;
    static QString refusal() { return QStringLiteral("磁盘已满"); }

protected:
    bool beginSheet(const QString&, const QMap<int, int>&, QString* reason) override
    {
        if (m_sheet + 1 == refusedSheet) {
            refusedSheet = -1;
            return refuse(reason);
        }
        ++m_sheet;
        return true;
    }
    bool putText(int row, int column, QStringView text, CellStyle style, QString* reason) override
    {
        return keep({m_sheet, row, column, text.toString(), style}, reason);
    }
    bool putNumber(int row, int column, double value, CellStyle style, QString* reason) override
    {
        return keep({m_sheet, row, column, numberText(value), style}, reason);
    }
    bool putBlank(int row, int column, CellStyle style, QString* reason) override
    {
        return keep({m_sheet, row, column, QString(), style}, reason);
    }
    bool complete(const QString&, QString*) override { return true; }

private:
    static bool refuse(QString* reason)
    {
        *reason = refusal();
        return false;
    }
    bool keep(const Cell& cell, QString* reason)
    {
        if (cells.size() == refusedCell) {
            refusedCell = -1;
            return refuse(reason);
        }
        cells.append(cell);
        return true;
    }
    int m_sheet = -1;
};

} // namespace

class TestGridExport final : public QObject
{
    Q_OBJECT
private slots:
    void everySheetBeginsWithBoldTitles()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        showColumns({QStringLiteral("CustName"), QStringLiteral("Number")});
        addThreeCustomers();
        CustomerGrid g;
        RecordingWriter writer(3); // the titles and two records to a sheet
        QCOMPARE(writeListSheet(writer, g.list, exportLayoutOf(g.grid)), 3);
        QStringList bold, normal;
        for (const RecordingWriter::Cell& c : writer.cells) {
            const QString where =
                QStringLiteral("%1:%2:%3 %4").arg(c.sheet).arg(c.row).arg(c.column).arg(c.text);
            (c.style == CellStyle::Bold ? bold : normal) << where;
        }
        QCOMPARE(bold, (QStringList{QStringLiteral("0:0:0 客户名称"), QStringLiteral("0:0:1 数量"),
                                    QStringLiteral("1:0:0 客户名称"), QStringLiteral("1:0:1 数量")}));
        QVERIFY2(normal.contains(QStringLiteral("0:1:0 张三")), qPrintable(normal.join(u'|')));
        QVERIFY2(normal.contains(QStringLiteral("1:1:0 王五")), qPrintable(normal.join(u'|')));
    }

    void everyCellKindAndValue_data() { zu::test::addEngineRows(); }
    void everyCellKindAndValue()
    {
        ZU_TEST_DATABASE(db);
        showColumns({QStringLiteral("CustName"), QStringLiteral("IDCode"), QStringLiteral("Number"),
                     QStringLiteral("Price"), QStringLiteral("EmptionDate"), QStringLiteral("remind"),
                     QStringLiteral("Remark"), QStringLiteral("CusttityID")});
        addLayoutColumn(QStringLiteral("无此字段"), QStringLiteral("NoSuchField"), 8);
        addThreeCustomers();
        CustomerGrid g;
        QCOMPARE(g.grid.columnCount(), 9);
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("客户信息.xls"));
        QVERIFY(exportedTo(g.grid, g.list, file));

        const QVariant firstId = g.list.value(0, g.list.fieldIndex(QStringLiteral("CusttityID")));
        const QString id1 = QStringLiteral("int:%1").arg(firstId.toInt());
        const QString id2 = QStringLiteral("int:%1").arg(firstId.toInt() + 1);
        const QString id3 = QStringLiteral("int:%1").arg(firstId.toInt() + 2);
        const QList<QStringList> expected{
            {QStringLiteral("text:客户名称"), QStringLiteral("text:客户编码"), QStringLiteral("text:数量"),
             QStringLiteral("text:单价"), QStringLiteral("text:购买日期"), QStringLiteral("text:用户提醒"),
             QStringLiteral("text:备注"), QStringLiteral("text:客户ID"), QStringLiteral("text:无此字段")},
            {QStringLiteral("text:张三"), QStringLiteral("text:0101"), QStringLiteral("int:3"),
             QStringLiteral("double:2999.5"), QStringLiteral("text:2024-03-05"),
             QStringLiteral("text:2026-12-01 08:30:00"), QStringLiteral("text:空调不制冷；已上门"), id1,
             QStringLiteral("null")},
            {QStringLiteral("text:O'Brien 李"), QStringLiteral("text:A-2"), QStringLiteral("int:1"),
             QStringLiteral("int:100"), QStringLiteral("null"), QStringLiteral("null"),
             QStringLiteral("null"), id2, QStringLiteral("null")},
            {QStringLiteral("text:王五"), QStringLiteral("null"), QStringLiteral("null"),
             QStringLiteral("double:88.8"), QStringLiteral("text:2023-12-31"), QStringLiteral("null"),
             QStringLiteral("null"), id3, QStringLiteral("null")},
            {QStringLiteral("int:3"), QStringLiteral("null"), QStringLiteral("null"), QStringLiteral("null"),
             QStringLiteral("null"), QStringLiteral("null"), QStringLiteral("null"), QStringLiteral("null"),
             QStringLiteral("null")},
        };
        QCOMPARE(freexlCells(file), expected);
        // The texts are those the grid shows.
        for (int r = 0; r < 3; ++r)
            QCOMPARE(shownTexts(expected)[r + 1][4], g.grid.cellText(r, 4));
        FreexlBook book(file);
        QCOMPARE(book.info(FREEXL_BIFF_VERSION), static_cast<unsigned>(FREEXL_BIFF_VER_8));
        QCOMPARE(book.info(FREEXL_BIFF_CODEPAGE), static_cast<unsigned>(FREEXL_BIFF_UTF16LE));
    }

    void hiddenColumnsAndDisplayOrder()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        showColumns({QStringLiteral("CustName"), QStringLiteral("IDCode"), QStringLiteral("Number"),
                     QStringLiteral("Price")});
        addThreeCustomers();
        CustomerGrid g;
        QHeaderView* titles = g.grid.view()->horizontalHeader();
        titles->moveSection(3, 0);               // 单价 dragged to the front
        g.grid.view()->setColumnHidden(2, true); // 数量 not shown
        g.list.setCurrentRow(1);
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("order.xls"));
        QVERIFY(exportedTo(g.grid, g.list, file));
        const QList<QStringList> expected{
            {QStringLiteral("text:单价"), QStringLiteral("text:客户名称"), QStringLiteral("text:客户编码")},
            {QStringLiteral("double:2999.5"), QStringLiteral("text:张三"), QStringLiteral("text:0101")},
            {QStringLiteral("int:100"), QStringLiteral("text:O'Brien 李"), QStringLiteral("text:A-2")},
            {QStringLiteral("double:88.8"), QStringLiteral("text:王五"), QStringLiteral("null")},
            {QStringLiteral("null"), QStringLiteral("int:3"), QStringLiteral("null")},
        };
        QCOMPARE(freexlCells(file), expected);
        // The list stays where it was.
        QCOMPARE(g.list.currentRow(), 1);
        QCOMPARE(g.grid.view()->currentIndex().row(), 1);
    }

    void oneRowAndNoFooter()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        showColumns({QStringLiteral("CustName"), QStringLiteral("Number")});
        addCustomer(
            {QStringLiteral("唯一"), QStringLiteral("X"), 7, 1.0, QVariant(), QVariant(), QVariant()});
        CustomerGrid g;
        QTemporaryDir out;
        ScriptedDialogs dialogs;
        dialogs.answerFile(out.filePath(QStringLiteral("one.xls")));
        dialogs.answer(QMessageBox::Cancel);
        QVERIFY(runExport(g.grid, g.list));
        QCOMPARE(freexlCells(out.filePath(QStringLiteral("one.xls"))),
                 (QList<QStringList>{{QStringLiteral("text:客户名称"), QStringLiteral("text:数量")},
                                     {QStringLiteral("text:唯一"), QStringLiteral("int:7")},
                                     {QStringLiteral("int:1"), QStringLiteral("null")}}));

        // A grid without footer row (the reminder list) ends with its last record.
        g.grid.setHasFooter(false);
        dialogs.answerFile(out.filePath(QStringLiteral("nofooter.xls")));
        dialogs.answer(QMessageBox::Cancel);
        QVERIFY(runExport(g.grid, g.list));
        QCOMPARE(freexlCells(out.filePath(QStringLiteral("nofooter.xls"))),
                 (QList<QStringList>{{QStringLiteral("text:客户名称"), QStringLiteral("text:数量")},
                                     {QStringLiteral("text:唯一"), QStringLiteral("int:7")}}));
    }

    // A cell or a sheet the writer refuses (a full disk) ends the export there, whichever cell it
    // is, titles, records or footer, and on whichever sheet: nothing after it is written, and the
    // result says the list was not written, never a count of records.
    void refusedCellEndsTheExport_data()
    {
        QTest::addColumn<bool>("table");
        QTest::addColumn<bool>("footer");
        QTest::newRow("list") << false << true;
        QTest::newRow("list without footer") << false << false;
        QTest::newRow("table as shown") << true << false;
    }
    void refusedCellEndsTheExport()
    {
        QFETCH(bool, table);
        QFETCH(bool, footer);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        showColumns({QStringLiteral("CustName"), QStringLiteral("Number")});
        addThreeCustomers();
        CustomerGrid g;
        g.grid.setHasFooter(footer);
        const QList<QStringList> rows{{QStringLiteral("张三"), QStringLiteral("3")},
                                      {QStringLiteral("李四"), QStringLiteral("1")},
                                      {QStringLiteral("王五"), QString()}};
        const QStringList titles{QStringLiteral("客户名称"), QStringLiteral("数量")};
        const auto write = [&](RecordingWriter& writer) {
            return table ? writeTableSheet(writer, rows, titles)
                         : writeListSheet(writer, g.list, exportLayoutOf(g.grid));
        };
        RecordingWriter whole(3); // the titles and two records to a sheet: two sheets
        QCOMPARE(write(whole), 3);
        const qsizetype cells = whole.cells.size();
        QCOMPARE(whole.cells.last().sheet, 1);
        QCOMPARE(cells, footer ? 10 : 9); // an empty text is no cell; the footer counts the records
        for (qsizetype refused = 0; refused < cells; ++refused) {
            RecordingWriter writer(3);
            writer.refusedCell = refused;
            QCOMPARE(write(writer), -1);
            QCOMPARE(writer.cells.size(), refused);
            QCOMPARE(writer.error(), RecordingWriter::refusal());
        }
        for (int sheet = 0; sheet < 2; ++sheet) {
            RecordingWriter writer(3);
            writer.refusedSheet = sheet;
            QCOMPARE(write(writer), -1);
            QCOMPARE(writer.cells.size(), sheet == 0 ? 0 : 6);
            QCOMPARE(writer.error(), RecordingWriter::refusal());
        }
    }

    // A cell written before any sheet begins "Sheet1"; when the writer refuses that sheet, the cell
    // is refused with it, and the workbook cannot be finished; nor can one finished without cells.
    void firstSheetRefused()
    {
        RecordingWriter cell(3);
        cell.refusedSheet = 0;
        QVERIFY(!cell.writeText(0, 0, QStringLiteral("甲")));
        QCOMPARE(cell.error(), RecordingWriter::refusal());
        QVERIFY(cell.cells.isEmpty());
        QString error;
        QVERIFY(!cell.finish(QStringLiteral("/nowhere/甲.xls"), &error));
        QCOMPARE(error, QStringLiteral("无法生成文件 /nowhere/甲.xls：") + RecordingWriter::refusal());

        RecordingWriter empty(3);
        empty.refusedSheet = 0;
        QVERIFY(!empty.finish(QStringLiteral("/nowhere/空.xls"), &error));
        QCOMPARE(error, QStringLiteral("无法生成文件 /nowhere/空.xls：") + RecordingWriter::refusal());
        RecordingWriter whole(3);
        QVERIFY(whole.finish(QStringLiteral("/nowhere/空.xls"), &error));
        QCOMPARE(whole.sheetCount(), 1);
    }

    void listsThatCannotBeExported()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        ListGrid grid;
        DataSet& list = data().qryCustom();
        list.close();
        QVERIFY(!runExport(grid, list));
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.last().kind, QStringLiteral("message"));
        QCOMPARE(dialogs.last().title, QStringLiteral("提示"));
        QCOMPARE(dialogs.last().text, QStringLiteral("数据没有显示不能导出成Excel文件!"));
        QCOMPARE(dialogs.last().icon, QMessageBox::Information);

        dialogs.clear();
        list.open(QStringLiteral("CustName = ?"), {QStringLiteral("无人")});
        LoadGridColumns(&grid, &list, kLayout);
        QVERIFY(!runExport(grid, list));
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.last().title, QStringLiteral("提示"));
        QCOMPARE(dialogs.last().text, QStringLiteral("没有数据,不能导出成Excel文件!"));
        QCOMPARE(dialogs.last().icon, QMessageBox::Information);
    }

    void fileNameRule_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("no extension") << QStringLiteral("客户信息") << QStringLiteral("客户信息.xls");
        QTest::newRow("xls") << QStringLiteral("a.xls") << QStringLiteral("a.xls");
        QTest::newRow("upper-case XLS") << QStringLiteral("a.XLS") << QStringLiteral("a.XLS.xls");
        QTest::newRow(".xls inside") << QStringLiteral("a.xls.bak") << QStringLiteral("a.xls.bak");
        QTest::newRow("xlsx") << QStringLiteral("a.xlsx") << QStringLiteral("a.xlsx");
        QTest::newRow("other extension") << QStringLiteral("a.txt") << QStringLiteral("a.txt.xls");
        QTest::newRow("blanks around") << QStringLiteral("  b c  ") << QStringLiteral("b c.xls");
        QTest::newRow("blanks around xls") << QStringLiteral(" d.xls ") << QStringLiteral("d.xls");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("only blanks") << QStringLiteral("   ") << QString();
        QTest::newRow("path, blanks around the name")
            << QStringLiteral("/tmp/导 出/  b  ") << QStringLiteral("/tmp/导 出/b.xls");
        QTest::newRow("path without a name") << QStringLiteral("/tmp/导出/  ") << QString();
    }
    void fileNameRule()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QCOMPARE(exportFileName(chosen), written);
    }

    void fileWrittenUnderTheRuleName_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("appended") << QStringLiteral("  列表 ") << QStringLiteral("列表.xls");
        QTest::newRow("kept") << QStringLiteral("列表.xls.bak") << QStringLiteral("列表.xls.bak");
    }
    void fileWrittenUnderTheRuleName()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        addThreeCustomers();
        CustomerGrid g;
        QTemporaryDir out;
        ScriptedDialogs dialogs;
        // The dialog gives a path whose name has the blanks the user typed.
        const QString typed = out.path() + QLatin1Char('/') + chosen;
        dialogs.answerFile(typed);
        dialogs.answer(QMessageBox::Cancel);
        QVERIFY(runExport(g.grid, g.list));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{written});
        QCOMPARE(freexlCells(out.filePath(written)).size(), 5);
        QCOMPARE(dialogs.last().text,
                 QStringLiteral("文件") + out.filePath(written) + QStringLiteral("已建立，是否打开文件？"));
    }

    void saveDialogAndTheOfferToOpen()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        addThreeCustomers();
        CustomerGrid g;
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("客户信息2024-03-05.xls"));
        ScriptedDialogs dialogs;

        // Cancelled: nothing written, nothing more asked.
        QVERIFY(runExport(g.grid, g.list));
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.last().kind, QStringLiteral("save"));
        QCOMPARE(dialogs.last().text, QStringLiteral("客户信息2024-03-05"));
        QVERIFY(QDir(out.path()).isEmpty());

        // OK opens the file with the desktop's program.
        dialogs.clear();
        dialogs.answerFile(file);
        dialogs.answer(QMessageBox::Ok);
        QVERIFY(runExport(g.grid, g.list));
        QCOMPARE(dialogs.shown().size(), 3);
        const auto question = dialogs.shown().at(1);
        QCOMPARE(question.kind, QStringLiteral("message"));
        QCOMPARE(question.text, QStringLiteral("文件") + file + QStringLiteral("已建立，是否打开文件？"));
        QCOMPARE(question.icon, QMessageBox::Information);
        QCOMPARE(question.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(dialogs.last().kind, QStringLiteral("open-externally"));
        QCOMPARE(dialogs.last().text, file);
        QVERIFY(QFileInfo::exists(file));

        // Cancel leaves it at the file; an existing file is replaced.
        data().T().exec(QStringLiteral("delete from T_Cust where CustName = ?"), {QStringLiteral("王五")});
        g.list.refresh();
        dialogs.clear();
        dialogs.answerFile(file);
        dialogs.answer(QMessageBox::Cancel);
        QVERIFY(runExport(g.grid, g.list));
        QCOMPARE(dialogs.shown().size(), 2);
        QCOMPARE(dialogs.last().kind, QStringLiteral("message"));
        QCOMPARE(freexlCells(file).size(), 4);
    }

    void writeFailureGoesToTheErrorBox()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        addThreeCustomers();
        CustomerGrid g;
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("没有的文件夹/客户.xls"));
        ScriptedDialogs dialogs;
        dialogs.answerFile(file);
        QVERIFY(!runExport(g.grid, g.list));
        QCOMPARE(dialogs.shown().size(), 2);
        QCOMPARE(dialogs.last().title, QStringLiteral("错误"));
        QCOMPARE(dialogs.last().icon, QMessageBox::Critical);
        QVERIFY2(dialogs.last().text.contains(QDir::toNativeSeparators(file)),
                 qPrintable(dialogs.last().text));
        QVERIFY(!QFileInfo::exists(file));
    }

    void xlsxWhenTheNameSaysSo()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        showColumns({QStringLiteral("CustName"), QStringLiteral("Price"), QStringLiteral("EmptionDate")});
        addThreeCustomers();
        CustomerGrid g;
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("客户信息.xlsx"));
        QVERIFY(exportedTo(g.grid, g.list, file));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(4), QByteArrayLiteral("PK\x03\x04"));
        SpreadsheetReader reader;
        QString error;
        QVERIFY2(reader.open(file, &error), qPrintable(error));
        QCOMPARE(reader.rows(),
                 (QList<QStringList>{
                     {QStringLiteral("客户名称"), QStringLiteral("单价"), QStringLiteral("购买日期")},
                     {QStringLiteral("张三"), QStringLiteral("2999.5"), QStringLiteral("2024-03-05")},
                     {QStringLiteral("O'Brien 李"), QStringLiteral("100"), QString()},
                     {QStringLiteral("王五"), QStringLiteral("88.8"), QStringLiteral("2023-12-31")},
                     {QStringLiteral("3"), QString(), QString()},
                 }));
    }

    void moreRowsThanAnXlsSheetHolds()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        showColumns({QStringLiteral("CustName"), QStringLiteral("Number")});
        constexpr int kRecords = 65536;
        // One statement: row by row, every insert would copy the pages the earlier ones changed.
        Query(data().conn())
            .exec(
                QStringLiteral("with recursive n(i) as (select 0 union all select i + 1 from n where i < ?) "
                               "insert into T_Cust (CustName, Number) select '客户' || i, i from n"),
                {kRecords - 1});
        CustomerGrid g;
        QCOMPARE(g.list.recordCount(), kRecords);
        g.list.setCurrentRow(30000);
        QScrollBar* scroll = g.grid.view()->verticalScrollBar();
        const int scrolled = scroll->value();
        QVERIFY(scrolled > 0);
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("大.xls"));
        QVERIFY(exportedTo(g.grid, g.list, file));
        // The list shows the same record, scrolled as before.
        QCOMPARE(g.list.currentRow(), 30000);
        QCOMPARE(scroll->value(), scrolled);

        // A sheet holds the titles and 65,535 records; the rest goes on in a second sheet.
        FreexlBook book(file);
        QCOMPARE(book.openResult(), FREEXL_OK);
        QCOMPARE(book.info(FREEXL_BIFF_SHEET_COUNT), 2u);
        QCOMPARE(book.sheetName(0), QStringLiteral("Sheet1"));
        QCOMPARE(book.sheetName(1), QStringLiteral("Sheet2"));
        unsigned int rows = 0;
        unsigned short columns = 0;
        QVERIFY(book.dimensions(&rows, &columns));
        QCOMPARE(rows, 65536u);
        QCOMPARE(describe(book.cell(0, 0)), QStringLiteral("text:客户名称"));
        QCOMPARE(describe(book.cell(1, 0)), QStringLiteral("text:客户0"));
        QCOMPARE(describe(book.cell(65535, 0)), QStringLiteral("text:客户65534"));
        QCOMPARE(describe(book.cell(65535, 1)), QStringLiteral("int:65534"));
        QVERIFY(book.selectSheet(1));
        QVERIFY(book.sheetDimensions(&rows, &columns));
        QCOMPARE(rows, 3u);
        QCOMPARE(describe(book.cell(0, 1)), QStringLiteral("text:数量"));
        QCOMPARE(describe(book.cell(1, 0)), QStringLiteral("text:客户65535"));
        QCOMPARE(describe(book.cell(1, 1)), QStringLiteral("int:65535"));
        QCOMPARE(describe(book.cell(2, 0)), QStringLiteral("int:65536"));
        QCOMPARE(describe(book.cell(2, 1)), QStringLiteral("null"));

        // A spreadsheet program sees the second sheet too.
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP("LibreOffice (soffice) is not installed here: the second sheet is checked by FreeXL only");
        QString why;
        const QList<QStringList> second =
            libreOfficeCells(soffice, file, QStringLiteral("MS Excel 97"), out.path(), &why, 2);
        QVERIFY2(!second.isEmpty(), qPrintable(why));
        QCOMPARE(second, (QList<QStringList>{{QStringLiteral("客户名称"), QStringLiteral("数量")},
                                             {QStringLiteral("客户65535"), QStringLiteral("65535")},
                                             {QStringLiteral("65536"), QString()}}));
    }

    void rowBeingEditedExportsItsBuffer()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        showColumns({QStringLiteral("CustName"), QStringLiteral("Number")});
        constexpr int kRecords = 1234; // several batches of the reader
        {
            TransactionGuard tx(data().conn());
            QSqlQuery q(data().conn().database());
            q.prepare(QStringLiteral("insert into T_Cust (CustName, Number) values (?, ?)"));
            for (int i = 0; i < kRecords; ++i) {
                q.bindValue(0, QStringLiteral("客户%1").arg(i));
                q.bindValue(1, i);
                QVERIFY(q.exec());
            }
            tx.commit();
        }
        CustomerGrid g;
        g.list.setCurrentRow(700);
        g.list.edit();
        g.list.setField(QStringLiteral("CustName"), QStringLiteral("正在修改"));
        g.list.setField(QStringLiteral("Number"), 9999);
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("编辑中.xls"));
        QVERIFY(exportedTo(g.grid, g.list, file));
        QCOMPARE(g.list.state(), DataSet::State::Edit); // the edit goes on
        const QList<QStringList> cells = freexlCells(file);
        QCOMPARE(cells.size(), kRecords + 2);
        QCOMPARE(cells[700], (QStringList{QStringLiteral("text:客户699"), QStringLiteral("int:699")}));
        QCOMPARE(cells[701], (QStringList{QStringLiteral("text:正在修改"), QStringLiteral("int:9999")}));
        QCOMPARE(cells[702], (QStringList{QStringLiteral("text:客户701"), QStringLiteral("int:701")}));
        // Every record in the list's order, across the reader's batches.
        for (int i = 0; i < kRecords; ++i)
            if (i != 700)
                QCOMPARE(cells[i + 1][0], QStringLiteral("text:客户%1").arg(i));
        g.list.cancel();
    }

    // Dates an older file or another program stored as text in some other form are exported as
    // the grid shows them, not as stored; only the embedded database's own form is taken as it is.
    void storedDateTextsInOtherForms()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        showColumns({QStringLiteral("IDCode"), QStringLiteral("EmptionDate")});
        const QList<std::pair<QString, QString>> stored{
            {QStringLiteral("2024-03-05 10:20:30"), QStringLiteral("text:2024-03-05 10:20:30")},
            {QStringLiteral("2024-03-05 00:00:00"), QStringLiteral("text:2024-03-05")},
            {QStringLiteral("2024/03-05 10:20:30"), QStringLiteral("text:2024-03-05 10:20:30")},
            {QStringLiteral("2024-03/05 10:20:30"), QStringLiteral("text:2024-03-05 10:20:30")},
            {QStringLiteral("2024-03-05T10:20:30"), QStringLiteral("text:2024-03-05 10:20:30")},
            {QStringLiteral("2024-03-05T00:00:00"), QStringLiteral("text:2024-03-05")},
            {QStringLiteral("2024-03-05x10:20:30"), QStringLiteral("null")},
            {QStringLiteral("2024-03-05 10-20:30"), QStringLiteral("null")},
            {QStringLiteral("2024-03-05 10:20-30"), QStringLiteral("null")},
            {QStringLiteral("2024-03-05 10:2x:30"), QStringLiteral("null")},
            {QStringLiteral("2024-3-05 10:20:30"), QStringLiteral("text:2024-03-05 10:20:30")},
            {QStringLiteral("2024-03-05 10:20"), QStringLiteral("text:2024-03-05 10:20:00")},
            {QStringLiteral("2024-03-05 10:20:30.250"), QStringLiteral("text:2024-03-05 10:20:30")},
            {QStringLiteral("2024-03-05 10:20:30 下午"), QStringLiteral("text:2024-03-05 10:20:30")},
            {QStringLiteral("2024-03-05 00:00:00 下午"), QStringLiteral("text:2024-03-05")},
            {QStringLiteral("2024-13-05 10:20"), QStringLiteral("null")},
            {QStringLiteral("2024-02-30 10:20:30"), QStringLiteral("null")},
            {QStringLiteral("2024-03-05 24:20:30"), QStringLiteral("null")},
        };
        QSqlQuery q(data().conn().database());
        q.prepare(QStringLiteral("insert into T_Cust (IDCode, EmptionDate) values (?, ?)"));
        for (int i = 0; i < stored.size(); ++i) {
            q.bindValue(0, QStringLiteral("K%1").arg(i, 2, 10, QLatin1Char('0')));
            q.bindValue(1, stored[i].first);
            QVERIFY(q.exec());
        }
        CustomerGrid g;
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("日期.xls"));
        QVERIFY(exportedTo(g.grid, g.list, file));
        const QList<QStringList> cells = freexlCells(file);
        QCOMPARE(cells.size(), stored.size() + 1); // the titles, no sums
        for (int i = 0; i < stored.size(); ++i) {
            QCOMPARE(cells[i + 1][0], QStringLiteral("text:K%1").arg(i, 2, 10, QLatin1Char('0')));
            QCOMPARE(cells[i + 1][1], stored[i].second);
            QCOMPARE(shownTexts(cells)[i + 1][1], g.grid.cellText(i, 1));
        }
    }

    // A second spreadsheet program reads an exported file, in each format the export writes, as
    // the program's own reader does: the same cells, with the texts the grid shows (and for .xls
    // the same as FreeXL).
    void libreOfficeReadsTheExport_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("filter");
        QTest::newRow("xls") << QStringLiteral("客户.xls") << QStringLiteral("MS Excel 97");
        QTest::newRow("xlsx") << QStringLiteral("客户.xlsx") << QStringLiteral("Calc MS Excel 2007 XML");
    }
    void libreOfficeReadsTheExport()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, filter);
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty())
            QSKIP(
                "LibreOffice (soffice) is not installed here: the check against a second reader is skipped");
        const bool xlsx = fileName.endsWith(QLatin1String(".xlsx"));
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        showColumns({QStringLiteral("CustName"), QStringLiteral("IDCode"), QStringLiteral("Number"),
                     QStringLiteral("Price"), QStringLiteral("EmptionDate"), QStringLiteral("remind"),
                     QStringLiteral("Remark")});
        addThreeCustomers();
        CustomerGrid g;
        QTemporaryDir out;
        const QString file = out.filePath(fileName);
        QVERIFY(exportedTo(g.grid, g.list, file));

        SpreadsheetReader reader;
        QString why;
        QVERIFY2(reader.open(file, &why), qPrintable(why));
        const QList<QStringList> expected{
            {QStringLiteral("客户名称"), QStringLiteral("客户编码"), QStringLiteral("数量"),
             QStringLiteral("单价"), QStringLiteral("购买日期"), QStringLiteral("用户提醒"),
             QStringLiteral("备注")},
            {QStringLiteral("张三"), QStringLiteral("0101"), QStringLiteral("3"), QStringLiteral("2999.5"),
             QStringLiteral("2024-03-05"), QStringLiteral("2026-12-01 08:30:00"),
             QStringLiteral("空调不制冷；已上门")},
            {QStringLiteral("O'Brien 李"), QStringLiteral("A-2"), QStringLiteral("1"), QStringLiteral("100"),
             QString(), QString(), QString()},
            {QStringLiteral("王五"), QString(), QString(), QStringLiteral("88.8"),
             QStringLiteral("2023-12-31"), QString(), QString()},
            {QStringLiteral("3"), QString(), QString(), QString(), QString(), QString(), QString()},
        };
        QCOMPARE(reader.rowCount(), 5);
        QCOMPARE(reader.text(0, 0), QStringLiteral("客户名称"));
        QCOMPARE(reader.text(1, 0), QStringLiteral("张三"));
        QCOMPARE(reader.rows(), expected);
        if (!xlsx) {
            const QList<QStringList> freexl = shownTexts(freexlCells(file));
            QCOMPARE(freexl.size(), 5);
            QCOMPARE(freexl, expected);
        }
        const QList<QStringList> seen = libreOfficeCells(soffice, file, filter, out.path(), &why);
        QVERIFY2(!seen.isEmpty(), qPrintable(why));
        QCOMPARE(seen, reader.rows());
    }

    // A text longer than a cell holds is cut with a mark; the export goes on and says so once.
    void overlongTextIsCutAndToldOnce_data() { zu::test::addEngineRows(); }
    void overlongTextIsCutAndToldOnce()
    {
        ZU_TEST_DATABASE(db);
        showColumns({QStringLiteral("CustName"), QStringLiteral("Remark")});
        addCustomer({QStringLiteral("甲"), QStringLiteral("1"), 1, 1.0, QVariant(), QVariant(),
                     QString(40000, QChar(0x5907))});
        addCustomer({QStringLiteral("乙"), QStringLiteral("2"), 1, 1.0, QVariant(), QVariant(),
                     QString(32767, QLatin1Char('x'))});
        addCustomer({QStringLiteral("丙"), QStringLiteral("3"), 1, 1.0, QVariant(), QVariant(),
                     QString(32768, QLatin1Char('y'))});
        CustomerGrid g;
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("长文字.xls"));
        ScriptedDialogs dialogs;
        dialogs.answerFile(file);
        dialogs.answer(QMessageBox::Cancel);
        QVERIFY(runExport(g.grid, g.list));
        QCOMPARE(dialogs.messages().size(), 2);
        QCOMPARE(dialogs.messages().first(),
                 QStringLiteral("有 2 个单元格的文字超过了一个单元格能容纳的 32767 "
                                "个字符，已截断，截断处以“…（已截断）”结尾。"));
        QVERIFY(dialogs.messages().last().startsWith(QStringLiteral("文件")));
        SpreadsheetReader reader;
        QString error;
        QVERIFY2(reader.open(file, &error), qPrintable(error));
        const QString mark = QStringLiteral("…（已截断）");
        QCOMPARE(reader.text(1, 1), QString(32767 - mark.size(), QChar(0x5907)) + mark);
        QCOMPARE(reader.text(2, 1), QString(32767, QLatin1Char('x')));
        QCOMPARE(reader.text(3, 1), QString(32767 - mark.size(), QLatin1Char('y')) + mark);
        QCOMPARE(reader.text(4, 0), QStringLiteral("3")); // the footer follows

        // Nothing cut, nothing said.
        data().T().exec(QStringLiteral("update T_Cust set Remark = ?"), {QStringLiteral("短")});
        g.list.refresh();
        dialogs.clear();
        dialogs.answerFile(file);
        dialogs.answer(QMessageBox::Cancel);
        QVERIFY(runExport(g.grid, g.list));
        QCOMPARE(dialogs.messages().size(), 1);
    }

    // The rows come from the list's own condition and order, as the grid shows them.
    void listConditionAndOrder_data() { zu::test::addEngineRows(); }
    void listConditionAndOrder()
    {
        ZU_TEST_DATABASE(db);
        showColumns({QStringLiteral("CustName"), QStringLiteral("IDCode")});
        for (const auto& [name, code] :
             {std::pair{"丁", "B2"}, std::pair{"甲", "A9"}, std::pair{"乙", "B1"}, std::pair{"丙", "B3"}})
            addCustomer({QString::fromUtf8(name), QString::fromUtf8(code), 1, 1.0, QVariant(), QVariant(),
                         QVariant()});
        ListGrid grid;
        DataSet& list = data().qryCustom();
        list.open(QStringLiteral("IDCode like ?"), {QStringLiteral("B%")}, QStringLiteral("IDCode desc"));
        LoadGridColumns(&grid, &list, kLayout);
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("B.xls"));
        QVERIFY(exportedTo(grid, list, file));
        SpreadsheetReader reader;
        QString error;
        QVERIFY2(reader.open(file, &error), qPrintable(error));
        QCOMPARE(reader.rows(), (QList<QStringList>{{QStringLiteral("客户名称"), QStringLiteral("客户编码")},
                                                    {QStringLiteral("丙"), QStringLiteral("B3")},
                                                    {QStringLiteral("丁"), QStringLiteral("B2")},
                                                    {QStringLiteral("乙"), QStringLiteral("B1")},
                                                    {QStringLiteral("3"), QString()}}));
    }
};

QTEST_MAIN(TestGridExport)
#include "tst_gridexport.moc"
