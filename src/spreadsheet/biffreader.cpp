#include "biffreader.h"

#include "numberformat.h"

#include <QStringDecoder>
#include <QtEndian>

#include <cstring>

#include <vector>

namespace zu {

namespace {

enum Record : quint16
{
    Bof = 0x0809,
    Eof = 0x000A,
    Continue = 0x003C,
    FilePass = 0x002F,
    CodePage = 0x0042,
    DateMode = 0x0022,
    Window1 = 0x003D,
    BoundSheet = 0x0085,
    Format = 0x041E,
    Xf = 0x00E0,
    Sst = 0x00FC,
    LabelSst = 0x00FD,
    Label = 0x0204,
    RString = 0x00D6,
    Number = 0x0203,
    Rk = 0x027E,
    MulRk = 0x00BD,
    BoolErr = 0x0205,
    Formula = 0x0006,
    String = 0x0207,
    // Records that may stand between a formula and the STRING record holding its text.
    SharedFormula = 0x04BC,
    ArrayFormula = 0x0221,
    DataTable = 0x0236,
};

constexpr quint16 kBiff8 = 0x0600;
constexpr quint16 kBiff5 = 0x0500;
constexpr quint16 kGlobals = 0x0005;
constexpr quint16 kWorksheet = 0x0010;
constexpr quint8 kWorksheetKind = 0;
constexpr int kBiff5MaxRows = 16384;
// The largest serial that is a date (9999-12-31).
constexpr double kLastDateSerial = 2958465;

QString damaged(const QString& what)
{
    return QStringLiteral("文件已损坏（%1）").arg(what);
}

struct RecordView
{
    quint16 type = 0;
    QByteArrayView body;
};

// The records of a BIFF stream from a position on: type, length, body.
class RecordReader final
{
public:
    RecordReader(QByteArrayView stream, qsizetype from) : m_stream(stream), m_pos(from) {}

    // False at the end of the stream; truncated() tells whether a record ran past it.
    bool next(RecordView* record)
    {
        if (m_pos + 4 > m_stream.size()) {
            m_truncated = m_pos < m_stream.size();
            return false;
        }
        const quint16 type = qFromLittleEndian<quint16>(m_stream.data() + m_pos);
        const quint16 length = qFromLittleEndian<quint16>(m_stream.data() + m_pos + 2);
        if (m_pos + 4 + length > m_stream.size()) {
            m_truncated = true;
            return false;
        }
        record->type = type;
        record->body = m_stream.sliced(m_pos + 4, length);
        m_pos += 4 + length;
        return true;
    }

    // The bodies of the CONTINUE records that follow the record just read.
    QList<QByteArrayView> continues()
    {
        QList<QByteArrayView> bodies;
        for (;;) {
            RecordReader peek(m_stream, m_pos);
            RecordView record;
            if (!peek.next(&record) || record.type != Continue)
                return bodies;
            bodies.append(record.body);
            m_pos = peek.m_pos;
        }
    }

    bool truncated() const { return m_truncated; }

private:
    QByteArrayView m_stream;
    qsizetype m_pos;
    bool m_truncated = false;
};

// Bytes that go on from one record body into the next: a string that does not fit into its
// record continues in a CONTINUE record, whose first byte repeats the string's flags.
class Pieces final
{
public:
    explicit Pieces(QList<QByteArrayView> bodies, qsizetype offset = 0)
        : m_bodies(std::move(bodies)), m_pos(offset)
    {
    }

    bool atPieceEnd() const { return m_pos >= piece().size(); }
    bool nextPiece()
    {
        if (m_index + 1 >= m_bodies.size())
            return false;
        ++m_index;
        m_pos = 0;
        return true;
    }

    bool bytes(qsizetype count, QByteArray* out)
    {
        while (count > 0) {
            if (atPieceEnd() && !nextPiece())
                return false;
            const qsizetype take = std::min(count, piece().size() - m_pos);
            if (out)
                out->append(piece().sliced(m_pos, take));
            m_pos += take;
            count -= take;
        }
        return true;
    }
    bool skip(qsizetype count) { return bytes(count, nullptr); }
    template <typename T> bool le(T* value)
    {
        QByteArray b;
        if (!bytes(sizeof(T), &b))
            return false;
        *value = qFromLittleEndian<T>(b.constData());
        return true;
    }

