#include "designcanvas.h"

#include "designermodel.h"
#include "designitems.h"

#include <QDragEnterEvent>
#include <QGraphicsScene>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QRubberBand>
#include <QScrollBar>
#include <QTimer>

#include <cmath>

namespace zu {

namespace {

constexpr int kRulerSize = 20; // pixels
constexpr double kSmallestZoom = 0.25;
constexpr double kLargestZoom = 4;

} // namespace

// A ruler beside the canvas: millimetres of the sheet across, of each band down.
class DesignRuler final : public QWidget
{
public:
    DesignRuler(DesignCanvas& canvas, Qt::Orientation orientation)
        : QWidget(&canvas), m_canvas(canvas), m_orientation(orientation)
    {
        setObjectName(orientation == Qt::Horizontal ? QStringLiteral("rulerHorizontal")
                                                    : QStringLiteral("rulerVertical"));
    }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    // Ticks from `zero` (pixels along the ruler) for `length` mm at `step` pixels a millimetre.
    void ticks(QPainter& p, double zero, double from, double to, double pixelsPerMm);

    DesignCanvas& m_canvas;
    Qt::Orientation m_orientation;
};

void DesignRuler::ticks(QPainter& p, double zero, double from, double to, double pixelsPerMm)
{
    const bool across = m_orientation == Qt::Horizontal;
    const int depth = across ? height() : width();
    // Every millimetre when there is room, else every 5 or 10.
    const int every = pixelsPerMm >= 4 ? 1 : pixelsPerMm >= 1 ? 5 : 10;
    const int labelEvery = pixelsPerMm >= 3 ? 10 : pixelsPerMm >= 1.2 ? 20 : 50;
    QFont font = p.font();
    font.setPixelSize(9);
    p.setFont(font);
    for (int mm = int(std::ceil(from / every)) * every; mm <= to; mm += every) {
        const double at = zero + mm * pixelsPerMm;
        const int length = mm % 10 == 0 ? depth / 2 : mm % 5 == 0 ? depth / 3 : depth / 5;
        if (across)
            p.drawLine(QPointF(at, depth), QPointF(at, depth - length));
        else
            p.drawLine(QPointF(depth, at), QPointF(depth - length, at));
        if (mm % labelEvery == 0) {
            if (across)
                p.drawText(QPointF(at + 2, 9), QString::number(mm));
            else
                p.drawText(QPointF(1, at + 10), QString::number(mm));
        }
    }
}

void DesignRuler::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0xf0, 0xf0, 0xf0));
    p.setPen(QColor(0x55, 0x55, 0x55));
    const DesignLayout& layout = m_canvas.layout();
    // Exactly where the view puts the paper (mapFromScene rounds to whole pixels).
    const QTransform toView = m_canvas.viewportTransform();
    const QPointF origin = toView.map(QPointF(0, 0));
    const double pixelsPerMm = toView.m11();
    if (m_orientation == Qt::Horizontal) {
        // The paper across, its margins shaded.
        const double sheet = layout.sheet.width();
        const DesignerModel* model = m_canvas.model();
        if (model) {
            const ReportPage& page = model->report().page;
            p.fillRect(QRectF(origin.x() + page.leftMargin * pixelsPerMm, 0,
                              page.printableSize().width() * pixelsPerMm, height()),
                       Qt::white);
        }
        ticks(p, origin.x(), 0, sheet, pixelsPerMm);
        p.drawLine(0, height() - 1, width(), height() - 1);
        return;
    }
    // Down each band from its top, the caption strips shaded.
    for (const BandPlacement& band : layout.bands) {
        const double top = toView.map(band.area.topLeft()).y();
        p.fillRect(QRectF(0, top, width(), band.area.height() * pixelsPerMm), Qt::white);
        ticks(p, top, 0, band.area.height(), pixelsPerMm);
    }
    p.drawLine(width() - 1, 0, width() - 1, height());
}

DesignCanvas::DesignCanvas(QWidget* parent)
    : QGraphicsView(parent), m_scene(new QGraphicsScene(this)),
      m_horizontal(new DesignRuler(*this, Qt::Horizontal)), m_vertical(new DesignRuler(*this, Qt::Vertical)),
      m_rubberBand(new QRubberBand(QRubberBand::Rectangle, viewport()))
{
    setScene(m_scene);
    setAcceptDrops(true);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    setBackgroundBrush(QColor(0x8a, 0x93, 0x9e));
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setViewportMargins(kRulerSize, kRulerSize, 0, 0);
    applyZoom();
}

QWidget* DesignCanvas::horizontalRuler() const
{
    return m_horizontal;
}

QWidget* DesignCanvas::verticalRuler() const
{
    return m_vertical;
}

QString DesignCanvas::fieldMimeType()
{
    return QStringLiteral("application/x-zu-report-text");
}

DesignCanvas* DesignCanvas::of(const QGraphicsItem* item)
{
    if (!item || !item->scene() || item->scene()->views().isEmpty())
        return nullptr;
    return qobject_cast<DesignCanvas*>(item->scene()->views().constFirst());
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
    const double wanted = std::clamp(zoom, kSmallestZoom, kLargestZoom);
    if (std::abs(wanted - m_zoom) < 1e-9)
        return;
    m_zoom = wanted;
    applyZoom();
    emit zoomChanged(m_zoom);
}

void DesignCanvas::zoomToFit()
{
    const double pixelsPerMm = logicalDpiX() / 25.4;
    const QSizeF room = viewport()->size() - QSize(24, 24);
    const QSizeF need = m_layout.sheet + QSizeF(16, 16);
    setZoom(
        std::min(room.width() / (need.width() * pixelsPerMm), room.height() / (need.height() * pixelsPerMm)));
}

