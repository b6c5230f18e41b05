#include "freexlbook.h"
#include "spreadsheet/compoundfile.h"
#include "spreadsheet/compoundfilereader.h"
#include "spreadsheet/spreadsheetreader.h"
#include "spreadsheet/spreadsheetwriter.h"
#include "spreadsheet/xlsstreamwriter.h"
#include "spreadsheet/xlsxsheetcount.h"
#include "storedzip.h"
#include "support/filesizelimit.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unistd.h>

using namespace zu;

namespace {

quint16 u16At(const QByteArray& bytes, qsizetype pos)
{
    return qFromLittleEndian<quint16>(bytes.constData() + pos);
}

quint32 u32At(const QByteArray& bytes, qsizetype pos)
{
    return qFromLittleEndian<quint32>(bytes.constData() + pos);
}

struct Record
{
    quint16 type;
    qsizetype position;
    QByteArray body;
};

// Splits a BIFF stream into records, stopping at zero padding after the last EOF.
QList<Record> recordsOf(const QByteArray& stream)
{
    QList<Record> records;
    qsizetype pos = 0;
    while (pos + 4 <= stream.size()) {
        const quint16 type = u16At(stream, pos);
        const quint16 length = u16At(stream, pos + 2);
        if (type == 0 && length == 0)
            break;
        records.append({type, pos, stream.mid(pos + 4, length)});
        pos += 4 + length;
    }
    return records;
}

// The shared strings as MS-XLS describes their reading: a string whose characters reach the end of
// a record goes on in the next CONTINUE record after a fresh flags byte.
struct SstContents
{
    quint32 references = 0;
    QStringList strings;
    int continueRecords = 0;
    QList<QChar> unitsBeforeSplits;
};

bool decodeSst(const QList<Record>& records, SstContents* out)
{
    auto it =
        std::find_if(records.cbegin(), records.cend(), [](const Record& r) { return r.type == 0x00FC; });
    if (it == records.cend() || it->body.size() < 8)
        return false;
    QByteArray body = it->body;
    out->references = u32At(body, 0);
    const quint32 unique = u32At(body, 4);
    qsizetype pos = 8;
    auto nextRecord = [&]() {
        ++it;
        if (it == records.cend() || it->type != 0x003C)
            return false;
        ++out->continueRecords;
        body = it->body;
        pos = 0;
        return true;
    };
    for (quint32 i = 0; i < unique; ++i) {
        if (pos == body.size() && !nextRecord())
            return false;
        if (pos + 3 > body.size())
            return false; // a header is never split
        const quint16 count = u16At(body, pos);
        quint8 flags = static_cast<quint8>(body.at(pos + 2));
        if (flags & 0x0C)
            return false; // no rich text or phonetic data is written
        pos += 3;
        QString text;
        while (text.size() < count) {
            if (pos == body.size()) {
                out->unitsBeforeSplits.append(text.isEmpty() ? QChar() : text.back());
                if (!nextRecord() || body.isEmpty())
                    return false;
                flags = static_cast<quint8>(body.at(0));
                pos = 1;
            }
            if (flags & 0x01) {
                if (pos + 2 > body.size())
                    return false;
                text.append(QChar(u16At(body, pos)));
                pos += 2;
            } else {
                text.append(QChar(static_cast<uchar>(body.at(pos))));
                pos += 1;
            }
        }
        out->strings.append(text);
    }
    return pos == body.size() && (it + 1 == records.cend() || (it + 1)->type != 0x003C);
}

// Reads a compound file back by its own rules: header, DIFAT, FAT chain of the directory and of
// the one stream. Every step that does not hold fails the calling test.
struct CompoundFileView
{
    QByteArray file;
    quint32 fatSectors = 0;
    quint32 difatSectors = 0;
    QString streamName;
    QString rootName;
    QByteArray stream;
};

QByteArray sector(const QByteArray& file, quint32 index)
{
    return file.mid(512 + static_cast<qsizetype>(index) * 512, 512);
}

bool readCompoundFile(const QByteArray& file, CompoundFileView* view)
{
    view->file = file;
    if (file.size() < 512 || (file.size() - 512) % 512 != 0)
        return false;
    if (file.left(8) != QByteArray::fromHex("D0CF11E0A1B11AE1"))
        return false;
    if (u16At(file, 0x1A) != 3 || u16At(file, 0x1C) != 0xFFFE || u16At(file, 0x1E) != 9 ||
        u16At(file, 0x20) != 6)
        return false;
    if (u32At(file, 0x38) != 4096)
        return false;
    view->fatSectors = u32At(file, 0x2C);
    view->difatSectors = u32At(file, 0x48);

    QList<quint32> fatLocations;
    for (int i = 0; i < 109 && static_cast<quint32>(fatLocations.size()) < view->fatSectors; ++i)
        fatLocations.append(u32At(file, 0x4C + i * 4));
    quint32 difat = u32At(file, 0x44);
    for (quint32 d = 0; d < view->difatSectors; ++d) {
        const QByteArray s = sector(file, difat);
        for (int i = 0; i < 127 && static_cast<quint32>(fatLocations.size()) < view->fatSectors; ++i)
            fatLocations.append(u32At(s, i * 4));
        difat = u32At(s, 127 * 4);
    }
    if (view->difatSectors > 0 && difat != cfb::kEndOfChain)
        return false;
    if (static_cast<quint32>(fatLocations.size()) != view->fatSectors)
        return false;

    QByteArray fat;
    for (const quint32 location : fatLocations)
        fat += sector(file, location);
    const quint32 totalSectors = static_cast<quint32>((file.size() - 512) / 512);
    auto next = [&](quint32 s) { return u32At(fat, static_cast<qsizetype>(s) * 4); };
    for (const quint32 location : fatLocations) {
        if (next(location) != cfb::kFatSector)
            return false;
    }
    auto chain = [&](quint32 start, QByteArray* out) {
        quint32 s = start;
        for (quint32 steps = 0; s != cfb::kEndOfChain; ++steps) {
            if (s >= totalSectors || steps > totalSectors)
                return false;
            *out += sector(file, s);
            s = next(s);
        }
        return true;
    };

    QByteArray directory;
    if (!chain(u32At(file, 0x30), &directory))
        return false;
    auto entryName = [&](int entry) {
        const QByteArray e = directory.mid(entry * 128, 128);
        const int bytes = u16At(e, 64);
        return QString(reinterpret_cast<const QChar*>(e.constData()), std::max(0, bytes / 2 - 1));
    };
    view->rootName = entryName(0);
    if (static_cast<quint8>(directory.at(66)) != 5)
        return false;
    const quint32 child = u32At(directory, 76);
    if (child == 0xFFFFFFFF || static_cast<qsizetype>(child + 1) * 128 > directory.size())
        return false;
    const QByteArray entry = directory.mid(child * 128, 128);
    if (static_cast<quint8>(entry.at(66)) != 2)
        return false;
    view->streamName = entryName(static_cast<int>(child));
    const quint32 size = u32At(entry, 120);
    if (size < 4096)
        return false; // would live in the mini stream
    if (!chain(u32At(entry, 116), &view->stream))
        return false;
    if (view->stream.size() < size || view->stream.size() - size >= 512)
        return false;
    view->stream.truncate(size);
    return true;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The Workbook stream of the file the writer makes, as the compound file holds it.
QByteArray workbookStream(SpreadsheetWriter& writer)
{
    CompoundFileView view;
    if (!readCompoundFile(writer.toBytes(), &view))
        return {};
    return view.stream;
}

QString freexlText(const FreeXL_CellValue& value)
{
    return QString::fromUtf8(value.value.text_value);
}

// The two formats a list is exported in, as data rows of a test.
void addFormatRows()
{
    QTest::addColumn<QString>("suffix");
    QTest::newRow("xls") << QStringLiteral(".xls");
    QTest::newRow("xlsx") << QStringLiteral(".xlsx");
}

// The words of a file not written: the file named, and the reason in Chinese, not the system's
// English ("Unknown error").
void checkNotWrittenInChinese(const QString& error, const QString& file)
{
    const QString start = QStringLiteral("无法写入文件 %1：").arg(file);
    QVERIFY2(error.startsWith(start), qPrintable(error));
    QVERIFY2(!error.mid(start.size()).contains(QRegularExpression(QStringLiteral("[A-Za-z]{3,}"))),
             qPrintable(error));
}

std::unique_ptr<SpreadsheetWriter> writerFor(const QString& suffix)
{
    if (suffix == QLatin1String(".xlsx"))
        return std::make_unique<XlsxWriter>();
    return std::make_unique<XlsWriter>();
}

} // namespace

class TestXls final : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QString saved(SpreadsheetWriter& writer, const QString& name)
    {
        const QString file = path(name);
        QString error;
        if (!writer.save(file, &error))
            qWarning() << error;
        return file;
    }

private slots:
    void textSurvivesAsUnicode();
    void numbersKeepTheirValueAndKind_data();
    void numbersKeepTheirValueAndKind();
    void emptyCellsStayEmpty();
    void longTextGoesOnInContinueRecords_data();
    void longTextGoesOnInContinueRecords();
    void surrogatePairsAreNotSplit();
    void manyDistinctStringsAndTheirIndex();
    void allColumnsOfARow();
    void columnLimit();
    void rowLimit();
    void refusedValues();
    void sheetNames_data();
    void sheetNames();
    void tensOfThousandsOfRows();
    void largeFileNeedsDifat();
    void smallFileStructure();
    void columnWidths();
    void sheetDimensionsAreTheUsedRange();
    void boldCellsUseTheBoldFont();
    void saveReplacesAnExistingFile();
    void saveFailureNamesFileAndReason();
    void readOnlyFileIsNotReplaced();
    void streamStoresAColumnsRepeatedShortTextsOnce();
    void cellsOutOfPlaceAreRefusedByTheStream_data();
    void cellsOutOfPlaceAreRefusedByTheStream();
    void latinTextsTakeOneByteACharacter();
    void columnWidthsOutsideTheSheetAreRefused_data();
    void columnWidthsOutsideTheSheetAreRefused();
    void fullDiskWhileSpoolingIsReported_data();
    void fullDiskWhileSpoolingIsReported();
    void fullDiskWhileCompletingKeepsTheEarlierFile_data();
    void fullDiskWhileCompletingKeepsTheEarlierFile();
    void fullDiskWhileCompletingIsReported_data();
    void fullDiskWhileCompletingIsReported();
    void noTemporaryFolder_data();
    void noTemporaryFolder();
    void fullDiskWhileWritingTheChosenFile();
    void refusedSheetTakesNoCells_data();
    void refusedSheetTakesNoCells();
    void xlsxSheetsAreCountedAgain();
    void damagedXlsxSheetsAreNotCounted_data();
    void damagedXlsxSheetsAreNotCounted();
    void factoryChoosesTheFormatByName();
    void severalSheets();
    void compoundFileReaderFindsTheStream_data();
    void compoundFileReaderFindsTheStream();
    void compoundFileReaderRefusesDamage();
    void compoundFileReaderStopsAtTheLastSector();
    void longTextsReadBackWhole_data();
    void longTextsReadBackWhole();
    void overlongTextIsCutWithAMark_data();
    void overlongTextIsCutWithAMark();
};

