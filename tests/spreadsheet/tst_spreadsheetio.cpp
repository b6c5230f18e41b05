#include "spreadsheet/csvparser.h"
#include "spreadsheet/numberformat.h"
#include "spreadsheet/spreadsheetreader.h"
#include "spreadsheet/spreadsheetwriter.h"
#include "spreadsheet/zippackage.h"
#include "storedzip.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <xlsxwriter.h>

#include <unistd.h>

using namespace zu;

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A small workbook with the cell kinds the export writes, for both formats.
void fillSample(SpreadsheetWriter& writer)
{
    writer.setSheetName(QStringLiteral("维修记录"));
    writer.writeBoldText(0, 0, QStringLiteral("编号"));
    writer.writeBoldText(0, 1, QStringLiteral("客户"));
    writer.writeBoldText(0, 2, QStringLiteral("金额"));
    writer.writeBoldText(0, 3, QStringLiteral("次数"));
    writer.writeBoldText(0, 4, QStringLiteral("备注"));
    writer.writeText(1, 0, QStringLiteral("0012"));
    writer.writeText(1, 1, QStringLiteral("O'Neil 王"));
    writer.writeNumber(1, 2, 99.9);
    writer.writeNumber(1, 3, 42);
    writer.writeText(1, 4, QStringLiteral("第一行\n第二行"));
    writer.writeText(2, 0, QStringLiteral("0013"));
    writer.writeNumber(2, 2, -1234.5);
    writer.writeNumber(2, 3, 13812345678.0);
    writer.writeNumber(3, 2, 1234.5678);
    writer.writeNumber(3, 3, -7);
    writer.setColumnWidthPixels(1, 120);
}

const QList<QStringList> kSampleRows = {
    {QStringLiteral("编号"), QStringLiteral("客户"), QStringLiteral("金额"), QStringLiteral("次数"),
     QStringLiteral("备注")},
    {QStringLiteral("0012"), QStringLiteral("O'Neil 王"), QStringLiteral("99.9"), QStringLiteral("42"),
     QStringLiteral("第一行\n第二行")},
    {QStringLiteral("0013"), QString(), QStringLiteral("-1234.5"), QStringLiteral("13812345678"), QString()},
    {QString(), QString(), QStringLiteral("1234.5678"), QStringLiteral("-7"), QString()},
};

} // namespace

class TestSpreadsheetIo final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void numberTextIsShortest_data();
    void numberTextIsShortest();
    void dateFormats_data();
    void dateFormats();
    void dateSerials();

    void readsXlsAsDisplayed();
    void xlsKeepsEveryDigit();
    void xlsTextOverTwoRecords();
    void xlsxRoundTrip();
    void xlsxLimits();
    void xlsxDatesAndFormulas();
    void xlsxSameTextInManyCells();
    void xlsxInlineStrings_data();
    void xlsxInlineStrings();

    void csvSeparatorFromTheFirstFiftyLines_data();
    void csvSeparatorFromTheFirstFiftyLines();
    void csvEdgeCases_data();
    void csvEdgeCases();
    void csvErrors_data();
    void csvErrors();
    void csvFileThroughReader();

    void zipPartUnpacksWholeOrNotAtAll_data();
    void zipPartUnpacksWholeOrNotAtAll();
    void unreadableFiles_data();
    void unreadableFiles();
    void failedOpenLeavesNoRows();
    void unreadablePermissions();
};

void TestSpreadsheetIo::numberTextIsShortest_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 42.0 << QStringLiteral("42");
    QTest::newRow("negative whole") << -7.0 << QStringLiteral("-7");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    QTest::newRow("decimal") << 99.9 << QStringLiteral("99.9");
    QTest::newRow("sum with rounding error") << 0.1 + 0.2 << QStringLiteral("0.30000000000000004");
    QTest::newRow("phone number") << 13812345678.0 << QStringLiteral("13812345678");
    QTest::newRow("largest plain") << 999999999999999.0 << QStringLiteral("999999999999999");
    QTest::newRow("huge") << 1e20 << QStringLiteral("1e+20");
    QTest::newRow("small") << 0.000125 << QStringLiteral("0.000125");
    QTest::newRow("negative decimal") << -0.5 << QStringLiteral("-0.5");
}

void TestSpreadsheetIo::numberTextIsShortest()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(numberText(value), text);
    QCOMPARE(numberText(value).toDouble(), value);
}

