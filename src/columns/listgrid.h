#pragma once

#include "columnlayout.h"

#include "data/dataset.h"

#include <QList>
#include <QPointer>
#include <QWidget>

class QModelIndex;
class QTableView;

namespace zu {

class GridFooter;
class GridModel;

// The list grid of every list window: a read-only table of a shared data set with the columns
// of a stored layout (LoadGridColumns), whole-row selection, titles the user drags to reorder
// and resize, and one footer row (unless told it has none). A layout column whose field the data
// set does not have shows empty cells.
//
// The grid's current row is the data set's current row: moving in the grid moves the data set,
// and a move of the data set (by any other grid or by code) moves the grid.
class ListGrid final : public QWidget
{
    Q_OBJECT
public:
    explicit ListGrid(QWidget* parent = nullptr);
    ~ListGrid() override;

    QTableView* view() const { return m_view; }
    GridModel* model() const { return m_model; }
    GridFooter* footer() const { return m_footer; }

    DataSet* dataSet() const { return m_dataSet; }
    void setDataSet(DataSet* dataSet);

    // Replaces every column; the columns come in the given order and widths.
    void setColumns(const QList<LayoutColumn>& columns);
    int columnCount() const;
    // The columns in the order the user sees them, with their current widths.
    QList<LayoutColumn> visibleColumns() const;
    // The text the grid shows in a row under the column at a display position.
    QString cellText(int row, int position) const;

    bool hasFooter() const { return m_hasFooter; }
    void setHasFooter(bool hasFooter);
    // The footer text under the column at a display position; empty in a grid without footer.
    QString footerText(int position) const;

signals:
    // A row was double-clicked.
    void doubleClicked();
    // A cell was clicked (also the current row's).
    void clicked();

private:
    void followDataSet(int row);
    void viewMoved(const QModelIndex& current);

    GridModel* m_model;
    QTableView* m_view;
    GridFooter* m_footer;
    QPointer<DataSet> m_dataSet;
    bool m_hasFooter = true;
    bool m_following = false;
};

} // namespace zu
