#pragma once

#include <QDate>
#include <QString>

namespace zu {

enum class DateKind
{
    None,
    Date,
    Time,
    DateTime
};

// Whether a number format shows its value as a date, a time or both: the built-in formats by
// their number, custom formats by their code (y, d, h or s outside quotes, escapes and [colour]s).
DateKind dateKindOf(int formatId, const QString& code);

// A date serial (days since `origin`, fraction = time of day) as "2024-03-05", "08:30:00" or both.
QString dateTimeText(double serial, QDate origin, DateKind kind);

} // namespace zu
