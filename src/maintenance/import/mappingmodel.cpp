#include "mappingmodel.h"

namespace zu {

namespace {

// The mapping row's value shown under a layout column; null for a field the mapping has not.
QVariant fieldValue(const MappingRow& row, const QString& field)
{
    if (field.compare(QLatin1String("ImportID"), Qt::CaseInsensitive) == 0)
        return row.importId;
    if (field.compare(QLatin1String("S_Field"), Qt::CaseInsensitive) == 0)
        return row.sField;
    if (field.compare(QLatin1String("FieldName"), Qt::CaseInsensitive) == 0)
        return row.fieldName;
    if (field.compare(QLatin1String("F_Field"), Qt::CaseInsensitive) == 0)
        return row.fField;
    if (field.compare(QLatin1String("tablename"), Qt::CaseInsensitive) == 0)
        return row.tableName;
    return {};
}

// The text field of a mapping row a layout column edits; nullptr for the others.
QString* editableField(MappingRow& row, const QString& field)
{
    if (field.compare(QLatin1String("F_Field"), Qt::CaseInsensitive) == 0)
        return &row.fField;
    return nullptr;
}

} // namespace

MappingModel::MappingModel(QObject* parent) : QAbstractTableModel(parent) {}

void MappingModel::setColumns(const QList<LayoutColumn>& columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
}

void MappingModel::setRows(const QList<MappingRow>& rows)
{
    beginResetModel();
    m_rows = rows;
    endResetModel();
}

void MappingModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_columns.clear();
    endResetModel();
}

int MappingModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int MappingModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant MappingModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const LayoutColumn& column = m_columns[index.column()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return fieldValue(m_rows[index.row()], column.field);
    case Qt::TextAlignmentRole:
        return static_cast<int>(cellAlignment(column));
    default:
        return {};
    }
}

bool MappingModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid) ||
        !(flags(index) & Qt::ItemIsEditable))
        return false;
    MappingRow changed = m_rows[index.row()];
    QString* field = editableField(changed, m_columns[index.column()].field);
    const QString text = value.toString();
    if (*field == text)
        return true;
    *field = text;
    if (m_store && !m_store(changed))
        return false;
    m_rows[index.row()] = changed;
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
}

QVariant MappingModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section < 0 || section >= m_columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[section].title;
    if (role == Qt::TextAlignmentRole)
        return static_cast<int>(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags MappingModel::flags(const QModelIndex& index) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    MappingRow probe;
    if (index.column() == kPickColumn && editableField(probe, m_columns[index.column()].field))
        f |= Qt::ItemIsEditable;
    return f;
}

} // namespace zu
