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

// The code of a built-in number format that is not a date or time ("0.00" for 2), empty for
// General and for numbers that name no built-in format.
QString builtInFormatCode(int formatId);

// A number as a cell with this (not date or time) format code shows it: digit placeholders 0, #
// and ?, decimals, thousands separators, percent, scientific notation, quoted and escaped text,
// up to four sections (positive;negative;zero;text). "05718800123" for 5718800123 under
// "00000000000", "1,234.50" for 1234.5 under "#,##0.00". General, an empty code and codes this
// does not understand (fractions) show the number as numberText() does.
QString formatCellNumber(double value, const QString& code);

} // namespace zu
