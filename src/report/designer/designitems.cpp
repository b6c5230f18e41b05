#include "designitems.h"

#include "designcanvas.h"
#include "designermodel.h"
#include "report/bandpainter.h"
#include "report/textexpander.h"

#include <QCursor>
#include <QGraphicsSceneHoverEvent>
#include <QGraphicsSceneMouseEvent>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace zu {

namespace {

const QColor kSelection(0x1e, 0x6f, 0xd9);

Qt::CursorShape cursorFor(Edges edges)
{
    const bool horizontal = edges & (Edge::Left | Edge::Right);
    const bool vertical = edges & (Edge::Top | Edge::Bottom);
    if (horizontal && vertical) {
        const bool falling = (edges.testFlag(Edge::Left) && edges.testFlag(Edge::Top)) ||
                             (edges.testFlag(Edge::Right) && edges.testFlag(Edge::Bottom));
        return falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    }
    if (horizontal)
        return Qt::SizeHorCursor;
    if (vertical)
        return Qt::SizeVerCursor;
    return Qt::SizeAllCursor;
}

QString bandTitle(const ReportBand& band)
{
    QString title = bandCaption(band.type);
    if (band.type == ReportBand::Type::MasterData) {
        if (!band.dataSet.isEmpty())
            title += QStringLiteral("：") + band.dataSet;
        title += band.records == ReportBand::Records::Current ? QStringLiteral("（当前记录）")
                                                              : QStringLiteral("（全部记录）");
        if (band.columns > 1)
            title += QStringLiteral(" %1 列").arg(band.columns);
    }
    return title;
}

} // namespace

SheetItem::SheetItem(DesignerModel& model, const DesignLayout& layout) : m_model(model), m_sheet(layout.sheet)
{
    const ReportPage& page = model.report().page;
    m_printable = QRectF(page.leftMargin, page.topMargin, page.printableSize().width(),
                         layout.sheet.height() - page.topMargin - page.bottomMargin);
    setZValue(-2);
}

QRectF SheetItem::boundingRect() const
{
    return QRectF(QPointF(0, 0), m_sheet).adjusted(-1, -1, 2, 2);
}

void SheetItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const QRectF sheet(QPointF(0, 0), m_sheet);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(0, 0, 0, 60));
    painter->drawRect(sheet.translated(1, 1));
    painter->setBrush(Qt::white);
    painter->setPen(QPen(QColor(0x9a, 0x9a, 0x9a), 0));
    painter->drawRect(sheet);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(QColor(0xc8, 0xc8, 0xc8), 0, Qt::DashLine));
    painter->drawRect(m_printable);
    if (m_model.selection().isPage()) {
        painter->setPen(QPen(kSelection, 0));
        painter->drawRect(sheet);
    }
}

void SheetItem::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    m_model.select({});
    event->accept();
}

BandItem::BandItem(DesignerModel& model, const BandPlacement& placement)
    : m_model(model), m_placement(placement), m_height(placement.area.height())
{
    setAcceptHoverEvents(true);
    setZValue(-1);
}

QRectF BandItem::boundingRect() const
{
    QRectF area = m_placement.area;
    area.setHeight(m_height);
    if (m_placement.columns > 1)
        area.setRight(area.left() + m_placement.columnPitch * (m_placement.columns - 1) + area.width());
    return m_placement.caption.united(area).adjusted(-0.5, -0.5, 0.5, kGrip);
}

void BandItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    // Until the canvas is rebuilt after an edit, an item may stand for a band that is gone.
    if (m_placement.band >= m_model.report().bands.size())
        return;
    const ReportBand& band = m_model.report().bands.at(m_placement.band);
    const bool selected = m_model.selection().isBand() && m_model.selection().band == m_placement.band;
    const QRectF caption = m_placement.caption;
    painter->setPen(Qt::NoPen);
    painter->setBrush(selected ? kSelection : QColor(0xe4, 0xea, 0xf2));
    painter->drawRect(caption);
    QFont font(QString::fromLatin1(kDefaultReportFont));
    font.setPixelSize(30); // in tenths of a mm, scaled below: the caption's text is 3 mm high
    painter->save();
    painter->translate(caption.topLeft());
    painter->scale(0.1, 0.1);
    painter->setFont(font);
    painter->setPen(selected ? Qt::white : QColor(0x33, 0x44, 0x55));
    painter->drawText(QRectF(15, 0, caption.width() * 10 - 15, caption.height() * 10),
                      Qt::AlignVCenter | Qt::AlignLeft, bandTitle(band));
    painter->restore();

    QRectF area = m_placement.area;
    area.setHeight(m_height);
    painter->setBrush(QColor(0xfb, 0xfc, 0xfe));
    painter->setPen(QPen(selected ? kSelection : QColor(0xb8, 0xc4, 0xd2), 0));
    painter->drawRect(area);
    paintGrid(painter, area);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(QPen(QColor(0xc8, 0xd0, 0xda), 0, Qt::DashLine));
    for (int c = 1; c < m_placement.columns; ++c)
        painter->drawRect(area.translated(c * m_placement.columnPitch, 0));
}

