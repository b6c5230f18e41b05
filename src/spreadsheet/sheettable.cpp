#include "sheettable.h"

#include <QLocale>

#include <cmath>

namespace zu {

void SheetTable::setText(int row, int column, const QString& text)
{
    if (rows.size() <= row)
        rows.resize(row + 1);
    QStringList& cells = rows[row];
    if (cells.size() <= column)
        cells.resize(column + 1);
    cells[column] = text;
}

void SheetTable::setFormattedNumber(int row, int column, const QString& shown, double stored)
{
    setText(row, column, shown);
    if (shown != numberText(stored))
        formattedNumbers.insert(cellKey(row, column), stored);
    else
        formattedNumbers.remove(cellKey(row, column));
}

std::optional<double> SheetTable::formattedNumber(int row, int column) const
{
    const auto it = formattedNumbers.constFind(cellKey(row, column));
    if (it == formattedNumbers.constEnd())
        return std::nullopt;
    return it.value();
}

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
