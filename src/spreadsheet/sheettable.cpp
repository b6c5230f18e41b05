#include "sheettable.h"

#include <QLocale>

#include <cmath>

namespace zu {

int SheetTable::columnCount() const
{
    qsizetype count = 0;
    for (const QStringList& row : rows)
        count = std::max(count, row.size());
    return static_cast<int>(count);
}

void SheetTable::padRows()
{
    const int columns = columnCount();
    for (QStringList& row : rows) {
        while (row.size() < columns)
            row.append(QString());
    }
}

QString numberText(double value)
{
    constexpr double kPlainDigitsLimit = 1e15; // whole numbers below this are exact in a double
    if (std::floor(value) == value && std::fabs(value) < kPlainDigitsLimit)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace zu
