#pragma once

#include "importmapping.h"

#include "columns/columnlayout.h"

#include <functional>
#include <QAbstractTableModel>

namespace zu {

// The import mapping as the mapping grid shows it: the mapping rows under the columns of a stored
// layout. Only the second column can be changed; a change is handed to the store function, which
// writes it to the database and says whether that worked.
class MappingModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    using Store = std::function<bool(const MappingRow& row)>;

    explicit MappingModel(QObject* parent = nullptr);

    void setStore(Store store) { m_store = std::move(store); }
    void setColumns(const QList<LayoutColumn>& columns);
    void setRows(const QList<MappingRow>& rows);
    void clear();

    const QList<LayoutColumn>& columns() const { return m_columns; }
    const QList<MappingRow>& rows() const { return m_rows; }

    static constexpr int kPickColumn = 1;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QList<LayoutColumn> m_columns;
    QList<MappingRow> m_rows;
    Store m_store;
};

} // namespace zu
