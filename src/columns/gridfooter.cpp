#include "gridfooter.h"

#include "gridmodel.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>

namespace zu {

GridFooter::GridFooter(QTableView* view, GridModel* model, QWidget* parent)
    : QWidget(parent), m_view(view), m_model(model)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    const auto repaint = [this] { update(); };
    const QHeaderView* header = view->horizontalHeader();
    connect(header, &QHeaderView::sectionResized, this, repaint);
    connect(header, &QHeaderView::sectionMoved, this, repaint);
    connect(header, &QHeaderView::sectionCountChanged, this, repaint);
    connect(header, &QHeaderView::geometriesChanged, this, repaint);
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, repaint);
    connect(model, &QAbstractItemModel::rowsInserted, this, repaint);
    connect(model, &QAbstractItemModel::rowsRemoved, this, repaint);
    connect(model, &QAbstractItemModel::modelReset, this, repaint);
    connect(model, &QAbstractItemModel::columnsInserted, this, repaint);
    connect(model, &QAbstractItemModel::columnsRemoved, this, repaint);
    // The cells end where the view's cells end, which moves when its vertical scroll bar comes
    // and goes.
    view->viewport()->installEventFilter(this);
}

QString GridFooter::text(int column) const
{
    if (column < 0 || column >= m_model->columns().size())
        return {};
    return footerText(m_model->columns().at(column), m_model->rowCount());
}

int GridFooter::viewportLeft() const
{
    const QWidget* viewport = m_view->viewport();
    return viewport->mapTo(window(), QPoint()).x() - mapTo(window(), QPoint()).x();
}

QRect GridFooter::cellRect(int column) const
{
    const QHeaderView* header = m_view->horizontalHeader();
    return {viewportLeft() + header->sectionViewportPosition(column), 0, header->sectionSize(column),
            height()};
}

QSize GridFooter::sizeHint() const
{
    return {0, fontMetrics().height() + 8};
}

void GridFooter::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().button());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(rect().topLeft(), rect().topRight());

    const int left = viewportLeft();
    painter.setClipRect(QRect(left, 0, m_view->viewport()->width(), height()));
    const QHeaderView* header = m_view->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (header->isSectionHidden(column))
            continue;
        const QRect cell = cellRect(column);
        if (cell.right() < left || cell.left() > left + m_view->viewport()->width())
            continue;
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(cell.topRight(), cell.bottomRight());
        const QString t = text(column);
        if (t.isEmpty())
            continue;
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(cell.adjusted(2, 0, -2, 0), Qt::AlignCenter, t);
    }
}

bool GridFooter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move)
        update();
    return QWidget::eventFilter(watched, event);
}

} // namespace zu
