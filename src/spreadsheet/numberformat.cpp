#include "numberformat.h"

#include <QRegularExpression>
#include <QTime>

#include <cmath>

namespace zu {

namespace {

DateKind builtInKind(int id)
{
    if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || (id >= 34 && id <= 36) || (id >= 50 && id <= 58))
        return DateKind::Date;
    if ((id >= 18 && id <= 21) || (id >= 32 && id <= 33) || (id >= 45 && id <= 47))
        return DateKind::Time;
    if (id == 22)
        return DateKind::DateTime;
    return DateKind::None;
}

} // namespace

DateKind dateKindOf(int formatId, const QString& code)
{
    if (code.isEmpty())
        return builtInKind(formatId);
    bool date = false;
    bool time = false;
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i).toLower();
        if (quoted) {
            quoted = c != QLatin1Char('"');
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i; // the next character is shown literally or used for padding
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = code.indexOf(QLatin1Char(']'), i);
            const QString inside = code.mid(i + 1, close < 0 ? -1 : close - i - 1).toLower();
            static const QRegularExpression elapsed(QStringLiteral("^(h+|m+|s+)$"));
            if (bracket == 0 && elapsed.match(inside).hasMatch())
                time = true;
            ++bracket;
        } else if (c == QLatin1Char(']')) {
            bracket = std::max(0, bracket - 1);
        } else if (bracket == 0) {
            if (c == QLatin1Char('y') || c == QLatin1Char('d'))
                date = true;
            else if (c == QLatin1Char('h') || c == QLatin1Char('s'))
                time = true;
            else if (c == QLatin1Char(';'))
                break; // the first section decides
        }
    }
    if (date && time)
        return DateKind::DateTime;
    if (date)
        return DateKind::Date;
    if (time)
        return DateKind::Time;
    return DateKind::None;
}

QString dateTimeText(double serial, QDate origin, DateKind kind)
{
    const double days = std::floor(serial);
    int seconds = static_cast<int>(std::lround((serial - days) * 86400.0));
    qint64 dayCount = static_cast<qint64>(days);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++dayCount;
    }
    const QString date = origin.addDays(dayCount).toString(QStringLiteral("yyyy-MM-dd"));
    const QString time = QTime(0, 0).addSecs(seconds).toString(QStringLiteral("HH:mm:ss"));
    switch (kind) {
    case DateKind::Date:
        return date;
    case DateKind::Time:
        return time;
    case DateKind::DateTime:
        return date + QLatin1Char(' ') + time;
    case DateKind::None:
        break;
    }
    return QString();
}

} // namespace zu
