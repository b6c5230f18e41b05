#include "importvalue.h"

#include "data/numbertext.h"

#include <QLocale>
#include <QRegularExpression>

#include <limits>

#include <cmath>

namespace zu {

namespace {

// Serial numbers of dates: from 1 March 1900 (before it the 1900 date system counts a day that
// never was) to 31 December 9999.
constexpr double kFirstSerial = 61;
constexpr double kLastSerial = 2958465;

// year, month, day, then optionally hours, minutes and seconds.
const QRegularExpression& yearFirst()
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{4})\\s*[-/.年]\\s*(\\d{1,2})\\s*[-/.月]\\s*(\\d{1,2})\\s*日?"
                       "(?:(?:\\s+|T)(\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.\\d+)?)?)?$"));
    return pattern;
}

// two numbers of one or two digits, then the year.
const QRegularExpression& yearLast()
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(\\d{1,2})\\s*/\\s*(\\d{1,2})\\s*/\\s*(\\d{4})(?:\\s+(\\d{1,2}):(\\d{2})(?::(\\d{2}))?)?$"));
    return pattern;
}

const QRegularExpression& compactDate()
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})$"));
    return pattern;
}

QDateTime dateAndTime(const QDate& date, const QRegularExpressionMatch& m, int hourGroup)
{
    if (!date.isValid())
        return {};
    if (m.captured(hourGroup).isEmpty())
        return date.startOfDay();
    const QTime time(m.captured(hourGroup).toInt(), m.captured(hourGroup + 1).toInt(),
                     m.captured(hourGroup + 2).toInt());
    return time.isValid() ? QDateTime(date, time) : QDateTime();
}

QDateTime fromSerial(double serial)
{
    if (serial < kFirstSerial || serial > kLastSerial)
        return {};
    const double days = std::floor(serial);
    const int seconds = static_cast<int>(std::lround((serial - days) * 86400.0));
    return QDate(1899, 12, 30).addDays(static_cast<qint64>(days)).startOfDay().addSecs(seconds);
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

DateOrder dateOrderOf(const QStringList& texts)
{
    bool monthFirst = false;
    bool dayFirst = false;
    for (const QString& text : texts) {
        const QRegularExpressionMatch m = yearLast().match(text.trimmed());
        if (!m.hasMatch())
            continue;
        dayFirst = dayFirst || m.captured(1).toInt() > 12;
        monthFirst = monthFirst || m.captured(2).toInt() > 12;
    }
    if (monthFirst == dayFirst)
        return DateOrder::Unknown;
    return monthFirst ? DateOrder::MonthFirst : DateOrder::DayFirst;
}

QDateTime parseSheetDate(const QString& text, DateOrder order, bool* ambiguous)
{
    const QString t = text.trimmed();
    if (const QRegularExpressionMatch m = yearFirst().match(t); m.hasMatch())
        return dateAndTime(QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()), m, 4);
    if (const QRegularExpressionMatch m = compactDate().match(t); m.hasMatch()) {
        const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (date.isValid())
            return date.startOfDay();
    }
    if (const QRegularExpressionMatch m = yearLast().match(t); m.hasMatch()) {
        const int first = m.captured(1).toInt();
        const int second = m.captured(2).toInt();
        const int year = m.captured(3).toInt();
        DateOrder use = order;
        if (first > 12)
            use = DateOrder::DayFirst;
        else if (second > 12)
            use = DateOrder::MonthFirst;
        else if (first == second)
            use = DateOrder::MonthFirst;
        if (use == DateOrder::Unknown) {
            if (ambiguous)
                *ambiguous = true;
            return {};
        }
        const QDate date =
            use == DateOrder::MonthFirst ? QDate(year, first, second) : QDate(year, second, first);
        return dateAndTime(date, m, 4);
    }
    bool isNumber = false;
    if (const double serial = t.toDouble(&isNumber); isNumber)
        return fromSerial(serial);
    // The desktop's own short form, for a worksheet saved as text on this computer.
    const QLocale system = QLocale::system();
    if (const QDateTime dt = system.toDateTime(t, QLocale::ShortFormat); dt.isValid())
        return dt;
    if (const QDate d = system.toDate(t, QLocale::ShortFormat); d.isValid())
        return d.startOfDay();
    return {};
}

std::optional<QVariant> importValue(const CellValue& cell, ColumnType type, QString* reason, DateOrder order)
{
    const QString& text = cell.text;
    if (text.isEmpty() || (type != ColumnType::Text && text.trimmed().isEmpty()))
        return QVariant();
    switch (type) {
    case ColumnType::Text:
        return QVariant(text);
    case ColumnType::Integer:
        if (cell.number) {
            if (std::floor(*cell.number) == *cell.number &&
                std::fabs(*cell.number) <= std::numeric_limits<int>::max())
                return QVariant(static_cast<int>(*cell.number));
        } else if (const std::optional<int> v = parseIntegerText(text)) {
            return QVariant(*v);
        }
        *reason = QStringLiteral("“%1”不是整数").arg(text);
        return std::nullopt;
    case ColumnType::Float:
        if (cell.number)
            return QVariant(*cell.number);
        if (const std::optional<double> v = parseDecimalText(text))
            return QVariant(*v);
        *reason = QStringLiteral("“%1”不是数字").arg(text);
        return std::nullopt;
    case ColumnType::DateTime: {
        bool ambiguous = false;
        if (const QDateTime dt = parseSheetDate(text, order, &ambiguous); dt.isValid())
            return QVariant(dt);
        *reason = ambiguous
                      ? QStringLiteral("“%1”不能确定是月/日/年还是日/月/年（这一列中没有能分辨的日期），"
                                       "请写成 2024-03-05 的形式")
                            .arg(text)
                      : QStringLiteral("“%1”不是日期").arg(text);
        return std::nullopt;
    }
    case ColumnType::Boolean:
        if (const std::optional<bool> v = parseBoolean(text))
            return QVariant(*v);
        *reason = QStringLiteral("“%1”不是“是”或“否”").arg(text);
        return std::nullopt;
    }
    return QVariant(text);
}

std::optional<QVariant> importValue(const QString& text, ColumnType type, QString* reason)
{
    return importValue(CellValue{text, std::nullopt}, type, reason);
}

} // namespace zu