void TestXls::textSurvivesAsUnicode()
{
    const QStringList texts = {QStringLiteral("客户信息"),
                               QStringLiteral("O'Brien"),
                               QStringLiteral("'0123"),
                               QStringLiteral("维修记录：洗衣机「滚筒」不转 — 已更换电机"),
                               QStringLiteral("Ünïcødé €"),
                               QStringLiteral("a\nb\tc"),
                               QStringLiteral("\"quoted\", comma")};
    XlsWriter writer;
    QVERIFY(writer.setSheetName(QStringLiteral("客户信息2024")));
    for (int i = 0; i < texts.size(); ++i)
        QVERIFY(writer.writeText(i, i % 3, texts[i]));
    const QString file = saved(writer, QStringLiteral("text.xls"));

    FreexlBook book(file);
    QCOMPARE(book.openResult(), FREEXL_OK);
    QCOMPARE(book.info(FREEXL_BIFF_VERSION), static_cast<unsigned>(FREEXL_BIFF_VER_8));
    QCOMPARE(book.info(FREEXL_BIFF_CODEPAGE), static_cast<unsigned>(FREEXL_BIFF_UTF16LE));
    QCOMPARE(book.info(FREEXL_BIFF_SHEET_COUNT), 1u);
    QCOMPARE(book.sheetName(0), QStringLiteral("客户信息2024"));
    unsigned int rows = 0;
    unsigned short columns = 0;
    QVERIFY(book.dimensions(&rows, &columns));
    QCOMPARE(rows, static_cast<unsigned>(texts.size()));
    QCOMPARE(columns, 3);
    for (int i = 0; i < texts.size(); ++i) {
        const FreeXL_CellValue value = book.cell(i, i % 3);
        QCOMPARE(value.type, FREEXL_CELL_SST_TEXT);
        QCOMPARE(freexlText(value), texts[i]);
    }
}

void TestXls::numbersKeepTheirValueAndKind_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("integer");
    QTest::newRow("zero") << 0.0 << true;
    QTest::newRow("one") << 1.0 << true;
    QTest::newRow("negative whole") << -42.0 << true;
    QTest::newRow("largest RK integer") << 536870911.0 << true;
    QTest::newRow("smallest RK integer") << -536870912.0 << true;
    QTest::newRow("just above RK range") << 536870912.0 << false;
    QTest::newRow("just below RK range") << -536870913.0 << false;
    QTest::newRow("phone number") << 13812345678.0 << false;
    QTest::newRow("large whole") << 1e15 << false;
    QTest::newRow("decimal") << 99.9 << false;
    QTest::newRow("negative decimal") << -0.5 << false;
    QTest::newRow("tiny") << 1e-10 << false;
    QTest::newRow("largest double") << 1.7976931348623157e308 << false;
    QTest::newRow("negative zero") << -0.0 << false;
}

void TestXls::numbersKeepTheirValueAndKind()
{
    QFETCH(double, value);
    QFETCH(bool, integer);
    XlsWriter writer;
    QVERIFY(writer.writeText(0, 0, QStringLiteral("金额")));
    QVERIFY(writer.writeNumber(1, 0, value));
    QVERIFY(writer.writeNumber(1, 1, value));
    const QString file = saved(writer, QStringLiteral("number.xls"));

    FreexlBook book(file);
    QCOMPARE(book.openResult(), FREEXL_OK);
    unsigned int rows = 0;
    unsigned short columns = 0;
    QVERIFY(book.dimensions(&rows, &columns));
    for (unsigned short c = 0; c < 2; ++c) {
        const FreeXL_CellValue cell = book.cell(1, c);
        if (integer) {
            QCOMPARE(cell.type, FREEXL_CELL_INT);
            QCOMPARE(static_cast<double>(cell.value.int_value), value);
        } else {
            QCOMPARE(cell.type, FREEXL_CELL_DOUBLE);
            QVERIFY2(std::memcmp(&cell.value.double_value, &value, sizeof value) == 0,
                     qPrintable(QString::number(cell.value.double_value, 'g', 17)));
        }
    }
}

void TestXls::emptyCellsStayEmpty()
{
    XlsWriter writer;
    QVERIFY(writer.writeText(0, 0, QStringLiteral("编号")));
    QVERIFY(writer.writeText(0, 3, QStringLiteral("备注")));
    QVERIFY(writer.writeNumber(2, 1, 7));
    QVERIFY(writer.writeText(3, 2, QString())); // empty text: an empty cell
    QVERIFY(writer.writeText(4, 4, QStringLiteral("最后")));
    const QString file = saved(writer, QStringLiteral("empty.xls"));

    FreexlBook book(file);
    QCOMPARE(book.openResult(), FREEXL_OK);
    unsigned int rows = 0;
    unsigned short columns = 0;
    QVERIFY(book.dimensions(&rows, &columns));
    QCOMPARE(rows, 5u);
    QCOMPARE(columns, 5);
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            const FreeXL_CellValue cell = book.cell(r, c);
            const bool filled = (r == 0 && (c == 0 || c == 3)) || (r == 2 && c == 1) || (r == 4 && c == 4);
            QVERIFY2((cell.type != FREEXL_CELL_NULL) == filled,
                     qPrintable(QStringLiteral("%1,%2").arg(r).arg(c)));
        }
    }
    QCOMPARE(book.cell(2, 1).type, FREEXL_CELL_INT);
    QCOMPARE(book.cell(2, 1).value.int_value, 7);
}

void TestXls::longTextGoesOnInContinueRecords_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("text");
    // 8224 bytes per record; the first also holds the two counts and the strings before.
    QTest::newRow("exactly one record") << QString() << QString(4106, QChar(0x5BA2));
    QTest::newRow("one unit over") << QString() << QString(4107, QChar(0x5BA2));
    QTest::newRow("latin, one byte a character") << QString() << QString(8210, QLatin1Char('b'));
    QTest::newRow("chinese 5000") << QStringLiteral("前") << QString(5000, QChar(0x7EF4));
    QString mixed;
    for (int i = 0; i < 7000; ++i)
        mixed += i % 2 ? QStringLiteral("客") : QStringLiteral("A");
    QTest::newRow("mixed after short") << QStringLiteral("短") << mixed;
    QTest::newRow("chinese 20000") << QString() << QString(20000, QChar(0x7EF4));
    QTest::newRow("latin 32767") << QStringLiteral("x") << QString(32767, QLatin1Char('a'));
}

void TestXls::longTextGoesOnInContinueRecords()
{
    QFETCH(QString, before);
    QFETCH(QString, text);
    XlsWriter writer;
    if (!before.isEmpty())
        QVERIFY(writer.writeText(0, 0, before));
    QVERIFY(writer.writeText(1, 0, text));
    QVERIFY(writer.writeText(2, 0, QStringLiteral("之后")));

    const QList<Record> records = recordsOf(workbookStream(writer));
    SstContents sst;
    QVERIFY(decodeSst(records, &sst));
    const QStringList expected =
        (before.isEmpty() ? QStringList() : QStringList{before}) + QStringList{text, QStringLiteral("之后")};
    QCOMPARE(sst.strings, expected);
    for (const QChar unit : sst.unitsBeforeSplits)
        QVERIFY(!unit.isHighSurrogate());
    // Texts of Latin-1 characters take one byte a character, others two.
    auto bytesOf = [](const QString& t) {
        const bool latin = std::all_of(t.cbegin(), t.cend(), [](QChar c) { return c.unicode() < 0x100; });
        return 3 + (latin ? 1 : 2) * t.size();
    };
    const qsizetype bytes = 8 + (before.isEmpty() ? 0 : bytesOf(before)) + bytesOf(text) + 3 + 4;
    QCOMPARE(sst.continueRecords > 0, bytes > 8224);
    // Records are filled before the next one starts: only the last can be short.
    auto sstRecord =
        std::find_if(records.cbegin(), records.cend(), [](const Record& r) { return r.type == 0x00FC; });
    for (int i = 0; i < sst.continueRecords; ++i)
        QVERIFY((sstRecord + i)->body.size() >= 8224 - 6);

    // FreeXL 1.0.6 cannot read a string that spans more than two records (LibreOffice's files
    // fail the same way); LibreOffice and xlrd read these files correctly.
    if (sst.continueRecords > 1)
        return;
    const QString file = saved(writer, QStringLiteral("long.xls"));
    FreexlBook book(file);
    QCOMPARE(book.openResult(), FREEXL_OK);
    unsigned int rows = 0;
    unsigned short columns = 0;
    QVERIFY(book.dimensions(&rows, &columns));
    if (!before.isEmpty())
        QCOMPARE(freexlText(book.cell(0, 0)), before);
    QCOMPARE(freexlText(book.cell(1, 0)), text);
    QCOMPARE(freexlText(book.cell(2, 0)), QStringLiteral("之后"));
}

