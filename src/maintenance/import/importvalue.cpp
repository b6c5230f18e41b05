#include "importvalue.h"

#include "data/numbertext.h"

#include <QLocale>
#include <QRegularExpression>

namespace zu {

namespace {

// year, month, day, then optionally hours, minutes and seconds.
const QRegularExpression& datePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{4})\\s*[-/.年]\\s*(\\d{1,2})\\s*[-/.月]\\s*(\\d{1,2})\\s*日?"
                       "(?:(?:\\s+|T)(\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.\\d+)?)?)?$"));
    return pattern;
}

std::optional<bool> parseBoolean(const QString& text)
{
    const QString t = text.trimmed().toLower();
    for (const char* yes : {"1", "true", "yes", "是", "真", "√"})
        if (t == QString::fromUtf8(yes))
            return true;
    for (const char* no : {"0", "false", "no", "否", "假", "×"})
        if (t == QString::fromUtf8(no))
            return false;
    return std::nullopt;
}

} // namespace

QDateTime parseSheetDate(const QString& text)
{
    const QString t = text.trimmed();
    if (const QRegularExpressionMatch m = datePattern().match(t); m.hasMatch()) {
        const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (!date.isValid())
            return {};
        if (m.captured(4).isEmpty())
            return date.startOfDay();
        const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
        return time.isValid() ? QDateTime(date, time) : QDateTime();
    }
    // The desktop's own short form, for a worksheet saved as text on this computer.
    const QLocale system = QLocale::system();
    if (const QDateTime dt = system.toDateTime(t, QLocale::ShortFormat); dt.isValid())
        return dt;
    if (const QDate d = system.toDate(t, QLocale::ShortFormat); d.isValid())
        return d.startOfDay();
    return {};
}

std::optional<QVariant> importValue(const QString& text, ColumnType type, QString* reason)
{
    if (text.isEmpty() || (type != ColumnType::Text && text.trimmed().isEmpty()))
        return QVariant();
    switch (type) {
    case ColumnType::Text:
        return QVariant(text);
    case ColumnType::Integer:
        if (const std::optional<int> v = parseIntegerText(text))
            return QVariant(*v);
        *reason = QStringLiteral("“%1”不是整数").arg(text);
        return std::nullopt;
    case ColumnType::Float:
        if (const std::optional<double> v = parseDecimalText(text))
            return QVariant(*v);
        *reason = QStringLiteral("“%1”不是数字").arg(text);
        return std::nullopt;
    case ColumnType::DateTime:
        if (const QDateTime dt = parseSheetDate(text); dt.isValid())
            return QVariant(dt);
        *reason = QStringLiteral("“%1”不是日期").arg(text);
        return std::nullopt;
    case ColumnType::Boolean:
        if (const std::optional<bool> v = parseBoolean(text))
            return QVariant(*v);
        *reason = QStringLiteral("“%1”不是“是”或“否”").arg(text);
        return std::nullopt;
    }
    return QVariant(text);
}

} // namespace zu
