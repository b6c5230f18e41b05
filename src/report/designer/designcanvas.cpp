#include "designcanvas.h"

#include "designermodel.h"
#include "designitems.h"

#include <QDragEnterEvent>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QMimeData>
#include <QTimer>

namespace zu {

DesignCanvas::DesignCanvas(QWidget* parent) : QGraphicsView(parent), m_scene(new QGraphicsScene(this))
{
    setScene(m_scene);
    setAcceptDrops(true);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    setBackgroundBrush(QColor(0x8a, 0x93, 0x9e));
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    applyZoom();
}

QString DesignCanvas::fieldMimeType()
{
    return QStringLiteral("application/x-zu-report-text");
}

void DesignCanvas::setModel(DesignerModel* model)
{
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    if (m_model) {
        // Rebuilt after the event that changed the template, never under an item's own handler.
        connect(m_model, &DesignerModel::changed, this, &DesignCanvas::scheduleRebuild);
        connect(m_model, &DesignerModel::selectionChanged, m_scene, [this] { m_scene->update(); });
    }
    rebuild();
}

void DesignCanvas::setZoom(double zoom)
{
    m_zoom = std::clamp(zoom, 0.25, 4.0);
    applyZoom();
}

void DesignCanvas::applyZoom()
{
    const double pixelsPerMm = logicalDpiX() / 25.4 * m_zoom;
    setTransform(QTransform::fromScale(pixelsPerMm, pixelsPerMm));
}

void DesignCanvas::scheduleRebuild()
{
    if (m_rebuildPending)
        return;
    m_rebuildPending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_rebuildPending)
            rebuild();
    });
}

void DesignCanvas::rebuild()
{
    m_rebuildPending = false;
    m_scene->clear();
    if (!m_model)
        return;
    m_layout = layoutDesign(m_model->report());
    m_scene->addItem(new SheetItem(*m_model, m_layout));
    const ReportTemplate& report = m_model->report();
    for (const BandPlacement& placement : m_layout.bands) {
        m_scene->addItem(new BandItem(*m_model, placement));
        const ReportBand& band = report.bands.at(placement.band);
        for (int o = 0; o < band.objects.size(); ++o)
            m_scene->addItem(new ObjectItem(*m_model, placement.band, o, placement));
    }
    const double margin = 8;
    m_scene->setSceneRect(QRectF(QPointF(0, 0), m_layout.sheet).adjusted(-margin, -margin, margin, margin));
}

void DesignCanvas::showEvent(QShowEvent* event)
{
    QGraphicsView::showEvent(event);
    if (m_fitted || m_layout.sheet.isEmpty())
        return;
    m_fitted = true;
    const double pixelsPerMm = logicalDpiX() / 25.4;
    const double room = viewport()->width() - 24;
    setZoom(std::min(1.5, room / ((m_layout.sheet.width() + 16) * pixelsPerMm)));
}

void DesignCanvas::keyPressEvent(QKeyEvent* event)
{
    const ReportObject* object = m_model ? m_model->selectedObject() : nullptr;
    if (!object) {
        QGraphicsView::keyPressEvent(event);
        return;
    }
    // Arrow keys nudge the selected object by the grid; with Shift they resize it.
    const double step = event->modifiers() & Qt::ControlModifier ? 5 * kGridStep : kGridStep;
    QPointF delta;
    switch (event->key()) {
    case Qt::Key_Left:
        delta = {-step, 0};
        break;
    case Qt::Key_Right:
        delta = {step, 0};
        break;
    case Qt::Key_Up:
        delta = {0, -step};
        break;
    case Qt::Key_Down:
        delta = {0, step};
        break;
    default:
        QGraphicsView::keyPressEvent(event);
        return;
    }
    const DesignSelection s = m_model->selection();
    const Edges edges = event->modifiers() & Qt::ShiftModifier ? Edges(Edge::Right | Edge::Bottom) : Edges();
    m_model->setObjectGeometry(s.band, s.object, dragged(object->geometry, edges, delta));
    event->accept();
}

void DesignCanvas::mousePressEvent(QMouseEvent* event)
{
    QGraphicsView::mousePressEvent(event);
    // A press beside the sheet selects the page, as a press on its empty part does.
    if (m_model && !itemAt(event->position().toPoint()))
        m_model->select({});
}

void DesignCanvas::mouseMoveEvent(QMouseEvent* event)
{
    QGraphicsView::mouseMoveEvent(event);
    emit pointerMoved(mapToScene(event->position().toPoint()));
}

void DesignCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    QGraphicsView::mouseDoubleClickEvent(event);
    const ReportObject* object = m_model ? m_model->selectedObject() : nullptr;
    if (object && object->kind == ReportObject::Kind::Text)
        emit textEditRequested();
}

void DesignCanvas::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(fieldMimeType()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void DesignCanvas::dragMoveEvent(QDragMoveEvent* event)
{
    const bool onBand = m_layout.bandAt(mapToScene(event->position().toPoint())) >= 0;
    if (event->mimeData()->hasFormat(fieldMimeType()) && onBand)
        event->acceptProposedAction();
    else
        event->ignore();
}

void DesignCanvas::dropEvent(QDropEvent* event)
{
    const QPointF point = mapToScene(event->position().toPoint());
    const int band = m_layout.bandAt(point);
    const BandPlacement* placement = m_layout.placement(band);
    if (!m_model || !placement || !event->mimeData()->hasFormat(fieldMimeType())) {
        event->ignore();
        return;
    }
    const QPointF within = point - placement->area.topLeft();
    m_model->insertText(band, QString::fromUtf8(event->mimeData()->data(fieldMimeType())),
                        QPointF(within.x(), std::max(0.0, within.y())));
    event->acceptProposedAction();
    setFocus();
}

} // namespace zu
