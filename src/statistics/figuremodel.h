#pragma once

#include "statistics.h"

#include <QAbstractTableModel>

namespace zu {

// A figure as a table: the group and its numbers, counts as whole numbers, money with two
// decimals, right-aligned.
class FigureModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setFigure(FigureTable figure);
    const FigureTable& figure() const { return m_figure; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    FigureTable m_figure;
};

} // namespace zu