void TestXls::surrogatePairsAreNotSplit()
{
    // With an odd shift the record boundary would fall inside a pair.
    for (int shift = 0; shift < 2; ++shift) {
        XlsWriter writer;
        QString text = QString(shift, QLatin1Char('x'));
        while (text.size() < 5000)
            text += QString::fromUcs4(U"😀");
        QVERIFY(writer.writeText(0, 0, text));
        QVERIFY(writer.writeText(1, 0, QStringLiteral("后")));
        SstContents sst;
        QVERIFY(decodeSst(recordsOf(workbookStream(writer)), &sst));
        QCOMPARE(sst.unitsBeforeSplits.size(), 1);
        QVERIFY(!sst.unitsBeforeSplits.first().isHighSurrogate());

        const QString file = saved(writer, QStringLiteral("pairs%1.xls").arg(shift));
        FreexlBook book(file);
        QCOMPARE(book.openResult(), FREEXL_OK);
        unsigned int rows = 0;
        unsigned short columns = 0;
        QVERIFY(book.dimensions(&rows, &columns));
        QCOMPARE(freexlText(book.cell(0, 0)), text);
        QCOMPARE(freexlText(book.cell(1, 0)), QStringLiteral("后"));
    }
}

void TestXls::manyDistinctStringsAndTheirIndex()
{
    XlsWriter writer;
    constexpr int kRows = 12000;
    for (int r = 0; r < kRows; ++r) {
        QVERIFY(writer.writeText(r, 0, QStringLiteral("客户%1").arg(r)));
        QVERIFY(writer.writeText(r, 1, r % 2 ? QStringLiteral("男") : QStringLiteral("女")));
    }
    const QByteArray stream = workbookStream(writer);
    const QList<Record> records = recordsOf(stream);
    // A column's recent texts are stored once: "男" and "女" take one entry each.
    QStringList strings;
    for (int r = 0; r < kRows; ++r) {
        strings << QStringLiteral("客户%1").arg(r);
        if (r < 2)
            strings << (r % 2 ? QStringLiteral("男") : QStringLiteral("女"));
    }

    // Every EXTSST bucket points at the header of its first string, in the record that holds it.
    auto sst =
        std::find_if(records.cbegin(), records.cend(), [](const Record& r) { return r.type == 0x00FC; });
    QVERIFY(sst != records.cend());
    QCOMPARE(u32At(sst->body, 0), static_cast<quint32>(2 * kRows));
    QCOMPARE(u32At(sst->body, 4), static_cast<quint32>(strings.size()));
    auto ext =
        std::find_if(records.cbegin(), records.cend(), [](const Record& r) { return r.type == 0x00FF; });
    QVERIFY(ext != records.cend());
    const int bucketSize = u16At(ext->body, 0);
    QVERIFY(bucketSize >= 8);
    const qsizetype buckets = (ext->body.size() - 2) / 8;
    QVERIFY(buckets <= 128);
    QCOMPARE(buckets, (strings.size() + bucketSize - 1) / bucketSize);
    for (qsizetype b = 0; b < buckets; ++b) {
        const quint32 streamPos = u32At(ext->body, 2 + b * 8);
        const quint16 inRecord = u16At(ext->body, 2 + b * 8 + 4);
        const auto holder = std::find_if(records.cbegin(), records.cend(),
                                         [&](const Record& r) { return r.position + inRecord == streamPos; });
        QVERIFY2(holder != records.cend() && (holder->type == 0x00FC || holder->type == 0x003C),
                 qPrintable(QString::number(b)));
        const QString& first = strings.at(b * bucketSize);
        QCOMPARE(u16At(stream, streamPos), static_cast<quint16>(first.size()));
        QCOMPARE(static_cast<quint8>(stream.at(streamPos + 2)), 0x01);
        QCOMPARE(QString(reinterpret_cast<const QChar*>(stream.constData() + streamPos + 3), 1),
                 first.left(1));
    }

    const QString file = saved(writer, QStringLiteral("strings.xls"));
    FreexlBook book(file);
    QCOMPARE(book.openResult(), FREEXL_OK);
    QCOMPARE(book.info(FREEXL_BIFF_STRING_COUNT), static_cast<unsigned>(strings.size()));
    unsigned int rows = 0;
    unsigned short columns = 0;
    QVERIFY(book.dimensions(&rows, &columns));
    QCOMPARE(rows, static_cast<unsigned>(kRows));
    for (int r = 0; r < kRows; ++r) {
        QCOMPARE(freexlText(book.cell(r, 0)), QStringLiteral("客户%1").arg(r));
        QCOMPARE(freexlText(book.cell(r, 1)), r % 2 ? QStringLiteral("男") : QStringLiteral("女"));
    }
}

void TestXls::allColumnsOfARow()
{
    XlsWriter writer;
    for (int c = 0; c < 256; ++c) {
        QVERIFY(writer.writeText(0, c, QStringLiteral("列%1").arg(c)));
        QVERIFY(writer.writeNumber(1, c, c * 1.5));
    }
    const QString file = saved(writer, QStringLiteral("columns.xls"));
    FreexlBook book(file);
    QCOMPARE(book.openResult(), FREEXL_OK);
    unsigned int rows = 0;
    unsigned short columns = 0;
    QVERIFY(book.dimensions(&rows, &columns));
    QCOMPARE(rows, 2u);
    QCOMPARE(columns, 256);
    for (unsigned short c = 0; c < 256; ++c) {
        QCOMPARE(freexlText(book.cell(0, c)), QStringLiteral("列%1").arg(c));
        const FreeXL_CellValue number = book.cell(1, c);
        if (c % 2 == 0) {
            QCOMPARE(number.type, FREEXL_CELL_INT);
            QCOMPARE(number.value.int_value, c * 3 / 2);
        } else {
            QCOMPARE(number.type, FREEXL_CELL_DOUBLE);
            QCOMPARE(number.value.double_value, c * 1.5);
        }
    }
}

void TestXls::columnLimit()
{
    XlsWriter writer;
    QCOMPARE(writer.maxColumns(), 256);
    QVERIFY(writer.writeText(0, 255, QStringLiteral("最后一列")));
    QVERIFY(!writer.writeText(0, 256, QStringLiteral("多一列")));
    QVERIFY2(writer.error().contains(QStringLiteral("257")) && writer.error().contains(QStringLiteral("256")),
             qPrintable(writer.error()));
    QVERIFY(!writer.writeNumber(3, 300, 1));
    QVERIFY(!writer.setColumnWidthPixels(256, 80));
    QVERIFY(!writer.writeText(0, -1, QStringLiteral("负数")));

    QString error;
    QVERIFY(writer.toBytes(&error).isEmpty());
    QVERIFY2(error.contains(QStringLiteral("257")), qPrintable(error));
}

void TestXls::rowLimit()
{
    XlsWriter writer;
    QCOMPARE(writer.maxRows(), 65536);
    QVERIFY(writer.writeText(0, 0, QStringLiteral("标题")));
    QVERIFY(writer.writeNumber(65535, 0, 65535));
    QVERIFY(!writer.writeNumber(65536, 0, 65536));
    QVERIFY2(writer.error().contains(QStringLiteral("65537")) &&
                 writer.error().contains(QStringLiteral("65536")),
             qPrintable(writer.error()));
    const QString refusal = writer.error();

    // The refusal sticks: the export cannot end up with rows silently missing.
    QVERIFY(writer.writeText(1, 0, QStringLiteral("之后照常")));
    QVERIFY(writer.error().isEmpty());
    const QString file = path(QStringLiteral("rows.xls"));
    QString error;
    QVERIFY(!writer.save(file, &error));
    QVERIFY2(error.contains(refusal) && error.contains(file), qPrintable(error));
    QVERIFY(!QFile::exists(file));

    XlsWriter full;
    QVERIFY(full.writeText(0, 0, QStringLiteral("首行")));
    QVERIFY(full.writeText(65535, 255, QStringLiteral("末行末列")));
    const QString fullFile = saved(full, QStringLiteral("fullsize.xls"));
    FreexlBook book(fullFile);
    QCOMPARE(book.openResult(), FREEXL_OK);
    unsigned int rows = 0;
    unsigned short columns = 0;
    QVERIFY(book.dimensions(&rows, &columns));
    QCOMPARE(rows, 65536u);
    QCOMPARE(columns, 256);
    QCOMPARE(freexlText(book.cell(65535, 255)), QStringLiteral("末行末列"));
}

void TestXls::refusedValues()
{
    XlsWriter writer;
    QVERIFY(!writer.writeNumber(0, 0, std::nan("")));
    QVERIFY(!writer.error().isEmpty());
    QVERIFY(!writer.writeNumber(0, 1, INFINITY));
    QVERIFY(!writer.setColumnWidthPixels(0, -5));
    QString error;
    QVERIFY(writer.toBytes(&error).isEmpty());
    QVERIFY(!error.isEmpty());
}

