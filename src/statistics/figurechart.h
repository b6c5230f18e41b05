#pragma once

#include "statistics.h"

#include <QChart>

namespace zu {

// The chart of a figure: its bar columns as bars per group on the left axis, its line column (the
// fees) as a line on an axis of its own on the right.
// Fills a new chart.
void fillChart(QChart& chart, const FigureTable& figure);

} // namespace zu
