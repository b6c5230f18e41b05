#pragma once

#include "bandlayout.h"
#include "reportenvironment.h"
#include "reportplan.h"
#include "reporttemplate.h"
#include "textexpander.h"

#include <QHash>
#include <QList>
#include <QPageRanges>
#include <QString>

#include <memory>

class QPagedPaintDevice;
class QPaintDevice;

namespace zu {

class MemoryDataSource;
class ReportDataSource;
class TextMeasurer;

// The pages a print job prints, in order (0-based): those of `ranges` (all when empty), each
// `copies` times, collated (1 2 3 1 2 3) or not (1 1 2 2 3 3), from the last when `reverse`.
QList<int> printSequence(int pageCount, const QPageRanges& ranges, int copies, bool collate, bool reverse);

// Prints a template with the records of a data source onto any paged device (the preview's
// printer, a printer, a PDF file). The source is read once, in its own order, for the fields the
// template uses; from that copy the records are ordered by group, the totals added up, the
// bands that stretch measured and the pages planned, so that [总页数] is known; then the pages
// are painted.
class ReportRenderer final
{
public:
    ReportRenderer(const ReportTemplate& report, ReportDataSource& source,
                   ReportEnvironment environment = {});
    ~ReportRenderer();

    // The first pass, measured as on a PDF file; the records printed are every record of the
    // source, or only its current record (none when it has none) for a master band that prints
    // the current one.
    ReportPlan plan();
    // Sets the device's page to the template's page and paints the pages. A printer (not the
    // preview) prints the pages of its page range, and as many copies as it cannot make itself,
    // collated as it says. False with `error` when the device cannot be painted on or the range
    // holds no page of the report.
    bool render(QPagedPaintDevice& device, QString* error = nullptr);

private:
    void prepare();
    ReportPlan planWith(const TextMeasurer& measurer);
    void position(int record);
    ExpansionContext contextFor(const ReportBand& band, int record, int group) const;
    int firstOf(int group) const;
    int lastOf(int group) const;

    const ReportTemplate& m_report;
    ReportDataSource& m_source;
    std::unique_ptr<MemoryDataSource> m_records; // the fields used, of the records printed
    ReportEnvironment m_environment;
    bool m_prepared = false;
    bool m_currentOnly = false;
    QList<int> m_rows;        // the copy's rows in printing order
    QList<int> m_groupStarts; // printing positions where groups begin
    QList<ReportTotals> m_groupTotals;
    ReportTotals m_totals;
    int m_positioned = -2; // the printing position the source stands on
    int m_pageCount = 0;
    // The bands that stretch as measured for the plan, painted as measured.
    QHash<QString, BandLayout> m_layouts;
};

// Renders the report into a PDF file. False with `error` naming the file when it cannot be written.
bool exportPdf(const ReportTemplate& report, ReportDataSource& source, const QString& path, QString* error,
               const ReportEnvironment& environment = {});

} // namespace zu