void TestXls::sheetNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("chinese") << QStringLiteral("维修记录") << true;
    QTest::newRow("31 characters") << QString(31, QChar(0x5BA2)) << true;
    QTest::newRow("32 characters") << QString(32, QChar(0x5BA2)) << false;
    QTest::newRow("slash") << QStringLiteral("2024/03") << false;
    QTest::newRow("bracket") << QStringLiteral("客户[1]") << false;
    QTest::newRow("question mark") << QStringLiteral("谁?") << false;
    QTest::newRow("leading apostrophe") << QStringLiteral("'客户") << false;
    QTest::newRow("inner apostrophe") << QStringLiteral("O'Brien") << true;
    QTest::newRow("trailing apostrophe") << QStringLiteral("客户'") << false;
    QTest::newRow("inner space") << QStringLiteral("客户 列表") << true;
    QTest::newRow("tab") << QStringLiteral("客户\t列表") << false;
    QTest::newRow("unit separator") << QStringLiteral("客户\x1f列表") << false;
    QTest::newRow("colon") << QStringLiteral("12:30") << false;
    QTest::newRow("backslash") << QStringLiteral("甲\\乙") << false;
    QTest::newRow("star") << QStringLiteral("全部*") << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("blank") << QStringLiteral("  ") << false;
}

void TestXls::sheetNames()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    XlsWriter writer;
    QCOMPARE(writer.setSheetName(name), accepted);
    QVERIFY(writer.writeText(0, 0, QStringLiteral("内容")));
    const QString file = path(QStringLiteral("named.xls"));
    QString error;
    QCOMPARE(writer.save(file, &error), accepted);
    if (!accepted) {
        QVERIFY(!error.isEmpty());
        return;
    }
    FreexlBook book(file);
    QCOMPARE(book.openResult(), FREEXL_OK);
    QCOMPARE(book.sheetName(0), name);
}

void TestXls::tensOfThousandsOfRows()
{
    constexpr int kRows = 40000;
    XlsWriter writer;
    const QStringList titles = {QStringLiteral("编号"), QStringLiteral("姓名"), QStringLiteral("金额"),
                                QStringLiteral("次数"), QStringLiteral("备注")};
    for (int c = 0; c < titles.size(); ++c)
        QVERIFY(writer.writeBoldText(0, c, titles[c]));
    for (int r = 1; r < kRows; ++r) {
        QVERIFY(writer.writeText(r, 0, QStringLiteral("K%1").arg(r, 6, 10, QLatin1Char('0'))));
        QVERIFY(writer.writeText(r, 1, QStringLiteral("客户%1").arg(r % 977)));
        QVERIFY(writer.writeNumber(r, 2, r + 0.25));
        QVERIFY(writer.writeNumber(r, 3, r % 13));
        if (r % 5 == 0)
            QVERIFY(writer.writeText(r, 4, QStringLiteral("第%1条").arg(r)));
    }
    const QString file = saved(writer, QStringLiteral("rows40k.xls"));

    CompoundFileView view;
    QVERIFY(readCompoundFile(fileBytes(file), &view));
    QVERIFY2(view.fatSectors > 1, qPrintable(QString::number(view.fatSectors)));
    QCOMPARE(view.difatSectors, 0u);
    QCOMPARE(view.streamName, QStringLiteral("Workbook"));

    FreexlBook book(file);
    QCOMPARE(book.openResult(), FREEXL_OK);
    unsigned int rows = 0;
    unsigned short columns = 0;
    QVERIFY(book.dimensions(&rows, &columns));
    QCOMPARE(rows, static_cast<unsigned>(kRows));
    QCOMPARE(columns, 5);
    for (int c = 0; c < titles.size(); ++c)
        QCOMPARE(freexlText(book.cell(0, c)), titles[c]);
    for (int r = 1; r < kRows; ++r) {
        QCOMPARE(freexlText(book.cell(r, 0)), QStringLiteral("K%1").arg(r, 6, 10, QLatin1Char('0')));
        QCOMPARE(freexlText(book.cell(r, 1)), QStringLiteral("客户%1").arg(r % 977));
        const FreeXL_CellValue amount = book.cell(r, 2);
        QCOMPARE(amount.type, FREEXL_CELL_DOUBLE);
        QCOMPARE(amount.value.double_value, r + 0.25);
        const FreeXL_CellValue count = book.cell(r, 3);
        QCOMPARE(count.type, FREEXL_CELL_INT);
        QCOMPARE(count.value.int_value, r % 13);
        const FreeXL_CellValue note = book.cell(r, 4);
        if (r % 5 == 0)
            QCOMPARE(freexlText(note), QStringLiteral("第%1条").arg(r));
        else
            QCOMPARE(note.type, FREEXL_CELL_NULL);
    }
}

void TestXls::largeFileNeedsDifat()
{
    // More than 109 allocation-table sectors (7.1 MB of stream) need a DIFAT sector.
    constexpr int kRows = 60000;
    constexpr int kColumns = 9;
    XlsWriter writer;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c)
            QVERIFY(writer.writeNumber(r, c, r * 0.5 + c / 8.0 + 0.001));
    const QString file = saved(writer, QStringLiteral("difat.xls"));

    CompoundFileView view;
    QVERIFY(readCompoundFile(fileBytes(file), &view));
    QVERIFY2(view.fatSectors > 109, qPrintable(QString::number(view.fatSectors)));
    QVERIFY(view.difatSectors >= 1);

    FreexlBook book(file);
    QCOMPARE(book.openResult(), FREEXL_OK);
    unsigned int rows = 0;
    unsigned short columns = 0;
    QVERIFY(book.dimensions(&rows, &columns));
    QCOMPARE(rows, static_cast<unsigned>(kRows));
    QCOMPARE(columns, kColumns);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            const FreeXL_CellValue cell = book.cell(r, c);
            if (cell.type != FREEXL_CELL_DOUBLE || cell.value.double_value != r * 0.5 + c / 8.0 + 0.001)
                QFAIL(qPrintable(QStringLiteral("cell %1,%2").arg(r).arg(c)));
        }
    }
}

void TestXls::smallFileStructure()
{
    XlsWriter writer;
    QVERIFY(writer.setSheetName(QStringLiteral("投诉信息")));
    QVERIFY(writer.writeText(0, 0, QStringLiteral("小")));
    const QByteArray bytes = writer.toBytes();

    CompoundFileView view;
    QVERIFY(readCompoundFile(bytes, &view));
    QCOMPARE(view.rootName, QStringLiteral("Root Entry"));
    QCOMPARE(view.streamName, QStringLiteral("Workbook"));
    QCOMPARE(view.fatSectors, 1u);
    QCOMPARE(view.difatSectors, 0u);
    // A short workbook is padded with zeros to the size below which it would go in the mini stream.
    QCOMPARE(view.stream.size(), 4096);
    const QList<Record> records = recordsOf(view.stream);
    const qsizetype used = records.last().position + 4 + records.last().body.size();
    QVERIFY(used < 4096);
    QCOMPARE(view.stream.mid(used), QByteArray(4096 - used, '\0'));

    // Globals first, then the sheet where BOUNDSHEET says it starts.
    QCOMPARE(records.first().type, 0x0809);
    QCOMPARE(u16At(records.first().body, 0), 0x0600);
    QCOMPARE(u16At(records.first().body, 2), 0x0005);
    auto codePage =
        std::find_if(records.cbegin(), records.cend(), [](const Record& r) { return r.type == 0x0042; });
    QVERIFY(codePage != records.cend());
    QCOMPARE(u16At(codePage->body, 0), 1200);
    const auto xfCount =
        std::count_if(records.cbegin(), records.cend(), [](const Record& r) { return r.type == 0x00E0; });
    QVERIFY(xfCount >= 16);
    auto bound =
        std::find_if(records.cbegin(), records.cend(), [](const Record& r) { return r.type == 0x0085; });
    QVERIFY(bound != records.cend());
    const quint32 sheetStart = u32At(bound->body, 0);
    auto sheetBof = std::find_if(records.cbegin(), records.cend(),
                                 [&](const Record& r) { return r.position == sheetStart; });
    QVERIFY(sheetBof != records.cend());
    QCOMPARE(sheetBof->type, 0x0809);
    QCOMPARE(u16At(sheetBof->body, 2), 0x0010);
    QCOMPARE((sheetBof - 1)->type, 0x000A); // the globals' EOF
    QCOMPARE(records.last().type, 0x000A);
    QList<quint16> sheetTypes;
    for (auto it = sheetBof; it != records.cend(); ++it)
        sheetTypes.append(it->type);
    QVERIFY(sheetTypes.contains(0x0200)); // DIMENSIONS
    QVERIFY(sheetTypes.contains(0x023E)); // WINDOW2
    QVERIFY(sheetTypes.indexOf(0x0200) < sheetTypes.indexOf(0x00FD));

    FreexlBook book(path(QStringLiteral("small.xls")));
    QVERIFY(book.openResult() != FREEXL_OK); // not written yet: FreeXL must fail for a missing file
    const QString file = saved(writer, QStringLiteral("small.xls"));
    QCOMPARE(fileBytes(file), bytes);
    FreexlBook written(file);
    QCOMPARE(written.openResult(), FREEXL_OK);
    QCOMPARE(written.info(FREEXL_CFBF_SECTOR_SIZE), static_cast<unsigned>(FREEXL_CFBF_SECTOR_512));
    QCOMPARE(written.info(FREEXL_CFBF_VERSION), static_cast<unsigned>(FREEXL_CFBF_VER_3));
    QCOMPARE(written.sheetName(0), QStringLiteral("投诉信息"));
}