void TestSpreadsheetIo::dateFormats_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("kind");
    QTest::newRow("general") << 0 << QString() << int(DateKind::None);
    QTest::newRow("two decimals") << 2 << QString() << int(DateKind::None);
    QTest::newRow("built-in date") << 14 << QString() << int(DateKind::Date);
    QTest::newRow("built-in time") << 20 << QString() << int(DateKind::Time);
    QTest::newRow("built-in date and time") << 22 << QString() << int(DateKind::DateTime);
    // Each range of the built-in formats, at both ends and just outside.
    const QList<std::pair<int, DateKind>> builtIn{
        {13, DateKind::None}, {14, DateKind::Date}, {17, DateKind::Date}, {18, DateKind::Time},
        {21, DateKind::Time}, {23, DateKind::None}, {26, DateKind::None}, {27, DateKind::Date},
        {31, DateKind::Date}, {32, DateKind::Time}, {33, DateKind::Time}, {34, DateKind::Date},
        {36, DateKind::Date}, {37, DateKind::None}, {44, DateKind::None}, {45, DateKind::Time},
        {47, DateKind::Time}, {48, DateKind::None}, {50, DateKind::Date}, {58, DateKind::Date},
        {59, DateKind::None}};
    for (const auto& [id, kind] : builtIn)
        QTest::newRow(qPrintable(QStringLiteral("built-in %1").arg(id))) << id << QString() << int(kind);
    QTest::newRow("chinese built-in date") << 31 << QString() << int(DateKind::Date);
    QTest::newRow("custom iso date") << 164 << QStringLiteral("yyyy-mm-dd") << int(DateKind::Date);
    QTest::newRow("custom chinese date")
        << 165 << QStringLiteral("yyyy\"年\"m\"月\"d\"日\"") << int(DateKind::Date);
    QTest::newRow("custom date time") << 166 << QStringLiteral("yyyy/m/d h:mm") << int(DateKind::DateTime);
    QTest::newRow("custom time") << 167 << QStringLiteral("hh:mm:ss") << int(DateKind::Time);
    QTest::newRow("elapsed hours") << 168 << QStringLiteral("[h]:mm") << int(DateKind::Time);
    QTest::newRow("colour is no date") << 169 << QStringLiteral("[Red]0.00") << int(DateKind::None);
    QTest::newRow("quoted letters") << 170 << QStringLiteral("0\" days\"") << int(DateKind::None);
    QTest::newRow("escaped letter") << 171 << QStringLiteral("0\\d") << int(DateKind::None);
    QTest::newRow("currency") << 172 << QStringLiteral("\"¥\"#,##0.00;[Red]-\"¥\"#,##0.00")
                              << int(DateKind::None);
    QTest::newRow("text") << 49 << QStringLiteral("@") << int(DateKind::None);
}

void TestSpreadsheetIo::dateFormats()
{
    QFETCH(int, id);
    QFETCH(QString, code);
    QFETCH(int, kind);
    QCOMPARE(int(dateKindOf(id, code)), kind);
}

void TestSpreadsheetIo::dateSerials()
{
    const QDate origin(1899, 12, 30);
    // 45356 is the serial Excel shows for 5 March 2024.
    QCOMPARE(dateTimeText(45356, origin, DateKind::Date), QStringLiteral("2024-03-05"));
    QCOMPARE(dateTimeText(45356.75, origin, DateKind::DateTime), QStringLiteral("2024-03-05 18:00:00"));
    QCOMPARE(dateTimeText(0.354166666666667, origin, DateKind::Time), QStringLiteral("08:30:00"));
    QCOMPARE(dateTimeText(45356.99999999, origin, DateKind::DateTime), QStringLiteral("2024-03-06 00:00:00"));
    QCOMPARE(dateTimeText(0, QDate(1904, 1, 1), DateKind::Date), QStringLiteral("1904-01-01"));
}

void TestSpreadsheetIo::readsXlsAsDisplayed()
{
    XlsWriter writer;
    fillSample(writer);
    const QString file = path(QStringLiteral("sample.xls"));
    QString error;
    QVERIFY2(writer.save(file, &error), qPrintable(error));

    SpreadsheetReader reader;
    QVERIFY2(reader.open(file, &error), qPrintable(error));
    QCOMPARE(reader.sheetName(), QStringLiteral("维修记录"));
    QCOMPARE(reader.rowCount(), kSampleRows.size());
    QCOMPARE(reader.columnCount(), 5);
    QCOMPARE(reader.rows(), kSampleRows);
    QCOMPARE(reader.text(1, 2), QStringLiteral("99.9"));
    QCOMPARE(reader.text(4, 0), QString());
    QCOMPARE(reader.text(0, 5), QString());
    QCOMPARE(reader.text(-1, 0), QString());
}

