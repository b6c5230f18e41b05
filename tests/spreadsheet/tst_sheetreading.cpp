#include "spreadsheet/compoundfile.h"
#include "spreadsheet/numberformat.h"
#include "spreadsheet/sheetreaderprocess.h"
#include "spreadsheet/sheetstream.h"
#include "spreadsheet/spreadsheetreader.h"
#include "spreadsheet/spreadsheetwriter.h"
#include "spreadsheet/workbookfile.h"
#include "storedzip.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cstring>
#include <optional>

using namespace zu;

namespace {

QByteArray u16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray u32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray f64(double v)
{
    quint64 bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    QByteArray b(8, '\0');
    qToLittleEndian(bits, b.data());
    return b;
}

QByteArray utf16(const QString& text)
{
    QByteArray b(text.size() * 2, '\0');
    qToLittleEndian<quint16>(text.utf16(), text.size(), b.data());
    return b;
}

// BIFF8 strings: with a one- or two-byte count, a flags byte, then UTF-16.
QByteArray shortString(const QString& text)
{
    return QByteArray(1, static_cast<char>(text.size())) + '\x01' + utf16(text);
}

QByteArray longString(const QString& text)
{
    return u16(static_cast<quint16>(text.size())) + '\x01' + utf16(text);
}

QByteArray cell(int row, int column, int xf)
{
    return u16(static_cast<quint16>(row)) + u16(static_cast<quint16>(column)) + u16(static_cast<quint16>(xf));
}

// A workbook stream put together record by record, as other programs write them.
class BiffBook final
{
public:
    explicit BiffBook(quint16 version = 0x0600) : m_version(version)
    {
        record(0x0809, u16(version) + u16(0x0005) + QByteArray(12, '\0'));
    }
    void record(quint16 type, const QByteArray& body)
    {
        m_stream += u16(type) + u16(static_cast<quint16>(body.size())) + body;
    }
    // An XF whose number format is `format`.
    void xf(int format) { record(0x00E0, u16(0) + u16(static_cast<quint16>(format)) + QByteArray(16, '\0')); }
    void format(int id, const QString& code)
    {
        record(0x041E, u16(static_cast<quint16>(id)) + longString(code));
    }
    // kind: 0 worksheet, 2 chart; visibility: 0 visible, 1 hidden.
    void boundSheet(const QString& name, int kind = 0, int visibility = 0, const QByteArray& encodedName = {})
    {
        m_offsetFields.append(m_stream.size() + 4);
        record(0x0085, u32(0) + char(visibility) + char(kind) +
                           (encodedName.isNull() ? shortString(name) : encodedName));
    }
    void endGlobals() { record(0x000A, {}); }
    void raw(const QByteArray& records) { m_stream += records; }
    // Starts the next sheet: its BOF goes where the next BOUNDSHEET says.
    void startSheet()
    {
        qToLittleEndian(static_cast<quint32>(m_stream.size()),
                        m_stream.data() + m_offsetFields.at(m_sheets++));
        record(0x0809, u16(m_version) + u16(0x0010) + QByteArray(12, '\0'));
    }
    void endSheet() { record(0x000A, {}); }
    QByteArray stream() const { return m_stream; }
    QByteArray file(const QString& streamName = QStringLiteral("Workbook")) const
    {
        return buildCompoundFile(streamName, m_stream);
    }

private:
    quint16 m_version;
    QByteArray m_stream;
    QList<qsizetype> m_offsetFields;
    int m_sheets = 0;
};

// A compound file of 4096-byte sectors, as some writers make: one stream, in sectors of its own
// when it is 4096 bytes or more, else in the root's mini stream, whose size the root entry gives
// as `rootSize` when one is named.
QByteArray largeSectorFile(const QByteArray& stream, std::optional<quint64> rootSize = std::nullopt)
{
    constexpr int kSector = 4096;
    constexpr quint32 kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF;
    const bool mini = stream.size() < kSector;
    const int unit = mini ? 64 : kSector;
    QByteArray data = stream;
    data.append(QByteArray((unit - data.size() % unit) % unit, '\0'));
    const auto dataSectors = static_cast<quint32>((data.size() + kSector - 1) / kSector);
    data.append(QByteArray((kSector - data.size() % kSector) % kSector, '\0'));
    const quint32 directory = dataSectors, fat = dataSectors + 1, miniFat = dataSectors + 2;

    QByteArray file(kSector, '\0');
    char* h = file.data();
    std::memcpy(h, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    qToLittleEndian<quint16>(0x3E, h + 0x18);
    qToLittleEndian<quint16>(4, h + 0x1A);
    qToLittleEndian<quint16>(0xFFFE, h + 0x1C);
    qToLittleEndian<quint16>(12, h + 0x1E);
    qToLittleEndian<quint16>(6, h + 0x20);
    qToLittleEndian<quint32>(1, h + 0x28);
    qToLittleEndian<quint32>(1, h + 0x2C);
    qToLittleEndian<quint32>(directory, h + 0x30);
    qToLittleEndian<quint32>(kSector, h + 0x38);
    qToLittleEndian<quint32>(mini ? miniFat : kEnd, h + 0x3C);
    qToLittleEndian<quint32>(mini ? 1 : 0, h + 0x40);
    qToLittleEndian<quint32>(kEnd, h + 0x44);
    for (int i = 0; i < 109; ++i)
        qToLittleEndian<quint32>(i == 0 ? fat : kFree, h + 0x4C + 4 * i);
    file += data;

    QByteArray entries(kSector, '\0');
    auto entry = [&entries](int index, const QString& name, quint8 type, quint32 child, quint32 start,
                            quint64 size) {
        char* e = entries.data() + 128 * index;
        const QByteArray utf16 = QByteArray(reinterpret_cast<const char*>(name.utf16()), name.size() * 2);
        std::memcpy(e, utf16.constData(), static_cast<size_t>(utf16.size()));
        qToLittleEndian<quint16>(static_cast<quint16>(utf16.size() + 2), e + 64);
        e[66] = static_cast<char>(type);
        qToLittleEndian<quint32>(kFree, e + 68);
        qToLittleEndian<quint32>(kFree, e + 72);
        qToLittleEndian<quint32>(child, e + 76);
        qToLittleEndian<quint32>(start, e + 116);
        qToLittleEndian<quint64>(size, e + 120);
    };
    entry(0, QStringLiteral("Root Entry"), 5, 1, mini ? 0 : kEnd,
          mini ? rootSize.value_or(static_cast<quint64>(stream.size() + 63) / 64 * 64) : 0);
    entry(1, QStringLiteral("Workbook"), 2, kFree, 0, static_cast<quint64>(stream.size()));
    file += entries;

    QByteArray table(kSector, '\xFF');
    for (quint32 i = 0; i < dataSectors; ++i)
        qToLittleEndian<quint32>(i + 1 < dataSectors ? i + 1 : kEnd, table.data() + 4 * i);
    qToLittleEndian<quint32>(kEnd, table.data() + 4 * directory);
    qToLittleEndian<quint32>(0xFFFFFFFD, table.data() + 4 * fat);
    if (mini)
        qToLittleEndian<quint32>(kEnd, table.data() + 4 * miniFat);
    file += table;
    if (mini) {
        QByteArray miniTable(kSector, '\xFF');
        const int miniSectors = static_cast<int>((stream.size() + 63) / 64);
        for (int i = 0; i < miniSectors; ++i)
            qToLittleEndian<quint32>(i + 1 < miniSectors ? i + 1 : kEnd, miniTable.data() + 4 * i);
        file += miniTable;
    }
    return file;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The lines a reader writes for a file, read back.
bool streamOf(const QString& path, int sheet, SheetData* data, QString* error)
{
    std::unique_ptr<WorkbookFile> book = WorkbookFile::open(path, error);
    if (!book)
        return false;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    if (!writeSheetStream(*book, sheet, &out, error))
        return false;
    return data->parse(out.data(), error);
}

QStringList texts(const SheetRecord& record)
{
    QStringList out;
    for (const CellValue& cell : record.cells)
        out << cell.text;
    return out;
}

} // namespace

class TestSheetReading final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void numberFormats_data();
    void numberFormats();

    void xlsCellKindsAndFormulaResults();
    void datesOnlyWithinTheCalendar();
    void xlsRecordsAndTheirFaults_data();
    void xlsRecordsAndTheirFaults();
    void xlsxCellsAndTheirFaults_data();
    void xlsxCellsAndTheirFaults();
    void xlsActiveHiddenAndChartSheets();
    void xlsOlderVersions();
    void xlsDamagedStructures_data();
    void xlsDamagedStructures();
    void xlsDatesFrom1904();
    void xlsSmallWorkbookInTheMiniStream();
    void xlsWithLargeSectors();

    void streamKeepsWhatTheSheetShows();
    void streamSkipsBlankRowsButNotTheTitles();
    void continuationSheetsAreOneList();
    void titlesAreTheFirstRowOnly();
    void streamReadsEveryRowNumber();
    void xlsxWithNegativeZip64ValuesIsRefused();
    void xlsxWithIncompleteZip64RecordIsRefused();
    void xlsxRowOfCellsWithoutReferences();
    void xlsxWorkbookBrokenAfterItsFirstSheetIsRefused();
    void xlsxWithoutWorkbookOrSheetsIsRefused();
    void xlsxCutWithinItsEndRecordIsRefused();
    void onlyTheSheetsThereAreRead_data();
    void onlyTheSheetsThereAreRead();
    void xlsxWithImpossibleSizesIsRefused_data();
    void xlsxWithImpossibleSizesIsRefused();
    void xlsxPartsUnpackToAGigabyteAtMost();
    void xlsxPartsThatDoNotUnpackAsListed_data();
    void xlsxPartsThatDoNotUnpackAsListed();
    void streamRefusesIncompleteLines_data();
    void streamRefusesIncompleteLines();

    void readerProcessReadsTheFile();
    void readerProcessFailuresBecomeErrors_data();
    void readerProcessFailuresBecomeErrors();
    void readerProcessMemoryIsLimited();
    void readerProgramMissing();
};

void TestSheetReading::numberFormats_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("shown");
    QTest::newRow("general") << 3.5 << QStringLiteral("General") << QStringLiteral("3.5");
    QTest::newRow("no code") << 13812345678.0 << QString() << QStringLiteral("13812345678");
    QTest::newRow("leading zeros") << 5718800123.0 << QStringLiteral("00000000000")
                                   << QStringLiteral("05718800123");
    QTest::newRow("more digits than zeros") << 123456.0 << QStringLiteral("0000") << QStringLiteral("123456");
    QTest::newRow("two decimals") << 12.5 << QStringLiteral("0.00") << QStringLiteral("12.50");
    QTest::newRow("rounded") << 2.345 << QStringLiteral("0.0") << QStringLiteral("2.3");
    QTest::newRow("thousands") << 1234567.5 << QStringLiteral("#,##0.00") << QStringLiteral("1,234,567.50");
    QTest::newRow("thousands, small") << 12.0 << QStringLiteral("#,##0") << QStringLiteral("12");
    QTest::newRow("negative, first section")
        << -1234.0 << QStringLiteral("#,##0") << QStringLiteral("-1,234");
    QTest::newRow("negative section")
        << -1234.0 << QStringLiteral("#,##0;(#,##0)") << QStringLiteral("(1,234)");
    QTest::newRow("zero section") << 0.0 << QStringLiteral("0;-0;\"无\"") << QStringLiteral("无");
    QTest::newRow("percent") << 0.125 << QStringLiteral("0.0%") << QStringLiteral("12.5%");
    QTest::newRow("whole percent") << 0.125 << QStringLiteral("0%") << QStringLiteral("13%");
    QTest::newRow("currency and colour")
        << -5.0 << QStringLiteral("\"¥\"#,##0.00;[Red]-\"¥\"#,##0.00") << QStringLiteral("-¥5.00");
    QTest::newRow("locale currency") << 8.0 << QStringLiteral("[$¥-804]0.00") << QStringLiteral("¥8.00");
    QTest::newRow("phone pattern") << 1234567.0 << QStringLiteral("000-0000") << QStringLiteral("123-4567");
    QTest::newRow("quoted unit") << 3.0 << QStringLiteral("0\" 台\"") << QStringLiteral("3 台");
    QTest::newRow("escaped unit") << 3.0 << QStringLiteral("0\\件") << QStringLiteral("3件");
    QTest::newRow("padding") << 12.5 << QStringLiteral("0.00_);(0.00)") << QStringLiteral("12.50");
    QTest::newRow("optional decimals") << 1.5 << QStringLiteral("0.##") << QStringLiteral("1.5");
    // A whole number: every optional place drops its zero, down to the first after the point.
    QTest::newRow("optional decimals, whole") << 3.0 << QStringLiteral("0.##") << QStringLiteral("3.");
    QTest::newRow("aligned decimals, whole") << 3.0 << QStringLiteral("0.??") << QStringLiteral("3.  ");
    QTest::newRow("aligned decimals") << 3.5 << QStringLiteral("0.??") << QStringLiteral("3.5 ");
    QTest::newRow("hash for zero") << 0.0 << QStringLiteral("#") << QString();
    QTest::newRow("scientific") << 12345.0 << QStringLiteral("0.00E+00") << QStringLiteral("1.23E+04");
    QTest::newRow("scientific carries")
        << 99999.0 << QStringLiteral("0.00E+00") << QStringLiteral("1.00E+05");
    QTest::newRow("small scientific") << 0.00012 << QStringLiteral("0.0E+00") << QStringLiteral("1.2E-04");
    QTest::newRow("scientific, small e")
        << 12345.0 << QStringLiteral("0.00e+00") << QStringLiteral("1.23E+04");
    QTest::newRow("scientific, sign only below one")
        << 12345.0 << QStringLiteral("0.0E-00") << QStringLiteral("1.2E04");
    QTest::newRow("scientific, small, sign only below one")
        << 0.00012 << QStringLiteral("0.0E-00") << QStringLiteral("1.2E-04");
    QTest::newRow("semicolon in quotes") << -3.0 << QStringLiteral("0\"件;个\"") << QStringLiteral("-3件;个");
    QTest::newRow("semicolon in brackets")
        << 8.0 << QStringLiteral("[$;-804]0.00") << QStringLiteral(";8.00");
    QTest::newRow("backslash at the end") << 5.0 << QStringLiteral("0\\") << QStringLiteral("5");
    QTest::newRow("text section only") << 7.0 << QStringLiteral("@") << QStringLiteral("7");
    QTest::newRow("negative that rounds to zero")
        << -0.004 << QStringLiteral("0.00") << QStringLiteral("0.00");
    QTest::newRow("negative that rounds to one cent")
        << -0.005 << QStringLiteral("0.00") << QStringLiteral("-0.01");
    QTest::newRow("fraction, not understood") << 0.5 << QStringLiteral("# ?/?") << QStringLiteral("0.5");
    QTest::newRow("condition, not understood")
        << 150.0 << QStringLiteral("[>100]0;0.00") << QStringLiteral("150");
    QTest::newRow("thousands scale") << 1234567.0 << QStringLiteral("#,##0,") << QStringLiteral("1,235");
}

