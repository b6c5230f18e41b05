#pragma once

#include "designgeometry.h"

#include <QGraphicsView>

class QGraphicsScene;

namespace zu {

class DesignerModel;

// The page of the template being designed: bands one below the other, their objects painted
// as they print (texts as written), moved and resized by dragging; a band's height by dragging
// its lower edge; fields dropped from the field list become text objects where they fall.
class DesignCanvas final : public QGraphicsView
{
    Q_OBJECT
public:
    explicit DesignCanvas(QWidget* parent = nullptr);

    void setModel(DesignerModel* model);
    DesignerModel* model() const { return m_model; }

    double zoom() const { return m_zoom; }
    void setZoom(double zoom);

    // The canvas's scene coordinates are mm (mapToScene, mapFromScene).
    const DesignLayout& layout() const { return m_layout; }

    // The mime type of a dragged field: the text a new object shows, e.g. [客户记录."客户名称"].
    static QString fieldMimeType();

signals:
    void pointerMoved(QPointF mm);
    // A text object was double-clicked: its text is to be edited.
    void textEditRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void scheduleRebuild();
    void rebuild();
    void applyZoom();

    DesignerModel* m_model = nullptr;
    QGraphicsScene* m_scene;
    DesignLayout m_layout;
    double m_zoom = 1;
    bool m_rebuildPending = false;
    bool m_fitted = false; // the first showing fits the sheet's width
};

} // namespace zu