void TestSpreadsheetIo::xlsKeepsEveryDigit()
{
    XlsWriter writer;
    QVERIFY(writer.writeNumber(0, 0, 0.1 + 0.2));
    QVERIFY(writer.writeNumber(0, 1, 1.0 / 3));
    const QString file = path(QStringLiteral("digits.xls"));
    QString error;
    QVERIFY(writer.save(file, &error));
    SpreadsheetReader reader;
    QVERIFY2(reader.open(file, &error), qPrintable(error));
    QCOMPARE(reader.text(0, 0), QStringLiteral("0.30000000000000004"));
    QCOMPARE(reader.text(0, 1).toDouble(), 1.0 / 3);
}

void TestSpreadsheetIo::xlsTextOverTwoRecords()
{
    // Strings over more than two records (which FreeXL misreads) and the strings after them.
    XlsWriter writer;
    QVERIFY(writer.writeText(0, 0, QStringLiteral("前")));
    QVERIFY(writer.writeText(1, 0, QString(9000, QChar(0x5BA2))));
    QVERIFY(writer.writeText(2, 0, QStringLiteral("后")));
    const QString file = path(QStringLiteral("longtext.xls"));
    QString error;
    QVERIFY(writer.save(file, &error));
    SpreadsheetReader reader;
    QVERIFY2(reader.open(file, &error), qPrintable(error));
    QCOMPARE(reader.text(1, 0), QString(9000, QChar(0x5BA2)));
    QCOMPARE(reader.text(2, 0), QStringLiteral("后"));
}

void TestSpreadsheetIo::xlsxRoundTrip()
{
    const QString file = path(QStringLiteral("sample.xlsx"));
    auto writer = SpreadsheetWriter::forFileName(file);
    QVERIFY(dynamic_cast<XlsxWriter*>(writer.get()));
    fillSample(*writer);
    QString error;
    QVERIFY2(writer->save(file, &error), qPrintable(error));
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.read(4), QByteArray("PK\x03\x04"));
    saved.close();

    SpreadsheetReader reader;
    QVERIFY2(reader.open(file, &error), qPrintable(error));
    QCOMPARE(reader.sheetName(), QStringLiteral("维修记录"));
    QCOMPARE(reader.rows(), kSampleRows);
}

void TestSpreadsheetIo::xlsxLimits()
{
    XlsxWriter writer;
    QVERIFY(writer.writeText(70000, 300, QStringLiteral("超过 .xls 的范围")));
    QVERIFY(!writer.writeText(1048576, 0, QStringLiteral("太多行")));
    QVERIFY2(writer.error().contains(QStringLiteral("1048576")), qPrintable(writer.error()));
    QVERIFY(!writer.writeText(0, 16384, QStringLiteral("太多列")));
    const QString file = path(QStringLiteral("limits.xlsx"));
    QString error;
    QVERIFY(!writer.save(file, &error));
    QVERIFY(error.contains(QStringLiteral("1048576")));
    QVERIFY(!QFile::exists(file));

    XlsxWriter wide;
    QVERIFY(wide.writeText(70000, 300, QStringLiteral("远处")));
    QVERIFY2(wide.save(file, &error), qPrintable(error));
    SpreadsheetReader reader;
    QVERIFY2(reader.open(file, &error), qPrintable(error));
    QCOMPARE(reader.rowCount(), 70001);
    QCOMPARE(reader.columnCount(), 301);
    QCOMPARE(reader.text(70000, 300), QStringLiteral("远处"));
}