void TestSheetReading::numberFormats()
{
    QFETCH(double, value);
    QFETCH(QString, code);
    QFETCH(QString, shown);
    QCOMPARE(formatCellNumber(value, code), shown);
}

void TestSheetReading::xlsCellKindsAndFormulaResults()
{
    BiffBook book;
    book.format(164, QStringLiteral("00000000000"));
    book.format(165, QStringLiteral("yyyy\"年\"m\"月\"d\"日\""));
    book.xf(0);   // 0: General
    book.xf(164); // 1: leading zeros
    book.xf(14);  // 2: built-in date
    book.xf(165); // 3: Chinese date
    book.xf(2);   // 4: built-in "0.00"
    book.boundSheet(QStringLiteral("客户"));
    book.record(0x00FC, u32(1) + u32(1) + longString(QStringLiteral("共享")));
    book.endGlobals();
    book.startSheet();
    book.record(0x0204, cell(0, 0, 0) + longString(QStringLiteral("文字")));
    book.record(0x027E, cell(0, 1, 0) + u32((2u << 2) | 0x02));    // the integer 2
    book.record(0x027E, cell(0, 2, 0) + u32((1234u << 2) | 0x03)); // 1234 / 100
    book.record(0x0203, cell(0, 3, 0) + f64(2999.5));
    book.record(0x0006, cell(1, 0, 0) + f64(25) + QByteArray(6, '\0'));
    book.record(0x0006,
                cell(1, 1, 0) + QByteArray("\x00\x00\x00\x00\x00\x00\xFF\xFF", 8) + QByteArray(6, '\0'));
    book.record(0x04BC, QByteArray(10, '\0')); // a shared formula between the formula and its text
    // The text of the result goes on in a CONTINUE record, with a flags byte of its own.
    book.record(0x0207, u16(6) + '\x01' + utf16(QStringLiteral("北京")));
    book.record(0x003C, QByteArray(1, '\0') + QByteArray("city"));
    book.record(0x0006,
                cell(1, 2, 0) + QByteArray("\x01\x00\x01\x00\x00\x00\xFF\xFF", 8) + QByteArray(6, '\0'));
    book.record(0x0006,
                cell(1, 3, 0) + QByteArray("\x02\x00\x07\x00\x00\x00\xFF\xFF", 8) + QByteArray(6, '\0'));
    book.record(0x0006,
                cell(1, 4, 0) + QByteArray("\x03\x00\x00\x00\x00\x00\xFF\xFF", 8) + QByteArray(6, '\0'));
    book.record(0x00BD, cell(2, 0, 0).left(4) + u16(0) + u32((1u << 2) | 2) + u16(0) + u32((2u << 2) | 2) +
                            u16(4) + u32((350u << 2) | 3) + u16(2));
    book.record(0x0205, cell(2, 3, 0) + '\x00' + '\x00');
    book.record(0x0205, cell(2, 4, 0) + '\x2A' + '\x01');
    book.record(0x00FD, cell(3, 0, 0) + u32(0));
    book.record(0x0203, cell(4, 0, 1) + f64(5718800123.0));
    book.record(0x0203, cell(4, 1, 2) + f64(45356));
    book.record(0x027E, cell(4, 2, 3) + u32((45356u << 2) | 0x02));
    book.record(0x0006, cell(4, 3, 4) + f64(12.5) + QByteArray(6, '\0'));
    book.record(0x0201, cell(6, 0, 1)); // a formatted empty cell
    book.endSheet();
    const QString file = path(QStringLiteral("kinds.xls"));
    QVERIFY(writeFile(file, book.file()));

    SpreadsheetReader reader;
    QString error;
    QVERIFY2(reader.open(file, &error), qPrintable(error));
    QCOMPARE(reader.sheetName(), QStringLiteral("客户"));
    QCOMPARE(reader.rows().mid(0, 5),
             (QList<QStringList>{
                 {QStringLiteral("文字"), QStringLiteral("2"), QStringLiteral("12.34"),
                  QStringLiteral("2999.5"), QString()},
                 {QStringLiteral("25"), QStringLiteral("北京city"), QStringLiteral("TRUE"),
                  QStringLiteral("#DIV/0!"), QString()},
                 {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3.50"), QStringLiteral("FALSE"),
                  QStringLiteral("#N/A")},
                 {QStringLiteral("共享"), QString(), QString(), QString(), QString()},
                 {QStringLiteral("05718800123"), QStringLiteral("2024-03-05"), QStringLiteral("2024-03-05"),
                  QStringLiteral("12.50"), QString()},
             }));
    QCOMPARE(reader.formattedNumber(4, 0), std::optional<double>(5718800123.0));
    QCOMPARE(reader.formattedNumber(4, 3), std::optional<double>(12.5));
    QCOMPARE(reader.formattedNumber(0, 3), std::nullopt);
    QCOMPARE(reader.formattedNumber(4, 1), std::nullopt); // dates are shown as dates, not numbers
    QVERIFY(reader.rowCount() <= 7);
}

