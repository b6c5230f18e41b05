#pragma once

#include "data/sqldialect.h"
#include "spreadsheet/sheetstream.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace zu {

// How a column writes dates of the form 3/5/2024: month first (as Excel in America), day first
// (as in Europe), or not known from its values.
enum class DateOrder
{
    Unknown,
    MonthFirst,
    DayFirst
};

// The order that the texts of one column show: a first number over 12 can only be a day, a
// second one only a day too. Unknown when no text tells, or when texts tell both.
DateOrder dateOrderOf(const QStringList& texts);

// The value a worksheet cell gives a column of the given type. Text columns take the text as the
// cell shows it (a phone number formatted "00000000000" keeps its leading 0); number columns take
// a number cell's stored number, or text with or without thousands separators; date columns take
// the forms of parseSheetDate(). An empty cell gives no value (null). A cell that is no value of
// the type gives nothing, with *reason saying what it is not.
std::optional<QVariant> importValue(const CellValue& cell, ColumnType type, QString* reason,
                                    DateOrder order = DateOrder::Unknown);
std::optional<QVariant> importValue(const QString& text, ColumnType type, QString* reason);

// A date (and time of day) as a worksheet or another program writes it: "2024-03-05",
// "2024/3/5", "2024.3.5", "2024年3月5日", "20240305", "3/5/2024" in the column's order, with or
// without a time of day, or a date serial number of a spreadsheet (45356 is 2024-03-05). Invalid
// when the text is none; *ambiguous is set for a day and month that could be either.
QDateTime parseSheetDate(const QString& text, DateOrder order = DateOrder::Unknown,
                         bool* ambiguous = nullptr);

} // namespace zu