void TestSpreadsheetIo::xlsxDatesAndFormulas()
{
    // A workbook as another program writes it: dates with formats, a formula with its result.
    const QString file = path(QStringLiteral("dates.xlsx"));
    lxw_workbook* book = workbook_new(QFile::encodeName(file).constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, "数据");
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format* builtInDate = workbook_add_format(book);
    format_set_num_format_index(builtInDate, 14);
    lxw_format* stamp = workbook_add_format(book);
    format_set_num_format(stamp, "yyyy/m/d hh:mm");
    lxw_format* money = workbook_add_format(book);
    format_set_num_format(money, "0.00");
    lxw_datetime when = {2024, 3, 5, 18, 30, 0};
    worksheet_write_datetime(sheet, 0, 0, &when, date);
    worksheet_write_datetime(sheet, 0, 1, &when, builtInDate);
    worksheet_write_datetime(sheet, 0, 2, &when, stamp);
    worksheet_write_number(sheet, 0, 3, 12.5, money);
    worksheet_write_formula_num(sheet, 0, 4, "=D1*2", nullptr, 25);
    worksheet_write_formula_str(sheet, 0, 5, "=\"客\"&\"户\"", nullptr, "客户");
    worksheet_write_boolean(sheet, 0, 6, 1, nullptr);
    QCOMPARE(workbook_close(book), LXW_NO_ERROR);

    SpreadsheetReader reader;
    QString error;
    QVERIFY2(reader.open(file, &error), qPrintable(error));
    QCOMPARE(reader.sheetName(), QStringLiteral("数据"));
    QCOMPARE(reader.text(0, 0), QStringLiteral("2024-03-05"));
    QCOMPARE(reader.text(0, 1), QStringLiteral("2024-03-05"));
    QCOMPARE(reader.text(0, 2), QStringLiteral("2024-03-05 18:30:00"));
    // The display format "0.00" shows two decimals; the stored number stays at hand.
    QCOMPARE(reader.text(0, 3), QStringLiteral("12.50"));
    QCOMPARE(reader.formattedNumber(0, 3), std::optional<double>(12.5));
    QCOMPARE(reader.formattedNumber(0, 4), std::nullopt);
    QCOMPARE(reader.text(0, 4), QStringLiteral("25"));
    QCOMPARE(reader.text(0, 5), QStringLiteral("客户"));
    QCOMPARE(reader.text(0, 6), QStringLiteral("TRUE"));
}

void TestSpreadsheetIo::xlsxSameTextInManyCells()
{
    XlsxWriter writer;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            QVERIFY(writer.writeText(r, c,
                                     c == 1 ? QStringLiteral("家用电器") : QStringLiteral("第%1行").arg(r)));
    QVERIFY(writer.writeText(1, 1, QStringLiteral("商用")));
    QVERIFY(writer.writeText(2, 2, QString()));
    const QString file = path(QStringLiteral("repeated.xlsx"));
    QString error;
    QVERIFY2(writer.save(file, &error), qPrintable(error));
    SpreadsheetReader reader;
    QVERIFY2(reader.open(file, &error), qPrintable(error));
    QCOMPARE(reader.rows(),
             (QList<QStringList>{
                 {QStringLiteral("第0行"), QStringLiteral("家用电器"), QStringLiteral("第0行")},
                 {QStringLiteral("第1行"), QStringLiteral("商用"), QStringLiteral("第1行")},
                 {QStringLiteral("第2行"), QStringLiteral("家用电器"), QString()},
             }));
}

void TestSpreadsheetIo::xlsxInlineStrings_data()
{
    QTest::addColumn<zu::test::ZipForm>("form");
    QTest::newRow("zip") << zu::test::ZipForm::Plain;
    QTest::newRow("zip64") << zu::test::ZipForm::Zip64;
}

