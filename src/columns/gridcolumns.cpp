#include "gridcolumns.h"

#include "columnlayout.h"
#include "listgrid.h"

#include "data/datamodule.h"

namespace zu {

void LoadGridColumns(ListGrid* grid, DataSet* dataSet, const QString& layoutName)
{
    grid->setDataSet(dataSet);
    // A failing read leaves the grid without columns.
    grid->setColumns({});
    grid->setColumns(readLayout(data().F(), layoutName));
}

void SaveGridColumns(ListGrid* grid, const QString& layoutName)
{
    QList<QPair<QString, int>> fieldsAndWidths;
    for (const LayoutColumn& c : grid->visibleColumns())
        fieldsAndWidths.push_back({c.field, c.width});
    saveLayout(data().F(), layoutName, fieldsAndWidths);
}

} // namespace zu
