#pragma once

#include "reporttemplate.h"
#include "textexpander.h"

#include <QPointF>

class QPainter;

namespace zu {

// Paints the objects of one band on a painter whose unit is the device pixel.
class BandPainter final
{
public:
    BandPainter(QPainter& painter, double pixelsPerMmX, double pixelsPerMmY);

    // `origin` is the band's top left corner in mm from the page's top left corner.
    void paint(const ReportBand& band, QPointF origin, const ExpansionContext& context);

private:
    void paintText(const ReportObject& object, const QRectF& rect, const ExpansionContext& context);
    void paintFrame(const ReportFrame& frame, const QRectF& rect);
    QRectF toDevice(const QRectF& mm) const;
    double penWidth(double mm) const;

    QPainter& m_painter;
    double m_sx;
    double m_sy;
};

} // namespace zu
