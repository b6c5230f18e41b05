#include "reportplan.h"

#include <algorithm>

namespace zu {

namespace {

class Planner final
{
public:
    Planner(const ReportTemplate& report, ReportPlan* plan)
        : m_report(report), m_plan(plan), m_header(report.band(ReportBand::Type::PageHeader)),
          m_footer(report.band(ReportBand::Type::PageFooter))
    {
        const double height = report.page.printableSize().height();
        m_bottom = height - (m_footer ? m_footer->height : 0);
    }

    void startPage()
    {
        if (!m_plan->pages.isEmpty())
            finishPage();
        m_plan->pages.append(QList<PlacedBand>());
        m_y = 0;
        m_empty = true;
        if (m_plan->pages.size() == 1) {
            if (const ReportBand* title = m_report.band(ReportBand::Type::ReportTitle))
                place(title, 0, -1, title->height);
        }
        if (m_header)
            place(m_header, 0, -1, m_header->height);
        m_empty = true;
    }

    // Makes room for a band of the given height, starting a new page when it does not fit (unless
    // the page holds nothing yet, where a new page would not help).
    void reserve(double height)
    {
        if (m_y + height > m_bottom + 1e-6 && !m_empty)
            startPage();
    }

    void place(const ReportBand* band, double x, int record, double advance)
    {
        m_plan->pages.last().append({band, QPointF(x, m_y), record});
        m_y += advance;
        m_empty = false;
    }

    void placeRow(const ReportBand* band, double x, int record)
    {
        m_plan->pages.last().append({band, QPointF(x, m_y), record});
    }

    void advance(double height)
    {
        m_y += height;
        m_empty = false;
    }

    void finish() { finishPage(); }

private:
    void finishPage()
    {
        if (m_footer)
            m_plan->pages.last().append({m_footer, QPointF(0, m_bottom), -1});
    }

    const ReportTemplate& m_report;
    ReportPlan* m_plan;
    const ReportBand* m_header;
    const ReportBand* m_footer;
    double m_bottom = 0;
    double m_y = 0;
    bool m_empty = true;
};

} // namespace

double columnWidth(const ReportTemplate& report, const ReportBand& band)
{
    const int columns = std::max(1, band.columns);
    return (report.page.printableSize().width() - (columns - 1) * band.columnGap) / columns;
}

ReportPlan planReport(const ReportTemplate& report, int recordCount)
{
    ReportPlan plan;
    Planner planner(report, &plan);
    planner.startPage();
    const ReportBand* master = report.band(ReportBand::Type::MasterData);
    if (master) {
        plan.recordCount = recordCount;
        const int columns = std::max(1, master->columns);
        const double step = columnWidth(report, *master) + master->columnGap;
        for (int record = 0; record < recordCount; record += columns) {
            planner.reserve(master->height);
            for (int c = 0; c < columns && record + c < recordCount; ++c)
                planner.placeRow(master, c * step, record + c);
            planner.advance(master->height + (columns > 1 ? master->rowGap : 0));
        }
    }
    if (const ReportBand* summary = report.band(ReportBand::Type::Summary)) {
        planner.reserve(summary->height);
        planner.place(summary, 0, -1, summary->height);
    }
    planner.finish();
    return plan;
}

} // namespace zu