void TestSheetReading::xlsActiveHiddenAndChartSheets()
{
    // WINDOW1 names the active tab in its bytes 10 and 11.
    const auto bookWithWindow = [](const QByteArray& window) {
        BiffBook book;
        book.xf(0);
        book.record(0x003D, window);
        book.boundSheet(QStringLiteral("图表"), 2);
        book.boundSheet(QStringLiteral("数据一"));
        book.boundSheet(QStringLiteral("隐藏"), 0, 1);
        book.boundSheet(QStringLiteral("数据二"));
        book.endGlobals();
        book.startSheet();
        book.endSheet();
        for (const QString& text : {QStringLiteral("一"), QStringLiteral("藏"), QStringLiteral("二")}) {
            book.startSheet();
            book.record(0x0204, cell(0, 0, 0) + longString(text));
            book.endSheet();
        }
        return book.file();
    };
    const QString file = path(QStringLiteral("sheets.xls"));
    SpreadsheetReader reader;
    QString error;
    // A record just long enough names tab 3; one byte shorter names none: the first worksheet.
    QVERIFY(writeFile(file, bookWithWindow(QByteArray(10, '\0') + u16(3))));
    QVERIFY2(reader.open(file, &error), qPrintable(error));
    QCOMPARE(reader.sheetIndex(), 2);
    QVERIFY(writeFile(file, bookWithWindow(QByteArray(10, '\0') + '\x03')));
    QVERIFY2(reader.open(file, &error), qPrintable(error));
    QCOMPARE(reader.sheetIndex(), 0);

    QVERIFY(writeFile(file, bookWithWindow(QByteArray(10, '\0') + u16(3) + QByteArray(6, '\0'))));
    QVERIFY2(reader.open(file, &error), qPrintable(error));
    QCOMPARE(reader.sheets().size(), 3);
    QCOMPARE(reader.sheets()[0].name, QStringLiteral("数据一"));
    QVERIFY(!reader.sheets()[0].hidden);
    QVERIFY(reader.sheets()[1].hidden);
    QCOMPARE(reader.sheetIndex(), 2);
    QCOMPARE(reader.text(0, 0), QStringLiteral("二"));
    QVERIFY2(reader.open(file, &error, 0), qPrintable(error));
    QCOMPARE(reader.text(0, 0), QStringLiteral("一"));
    QVERIFY(!reader.open(file, &error, 3));
    QVERIFY2(error.contains(QStringLiteral("第 4 个工作表")), qPrintable(error));
}

void TestSheetReading::xlsOlderVersions()
{
    // Excel 5.0/95: texts in the workbook's code page, a "Book" stream.
    BiffBook biff5(0x0500);
    biff5.record(0x0042, u16(936));
    biff5.xf(0);
    QStringEncoder gbk("GB18030");
    const QByteArray name = gbk.encode(QStringLiteral("客户"));
    biff5.boundSheet(QString(), 0, 0, QByteArray(1, static_cast<char>(name.size())) + name);
    biff5.endGlobals();
    biff5.startSheet();
    const QByteArray text = gbk.encode(QStringLiteral("张三"));
    biff5.record(0x0204, cell(0, 0, 0) + u16(static_cast<quint16>(text.size())) + text);
    biff5.record(0x027E, cell(0, 1, 0) + u32((7u << 2) | 2));
    biff5.endSheet();
    const QString file = path(QStringLiteral("excel95.xls"));
    QVERIFY(writeFile(file, biff5.file(QStringLiteral("Book"))));
    SpreadsheetReader reader;
    QString error;
    QVERIFY2(reader.open(file, &error), qPrintable(error));
    QCOMPARE(reader.sheetName(), QStringLiteral("客户"));
    QCOMPARE(reader.rows().first(), (QStringList{QStringLiteral("张三"), QStringLiteral("7")}));

    // Excel 4.0 and before are refused with advice.
    QByteArray biff4 = u16(0x0409) + u16(6) + u16(0) + u16(0x0010) + u16(0);
    const QString old = path(QStringLiteral("excel4.xls"));
    QVERIFY(writeFile(old, buildCompoundFile(QStringLiteral("Workbook"), biff4)));
    QVERIFY(!reader.open(old, &error));
    QVERIFY2(error.contains(QStringLiteral("Excel 4.0")) && error.contains(QStringLiteral("另存为")),
             qPrintable(error));
}

void TestSheetReading::xlsDamagedStructures_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("reasonPart");
    auto sheetWith = [](const QByteArray& sst, const QList<QPair<quint16, QByteArray>>& cells) {
        BiffBook book;
        book.xf(0);
        book.boundSheet(QStringLiteral("表"));
        if (!sst.isEmpty())
            book.record(0x00FC, sst);
        book.endGlobals();
        book.startSheet();
        for (const auto& [type, body] : cells)
            book.record(type, body);
        book.endSheet();
        return book.stream();
    };
    {
        BiffBook book;
        book.record(0x002F, QByteArray(4, '\0'));
        book.boundSheet(QStringLiteral("表"));
        book.endGlobals();
        QTest::newRow("password") << book.stream() << QStringLiteral("密码");
    }
    QTest::newRow("text number beyond the table")
        << sheetWith(u32(1) + u32(1) + longString(QStringLiteral("a")), {{0x00FD, cell(0, 0, 0) + u32(5)}})
        << QStringLiteral("共享字符串表");
    QTest::newRow("text number just past the table")
        << sheetWith(u32(1) + u32(1) + longString(QStringLiteral("a")), {{0x00FD, cell(0, 0, 0) + u32(1)}})
        << QStringLiteral("共享字符串表");
    QTest::newRow("table shorter than it says")
        << sheetWith(u32(9) + u32(9) + longString(QStringLiteral("a")), {}) << QStringLiteral("共享字符串表");
    QTest::newRow("text cut short") << sheetWith({}, {{0x0204, cell(0, 0, 0) + u16(50) + '\x01' +
                                                                   utf16(QStringLiteral("短"))}})
                                    << QStringLiteral("不完整");
    QTest::newRow("half a character at the end")
        << sheetWith({}, {{0x0204, cell(0, 0, 0) + u16(2) + '\x01' + utf16(QStringLiteral("短")) + '\x00'}})
        << QStringLiteral("不完整");
    QByteArray cut = sheetWith({}, {{0x0204, cell(0, 0, 0) + longString(QStringLiteral("完整"))}});
    cut.chop(6);
    QTest::newRow("records cut off") << cut << QStringLiteral("截断");
    BiffBook wrongPlace;
    wrongPlace.boundSheet(QStringLiteral("表"));
    wrongPlace.endGlobals();
    QTest::newRow("sheet where there is none") << wrongPlace.stream() << QStringLiteral("位置");
    // The sheet's place holds a cell whose bytes read like a worksheet's BOF after its type.
    BiffBook atACell;
    atACell.boundSheet(QStringLiteral("表"));
    atACell.endGlobals();
    QByteArray cellFirst = atACell.stream();
    qToLittleEndian(static_cast<quint32>(cellFirst.size()), cellFirst.data() + 20 + 4);
    cellFirst += u16(0x0204) + u16(6 + 3 + 2) + cell(0, 0x0010, 0) + longString(QStringLiteral("x"));
    cellFirst += u16(0x000A) + u16(0);
    QTest::newRow("sheet at a cell") << cellFirst << QStringLiteral("位置");
    QTest::newRow("no end of globals") << BiffBook().stream() << QStringLiteral("结束");
}

void TestSheetReading::xlsDamagedStructures()
{
    QFETCH(QByteArray, stream);
    QFETCH(QString, reasonPart);
    const QString file = path(QStringLiteral("damaged.xls"));
    QVERIFY(writeFile(file, buildCompoundFile(QStringLiteral("Workbook"), stream)));
    SpreadsheetReader reader;
    QString error;
    QVERIFY(!reader.open(file, &error));
    QVERIFY2(error.startsWith(QStringLiteral("无法读取文件 ")) && error.contains(reasonPart),
             qPrintable(error));
    QCOMPARE(reader.rowCount(), 0);
}

void TestSheetReading::xlsDatesFrom1904()
{
    BiffBook book;
    book.record(0x0022, u16(1));
    book.xf(14);
    book.boundSheet(QStringLiteral("表"));
    book.endGlobals();
    book.startSheet();
    book.record(0x027E, cell(0, 0, 0) + u32((0u << 2) | 2));
    book.record(0x0203, cell(0, 1, 0) + f64(-5)); // no date before the origin: the number as it is
    book.endSheet();
    const QString file = path(QStringLiteral("mac.xls"));
    QVERIFY(writeFile(file, book.file()));
    SpreadsheetReader reader;
    QString error;
    QVERIFY2(reader.open(file, &error), qPrintable(error));
    QCOMPARE(reader.rows().first(), (QStringList{QStringLiteral("1904-01-01"), QStringLiteral("-5")}));
}

void TestSheetReading::xlsSmallWorkbookInTheMiniStream()
{
    // Some writers keep a workbook under 4096 bytes in the mini stream of the compound file.
    BiffBook book;
    book.xf(0);
    book.boundSheet(QStringLiteral("小"));
    book.endGlobals();
    book.startSheet();
    book.record(0x0204, cell(0, 0, 0) + longString(QStringLiteral("迷你")));
    book.endSheet();
    QByteArray stream = book.stream();
    const qsizetype size = stream.size();
    stream.append(QByteArray((64 - size % 64) % 64, '\0'));
    QByteArray file = buildCompoundFile(QStringLiteral("Workbook"), QByteArray(4096, '\0'));
    // Sector 0 of the file becomes the mini stream; sector 8 (unused by the padding) its mini FAT.
    const qsizetype sector0 = 512;
    std::memcpy(file.data() + sector0, stream.constData(), static_cast<size_t>(stream.size()));
    const int miniSectors = static_cast<int>(stream.size() / 64);
    QByteArray miniFat(512, '\xFF');
    for (int i = 0; i < miniSectors; ++i)
        qToLittleEndian<quint32>(i + 1 < miniSectors ? i + 1 : 0xFFFFFFFE, miniFat.data() + 4 * i);
    std::memcpy(file.data() + 512 + 7 * 512, miniFat.constData(), 512);
    qToLittleEndian<quint32>(7, file.data() + 0x3C); // first mini FAT sector
    qToLittleEndian<quint32>(1, file.data() + 0x40);
    // The allocation table: sector 0 is the root's mini stream, 7 the mini FAT.
    const qsizetype directory = 512 + 8 * 512;
    const qsizetype fat = directory + 512;
    qToLittleEndian<quint32>(0xFFFFFFFE, file.data() + fat);
    qToLittleEndian<quint32>(0xFFFFFFFE, file.data() + fat + 7 * 4);
    qToLittleEndian<quint32>(0, file.data() + directory + 116); // root: mini stream at sector 0
    qToLittleEndian<quint32>(static_cast<quint32>(stream.size()), file.data() + directory + 120);
    qToLittleEndian<quint32>(0, file.data() + directory + 128 + 116); // the workbook at mini sector 0
    qToLittleEndian<quint32>(static_cast<quint32>(size), file.data() + directory + 128 + 120);
    const QString path = this->path(QStringLiteral("mini.xls"));
    QVERIFY(writeFile(path, file));
    SpreadsheetReader reader;
    QString error;
    QVERIFY2(reader.open(path, &error), qPrintable(error));
    QCOMPARE(reader.text(0, 0), QStringLiteral("迷你"));
}