void TestSpreadsheetIo::xlsxInlineStrings()
{
    QFETCH(zu::test::ZipForm, form);
    // A workbook as other programs write it: its first sheet is not sheet1.xml, and it mixes
    // shared strings with inline ones, rich text with a phonetic guide, and cells without a
    // reference; in a zip with or without zip64's records.
    const QByteArray main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const QByteArray rels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    const QByteArray types =
        head +
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/xl/workbook.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
        "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
        "<Override PartName=\"/xl/worksheets/sheet2.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
        "<Override PartName=\"/xl/sharedStrings.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
        "</Types>";
    const QByteArray packageRels =
        head +
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"" +
        rels +
        "/officeDocument\" Target=\"xl/workbook.xml\"/>"
        "</Relationships>";
    const QByteArray workbook = head + "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rels +
                                "\"><sheets>"
                                "<sheet name=\"客户\" sheetId=\"2\" r:id=\"rId2\"/>"
                                "<sheet name=\"其他\" sheetId=\"1\" r:id=\"rId1\"/>"
                                "</sheets></workbook>";
    const QByteArray workbookRels =
        head +
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"" +
        rels +
        "/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"" +
        rels +
        "/worksheet\" Target=\"worksheets/sheet2.xml\"/>"
        "<Relationship Id=\"rId3\" Type=\"" +
        rels +
        "/sharedStrings\" Target=\"sharedStrings.xml\"/>"
        "</Relationships>";
    const QByteArray shared =
        head + "<sst xmlns=\"" + main + "\" count=\"1\" uniqueCount=\"1\"><si><t>共享</t></si></sst>";
    const QByteArray first =
        head + "<worksheet xmlns=\"" + main +
        "\"><sheetData>"
        "<row r=\"1\">"
        "<c r=\"A1\" t=\"inlineStr\"><is><t xml:space=\"preserve\">  客户 &lt;甲&gt; &amp; 乙  </t></is></c>"
        "<c r=\"B1\" t=\"s\"><v>0</v></c>"
        "<c r=\"C1\"><v>12.5</v></c>"
        "<c r=\"D1\" t=\"inlineStr\"><is><r><t>上海</t></r><r><rPr><b/></rPr><t xml:space=\"preserve\"> "
        "徐汇</t></r>"
        "<rPh sb=\"0\" eb=\"2\"><t>シャンハイ</t></rPh></is></c>"
        "</row>"
        "<row r=\"3\"><c t=\"inlineStr\"><is><t>第三行</t></is></c><c><v>5</v></c>"
        "<c t=\"inlineStr\"><is><t>末列</t></is></c></row>"
        "</sheetData></worksheet>";
    const QByteArray other =
        head + "<worksheet xmlns=\"" + main +
        "\"><sheetData><row r=\"5\">"
        "<c r=\"E5\" t=\"inlineStr\"><is><t>别的表</t></is></c></row></sheetData></worksheet>";
    const QString file = path(QStringLiteral("inline.xlsx"));
    QVERIFY(writeFile(file, zu::test::storedZip({{QStringLiteral("[Content_Types].xml"), types},
                                                 {QStringLiteral("_rels/.rels"), packageRels},
                                                 {QStringLiteral("xl/workbook.xml"), workbook},
                                                 {QStringLiteral("xl/_rels/workbook.xml.rels"), workbookRels},
                                                 {QStringLiteral("xl/sharedStrings.xml"), shared},
                                                 {QStringLiteral("xl/worksheets/sheet1.xml"), other},
                                                 {QStringLiteral("xl/worksheets/sheet2.xml"), first}},
                                                form)));
    SpreadsheetReader reader;
    QString error;
    QVERIFY2(reader.open(file, &error), qPrintable(error));
    QCOMPARE(reader.sheetName(), QStringLiteral("客户"));
    QCOMPARE(reader.rows(),
             (QList<QStringList>{
                 {QStringLiteral("  客户 <甲> & 乙  "), QStringLiteral("共享"), QStringLiteral("12.5"),
                  QStringLiteral("上海 徐汇")},
                 {QString(), QString(), QString(), QString()},
                 {QStringLiteral("第三行"), QStringLiteral("5"), QStringLiteral("末列"), QString()},
             }));
}

