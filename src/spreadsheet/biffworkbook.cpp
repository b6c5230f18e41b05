#include "biffworkbook.h"

#include "biffsst.h"
#include "biffstream.h"

#include <QtEndian>

#include <cmath>
#include <cstring>

namespace zu {

namespace {

constexpr quint16 kBiff8 = 0x0600;
constexpr quint16 kGlobalsSubstream = 0x0005;
constexpr quint16 kWorksheetSubstream = 0x0010;
constexpr quint16 kUtf16CodePage = 1200;
constexpr int kDefaultFontCount = 4;
// Font index 4 does not exist in BIFF: the record after the four default fonts has index 5.
constexpr quint16 kBoldFontIndex = 5;
constexpr int kStyleXfCount = 15;
constexpr quint16 kNormalCellXf = 15;
constexpr quint16 kBoldCellXf = 16;
constexpr int kRowsPerBlock = 32;
constexpr int kDigitPixels = 7;
constexpr double kMaxColumnChars = 255.0;

quint16 xfIndex(CellStyle style)
{
    return style == CellStyle::Bold ? kBoldCellXf : kNormalCellXf;
}

LeBytes shortUnicodeString(const QString& text)
{
    LeBytes bytes;
    bytes.u8(static_cast<quint8>(text.size())).u8(0x01).utf16(text);
    return bytes;
}

void writeBof(BiffStream& stream, quint16 substream)
{
    LeBytes body;
    body.u16(kBiff8).u16(substream).u16(0x0DBB).u16(0x07CC).u32(0).u32(0x06);
    stream.record(biff::Bof, body);
}

void writeEof(BiffStream& stream)
{
    stream.record(biff::Eof, QByteArray());
}

void writeFont(BiffStream& stream, bool bold)
{
    LeBytes body;
    body.u16(200)              // 10 points in twips
        .u16(0)                // not italic, not struck out
        .u16(0x7FFF)           // automatic colour
        .u16(bold ? 700 : 400) // weight
        .u16(0)                // no super- or subscript
        .u8(0)                 // not underlined
        .u8(2)                 // family: swiss
        .u8(0)                 // character set: ANSI; the text itself is UTF-16
        .u8(0)
        .raw(shortUnicodeString(QStringLiteral("Arial")).data());
    stream.record(biff::Font, body);
}

// XF records follow the layout Excel itself writes: style XFs use every attribute of XF 0 except
// where their flags say otherwise; cell XFs name only the attributes they change.
void writeXf(BiffStream& stream, quint16 font, bool styleXf, quint8 usedAttributes)
{
    LeBytes body;
    body.u16(font)
        .u16(0)                         // number format "General"
        .u16(styleXf ? 0xFFF5 : 0x0001) // locked; style XF with no parent, or cell XF of style 0
        .u8(0x20)                       // bottom aligned
        .u8(0)                          // no rotation
        .u8(0)                          // no indent
        .u8(usedAttributes)
        .u32(0) // no borders
        .u32(0)
        .u16(0x20C0); // default pattern colours
    stream.record(biff::Xf, body);
}

void writeGlobalsHead(BiffStream& stream)
{
    writeBof(stream, kGlobalsSubstream);
    stream.record(biff::CodePage, LeBytes().u16(kUtf16CodePage));

    LeBytes window;
    window.u16(0).u16(0).u16(0x4000).u16(0x2000).u16(0x0038).u16(0).u16(0).u16(1).u16(600);
    stream.record(biff::Window1, window);
    stream.record(biff::Date1904, LeBytes().u16(0));

    for (int i = 0; i < kDefaultFontCount; ++i)
        writeFont(stream, false);
    writeFont(stream, true);

    writeXf(stream, 0, true, 0x00);
    for (int i = 1; i < kStyleXfCount; ++i)
        writeXf(stream, 0, true, 0xF4);
    writeXf(stream, 0, false, 0x00);
    writeXf(stream, kBoldFontIndex, false, 0x08);

    // The built-in style "Normal" on XF 0.
    stream.record(biff::Style, LeBytes().u16(0x8000).u8(0).u8(0xFF));
}

// Writes BOUNDSHEET and returns where its sheet-offset field is, to be filled in once known.
qsizetype writeBoundSheet(BiffStream& stream, const QString& name)
{
    const qsizetype offsetField = stream.position() + 4;
    LeBytes body;
    body.u32(0).u8(0).u8(0).raw(shortUnicodeString(name).data());
    stream.record(biff::BoundSheet, body);
    return offsetField;
}

struct UsedRange
{
    int firstRow = 0, lastRow = -1, firstColumn = 0, lastColumn = -1;
};

bool holdsRecord(const SheetCell& cell)
{
    return cell.kind != SheetCell::Kind::Empty || cell.style != CellStyle::Normal;
}

// First and last column of a row that produce a record; first > last for a row without any.
std::pair<int, int> rowSpan(const std::vector<SheetCell>& cells)
{
    int first = static_cast<int>(cells.size());
    int last = -1;
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
        if (holdsRecord(cells[static_cast<size_t>(c)])) {
            first = std::min(first, c);
            last = c;
        }
    }
    return {first, last};
}

UsedRange usedRange(const SheetContent& content)
{
    UsedRange range;
    range.firstRow = content.rowCount();
    range.firstColumn = content.columnCount();
    for (int r = 0; r < content.rowCount(); ++r) {
        const auto [first, last] = rowSpan(content.row(r));
        if (last < 0)
            continue;
        range.firstRow = std::min(range.firstRow, r);
        range.lastRow = r;
        range.firstColumn = std::min(range.firstColumn, first);
        range.lastColumn = std::max(range.lastColumn, last);
    }
    if (range.lastRow < 0)
        return {};
    return range;
}

void writeDimensions(BiffStream& stream, const UsedRange& range)
{
    LeBytes body;
    const bool empty = range.lastRow < 0;
    body.u32(empty ? 0 : static_cast<quint32>(range.firstRow))
        .u32(static_cast<quint32>(range.lastRow + 1))
        .u16(empty ? 0 : static_cast<quint16>(range.firstColumn))
        .u16(static_cast<quint16>(range.lastColumn + 1))
        .u16(0);
    stream.record(biff::Dimensions, body);
}

void writeColumnWidths(BiffStream& stream, const QMap<int, int>& widths)
{
    for (auto it = widths.cbegin(); it != widths.cend(); ++it) {
        LeBytes body;
        body.u16(static_cast<quint16>(it.key()))
            .u16(static_cast<quint16>(it.key()))
            .u16(biffColumnWidth(it.value()))
            .u16(kNormalCellXf)
            .u16(0)
            .u16(0);
        stream.record(biff::ColInfo, body);
    }
}

void writeRow(BiffStream& stream, int row, int firstColumn, int lastColumn)
{
    LeBytes body;
    body.u16(static_cast<quint16>(row))
        .u16(static_cast<quint16>(firstColumn))
        .u16(static_cast<quint16>(lastColumn + 1))
        .u16(0x00FF) // default height
        .u16(0)
        .u16(0)
        .u32(0x000F0100); // default format XF 15, no outline
    stream.record(biff::Row, body);
}

// Whole numbers in the 30-bit range of an RK value are stored in it exactly; readers see integers.
bool fitsRkInteger(double value)
{
    constexpr double kMin = -(1 << 29);
    constexpr double kMax = (1 << 29) - 1;
    return value >= kMin && value <= kMax && std::floor(value) == value &&
           !(value == 0 && std::signbit(value));
}

// `firstString`: where the sheet's own strings begin in the workbook's shared string table.
void writeCell(BiffStream& stream, int row, int column, const SheetCell& cell, quint32 firstString)
{
    // Built on the stack: a workbook has millions of cells.
    char body[14];
    qToLittleEndian(static_cast<quint16>(row), body);
    qToLittleEndian(static_cast<quint16>(column), body + 2);
    qToLittleEndian(xfIndex(cell.style), body + 4);
    switch (cell.kind) {
    case SheetCell::Kind::Text:
        qToLittleEndian(firstString + cell.textIndex, body + 6);
        stream.record(biff::LabelSst, QByteArrayView(body, 10));
        return;
    case SheetCell::Kind::Number:
        if (fitsRkInteger(cell.number)) {
            const auto rk = static_cast<quint32>(static_cast<qint32>(cell.number) * 4) | 0x02;
            qToLittleEndian(rk, body + 6);
            stream.record(biff::Rk, QByteArrayView(body, 10));
        } else {
            quint64 bits = 0;
            std::memcpy(&bits, &cell.number, sizeof bits);
            qToLittleEndian(bits, body + 6);
            stream.record(biff::Number, QByteArrayView(body, 14));
        }
        return;
    case SheetCell::Kind::Empty:
        stream.record(biff::Blank, QByteArrayView(body, 6));
        return;
    }
}

void writeCells(BiffStream& stream, const SheetContent& content, quint32 firstString)
{
    for (int blockStart = 0; blockStart < content.rowCount(); blockStart += kRowsPerBlock) {
        const int blockEnd = std::min(blockStart + kRowsPerBlock, content.rowCount());
        for (int r = blockStart; r < blockEnd; ++r) {
            const auto [first, last] = rowSpan(content.row(r));
            if (last >= 0)
                writeRow(stream, r, first, last);
        }
        for (int r = blockStart; r < blockEnd; ++r) {
            const std::vector<SheetCell>& cells = content.row(r);
            for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
                if (holdsRecord(cells[static_cast<size_t>(c)]))
                    writeCell(stream, r, c, cells[static_cast<size_t>(c)], firstString);
            }
        }
    }
}

