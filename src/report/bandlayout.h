#pragma once

#include "reporttemplate.h"
#include "textexpander.h"

#include <QFontMetricsF>
#include <QHash>
#include <QList>
#include <QRectF>

class QPaintDevice;

namespace zu {

// Inner space of a text, so that it does not touch its frame (mm).
inline constexpr double kTextPadding = 0.5;

// Measures texts as they are drawn on one paint device (fonts are laid out at its resolution).
class TextMeasurer final
{
public:
    explicit TextMeasurer(const QPaintDevice* device);

    // The height (mm) a wrapped text needs at the object's font size within `width` (mm), its
    // inner space included.
    double wrappedHeight(const ReportObject& object, const QString& text, double width) const;
    // The point size at which the text fits in `size` (mm): the object's own when it fits there,
    // else smaller, but not below kSmallestFontSize.
    double fittingSize(const ReportObject& object, const QString& text, QSizeF size) const;
    // The metrics of a text's font at a size on the device, made once (a list prints thousands
    // of cells).
    const QFontMetricsF& metrics(const ReportObject& object, double points) const;

private:
    bool fits(const ReportObject& object, const QString& text, QSizeF size, double points) const;

    const QPaintDevice* m_device;
    double m_pixelsPerMm;
    mutable QHash<QString, QFontMetricsF> m_metrics;
};

// Draw flags of a text object: its alignment and wrapping.
int textFlags(const ReportObject& object);
// Where a text is drawn inside its object (mm): the object less the inner space.
QRectF textArea(const ReportObject& object, const QRectF& rect);

// A band as it prints for one record: its height and, when it stretched, where its objects are.
struct BandLayout
{
    double height = 0;
    QList<QRectF> geometries; // empty: every object as designed
};

// Lays out a band that stretches: each wrapped text that needs more room grows, every object
// that reaches across its lower edge grows as much, and the objects below it move down; where
// several texts end on one line, the most they need counts. A band that does not stretch (or
// without a measurer) prints as designed.
BandLayout layoutBand(const ReportBand& band, const ExpansionContext& context, const TextMeasurer* measurer);

} // namespace zu
