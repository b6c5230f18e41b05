#include "xlsstreamwriter.h"

#include "biffstream.h"
#include "compoundfile.h"

#include <QSaveFile>
#include <QTemporaryFile>
#include <QtEndian>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

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
constexpr qsizetype kRecordHeader = 4;
constexpr qsizetype kMaxData = biff::kMaxRecordData;

quint16 xfIndex(CellStyle style)
{
    return style == CellStyle::Bold ? kBoldCellXf : kNormalCellXf;
}

// A temporary file written through a buffer; positions count every byte appended.
class SpoolFile final
{
public:
    SpoolFile() : m_buffer(new char[kBufferBytes]) {}

    bool open(QString* reason)
    {
        if (m_file.open())
            return true;
        *reason = QStringLiteral("无法创建临时文件：%1").arg(m_file.errorString());
        return false;
    }
    qint64 size() const { return m_flushed + m_used; }
    void append(const char* bytes, qsizetype count)
    {
        if (m_used + count > kBufferBytes) {
            flush();
            if (count > kBufferBytes) {
                m_ok = m_ok && m_file.write(bytes, count) == count;
                m_flushed += count;
                return;
            }
        }
        std::memcpy(m_buffer.get() + m_used, bytes, static_cast<size_t>(count));
        m_used += count;
    }
    void record(quint16 type, const char* body, qsizetype length)
    {
        char header[kRecordHeader];
        qToLittleEndian(type, header);
        qToLittleEndian(static_cast<quint16>(length), header + 2);
        append(header, kRecordHeader);
        append(body, length);
    }
    void record(quint16 type, const LeBytes& body) { record(type, body.data().constData(), body.size()); }
    bool flush()
    {
        if (m_used == 0)
            return m_ok;
        m_ok = m_ok && m_file.write(m_buffer.get(), m_used) == m_used;
        m_flushed += m_used;
        m_used = 0;
        return m_ok;
    }
    // Overwrites bytes written before.
    void patch(qint64 position, QByteArrayView bytes)
    {
        if (position >= m_flushed) {
            std::memcpy(m_buffer.get() + (position - m_flushed), bytes.data(),
                        static_cast<size_t>(bytes.size()));
            return;
        }
        flush();
        m_ok = m_ok && m_file.seek(position) && m_file.write(bytes.data(), bytes.size()) == bytes.size() &&
               m_file.seek(m_flushed);
    }
    bool copyTo(QIODevice& out)
    {
        if (!flush() || !m_file.seek(0))
            return false;
        for (;;) {
            const qint64 got = m_file.read(m_buffer.get(), kBufferBytes);
            if (got < 0)
                return false;
            if (got == 0)
                return true;
            if (out.write(m_buffer.get(), got) != got)
                return false;
        }
    }

private:
    static constexpr qsizetype kBufferBytes = 1 << 20;
    QTemporaryFile m_file;
    std::unique_ptr<char[]> m_buffer;
    qsizetype m_used = 0;
    qint64 m_flushed = 0;
    bool m_ok = true;
};

