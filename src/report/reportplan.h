#pragma once

#include "reporttemplate.h"

#include <QList>
#include <QPointF>

#include <functional>

namespace zu {

// One band placed on a page: its top left corner in mm from the top left corner of the area
// inside the margins, the record it prints (0-based, in printing order; -1 for bands that print
// none of their own), the group of a group header or footer, and its height as printed (a band
// that stretches may be higher than designed).
struct PlacedBand
{
    const ReportBand* band = nullptr;
    QPointF origin;
    int record = -1;
    int group = -1;
    double height = 0;
};

struct ReportPlan
{
    QList<QList<PlacedBand>> pages;
    int recordCount = 0;

    int pageCount() const { return int(pages.size()); }
};

// What the planner knows of the records: how many are printed, where each group begins (in
// printing order, the first at 0; empty without groups) and how high a band prints for a record
// or group (none: as designed).
struct PlanInput
{
    int recordCount = 0;
    QList<int> groupStarts;
    std::function<double(const ReportBand& band, int record, int group)> height;
};

// Lays out a report (the first pass of rendering). The title starts the first page, a page
// header and a page footer appear on every page; each group begins with its header and ends with
// its footer; the summary follows the last record; a master band in n columns takes n records
// side by side (a group begins a new row). A band that would cross the page footer starts a new
// page. A group header stays with the group's first row, and a group footer and the summary stay
// with the last rows before them, so that no page begins with a footer or the summary alone.
// There is always at least one page.
ReportPlan planReport(const ReportTemplate& report, const PlanInput& input);
ReportPlan planReport(const ReportTemplate& report, int recordCount);

// The width of one column of the master band.
double columnWidth(const ReportTemplate& report, const ReportBand& band);

} // namespace zu