void BandItem::paintGrid(QPainter* painter, const QRectF& area) const
{
    const DesignCanvas* canvas = DesignCanvas::of(this);
    if (!canvas || canvas->gridStep() <= 0)
        return;
    // A dot where objects snap to; where the dots would crowd, every second, fifth or tenth.
    const double pixelsPerMm = painter->worldTransform().m11();
    double step = canvas->gridStep();
    for (int every : {2, 5, 10, 20}) {
        if (step * pixelsPerMm >= 6)
            break;
        step = canvas->gridStep() * every;
    }
    const double dot = 1.5 / pixelsPerMm;
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(0x9a, 0xa8, 0xb8));
    for (double y = 0; y <= area.height() + 1e-6; y += step) {
        for (double x = 0; x <= area.width() + 1e-6; x += step)
            painter->drawRect(QRectF(area.left() + x - dot / 2, area.top() + y - dot / 2, dot, dot));
    }
}

bool BandItem::onLowerEdge(QPointF scenePoint) const
{
    const QRectF area = m_placement.area;
    return scenePoint.x() >= area.left() && scenePoint.x() <= area.right() &&
           std::abs(scenePoint.y() - (area.top() + m_height)) <= kGrip;
}

void BandItem::hoverMoveEvent(QGraphicsSceneHoverEvent* event)
{
    setCursor(onLowerEdge(event->scenePos()) ? Qt::SizeVerCursor : Qt::ArrowCursor);
}

void BandItem::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_resizing = onLowerEdge(event->scenePos());
    if (!(event->modifiers() & Qt::ShiftModifier))
        m_model.select({m_placement.band, -1, {}});
    event->accept();
}

void BandItem::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    if (!m_resizing)
        return;
    prepareGeometryChange();
    const DesignCanvas* canvas = DesignCanvas::of(this);
    const double step = canvas ? canvas->snapStep() : kGridStep;
    m_height = std::max(2.0, snapped(event->scenePos().y() - m_placement.area.top(), step));
    update();
}

void BandItem::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    if (m_resizing && event->button() == Qt::LeftButton) {
        m_resizing = false;
        m_model.setBandHeight(m_placement.band, m_height);
    }
}

ObjectItem::ObjectItem(DesignerModel& model, int band, int object, const BandPlacement& placement)
    : m_model(model), m_band(band), m_object(object),
      m_geometry(model.report().bands.at(band).objects.at(object).geometry)
{
    setPos(placement.area.topLeft());
    setAcceptHoverEvents(true);
}

const ReportObject* ObjectItem::templateObject() const
{
    const QList<ReportBand>& bands = m_model.report().bands;
    if (m_band >= bands.size() || m_object >= bands.at(m_band).objects.size())
        return nullptr; // removed; the canvas is rebuilt right after
    return &bands.at(m_band).objects.at(m_object);
}

bool ObjectItem::isSelected() const
{
    return m_model.selection().contains(m_band, m_object);
}

bool ObjectItem::isLead() const
{
    const DesignSelection s = m_model.selection();
    return s.band == m_band && s.object == m_object;
}

QString ObjectItem::shownText() const
{
    const ReportObject* o = templateObject();
    return o ? friendlyText(o->text, m_model.dataSet(), m_model.fields()) : QString();
}

bool ObjectItem::isFaulty() const
{
    const ReportObject* o = templateObject();
    if (!o || (o->kind != ReportObject::Kind::Text && o->kind != ReportObject::Kind::QrCode))
        return false;
    return !unknownReferences(o->text, m_model.dataSet(), m_model.fields()).isEmpty();
}

QRectF ObjectItem::boundingRect() const
{
    return m_geometry.normalized().adjusted(-kGrip, -kGrip, kGrip, kGrip);
}

QPainterPath ObjectItem::shape() const
{
    QPainterPath path;
    path.addRect(boundingRect());
    return path;
}

void ObjectItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    const ReportObject* original = templateObject();
    if (!original)
        return;
    ReportObject object = *original;
    object.geometry = m_geometry;
    object.text = shownText();
    const bool faulty = isFaulty();
    const QRectF g = m_geometry.normalized();
    const QTransform toDevice = painter->worldTransform();
    painter->save();
    painter->resetTransform();
    BandPainter objectPainter(*painter, toDevice.m11(), toDevice.m22(), toDevice.map(QPointF(0, 0)));
    objectPainter.setInk(faulty ? QColor(0xd0, 0x10, 0x10) : QColor(Qt::black));
    ExpansionContext literal;
    literal.literal = true;
    objectPainter.paintObject(object, {}, literal);
    painter->restore();

    painter->setBrush(Qt::NoBrush);
    if (object.kind == ReportObject::Kind::Picture && QImage::fromData(object.picture).isNull()) {
        painter->setPen(QPen(QColor(0x90, 0x90, 0x90), 0, Qt::DashLine));
        painter->drawRect(g);
        painter->drawLine(g.topLeft(), g.bottomRight());
        painter->drawLine(g.topRight(), g.bottomLeft());
    }
    if (faulty) {
        painter->setPen(QPen(QColor(0xd0, 0x10, 0x10), 0, Qt::DashLine));
        painter->drawRect(g);
    } else if (object.kind == ReportObject::Kind::Text && !object.frame.any()) {
        painter->setPen(QPen(QColor(0xb0, 0xb0, 0xb0), 0, Qt::DotLine));
        painter->drawRect(g);
    }
    if (!isSelected())
        return;
    painter->setPen(QPen(kSelection, 0, Qt::DashLine));
    painter->drawRect(g);
    // The first object selected, which the others line up with, has filled handles.
    painter->setPen(QPen(kSelection, 0));
    painter->setBrush(isLead() ? QBrush(kSelection) : QBrush(Qt::white));
    const double h = 0.8;
    for (const QPointF& p : {g.topLeft(), g.topRight(), g.bottomLeft(), g.bottomRight(),
                             QPointF(g.center().x(), g.top()), QPointF(g.center().x(), g.bottom()),
                             QPointF(g.left(), g.center().y()), QPointF(g.right(), g.center().y())})
        painter->drawRect(QRectF(p.x() - h / 2, p.y() - h / 2, h, h));
}

void ObjectItem::setGeometry(const QRectF& geometry)
{
    prepareGeometryChange();
    m_geometry = geometry;
    update();
}

void ObjectItem::showMoved(QPointF offset)
{
    if (const ReportObject* o = templateObject())
        setGeometry(o->geometry.translated(offset));
}

QList<ObjectItem*> ObjectItem::selectedItems() const
{
    QList<ObjectItem*> items;
    if (!scene())
        return items;
    for (QGraphicsItem* item : scene()->items()) {
        auto* o = dynamic_cast<ObjectItem*>(item);
        if (o && o->isSelected())
            items << o;
    }
    return items;
}

void ObjectItem::hoverMoveEvent(QGraphicsSceneHoverEvent* event)
{
    const bool alone = isSelected() && m_model.selection().objects().size() == 1;
    setCursor(cursorFor(alone ? edgesAt(m_geometry, event->pos(), kGrip) : Edges()));
}

void ObjectItem::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_dragging = false;
    m_offset = {};
    m_toggled = event->modifiers() & Qt::ShiftModifier;
    if (m_toggled) {
        m_model.toggleObject(m_band, m_object);
        event->accept();
        return;
    }
    // Only an object selected alone is resized; a press on another one selects and moves it; a
    // press on one of several selected moves them all.
    const bool alone = isSelected() && m_model.selection().objects().size() == 1;
    m_edges = alone ? edgesAt(m_geometry, event->pos(), kGrip) : Edges();
    m_pressGeometry = m_geometry;
    m_pressPoint = event->pos();
    if (!isSelected())
        m_model.select({m_band, m_object, {}});
    event->accept();
}

void ObjectItem::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    if (m_toggled)
        return;
    const QPointF delta = event->pos() - m_pressPoint;
    if (!m_dragging && std::hypot(delta.x(), delta.y()) < 0.4)
        return;
    m_dragging = true;
    const DesignCanvas* canvas = DesignCanvas::of(this);
    const double step = canvas ? canvas->snapStep() : kGridStep;
    if (m_edges != Edges(Edge::None)) {
        setGeometry(dragged(m_pressGeometry, m_edges, delta, step));
        return;
    }
    // The object grabbed lands on the grid; the others keep their distance to it.
    m_offset = dragged(m_pressGeometry, Edges(), delta, step).topLeft() - m_pressGeometry.topLeft();
    for (ObjectItem* item : selectedItems())
        item->showMoved(m_offset);
}

void ObjectItem::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_toggled)
        return;
    if (!m_dragging) {
        // A click on one of several selected selects it alone.
        if (m_model.selection().objects().size() > 1)
            m_model.select({m_band, m_object, {}});
        return;
    }
    m_dragging = false;
    // The model keeps the objects inside their bands; the canvas is rebuilt from it afterwards.
    if (m_edges != Edges(Edge::None))
        m_model.setObjectGeometry(m_band, m_object, m_geometry);
    else
        m_model.moveSelected(m_offset);
}

} // namespace zu
