#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>

namespace zu {

class DataSet;

// One editable column over the values of a lookup list (T_type.caption), with the row being
// added shown at the end while the data set is inserting.
class LookupListModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit LookupListModel(DataSet* values, QObject* parent = nullptr);

    void setTitle(const QString& title);
    void setEditable(bool editable);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    bool pendingRow(int row) const;

    QPointer<DataSet> m_values;
    QString m_title;
    bool m_editable = false;
};

// The grid of the lookup-list editor; a value still being typed can be taken over before saving.
class LookupGrid final : public QTableView
{
    Q_OBJECT
public:
    using QTableView::QTableView;
    void commitPendingEdit();
};

} // namespace zu
