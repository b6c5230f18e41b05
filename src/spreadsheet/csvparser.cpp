#include "csvparser.h"

#include <QStringDecoder>

namespace zu {

namespace {

class CsvScanner final
{
public:
    explicit CsvScanner(const QString& text) : m_text(text) {}

    bool run(QList<QStringList>* rows, QString* reason)
    {
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos);
            if (c == QLatin1Char('"') && m_field.isEmpty() && !m_fieldStarted) {
                if (!readQuoted(reason))
                    return false;
            } else if (c == QLatin1Char(',')) {
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
    qsizetype m_pos = 0;
    int m_line = 1;
    QString m_field;
    bool m_fieldStarted = false;
    QStringList m_row;
};

} // namespace

bool parseCsv(const QByteArray& bytes, QList<QStringList>* rows, QString* reason)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError()) {
        *reason = QStringLiteral("文件不是 UTF-8 编码的文本");
        return false;
    }
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    rows->clear();
    return CsvScanner(text).run(rows, reason);
}

} // namespace zu
