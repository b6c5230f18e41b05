#include "bandlayout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QMap>
#include <QPaintDevice>

#include <algorithm>

namespace zu {

namespace {

constexpr double kTolerance = 0.01; // mm

QFont fontOf(const ReportObject& object, double points)
{
    QFont font(object.fontFamily);
    font.setPointSizeF(points);
    font.setBold(object.bold);
    return font;
}

bool growsWithText(const ReportObject& o)
{
    return o.kind == ReportObject::Kind::Text && o.wordWrap && o.cells == 0 && !o.text.isEmpty();
}

} // namespace

int textFlags(const ReportObject& object)
{
    return int(object.alignment) | (object.wordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
}

QRectF textArea(const ReportObject& object, const QRectF& rect)
{
    // Text set against the top or bottom keeps the same distance from a frame line.
    const double vertical = object.alignment & (Qt::AlignTop | Qt::AlignBottom) ? kTextPadding : 0;
    return rect.adjusted(kTextPadding, vertical, -kTextPadding, -vertical);
}

TextMeasurer::TextMeasurer(const QPaintDevice* device)
    : m_device(device), m_pixelsPerMm(device->logicalDpiY() / 25.4)
{
}

const QFontMetricsF& TextMeasurer::metrics(const ReportObject& object, double points) const
{
    const QString key = QStringLiteral("%1|%2|%3").arg(object.fontFamily).arg(points).arg(object.bold);
    auto found = m_metrics.find(key);
    if (found == m_metrics.end())
        found = m_metrics.insert(key, QFontMetricsF(fontOf(object, points), m_device));
    return *found;
}

double TextMeasurer::wrappedHeight(const ReportObject& object, const QString& text, double width) const
{
    const QFontMetricsF& fm = metrics(object, object.fontSize);
    const double inner = std::max(1.0, (width - 2 * kTextPadding) * m_pixelsPerMm);
    // Most texts are one line that fits: no need to lay them out.
    if (!text.contains(u'\n') && fm.horizontalAdvance(text) <= inner)
        return fm.height() / m_pixelsPerMm + 2 * kTextPadding;
    const QRectF needed = fm.boundingRect(QRectF(0, 0, inner, 1e6), textFlags(object), text);
    return needed.height() / m_pixelsPerMm + 2 * kTextPadding;
}

bool TextMeasurer::fits(const ReportObject& object, const QString& text, QSizeF size, double points) const
{
    const QFontMetricsF& fm = metrics(object, points);
    QRectF area = textArea(object, QRectF(QPointF(0, 0), size));
    // Vertically centred text needs the padding all the same, or it touches a frame.
    if (!(object.alignment & (Qt::AlignTop | Qt::AlignBottom)))
        area.adjust(0, kTextPadding, 0, -kTextPadding);
    const QRectF inner(0, 0, std::max(1.0, area.width() * m_pixelsPerMm),
                       std::max(1.0, area.height() * m_pixelsPerMm));
    if (!text.contains(u'\n')) {
        const bool oneLine = fm.horizontalAdvance(text) <= inner.width() + 0.5;
        if (oneLine || !object.wordWrap)
            return oneLine && fm.height() <= inner.height() + 0.5;
    }
    const QRectF needed = fm.boundingRect(inner, textFlags(object), text);
    return needed.width() <= inner.width() + 0.5 && needed.height() <= inner.height() + 0.5;
}

double TextMeasurer::fittingSize(const ReportObject& object, const QString& text, QSizeF size) const
{
    if (text.isEmpty() || fits(object, text, size, object.fontSize))
        return object.fontSize;
    double low = std::min(kSmallestFontSize, object.fontSize);
    double high = object.fontSize;
    if (!fits(object, text, size, low))
        return low;
    // To a tenth of a point.
    while (high - low > 0.1) {
        const double middle = (low + high) / 2;
        if (fits(object, text, size, middle))
            low = middle;
        else
            high = middle;
    }
    return low;
}

BandLayout layoutBand(const ReportBand& band, const ExpansionContext& context, const TextMeasurer* measurer)
{
    BandLayout layout;
    layout.height = band.height;
    if (!band.stretch || !measurer)
        return layout;
    // How much more room is wanted at each lower edge of a growing text.
    QMap<double, double> growthAt;
    for (const ReportObject& o : band.objects) {
        if (!growsWithText(o))
            continue;
        const QString text = expandText(o.text, context, o.numberFormat, o.dateFormat);
        if (text.isEmpty())
            continue;
        const double growth = measurer->wrappedHeight(o, text, o.geometry.width()) - o.geometry.height();
        if (growth > kTolerance) {
            double& at = growthAt[o.geometry.bottom()];
            at = std::max(at, growth);
        }
    }
    if (growthAt.isEmpty())
        return layout;
    layout.geometries.reserve(band.objects.size());
    for (const ReportObject& o : band.objects) {
        const QRectF g = o.geometry.normalized();
        double shift = 0;
        double grow = 0;
        for (auto it = growthAt.cbegin(); it != growthAt.cend(); ++it) {
            if (it.key() <= g.top() + kTolerance)
                shift += it.value();
            else if (it.key() <= g.bottom() + kTolerance)
                grow += it.value();
        }
        const QRectF moved(g.left(), g.top() + shift, g.width(), g.height() + grow);
        // A line drawn upwards keeps its direction.
        if (o.geometry.height() < 0)
            layout.geometries << QRectF(o.geometry.x(), moved.bottom(), o.geometry.width(), -moved.height());
        else
            layout.geometries << QRectF(o.geometry.x(), moved.top(), o.geometry.width(), moved.height());
    }
    for (auto it = growthAt.cbegin(); it != growthAt.cend(); ++it) {
        if (it.key() <= band.height + kTolerance)
            layout.height += it.value();
    }
    return layout;
}

} // namespace zu
