#pragma once

#include "bandlayout.h"
#include "reporttemplate.h"
#include "textexpander.h"

#include <QColor>
#include <QHash>
#include <QImage>
#include <QPointF>

class QPainter;

namespace zu {

// Paints the objects of one band on a painter whose unit is the device pixel.
class BandPainter final
{
public:
    // `offset` is where (0, 0) mm lies on the device, in device pixels. With a measurer, texts
    // that shrink to fit are made smaller where they would not fit.
    BandPainter(QPainter& painter, double pixelsPerMmX, double pixelsPerMmY, QPointF offset = {},
                const TextMeasurer* measurer = nullptr);

    // `origin` is the band's top left corner in mm from the page's top left corner; `layout`
    // where its objects are when it stretched (null: as designed).
    void paint(const ReportBand& band, QPointF origin, const ExpansionContext& context,
               const BandLayout* layout = nullptr);
    void paintObject(const ReportObject& object, QPointF origin, const ExpansionContext& context);

    // The colour texts and codes are drawn in (the designer marks a faulty text red).
    void setInk(const QColor& ink) { m_ink = ink; }

private:
    void paintText(const ReportObject& object, const QRectF& rect, const ExpansionContext& context);
    // Draws a text of one line that fits in `area` (device pixels); false for any other.
    bool drawOneLine(const ReportObject& object, double points, const QRectF& area, const QString& text);
    void paintPicture(const ReportObject& object, const QRectF& rect);
    void paintQrCode(const QString& text, const QRectF& rect);
    void paintFrame(const ReportFrame& frame, const QRectF& rect);
    QRectF toDevice(const QRectF& mm) const;
    double penWidth(double mm) const;

    QPainter& m_painter;
    double m_sx;
    double m_sy;
    QPointF m_offset;
    const TextMeasurer* m_measurer;
    double m_fontScale = 1; // points on the device to points on the sheet (a zoomed screen)
    QColor m_ink = Qt::black;
    // Decoded once per report; drawing the same image again lets a PDF hold it once.
    QHash<const char*, QImage> m_pictures;
};

} // namespace zu
