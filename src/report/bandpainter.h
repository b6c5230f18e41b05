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
    // `offset` is where (0, 0) mm lies on the device, in device pixels.
    BandPainter(QPainter& painter, double pixelsPerMmX, double pixelsPerMmY, QPointF offset = {});

    // `origin` is the band's top left corner in mm from the page's top left corner.
    void paint(const ReportBand& band, QPointF origin, const ExpansionContext& context);
    void paintObject(const ReportObject& object, QPointF origin, const ExpansionContext& context);

private:
    void paintText(const ReportObject& object, const QRectF& rect, const ExpansionContext& context);
    void paintFrame(const ReportFrame& frame, const QRectF& rect);
    QRectF toDevice(const QRectF& mm) const;
    double penWidth(double mm) const;

    QPainter& m_painter;
    double m_sx;
    double m_sy;
    QPointF m_offset;
    double m_fontScale = 1; // points on the device to points on the sheet (a zoomed screen)
};

} // namespace zu
