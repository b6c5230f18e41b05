#pragma once

#include <QString>

namespace zu {

// The name under which the user knows a column of the program's tables (the caption of its box
// in the editors), for messages about a value. A column without one is named as it is.
QString columnLabel(const QString& table, const QString& column);

} // namespace zu
