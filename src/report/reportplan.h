#pragma once

#include "reporttemplate.h"

#include <QList>
#include <QPointF>

namespace zu {

// One band placed on a page: its top left corner in mm from the top left corner of the area
// inside the margins, and for master data the record it prints (0-based, in printing order).
struct PlacedBand
{
    const ReportBand* band = nullptr;
    QPointF origin;
    int record = -1;
};

struct ReportPlan
{
    QList<QList<PlacedBand>> pages;
    int recordCount = 0;

    int pageCount() const { return int(pages.size()); }
};

// Lays out a report of `recordCount` records (the first pass of rendering). The title starts the
// first page, a page header and a page footer appear on every page, the summary follows the last
// record; a master band in n columns takes n records side by side. A band that would cross the
// page footer starts a new page. There is always at least one page.
ReportPlan planReport(const ReportTemplate& report, int recordCount);

// The width of one column of the master band.
double columnWidth(const ReportTemplate& report, const ReportBand& band);

} // namespace zu