void TestSpreadsheetIo::csvEdgeCases_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::newRow("plain") << QByteArray("a,b\r\nc,d\r\n") << QList<QStringList>{{"a", "b"}, {"c", "d"}};
    QTest::newRow("no final newline") << QByteArray("a,b\nc,d") << QList<QStringList>{{"a", "b"}, {"c", "d"}};
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF客户,电话\n张三,0138\n")
                                     << QList<QStringList>{{QStringLiteral("客户"), QStringLiteral("电话")},
                                                           {QStringLiteral("张三"), QStringLiteral("0138")}};
    QTest::newRow("quoted comma and quote")
        << QByteArray("\"a,b\",\"say \"\"hi\"\"\"\n") << QList<QStringList>{{"a,b", "say \"hi\""}};
    QTest::newRow("embedded newlines") << QByteArray("\"line1\r\nline2\",x\n\"a\nb\",y\n")
                                       << QList<QStringList>{{"line1\r\nline2", "x"}, {"a\nb", "y"}};
    QTest::newRow("empty trailing cells")
        << QByteArray("a,,\n,,\nb\n") << QList<QStringList>{{"a", "", ""}, {"", "", ""}, {"b"}};
    QTest::newRow("empty quoted field") << QByteArray("\"\",x\n") << QList<QStringList>{{"", "x"}};
    QTest::newRow("empty quoted field ends the file")
        << QByteArray("a\n\"\"") << QList<QStringList>{{"a"}, {""}};
    QTest::newRow("apostrophes and spaces")
        << QByteArray(" O'Neil , 'x' \n") << QList<QStringList>{{" O'Neil ", " 'x' "}};
    QTest::newRow("quote inside unquoted field")
        << QByteArray("5\" pipe,b\n") << QList<QStringList>{{"5\" pipe", "b"}};
    QTest::newRow("empty line inside") << QByteArray("a\n\nb\n") << QList<QStringList>{{"a"}, {""}, {"b"}};
    QTest::newRow("empty file") << QByteArray() << QList<QStringList>{};
    QTest::newRow("only byte order mark") << QByteArray("\xEF\xBB\xBF") << QList<QStringList>{};
    QTest::newRow("GBK, as Excel in China saves CSV")
        << QByteArray("\xBF\xCD\xBB\xA7,\xB5\xE7\xBB\xB0\n\xD5\xC5\xC8\xFD,0138\n")
        << QList<QStringList>{{QStringLiteral("客户"), QStringLiteral("电话")},
                              {QStringLiteral("张三"), QStringLiteral("0138")}};
    QTest::newRow("UTF-16 little-endian") << QByteArray("\xFF\xFE"
                                                        "a\0,\0\x20\x5F\n\0",
                                                        10)
                                          << QList<QStringList>{{QStringLiteral("a"), QStringLiteral("张")}};
    QTest::newRow("UTF-16 big-endian") << QByteArray("\xFE\xFF\0a\0;\x5F\x20\0\n", 10)
                                       << QList<QStringList>{{QStringLiteral("a"), QStringLiteral("张")}};
    QTest::newRow("semicolons")
        << QByteArray("客户;电话;金额\n张三;0138;1,5\n")
        << QList<QStringList>{{QStringLiteral("客户"), QStringLiteral("电话"), QStringLiteral("金额")},
                              {QStringLiteral("张三"), QStringLiteral("0138"), QStringLiteral("1,5")}};
    QTest::newRow("tabs") << QByteArray("客户\t备注\n张三\ta, b; c\n")
                          << QList<QStringList>{{QStringLiteral("客户"), QStringLiteral("备注")},
                                                {QStringLiteral("张三"), QStringLiteral("a, b; c")}};
    QTest::newRow("commas, semicolons inside texts")
        << QByteArray("名称,备注\n甲,a;b\n乙,\"c;d\"\n")
        << QList<QStringList>{{QStringLiteral("名称"), QStringLiteral("备注")},
                              {QStringLiteral("甲"), QStringLiteral("a;b")},
                              {QStringLiteral("乙"), QStringLiteral("c;d")}};
    QTest::newRow("the separator of every line wins")
        << QByteArray("名称;备注;x,y\n甲;a,b\n乙;c,d\n")
        << QList<QStringList>{{QStringLiteral("名称;备注;x"), QStringLiteral("y")},
                              {QStringLiteral("甲;a"), QStringLiteral("b")},
                              {QStringLiteral("乙;c"), QStringLiteral("d")}};
    QTest::newRow("one column, no final newline")
        << QByteArray("名称\n甲") << QList<QStringList>{{QStringLiteral("名称")}, {QStringLiteral("甲")}};
    QTest::newRow("last line ends in a separator, no final newline")
        << QByteArray("a,b\nc,") << QList<QStringList>{{"a", "b"}, {"c", ""}};
    QTest::newRow("carriage returns only, one at the very end")
        << QByteArray("a,b\rc,d\r") << QList<QStringList>{{"a", "b"}, {"c", "d"}};
    QTest::newRow("CR LF, the last at the very end")
        << QByteArray("a,b\r\nc,d\r\n") << QList<QStringList>{{"a", "b"}, {"c", "d"}};
    QTest::newRow("one column") << QByteArray("名称\n甲\n")
                                << QList<QStringList>{{QStringLiteral("名称")}, {QStringLiteral("甲")}};
}

void TestSpreadsheetIo::csvEdgeCases()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QStringList>, rows);
    QList<QStringList> parsed;
    QString reason;
    QVERIFY2(parseCsv(bytes, &parsed, &reason), qPrintable(reason));
    QCOMPARE(parsed, rows);
}

void TestSpreadsheetIo::csvSeparatorFromTheFirstFiftyLines_data()
{
    // Semicolons and commas tie over the first 49 lines; the line that breaks the tie is the
    // 50th, which counts, or the 51st, which does not (the comma then wins the tie).
    QTest::addColumn<QString>("line50");
    QTest::addColumn<QString>("line51");
    QTest::addColumn<QChar>("separator");
    QTest::newRow("50th line decides") << QStringLiteral("x;y") << QStringLiteral("x") << QChar(u';');
    QTest::newRow("51st line is not read") << QStringLiteral("x") << QStringLiteral("x;y") << QChar(u',');
}

