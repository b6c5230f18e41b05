#pragma once

#include <QString>

class QAbstractItemModel;
class QWidget;

namespace zu {

class DataSet;
class ListGrid;
struct ListSheetLayout;

// Saves a list into a spreadsheet file the user names, then offers to open it: the grid's
// visible columns in display order, its title row, every record of `list` and the grid's footer
// row. A name ending in ".xlsx" gives an Office Open XML workbook, any other an Excel 97-2003
// (.xls) workbook. Call it inside guarded(): a list that is not open or holds no rows is told to
// the user and ends the command quietly (abortSilently); a file that cannot be written ends it
// with a CommandError naming the file and the reason. Cancelling the save dialog ends it
// without a message.
void ExportGridToXls(QWidget* parent, DataSet& list, ListGrid* grid, const QString& proposedName);

// Saves a table that is no shared data set (a computed list) the same way: its titles and the
// texts it shows, in the order it shows its rows.
void ExportTableToXls(QWidget* parent, const QAbstractItemModel& table, const QString& proposedName);

// The proposed file name of an export: the prefix followed by today's date, "客户信息2024-03-05".
QString exportProposedName(const QString& prefix);

// The columns and footer of a grid as its export writes them.
ListSheetLayout exportLayoutOf(const ListGrid& grid);

} // namespace zu
