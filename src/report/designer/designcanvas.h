#pragma once

#include "designgeometry.h"

#include <QGraphicsView>

class QGraphicsScene;
class QRubberBand;

namespace zu {

class DesignerModel;
class DesignRuler;

// The page of the template being designed: bands one below the other, their objects painted
// as they print (fields by their names, a reference to nothing known in red), moved and resized
// by dragging; a band's height by dragging its lower edge; fields dropped from the field list
// become text objects where they fall. A click selects, Shift+click adds to the selection or
// takes out, dragging over empty paper selects what the rubber band touches. Rulers above and
// beside it show millimetres (beside: within each band), a grid of dots shows where objects snap
// to, Ctrl+wheel zooms.
class DesignCanvas final : public QGraphicsView
{
    Q_OBJECT
public:
    explicit DesignCanvas(QWidget* parent = nullptr);

    void setModel(DesignerModel* model);
    DesignerModel* model() const { return m_model; }

    // 1 shows a millimetre as a millimetre of the screen.
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    // The whole page in the window, or its width.
    void zoomToFit();
    void zoomToWidth();

    // The grid objects snap to (mm); 0: no grid, objects go where they are put (0.1 mm).
    double gridStep() const { return m_gridStep; }
    double snapStep() const { return m_gridStep > 0 ? m_gridStep : 0.1; }
    void setGridStep(double mm);

    // The canvas's scene coordinates are mm (mapToScene, mapFromScene).
    const DesignLayout& layout() const { return m_layout; }
    QWidget* horizontalRuler() const;
    QWidget* verticalRuler() const;

    // The mime type of a dragged field: the text a new object shows, e.g. [客户记录."客户名称"].
    static QString fieldMimeType();

    // The canvas an item is shown on.
    static DesignCanvas* of(const QGraphicsItem* item);

signals:
    void pointerMoved(QPointF mm);
    // A text object was double-clicked: its text is to be edited.
    void textEditRequested();
    void zoomChanged(double zoom);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void scheduleRebuild();
    void rebuild();
    void applyZoom();
    void placeRulers();
    void selectInRubberBand(const QRect& area, bool adding);

    DesignerModel* m_model = nullptr;
    QGraphicsScene* m_scene;
    DesignLayout m_layout;
    DesignRuler* m_horizontal;
    DesignRuler* m_vertical;
    QRubberBand* m_rubberBand;
    QPoint m_rubberOrigin;
    bool m_rubberPressed = false;
    double m_zoom = 1;
    double m_gridStep = kGridStep;
    bool m_rebuildPending = false;
    bool m_fitted = false; // the first showing fits the sheet's width
};

} // namespace zu