void TestXls::columnWidths()
{
    QCOMPARE(biffColumnWidth(7), 256);
    QCOMPARE(biffColumnWidth(0), 0);
    QCOMPARE(biffColumnWidth(70), 2560);
    QVERIFY(biffColumnWidth(64) > biffColumnWidth(63));
    QCOMPARE(biffColumnWidth(100000), 255 * 256); // the widest column a sheet allows

    XlsWriter writer;
    QVERIFY(writer.setColumnWidthPixels(0, 70));
    QVERIFY(writer.setColumnWidthPixels(3, 140));
    QVERIFY(writer.writeText(0, 0, QStringLiteral("宽")));
    QMap<int, int> widths;
    for (const Record& record : recordsOf(workbookStream(writer))) {
        if (record.type == 0x007D) {
            QCOMPARE(u16At(record.body, 0), u16At(record.body, 2));
            widths.insert(u16At(record.body, 0), u16At(record.body, 4));
        }
    }
    QCOMPARE(widths.size(), 2);
    QCOMPARE(widths.value(0), biffColumnWidth(70));
    QCOMPARE(widths.value(3), biffColumnWidth(140));
    FreexlBook book(saved(writer, QStringLiteral("widths.xls")));
    QCOMPARE(book.openResult(), FREEXL_OK);
}

// Each sheet's DIMENSIONS record gives the rows and columns its cells use (the ends one past the
// last); an empty sheet gives none.
void TestXls::sheetDimensionsAreTheUsedRange()
{
    XlsWriter writer;
    QVERIFY(writer.writeText(0, 3, QStringLiteral("一格")));
    QVERIFY(writer.addSheet(QStringLiteral("第二页")));
    QVERIFY(writer.writeText(2, 1, QStringLiteral("左上")));
    QVERIFY(writer.writeNumber(5, 4, 7));
    QVERIFY(writer.addSheet(QStringLiteral("空")));
    QList<QList<quint32>> dimensions;
    for (const Record& record : recordsOf(workbookStream(writer)))
        if (record.type == 0x0200)
            dimensions.append({u32At(record.body, 0), u32At(record.body, 4), u16At(record.body, 8),
                               u16At(record.body, 10)});
    QCOMPARE(dimensions, (QList<QList<quint32>>{{0, 1, 3, 4}, {2, 6, 1, 5}, {0, 0, 0, 0}}));
}

void TestXls::boldCellsUseTheBoldFont()
{
    XlsWriter writer;
    QVERIFY(writer.writeBoldText(0, 0, QStringLiteral("标题")));
    QVERIFY(writer.writeText(1, 0, QStringLiteral("内容")));
    QVERIFY(writer.writeNumber(1, 1, 3, CellStyle::Bold));
    const QList<Record> records = recordsOf(workbookStream(writer));
    QList<quint16> fontWeights;
    QList<quint16> xfFonts;
    QMap<QPair<int, int>, quint16> cellXf;
    for (const Record& record : records) {
        if (record.type == 0x0031)
            fontWeights.append(u16At(record.body, 6));
        else if (record.type == 0x00E0)
            xfFonts.append(u16At(record.body, 0));
        else if (record.type == 0x00FD || record.type == 0x027E || record.type == 0x0203)
            cellXf.insert({u16At(record.body, 0), u16At(record.body, 2)}, u16At(record.body, 4));
    }
    // FONT index 4 is never used; index n >= 5 is record n - 1.
    auto weightOfXf = [&](quint16 xf) {
        const quint16 font = xfFonts.value(xf);
        return fontWeights.value(font < 4 ? font : font - 1);
    };
    QCOMPARE(weightOfXf(cellXf.value({0, 0})), 700);
    QCOMPARE(weightOfXf(cellXf.value({1, 1})), 700);
    QCOMPARE(weightOfXf(cellXf.value({1, 0})), 400);

    FreexlBook book(saved(writer, QStringLiteral("bold.xls")));
    QCOMPARE(book.openResult(), FREEXL_OK);
    QCOMPARE(book.info(FREEXL_BIFF_XF_COUNT), static_cast<unsigned>(xfFonts.size()));
    unsigned int rows = 0;
    unsigned short columns = 0;
    QVERIFY(book.dimensions(&rows, &columns));
    QCOMPARE(freexlText(book.cell(0, 0)), QStringLiteral("标题"));
    QCOMPARE(book.cell(1, 1).type, FREEXL_CELL_INT);
}

void TestXls::saveReplacesAnExistingFile()
{
    const QString file = path(QStringLiteral("replace.xls"));
    {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'z'));
    }
    XlsWriter writer;
    QVERIFY(writer.writeText(0, 0, QStringLiteral("新内容")));
    QString error;
    QVERIFY2(writer.save(file, &error), qPrintable(error));
    QCOMPARE(fileBytes(file), writer.toBytes());
    FreexlBook book(file);
    QCOMPARE(book.openResult(), FREEXL_OK);
}

void TestXls::saveFailureNamesFileAndReason()
{
    XlsWriter writer;
    QVERIFY(writer.writeText(0, 0, QStringLiteral("内容")));

    const QString missing = path(QStringLiteral("没有这个文件夹/导出.xls"));
    QString error;
    QVERIFY(!writer.save(missing, &error));
    QVERIFY2(error.contains(missing), qPrintable(error));
    const QString reason = error.section(QStringLiteral("："), -1).trimmed();
    QVERIFY2(error.contains(QStringLiteral("：")) && !reason.isEmpty() && !missing.contains(reason),
             qPrintable(error));

    const QString folder = path(QStringLiteral("是文件夹.xls"));
    QVERIFY(QDir().mkpath(folder));
    error.clear();
    QVERIFY(!writer.save(folder, &error));
    QVERIFY2(error.contains(folder), qPrintable(error));
}

void TestXls::cellsOutOfPlaceAreRefusedByTheStream_data()
{
    addFormatRows();
}

// Texts of Latin-1 letters only are kept one byte a character, the others two: a long list of codes
// and phone numbers takes about half the room.
void TestXls::latinTextsTakeOneByteACharacter()
{
    const auto written = [this](const QString& name, QChar letter) -> qint64 {
        const QString file = path(name);
        const auto writer = StreamingSheetWriter::forFileName(file);
        if (!writer->startSheet(QStringLiteral("Sheet1")))
            return -1;
        for (int row = 0; row < 2000; ++row)
            if (!writer->writeText(
                    row, 0, QString(46, letter) + QStringLiteral("%1").arg(row, 4, 10, QLatin1Char('0'))))
                return -1;
        QString error;
        return writer->finish(file, &error) ? QFileInfo(file).size() : -1;
    };
    const qint64 latin = written(QStringLiteral("latin.xls"), QLatin1Char('e'));
    const qint64 accented = written(QStringLiteral("accented.xls"), QChar(0xE9)); // é, still Latin-1
    const qint64 chinese = written(QStringLiteral("chinese.xls"), QChar(0x5BA2));
    QVERIFY(latin > 0 && accented > 0 && chinese > 0);
    // 2000 texts of 50 characters: 100,000 characters in all, one byte more each when not Latin-1.
    QVERIFY2(chinese - latin > 90'000, qPrintable(QStringLiteral("%1 %2").arg(latin).arg(chinese)));
    QCOMPARE(accented, latin);
}

// A list is written cell after cell: a cell before the last one, outside the sheet or without a
// finite value is refused with the reason; the cells after it are taken, but the first refusal
// keeps the file from being written with cells missing.
void TestXls::cellsOutOfPlaceAreRefusedByTheStream()
{
    QFETCH(QString, suffix);
    const QString name = QStringLiteral("stream") + suffix;
    const auto writer = StreamingSheetWriter::forFileName(path(name));
    const int lastRow = writer->maxRows() - 1;
    QVERIFY(writer->writeText(0, 1, QStringLiteral("甲")));
    QVERIFY(writer->error().isEmpty());
    QVERIFY(!writer->writeText(0, 0, QStringLiteral("之前")));
    QVERIFY(writer->error().contains(QStringLiteral("不在上一个单元格之后")));
    QVERIFY(!writer->writeNumber(0, 1, 1));
    QVERIFY(!writer->writeBlank(0, 1, CellStyle::Normal));
    QVERIFY(!writer->writeText(-1, 2, QStringLiteral("负数")));
    QVERIFY(writer->error().contains(QStringLiteral("无效")));
    QVERIFY(!writer->writeNumber(0, 2, std::nan("")));
    QVERIFY(writer->error().contains(QStringLiteral("不是有限数")));
    QVERIFY(writer->writeNumber(0, 3, 2.5));
    QVERIFY(writer->writeBlank(1, 0, CellStyle::Bold));
    QVERIFY(!writer->writeText(1, writer->maxColumns(), QStringLiteral("多一列")));
    QVERIFY2(writer->error().contains(QStringLiteral("第 %1 列超出了").arg(writer->maxColumns() + 1)),
             qPrintable(writer->error()));
    QVERIFY(writer->writeText(1, writer->maxColumns() - 1, QStringLiteral("末列")));
    QVERIFY(!writer->writeBlank(lastRow + 1, 0, CellStyle::Normal));
    QVERIFY(writer->error().contains(QStringLiteral("第 %1 行超出了").arg(lastRow + 2)));
    QVERIFY(writer->writeText(lastRow, 0, QStringLiteral("末行")));
    QVERIFY(writer->error().isEmpty());
    const QString file = path(name);
    QString error;
    QVERIFY(!writer->finish(file, &error));
    QVERIFY2(error.contains(QStringLiteral("不在上一个单元格之后")), qPrintable(error));
    QVERIFY(!QFile::exists(file));
}

void TestXls::columnWidthsOutsideTheSheetAreRefused_data()
{
    addFormatRows();
}

void TestXls::columnWidthsOutsideTheSheetAreRefused()
{
    QFETCH(QString, suffix);
    const QString name = QStringLiteral("widths") + suffix;
    const auto refusal = [&](const QMap<int, int>& widths) {
        const auto writer = StreamingSheetWriter::forFileName(path(name));
        const bool started = writer->startSheet(QStringLiteral("Sheet1"), widths);
        return started ? QString() : writer->error();
    };
    const int last = StreamingSheetWriter::forFileName(path(name))->maxColumns() - 1;
    QCOMPARE(refusal({{0, 80}, {last, 80}}), QString());
    QVERIFY(refusal({{last + 1, 80}}).startsWith(QStringLiteral("第 %1 列超出了").arg(last + 2)));
    QVERIFY(refusal({{-1, 80}}).startsWith(QStringLiteral("第 0 列超出了")));
}

void TestXls::fullDiskWhileSpoolingIsReported_data()
{
    addFormatRows();
}

// The disk fills while a long list is spooled to temporary files. A limit on the size of the
// files this process writes stands in for the full disk; it is lifted again before the workbook
// is completed, so only the spooled part was short.
void TestXls::fullDiskWhileSpoolingIsReported()
{
    QFETCH(QString, suffix);
    const QString name = QStringLiteral("spool") + suffix;
    const QString file = path(name);
    const auto writer = StreamingSheetWriter::forFileName(file);
    QVERIFY(writer->startSheet(QStringLiteral("Sheet1")));
    {
        const zu::test::FileSizeLimit full(256 * 1024);
        QVERIFY(full.isSet());
        for (int row = 0; row < 60000; ++row) {
            writer->writeNumber(row, 0, row * 7.25);
            writer->writeText(row, 1, QStringLiteral("客户%1").arg(row));
        }
    }

    QString error;
    QVERIFY2(!writer->finish(file, &error), "a short temporary file was reported as written");
    QVERIFY2(error.startsWith(QStringLiteral("无法写入文件 %1：").arg(file)), qPrintable(error));
    QVERIFY2(error.contains(QStringLiteral("临时文件")), qPrintable(error));
    QVERIFY(!QFile::exists(file));
}

void TestXls::fullDiskWhileCompletingKeepsTheEarlierFile_data()
{
    addFormatRows();
}

// The disk fills while the spooled list becomes the workbook: the file the user chose keeps what
// it held, and nothing is reported written.
void TestXls::fullDiskWhileCompletingKeepsTheEarlierFile()
{
    QFETCH(QString, suffix);
    const QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("completing") + suffix);
    {
        QFile earlier(file);
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
    }
    const auto writer = StreamingSheetWriter::forFileName(file);
    QVERIFY(writer->startSheet(QStringLiteral("Sheet1")));
    for (int row = 0; row < 20000; ++row) {
        QVERIFY(writer->writeNumber(row, 0, row * 7.25));
        QVERIFY(writer->writeText(row, 1, QStringLiteral("客户%1").arg(row)));
    }
    QString error;
    {
        const zu::test::FileSizeLimit full(64 * 1024);
        QVERIFY(full.isSet());
        QVERIFY2(!writer->finish(file, &error), "a workbook cut short was reported as written");
    }
    QVERIFY2(error.startsWith(QStringLiteral("无法写入文件 %1：").arg(file)), qPrintable(error));
    QCOMPARE(fileBytes(file), QByteArray("earlier"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QFileInfo(file).fileName()});
}

