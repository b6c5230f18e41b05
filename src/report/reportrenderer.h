#pragma once

#include "reportenvironment.h"
#include "reportplan.h"
#include "reporttemplate.h"

#include <QString>

class QPagedPaintDevice;
class QPainter;

namespace zu {

class ReportDataSource;

// Prints a template with the records of a data source onto any paged device (the preview's
// printer, a printer, a PDF file). Two passes: the records are counted and the pages planned, so
// that [总页数] is known, then the pages are painted while the source is walked again.
class ReportRenderer final
{
public:
    ReportRenderer(const ReportTemplate& report, ReportDataSource& source,
                   ReportEnvironment environment = {});

    // The first pass; the records printed are every record of the source, or only its current
    // record (none when it has none) for a master band that prints the current one.
    ReportPlan plan();
    // Sets the device's page to the template's page and paints every page. False with `error`
    // when the device cannot be painted on.
    bool render(QPagedPaintDevice& device, QString* error = nullptr);

private:
    int countRecords();
    void moveTo(int record, int* positioned);

    const ReportTemplate& m_report;
    ReportDataSource& m_source;
    ReportEnvironment m_environment;
};

// Renders the report into a PDF file. False with `error` naming the file when it cannot be written.
bool exportPdf(const ReportTemplate& report, ReportDataSource& source, const QString& path, QString* error,
               const ReportEnvironment& environment = {});

} // namespace zu
