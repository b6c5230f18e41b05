#pragma once

#include "columnlayout.h"

#include "data/dataset.h"

#include <QAbstractProxyModel>
#include <QList>
#include <QPointer>
#include <QVector>

namespace zu {

// What one grid shows of a shared data set: the rows of the data set and the columns of the
// grid's layout, in layout order, with the grid's own titles and cell alignment. Each grid has
// its own, so grids on one data set differ in nothing else.
//
// A column is bound to the data-set field of its name, letter case ignored; a column whose field
// the data set does not have stays in the grid, with its title, and shows empty cells.
class GridModel final : public QAbstractProxyModel
{
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    // Only a DataSet source binds fields; any other model gives empty columns.
    void setSourceModel(QAbstractItemModel* source) override;
    DataSet* dataSet() const { return m_dataSet; }

    void setColumns(const QList<LayoutColumn>& columns);
    const QList<LayoutColumn>& columns() const { return m_columns; }
    // The data-set field position of a column, -1 when it has none.
    int sourceColumn(int column) const { return m_sourceColumns.value(column, -1); }

    // True while rows or columns are inserted, removed or reset. A view moves its current index
    // by itself then, which is not the user's choice of a row.
    bool isReshaping() const { return m_reshaping; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QModelIndex buddy(const QModelIndex& index) const override { return index; }

private:
    void bindFields();
    void beginReshape() { m_reshaping = true; }
    void endReshape() { m_reshaping = false; }
    void sourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                           const QList<int>& roles);

    QPointer<DataSet> m_dataSet;
    QList<LayoutColumn> m_columns;
    QVector<int> m_sourceColumns;
    bool m_reshaping = false;
};

} // namespace zu