void writeWindow2(BiffStream& stream, bool active)
{
    constexpr quint16 kSelectedAndShown = 0x0600;
    // grid, headers, zeros, default grid colour, outline symbols; selected, shown
    const quint16 options = active ? 0x06B6 : 0x06B6 & ~kSelectedAndShown;
    LeBytes body;
    body.u16(options).u16(0).u16(0).u16(0x0040).u16(0).u16(0).u16(0).u32(0); // grid colour: automatic
    stream.record(biff::Window2, body);
}

} // namespace

quint16 biffColumnWidth(int pixels)
{
    const double chars = std::min(kMaxColumnChars, static_cast<double>(std::max(0, pixels)) / kDigitPixels);
    return static_cast<quint16>(std::lround(chars * 256));
}

QByteArray encodeBiff8Workbook(const QList<const SheetContent*>& sheets)
{
    BiffStream stream;
    writeGlobalsHead(stream);
    QList<qsizetype> sheetOffsetFields;
    for (const SheetContent* sheet : sheets)
        sheetOffsetFields.push_back(writeBoundSheet(stream, sheet->sheetName()));
    // One table for every sheet: each sheet's strings follow those of the sheets before it.
    QStringList strings;
    QList<quint32> firstStrings;
    quint32 references = 0;
    for (const SheetContent* sheet : sheets) {
        firstStrings.push_back(static_cast<quint32>(strings.size()));
        strings += sheet->strings();
        references += static_cast<quint32>(sheet->textCellCount());
    }
    writeSharedStrings(stream, strings, references);
    writeEof(stream);

    for (qsizetype i = 0; i < sheets.size(); ++i) {
        const SheetContent& content = *sheets[i];
        stream.patch32(sheetOffsetFields[i], static_cast<quint32>(stream.position()));
        writeBof(stream, kWorksheetSubstream);
        writeColumnWidths(stream, content.columnWidthsPixels());
        writeDimensions(stream, usedRange(content));
        writeCells(stream, content, firstStrings[i]);
        writeWindow2(stream, i == 0);
        writeEof(stream);
    }
    return stream.take();
}

QByteArray encodeBiff8Workbook(const SheetContent& content)
{
    return encodeBiff8Workbook(QList<const SheetContent*>{&content});
}

} // namespace zu
