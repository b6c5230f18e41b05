#include "csvparser.h"

#include <QStringDecoder>

#include <algorithm>

namespace zu {

namespace {

class CsvScanner final
{
public:
    CsvScanner(const QString& text, QChar separator) : m_text(text), m_separator(separator) {}

    bool run(QList<QStringList>* rows, QString* reason)
    {
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos);
            if (c == QLatin1Char('"') && m_field.isEmpty() && !m_fieldStarted) {
                if (!readQuoted(reason))
                    return false;
            } else if (c == m_separator) {
                endField();
                ++m_pos;
            } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                endRow(rows);
                m_pos += c == QLatin1Char('\r') && m_pos + 1 < m_text.size() &&
                                 m_text.at(m_pos + 1) == QLatin1Char('\n')
                             ? 2
                             : 1;
                ++m_line;
            } else {
                m_field.append(c);
                m_fieldStarted = true;
                ++m_pos;
            }
        }
        if (m_fieldStarted || !m_row.isEmpty())
            endRow(rows);
        return true;
    }

private:
    // A quoted field; text after its closing quote, up to the next separator, is kept as written.
    bool readQuoted(QString* reason)
    {
        const int startLine = m_line;
        ++m_pos;
        m_fieldStarted = true;
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos);
            if (c == QLatin1Char('"')) {
                if (m_pos + 1 < m_text.size() && m_text.at(m_pos + 1) == QLatin1Char('"')) {
                    m_field.append(c);
                    m_pos += 2;
                    continue;
                }
                ++m_pos;
                return true;
            }
            if (c == QLatin1Char('\n'))
                ++m_line;
            m_field.append(c);
            ++m_pos;
        }
        *reason = QStringLiteral("第 %1 行的引号没有闭合").arg(startLine);
        return false;
    }

    void endField()
    {
        m_row.append(m_field);
        m_field.clear();
        m_fieldStarted = false;
    }

    void endRow(QList<QStringList>* rows)
    {
        endField();
        rows->append(m_row);
        m_row.clear();
    }

    const QString& m_text;
    QChar m_separator;
    qsizetype m_pos = 0;
    int m_line = 1;
    QString m_field;
    bool m_fieldStarted = false;
    QStringList m_row;
};

// Separators outside quotes on each of the first lines.
QList<int> separatorsPerLine(QStringView text, QChar separator)
{
    constexpr int kLinesLooked = 50;
    QList<int> counts{0};
    bool quoted = false;
    for (qsizetype i = 0; i < text.size() && counts.size() <= kLinesLooked; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == separator)
            ++counts.last();
        else if (c == QLatin1Char('\n') && i + 1 < text.size())
            counts.append(0);
    }
    return counts;
}

} // namespace

bool decodeCsvText(const QByteArray& bytes, QString* text, QString* reason)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                            : QStringDecoder::Utf16BE);
        *text = decoder(QByteArrayView(bytes).sliced(2));
        if (!decoder.hasError() && bytes.size() % 2 == 0)
            return true;
        *reason = QStringLiteral("文件以 UTF-16 标记开头，但内容不是 UTF-16 文字");
        return false;
    }
    if (bytes.contains('\0')) {
        *reason = QStringLiteral("文件中有二进制数据，不是文本（CSV）文件");
        return false;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    *text = utf8(bytes);
    if (!utf8.hasError()) {
        if (text->startsWith(QChar(0xFEFF)))
            text->remove(0, 1);
        return true;
    }
    QStringDecoder gb18030("GB18030");
    if (gb18030.isValid()) {
        *text = gb18030(bytes);
        if (!gb18030.hasError())
            return true;
    }
    *reason = QStringLiteral("文件的文字编码无法识别（支持 UTF-8、UTF-16 和 GBK/GB18030）");
    return false;
}

QChar csvSeparator(QStringView text)
{
    QChar best = QLatin1Char(',');
    qsizetype bestScore = 0;
    for (const QChar candidate : {QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')}) {
        const QList<int> counts = separatorsPerLine(text, candidate);
        if (counts.first() == 0)
            continue;
        const auto same = std::count(counts.cbegin(), counts.cend(), counts.first());
        const qsizetype score = same * 1000 + counts.first();
        if (score > bestScore) {
            best = candidate;
            bestScore = score;
        }
    }
    return best;
}

bool parseCsvText(const QString& text, QChar separator, QList<QStringList>* rows, QString* reason)
{
    rows->clear();
    return CsvScanner(text, separator).run(rows, reason);
}

bool parseCsv(const QByteArray& bytes, QList<QStringList>* rows, QString* reason)
{
    QString text;
    if (!decodeCsvText(bytes, &text, reason))
        return false;
    return parseCsvText(text, csvSeparator(text), rows, reason);
}

} // namespace zu
