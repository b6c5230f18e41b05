#pragma once

#include "report/reporttemplate.h"

#include <QFlags>
#include <QList>
#include <QPointF>
#include <QRectF>

namespace zu {

// Where the designer puts things, in mm on its canvas: the sheet at (0, 0), the bands one
// below the other inside the margins, each under a caption strip.
inline constexpr double kBandCaptionHeight = 5;
inline constexpr double kBandGap = 2;
inline constexpr double kGridStep = 0.5; // objects snap to half millimetres

struct BandPlacement
{
    int band = -1;
    QRectF caption;
    QRectF area; // the band itself (its first column for a band in columns)
    int columns = 1;
    double columnPitch = 0; // from one column to the next
};

struct DesignLayout
{
    QList<BandPlacement> bands;
    QSizeF sheet;

    // The band whose area or caption holds the point; -1 outside every band.
    int bandAt(QPointF point) const;
    const BandPlacement* placement(int band) const;
};

DesignLayout layoutDesign(const ReportTemplate& report);

double snapped(double mm, double step = kGridStep);

// Which edges of an object a press grabs: none moves it, others resize it.
enum class Edge
{
    None = 0,
    Left = 1,
    Top = 2,
    Right = 4,
    Bottom = 8,
};
Q_DECLARE_FLAGS(Edges, Edge)
Q_DECLARE_OPERATORS_FOR_FLAGS(Edges)

// The edges within `grip` of the point (corners grab two).
Edges edgesAt(const QRectF& rect, QPointF point, double grip);
// The rectangle after dragging the grabbed edges (or, with none, the whole) by `delta`,
// snapped to the grid; an edge is not dragged past the opposite one.
QRectF dragged(const QRectF& start, Edges edges, QPointF delta, double step = kGridStep);

} // namespace zu
