#pragma once

#include <QDate>
#include <QList>
#include <QString>

namespace zu {

// The periods the statistics window offers.
enum class PeriodKind
{
    ThisMonth,
    LastMonth,
    ThisYear,
    Custom, // from one day to another, both included
};

// A period of whole days: from the first day's midnight up to (not including) the midnight after
// the last day, so the last second of the last day is in it and the first second after is not.
struct StatisticsPeriod
{
    QDate first;
    QDate last;

    bool isValid() const { return first.isValid() && last.isValid() && first <= last; }
    // The first days of the months the period touches, in order.
    QList<QDate> months() const;
    // "2024-03-01 至 2024-03-31"
    QString text() const;
    bool operator==(const StatisticsPeriod&) const = default;
};

// The period of a kind as seen on `today`; a custom period is `from`..`to` (swapped when the user
// gave them the wrong way round).
StatisticsPeriod periodOf(PeriodKind kind, const QDate& today, const QDate& from = {}, const QDate& to = {});

} // namespace zu
