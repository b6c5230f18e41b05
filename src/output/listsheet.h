#pragma once

#include "columns/columnlayout.h"

#include <QList>
#include <QString>

namespace zu {

class DataSet;
class StreamingSheetWriter;

// What an exported list looks like: the grid's visible columns in display order and whether the
// grid shows a footer row.
struct ListSheetLayout
{
    QList<LayoutColumn> columns;
    bool hasFooter = true;
};

// Writes a list into a worksheet: the titles, then every record of the data set in its order
// (whole and decimal number fields as numbers, fields without a value as empty cells, all others
// as the text the grid shows), then the footer row, where a count column holds the number of
// records as a number. The records are read straight from the database with the data set's own
// condition and order, one statement for the whole list, not through the data set's cached
// pages; the row being edited shows its edit buffer, as in the grid. A list longer than the
// format's sheet goes on in further sheets, "Sheet2" and so on, each beginning with the titles;
// the footer follows the last record. Returns the number of records written, or -1 when the
// writer refused a cell (its error() says why). A database error throws DbError.
int writeListSheet(StreamingSheetWriter& writer, const DataSet& list, const ListSheetLayout& layout);

// Writes a table as the user sees it: the titles in bold, then every row's display texts, in
// further sheets when the rows do not fit one. Returns the number of rows written, or -1 when the
// writer refused a cell (its error() says why).
int writeTableSheet(StreamingSheetWriter& writer, const QList<QStringList>& rows, const QStringList& titles);

// The file an export writes for the name chosen in the save dialog: blanks around the path and
// around its last part removed and
// ".xls" appended unless the text ".xls" occurs in it (letter case counts). Empty for a name
// that is empty or blank.
QString exportFileName(const QString& chosen);

} // namespace zu
