#pragma once

#include <QString>
#include <QVariant>

namespace zu {

// The text a grid cell or an exported cell shows for a stored value: dates as yyyy-MM-dd (with
// the time when it is not midnight), Booleans as 是/否, nothing for no value.
QString displayText(const QVariant& value);

} // namespace zu