// Files of 4096-byte sectors: a workbook in sectors of its own and one in the mini stream are
// read; a root entry giving the mini stream a size no file has (the top bit set) leaves the
// short workbook unread.
void TestSheetReading::xlsWithLargeSectors()
{
    auto workbook = [](int cells) {
        BiffBook book;
        book.xf(0);
        book.boundSheet(QStringLiteral("大扇区"));
        book.endGlobals();
        book.startSheet();
        book.record(0x0204, cell(0, 0, 0) + longString(QStringLiteral("名称")));
        for (int i = 1; i < cells; ++i)
            book.record(0x0203, cell(i, 0, 0) + f64(i));
        book.endSheet();
        return book.stream();
    };
    const QByteArray large = workbook(400);
    QVERIFY(large.size() > 4096);
    const QByteArray small = workbook(3);
    QVERIFY(small.size() < 4096);
    struct Case
    {
        QString file;
        QByteArray bytes;
        int rows;
    };
    const QList<Case> readable{
        {QStringLiteral("large.xls"), largeSectorFile(large), 400},
        {QStringLiteral("small.xls"), largeSectorFile(small), 3},
    };
    for (const Case& c : readable) {
        const QString file = path(c.file);
        QVERIFY(writeFile(file, c.bytes));
        SpreadsheetReader reader;
        QString error;
        QVERIFY2(reader.open(file, &error), qPrintable(c.file + QLatin1Char(' ') + error));
        QCOMPARE(reader.rowCount(), c.rows);
        QCOMPARE(reader.text(0, 0), QStringLiteral("名称"));
        QCOMPARE(reader.text(c.rows - 1, 0), QString::number(c.rows - 1));
    }
    const QString file = path(QStringLiteral("oversized root.xls"));
    QVERIFY(writeFile(file, largeSectorFile(small, quint64(1) << 63)));
    SpreadsheetReader reader;
    QString error;
    QVERIFY(!reader.open(file, &error));
    QVERIFY2(error.startsWith(QStringLiteral("无法读取文件 ")), qPrintable(error));
    QCOMPARE(reader.rowCount(), 0);
}

void TestSheetReading::streamKeepsWhatTheSheetShows()
{
    BiffBook book;
    book.format(164, QStringLiteral("00000000000"));
    book.xf(0);
    book.xf(164);
    book.boundSheet(QStringLiteral("a\tb\\c"));
    book.endGlobals();
    book.startSheet();
    book.record(0x0204, cell(0, 0, 0) + longString(QStringLiteral("名称")));
    book.record(0x0204, cell(0, 1, 0) + longString(QStringLiteral("电话")));
    book.record(0x0204, cell(1, 0, 0) + longString(QStringLiteral("甲\t乙\n丙\\n\r")));
    book.record(0x0203, cell(1, 1, 1) + f64(5718800123.0));
    book.endSheet();
    const QString file = path(QStringLiteral("shows.xls"));
    QVERIFY(writeFile(file, book.file()));
    SheetData data;
    QString error;
    QVERIFY2(streamOf(file, -1, &data, &error), qPrintable(error));
    QCOMPARE(data.sheets().first().name, QStringLiteral("a\tb\\c"));
    QCOMPARE(data.titles(), (QStringList{QStringLiteral("名称"), QStringLiteral("电话")}));
    QCOMPARE(data.recordCount(), 1);
    const SheetRecord record = data.record(0);
    QCOMPARE(record.sheetRow, 2);
    QCOMPARE(record.cells.size(), 2);
    QCOMPARE(record.cells[0], (CellValue{QStringLiteral("甲\t乙\n丙\\n\r"), std::nullopt}));
    QCOMPARE(record.cells[1], (CellValue{QStringLiteral("05718800123"), 5718800123.0}));
    QCOMPARE(data.rowLabel(record), QStringLiteral("第 2 行"));
}

void TestSheetReading::streamSkipsBlankRowsButNotTheTitles()
{
    XlsWriter writer;
    QVERIFY(writer.writeText(1, 0, QStringLiteral("甲")));
    QVERIFY(writer.writeText(2, 1, QStringLiteral("  ")));       // blank
    QVERIFY(writer.writeText(3, 0, QString(), CellStyle::Bold)); // formatted, empty
    QVERIFY(writer.writeText(4, 2, QStringLiteral("乙")));
    QVERIFY(writer.writeText(4, 3, QStringLiteral(" ")));
    QVERIFY(writer.writeText(9, 5, QString(), CellStyle::Bold));
    const QString file = path(QStringLiteral("blank.xls"));
    QString error;
    QVERIFY(writer.save(file, &error));
    SheetData data;
    QVERIFY2(streamOf(file, -1, &data, &error), qPrintable(error));
    QCOMPARE(data.titles(), QStringList());
    QCOMPARE(data.recordCount(), 2);
    QCOMPARE(texts(data.record(0)), QStringList{QStringLiteral("甲")});
    QCOMPARE(data.record(1).sheetRow, 5);
    QCOMPARE(texts(data.record(1)), (QStringList{QString(), QString(), QStringLiteral("乙")}));
    QCOMPARE(data.columnCount(), 3);
}

void TestSheetReading::continuationSheetsAreOneList()
{
    // The export's own long list: a full first sheet, then sheets that begin with the same titles.
    auto longList = [this](const QString& name, const QString& secondTitle, int firstRows) {
        XlsWriter writer;
        writer.writeText(0, 0, QStringLiteral("客户名称"));
        writer.writeText(0, 1, QStringLiteral("编号"));
        for (int r = 1; r < firstRows; ++r)
            writer.writeNumber(r, 1, r);
        writer.writeText(1, 0, QStringLiteral("首"));
        writer.addSheet(QStringLiteral("Sheet2"));
        writer.writeText(0, 0, QStringLiteral("客户名称"));
        writer.writeText(0, 1, secondTitle);
        writer.writeText(1, 0, QStringLiteral("续"));
        writer.writeNumber(2, 0, 65536);
        writer.addSheet(QStringLiteral("别的"));
        writer.writeText(0, 0, QStringLiteral("客户名称"));
        writer.writeText(0, 1, secondTitle);
        writer.writeText(1, 0, QStringLiteral("不是续页"));
        const QString file = path(name);
        QString error;
        if (!writer.save(file, &error))
            qWarning() << error;
        return file;
    };
    SheetData data;
    QString error;
    QVERIFY2(streamOf(longList(QStringLiteral("long.xls"), QStringLiteral("编号"), 65536), -1, &data, &error),
             qPrintable(error));
    QCOMPARE(data.parts(), (QList<int>{0, 1}));
    QCOMPARE(data.recordCount(), 65535 + 2);
    QCOMPARE(data.record(0).cellText(0), QStringLiteral("首"));
    const SheetRecord next = data.record(65535);
    QCOMPARE(next.cellText(0), QStringLiteral("续"));
    QCOMPARE(data.rowLabel(next), QStringLiteral("工作表“Sheet2”第 2 行"));
    QCOMPARE(data.record(65536).cellText(0), QStringLiteral("65536"));

    // Other titles, or a first sheet that is not full: the next sheet is a list of its own.
    QVERIFY(
        streamOf(longList(QStringLiteral("other.xls"), QStringLiteral("代码"), 65536), -1, &data, &error));
    QCOMPARE(data.parts(), QList<int>{0});
    QCOMPARE(data.recordCount(), 65535);
    QVERIFY(streamOf(longList(QStringLiteral("short.xls"), QStringLiteral("编号"), 100), -1, &data, &error));
    QCOMPARE(data.parts(), QList<int>{0});
    // The second sheet chosen by itself.
    QVERIFY(streamOf(longList(QStringLiteral("second.xls"), QStringLiteral("编号"), 100), 1, &data, &error));
    QCOMPARE(data.chosenSheet(), 1);
    QCOMPARE(data.recordCount(), 2);
}

void TestSheetReading::streamRefusesIncompleteLines_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QString>("reason");
    const QByteArray head = "ZUSHEET 1\nSHEET 0 0 表\nACTIVE 0\nCHOSEN 0\nPART 0\n1\t名称\n2\t甲\n";
    const QString broken = QStringLiteral("读取程序的输出不完整或无法识别");
    QTest::newRow("nothing") << QByteArray() << broken;
    QTest::newRow("no end") << head << broken;
    QTest::newRow("fewer rows than said") << head + "END 3\n" << broken;
    QTest::newRow("row before any part") << QByteArray("ZUSHEET 1\n1\tx\nEND 1\n") << broken;
    QTest::newRow("unknown line") << head + "WHAT\nEND 2\n" << broken;
    QTest::newRow("row numbered 0") << head + "0\t乙\nEND 3\n" << broken;
    QTest::newRow("row number with a leading 0") << head + "03\t乙\nEND 3\n" << broken;
    const auto withSheets = [](const QByteArray& active, const QByteArray& chosen) {
        return "ZUSHEET 1\nSHEET 0 0 表\nACTIVE " + active + "\nCHOSEN " + chosen +
               "\nPART 0\n1\t名称\n2\t甲\nEND 2\n";
    };
    for (const QByteArray& outside : {QByteArray("-1"), QByteArray("1")}) {
        QTest::addRow("active sheet %s", outside.constData()) << withSheets(outside, "0") << broken;
        QTest::addRow("chosen sheet %s", outside.constData()) << withSheets("0", outside) << broken;
    }
    // A part of a sheet there is not, in a stream right in all else (part 0 is read, below).
    for (const QByteArray& outside : {QByteArray("-1"), QByteArray("1"), QByteArray("4")})
        QTest::addRow("part of sheet %s", outside.constData())
            << "ZUSHEET 1\nSHEET 0 0 表\nACTIVE 0\nCHOSEN 0\nPART " + outside + "\n1\t名称\n2\t甲\nEND 2\n"
            << broken;
    QTest::newRow("error after rows") << head + "ERROR 文件已损坏\\t（第 3 行）\n"
                                      << QStringLiteral("文件已损坏\t（第 3 行）");
    QTest::newRow("error alone") << QByteArray("ERROR 不是工作簿\n") << QStringLiteral("不是工作簿");
}

void TestSheetReading::streamRefusesIncompleteLines()
{
    QFETCH(QByteArray, lines);
    QFETCH(QString, reason);
    SheetData data;
    QString error;
    QVERIFY(!data.parse(lines, &error));
    QCOMPARE(error, reason);
    QVERIFY(
        data.parse("ZUSHEET 1\nSHEET 0 0 表\nACTIVE 0\nCHOSEN 0\nPART 0\n1\t名称\n2\t甲\nEND 2\n", &error));
    QCOMPARE(data.recordCount(), 1);
}

