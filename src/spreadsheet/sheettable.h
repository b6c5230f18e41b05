#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace zu {

// A worksheet as read: its name and the text of every cell as displayed, row by row, and the
// stored number of each number cell that a display format shows otherwise ("05718800123" for
// 5718800123, "12.50" for 12.5).
struct SheetTable
{
    QString name;
    QList<QStringList> rows;
    QHash<qint64, double> formattedNumbers; // by cellKey()

    static qint64 cellKey(int row, int column) { return (static_cast<qint64>(row) << 16) | column; }
    void setText(int row, int column, const QString& text);
    void setFormattedNumber(int row, int column, const QString& shown, double stored);
    std::optional<double> formattedNumber(int row, int column) const;

    // Makes every row as long as the longest, so that a column exists in every row.
    void padRows();
    int columnCount() const;
};

// A number as a spreadsheet shows it in the General format: whole numbers without ".0",
// others in the shortest form that reads back as the same double (99.9, not 99.900000000000006).
QString numberText(double value);

} // namespace zu
