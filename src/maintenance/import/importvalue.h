#pragma once

#include "data/sqldialect.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <optional>

namespace zu {

// The value a worksheet cell's text gives a column of the given type: text as it is, numbers
// with or without thousands separators, dates as a spreadsheet shows them ("2024-03-05",
// "2024/3/5", "2024年3月5日", with or without a time of day). An empty cell gives no value (null).
// Text that is no value of the type gives nothing, with *reason saying what it is not.
std::optional<QVariant> importValue(const QString& text, ColumnType type, QString* reason);

// A date (and time of day) as a worksheet shows it; invalid when the text is none.
QDateTime parseSheetDate(const QString& text);

} // namespace zu