// A column's repeated texts of up to 64 characters are stored once in the streamed workbook;
// longer ones every time they come. Each cell still names its text.
void TestXls::streamStoresAColumnsRepeatedShortTextsOnce()
{
    const QString file = path(QStringLiteral("repeated.xls"));
    const auto writer = StreamingSheetWriter::forFileName(file);
    const QString shortText = QString(63, QLatin1Char('a')) + QChar(0x7EF4);
    const QString longText = QString(64, QLatin1Char('b')) + QChar(0x7EF4);
    for (int row = 0; row < 10; ++row) {
        QVERIFY(writer->writeText(row, 0, shortText));
        QVERIFY(writer->writeText(row, 1, longText));
    }
    QString error;
    QVERIFY2(writer->finish(file, &error), qPrintable(error));
    CompoundFileView view;
    QVERIFY(readCompoundFile(fileBytes(file), &view));
    SstContents sst;
    QVERIFY(decodeSst(recordsOf(view.stream), &sst));
    QCOMPARE(sst.references, 20u);
    QCOMPARE(sst.strings.count(shortText), 1);
    QCOMPARE(sst.strings.count(longText), 10);
    SpreadsheetReader reader;
    QVERIFY2(reader.open(file, &error), qPrintable(error));
    QCOMPARE(reader.text(9, 0), shortText);
    QCOMPARE(reader.text(9, 1), longText);
}

void TestXls::fullDiskWhileCompletingIsReported_data()
{
    addFormatRows();
}

// The disk is full when the spooled list is made into the workbook: the reason is told in
// Chinese and the file is not written.
void TestXls::fullDiskWhileCompletingIsReported()
{
    QFETCH(QString, suffix);
    const QString file = path(QStringLiteral("completed") + suffix);
    const auto writer = StreamingSheetWriter::forFileName(file);
    for (int row = 0; row < 20000; ++row)
        QVERIFY(writer->writeText(row, 0, QStringLiteral("客户%1").arg(row)));
    QString error;
    bool written = true;
    {
        const zu::test::FileSizeLimit full(16 * 1024);
        QVERIFY(full.isSet());
        written = writer->finish(file, &error);
    }
    QVERIFY2(!written, "a file larger than the disk holds was reported as written");
    checkNotWrittenInChinese(error, file);
    QVERIFY(!QFile::exists(file));
}

void TestXls::noTemporaryFolder_data()
{
    addFormatRows();
}

// The list is spooled to temporary files first: where none can be made (the temporary folder is
// gone), the export says so before anything is written, and no file is left.
void TestXls::noTemporaryFolder()
{
    QFETCH(QString, suffix);
    const QString file = path(QStringLiteral("notemp") + suffix);
    // A file where the folder should be: nothing can be made in it, even by the administrator.
    const QString notAFolder = path(QStringLiteral("不是文件夹"));
    QVERIFY(writeBytes(notAFolder, "x"));
    const bool hadFolder = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray before = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(notAFolder));
    const auto restore = qScopeGuard([&] {
        if (hadFolder)
            qputenv("TMPDIR", before);
        else
            qunsetenv("TMPDIR");
    });
    const QString refused = QStringLiteral("无法生成文件 %1：无法创建临时文件").arg(file);

    const auto writer = StreamingSheetWriter::forFileName(file);
    QVERIFY(!writer->startSheet(QStringLiteral("Sheet1")));
    QVERIFY(!writer->writeText(0, 0, QStringLiteral("甲")));
    QString error;
    QVERIFY(!writer->finish(file, &error));
    QCOMPARE(writer->sheetCount(), 0);
    QVERIFY2(error.startsWith(refused), qPrintable(error));
    QVERIFY(!QFile::exists(file));

    // A workbook kept whole in memory is written through the same temporary files.
    const auto book = writerFor(suffix);
    QVERIFY(book->writeText(0, 0, QStringLiteral("甲")));
    error.clear();
    QVERIFY(!book->save(file, &error));
    QVERIFY2(error.startsWith(refused), qPrintable(error));
    QVERIFY(!QFile::exists(file));
}

void TestXls::refusedSheetTakesNoCells_data()
{
    addFormatRows();
}

// Cells after a refused sheet do not go on in the sheet before it; a sheet accepted later takes
// them again, but the file is not written, for the refusal.
void TestXls::refusedSheetTakesNoCells()
{
    QFETCH(QString, suffix);
    const QString file = path(QStringLiteral("refusedsheet") + suffix);
    const auto writer = StreamingSheetWriter::forFileName(file);
    QVERIFY(writer->startSheet(QStringLiteral("一")));
    QVERIFY(writer->writeText(0, 0, QStringLiteral("甲")));
    QVERIFY(!writer->startSheet(QStringLiteral("一")));
    QCOMPARE(writer->sheetCount(), 1);
    QVERIFY(!writer->writeText(1, 0, QStringLiteral("乙")));
    QCOMPARE(writer->error(), QStringLiteral("工作表没有建立，单元格（第 2 行，第 1 列）无法写入"));
    QVERIFY(writer->startSheet(QStringLiteral("二")));
    QCOMPARE(writer->sheetCount(), 2);
    QVERIFY(writer->writeText(0, 0, QStringLiteral("丙")));
    QString error;
    QVERIFY(!writer->finish(file, &error));
    QCOMPARE(error, QStringLiteral("无法生成文件 %1：工作表名称“一”已经用过").arg(file));
    QVERIFY(!QFile::exists(file));
}

// The temporary files are whole, and the disk fills while they become the file the user chose:
// the file keeps what it held, and the reason is told in Chinese.
void TestXls::fullDiskWhileWritingTheChosenFile()
{
    const QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("chosen.xls"));
    {
        QFile earlier(file);
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
    }
    const auto writer = StreamingSheetWriter::forFileName(file);
    for (int row = 0; row < 20000; ++row) {
        QVERIFY(writer->writeNumber(row, 0, row * 7.25));
        QVERIFY(writer->writeText(row, 1, QStringLiteral("客户%1").arg(row)));
    }
    QString error;
    bool written = true;
    {
        const zu::test::FileSizeLimit full(1200 * 1024);
        QVERIFY(full.isSet());
        written = writer->finish(file, &error);
    }
    QVERIFY2(!written, "a file larger than the disk holds was reported as written");
    checkNotWrittenInChinese(error, file);
    QCOMPARE(fileBytes(file), QByteArray("earlier"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QFileInfo(file).fileName()});
}

