#include "reportplan.h"

#include <algorithm>

namespace zu {

namespace {

constexpr double kTolerance = 1e-6;

class Planner final
{
public:
    Planner(const ReportTemplate& report, const PlanInput& input, ReportPlan* plan)
        : m_report(report), m_input(input), m_plan(plan), m_header(report.band(ReportBand::Type::PageHeader)),
          m_footer(report.band(ReportBand::Type::PageFooter))
    {
        m_bottom = report.page.printableSize().height() - (m_footer ? m_footer->height : 0);
    }

    void run();

private:
    double heightOf(const ReportBand* band, int record, int group) const
    {
        if (!band)
            return 0;
        return m_input.height ? std::max(band->height, m_input.height(*band, record, group)) : band->height;
    }

    bool fits(double height) const { return m_y + height <= m_bottom + kTolerance; }
    // The room a page after the first offers below its header.
    double freshRoom() const { return m_bottom - (m_header ? m_header->height : 0); }

    void startPage();
    void finishPage();
    // Starts a new page unless the band fits (or the page holds nothing yet, where a new page
    // would not help).
    void reserve(double height)
    {
        if (!fits(height) && !m_empty)
            startPage();
    }
    // A block that must not be parted from the `tail` after it goes to a new page together with
    // it, when they do not fit here but would on a new page.
    void keepTogether(double block, double tail)
    {
        if (m_empty || fits(block + tail))
            return;
        if (!fits(block) || block + tail <= freshRoom() + kTolerance)
            startPage();
    }
    void place(const ReportBand* band, double x, int record, int group, double height)
    {
        m_plan->pages.last().append({band, QPointF(x, m_y), record, group, height});
    }
    void advance(double height)
    {
        m_y += height;
        m_empty = false;
    }

    const ReportTemplate& m_report;
    const PlanInput& m_input;
    ReportPlan* m_plan;
    const ReportBand* m_header;
    const ReportBand* m_footer;
    double m_bottom = 0;
    double m_y = 0;
    bool m_empty = true; // the page holds nothing but the title and its page header
};

void Planner::startPage()
{
    if (!m_plan->pages.isEmpty())
        finishPage();
    m_plan->pages.append(QList<PlacedBand>());
    m_y = 0;
    if (m_plan->pages.size() == 1) {
        if (const ReportBand* title = m_report.band(ReportBand::Type::ReportTitle)) {
            const double height = heightOf(title, m_input.recordCount > 0 ? 0 : -1, -1);
            place(title, 0, -1, -1, height);
            m_y += height;
        }
    }
    if (m_header) {
        place(m_header, 0, -1, -1, m_header->height);
        m_y += m_header->height;
    }
    m_empty = true;
}

void Planner::finishPage()
{
    if (m_footer)
        m_plan->pages.last().append({m_footer, QPointF(0, m_bottom), -1, -1, m_footer->height});
}

void Planner::run()
{
    const int count = m_input.recordCount;
    const ReportBand* master = m_report.band(ReportBand::Type::MasterData);
    const ReportBand* summary = m_report.band(ReportBand::Type::Summary);
    const double summaryHeight = heightOf(summary, count - 1, -1);
    startPage();
    if (master && count > 0) {
        const ReportBand* groupHeader = m_report.band(ReportBand::Type::GroupHeader);
        const ReportBand* groupFooter = m_report.band(ReportBand::Type::GroupFooter);
        const QList<int> starts = m_input.groupStarts.isEmpty() ? QList<int>{0} : m_input.groupStarts;
        const bool grouped = !m_input.groupStarts.isEmpty();
        const int columns = std::max(1, master->columns);
        const double step = columnWidth(m_report, *master) + master->columnGap;
        const double rowGap = columns > 1 ? master->rowGap : 0;
        for (int g = 0; g < starts.size(); ++g) {
            const int first = starts.at(g);
            const int end = g + 1 < starts.size() ? starts.at(g + 1) : count;
            const double headerHeight = grouped ? heightOf(groupHeader, first, g) : 0;
            const double footerHeight = grouped ? heightOf(groupFooter, end - 1, g) : 0;
            for (int record = first; record < end; record += columns) {
                const int rowEnd = std::min(end, record + columns);
                double rowHeight = 0;
                for (int r = record; r < rowEnd; ++r)
                    rowHeight = std::max(rowHeight, heightOf(master, r, -1));
                double tail = 0;
                if (rowEnd == end) {
                    tail += footerHeight;
                    if (g + 1 == starts.size())
                        tail += summaryHeight;
                }
                const double lead = record == first ? headerHeight : 0;
                keepTogether(lead + rowHeight, tail);
                if (lead > 0) {
                    place(groupHeader, 0, -1, g, headerHeight);
                    advance(headerHeight);
                }
                for (int r = record; r < rowEnd; ++r)
                    place(master, (r - record) * step, r, -1, rowHeight);
                advance(rowHeight + rowGap);
            }
            if (footerHeight > 0) {
                reserve(footerHeight);
                place(groupFooter, 0, -1, g, footerHeight);
                advance(footerHeight);
            }
        }
    }
    if (summary) {
        reserve(summaryHeight);
        place(summary, 0, -1, -1, summaryHeight);
        advance(summaryHeight);
    }
    finishPage();
}

} // namespace

double columnWidth(const ReportTemplate& report, const ReportBand& band)
{
    const int columns = std::max(1, band.columns);
    return (report.page.printableSize().width() - (columns - 1) * band.columnGap) / columns;
}

ReportPlan planReport(const ReportTemplate& report, const PlanInput& input)
{
    ReportPlan plan;
    plan.recordCount = report.band(ReportBand::Type::MasterData) ? input.recordCount : 0;
    Planner(report, input, &plan).run();
    return plan;
}

ReportPlan planReport(const ReportTemplate& report, int recordCount)
{
    PlanInput input;
    input.recordCount = recordCount;
    return planReport(report, input);
}

} // namespace zu