bool isLatin1(QStringView text)
{
    for (const QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

// The shared string table written as texts come: SST and CONTINUE records into a spool file.
// A string that reaches the end of a record goes on in the next CONTINUE record after a fresh
// flags byte; a string's header and its first character never part.
class SstWriter final
{
public:
    static constexpr int kRememberedPerColumn = 8;
    static constexpr qsizetype kMaxRememberedLength = 64;
    static constexpr quint32 kPositionStep = 8;
    // A column whose texts seldom repeat (names, codes, addresses) stops being remembered: the
    // copies would cost more than they save.
    static constexpr int kTrialTexts = 512;
    static constexpr int kWorthwhileRepeats = 32;

    explicit SstWriter(SpoolFile& out) : m_out(out) { m_used = 8; } // total and unique counts come last

    // The index of the text in the table. A column's last few short texts are remembered and
    // stored once: lists repeat their categories, models and places down a column.
    quint32 add(QStringView text, int column)
    {
        ++m_references;
        ColumnMemory* memory = nullptr;
        if (text.size() <= kMaxRememberedLength) {
            if (static_cast<size_t>(column) >= m_columns.size())
                m_columns.resize(static_cast<size_t>(column) + 1);
            memory = &m_columns[static_cast<size_t>(column)];
            if (memory->tries >= kTrialTexts && memory->repeats < kWorthwhileRepeats) {
                memory = nullptr;
            } else {
                ++memory->tries;
                for (const Remembered& kept : memory->texts) {
                    if (kept.text.size() == text.size() && !kept.text.isNull() && kept.text == text) {
                        ++memory->repeats;
                        return kept.index;
                    }
                }
            }
        }
        const quint32 index = m_unique++;
        const bool wide = !isLatin1(text);
        const qsizetype width = wide ? 2 : 1;
        if (kMaxData - m_used < 3 + 2 * width)
            endRecord();
        if (index % kPositionStep == 0)
            m_positions.push_back(
                {m_out.size() + kRecordHeader + m_used, static_cast<quint16>(kRecordHeader + m_used)});
        qToLittleEndian(static_cast<quint16>(text.size()), m_record + m_used);
        m_record[m_used + 2] = wide ? 1 : 0;
        m_used += 3;
        qsizetype done = 0;
        while (done < text.size()) {
            qsizetype fit = std::min((kMaxData - m_used) / width, text.size() - done);
            if (wide && fit > 0 && done + fit < text.size() && text.at(done + fit - 1).isHighSurrogate())
                --fit;
            if (fit == 0) {
                endRecord();
                m_record[m_used++] = wide ? 1 : 0;
                continue;
            }
            if (wide) {
                qToLittleEndian<quint16>(text.utf16() + done, fit, m_record + m_used);
            } else {
                for (qsizetype i = 0; i < fit; ++i)
                    m_record[m_used + i] = static_cast<char>(text.at(done + i).unicode());
            }
            m_used += fit * width;
            done += fit;
            if (done < text.size()) {
                endRecord();
                m_record[m_used++] = wide ? 1 : 0;
            }
        }
        if (memory) {
            Remembered& slot = memory->texts[memory->next++ % kRememberedPerColumn];
            slot.text = text.toString();
            slot.index = index;
        }
        return index;
    }

    // Writes the last record and the counts into the first.
    void finish()
    {
        endRecord();
        char counts[8];
        qToLittleEndian(m_references, counts);
        qToLittleEndian(m_unique, counts + 4);
        m_out.patch(kRecordHeader, QByteArrayView(counts, 8));
    }

    // EXTSST: where the first string of each bucket starts, `base` being the table's position in the stream.
    LeBytes extSst(qint64 base) const
    {
        constexpr quint32 kMaxBuckets = 128;
        const quint32 perBucket =
            std::max<quint32>(kPositionStep, (m_unique + kMaxBuckets * kPositionStep - 1) /
                                                 (kMaxBuckets * kPositionStep) * kPositionStep);
        LeBytes ext;
        ext.u16(static_cast<quint16>(perBucket));
        for (quint32 i = 0; i < m_unique; i += perBucket) {
            const auto& [position, inRecord] = m_positions[i / kPositionStep];
            ext.u32(static_cast<quint32>(base + position)).u16(inRecord).u16(0);
        }
        return ext;
    }

private:
    void endRecord()
    {
        m_out.record(m_first ? biff::Sst : biff::Continue, m_record, m_used);
        m_first = false;
        m_used = 0;
    }

    SpoolFile& m_out;
    char m_record[kMaxData];
    qsizetype m_used = 0;
    bool m_first = true;
    quint32 m_references = 0;
    quint32 m_unique = 0;
    std::vector<std::pair<qint64, quint16>> m_positions;
    struct Remembered
    {
        QString text;
        quint32 index = 0;
    };
    struct ColumnMemory
    {
        std::array<Remembered, kRememberedPerColumn> texts;
        unsigned next = 0;
        int tries = 0;
        int repeats = 0;
    };
    std::vector<ColumnMemory> m_columns;
};

// Whole numbers in the 30-bit range of an RK value are stored in it exactly; readers see integers.
bool fitsRkInteger(double value)
{
    constexpr double kMin = -(1 << 29);
    constexpr double kMax = (1 << 29) - 1;
    return value >= kMin && value <= kMax && std::floor(value) == value &&
           !(value == 0 && std::signbit(value));
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

struct SheetPart
{
    QString name;
    qint64 start = 0;      // of its BOF in the cells file
    qint64 dimensions = 0; // of its DIMENSIONS record's body
    int firstRow = -1, lastRow = -1, firstColumn = 0, lastColumn = -1;
};

// The rows of one block of 32: their ROW records go before their cells.
struct RowSpan
{
    int row;
    int first;
    int last;
};

} // namespace

struct XlsStreamWriter::Private
{
    SpoolFile cells;
    SpoolFile strings;
    std::unique_ptr<SstWriter> sst;
    bool opened = false;
    QString openError;
    std::vector<SheetPart> sheets;
    std::vector<char> block; // the cell records of the current block of rows
    std::vector<RowSpan> blockRows;
    int blockIndex = -1;

    bool open(QString* reason)
    {
        if (opened)
            return true;
        if (!cells.open(reason) || !strings.open(reason))
            return false;
        sst = std::make_unique<SstWriter>(strings);
        opened = true;
        return true;
    }

    void cell(quint16 type, int row, int column, CellStyle style, const char* value, qsizetype valueBytes)
    {
        if (row / kRowsPerBlock != blockIndex) {
            endBlock();
            blockIndex = row / kRowsPerBlock;
        }
        if (blockRows.empty() || blockRows.back().row != row)
            blockRows.push_back({row, column, column});
        blockRows.back().last = column;
        SheetPart& sheet = sheets.back();
        if (sheet.firstRow < 0) {
            sheet.firstRow = row;
            sheet.firstColumn = column;
        }
        sheet.lastRow = row;
        sheet.firstColumn = std::min(sheet.firstColumn, column);
        sheet.lastColumn = std::max(sheet.lastColumn, column);

        const size_t at = block.size();
        block.resize(at + static_cast<size_t>(kRecordHeader + 6 + valueBytes));
        char* record = block.data() + at;
        qToLittleEndian(type, record);
        qToLittleEndian(static_cast<quint16>(6 + valueBytes), record + 2);
        qToLittleEndian(static_cast<quint16>(row), record + 4);
        qToLittleEndian(static_cast<quint16>(column), record + 6);
        qToLittleEndian(xfIndex(style), record + 8);
        if (valueBytes > 0)
            std::memcpy(record + 10, value, static_cast<size_t>(valueBytes));
    }

    void endBlock()
    {
        for (const RowSpan& span : blockRows) {
            LeBytes body;
            body.u16(static_cast<quint16>(span.row))
                .u16(static_cast<quint16>(span.first))
                .u16(static_cast<quint16>(span.last + 1))
                .u16(0x00FF) // default height
                .u16(0)
                .u16(0)
                .u32(0x000F0100); // default format XF 15, no outline
            cells.record(biff::Row, body);
        }
        cells.append(block.data(), static_cast<qsizetype>(block.size()));
        block.clear();
        blockRows.clear();
    }

    void endSheet()
    {
        if (sheets.empty())
            return;
        endBlock();
        blockIndex = -1;
        SheetPart& sheet = sheets.back();
        LeBytes dimensions;
        const bool empty = sheet.lastRow < 0;
        dimensions.u32(empty ? 0 : static_cast<quint32>(sheet.firstRow))
            .u32(static_cast<quint32>(sheet.lastRow + 1))
            .u16(empty ? 0 : static_cast<quint16>(sheet.firstColumn))
            .u16(static_cast<quint16>(sheet.lastColumn + 1))
            .u16(0);
        cells.patch(sheet.dimensions, dimensions.data());
        constexpr quint16 kSelectedAndShown = 0x0600;
        // grid, headers, zeros, default grid colour, outline symbols; selected and shown: the first sheet
        const quint16 options = sheets.size() == 1 ? 0x06B6 : 0x06B6 & ~kSelectedAndShown;
        LeBytes window;
        window.u16(options).u16(0).u16(0).u16(0x0040).u16(0).u16(0).u16(0).u32(0);
        cells.record(biff::Window2, window);
        cells.record(biff::Eof, nullptr, 0);
    }
};

XlsStreamWriter::XlsStreamWriter()
    : StreamingSheetWriter({kMaxRows, kMaxColumns, QStringLiteral(".xls")}), d(std::make_unique<Private>())
{
}

XlsStreamWriter::~XlsStreamWriter() = default;

bool XlsStreamWriter::beginSheet(const QString& name, const QMap<int, int>& widths, QString* reason)
{
    if (!d->open(reason))
        return false;
    d->endSheet();
    SheetPart part;
    part.name = name;
    part.start = d->cells.size();
    BiffStream head;
    writeBof(head, kWorksheetSubstream);
    for (auto it = widths.cbegin(); it != widths.cend(); ++it) {
        LeBytes body;
        body.u16(static_cast<quint16>(it.key()))
            .u16(static_cast<quint16>(it.key()))
            .u16(biffColumnWidth(it.value()))
            .u16(kNormalCellXf)
            .u16(0)
            .u16(0);
        head.record(biff::ColInfo, body);
    }
    const QByteArray bytes = head.take();
    d->cells.append(bytes.constData(), bytes.size());
    part.dimensions = d->cells.size() + kRecordHeader;
    d->cells.record(biff::Dimensions, QByteArray(14, '\0').constData(), 14);
    d->sheets.push_back(std::move(part));
    return true;
}

bool XlsStreamWriter::putText(int row, int column, QStringView text, CellStyle style, QString* reason)
{
    if (text.isEmpty())
        return style == CellStyle::Normal || putBlank(row, column, style, reason);
    char index[4];
    qToLittleEndian(d->sst->add(text, column), index);
    d->cell(biff::LabelSst, row, column, style, index, 4);
    return true;
}

bool XlsStreamWriter::putNumber(int row, int column, double value, CellStyle style, QString*)
{
    if (fitsRkInteger(value)) {
        char rk[4];
        qToLittleEndian(static_cast<quint32>(static_cast<qint32>(value) * 4) | 0x02, rk);
        d->cell(biff::Rk, row, column, style, rk, 4);
    } else {
        quint64 bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        char number[8];
        qToLittleEndian(bits, number);
        d->cell(biff::Number, row, column, style, number, 8);
    }
    return true;
}

bool XlsStreamWriter::putBlank(int row, int column, CellStyle style, QString*)
{
    if (style != CellStyle::Normal)
        d->cell(biff::Blank, row, column, style, nullptr, 0);
    return true;
}

bool XlsStreamWriter::complete(const QString& path, QString* reason)
{
    d->endSheet();
    d->sst->finish();
    if (!d->cells.flush() || !d->strings.flush()) {
        // The system's text for a full disk or a file size limit says little ("Unknown error").
        *reason = QStringLiteral("临时文件无法写入，磁盘可能已满");
        return false;
    }

    BiffStream head;
    writeGlobalsHead(head);
    std::vector<qsizetype> offsetFields;
    for (const SheetPart& sheet : d->sheets) {
        offsetFields.push_back(head.position() + kRecordHeader);
        LeBytes body;
        body.u32(0).u8(0).u8(0).raw(shortUnicodeString(sheet.name).data());
        head.record(biff::BoundSheet, body);
    }
    const qint64 headSize = head.position();
    LeBytes ext = d->sst->extSst(headSize);
    BiffStream tail;
    tail.record(biff::ExtSst, ext);
    tail.record(biff::Eof, QByteArray());
    const qint64 globalsSize = headSize + d->strings.size() + tail.position();
    for (size_t i = 0; i < d->sheets.size(); ++i)
        head.patch32(offsetFields[i], static_cast<quint32>(globalsSize + d->sheets[i].start));
    const qint64 streamSize = globalsSize + d->cells.size();
    if (streamSize > std::numeric_limits<quint32>::max()) {
        *reason = QStringLiteral("文件超过了 .xls 格式 4 GB 的上限");
        return false;
    }

    QSaveFile file(path);
    // Unbuffered, a write the disk takes only in part says so at once.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *reason = file.errorString();
        return false;
    }
    const QByteArray headBytes = head.take();
    const QByteArray tailBytes = tail.take();
    const QByteArray header = compoundFileHeader(streamSize);
    const QByteArray trailer = compoundFileTail(QStringLiteral("Workbook"), streamSize);
    const bool written = file.write(header) == header.size() && file.write(headBytes) == headBytes.size() &&
                         d->strings.copyTo(file) && file.write(tailBytes) == tailBytes.size() &&
                         d->cells.copyTo(file) && file.write(trailer) == trailer.size();
    if (!written) {
        *reason = fileNotWrittenReason();
        return false;
    }
    if (!file.commit()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

quint16 biffColumnWidth(int pixels)
{
    const double chars = std::min(kMaxColumnChars, static_cast<double>(std::max(0, pixels)) / kDigitPixels);
    return static_cast<quint16>(std::lround(chars * 256));
}

} // namespace zu