void TestSheetReading::titlesAreTheFirstRowOnly()
{
    // A sheet whose first row is empty has no titles: its first written row is a record.
    SheetData data;
    QString error;
    QVERIFY(data.parse("ZUSHEET 1\nSHEET 0 0 表\nACTIVE 0\nCHOSEN 0\nPART 0\n3\t甲\n4\t乙\nEND 2\n", &error));
    QCOMPARE(data.titles(), QStringList());
    QCOMPARE(data.recordCount(), 2);
    QCOMPARE(data.record(0).sheetRow, 3);
}

void TestSheetReading::streamReadsEveryRowNumber()
{
    SheetData data;
    QString error;
    QVERIFY2(data.parse("ZUSHEET 1\nSHEET 0 0 表\nACTIVE 0\nCHOSEN 0\nPART 0\n1\t名称\n2\t甲\n9\t乙\n10\t丙\n"
                        "19\t丁\n99\t戊\nEND 6\n",
                        &error),
             qPrintable(error));
    QCOMPARE(data.titles(), QStringList{QStringLiteral("名称")});
    QCOMPARE(data.recordCount(), 5);
    const QList<int> rows = {2, 9, 10, 19, 99};
    const QStringList texts = {QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙"),
                               QStringLiteral("丁"), QStringLiteral("戊")};
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(data.record(i).sheetRow, rows[i]);
        QCOMPARE(data.record(i).cellText(0), texts[i]);
    }
}

// A zip whose directory tells sizes or places no workbook can have is refused before anything
// is unpacked (a damaged size would make the unzipping allocate without end).
void TestSheetReading::xlsxWithImpossibleSizesIsRefused_data()
{
    QTest::addColumn<int>("field"); // of the directory's entry; negative: of the end record
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("told");
    constexpr qint64 kPacked = 11; // "<workbook/>" stored as it is
    const qint64 zipSize =
        zu::test::storedZip({{QStringLiteral("xl/workbook.xml"), QByteArray("<workbook/>")}}).size();
    // A part unpacks to at most 1,100 times its packed size and 64 KiB.
    QTest::newRow("half a gigabyte") << 24 << qint64(500) * 1024 * 1024 << QStringLiteral("大小不合常理");
    QTest::newRow("one byte too many") << 24 << 1100 * kPacked + 65536 + 1 << QStringLiteral("大小不合常理");
    QTest::newRow("largest possible") << 24 << 1100 * kPacked + 65536 << QString();
    // The part's header with its packed bytes ends at most at the file's end.
    QTest::newRow("part one byte beyond")
        << 42 << zipSize - kPacked + 1 << QStringLiteral("一个部分超出了文件");
    QTest::newRow("part far beyond") << 42 << qint64(0xFFFFFFF0) << QStringLiteral("一个部分超出了文件");
    QTest::newRow("part ends at the end") << 42 << zipSize - kPacked << QString();
    QTest::newRow("directory beyond the file") << -16 << zipSize << QStringLiteral("目录位置超出了文件");
    QTest::newRow("not a directory entry") << 0 << qint64(0x02014b51) << QStringLiteral("目录已损坏");
}

// Cells without a reference follow the one before: a row holds 16,384 of them and no more.
void TestSheetReading::xlsxRowOfCellsWithoutReferences()
{
    const QByteArray main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const QByteArray rels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const QByteArray workbook =
        "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rels +
        "\"><sheets><sheet name=\"表\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
    const QByteArray workbookRels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"" +
        rels + "/worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>";
    for (const int cells : {16384, 16385}) {
        QByteArray row = "<row r=\"1\">";
        for (int c = 0; c < cells; ++c)
            row += "<c><v>" + QByteArray::number(c + 1) + "</v></c>";
        const QByteArray sheet =
            "<worksheet xmlns=\"" + main + "\"><sheetData>" + row + "</row></sheetData></worksheet>";
        const QString file = path(QStringLiteral("wide.xlsx"));
        QVERIFY(
            writeFile(file, zu::test::storedZip({{QStringLiteral("xl/workbook.xml"), workbook},
                                                 {QStringLiteral("xl/_rels/workbook.xml.rels"), workbookRels},
                                                 {QStringLiteral("xl/worksheets/sheet1.xml"), sheet}})));
        SpreadsheetReader reader;
        QString error;
        const bool read = reader.open(file, &error);
        if (cells == 16384) {
            QVERIFY2(read, qPrintable(error));
            QCOMPARE(reader.text(0, 16383), QStringLiteral("16384"));
        } else {
            QVERIFY(!read);
            QVERIFY2(error.contains(QStringLiteral("超过了 16384 列")), qPrintable(error));
            // The reader process stops on the same fault with the same words.
            SheetData streamed;
            QString streamError;
            QVERIFY(!streamOf(file, 0, &streamed, &streamError));
            QVERIFY2(streamError.contains(QStringLiteral("超过了 16384 列")), qPrintable(streamError));
        }
    }
}

