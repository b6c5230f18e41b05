#include "reportrenderer.h"

#include "bandpainter.h"
#include "reportdatasource.h"

#include <QDir>
#include <QFileInfo>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

namespace zu {

namespace {

bool printsCurrentOnly(const ReportTemplate& report)
{
    const ReportBand* master = report.band(ReportBand::Type::MasterData);
    return master && master->records == ReportBand::Records::Current;
}

} // namespace

ReportRenderer::ReportRenderer(const ReportTemplate& report, ReportDataSource& source,
                               ReportEnvironment environment)
    : m_report(report), m_source(source), m_environment(std::move(environment))
{
}

int ReportRenderer::countRecords()
{
    if (!m_report.band(ReportBand::Type::MasterData))
        return 0;
    if (printsCurrentOnly(m_report))
        return m_source.toCurrent() ? 1 : 0;
    int count = 0;
    for (m_source.first(); !m_source.eof(); m_source.next())
        ++count;
    return count;
}

ReportPlan ReportRenderer::plan()
{
    return planReport(m_report, countRecords());
}

// Records are placed in printing order, so the source is walked forward only.
void ReportRenderer::moveTo(int record, int* positioned)
{
    if (printsCurrentOnly(m_report)) {
        // The only record there is.
        if (*positioned != record)
            m_source.toCurrent();
        *positioned = record;
        return;
    }
    if (*positioned < 0 || record < *positioned) {
        m_source.first();
        *positioned = 0;
    }
    while (*positioned < record && !m_source.eof()) {
        m_source.next();
        ++*positioned;
    }
    *positioned = record;
}

bool ReportRenderer::render(QPagedPaintDevice& device, QString* error)
{
    const ReportPlan plan = this->plan();
    const ReportPage& page = m_report.page;
    if (auto* printer = dynamic_cast<QPrinter*>(&device))
        printer->setFullPage(true);
    device.setPageLayout(
        QPageLayout(page.pageSize(), page.orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));

    QPainter painter;
    if (!painter.begin(&device)) {
        if (error)
            *error = QStringLiteral("无法在输出设备上打印报表");
        return false;
    }
    const double sx = device.logicalDpiX() / 25.4;
    const double sy = device.logicalDpiY() / 25.4;
    const QSizeF printable = page.printableSize();
    const QRectF area(page.leftMargin * sx, page.topMargin * sy, printable.width() * sx,
                      printable.height() * sy);
    BandPainter bands(painter, sx, sy);

    ExpansionContext context;
    context.environment = &m_environment;
    context.pageCount = plan.pageCount();
    context.recordCount = plan.recordCount;
    int positioned = -1;
    for (int p = 0; p < plan.pageCount(); ++p) {
        if (p > 0)
            device.newPage();
        context.page = p + 1;
        // Lines on the edge of the area are drawn whole: half of their width lies outside.
        painter.setClipRect(area.adjusted(-sx, -sy, sx, sy));
        for (const PlacedBand& placed : plan.pages.at(p)) {
            // The title sees the first record printed (the current customer of a sheet for one
            // customer); master data its own record; the other bands the record last printed.
            if (placed.band->type == ReportBand::Type::ReportTitle)
                moveTo(0, &positioned);
            else if (placed.record >= 0)
                moveTo(placed.record, &positioned);
            context.source = &m_source;
            context.recordNumber = placed.record + 1;
            bands.paint(*placed.band, placed.origin + QPointF(page.leftMargin, page.topMargin), context);
        }
    }
    painter.end();
    return true;
}

bool exportPdf(const ReportTemplate& report, ReportDataSource& source, const QString& path, QString* error,
               const ReportEnvironment& environment)
{
    QPdfWriter writer(path);
    writer.setResolution(300);
    writer.setTitle(report.name);
    writer.setCreator(QStringLiteral("zu软件"));
    ReportRenderer renderer(report, source, environment);
    QString detail;
    if (!renderer.render(writer, &detail)) {
        if (error)
            *error = QStringLiteral("无法写入 PDF 文件 %1").arg(QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

} // namespace zu
