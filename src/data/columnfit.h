#pragma once

#include "sqldialect.h"

#include <QString>
#include <QVariant>

namespace zu {

// Integer columns hold 32-bit numbers on both engines.
inline constexpr qint64 kIntegerColumnMin = -2147483648LL;
inline constexpr qint64 kIntegerColumnMax = 2147483647LL;

bool fitsIntegerColumn(double value);

// Why `value` does not fit a column of the type and width (-1: no limit), naming the column by
// `caption`; empty when it fits. Text longer than the width, and numbers outside an integer
// column's range, do not fit.
QString columnFitProblem(const QString& caption, const QVariant& value, ColumnType type, int width);

} // namespace zu