void TestXls::xlsxSheetsAreCountedAgain()
{
    // A workbook of our own writer: compressed parts, two sheets, a bold blank counts as a cell,
    // a text that holds "<row " and "<c " does not.
    const QString file = path(QStringLiteral("counted.xlsx"));
    const auto writer = StreamingSheetWriter::forFileName(file);
    QVERIFY(writer->startSheet(QStringLiteral("甲")));
    for (int row = 0; row < 3000; ++row) {
        QVERIFY(writer->writeText(row, 0, QStringLiteral("<row <c %1").arg(row)));
        if (row % 2 == 0)
            QVERIFY(writer->writeNumber(row, 3, row));
    }
    QVERIFY(writer->writeBlank(3000, 1, CellStyle::Bold));
    QVERIFY(writer->writeBlank(3001, 1, CellStyle::Normal));
    QVERIFY(writer->startSheet(QStringLiteral("乙")));
    QVERIFY(writer->writeText(5, 2, QStringLiteral("x")));
    QVERIFY(writer->startSheet(QStringLiteral("丙")));
    QString error;
    QVERIFY2(writer->finish(file, &error), qPrintable(error));
    std::vector<SheetTally> sheets;
    QVERIFY2(countXlsxSheets(file, &sheets, &error), qPrintable(error));
    QCOMPARE(sheets, (std::vector<SheetTally>{{.rows = 3001, .cells = 4501}, {.rows = 1, .cells = 1}, {}}));

    // Parts stored without compression, named out of order in the directory.
    const QByteArray sheet = "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"/><c r=\"B1\"/></row>"
                             "</sheetData></worksheet>";
    const QString stored = path(QStringLiteral("stored.xlsx"));
    QFile out(stored);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(zu::test::storedZip({{QStringLiteral("xl/worksheets/sheet2.xml"), "<worksheet></worksheet>"},
                                   {QStringLiteral("xl/workbook.xml"), "<workbook/>"},
                                   {QStringLiteral("xl/worksheets/sheet1.xml"), sheet}}));
    out.close();
    QVERIFY2(countXlsxSheets(stored, &sheets, &error), qPrintable(error));
    QCOMPARE(sheets, (std::vector<SheetTally>{{.rows = 1, .cells = 2}, {}}));

    // The same with the directory's sizes and places in zip64's records.
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(zu::test::storedZip({{QStringLiteral("xl/worksheets/sheet2.xml"), "<worksheet></worksheet>"},
                                   {QStringLiteral("xl/workbook.xml"), "<workbook/>"},
                                   {QStringLiteral("xl/worksheets/sheet1.xml"), sheet}},
                                  zu::test::ZipForm::Zip64));
    out.close();
    QVERIFY2(countXlsxSheets(stored, &sheets, &error), qPrintable(error));
    QCOMPARE(sheets, (std::vector<SheetTally>{{.rows = 1, .cells = 2}, {}}));
}

void TestXls::damagedXlsxSheetsAreNotCounted_data()
{
    QTest::addColumn<QByteArray>("file");
    const QByteArray whole = "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"/></row></sheetData></worksheet>";
    QTest::newRow("part cut short") << zu::test::storedZip(
        {{QStringLiteral("xl/worksheets/sheet1.xml"), whole.first(whole.size() - 1)}});
    QTest::newRow("second sheet without a first")
        << zu::test::storedZip({{QStringLiteral("xl/worksheets/sheet2.xml"), whole}});
    QTest::newRow("the same sheet twice")
        << zu::test::storedZip({{QStringLiteral("xl/worksheets/sheet1.xml"), whole},
                                {QStringLiteral("xl/worksheets/sheet1.xml"), whole}});
    QTest::newRow("no sheet at all") << zu::test::storedZip(
        {{QStringLiteral("xl/workbook.xml"), "<workbook/>"}});
    QByteArray cutZip = zu::test::storedZip({{QStringLiteral("xl/worksheets/sheet1.xml"), whole}});
    QTest::newRow("zip without its end") << cutZip.first(cutZip.size() - 10);
    QByteArray zip64 =
        zu::test::storedZip({{QStringLiteral("xl/worksheets/sheet1.xml"), whole}}, zu::test::ZipForm::Zip64);
    QByteArray noZip64End = zip64;
    noZip64End[noZip64End.lastIndexOf("PK\x06\x06") + 3] = '\x07';
    QTest::newRow("zip64 record missing") << noZip64End;
    QByteArray shortExtra = zip64;
    shortExtra[shortExtra.lastIndexOf("PK\x01\x02") + 30] = 16; // room for two of the three values
    QTest::newRow("zip64 values missing") << shortExtra;
    QTest::newRow("not a zip") << QByteArray("ZUSHEET 1\n");
    QTest::newRow("empty file") << QByteArray();
}

void TestXls::damagedXlsxSheetsAreNotCounted()
{
    QFETCH(QByteArray, file);
    const QString name = path(QStringLiteral("damaged.xlsx"));
    QFile out(name);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(file);
    out.close();
    std::vector<SheetTally> sheets;
    QString error;
    QVERIFY(!countXlsxSheets(name, &sheets, &error));
    QCOMPARE(error, QStringLiteral("工作簿的内容不完整"));
}

void TestXls::readOnlyFileIsNotReplaced()
{
    if (geteuid() == 0)
        QSKIP("root may write any file");
    const QString file = path(QStringLiteral("readonly.xls"));
    {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner));
    XlsWriter writer;
    QVERIFY(writer.writeText(0, 0, QStringLiteral("内容")));
    QString error;
    QVERIFY(!writer.save(file, &error));
    QVERIFY2(error.contains(file), qPrintable(error));
    QCOMPARE(fileBytes(file), QByteArray("old"));
}

void TestXls::severalSheets()
{
    XlsWriter writer;
    QCOMPARE(writer.sheetCount(), 1);
    QVERIFY(writer.writeText(0, 0, QStringLiteral("客户名称")));
    QVERIFY(writer.writeText(1, 0, QStringLiteral("张三")));
    QVERIFY(writer.writeNumber(1, 1, 2999.5));
    QVERIFY(writer.addSheet(QStringLiteral("Sheet2")));
    QCOMPARE(writer.sheetCount(), 2);
    // The same text in both sheets, and one of the second sheet's own.
    QVERIFY(writer.writeText(0, 0, QStringLiteral("客户名称")));
    QVERIFY(writer.writeText(1, 0, QStringLiteral("李四")));
    QVERIFY(writer.writeNumber(2, 1, 7));
    QVERIFY(!writer.addSheet(QStringLiteral("sheet2")));
    QVERIFY2(writer.error().contains(QStringLiteral("sheet2")), qPrintable(writer.error()));
    QString error;
    QVERIFY(writer.toBytes(&error).isEmpty());
    QVERIFY(!error.isEmpty());

    // Renaming a sheet to another sheet's name is refused too, and remembered.
    XlsWriter renamed;
    QVERIFY(renamed.setSheetName(QStringLiteral("客户信息")));
    QVERIFY(renamed.addSheet(QStringLiteral("客户信息2")));
    QVERIFY(!renamed.setSheetName(QStringLiteral("客户信息")));
    QVERIFY(renamed.toBytes(&error).isEmpty());

    XlsWriter book3;
    QVERIFY(book3.setSheetName(QStringLiteral("客户信息")));
    QVERIFY(book3.writeText(0, 0, QStringLiteral("客户名称")));
    QVERIFY(book3.writeText(1, 0, QStringLiteral("张三")));
    QVERIFY(book3.writeNumber(1, 1, 2999.5));
    QVERIFY(book3.addSheet(QStringLiteral("空的")));
    QVERIFY(book3.addSheet(QStringLiteral("第三页")));
    QVERIFY(book3.writeText(0, 0, QStringLiteral("客户名称")));
    QVERIFY(book3.writeText(1, 0, QStringLiteral("李四")));
    QVERIFY(book3.writeNumber(2, 1, 7));
    const QString file = saved(book3, QStringLiteral("sheets.xls"));
    FreexlBook book(file);
    QCOMPARE(book.openResult(), FREEXL_OK);
    QCOMPARE(book.info(FREEXL_BIFF_SHEET_COUNT), 3u);
    QCOMPARE(book.sheetName(0), QStringLiteral("客户信息"));
    QCOMPARE(book.sheetName(1), QStringLiteral("空的"));
    QCOMPARE(book.sheetName(2), QStringLiteral("第三页"));
    unsigned int rows = 0;
    unsigned short columns = 0;
    QVERIFY(book.dimensions(&rows, &columns));
    QCOMPARE(rows, 2u);
    QCOMPARE(freexlText(book.cell(0, 0)), QStringLiteral("客户名称"));
    QCOMPARE(freexlText(book.cell(1, 0)), QStringLiteral("张三"));
    QCOMPARE(book.cell(1, 1).value.double_value, 2999.5);
    QVERIFY(book.selectSheet(1));
    QVERIFY(book.sheetDimensions(&rows, &columns));
    QCOMPARE(rows, 0u);
    QVERIFY(book.selectSheet(2));
    QVERIFY(book.sheetDimensions(&rows, &columns));
    QCOMPARE(rows, 3u);
    QCOMPARE(freexlText(book.cell(0, 0)), QStringLiteral("客户名称"));
    QCOMPARE(freexlText(book.cell(1, 0)), QStringLiteral("李四"));
    QCOMPARE(book.cell(2, 1).type, FREEXL_CELL_INT);
    QCOMPARE(book.cell(2, 1).value.int_value, 7);

    // Only the first sheet is selected and shown when the file opens.
    CompoundFileView view;
    QVERIFY(readCompoundFile(fileBytes(file), &view));
    QList<quint16> windowFlags;
    for (const Record& record : recordsOf(view.stream))
        if (record.type == 0x023E)
            windowFlags << u16At(record.body, 0);
    QCOMPARE(windowFlags.size(), 3);
    QCOMPARE(windowFlags[0] & 0x0600, 0x0600);
    QCOMPARE(windowFlags[1] & 0x0600, 0);
    QCOMPARE(windowFlags[2] & 0x0600, 0);
}