    // `count` characters, one or two bytes each; after a piece boundary a new flags byte says which.
    bool characters(quint32 count, bool wide, QString* out)
    {
        out->reserve(static_cast<qsizetype>(std::min<quint32>(count, 32767)));
        while (count > 0) {
            if (atPieceEnd()) {
                quint8 flags = 0;
                if (!nextPiece() || !le(&flags))
                    return false;
                wide = flags & 0x01;
                continue;
            }
            const qsizetype width = wide ? 2 : 1;
            const qsizetype fit = std::min<qsizetype>(count, (piece().size() - m_pos) / width);
            if (fit == 0)
                return false;
            const char* p = piece().data() + m_pos;
            if (wide)
                out->append(QStringView(reinterpret_cast<const char16_t*>(p), fit).toString());
            else
                out->append(QLatin1StringView(p, fit));
            m_pos += fit * width;
            count -= static_cast<quint32>(fit);
        }
        return true;
    }

private:
    QByteArrayView piece() const { return m_bodies.at(m_index); }

    QList<QByteArrayView> m_bodies;
    qsizetype m_index = 0;
    qsizetype m_pos;
};

QString errorText(quint8 code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2A:
        return QStringLiteral("#N/A");
    default:
        return QStringLiteral("#ERROR!");
    }
}

// A value stored as RK: a 30-bit integer or the high 30 bits of a double, perhaps divided by 100.
double rkValue(quint32 rk)
{
    double value = 0;
    if (rk & 0x02) {
        value = static_cast<double>(static_cast<qint32>(rk) >> 2);
    } else {
        const quint64 bits = static_cast<quint64>(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100 : value;
}

QString codePageName(quint16 codePage)
{
    switch (codePage) {
    case 936:
        return QStringLiteral("GB18030");
    case 950:
        return QStringLiteral("Big5");
    case 932:
        return QStringLiteral("Shift_JIS");
    case 949:
        return QStringLiteral("windows-949");
    case 10000:
        return QStringLiteral("macintosh");
    case 367:
    case 32768:
    case 32769:
        return QStringLiteral("windows-1252");
    default:
        return QStringLiteral("windows-%1").arg(codePage);
    }
}

struct CellFormat
{
    DateKind dateKind = DateKind::None;
    QString code; // of a number format that is not a date or time; empty for General
};

struct SheetEntry
{
    SheetInfo info;
    quint32 offset;
};

} // namespace

struct BiffWorkbookFile::Private
{
    QByteArray stream;
    bool biff8 = true;
    QStringDecoder codePage{QStringDecoder::Latin1};
    QDate origin{1899, 12, 30};
    QStringList sharedStrings;
    std::vector<CellFormat> cellFormats;
    QList<quint32> sheetOffsets;

    bool readGlobals(QList<SheetInfo>* sheets, int* active, QString* reason);
    bool readSharedStrings(QList<QByteArrayView> bodies, QString* reason);

    // A string with a 1- or 2-byte character count: BIFF8 Unicode with flags, BIFF5 in the code page.
    bool readString(Pieces& pieces, int countBytes, QString* out)
    {
        quint32 count = 0;
        if (countBytes == 1) {
            quint8 n = 0;
            if (!pieces.le(&n))
                return false;
            count = n;
        } else {
            quint16 n = 0;
            if (!pieces.le(&n))
                return false;
            count = n;
        }
        if (!biff8) {
            QByteArray raw;
            if (!pieces.bytes(count, &raw))
                return false;
            *out = codePage.decode(raw);
            return true;
        }
        quint8 flags = 0;
        quint16 runs = 0;
        quint32 extra = 0;
        if (!pieces.le(&flags) || ((flags & 0x08) && !pieces.le(&runs)) ||
            ((flags & 0x04) && !pieces.le(&extra)))
            return false;
        out->clear();
        return pieces.characters(count, flags & 0x01, out) && pieces.skip(4 * qsizetype(runs)) &&
               pieces.skip(extra);
    }

    const CellFormat& formatOf(quint16 xf) const
    {
        static const CellFormat general;
        return xf < cellFormats.size() ? cellFormats[xf] : general;
    }

    void putNumber(SheetTable* table, int row, int column, quint16 xf, double value) const
    {
        const CellFormat& format = formatOf(xf);
        if (format.dateKind != DateKind::None && value >= 0 && value <= kLastDateSerial) {
            table->setText(row, column, dateTimeText(value, origin, format.dateKind));
            return;
        }
        table->setFormattedNumber(row, column, formatCellNumber(value, format.code), value);
    }
};

bool BiffWorkbookFile::Private::readSharedStrings(QList<QByteArrayView> bodies, QString* reason)
{
    Pieces pieces(std::move(bodies));
    quint32 total = 0;
    quint32 unique = 0;
    if (!pieces.le(&total) || !pieces.le(&unique)) {
        *reason = damaged(QStringLiteral("共享字符串表不完整"));
        return false;
    }
    // The count comes from the file: it reserves no more than the records can hold.
    sharedStrings.reserve(std::min<qsizetype>(unique, stream.size() / 3));
    for (quint32 i = 0; i < unique; ++i) {
        if (pieces.atPieceEnd() && !pieces.nextPiece()) {
            *reason = damaged(QStringLiteral("共享字符串表比它所说的短"));
            return false;
        }
        QString text;
        if (!readString(pieces, 2, &text)) {
            *reason = damaged(QStringLiteral("共享字符串表中的第 %1 个文字不完整").arg(i + 1));
            return false;
        }
        sharedStrings.append(text);
    }
    return true;
}

bool BiffWorkbookFile::Private::readGlobals(QList<SheetInfo>* sheets, int* active, QString* reason)
{
    RecordReader records(stream, 0);
    RecordView record;
    if (!records.next(&record) || record.type != Bof || record.body.size() < 4) {
        *reason = QStringLiteral(
            "文件中的工作簿是 Excel 4.0 或更早版本的格式，请用 Excel 另存为 .xls 或 .xlsx 后再导入");
        return false;
    }
    const quint16 version = qFromLittleEndian<quint16>(record.body.data());
    const quint16 kind = qFromLittleEndian<quint16>(record.body.data() + 2);
    if ((version != kBiff8 && version != kBiff5) || kind != kGlobals) {
        *reason = QStringLiteral("不支持这个版本的 Excel 文件（BIFF 版本 %1）")
                      .arg(version, 4, 16, QLatin1Char('0'));
        return false;
    }
    biff8 = version == kBiff8;
    QHash<quint16, QString> formatCodes;
    QList<quint16> xfFormats;
    int activeTab = 0;
    QList<quint8> sheetKinds;
    QList<SheetEntry> entries;
    bool sawEof = false;
    while (!sawEof && records.next(&record)) {
        const QByteArrayView body = record.body;
        switch (record.type) {
        case FilePass:
            *reason = QStringLiteral("文件有密码保护，请在 Excel 中取消密码后再导入");
            return false;
        case CodePage:
            if (body.size() >= 2 && !biff8) {
                const quint16 page = qFromLittleEndian<quint16>(body.data());
                QStringDecoder decoder(codePageName(page).toLatin1().constData());
                if (decoder.isValid())
                    codePage = std::move(decoder);
            }
            break;
        case DateMode:
            if (body.size() >= 2 && qFromLittleEndian<quint16>(body.data()) == 1)
                origin = QDate(1904, 1, 1);
            break;
        case Window1:
            if (body.size() >= 12)
                activeTab = qFromLittleEndian<quint16>(body.data() + 10);
            break;
        case BoundSheet: {
            if (body.size() < 7) {
                *reason = damaged(QStringLiteral("工作表目录记录太短"));
                return false;
            }
            Pieces pieces({body}, 6);
            QString name;
            if (!readString(pieces, 1, &name)) {
                *reason = damaged(QStringLiteral("工作表名称不完整"));
                return false;
            }
            const auto visibility = static_cast<quint8>(body[4]);
            sheetKinds.append(static_cast<quint8>(body[5]));
            entries.append({{name, visibility != 0}, qFromLittleEndian<quint32>(body.data())});
            break;
        }
        case Format: {
            if (body.size() < 3)
                break;
            Pieces pieces({body}, 2);
            QString code;
            if (readString(pieces, biff8 ? 2 : 1, &code))
                formatCodes.insert(qFromLittleEndian<quint16>(body.data()), code);
            break;
        }
        case Xf:
            if (body.size() >= 4)
                xfFormats.append(qFromLittleEndian<quint16>(body.data() + 2));
            break;
        case Sst:
            if (biff8 && sharedStrings.isEmpty()) {
                QList<QByteArrayView> bodies{body};
                bodies += records.continues();
                if (!readSharedStrings(bodies, reason))
                    return false;
            }
            break;
        case Eof:
            sawEof = true;
            break;
        default:
            break;
        }
    }
    if (!sawEof) {
        *reason = damaged(records.truncated() ? QStringLiteral("工作簿的记录被截断")
                                              : QStringLiteral("工作簿没有结束标记"));
        return false;
    }

    cellFormats.reserve(static_cast<size_t>(xfFormats.size()));
    for (const quint16 id : xfFormats) {
        const QString code = formatCodes.value(id, builtInFormatCode(id));
        const DateKind kind = dateKindOf(id, formatCodes.value(id));
        cellFormats.push_back(
            {kind, kind == DateKind::None && code.compare(QLatin1String("General"), Qt::CaseInsensitive) != 0
                       ? code
                       : QString()});
    }

    *active = -1;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (sheetKinds[i] != kWorksheetKind)
            continue;
        if (i == activeTab)
            *active = static_cast<int>(sheets->size());
        sheets->append(entries[i].info);
        sheetOffsets.append(entries[i].offset);
    }
    if (sheets->isEmpty()) {
        *reason = QStringLiteral("文件中没有工作表");
        return false;
    }
    if (*active < 0) {
        *active = 0;
        for (qsizetype i = 0; i < sheets->size(); ++i) {
            if (!sheets->at(i).hidden) {
                *active = static_cast<int>(i);
                break;
            }
        }
    }
    return true;
}

BiffWorkbookFile::BiffWorkbookFile() : WorkbookFile(kMaxRows), d(std::make_unique<Private>()) {}
BiffWorkbookFile::~BiffWorkbookFile() = default;

bool BiffWorkbookFile::load(const QByteArray& workbookStream, QString* reason)
{
    d->stream = workbookStream;
    if (!d->readGlobals(&m_sheets, &m_activeSheet, reason))
        return false;
    m_maxRows = d->biff8 ? kMaxRows : kBiff5MaxRows;
    return true;
}

bool BiffWorkbookFile::readSheet(int index, SheetTable* table, QString* reason)
{
    *table = SheetTable();
    if (index < 0 || index >= m_sheets.size()) {
        *reason = QStringLiteral("文件中没有第 %1 个工作表").arg(index + 1);
        return false;
    }
    table->name = m_sheets[index].name;
    const QString where = QStringLiteral("工作表“%1”").arg(table->name);
    RecordReader records(d->stream, d->sheetOffsets[index]);
    RecordView record;
    if (!records.next(&record) || record.type != Bof || record.body.size() < 4 ||
        qFromLittleEndian<quint16>(record.body.data() + 2) != kWorksheet) {
        *reason = damaged(where + QStringLiteral("的位置不对"));
        return false;
    }
    int depth = 0; // charts embedded in the sheet have their own BOF ... EOF
    int pendingRow = -1, pendingColumn = -1;
    bool ended = false;
    auto cellPosition = [&](QByteArrayView body, int* row, int* column) {
        if (body.size() < 6)
            return false;
        *row = qFromLittleEndian<quint16>(body.data());
        *column = qFromLittleEndian<quint16>(body.data() + 2);
        return *row < m_maxRows && *column < kMaxColumns;
    };
    auto xfOf = [](QByteArrayView body) { return qFromLittleEndian<quint16>(body.data() + 4); };
    while (!ended && records.next(&record)) {
        const QByteArrayView body = record.body;
        if (record.type == Bof) {
            ++depth;
            continue;
        }
        if (record.type == Eof) {
            if (depth == 0)
                ended = true;
            else
                --depth;
            continue;
        }
        if (depth > 0)
            continue;
        int row = 0, column = 0;
        switch (record.type) {
        case LabelSst:
            if (body.size() < 10 || !cellPosition(body, &row, &column))
                break;
            if (const quint32 i = qFromLittleEndian<quint32>(body.data() + 6);
                i < static_cast<quint32>(d->sharedStrings.size())) {
                table->setText(row, column, d->sharedStrings.at(i));
            } else {
                *reason = damaged(where + QStringLiteral("第 %1 行第 %2 列的文字编号超出了共享字符串表")
                                              .arg(row + 1)
                                              .arg(column + 1));
                return false;
            }
            pendingRow = -1;
            break;
        case Label:
        case RString: {
            if (!cellPosition(body, &row, &column))
                break;
            QList<QByteArrayView> bodies{body};
            bodies += records.continues();
            Pieces pieces(bodies, 6);
            QString text;
            if (!d->readString(pieces, 2, &text)) {
                *reason = damaged(
                    where + QStringLiteral("第 %1 行第 %2 列的文字不完整").arg(row + 1).arg(column + 1));
                return false;
            }
            table->setText(row, column, text);
            pendingRow = -1;
            break;
        }
        case Number:
            if (body.size() >= 14 && cellPosition(body, &row, &column)) {
                double value = 0;
                const quint64 bits = qFromLittleEndian<quint64>(body.data() + 6);
                std::memcpy(&value, &bits, sizeof value);
                d->putNumber(table, row, column, xfOf(body), value);
            }
            pendingRow = -1;
            break;
        case Rk:
            if (body.size() >= 10 && cellPosition(body, &row, &column))
                d->putNumber(table, row, column, xfOf(body),
                             rkValue(qFromLittleEndian<quint32>(body.data() + 6)));
            pendingRow = -1;
            break;
        case MulRk: {
            if (body.size() < 12 || !cellPosition(body, &row, &column))
                break;
            const qsizetype count = (body.size() - 6) / 6;
            for (qsizetype i = 0; i < count && column + i < kMaxColumns; ++i) {
                const char* p = body.data() + 4 + i * 6;
                d->putNumber(table, row, column + static_cast<int>(i), qFromLittleEndian<quint16>(p),
                             rkValue(qFromLittleEndian<quint32>(p + 2)));
            }
            pendingRow = -1;
            break;
        }
        case BoolErr:
            if (body.size() >= 8 && cellPosition(body, &row, &column)) {
                const auto value = static_cast<quint8>(body[6]);
                table->setText(row, column,
                               body[7] ? errorText(value)
                               : value ? QStringLiteral("TRUE")
                                       : QStringLiteral("FALSE"));
            }
            pendingRow = -1;
            break;
        case Formula: {
            pendingRow = -1;
            if (body.size() < 14 || !cellPosition(body, &row, &column))
                break;
            const char* result = body.data() + 6;
            if (qFromLittleEndian<quint16>(result + 6) != 0xFFFF) {
                double value = 0;
                const quint64 bits = qFromLittleEndian<quint64>(result);
                std::memcpy(&value, &bits, sizeof value);
                d->putNumber(table, row, column, xfOf(body), value);
                break;
            }
            switch (static_cast<quint8>(result[0])) {
            case 0: // the text follows in a STRING record
                pendingRow = row;
                pendingColumn = column;
                break;
            case 1:
                table->setText(row, column, result[2] ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
                break;
            case 2:
                table->setText(row, column, errorText(static_cast<quint8>(result[2])));
                break;
            default:
                break;
            }
            break;
        }
        case String: {
            QList<QByteArrayView> bodies{body};
            bodies += records.continues();
            if (pendingRow < 0)
                break;
            Pieces pieces(bodies);
            QString text;
            if (!d->readString(pieces, 2, &text)) {
                *reason = damaged(where + QStringLiteral("第 %1 行第 %2 列的公式结果不完整")
                                              .arg(pendingRow + 1)
                                              .arg(pendingColumn + 1));
                return false;
            }
            table->setText(pendingRow, pendingColumn, text);
            pendingRow = -1;
            break;
        }
        case SharedFormula:
        case ArrayFormula:
        case DataTable:
            break;
        default:
            break;
        }
    }
    if (!ended) {
        *reason = damaged(
            where + (records.truncated() ? QStringLiteral("的记录被截断") : QStringLiteral("没有结束标记")));
        return false;
    }
    return true;
}

} // namespace zu
