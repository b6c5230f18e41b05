#include "statisticsperiod.h"

#include <utility>

namespace zu {

QList<QDate> StatisticsPeriod::months() const
{
    QList<QDate> out;
    if (!isValid())
        return out;
    for (QDate m(first.year(), first.month(), 1); m <= last; m = m.addMonths(1))
        out << m;
    return out;
}

QString StatisticsPeriod::text() const
{
    return first.toString(Qt::ISODate) + QStringLiteral(" 至 ") + last.toString(Qt::ISODate);
}

StatisticsPeriod periodOf(PeriodKind kind, const QDate& today, const QDate& from, const QDate& to)
{
    const QDate monthStart(today.year(), today.month(), 1);
    switch (kind) {
    case PeriodKind::ThisMonth:
        return {monthStart, monthStart.addMonths(1).addDays(-1)};
    case PeriodKind::LastMonth:
        return {monthStart.addMonths(-1), monthStart.addDays(-1)};
    case PeriodKind::ThisYear:
        return {QDate(today.year(), 1, 1), QDate(today.year(), 12, 31)};
    case PeriodKind::Custom:
        break;
    }
    QDate a = from;
    QDate b = to;
    if (a.isValid() && b.isValid() && b < a)
        std::swap(a, b);
    return {a, b};
}

} // namespace zu