void TestSpreadsheetIo::csvSeparatorFromTheFirstFiftyLines()
{
    QFETCH(QString, line50);
    QFETCH(QString, line51);
    QFETCH(QChar, separator);
    QStringList lines{QStringLiteral("a;b,c")};
    for (int i = 2; i <= 25; ++i)
        lines << QStringLiteral("x;y");
    for (int i = 26; i <= 49; ++i)
        lines << QStringLiteral("x,y");
    lines << line50 << line51 << QStringLiteral("end");
    QCOMPARE(csvSeparator(lines.join(u'\n') + u'\n'), separator);
}

void TestSpreadsheetIo::csvErrors_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reasonPart");
    QTest::newRow("unclosed quote") << QByteArray("a,b\nc,\"open\nmore\n") << QStringLiteral("第 2 行");
    QTest::newRow("binary data") << QByteArray("a,b\0c\n", 6) << QStringLiteral("二进制");
    QTest::newRow("UTF-16 cut short") << QByteArray("\xFF\xFE"
                                                    "a\0\x3D",
                                                    5)
                                      << QStringLiteral("UTF-16");
    // 0xFF begins no character of GB18030, nor of UTF-8.
    QTest::newRow("neither UTF-8 nor GB18030")
        << QByteArray("a,b\nc,\xFF\n") << QStringLiteral("编码无法识别");
}

void TestSpreadsheetIo::csvErrors()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reasonPart);
    QList<QStringList> parsed;
    QString reason;
    QVERIFY(!parseCsv(bytes, &parsed, &reason));
    QVERIFY2(reason.contains(reasonPart), qPrintable(reason));
}

void TestSpreadsheetIo::csvFileThroughReader()
{
    const QString file = path(QStringLiteral("客户.csv"));
    QVERIFY(writeFile(file, QByteArray("\xEF\xBB\xBF编号,名称,备注\r\n1,\"王, 五\",\r\n2,李四\r\n")));
    SpreadsheetReader reader;
    QString error;
    QVERIFY2(reader.open(file, &error), qPrintable(error));
    QCOMPARE(reader.sheetName(), QStringLiteral("客户"));
    QCOMPARE(reader.rowCount(), 3);
    QCOMPARE(reader.columnCount(), 3);
    QCOMPARE(reader.rows().at(2), (QStringList{QStringLiteral("2"), QStringLiteral("李四"), QString()}));
    QCOMPARE(reader.text(1, 1), QStringLiteral("王, 五"));
    // Its only sheet is the first.
    QVERIFY2(reader.open(file, &error, 0), qPrintable(error));
    QVERIFY(!reader.open(file, &error, 1));
    QVERIFY2(error.contains(QStringLiteral("第 2 个工作表")), qPrintable(error));
}

void TestSpreadsheetIo::zipPartUnpacksWholeOrNotAtAll_data()
{
    QTest::addColumn<QByteArray>("packed");
    QTest::addColumn<int>("method");
    QTest::addColumn<quint32>("crc");
    QTest::addColumn<quint32>("size");
    QTest::addColumn<QByteArray>("content");
    QByteArray content;
    for (int i = 0; i < 400; ++i)
        content +=
            QStringLiteral("<row r=\"%1\"><c t=\"s\"><v>%2</v></c></row>").arg(i + 1).arg(i % 7).toUtf8();
    const QByteArray deflated = zu::test::rawDeflate(content);
    const quint32 crc = zu::test::zipCrc(content);
    const auto size = static_cast<quint32>(content.size());
    // What is not unpacked whole is not unpacked at all: an empty content.
    QTest::newRow("deflated") << deflated << 8 << crc << size << content;
    QTest::newRow("stored") << content << 0 << crc << size << content;
    QTest::newRow("deflated, its end cut off") << deflated.chopped(6) << 8 << crc << size << QByteArray();
    QTest::newRow("stored, its last byte cut off") << content.chopped(1) << 0 << crc << size << QByteArray();
    QTest::newRow("a byte more than the entry says") << deflated << 8 << crc << size - 1 << QByteArray();
    QTest::newRow("a byte less than the entry says") << deflated << 8 << crc << size + 1 << QByteArray();
    QTest::newRow("another checksum") << deflated << 8 << (crc ^ 1) << size << QByteArray();
    QTest::newRow("packed in another way") << deflated << 12 << crc << size << QByteArray();
}

