#pragma once

#include <QString>

namespace zu {

class DataSet;
class ListGrid;

// Gives the grid the shown columns of a stored layout, in their stored order and widths, and
// binds it to the data set if it is not yet. The data set is neither opened, closed nor moved.
void LoadGridColumns(ListGrid* grid, DataSet* dataSet, const QString& layoutName);

// Stores the grid's columns, in the order the user sees them, with their current widths, into
// the layout. A grid of fewer than two columns stores nothing.
void SaveGridColumns(ListGrid* grid, const QString& layoutName);

} // namespace zu