void DesignCanvas::zoomToWidth()
{
    const double pixelsPerMm = logicalDpiX() / 25.4;
    setZoom((viewport()->width() - 24) / ((m_layout.sheet.width() + 16) * pixelsPerMm));
}

void DesignCanvas::setGridStep(double mm)
{
    m_gridStep = std::max(0.0, mm);
    m_scene->update();
}

void DesignCanvas::applyZoom()
{
    const double pixelsPerMm = logicalDpiX() / 25.4 * m_zoom;
    setTransform(QTransform::fromScale(pixelsPerMm, pixelsPerMm));
    m_horizontal->update();
    m_vertical->update();
}

void DesignCanvas::placeRulers()
{
    const QRect area = viewport()->geometry();
    m_horizontal->setGeometry(area.left(), area.top() - kRulerSize, area.width(), kRulerSize);
    m_vertical->setGeometry(area.left() - kRulerSize, area.top(), kRulerSize, area.height());
}

void DesignCanvas::resizeEvent(QResizeEvent* event)
{
    QGraphicsView::resizeEvent(event);
    placeRulers();
}

void DesignCanvas::scrollContentsBy(int dx, int dy)
{
    QGraphicsView::scrollContentsBy(dx, dy);
    m_horizontal->update();
    m_vertical->update();
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
    m_horizontal->update();
    m_vertical->update();
}

void DesignCanvas::showEvent(QShowEvent* event)
{
    QGraphicsView::showEvent(event);
    placeRulers();
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
    // Arrow keys move the selected objects by the grid (Ctrl: five steps); with Shift they resize
    // the first one.
    const double step = snapStep() * (event->modifiers() & Qt::ControlModifier ? 5 : 1);
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
    if (event->modifiers() & Qt::ShiftModifier)
        m_model->setObjectGeometry(s.band, s.object,
                                   dragged(object->geometry, Edge::Right | Edge::Bottom, delta, snapStep()));
    else
        m_model->moveSelected(delta);
    event->accept();
}

void DesignCanvas::mousePressEvent(QMouseEvent* event)
{
    QGraphicsView::mousePressEvent(event);
    QGraphicsItem* item = itemAt(event->position().toPoint());
    // A press beside the sheet selects the page, as a press on its empty part does.
    if (m_model && !item)
        m_model->select({});
    // On empty paper (not on an object, not on a band's lower edge) a drag draws a rubber band.
    const auto* band = dynamic_cast<const BandItem*>(item);
    m_rubberPressed = event->button() == Qt::LeftButton && !dynamic_cast<const ObjectItem*>(item) &&
                      !(band && band->isResizing());
    m_rubberOrigin = event->position().toPoint();
}

void DesignCanvas::mouseMoveEvent(QMouseEvent* event)
{
    QGraphicsView::mouseMoveEvent(event);
    emit pointerMoved(mapToScene(event->position().toPoint()));
    if (m_rubberPressed && (event->buttons() & Qt::LeftButton)) {
        const QRect area = QRect(m_rubberOrigin, event->position().toPoint()).normalized();
        if (m_rubberBand->isVisible() || area.width() > 3 || area.height() > 3) {
            m_rubberBand->setGeometry(area);
            m_rubberBand->show();
        }
    }
}

void DesignCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    QGraphicsView::mouseReleaseEvent(event);
    if (m_rubberPressed && m_rubberBand->isVisible()) {
        m_rubberBand->hide();
        selectInRubberBand(QRect(m_rubberOrigin, event->position().toPoint()).normalized(),
                           event->modifiers() & Qt::ShiftModifier);
    }
    m_rubberPressed = false;
}

void DesignCanvas::selectInRubberBand(const QRect& area, bool adding)
{
    if (!m_model)
        return;
    const QRectF touched = mapToScene(area).boundingRect();
    QList<ObjectRef> objects = adding ? m_model->selection().objects() : QList<ObjectRef>();
    // In the order of the template: the first object of the first band leads.
    for (const BandPlacement& placement : m_layout.bands) {
        const QList<ReportObject>& inBand = m_model->report().bands.at(placement.band).objects;
        for (int o = 0; o < inBand.size(); ++o) {
            const QRectF shown = inBand.at(o).geometry.normalized().translated(placement.area.topLeft());
            // A flat line has no area: a touch of its length counts.
            if (touched.intersects(shown.adjusted(-0.01, -0.01, 0.01, 0.01)) &&
                !objects.contains(ObjectRef{placement.band, o}))
                objects << ObjectRef{placement.band, o};
        }
    }
    m_model->selectObjects(objects);
}

void DesignCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    QGraphicsView::mouseDoubleClickEvent(event);
    const ReportObject* object = m_model ? m_model->selectedObject() : nullptr;
    if (object && (object->kind == ReportObject::Kind::Text || object->kind == ReportObject::Kind::QrCode))
        emit textEditRequested();
}

void DesignCanvas::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QGraphicsView::wheelEvent(event);
        return;
    }
    // Ctrl+wheel zooms about the point under the pointer.
    const QPointF before = mapToScene(event->position().toPoint());
    const double steps = event->angleDelta().y() / 120.0;
    setZoom(m_zoom * std::pow(1.15, steps));
    const QPointF after = mapToScene(event->position().toPoint());
    const QPointF shift = (after - before) * transform().m11();
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - int(std::lround(shift.x())));
    verticalScrollBar()->setValue(verticalScrollBar()->value() - int(std::lround(shift.y())));
    event->accept();
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
