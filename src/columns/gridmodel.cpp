#include "gridmodel.h"

#include "columns/displaytext.h"

namespace zu {

GridModel::GridModel(QObject* parent) : QAbstractProxyModel(parent) {}

void GridModel::setSourceModel(QAbstractItemModel* source)
{
    beginReshape();
    beginResetModel();
    if (QAbstractItemModel* old = sourceModel())
        disconnect(old, nullptr, this, nullptr);
    QAbstractProxyModel::setSourceModel(source);
    m_dataSet = qobject_cast<DataSet*>(source);
    if (source) {
        using M = QAbstractItemModel;
        connect(source, &M::modelAboutToBeReset, this, [this] {
            beginReshape();
            beginResetModel();
        });
        connect(source, &M::modelReset, this, [this] {
            bindFields(); // the fields are known from the first opening on
            endResetModel();
            endReshape();
        });
        connect(source, &M::rowsAboutToBeInserted, this,
                [this](const QModelIndex& parent, int first, int last) {
                    if (parent.isValid())
                        return;
                    beginReshape();
                    beginInsertRows({}, first, last);
                });
        connect(source, &M::rowsInserted, this, [this](const QModelIndex& parent) {
            if (parent.isValid())
                return;
            endInsertRows();
            endReshape();
        });
        connect(source, &M::rowsAboutToBeRemoved, this,
                [this](const QModelIndex& parent, int first, int last) {
                    if (parent.isValid())
                        return;
                    beginReshape();
                    beginRemoveRows({}, first, last);
                });
        connect(source, &M::rowsRemoved, this, [this](const QModelIndex& parent) {
            if (parent.isValid())
                return;
            endRemoveRows();
            endReshape();
        });
        connect(source, &M::dataChanged, this, &GridModel::sourceDataChanged);
        // Changes a data set does not make (its columns, moved rows, sorting) rebuild everything.
        const auto begin = [this] {
            beginReshape();
            beginResetModel();
        };
        const auto end = [this] {
            bindFields();
            endResetModel();
            endReshape();
        };
        connect(source, &M::columnsAboutToBeInserted, this, begin);
        connect(source, &M::columnsInserted, this, end);
        connect(source, &M::columnsAboutToBeRemoved, this, begin);
        connect(source, &M::columnsRemoved, this, end);
        connect(source, &M::columnsAboutToBeMoved, this, begin);
        connect(source, &M::columnsMoved, this, end);
        connect(source, &M::rowsAboutToBeMoved, this, begin);
        connect(source, &M::rowsMoved, this, end);
        connect(source, &M::layoutAboutToBeChanged, this, begin);
        connect(source, &M::layoutChanged, this, end);
        connect(source, &QObject::destroyed, this, [this] {
            beginReshape();
            beginResetModel();
            endResetModel();
            endReshape();
        });
    }
    bindFields();
    endResetModel();
    endReshape();
}

void GridModel::setColumns(const QList<LayoutColumn>& columns)
{
    beginReshape();
    if (!m_columns.isEmpty()) {
        beginRemoveColumns({}, 0, static_cast<int>(m_columns.size()) - 1);
        m_columns.clear();
        m_sourceColumns.clear();
        endRemoveColumns();
    }
    if (!columns.isEmpty()) {
        beginInsertColumns({}, 0, static_cast<int>(columns.size()) - 1);
        m_columns = columns;
        bindFields();
        endInsertColumns();
    }
    endReshape();
}

void GridModel::bindFields()
{
    m_sourceColumns.resize(m_columns.size());
    for (int c = 0; c < m_columns.size(); ++c)
        m_sourceColumns[c] = m_dataSet ? m_dataSet->fieldIndex(m_columns[c].field) : -1;
}

void GridModel::sourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                  const QList<int>& roles)
{
    if (topLeft.parent().isValid())
        return;
    int first = -1, last = -1;
    for (int c = 0; c < m_sourceColumns.size(); ++c) {
        const int s = m_sourceColumns[c];
        if (s < topLeft.column() || s > bottomRight.column())
            continue;
        if (first < 0)
            first = c;
        last = c;
    }
    if (first >= 0)
        emit dataChanged(index(topLeft.row(), first), index(bottomRight.row(), last), roles);
}

QModelIndex GridModel::index(int row, int column, const QModelIndex& parent) const
{
    return hasIndex(row, column, parent) ? createIndex(row, column) : QModelIndex();
}

QModelIndex GridModel::parent(const QModelIndex&) const
{
    return {};
}

QModelIndex GridModel::sibling(int row, int column, const QModelIndex&) const
{
    return index(row, column);
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !sourceModel() ? 0 : sourceModel()->rowCount();
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

bool GridModel::hasChildren(const QModelIndex& parent) const
{
    return !parent.isValid() && rowCount() > 0 && columnCount() > 0;
}

QModelIndex GridModel::mapToSource(const QModelIndex& proxyIndex) const
{
    if (!proxyIndex.isValid() || !m_dataSet)
        return {};
    const int s = sourceColumn(proxyIndex.column());
    return s < 0 ? QModelIndex() : m_dataSet->index(proxyIndex.row(), s);
}

QModelIndex GridModel::mapFromSource(const QModelIndex& sourceIndex) const
{
    if (!sourceIndex.isValid() || sourceIndex.model() != m_dataSet)
        return {};
    const int c = static_cast<int>(m_sourceColumns.indexOf(sourceIndex.column()));
    return c < 0 ? QModelIndex() : index(sourceIndex.row(), c);
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    if (role == Qt::TextAlignmentRole)
        return static_cast<int>(cellAlignment(m_columns[index.column()]));
    const QModelIndex source = mapToSource(index);
    if (!source.isValid())
        return {};
    // The data set gives stored values; the grid shows them as text.
    if (role == Qt::DisplayRole)
        return displayText(source.data(Qt::EditRole));
    return source.data(role);
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return QAbstractItemModel::headerData(section, orientation, role);
    if (section < 0 || section >= m_columns.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_columns[section].title;
    case Qt::TextAlignmentRole:
        return static_cast<int>(Qt::AlignCenter);
    default:
        return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

} // namespace zu
