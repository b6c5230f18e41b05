#include "sheetstream.h"

#include <QIODevice>
#include <QLocale>

namespace zu {

namespace {

const QByteArray kMagic = QByteArrayLiteral("ZUSHEET 1");

void appendEscaped(QString& line, QStringView text)
{
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            line += QLatin1String("\\\\");
            break;
        case u'\t':
            line += QLatin1String("\\t");
            break;
        case u'\n':
            line += QLatin1String("\\n");
            break;
        case u'\r':
            line += QLatin1String("\\r");
            break;
        default:
            line += c;
        }
    }
}

// Undoes appendEscaped on UTF-8 bytes; the text after an unescaped "\=" goes to *number.
QByteArray unescape(QByteArrayView bytes, QByteArrayView* number = nullptr)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\\' || i + 1 >= bytes.size()) {
            out += c;
            continue;
        }
        switch (bytes[++i]) {
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case '=':
            if (number)
                *number = bytes.sliced(i + 1);
            return out;
        default:
            out += bytes[i];
        }
    }
    return out;
}

bool isBlank(const QString& text)
{
    for (const QChar c : text)
        if (!c.isSpace())
            return false;
    return true;
}

class LineWriter final
{
public:
    explicit LineWriter(QIODevice* out) : m_out(out) {}
    ~LineWriter() { flush(); }
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    void line(const QString& text)
    {
        m_buffer += text.toUtf8();
        m_buffer += '\n';
        if (m_buffer.size() >= kFlushBytes)
            flush();
    }
    void flush()
    {
        if (!m_buffer.isEmpty())
            m_out->write(m_buffer);
        m_buffer.clear();
    }

private:
    static constexpr qsizetype kFlushBytes = 1 << 20;
    QIODevice* m_out;
    QByteArray m_buffer;
};

// Writes row `r` of the table when it has a cell that is not blank, or when `always`.
bool writeRow(LineWriter& out, const SheetTable& table, int r, bool always)
{
    const QStringList& cells = table.rows.at(r);
    qsizetype last = cells.size() - 1;
    while (last >= 0 && isBlank(cells.at(last)))
        --last;
    if (last < 0 && !always)
        return false;
    QString line = QString::number(r + 1);
    for (qsizetype c = 0; c <= last; ++c) {
        line += QLatin1Char('\t');
        appendEscaped(line, cells.at(c));
        if (const std::optional<double> number = table.formattedNumber(r, static_cast<int>(c))) {
            line += QLatin1String("\\=");
            line += QString::number(*number, 'g', QLocale::FloatingPointShortest);
        }
    }
    out.line(line);
    return true;
}

QStringList trimmedTitles(const SheetTable& table)
{
    QStringList titles = table.rows.value(0);
    while (!titles.isEmpty() && isBlank(titles.last()))
        titles.removeLast();
    return titles;
}

} // namespace

bool writeSheetStream(WorkbookFile& book, int sheet, QIODevice* out, QString* reason)
{
    const QList<SheetInfo>& sheets = book.sheets();
    const int chosen = sheet < 0 ? book.activeSheet() : sheet;
    if (chosen >= sheets.size()) {
        *reason = QStringLiteral("文件中只有 %1 个工作表，没有第 %2 个").arg(sheets.size()).arg(chosen + 1);
        return false;
    }
    LineWriter lines(out);
    lines.line(QString::fromLatin1(kMagic));
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        QString line = QStringLiteral("SHEET %1 %2 ").arg(i).arg(sheets[i].hidden ? 1 : 0);
        appendEscaped(line, sheets[i].name);
        lines.line(line);
    }
    lines.line(QStringLiteral("ACTIVE %1").arg(book.activeSheet()));
    lines.line(QStringLiteral("CHOSEN %1").arg(chosen));

    qint64 written = 0;
    SheetTable table;
    if (!book.readSheet(chosen, &table, reason))
        return false;
    const QStringList titles = trimmedTitles(table);
    lines.line(QStringLiteral("PART %1").arg(chosen));
    for (int r = 0; r < table.rows.size(); ++r)
        written += writeRow(lines, table, r, r == 0) ? 1 : 0;
    if (table.rows.isEmpty()) {
        lines.line(QStringLiteral("1"));
        ++written;
    }
    for (int next = chosen + 1; table.rows.size() >= book.maxRows() && !titles.isEmpty() &&
                                next < sheets.size() && !sheets[next].hidden;
         ++next) {
        if (!book.readSheet(next, &table, reason))
            return false;
        if (trimmedTitles(table) != titles)
            break;
        lines.line(QStringLiteral("PART %1").arg(next));
        for (int r = 1; r < table.rows.size(); ++r)
            written += writeRow(lines, table, r, false) ? 1 : 0;
    }
    lines.line(QStringLiteral("END %1").arg(written));
    return true;
}

void writeSheetStreamError(QIODevice* out, const QString& reason)
{
    QString line = QStringLiteral("ERROR ");
    appendEscaped(line, reason);
    LineWriter(out).line(line);
}

