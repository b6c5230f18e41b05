#pragma once

#include <QString>

namespace zu {

// The name of a column as the user knows it, for messages about a value ("客户名称"); the
// column's own name when it has none.
QString columnCaption(const QString& table, const QString& column);

} // namespace zu
