#pragma once

#include <QString>

#include <vector>

namespace zu {

// What one worksheet of a workbook holds: rows with at least one cell, and cells.
struct SheetTally
{
    qint64 rows = 0;
    qint64 cells = 0;

    friend bool operator==(const SheetTally&, const SheetTally&) = default;
};

// Counts the rows and cells of every worksheet of an .xlsx file by unpacking its worksheet parts
// ("xl/worksheets/sheetN.xml", in N's order). A part that does not end its XML counts as damaged.
// False with the reason when the file cannot be read as such a zip.
bool countXlsxSheets(const QString& path, std::vector<SheetTally>* sheets, QString* reason);

} // namespace zu
