#include "reportrenderer.h"

#include "bandlayout.h"
#include "bandpainter.h"
#include "reportdatasource.h"

#include <QDir>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>
#include <numeric>

namespace zu {

namespace {

constexpr int kReferenceDpi = 300; // what exportPdf writes at

// The fields any text of the template sums.
QStringList summedFieldsOf(const ReportTemplate& report, const ReportDataSource& source)
{
    QStringList fields;
    for (const ReportBand& band : report.bands) {
        for (const ReportObject& o : band.objects) {
            for (const QString& field : summedFields(o.text, source.name(), source.fieldNames())) {
                if (!fields.contains(field))
                    fields << field;
            }
        }
    }
    return fields;
}

void add(ReportTotals& totals, const QStringList& fields, const ReportDataSource& source)
{
    ++totals.count;
    for (const QString& field : fields) {
        const QVariant v = source.value(field);
        bool ok = false;
        const double d = v.isNull() ? 0 : v.toDouble(&ok);
        if (ok)
            totals.sums[field] += d;
    }
}

// The preview paints on the printer through a picture engine of its own: it shows every page.
bool printsOnPaper(const QPagedPaintDevice& device)
{
    const auto* printer = dynamic_cast<const QPrinter*>(&device);
    return printer && printer->paintEngine() && printer->paintEngine()->type() != QPaintEngine::Picture;
}

QString layoutKey(const ReportBand& band, int record, int group)
{
    return QStringLiteral("%1/%2/%3").arg(quintptr(&band)).arg(record).arg(group);
}

} // namespace

QList<int> printSequence(int pageCount, const QPageRanges& ranges, int copies, bool collate, bool reverse)
{
    QList<int> pages;
    for (int p = 0; p < pageCount; ++p) {
        if (ranges.isEmpty() || ranges.contains(p + 1))
            pages << p;
    }
    if (reverse)
        std::reverse(pages.begin(), pages.end());
    copies = std::max(1, copies);
    QList<int> sequence;
    sequence.reserve(pages.size() * copies);
    if (collate) {
        for (int c = 0; c < copies; ++c)
            sequence << pages;
    } else {
        for (int p : pages) {
            for (int c = 0; c < copies; ++c)
                sequence << p;
        }
    }
    return sequence;
}

ReportRenderer::ReportRenderer(const ReportTemplate& report, ReportDataSource& source,
                               ReportEnvironment environment)
    : m_report(report), m_source(source), m_environment(std::move(environment))
{
}

ReportRenderer::~ReportRenderer() = default;

namespace {

// The fields any text (or the group's condition) of the template prints or sums.
QStringList fieldsUsedBy(const ReportTemplate& report, const ReportDataSource& source)
{
    QStringList used;
    auto collect = [&](const QString& text) {
        for (const QString& field : referencedFields(text, source.name(), source.fieldNames())) {
            if (!used.contains(field))
                used << field;
        }
    };
    for (const ReportBand& band : report.bands) {
        collect(band.condition);
        for (const ReportObject& o : band.objects)
            collect(o.text);
    }
    return used;
}

QVariantList valuesOf(const ReportDataSource& source, const QStringList& fields)
{
    QVariantList values;
    values.reserve(fields.size());
    for (const QString& field : fields)
        values << source.value(field);
    return values;
}

} // namespace

void ReportRenderer::prepare()
{
    if (m_prepared)
        return;
    m_prepared = true;
    const ReportBand* master = m_report.band(ReportBand::Type::MasterData);
    m_currentOnly = master && master->records == ReportBand::Records::Current;
    // Read once, in the source's order: a list fetched in pages is not read again and again.
    const QStringList used = fieldsUsedBy(m_report, m_source);
    QList<QVariantList> rows;
    if (m_currentOnly) {
        if (m_source.toCurrent())
            rows << valuesOf(m_source, used);
    } else if (master) {
        for (m_source.first(); !m_source.eof(); m_source.next())
            rows << valuesOf(m_source, used);
    }
    m_records = std::make_unique<MemoryDataSource>(m_source.name(), used, rows, 0);
    for (int row = 0; row < rows.size(); ++row)
        m_rows << row;

    const ReportBand* groupHeader = m_report.band(ReportBand::Type::GroupHeader);
    const QString condition = groupHeader && !m_currentOnly ? groupHeader->condition : QString();
    if (!condition.isEmpty() && !m_rows.isEmpty()) {
        QStringList keys;
        ExpansionContext keyContext;
        keyContext.environment = &m_environment;
        keyContext.source = m_records.get();
        for (m_records->first(); !m_records->eof(); m_records->next())
            keys << expandText(condition, keyContext);
        // Records of a group print together, the groups in the order of their values.
        std::stable_sort(m_rows.begin(), m_rows.end(),
                         [&keys](int a, int b) { return keys.at(a) < keys.at(b); });
        for (int i = 0; i < m_rows.size(); ++i) {
            if (i == 0 || keys.at(m_rows.at(i)) != keys.at(m_rows.at(i - 1))) {
                m_groupStarts << i;
                m_groupTotals << ReportTotals();
            }
        }
    }
    const QStringList summed = summedFieldsOf(m_report, *m_records);
    for (int i = 0, group = -1; i < m_rows.size(); ++i) {
        if (group + 1 < m_groupStarts.size() && m_groupStarts.at(group + 1) == i)
            ++group;
        position(i);
        add(m_totals, summed, *m_records);
        if (group >= 0)
            add(m_groupTotals[group], summed, *m_records);
    }
    m_positioned = -2;
}

void ReportRenderer::position(int record)
{
    if (record == m_positioned || record < 0 || record >= m_rows.size())
        return;
    m_positioned = record;
    m_records->seek(m_rows.at(record));
}

int ReportRenderer::firstOf(int group) const
{
    return group >= 0 && group < m_groupStarts.size() ? m_groupStarts.at(group) : 0;
}

int ReportRenderer::lastOf(int group) const
{
    if (group < 0 || group >= m_groupStarts.size())
        return int(m_rows.size()) - 1;
    return (group + 1 < m_groupStarts.size() ? m_groupStarts.at(group + 1) : int(m_rows.size())) - 1;
}

ExpansionContext ReportRenderer::contextFor(const ReportBand& band, int record, int group) const
{
    ExpansionContext context;
    context.environment = &m_environment;
    context.source = m_records.get();
    context.recordCount = int(m_rows.size());
    context.pageCount = m_pageCount;
    context.recordNumber = band.type == ReportBand::Type::MasterData ? record + 1 : 0;
    const bool inGroup =
        band.type == ReportBand::Type::GroupHeader || band.type == ReportBand::Type::GroupFooter;
    context.totals =
        inGroup && group >= 0 && group < m_groupTotals.size() ? &m_groupTotals.at(group) : &m_totals;
    return context;
}

ReportPlan ReportRenderer::planWith(const TextMeasurer& measurer)
{
    prepare();
    PlanInput input;
    input.recordCount = int(m_rows.size());
    if (m_report.band(ReportBand::Type::GroupHeader) &&
        !m_report.band(ReportBand::Type::GroupHeader)->condition.isEmpty())
        input.groupStarts = m_groupStarts;
    m_layouts.clear();
    input.height = [this, &measurer](const ReportBand& band, int record, int group) {
        if (!band.stretch)
            return band.height;
        position(record);
        const BandLayout layout = layoutBand(band, contextFor(band, record, group), &measurer);
        m_layouts.insert(layoutKey(band, record, group), layout);
        return layout.height;
    };
    return planReport(m_report, input);
}

ReportPlan ReportRenderer::plan()
{
    QImage reference(1, 1, QImage::Format_Mono);
    const int dotsPerMeter = qRound(kReferenceDpi / 0.0254);
    reference.setDotsPerMeterX(dotsPerMeter);
    reference.setDotsPerMeterY(dotsPerMeter);
    const TextMeasurer measurer(&reference);
    return planWith(measurer);
}

bool ReportRenderer::render(QPagedPaintDevice& device, QString* error)
{
    const ReportPage& page = m_report.page;
    if (auto* printer = dynamic_cast<QPrinter*>(&device))
        printer->setFullPage(true);
    device.setPageLayout(
        QPageLayout(page.pageSize(), page.orientation, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));

    const TextMeasurer measurer(&device);
    const ReportPlan plan = planWith(measurer);
    m_pageCount = plan.pageCount();
    QList<int> sequence = printSequence(plan.pageCount(), {}, 1, true, false);
    if (printsOnPaper(device)) {
        const auto& printer = static_cast<const QPrinter&>(device);
        const QPageRanges ranges =
            printer.printRange() == QPrinter::PageRange ? printer.pageRanges() : QPageRanges();
        const int copies = printer.supportsMultipleCopies() ? 1 : printer.copyCount();
        sequence = printSequence(plan.pageCount(), ranges, copies, printer.collateCopies(),
                                 printer.pageOrder() == QPrinter::LastPageFirst);
        if (sequence.isEmpty()) {
            if (error)
                *error = QStringLiteral("所选页码范围内没有可打印的页（报表共 %1 页）").arg(plan.pageCount());
            return false;
        }
    }

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
    BandPainter bands(painter, sx, sy, {}, &measurer);
    const int last = int(m_rows.size()) - 1;
    for (int i = 0; i < sequence.size(); ++i) {
        const int p = sequence.at(i);
        if (i > 0)
            device.newPage();
        // Lines on the edge of the area are drawn whole: half of their width lies outside.
        painter.setClipRect(area.adjusted(-sx, -sy, sx, sy));
        int printed = -1; // the record last printed on this page
        for (const PlacedBand& placed : plan.pages.at(p)) {
            // The title sees the first record printed (the current customer of a sheet for one
            // customer); master data its own record; a group header its group's first record and
            // a group footer its last; the other bands the record last printed.
            const ReportBand& band = *placed.band;
            int record = placed.record;
            if (band.type == ReportBand::Type::ReportTitle)
                record = 0;
            else if (band.type == ReportBand::Type::GroupHeader)
                record = firstOf(placed.group);
            else if (band.type == ReportBand::Type::GroupFooter || band.type == ReportBand::Type::Summary)
                record = placed.group >= 0 ? lastOf(placed.group) : last;
            else if (record < 0)
                record = printed >= 0 ? printed : m_positioned;
            if (band.type == ReportBand::Type::MasterData)
                printed = record;
            position(record);
            ExpansionContext context = contextFor(band, placed.record, placed.group);
            context.page = p + 1;
            const auto measured = m_layouts.constFind(layoutKey(band, record, placed.group));
            const BandLayout layout =
                measured != m_layouts.cend() ? *measured : layoutBand(band, context, &measurer);
            bands.paint(band, placed.origin + QPointF(page.leftMargin, page.topMargin), context, &layout);
        }
    }
    painter.end();
    return true;
}

bool exportPdf(const ReportTemplate& report, ReportDataSource& source, const QString& path, QString* error,
               const ReportEnvironment& environment)
{
    QPdfWriter writer(path);
    writer.setResolution(kReferenceDpi);
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
