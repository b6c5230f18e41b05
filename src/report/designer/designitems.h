#pragma once

#include "designgeometry.h"

#include <QGraphicsItem>

namespace zu {

class DesignerModel;

// The sheet with its margins; a click on it selects the page.
class SheetItem final : public QGraphicsItem
{
public:
    SheetItem(DesignerModel& model, const DesignLayout& layout);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;

private:
    DesignerModel& m_model;
    QSizeF m_sheet;
    QRectF m_printable;
};

// A band: its caption strip and its area (ghosts of its further columns); a click selects it,
// its lower edge is dragged to change its height.
class BandItem final : public QGraphicsItem
{
public:
    BandItem(DesignerModel& model, const BandPlacement& placement);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    // Its lower edge is being dragged.
    bool isResizing() const { return m_resizing; }

protected:
    void hoverMoveEvent(QGraphicsSceneHoverEvent* event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;

private:
    bool onLowerEdge(QPointF scenePoint) const;
    void paintGrid(QPainter* painter, const QRectF& area) const;

    DesignerModel& m_model;
    BandPlacement m_placement;
    double m_height;
    bool m_resizing = false;
};

// One object of a band, positioned at the band's top left corner so that its own coordinates
// are the template's mm within the band. Texts show fields by their names; a text that refers to
// nothing known is red.
class ObjectItem final : public QGraphicsItem
{
public:
    ObjectItem(DesignerModel& model, int band, int object, const BandPlacement& placement);

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

    int band() const { return m_band; }
    int object() const { return m_object; }
    // The text as the canvas shows it, and whether it names something unknown.
    QString shownText() const;
    bool isFaulty() const;

protected:
    void hoverMoveEvent(QGraphicsSceneHoverEvent* event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;

private:
    bool isSelected() const;
    bool isLead() const;
    void setGeometry(const QRectF& geometry);
    // Shows the object moved by `offset` from where the template has it (while dragging).
    void showMoved(QPointF offset);
    const ReportObject* templateObject() const;
    QList<ObjectItem*> selectedItems() const;

    DesignerModel& m_model;
    int m_band;
    int m_object;
    QRectF m_geometry; // shown now: the template's, or where a drag has taken it
    QRectF m_pressGeometry;
    QPointF m_pressPoint;
    QPointF m_offset;
    Edges m_edges;
    bool m_dragging = false;
    bool m_toggled = false; // the press was a Shift+click
};

// How near an edge (mm) a press grabs it.
inline constexpr double kGrip = 1.2;

} // namespace zu
