#pragma once

#include "statisticsperiod.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace zu {

class Connection;

// One figure of the statistics window: a table whose first column names the group (a month, a
// model, an engineer) and whose other columns hold numbers, and how its chart shows them.
struct FigureTable
{
    QString title;
    QStringList columns;      // column titles, the group's first
    QList<QVariantList> rows; // the group's label (text), then a number per column
    QList<int> barColumns;    // columns drawn as bars
    int lineColumn = -1;      // a column drawn as a line on an axis of its own (fees)
    QList<int> moneyColumns;  // columns shown with two decimals

    QStringList labels() const;
    QVariant value(const QString& label, int column) const; // invalid when there is no such row
};

// Ranked views show at most this many groups; the rest are added up in one row "其他".
inline constexpr int kTopGroups = 10;
extern const QString kOtherGroup; // "其他"
extern const QString kEmptyGroup; // the label of an empty value: "（未填写）"

// The figures of a period, each from one grouped statement on the database.
class Statistics final
{
public:
    Statistics(Connection& connection, const StatisticsPeriod& period);

    // Service records and fees per month of the period (every month, zero where none).
    FigureTable servicesByMonth() const;
    // The same per day of one month (every day of it that lies in the period).
    FigureTable servicesByDay(const QDate& month) const;
    // Services per model and per fault cause, the ten largest and "其他".
    FigureTable topModels() const;
    FigureTable topFaults() const;
    // Services, fees and repeat visits (as the database keeps them beside each service,
    // data/repeatvisits.h) per engineer and per department.
    FigureTable byEngineer() const;
    FigureTable byDepartment() const;
    // Complaints per level and per month; return visits per outcome (the handling text, the ten
    // most frequent and "其他").
    FigureTable complaintsByLevel() const;
    FigureTable complaintsByMonth() const;
    FigureTable callsByOutcome() const;
    // Sales by purchase date: customers and units sold per month, of the customers filed under
    // the category `code` or below it (all customers for an empty code); and per category one
    // level below `code`, each with its whole subtree.
    FigureTable salesByMonth(const QString& categoryCode) const;
    FigureTable salesByCategory(const QString& categoryCode) const;

    const StatisticsPeriod& period() const { return m_period; }

private:
    FigureTable perMonth(const QString& table, const QString& dateColumn, const QString& select, int numbers,
                         const QString& where, const QVariantList& whereValues) const;
    FigureTable ranked(const QString& table, const QString& dateColumn, const QString& groupColumn) const;
    FigureTable perStaff(const QString& groupColumn) const;

    Connection& m_connection;
    StatisticsPeriod m_period;
};

} // namespace zu