// A number in a date format is a date from day 0 up to 9999-12-31 and a number outside; in .xlsx only
// the cell formats count, not the cell styles listed before them.
void TestSheetReading::datesOnlyWithinTheCalendar()
{
    const QList<double> values{-1, 0, 2958465, 2958466};
    const QStringList shown{QStringLiteral("-1"), QStringLiteral("1899-12-30"), QStringLiteral("9999-12-31"),
                            QStringLiteral("2958466")};

    BiffBook book;
    book.xf(0);
    book.xf(14);
    book.boundSheet(QStringLiteral("日期"));
    book.endGlobals();
    book.startSheet();
    for (int c = 0; c < values.size(); ++c)
        book.record(0x0203, cell(0, c, 1) + f64(values[c]));
    book.endSheet();
    const QString xls = path(QStringLiteral("dates.xls"));
    QVERIFY(writeFile(xls, book.file()));

    const QByteArray main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const QByteArray rels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    QByteArray row = "<row r=\"1\">";
    for (const double v : values)
        row += "<c s=\"1\"><v>" + QByteArray::number(v, 'g', 17) + "</v></c>";
    const QString xlsx = path(QStringLiteral("dates.xlsx"));
    QVERIFY(writeFile(
        xlsx,
        zu::test::storedZip(
            {{QStringLiteral("xl/workbook.xml"),
              "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rels +
                  "\"><sheets><sheet name=\"日期\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
             {QStringLiteral("xl/_rels/workbook.xml.rels"),
              "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
              "<Relationship Id=\"rId1\" Type=\"" +
                  rels + "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" +
                  rels + "/styles\" Target=\"styles.xml\"/></Relationships>"},
             {QStringLiteral("xl/styles.xml"),
              "<styleSheet xmlns=\"" + main +
                  "\"><cellStyleXfs count=\"2\"><xf numFmtId=\"14\"/><xf numFmtId=\"14\"/></cellStyleXfs>"
                  "<cellXfs count=\"2\"><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>"},
             {QStringLiteral("xl/worksheets/sheet1.xml"),
              "<worksheet xmlns=\"" + main + "\"><sheetData>" + row +
                  "</row><row r=\"2\"><c s=\"0\"><v>45356</v></c>" + "</row></sheetData></worksheet>"}})));

    for (const QString& file : {xls, xlsx}) {
        SpreadsheetReader reader;
        QString error;
        QVERIFY2(reader.open(file, &error), qPrintable(error));
        QCOMPARE(reader.rows().value(0).mid(0, values.size()), shown);
        if (file == xlsx)
            QCOMPARE(reader.text(1, 0), QStringLiteral("45356"));
    }
}

namespace {

QByteArray rec(quint16 type, const QByteArray& body)
{
    return u16(type) + u16(static_cast<quint16>(body.size())) + body;
}

// Opens `file` and finds `seen` there: "row column text" for a cell, else words of the refusal.
void expectSeen(const QString& file, const QString& seen)
{
    SpreadsheetReader reader;
    QString error;
    const bool read = reader.open(file, &error);
    const QStringList place = seen.split(u' ');
    bool isRow = false;
    const int row = place.first().toInt(&isRow);
    QCOMPARE(read, isRow);
    if (read)
        QCOMPARE(reader.text(row, place.at(1).toInt()), place.mid(2).join(u' '));
    else
        QVERIFY2(error.contains(seen), qPrintable(error));
}

} // namespace

// Records are read up to the sheet's last row and column; a record cut short, or a file that is
// no workbook of a known version, is refused with the fault's words.
void TestSheetReading::xlsRecordsAndTheirFaults_data()
{
    QTest::addColumn<quint16>("version");
    QTest::addColumn<QByteArray>("globals"); // records before the sheet's directory entry
    QTest::addColumn<QByteArray>("entry");   // the sheet's directory entry; empty for none
    QTest::addColumn<QByteArray>("cells");   // the sheet's records
    QTest::addColumn<QString>("seen");       // "row column text", or the fault's words
    const QByteArray entry = u32(0) + '\0' + '\0' + shortString(QStringLiteral("表"));
    const QByteArray one = rec(0x00FC, u32(1) + u32(1) + longString(QStringLiteral("甲")));
    QTest::newRow("BIFF8, last row") << quint16(0x0600) << QByteArray() << entry
                                     << rec(0x0203, cell(65535, 1, 0) + f64(7))
                                     << QStringLiteral("65535 1 7");
    QTest::newRow("BIFF8, last column") << quint16(0x0600) << QByteArray() << entry
                                        << rec(0x0203, cell(1, 255, 0) + f64(7)) << QStringLiteral("1 255 7");
    QTest::newRow("BIFF8, after its last column")
        << quint16(0x0600) << QByteArray() << entry
        << rec(0x0203, cell(1, 256, 0) + f64(7)) + rec(0x0203, cell(0, 0, 0) + f64(1))
        << QStringLiteral("1 256 ");
    QTest::newRow("BIFF5") << quint16(0x0500) << QByteArray() << u32(0) + '\0' + '\0' + QByteArray("\x01T", 2)
                           << rec(0x0203, cell(16383, 0, 0) + f64(7)) << QStringLiteral("16383 0 7");
    QTest::newRow("BIFF5, after its last row")
        << quint16(0x0500) << QByteArray() << u32(0) + '\0' + '\0' + QByteArray("\x01T", 2)
        << rec(0x0203, cell(16384, 0, 0) + f64(7)) + rec(0x0203, cell(0, 0, 0) + f64(1))
        << QStringLiteral("16384 0 ");
    QTest::newRow("BIFF5, sheet without a name")
        << quint16(0x0500) << QByteArray() << u32(0) + '\0' + '\0' + '\0'
        << rec(0x0203, cell(0, 0, 0) + f64(7)) << QStringLiteral("0 0 7");
    QTest::newRow("BIFF4") << quint16(0x0400) << QByteArray() << entry << QByteArray()
                           << QStringLiteral("不支持这个版本的 Excel 文件（BIFF 版本 0400）");
    QTest::newRow("directory entry too short") << quint16(0x0600) << QByteArray() << QByteArray(6, '\0')
                                               << QByteArray() << QStringLiteral("工作表目录记录太短");
    QTest::newRow("sheet name cut short")
        << quint16(0x0600) << QByteArray() << u32(0) + '\0' + '\0' + QByteArray("\x03\x01", 2) + utf16("表")
        << QByteArray() << QStringLiteral("工作表名称不完整");
    QTest::newRow("no sheet") << quint16(0x0600) << QByteArray() << QByteArray() << QByteArray()
                              << QStringLiteral("文件中没有工作表");
    QTest::newRow("shared strings cut short") << quint16(0x0600) << rec(0x00FC, u32(1)) << entry
                                              << QByteArray() << QStringLiteral("共享字符串表不完整");
    QTest::newRow("last shared string")
        << quint16(0x0600) << one << entry << rec(0x00FD, cell(2, 1, 0) + u32(0)) << QStringLiteral("2 1 甲");
    QTest::newRow("shared string after the last")
        << quint16(0x0600) << one << entry << rec(0x00FD, cell(2, 1, 0) + u32(1))
        << QStringLiteral("第 3 行第 2 列的文字编号超出了共享字符串表");
    QTest::newRow("text cut short") << quint16(0x0600) << QByteArray() << entry
                                    << rec(0x0204, cell(0, 0, 0) + u16(3) + '\x01' + utf16("文字"))
                                    << QStringLiteral("第 1 行第 1 列的文字不完整");
    QTest::newRow("text without its flags")
        << quint16(0x0600) << QByteArray() << entry << rec(0x0204, cell(0, 0, 0) + u16(2))
        << QStringLiteral("第 1 行第 1 列的文字不完整");
    QTest::newRow("text without its length")
        << quint16(0x0600) << QByteArray() << entry << rec(0x0204, cell(0, 0, 0))
        << QStringLiteral("第 1 行第 1 列的文字不完整");
    QTest::newRow("BIFF5, text cut short")
        << quint16(0x0500) << QByteArray() << u32(0) + '\0' + '\0' + QByteArray("\x01T", 2)
        << rec(0x0204, cell(0, 0, 0) + u16(5) + QByteArray("abcd"))
        << QStringLiteral("第 1 行第 1 列的文字不完整");
    QTest::newRow("BIFF5, text") << quint16(0x0500) << QByteArray()
                                 << u32(0) + '\0' + '\0' + QByteArray("\x01T", 2)
                                 << rec(0x0204, cell(0, 0, 0) + u16(4) + QByteArray("abcd"))
                                 << QStringLiteral("0 0 abcd");
    QTest::newRow("text too short for its place")
        << quint16(0x0600) << QByteArray() << entry
        << rec(0x0204, u16(0) + u16(0)) + rec(0x0203, cell(0, 1, 0) + f64(7)) << QStringLiteral("0 1 7");
    QTest::newRow("rich text without its run count")
        << quint16(0x0600) << QByteArray() << entry << rec(0x0204, cell(0, 0, 0) + u16(1) + '\x08')
        << QStringLiteral("第 1 行第 1 列的文字不完整");
    QTest::newRow("formula text cut short")
        << quint16(0x0600) << QByteArray() << entry
        << rec(0x0006,
               cell(4, 2, 0) + QByteArray("\x00\x00\x00\x00\x00\x00\xFF\xFF", 8) + QByteArray(6, '\0')) +
               rec(0x0207, u16(3) + '\x01' + utf16("北京"))
        << QStringLiteral("第 5 行第 3 列的公式结果不完整");
    QTest::newRow("formula text") << quint16(0x0600) << QByteArray() << entry
                                  << rec(0x0006, cell(4, 2, 0) +
                                                     QByteArray("\x00\x00\x00\x00\x00\x00\xFF\xFF", 8) +
                                                     QByteArray(6, '\0')) +
                                         rec(0x0207, u16(2) + '\x01' + utf16("北京"))
                                  << QStringLiteral("4 2 北京");
}

void TestSheetReading::xlsRecordsAndTheirFaults()
{
    QFETCH(quint16, version);
    QFETCH(QByteArray, globals);
    QFETCH(QByteArray, entry);
    QFETCH(QByteArray, cells);
    QFETCH(QString, seen);
    BiffBook book(version);
    book.raw(globals);
    if (!entry.isEmpty())
        book.record(0x0085, entry);
    book.endGlobals();
    if (entry.size() >= 4) {
        QByteArray stream = book.stream();
        const qsizetype entryAt = stream.indexOf(rec(0x0085, entry));
        QVERIFY(entryAt > 0);
        qToLittleEndian(static_cast<quint32>(stream.size()), stream.data() + entryAt + 4);
        stream += rec(0x0809, u16(version) + u16(0x0010) + QByteArray(12, '\0')) + cells + rec(0x000A, {});
        book = BiffBook(version);
        book.raw(stream.mid(book.stream().size()));
    }
    const QString file = path(QStringLiteral("records.xls"));
    QVERIFY(writeFile(file, book.file()));
    expectSeen(file, seen);
}

// What a worksheet part holds is read as written up to the sheet's last row and column; beyond
// them, or where the part contradicts itself, the reader says what is wrong and where.
void TestSheetReading::xlsxCellsAndTheirFaults_data()
{
    QTest::addColumn<QByteArray>("cells");   // the inside of <sheetData>; "-" for no worksheet part
    QTest::addColumn<QByteArray>("strings"); // the shared strings part, if any
    QTest::addColumn<QString>("seen");       // "row column text", or the fault's words
    const QByteArray two = "<sst><si><t>甲</t></si><si><t>乙</t></si></sst>";
    QTest::newRow("last row") << QByteArray("<row r=\"1048576\"><c><v>1</v></c></row>") << QByteArray()
                              << QStringLiteral("1048575 0 1");
    QTest::newRow("row after the last") << QByteArray("<row r=\"1048577\"><c><v>1</v></c></row>")
                                        << QByteArray() << QStringLiteral("行号“1048577”无效");
    QTest::newRow("row 0") << QByteArray("<row r=\"0\"/>") << QByteArray() << QStringLiteral("行号“0”无效");
    QTest::newRow("row not a number")
        << QByteArray("<row r=\"x\"/>") << QByteArray() << QStringLiteral("行号“x”无效");
    QTest::newRow("last column") << QByteArray("<row r=\"2\"><c r=\"XFD2\"><v>5</v></c></row>")
                                 << QByteArray() << QStringLiteral("1 16383 5");
    QTest::newRow("column after the last") << QByteArray("<row r=\"2\"><c r=\"XFE2\"><v>5</v></c></row>")
                                           << QByteArray() << QStringLiteral("单元格位置“XFE2”无效");
    QTest::newRow("cell in the last row") << QByteArray("<row><c r=\"B1048576\"><v>3</v></c></row>")
                                          << QByteArray() << QStringLiteral("1048575 1 3");
    QTest::newRow("cell after the last row") << QByteArray("<row><c r=\"B1048577\"><v>3</v></c></row>")
                                             << QByteArray() << QStringLiteral("单元格位置“B1048577”无效");
    QTest::newRow("cell in row 0") << QByteArray("<row><c r=\"A0\"><v>5</v></c></row>") << QByteArray()
                                   << QStringLiteral("单元格位置“A0”无效");
    QTest::newRow("cell without letters") << QByteArray("<row><c r=\"12\"><v>5</v></c></row>") << QByteArray()
                                          << QStringLiteral("单元格位置“12”无效");
    QTest::newRow("cell with more after it") << QByteArray("<row><c r=\"B2C\"><v>5</v></c></row>")
                                             << QByteArray() << QStringLiteral("单元格位置“B2C”无效");
    QTest::newRow("cell outside any row")
        << QByteArray("<c><v>5</v></c>") << QByteArray() << QStringLiteral("单元格不在任何一行中");
    QTest::newRow("last shared string")
        << QByteArray("<row><c r=\"B1\" t=\"s\"><v>1</v></c></row>") << two << QStringLiteral("0 1 乙");
    QTest::newRow("shared string after the last")
        << QByteArray("<row><c r=\"B1\" t=\"s\"><v>2</v></c></row>") << two
        << QStringLiteral("单元格 B1 的文字编号 2 超出了共享字符串表");
    QTest::newRow("shared string before the first")
        << QByteArray("<row><c r=\"B1\" t=\"s\"><v>-1</v></c></row>") << two
        << QStringLiteral("单元格 B1 的文字编号 -1 超出了共享字符串表");
    QTest::newRow("date") << QByteArray("<row><c t=\"d\"><v>2024-03-05T00:00:00</v></c></row>")
                          << QByteArray() << QStringLiteral("0 0 2024-03-05");
    QTest::newRow("date and time") << QByteArray("<row><c t=\"d\"><v>2024-03-05T08:30:00</v></c></row>")
                                   << QByteArray() << QStringLiteral("0 0 2024-03-05 08:30:00");
    QTest::newRow("date that is none")
        << QByteArray("<row><c t=\"d\"><v>下周</v></c></row>") << QByteArray() << QStringLiteral("0 0 下周");
    QTest::newRow("number that is none") << QByteArray("<row><c r=\"C1\"><v>12abc</v></c></row>")
                                         << QByteArray() << QStringLiteral("单元格 C1 的数值“12abc”无效");
    QTest::newRow("worksheet broken off") << QByteArray("<row><c><v>1</v>") << QByteArray()
                                          << QStringLiteral("xl/worksheets/sheet1.xml 第 1 行");
    QTest::newRow("shared strings broken off") << QByteArray("<row/>") << QByteArray("<sst><si><t>甲</t>")
                                               << QStringLiteral("xl/sharedStrings.xml 第 1 行");
    QTest::newRow("no worksheet part")
        << QByteArray("-") << QByteArray() << QStringLiteral("缺少工作表 xl/worksheets/sheet1.xml");
}

void TestSheetReading::xlsxCellsAndTheirFaults()
{
    QFETCH(QByteArray, cells);
    QFETCH(QByteArray, strings);
    QFETCH(QString, seen);
    const QByteArray rels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    QList<QPair<QString, QByteArray>> parts{
        {QStringLiteral("xl/workbook.xml"),
         "<workbook xmlns:r=\"" + rels +
             "\"><sheets><sheet name=\"表\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
             rels + "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" Type=\"" +
             rels + "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>"}};
    if (cells != "-")
        parts.append({QStringLiteral("xl/worksheets/sheet1.xml"),
                      "<worksheet><sheetData>" + cells + "</sheetData></worksheet>"});
    if (!strings.isEmpty())
        parts.append({QStringLiteral("xl/sharedStrings.xml"), strings});
    const QString file = path(QStringLiteral("cells.xlsx"));
    QVERIFY(writeFile(file, zu::test::storedZip(parts)));
    expectSeen(file, seen);
}

// A workbook part that breaks off after its first sheet is damaged, not a workbook of one sheet.
void TestSheetReading::xlsxWorkbookBrokenAfterItsFirstSheetIsRefused()
{
    const QByteArray rels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const QByteArray workbookRels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"" +
        rels + "/worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>";
    const QByteArray sheet = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                             "<sheetData><row r=\"1\"><c><v>7</v></c></row></sheetData></worksheet>";
    const QByteArray whole =
        "<workbook xmlns:r=\"" + rels +
        "\"><sheets><sheet name=\"表\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
    for (const bool broken : {false, true}) {
        const QByteArray workbook = broken ? whole.left(whole.indexOf("</sheets>")) + "<sheet name=" : whole;
        const QString file = path(QStringLiteral("broken.xlsx"));
        QVERIFY(
            writeFile(file, zu::test::storedZip({{QStringLiteral("xl/workbook.xml"), workbook},
                                                 {QStringLiteral("xl/_rels/workbook.xml.rels"), workbookRels},
                                                 {QStringLiteral("xl/worksheets/sheet1.xml"), sheet}})));
        SpreadsheetReader reader;
        QString error;
        const bool read = reader.open(file, &error);
        QCOMPARE(read, !broken);
        if (broken)
            QVERIFY2(error.contains(QStringLiteral("文件已损坏或不是 .xlsx 格式（xl/workbook.xml 第 1 行")),
                     qPrintable(error));
        else
            QCOMPARE(reader.text(0, 0), QStringLiteral("7"));
    }
}

// A package without its workbook part, or whose workbook lists no sheet, is no workbook to read.
void TestSheetReading::xlsxWithoutWorkbookOrSheetsIsRefused()
{
    const QByteArray sheet = "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                             "<sheetData><row r=\"1\"><c><v>7</v></c></row></sheetData></worksheet>";
    const QList<std::pair<QList<std::pair<QString, QByteArray>>, QString>> cases{
        {{{QStringLiteral("xl/worksheets/sheet1.xml"), sheet}},
         QStringLiteral("：文件已损坏或不是 .xlsx 格式（缺少工作簿 xl/workbook.xml）")},
        {{{QStringLiteral("xl/workbook.xml"), QByteArray()},
          {QStringLiteral("xl/worksheets/sheet1.xml"), sheet}},
         QStringLiteral("：文件已损坏或不是 .xlsx 格式（缺少工作簿 xl/workbook.xml）")},
        {{{QStringLiteral("xl/workbook.xml"), QByteArray("<workbook><sheets/></workbook>")}},
         QStringLiteral("：文件中没有工作表")},
    };
    for (const auto& [parts, expected] : cases) {
        const QString file = path(QStringLiteral("noworkbook.xlsx"));
        QVERIFY(writeFile(file, zu::test::storedZip(parts)));
        SpreadsheetReader reader;
        QString error;
        QVERIFY(!reader.open(file, &error));
        QVERIFY2(error.startsWith(QStringLiteral("无法读取文件 %1").arg(file)) && error.endsWith(expected),
                 qPrintable(error));
    }
}

// Without a comment, the end record is a package's last 22 bytes: cut anywhere within them, down to
// its signature, the file is no package to read; whole, it is read.
void TestSheetReading::xlsxCutWithinItsEndRecordIsRefused()
{
    const QByteArray whole = zu::test::storedZip(
        {{QStringLiteral("xl/workbook.xml"), QByteArray("<workbook><sheets/></workbook>")}});
    QCOMPARE(whole.lastIndexOf("PK\x05\x06"), whole.size() - 22);
    for (const int cut : {0, 1, 18}) {
        const QString file = path(QStringLiteral("cut.xlsx"));
        QVERIFY(writeFile(file, whole.left(whole.size() - cut)));
        SpreadsheetReader reader;
        QString error;
        QVERIFY(!reader.open(file, &error));
        const QString expected =
            cut == 0 ? QStringLiteral("：文件中没有工作表")
                     : QStringLiteral("：文件已损坏或不是 .xlsx 格式（不是压缩包，或压缩包不完整）");
        QVERIFY2(error.endsWith(expected),
                 qPrintable(QStringLiteral("%1 bytes cut: %2").arg(cut).arg(error)));
    }
}

// zip64's values are 64 bits: one with the top bit set is no size or place at all.
void TestSheetReading::xlsxWithNegativeZip64ValuesIsRefused()
{
    for (const int value : {0, 1, 2}) { // the size, the packed size, the place of the part
        QByteArray zip = zu::test::storedZip({{QStringLiteral("xl/workbook.xml"), QByteArray("<workbook/>")}},
                                             zu::test::ZipForm::Zip64);
        const qsizetype entry = zip.lastIndexOf("PK\x01\x02");
        QVERIFY(entry > 0);
        const qsizetype extra = entry + 46 + qFromLittleEndian<quint16>(zip.constData() + entry + 28);
        QCOMPARE(qFromLittleEndian<quint16>(zip.constData() + extra), quint16(1));
        zip[extra + 4 + value * 8 + 7] = '\x80';
        const QString file = path(QStringLiteral("zip64.xlsx"));
        QVERIFY(writeFile(file, zip));
        SpreadsheetReader reader;
        QString error;
        QVERIFY(!reader.open(file, &error));
        QVERIFY2(error.contains(QStringLiteral("目录已损坏")), qPrintable(error));
    }
}

// An entry whose sizes and place are left to the zip64 record needs that record, with all three.
void TestSheetReading::xlsxWithIncompleteZip64RecordIsRefused()
{
    enum class Change
    {
        None,
        Shorter,
        OtherRecord
    };
    for (const Change change : {Change::None, Change::Shorter, Change::OtherRecord}) {
        QByteArray zip = zu::test::storedZip(
            {{QStringLiteral("xl/workbook.xml"),
              QByteArray("<workbook xmlns:r=\"r\"><sheets><sheet name=\"表\" sheetId=\"1\" r:id=\"rId1\"/>"
                         "</sheets></workbook>")}},
            zu::test::ZipForm::Zip64);
        const qsizetype entry = zip.lastIndexOf("PK\x01\x02");
        QVERIFY(entry > 0);
        const qsizetype extra = entry + 46 + qFromLittleEndian<quint16>(zip.constData() + entry + 28);
        QCOMPARE(qFromLittleEndian<quint16>(zip.constData() + extra + 2), quint16(24));
        if (change == Change::Shorter)
            qToLittleEndian<quint16>(16, zip.data() + extra + 2); // the place is missing
        else if (change == Change::OtherRecord)
            qToLittleEndian<quint16>(2, zip.data() + extra);
        const QString file = path(QStringLiteral("zip64record.xlsx"));
        QVERIFY(writeFile(file, zip));
        SpreadsheetReader reader;
        QString error;
        QCOMPARE(reader.open(file, &error), false);
        if (change == Change::None)
            QVERIFY2(!error.contains(QStringLiteral("目录已损坏")), qPrintable(error));
        else
            QVERIFY2(error.contains(QStringLiteral("目录已损坏")), qPrintable(error));
    }
}

void TestSheetReading::xlsxWithImpossibleSizesIsRefused()
{
    QFETCH(int, field);
    QFETCH(qint64, value);
    QFETCH(QString, told);
    QByteArray zip = zu::test::storedZip({{QStringLiteral("xl/workbook.xml"), QByteArray("<workbook/>")}});
    const qsizetype directory = zip.lastIndexOf("PK\x01\x02");
    const qsizetype end = zip.lastIndexOf("PK\x05\x06");
    QVERIFY(directory > 0 && end > directory);
    qToLittleEndian<quint32>(quint32(value), zip.data() + (field >= 0 ? directory + field : end - field));
    const QString file = path(QStringLiteral("bomb.xlsx"));
    QVERIFY(writeFile(file, zip));
    SpreadsheetReader reader;
    QString error;
    QVERIFY(!reader.open(file, &error)); // the workbook has no sheet, whatever its sizes say
    for (const char* problem : {"大小不合常理", "一个部分超出了文件", "目录位置超出了文件", "目录已损坏"})
        QCOMPARE(error.contains(QString::fromUtf8(problem)), told == QString::fromUtf8(problem));
}

// However well a part packs, it unpacks to a gigabyte at most.
void TestSheetReading::xlsxPartsUnpackToAGigabyteAtMost()
{
    constexpr quint32 kGigabyte = quint32(1) << 30;
    const QByteArray filler(1024 * 1024, 'x'); // packed well enough for a gigabyte (1,100 to 1)
    for (const quint32 size : {kGigabyte, kGigabyte + 1}) {
        QByteArray zip = zu::test::storedZip({{QStringLiteral("xl/workbook.xml"), QByteArray("<workbook/>")},
                                              {QStringLiteral("xl/media/filler.bin"), filler}});
        const qsizetype entry = zip.lastIndexOf("PK\x01\x02"); // the filler's, listed last
        QVERIFY(entry > 0);
        qToLittleEndian<quint32>(size, zip.data() + entry + 24);
        const QString file = path(QStringLiteral("gigabyte.xlsx"));
        QVERIFY(writeFile(file, zip));
        SpreadsheetReader reader;
        QString error;
        QVERIFY(!reader.open(file, &error)); // the workbook has no sheet, whatever its sizes say
        QVERIFY2(error.contains(QStringLiteral("大小不合常理")) == (size > kGigabyte), qPrintable(error));
    }
}

// A part is read only when it unpacks to exactly the size and checksum its directory entry
// gives, in a way of packing the reader knows; else the reader names the part.
void TestSheetReading::xlsxPartsThatDoNotUnpackAsListed_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("change");
    QTest::addColumn<bool>("read");
    QTest::addColumn<QByteArray>("part");
    QTest::newRow("as written") << 16 << 0 << true << QByteArray("xl/worksheets/sheet1.xml");
    QTest::newRow("checksum") << 16 << 1 << false << QByteArray("xl/worksheets/sheet1.xml");
    QTest::newRow("one byte less") << 24 << -1 << false << QByteArray("xl/worksheets/sheet1.xml");
    QTest::newRow("one byte more") << 24 << 1 << false << QByteArray("xl/worksheets/sheet1.xml");
    // 12: bzip2
    QTest::newRow("unknown packing") << 10 << 4 << false << QByteArray("xl/worksheets/sheet1.xml");
    QTest::newRow("workbook checksum") << 16 << 1 << false << QByteArray("xl/workbook.xml");
    // The first block of an unknown kind.
    QTest::newRow("packed bytes") << -1 << 7 << false << QByteArray("xl/worksheets/sheet1.xml");
}

