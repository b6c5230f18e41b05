#include "lookuplistmodel.h"

#include "data/dataset.h"

namespace zu {

namespace {

const QString kCaption = QStringLiteral("caption");

} // namespace

LookupListModel::LookupListModel(DataSet* values, QObject* parent)
    : QAbstractTableModel(parent), m_values(values)
{
    // The lists are short: any change of the data set shows the list anew.
    auto reset = [this] {
        beginResetModel();
        endResetModel();
    };
    connect(values, &QAbstractItemModel::modelReset, this, reset);
    connect(values, &QAbstractItemModel::rowsInserted, this, reset);
    connect(values, &QAbstractItemModel::rowsRemoved, this, reset);
    connect(values, &QAbstractItemModel::dataChanged, this, reset);
    connect(values, &DataSet::stateChanged, this, reset);
}

void LookupListModel::setTitle(const QString& title)
{
    m_title = title;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

void LookupListModel::setEditable(bool editable)
{
    m_editable = editable;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0));
}

bool LookupListModel::pendingRow(int row) const
{
    return m_values && m_values->state() == DataSet::State::Insert && row == m_values->recordCount();
}

int LookupListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_values)
        return 0;
    return m_values->recordCount() + (m_values->state() == DataSet::State::Insert ? 1 : 0);
}

int LookupListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant LookupListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !m_values || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const int row = index.row();
    const bool buffered =
        pendingRow(row) || (m_values->state() == DataSet::State::Edit && row == m_values->currentRow());
    if (buffered)
        return m_values->field(kCaption).toString();
    return m_values->value(row, m_values->fieldIndex(kCaption)).toString();
}

bool LookupListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !m_values || !(flags(index) & Qt::ItemIsEditable))
        return false;
    if (!pendingRow(index.row()))
        m_values->setCurrentRow(index.row());
    if (m_values->state() == DataSet::State::Browse)
        m_values->edit();
    m_values->setField(kCaption, value.toString());
    return true;
}

Qt::ItemFlags LookupListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!m_editable || !m_values)
        return f;
    // Adding edits the new row only; changing edits the current one.
    const bool editing = m_values->state() == DataSet::State::Insert ? pendingRow(index.row())
                                                                     : index.row() == m_values->currentRow();
    return editing ? f | Qt::ItemIsEditable : f;
}

QVariant LookupListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section == 0)
        return m_title;
    return QAbstractTableModel::headerData(section, orientation, role);
}

void LookupGrid::commitPendingEdit()
{
    if (state() != EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

} // namespace zu
