#include "figurechart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QLineSeries>
#include <QValueAxis>

namespace zu {

namespace {

constexpr int kUprightLabels = 12; // group labels shown upright when no more than this

double largest(const FigureTable& figure, const QList<int>& columns)
{
    double top = 0;
    for (const QVariantList& row : figure.rows)
        for (int c : columns)
            top = std::max(top, row.value(c).toDouble());
    return top;
}

// An axis from 0 that leaves a little room above the largest value; whole numbers for counts.
QValueAxis* valueAxis(double top, bool whole)
{
    auto* axis = new QValueAxis;
    axis->setRange(0, top <= 0 ? 1 : top * 1.1);
    axis->setLabelFormat(whole ? QStringLiteral("%d") : QStringLiteral("%.0f"));
    if (whole && top < 10)
        axis->setTickCount(int(std::max(2.0, top + 2)));
    else
        axis->applyNiceNumbers(); // ticks on round numbers, not on fractions of the largest value
    return axis;
}

} // namespace

void fillChart(QChart& chart, const FigureTable& figure)
{
    chart.setTitle(figure.title);
    chart.legend()->setAlignment(Qt::AlignBottom);

    auto* bars = new QBarSeries;
    for (int c : figure.barColumns) {
        auto* set = new QBarSet(figure.columns.value(c));
        for (const QVariantList& row : figure.rows)
            *set << row.value(c).toDouble();
        bars->append(set);
    }
    chart.addSeries(bars);
    auto* groups = new QBarCategoryAxis;
    groups->append(figure.labels());
    // The days of a month side by side would run into each other.
    if (figure.rows.size() > kUprightLabels)
        groups->setLabelsAngle(-90);
    chart.addAxis(groups, Qt::AlignBottom);
    bars->attachAxis(groups);
    QValueAxis* counts = valueAxis(largest(figure, figure.barColumns), true);
    chart.addAxis(counts, Qt::AlignLeft);
    bars->attachAxis(counts);

    if (figure.lineColumn > 0) {
        auto* line = new QLineSeries;
        line->setName(figure.columns.value(figure.lineColumn));
        for (qsizetype r = 0; r < figure.rows.size(); ++r)
            line->append(double(r), figure.rows[r].value(figure.lineColumn).toDouble());
        chart.addSeries(line);
        line->attachAxis(groups);
        QValueAxis* money = valueAxis(largest(figure, {figure.lineColumn}), false);
        chart.addAxis(money, Qt::AlignRight);
        line->attachAxis(money);
    }
}

} // namespace zu
