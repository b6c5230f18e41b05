#include "designgeometry.h"

#include "report/reportplan.h"

#include <cmath>

namespace zu {

int DesignLayout::bandAt(QPointF point) const
{
    for (const BandPlacement& p : bands) {
        if (p.caption.united(p.area).contains(point))
            return p.band;
    }
    return -1;
}

const BandPlacement* DesignLayout::placement(int band) const
{
    for (const BandPlacement& p : bands) {
        if (p.band == band)
            return &p;
    }
    return nullptr;
}

DesignLayout layoutDesign(const ReportTemplate& report)
{
    DesignLayout layout;
    const ReportPage& page = report.page;
    const double width = page.printableSize().width();
    double y = page.topMargin;
    for (int i = 0; i < report.bands.size(); ++i) {
        const ReportBand& band = report.bands.at(i);
        BandPlacement p;
        p.band = i;
        p.caption = QRectF(page.leftMargin, y, width, kBandCaptionHeight);
        y += kBandCaptionHeight;
        const bool inColumns = band.type == ReportBand::Type::MasterData && band.columns > 1;
        const double bandWidth = inColumns ? columnWidth(report, band) : width;
        p.area = QRectF(page.leftMargin, y, bandWidth, band.height);
        if (inColumns) {
            p.columns = band.columns;
            p.columnPitch = bandWidth + band.columnGap;
        }
        y += band.height + kBandGap;
        layout.bands.append(p);
    }
    layout.sheet =
        QSizeF(page.sheetSize().width(), std::max(page.sheetSize().height(), y + page.bottomMargin));
    return layout;
}

double snapped(double mm, double step)
{
    return step > 0 ? std::round(mm / step) * step : mm;
}

Edges edgesAt(const QRectF& rect, QPointF point, double grip)
{
    Edges edges;
    const QRectF reach = rect.adjusted(-grip, -grip, grip, grip);
    if (!reach.contains(point))
        return edges;
    // A small object is moved from its middle rather than resized from all sides.
    const double gx = std::min(grip, rect.width() / 3);
    const double gy = std::min(grip, rect.height() / 3);
    if (std::abs(point.x() - rect.left()) <= gx)
        edges |= Edge::Left;
    else if (std::abs(point.x() - rect.right()) <= gx)
        edges |= Edge::Right;
    if (std::abs(point.y() - rect.top()) <= gy)
        edges |= Edge::Top;
    else if (std::abs(point.y() - rect.bottom()) <= gy)
        edges |= Edge::Bottom;
    return edges;
}

QRectF dragged(const QRectF& start, Edges edges, QPointF delta, double step)
{
    if (edges == Edges(Edge::None)) {
        QRectF moved = start;
        moved.moveTopLeft(
            QPointF(snapped(start.left() + delta.x(), step), snapped(start.top() + delta.y(), step)));
        return moved;
    }
    double left = start.left();
    double top = start.top();
    double right = start.right();
    double bottom = start.bottom();
    if (edges & Edge::Left)
        left = std::min(snapped(left + delta.x(), step), right);
    if (edges & Edge::Right)
        right = std::max(snapped(right + delta.x(), step), left);
    if (edges & Edge::Top)
        top = std::min(snapped(top + delta.y(), step), bottom);
    if (edges & Edge::Bottom)
        bottom = std::max(snapped(bottom + delta.y(), step), top);
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

} // namespace zu