void TestSheetReading::xlsxPartsThatDoNotUnpackAsListed()
{
    QFETCH(int, field);
    QFETCH(int, change);
    QFETCH(bool, read);
    QFETCH(QByteArray, part);
    const QString file = path(QStringLiteral("parts.xlsx"));
    XlsxWriter writer;
    writer.writeText(0, 0, QStringLiteral("客户名称"));
    writer.writeText(1, 0, QStringLiteral("张三"));
    QString error;
    QVERIFY2(writer.save(file, &error), qPrintable(error));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QByteArray zip = f.readAll();
    const QByteArray& name = part;
    qsizetype at = -1;
    for (qsizetype i = zip.indexOf("PK\x01\x02"); i >= 0; i = zip.indexOf("PK\x01\x02", i + 4))
        if (zip.mid(i + 46, name.size()) == name)
            at = i;
    QVERIFY(at > 0);
    if (field < 0) { // the packed bytes themselves
        const qsizetype local = qFromLittleEndian<quint32>(zip.constData() + at + 42);
        zip[local + 30 + qFromLittleEndian<quint16>(zip.constData() + local + 26) +
            qFromLittleEndian<quint16>(zip.constData() + local + 28)] = char(change);
    } else if (field == 10) // a 16-bit field
        qToLittleEndian<quint16>(quint16(qFromLittleEndian<quint16>(zip.constData() + at + field) + change),
                                 zip.data() + at + field);
    else
        qToLittleEndian<quint32>(qFromLittleEndian<quint32>(zip.constData() + at + field) + quint32(change),
                                 zip.data() + at + field);
    f.seek(0);
    f.write(zip);
    f.close();
    SpreadsheetReader reader;
    QCOMPARE(reader.open(file, &error), read);
    if (read)
        QCOMPARE(reader.rows(), (QList<QStringList>{{QStringLiteral("客户名称")}, {QStringLiteral("张三")}}));
    else
        QVERIFY2(error.contains(QString::fromLatin1(part) + QStringLiteral(" 已损坏")), qPrintable(error));
}