// A part of a workbook is taken only as its directory entry describes it: all of it or none.
void TestSpreadsheetIo::zipPartUnpacksWholeOrNotAtAll()
{
    QFETCH(QByteArray, packed);
    QFETCH(int, method);
    QFETCH(quint32, crc);
    QFETCH(quint32, size);
    QFETCH(QByteArray, content);
    const QString name = QStringLiteral("xl/worksheets/sheet1.xml");
    const QString file = path(QStringLiteral("part.zip"));
    QVERIFY(writeFile(file, zu::test::packedZip({{.name = name,
                                                  .packed = packed,
                                                  .method = static_cast<quint16>(method),
                                                  .crc = crc,
                                                  .size = size}})));
    ZipPackage zip(file);
    QCOMPARE(zip.open(), ZipDirectory::Read);
    QByteArray bytes;
    QCOMPARE(zip.read(name, &bytes), !content.isEmpty());
    if (!content.isEmpty())
        QCOMPARE(bytes, content);
}

void TestSpreadsheetIo::unreadableFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reasonPart");
    QByteArray truncated;
    {
        XlsWriter writer;
        fillSample(writer);
        truncated = writer.toBytes().left(1536);
    }
    QByteArray noWorkbook = QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(600, '\0');
    QTest::newRow("missing") << QStringLiteral("没有.xls") << QByteArray() << QString();
    QTest::newRow("empty") << QStringLiteral("empty.xls") << QByteArray("") << QStringLiteral("空");
    QTest::newRow("html named xls") << QStringLiteral("page.xls")
                                    << QByteArray("<html><table><tr><td>1</td></tr></table></html>")
                                    << QStringLiteral("电子表格");
    QTest::newRow("truncated xls") << QStringLiteral("cut.xls") << truncated << QString();
    QTest::newRow("broken compound file") << QStringLiteral("broken.xls") << noWorkbook << QString();
    QTest::newRow("broken zip") << QStringLiteral("broken.xlsx") << QByteArray("PK\x03\x04garbage")
                                << QString();
    QTest::newRow("csv with an open quote")
        << QStringLiteral("open.csv") << QByteArray("a,\"b\n") << QStringLiteral("引号");
}

void TestSpreadsheetIo::unreadableFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reasonPart);
    const QString file = path(name);
    if (!bytes.isNull())
        QVERIFY(writeFile(file, bytes));
    SpreadsheetReader reader;
    QString error;
    QVERIFY(!reader.open(file, &error));
    QVERIFY2(error.contains(file), qPrintable(error));
    const QString reason = error.section(QStringLiteral("："), 1).trimmed();
    QVERIFY2(!reason.isEmpty(), qPrintable(error));
    if (!reasonPart.isEmpty())
        QVERIFY2(reason.contains(reasonPart), qPrintable(error));
    QCOMPARE(reader.rowCount(), 0);
    QCOMPARE(reader.columnCount(), 0);
}

void TestSpreadsheetIo::failedOpenLeavesNoRows()
{
    XlsWriter writer;
    fillSample(writer);
    const QString good = path(QStringLiteral("good.xls"));
    QString error;
    QVERIFY(writer.save(good, &error));
    SpreadsheetReader reader;
    QVERIFY(reader.open(good, &error));
    QCOMPARE(reader.rowCount(), kSampleRows.size());
    QVERIFY(!reader.open(path(QStringLiteral("gone.xls")), &error));
    QCOMPARE(reader.rowCount(), 0);
    QCOMPARE(reader.text(0, 0), QString());
    QVERIFY(!reader.open(m_dir.path(), &error));
    QVERIFY2(error.contains(QStringLiteral("文件夹")), qPrintable(error));
}

void TestSpreadsheetIo::unreadablePermissions()
{
    if (geteuid() == 0)
        QSKIP("root may read any file");
    XlsWriter writer;
    fillSample(writer);
    const QString file = path(QStringLiteral("locked.xls"));
    QString error;
    QVERIFY(writer.save(file, &error));
    QVERIFY(QFile::setPermissions(file, QFileDevice::Permissions()));
    SpreadsheetReader reader;
    QVERIFY(!reader.open(file, &error));
    QVERIFY2(error.contains(file), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestSpreadsheetIo)
#include "tst_spreadsheetio.moc"