void TestXls::factoryChoosesTheFormatByName()
{
    for (const QString& name : {QStringLiteral("a.xls"), QStringLiteral("a.XLS"),
                                QStringLiteral("客户信息2024-3-5"), QStringLiteral("a.xls.bak")}) {
        const auto writer = SpreadsheetWriter::forFileName(name);
        QVERIFY2(dynamic_cast<XlsWriter*>(writer.get()), qPrintable(name));
        QVERIFY(writer->writeText(0, 0, QStringLiteral("x")));
        QCOMPARE(writer->toBytes().left(8), QByteArray::fromHex("D0CF11E0A1B11AE1"));
    }
    for (const QString& name : {QStringLiteral("a.xlsx"), QStringLiteral("报表.XLSX")}) {
        const auto writer = SpreadsheetWriter::forFileName(name);
        QVERIFY2(writer && !dynamic_cast<XlsWriter*>(writer.get()), qPrintable(name));
        QCOMPARE(writer->maxRows(), 1048576);
        QVERIFY(writer->writeText(0, 0, QStringLiteral("x")));
        QCOMPARE(writer->toBytes().left(4), QByteArray("PK\x03\x04"));
    }
}

void TestXls::compoundFileReaderFindsTheStream_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("tiny, padded") << 100;
    QTest::newRow("one sector over the cutoff") << 4097;
    QTest::newRow("several FAT sectors") << 2000000;
    QTest::newRow("DIFAT") << 8000000;
}

void TestXls::compoundFileReaderFindsTheStream()
{
    QFETCH(int, size);
    QByteArray stream(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        stream[i] = static_cast<char>((static_cast<quint32>(i) * 7919u) >> 3);
    const QByteArray file = buildCompoundFile(QStringLiteral("Workbook"), stream);
    CompoundFileView view;
    QVERIFY(readCompoundFile(file, &view));
    QCOMPARE(view.difatSectors > 0, size == 8000000);

    CompoundFileReader reader;
    QString reason;
    QVERIFY2(reader.open(file, &reason), qPrintable(reason));
    const qint64 expected = std::max(size, 4096);
    QCOMPARE(reader.streamSize(QStringLiteral("Workbook")), expected);
    QCOMPARE(reader.streamSize(QStringLiteral("Book")), -1);
    const QByteArray back = reader.stream(QStringLiteral("Workbook"));
    QCOMPARE(back.size(), expected);
    QCOMPARE(back.left(size), stream);
}

void TestXls::compoundFileReaderRefusesDamage()
{
    const QByteArray file = buildCompoundFile(QStringLiteral("Workbook"), QByteArray(100000, 'w'));
    CompoundFileReader reader;
    QString reason;
    // Shorter than its header, or without the signature: not a compound file at all.
    QVERIFY(!reader.open(file.left(511), &reason));
    QCOMPARE(reason, QStringLiteral("不是复合文档格式"));
    QVERIFY(reader.open(file, &reason));
    QVERIFY(!reader.open(QByteArray(4096, 'x'), &reason));
    QCOMPARE(reason, QStringLiteral("不是复合文档格式"));
    // A sector size other than 512 or 4096 bytes.
    QByteArray otherSectors = file;
    qToLittleEndian<quint16>(10, otherSectors.data() + 0x1E);
    QVERIFY(!reader.open(otherSectors, &reason));
    QCOMPARE(reason, QStringLiteral("复合文档的扇区大小无效"));
    // More sectors of the allocation table than the file has sectors at all.
    const auto sectors = static_cast<quint32>((file.size() - 512) / 512);
    for (const quint32 tables : {sectors + 1, 0xFFFFFFFFu}) {
        QByteArray tooMany = file;
        qToLittleEndian<quint32>(tables, tooMany.data() + 0x2C);
        QVERIFY(!reader.open(tooMany, &reason));
        QCOMPARE(reason, QStringLiteral("复合文档的分配表已损坏"));
    }
    // More tables than the header lists, and the chain that lists the others ends at once, or
    // points one past the last sector.
    for (const quint32 chain : {0xFFFFFFFEu, sectors}) {
        QByteArray chainGone = file;
        qToLittleEndian<quint32>(cfb::kHeaderDifatEntries + 1, chainGone.data() + 0x2C);
        qToLittleEndian<quint32>(chain, chainGone.data() + 0x44);
        QVERIFY(!reader.open(chainGone, &reason));
        QCOMPARE(reason, QStringLiteral("复合文档的分配表已损坏"));
    }
    // Without its last sectors (directory and FAT) the file has nothing to find.
    const bool opened = reader.open(file.left(file.size() - 1024), &reason);
    QVERIFY(!opened || reader.stream(QStringLiteral("Workbook")).isEmpty());
}

void TestXls::compoundFileReaderStopsAtTheLastSector()
{
    // A 4096-byte stream fills sectors 0-7; the directory is sector 8, the allocation table 9.
    constexpr qsizetype kSector = 512;
    const auto at = [](quint32 index) { return kSector + static_cast<qsizetype>(index) * kSector; };
    const auto opens = [](const QByteArray& file, QString* reason) {
        CompoundFileReader reader;
        return reader.open(file, reason) && reader.streamSize(QStringLiteral("Workbook")) == 4096;
    };
    QString reason;

    // The allocation table in the file's last sector is read; one sector short, it lies past the
    // end. The bytes cut off stay in the buffer's memory, so only the bound tells the two apart.
    QByteArray tableLast = buildCompoundFile(QStringLiteral("Workbook"), QByteArray(4096, 'w'));
    QCOMPARE(u32At(tableLast, 0x4C), 9u);
    QVERIFY2(opens(QByteArray(tableLast.constData(), tableLast.size()), &reason), qPrintable(reason));
    tableLast.chop(kSector);
    reason.clear();
    QVERIFY(!opens(tableLast, &reason));
    QVERIFY2(reason.contains(QStringLiteral("分配表")), qPrintable(reason));

    // The same for the directory: the table moves to sector 0, the directory to the last sector.
    QByteArray directoryLast = buildCompoundFile(QStringLiteral("Workbook"), QByteArray(4096, 'w'));
    QByteArray table = directoryLast.mid(at(9), kSector);
    qToLittleEndian<quint32>(cfb::kFatSector, table.data());
    qToLittleEndian<quint32>(cfb::kEndOfChain, table.data() + 9 * 4);
    const QByteArray directory = directoryLast.mid(at(8), kSector);
    std::memcpy(directoryLast.data() + at(0), table.constData(), kSector);
    std::memcpy(directoryLast.data() + at(9), directory.constData(), kSector);
    qToLittleEndian<quint32>(0, directoryLast.data() + 0x4C);
    qToLittleEndian<quint32>(9, directoryLast.data() + 0x30);
    QVERIFY2(opens(QByteArray(directoryLast.constData(), directoryLast.size()), &reason), qPrintable(reason));
    directoryLast.chop(kSector);
    reason.clear();
    QVERIFY(!opens(directoryLast, &reason));
    QVERIFY2(reason.contains(QStringLiteral("目录")), qPrintable(reason));
}

void TestXls::longTextsReadBackWhole_data()
{
    addFormatRows();
}

void TestXls::longTextsReadBackWhole()
{
    // Texts over several CONTINUE records of .xls, which FreeXL cannot read, and the ones after
    // them; the longest text a cell holds in letters of three UTF-8 bytes each.
    QFETCH(QString, suffix);
    const std::unique_ptr<SpreadsheetWriter> book = writerFor(suffix);
    SpreadsheetWriter& writer = *book;
    const QStringList texts{
        QStringLiteral("前"),      QString(9000, QChar(0x5BA2)),  QString(32767, QLatin1Char('a')),
        QStringLiteral("Ünïcødé"), QString(32767, QChar(0x5BA2)), QStringLiteral("后")};
    for (int i = 0; i < texts.size(); ++i)
        QVERIFY(writer.writeText(i, 0, texts[i]));
    SpreadsheetReader reader;
    QString error;
    QVERIFY2(reader.open(saved(writer, QStringLiteral("longread") + suffix), &error), qPrintable(error));
    QCOMPARE(writer.truncatedCells(), 0);
    QCOMPARE(reader.rowCount(), texts.size());
    for (int i = 0; i < texts.size(); ++i)
        QCOMPARE(reader.text(i, 0), texts[i]);
}

void TestXls::overlongTextIsCutWithAMark_data()
{
    addFormatRows();
}

void TestXls::overlongTextIsCutWithAMark()
{
    QFETCH(QString, suffix);
    const std::unique_ptr<SpreadsheetWriter> book = writerFor(suffix);
    SpreadsheetWriter& writer = *book;
    QVERIFY(writer.writeText(0, 0, QString(32767, QLatin1Char('x'))));
    QVERIFY(writer.writeText(1, 0, QString(40000, QChar(0x5BA2))));
    QString text(32770, QLatin1Char('y'));
    text[32767 - StreamingSheetWriter::truncationMark().size() - 1] = QChar(0xD83D); // a pair across the cut
    text[32767 - StreamingSheetWriter::truncationMark().size()] = QChar(0xDE00);
    QVERIFY(writer.writeText(2, 0, text));
    QVERIFY(writer.writeText(3, 0, QStringLiteral("之后照常")));
    const QString file = saved(writer, QStringLiteral("cut") + suffix);
    QCOMPARE(writer.truncatedCells(), 2);
    SpreadsheetReader reader;
    QString error;
    QVERIFY2(reader.open(file, &error), qPrintable(error));
    const QString mark = StreamingSheetWriter::truncationMark();
    QCOMPARE(reader.text(0, 0), QString(32767, QLatin1Char('x')));
    QCOMPARE(reader.text(1, 0).size(), 32767);
    QCOMPARE(reader.text(1, 0), QString(32767 - mark.size(), QChar(0x5BA2)) + mark);
    // A surrogate pair is not cut in half: the cut goes before it.
    QCOMPARE(reader.text(2, 0), QString(32767 - mark.size() - 1, QLatin1Char('y')) + mark);
    QCOMPARE(reader.text(3, 0), QStringLiteral("之后照常"));
}

QTEST_GUILESS_MAIN(TestXls)
#include "tst_xls.moc"
