#include "figuremodel.h"

namespace zu {

void FigureModel::setFigure(FigureTable figure)
{
    beginResetModel();
    m_figure = std::move(figure);
    endResetModel();
}

int FigureModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_figure.rows.size());
}

int FigureModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_figure.columns.size());
}

QVariant FigureModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_figure.rows.size())
        return {};
    const QVariant value = m_figure.rows[index.row()].value(index.column());
    const bool number = index.column() > 0;
    switch (role) {
    case Qt::DisplayRole:
        if (number && m_figure.moneyColumns.contains(index.column()))
            return QString::number(value.toDouble(), 'f', 2);
        return number ? QString::number(value.toLongLong()) : value.toString();
    case Qt::TextAlignmentRole:
        return number ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::UserRole:
        return value;
    default:
        return {};
    }
}

QVariant FigureModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_figure.columns.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace zu
