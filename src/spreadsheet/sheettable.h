#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace zu {

// A worksheet as read: its name and the text of every cell as displayed, row by row.
struct SheetTable
{
    QString name;
    QList<QStringList> rows;

    // Makes every row as long as the longest, so that a column exists in every row.
    void padRows();
    int columnCount() const;
};

// A number as a spreadsheet shows it in the General format: whole numbers without ".0",
// others in the shortest form that reads back as the same double (99.9, not 99.900000000000006).
QString numberText(double value);

} // namespace zu