void TestSheetReading::readerProcessReadsTheFile()
{
    XlsWriter writer;
    writer.writeText(0, 0, QStringLiteral("客户名称"));
    writer.writeText(1, 0, QStringLiteral("张三"));
    writer.addSheet(QStringLiteral("第二页"));
    writer.writeText(0, 0, QStringLiteral("另一张"));
    const QString file = path(QStringLiteral("过程 读取.xls"));
    QString error;
    QVERIFY(writer.save(file, &error));
    SheetData data;
    int waited = 0;
    QVERIFY2(SheetReaderProcess::read(file, -1, &data, &error, [&waited] { ++waited; }), qPrintable(error));
    QCOMPARE(data.sheets().size(), 2);
    QCOMPARE(data.titles(), QStringList{QStringLiteral("客户名称")});
    QCOMPARE(data.record(0).cellText(0), QStringLiteral("张三"));
    QVERIFY2(SheetReaderProcess::read(file, 1, &data, &error), qPrintable(error));
    QCOMPARE(data.titles(), QStringList{QStringLiteral("另一张")});
    QVERIFY(!SheetReaderProcess::read(path(QStringLiteral("没有.xls")), -1, &data, &error));
    QVERIFY2(error.startsWith(QStringLiteral("无法读取文件 ") + path(QStringLiteral("没有.xls")) +
                              QStringLiteral("：")),
             qPrintable(error));
}

void TestSheetReading::readerProcessFailuresBecomeErrors_data()
{
    QTest::addColumn<QString>("behaviour");
    QTest::addColumn<QString>("reasonPart");
    QTest::newRow("crash") << QStringLiteral("crash") << QStringLiteral("意外结束");
    // Ended by its processor-time limit, or on a busy machine by the wall-clock one first.
    QTest::newRow("endless loop") << QStringLiteral("spin") << QStringLiteral("意外结束|秒");
    QTest::newRow("waits for ever") << QStringLiteral("sleep") << QStringLiteral("秒");
    QTest::newRow("endless output") << QStringLiteral("flood") << QStringLiteral("不合常理");
    QTest::newRow("garbage") << QStringLiteral("garbage") << QStringLiteral("无法识别");
    QTest::newRow("no word") << QStringLiteral("silent") << QStringLiteral("无法识别");
}

void TestSheetReading::readerProcessFailuresBecomeErrors()
{
    QFETCH(QString, behaviour);
    QFETCH(QString, reasonPart);
    const QByteArray saved = qgetenv("ZU_SHEETREADER");
    qputenv("ZU_SHEETREADER", ZU_MISBEHAVING_READER);
    const QString file = path(behaviour + QStringLiteral(".xls"));
    QVERIFY(writeFile(file, "x"));
    const SheetReadLimits limits{
        .memoryBytes = 512ll << 20, .cpuSeconds = 1, .wallSeconds = 3, .outputBytes = 1 << 20};
    SheetData data;
    QString error;
    QElapsedTimer t;
    t.start();
    const bool read = SheetReaderProcess::read(file, -1, &data, &error, limits);
    qputenv("ZU_SHEETREADER", saved);
    QVERIFY(!read);
    QVERIFY2(t.elapsed() < 10000, qPrintable(QString::number(t.elapsed())));
    QVERIFY2(error.startsWith(QStringLiteral("无法读取文件 ") + file + QStringLiteral("：")),
             qPrintable(error));
    QVERIFY2(error.contains(QRegularExpression(reasonPart)), qPrintable(error));
}

void TestSheetReading::readerProcessMemoryIsLimited()
{
    const QByteArray saved = qgetenv("ZU_SHEETREADER");
    qputenv("ZU_SHEETREADER", ZU_MISBEHAVING_READER);
    const QString file = path(QStringLiteral("allocate.xls"));
    QVERIFY(writeFile(file, "x"));
    const SheetReadLimits limits{
        .memoryBytes = 256ll << 20, .cpuSeconds = 10, .wallSeconds = 20, .outputBytes = 1 << 20};
    SheetData data;
    QString error;
    const bool read = SheetReaderProcess::read(file, -1, &data, &error, limits);
    qputenv("ZU_SHEETREADER", saved);
    QVERIFY(!read);
    // The stand-in says how much it got before the limit stopped it.
    const QRegularExpressionMatch got =
        QRegularExpression(QStringLiteral("allocated (\\d+) MB")).match(error);
    QVERIFY2(got.hasMatch(), qPrintable(error));
    QVERIFY2(got.captured(1).toInt() < 256, qPrintable(error));

    // The limits grow with the file, within bounds.
    const SheetReadLimits small = SheetReadLimits::forFileSize(5000);
    const SheetReadLimits large = SheetReadLimits::forFileSize(40ll << 20);
    QVERIFY(small.memoryBytes <= (1ll << 30));
    QVERIFY(large.memoryBytes > small.memoryBytes && large.memoryBytes <= (4ll << 30));
    QVERIFY(small.cpuSeconds <= 30 && large.cpuSeconds > small.cpuSeconds);
    QVERIFY(small.wallSeconds > small.cpuSeconds);
}

void TestSheetReading::readerProgramMissing()
{
    const QByteArray saved = qgetenv("ZU_SHEETREADER");
    qputenv("ZU_SHEETREADER", QFile::encodeName(path(QStringLiteral("没有这个程序"))));
    SheetData data;
    QString error;
    const bool read = SheetReaderProcess::read(path(QStringLiteral("a.xls")), -1, &data, &error);
    qputenv("ZU_SHEETREADER", saved);
    QVERIFY(!read);
    QVERIFY2(error.contains(QStringLiteral("无法启动读取程序")) &&
                 error.contains(QStringLiteral("没有这个程序")),
             qPrintable(error));
}

void TestSheetReading::onlyTheSheetsThereAreRead_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow(".xls") << QStringLiteral("两张.xls");
    QTest::newRow(".xlsx") << QStringLiteral("两张.xlsx");
    QTest::newRow(".csv") << QStringLiteral("一张.csv");
}

// A workbook's sheets are read by their number, the first and the last; one before the first or
// after the last is not there, and the reader says so.
void TestSheetReading::onlyTheSheetsThereAreRead()
{
    QFETCH(QString, name);
    const QString file = path(name);
    int sheets = 1;
    if (name.endsWith(QLatin1String(".csv"))) {
        QVERIFY(writeFile(file, "甲\n"));
    } else {
        const auto writer = StreamingSheetWriter::forFileName(file);
        for (const QString& sheet : {QStringLiteral("一"), QStringLiteral("二")}) {
            QVERIFY(writer->startSheet(sheet));
            QVERIFY(writer->writeText(0, 0, sheet));
        }
        QString error;
        QVERIFY2(writer->finish(file, &error), qPrintable(error));
        sheets = 2;
    }
    QString error;
    const std::unique_ptr<WorkbookFile> book = WorkbookFile::open(file, &error);
    QVERIFY2(book, qPrintable(error));
    QCOMPARE(book->sheets().size(), sheets);
    for (const SheetInfo& sheet : book->sheets())
        QVERIFY2(!sheet.hidden, qPrintable(sheet.name)); // none was written hidden
    SheetTable table;
    for (int index = 0; index < sheets; ++index) {
        QVERIFY2(book->readSheet(index, &table, &error), qPrintable(error));
        QCOMPARE(table.rows.value(0).value(0), sheets == 1 ? QStringLiteral("甲") : table.name);
    }
    for (const int missing : {-1, sheets}) {
        table.name = QStringLiteral("上一张");
        QVERIFY(!book->readSheet(missing, &table, &error));
        QCOMPARE(error, QStringLiteral("文件中没有第 %1 个工作表").arg(missing + 1));
    }
    // The reader program streams the last sheet, and refuses the one after it before it writes
    // anything.
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QVERIFY(!writeSheetStream(*book, sheets, &out, &error));
    QCOMPARE(error, QStringLiteral("文件中只有 %1 个工作表，没有第 %2 个").arg(sheets).arg(sheets + 1));
    QVERIFY(out.data().isEmpty());
    QVERIFY2(writeSheetStream(*book, sheets - 1, &out, &error), qPrintable(error));
    QVERIFY(!out.data().isEmpty());
}

QTEST_GUILESS_MAIN(TestSheetReading)
#include "tst_sheetreading.moc"
