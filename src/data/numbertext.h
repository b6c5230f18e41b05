#pragma once

#include <optional>
#include <QString>

namespace zu {

// The number typed into a number box: empty counts as 0; thousands separators and blanks are
// allowed; anything else is no number. Integers refuse a fraction.
std::optional<double> parseDecimalText(const QString& text);
std::optional<int> parseIntegerText(const QString& text);

// A number for a number box: "0.0", "12.50" with the given decimals, or grouped thousands.
QString formatNumber(double value, int decimals, bool groupThousands = false);

} // namespace zu
