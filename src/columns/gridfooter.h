#pragma once

#include <QWidget>

class QTableView;

namespace zu {

class GridModel;

// The footer row under a list grid: one cell under each column, lined up with the column's title
// as the columns are moved, resized and scrolled. A count column's cell shows "共 N 条".
class GridFooter final : public QWidget
{
    Q_OBJECT
public:
    GridFooter(QTableView* view, GridModel* model, QWidget* parent);

    // The footer text under a column (the model's column number).
    QString text(int column) const;
    // Where that text is drawn, in this widget's coordinates.
    QRect cellRect(int column) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int viewportLeft() const;

    QTableView* m_view;
    GridModel* m_model;
};

} // namespace zu
