#include "bandpainter.h"

#include <QFont>
#include <QPainter>
#include <QPen>

namespace zu {

BandPainter::BandPainter(QPainter& painter, double pixelsPerMmX, double pixelsPerMmY, QPointF offset)
    : m_painter(painter), m_sx(pixelsPerMmX), m_sy(pixelsPerMmY), m_offset(offset)
{
    // Fonts are sized by the device's resolution; where a millimetre is not what that resolution
    // says (the designer's zoom), the point sizes follow the scale.
    if (const QPaintDevice* device = painter.device()) {
        const double deviceMm = device->logicalDpiY() / 25.4;
        if (deviceMm > 0)
            m_fontScale = m_sy / deviceMm;
    }
}

QRectF BandPainter::toDevice(const QRectF& mm) const
{
    return QRectF(m_offset.x() + mm.x() * m_sx, m_offset.y() + mm.y() * m_sy, mm.width() * m_sx,
                  mm.height() * m_sy);
}

double BandPainter::penWidth(double mm) const
{
    return std::max(1.0, mm * m_sx);
}

void BandPainter::paint(const ReportBand& band, QPointF origin, const ExpansionContext& context)
{
    for (const ReportObject& o : band.objects)
        paintObject(o, origin, context);
}

void BandPainter::paintObject(const ReportObject& o, QPointF origin, const ExpansionContext& context)
{
    const QRectF rect = toDevice(o.geometry.translated(origin));
    switch (o.kind) {
    case ReportObject::Kind::Text:
        paintText(o, rect, context);
        break;
    case ReportObject::Kind::Line:
        m_painter.setPen(QPen(Qt::black, penWidth(o.lineWidth), Qt::SolidLine, Qt::FlatCap));
        m_painter.drawLine(rect.topLeft(), rect.bottomRight());
        break;
    case ReportObject::Kind::Rectangle:
        m_painter.setPen(QPen(Qt::black, penWidth(o.lineWidth), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        m_painter.setBrush(Qt::NoBrush);
        m_painter.drawRect(rect);
        break;
    }
}

void BandPainter::paintText(const ReportObject& object, const QRectF& rect, const ExpansionContext& context)
{
    const QString text = expandText(object.text, context, object.numberFormat, object.dateFormat);
    if (!text.isEmpty()) {
        QFont font(object.fontFamily);
        font.setPointSizeF(object.fontSize * m_fontScale);
        font.setBold(object.bold);
        // drawText clips to its rectangle where the text does not fit; a clip of our own for every
        // text would cost a graphics state per object in a PDF.
        m_painter.setFont(font);
        m_painter.setPen(Qt::black);
        const int flags = int(object.alignment) | (object.wordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
        // A little inner space so that text does not touch its frame.
        const double pad = 0.5 * m_sx;
        if (object.cells > 0) {
            const double cell = rect.width() / object.cells;
            for (int i = 0; i < object.cells && i < text.size(); ++i)
                m_painter.drawText(QRectF(rect.x() + i * cell, rect.y(), cell, rect.height()),
                                   Qt::AlignCenter, text.mid(i, 1));
        } else {
            // Text set against the top or bottom keeps the same distance from a frame line.
            const double vpad = object.alignment & (Qt::AlignTop | Qt::AlignBottom) ? 0.5 * m_sy : 0;
            m_painter.drawText(rect.adjusted(pad, vpad, -pad, -vpad), flags, text);
        }
    }
    paintFrame(object.frame, rect);
}

void BandPainter::paintFrame(const ReportFrame& frame, const QRectF& rect)
{
    if (!frame.any())
        return;
    m_painter.setPen(QPen(Qt::black, penWidth(frame.width), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    if (frame.left && frame.top && frame.right && frame.bottom) {
        m_painter.setBrush(Qt::NoBrush);
        m_painter.drawRect(rect); // one path instead of four: a list of framed cells prints faster
        return;
    }
    if (frame.left)
        m_painter.drawLine(rect.topLeft(), rect.bottomLeft());
    if (frame.top)
        m_painter.drawLine(rect.topLeft(), rect.topRight());
    if (frame.right)
        m_painter.drawLine(rect.topRight(), rect.bottomRight());
    if (frame.bottom)
        m_painter.drawLine(rect.bottomLeft(), rect.bottomRight());
}

} // namespace zu