bool SheetData::parse(QByteArray lines, QString* reason)
{
    m_lines = std::move(lines);
    m_sheets.clear();
    m_parts.clear();
    m_titleRow.reset();
    m_rows.clear();
    m_columnCount = 0;
    m_active = m_chosen = 0;
    const QString broken = QStringLiteral("读取程序的输出不完整或无法识别");
    if (!m_lines.startsWith(kMagic)) {
        *reason = m_lines.startsWith("ERROR ")
                      ? QString::fromUtf8(unescape(QByteArrayView(m_lines).sliced(6).trimmed()))
                      : broken;
        return false;
    }
    const char* data = m_lines.constData();
    qsizetype pos = 0;
    qint64 declared = -1;
    while (pos < m_lines.size()) {
        qsizetype end = m_lines.indexOf('\n', pos);
        if (end < 0)
            end = m_lines.size();
        const QByteArrayView line(data + pos, end - pos);
        // A row line begins with the row's number, counted from 1.
        if (!line.isEmpty() && line[0] >= '1' && line[0] <= '9') {
            if (m_parts.isEmpty() || declared >= 0) {
                *reason = broken;
                return false;
            }
            const int part = static_cast<int>(m_parts.size() - 1);
            const int cells = static_cast<int>(line.count('\t'));
            m_columnCount = std::max(m_columnCount, cells);
            const qsizetype tab = line.indexOf('\t');
            const bool firstOfList = part == 0 && !m_titleRow && m_rows.empty();
            if (firstOfList && (tab < 0 ? line : line.first(tab)) == "1")
                m_titleRow = RowLine{pos, end, part};
            else
                m_rows.push_back({pos, end, part});
        } else if (line.startsWith("SHEET ")) {
            const QList<QByteArray> fields = line.sliced(6).toByteArray().split(' ');
            const qsizetype nameAt = 6 + fields.value(0).size() + 1 + fields.value(1).size() + 1;
            m_sheets.append({QString::fromUtf8(unescape(line.sliced(std::min(nameAt, line.size())))),
                             fields.value(1) == "1"});
        } else if (line.startsWith("ACTIVE ")) {
            m_active = line.sliced(7).toInt();
        } else if (line.startsWith("CHOSEN ")) {
            m_chosen = line.sliced(7).toInt();
        } else if (line.startsWith("PART ")) {
            bool ok = false;
            const int sheet = line.sliced(5).toInt(&ok);
            if (!ok || sheet < 0 || sheet >= m_sheets.size()) {
                *reason = broken;
                return false;
            }
            m_parts.append(sheet);
        } else if (line.startsWith("END ")) {
            declared = line.sliced(4).toLongLong();
        } else if (line.startsWith("ERROR ")) {
            *reason = QString::fromUtf8(unescape(line.sliced(6)));
            return false;
        } else if (line != kMagic) {
            *reason = broken;
            return false;
        }
        pos = end + 1;
    }
    const qint64 rows = static_cast<qint64>(m_rows.size()) + (m_titleRow ? 1 : 0);
    if (declared != rows || m_parts.isEmpty() || m_active < 0 || m_active >= m_sheets.size() ||
        m_chosen < 0 || m_chosen >= m_sheets.size()) {
        *reason = broken;
        return false;
    }
    return true;
}

QList<CellValue> SheetData::decodeCells(qsizetype begin, qsizetype end, int* sheetRow) const
{
    const QByteArrayView line(m_lines.constData() + begin, end - begin);
    QList<CellValue> cells;
    qsizetype field = line.indexOf('\t');
    *sheetRow = (field < 0 ? line : line.first(field)).toInt();
    while (field >= 0) {
        const qsizetype next = line.indexOf('\t', field + 1);
        const QByteArrayView bytes = line.sliced(field + 1, (next < 0 ? line.size() : next) - field - 1);
        QByteArrayView number;
        CellValue cell;
        cell.text = QString::fromUtf8(unescape(bytes, &number));
        if (!number.isEmpty()) {
            bool ok = false;
            const double value = number.toDouble(&ok);
            if (ok)
                cell.number = value;
        }
        cells.append(std::move(cell));
        field = next;
    }
    return cells;
}

QStringList SheetData::titles() const
{
    if (!m_titleRow)
        return {};
    int row = 0;
    QStringList out;
    for (const CellValue& cell : decodeCells(m_titleRow->begin, m_titleRow->end, &row))
        out << cell.text;
    return out;
}

SheetRecord SheetData::record(int index) const
{
    const RowLine& line = m_rows.at(static_cast<size_t>(index));
    SheetRecord record;
    record.part = line.part;
    record.cells = decodeCells(line.begin, line.end, &record.sheetRow);
    return record;
}

QString SheetData::cellText(int index, int column) const
{
    const RowLine& line = m_rows.at(static_cast<size_t>(index));
    const QByteArrayView bytes(m_lines.constData() + line.begin, line.end - line.begin);
    qsizetype field = -1;
    for (int c = 0; c <= column; ++c) {
        field = bytes.indexOf('\t', field + 1);
        if (field < 0)
            return {};
    }
    const qsizetype next = bytes.indexOf('\t', field + 1);
    return QString::fromUtf8(unescape(bytes.sliced(field + 1, (next < 0 ? bytes.size() : next) - field - 1)));
}

QString SheetData::rowLabel(const SheetRecord& record) const
{
    if (record.part == 0)
        return QStringLiteral("第 %1 行").arg(record.sheetRow);
    return QStringLiteral("工作表“%1”第 %2 行")
        .arg(m_sheets.value(m_parts.value(record.part)).name)
        .arg(record.sheetRow);
}

} // namespace zu
