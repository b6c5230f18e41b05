#include "bandpainter.h"

#include "qrcode.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace zu {

BandPainter::BandPainter(QPainter& painter, double pixelsPerMmX, double pixelsPerMmY, QPointF offset,
                         const TextMeasurer* measurer)
    : m_painter(painter), m_sx(pixelsPerMmX), m_sy(pixelsPerMmY), m_offset(offset), m_measurer(measurer)
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

void BandPainter::paint(const ReportBand& band, QPointF origin, const ExpansionContext& context,
                        const BandLayout* layout)
{
    const bool moved = layout && layout->geometries.size() == band.objects.size();
    for (qsizetype i = 0; i < band.objects.size(); ++i) {
        if (!moved) {
            paintObject(band.objects.at(i), origin, context);
            continue;
        }
        ReportObject placed = band.objects.at(i);
        placed.geometry = layout->geometries.at(i);
        paintObject(placed, origin, context);
    }
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
    case ReportObject::Kind::Picture:
        paintPicture(o, rect);
        break;
    case ReportObject::Kind::QrCode:
        paintQrCode(expandText(o.text, context), rect);
        break;
    }
}

void BandPainter::paintText(const ReportObject& object, const QRectF& rect, const ExpansionContext& context)
{
    const QString text = expandText(object.text, context, object.numberFormat, object.dateFormat);
    if (!text.isEmpty()) {
        double points = object.fontSize;
        if (m_measurer && object.shrinkToFit && object.cells == 0)
            points = m_measurer->fittingSize(object, text, object.geometry.size());
        QFont font(object.fontFamily);
        font.setPointSizeF(points * m_fontScale);
        font.setBold(object.bold);
        // drawText clips to its rectangle where the text does not fit; a clip of our own for every
        // text would cost a graphics state per object in a PDF.
        m_painter.setFont(font);
        m_painter.setPen(m_ink);
        if (object.cells > 0) {
            const double cell = rect.width() / object.cells;
            for (int i = 0; i < object.cells && i < text.size(); ++i)
                m_painter.drawText(QRectF(rect.x() + i * cell, rect.y(), cell, rect.height()),
                                   Qt::AlignCenter, text.mid(i, 1));
        } else {
            const QRectF mm(0, 0, rect.width() / m_sx, rect.height() / m_sy);
            const QRectF inner = textArea(object, mm);
            const QRectF area(rect.x() + inner.x() * m_sx, rect.y() + inner.y() * m_sy, inner.width() * m_sx,
                              inner.height() * m_sy);
            if (!drawOneLine(object, points, area, text))
                m_painter.drawText(area, textFlags(object), text);
        }
    }
    paintFrame(object.frame, rect);
}

bool BandPainter::drawOneLine(const ReportObject& object, double points, const QRectF& area,
                              const QString& text)
{
    // Most cells of a list hold one line that fits: placed by hand, they skip the text layout
    // that wrapping needs, which a report of thousands of rows feels.
    if (!m_measurer || m_fontScale != 1 || text.contains(u'\n'))
        return false;
    const QFontMetricsF& fm = m_measurer->metrics(object, points);
    const double advance = fm.horizontalAdvance(text);
    if (advance > area.width())
        return false;
    double x = area.left();
    if (object.alignment & Qt::AlignHCenter)
        x += (area.width() - advance) / 2;
    else if (object.alignment & Qt::AlignRight)
        x = area.right() - advance;
    double baseline = area.top() + (area.height() - fm.height()) / 2 + fm.ascent();
    if (object.alignment & Qt::AlignTop)
        baseline = area.top() + fm.ascent();
    else if (object.alignment & Qt::AlignBottom)
        baseline = area.bottom() - fm.descent();
    m_painter.drawText(QPointF(x, baseline), text);
    return true;
}

void BandPainter::paintPicture(const ReportObject& object, const QRectF& rect)
{
    if (object.picture.isEmpty())
        return;
    auto found = m_pictures.find(object.picture.constData());
    if (found == m_pictures.end())
        found = m_pictures.insert(object.picture.constData(), QImage::fromData(object.picture));
    const QImage& image = *found;
    if (image.isNull())
        return;
    QRectF target = rect;
    if (object.keepAspect) {
        const QSizeF fitted = QSizeF(image.size()).scaled(rect.size(), Qt::KeepAspectRatio);
        target = QRectF(QPointF(0, 0), fitted);
        target.moveCenter(rect.center());
    }
    m_painter.drawImage(target, image);
}

void BandPainter::paintQrCode(const QString& text, const QRectF& rect)
{
    const QrCode code = encodeQrCode(text);
    if (code.isNull())
        return;
    // A square as large as the object allows, centred.
    const double side = std::min(rect.width(), rect.height());
    const double scale = side / code.size;
    const QPointF corner(rect.center().x() - side / 2, rect.center().y() - side / 2);
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    for (const QRectF& m : code.modules)
        path.addRect(QRectF(corner.x() + m.x() * scale, corner.y() + m.y() * scale, m.width() * scale,
                            m.height() * scale));
    m_painter.fillPath(path, m_ink);
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
