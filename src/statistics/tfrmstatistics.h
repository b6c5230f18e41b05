#pragma once

#include "statistics.h"

#include <functional>
#include <memory>
#include <QDialog>
#include <QImage>

class QAbstractItemModel;
class QChart;
class QChartView;
class QTableView;

namespace Ui {
class TfrmStatistics;
}

namespace zu {

class FigureModel;

// What the statistics window asks of other parts of the program; empty commands stay disabled.
struct StatisticsCommands
{
    std::function<void(QWidget* parent, const QAbstractItemModel& table, const QString& proposedName)>
        exportList;
    std::function<void(QWidget* parent, const QAbstractItemModel& table, const QString& title,
                       const QImage& chart)>
        printList;
};

// The views of the statistics window, in the order of its list.
enum class StatisticsView
{
    ServicesByMonth,
    ServicesByDay,
    TopModels,
    TopFaults,
    Engineers,
    Departments,
    ComplaintLevels,
    ComplaintsByMonth,
    CallOutcomes,
    SalesByMonth,
    SalesByCategory,
};

// Statistics of a period chosen as this month, last month, this year or from one day to another:
// each view a table and its chart, exported and printed as shown.
class TfrmStatistics final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmStatistics(QWidget* parent = nullptr);
    ~TfrmStatistics() override;

    void setCommands(StatisticsCommands commands);
    // The day the periods count from (today unless a test says otherwise).
    void setToday(const QDate& today);

    void showView(StatisticsView view);
    StatisticsPeriod period() const;
    const FigureTable& figure() const;
    const QAbstractItemModel& table() const;
    QTableView* dgFigures() const;
    QChartView* chartView() const { return m_chartView; }
    // The chart as printed.
    QImage chartImage() const;
    // The title of the view and its period: the proposed export name and the printed heading.
    QString viewTitle() const;

private:
    void FormShow();
    void refresh();
    void fillMonths();
    void fillCategories();
    void periodChanged();
    StatisticsView currentView() const;
    FigureTable compute(StatisticsView view) const;

    std::unique_ptr<Ui::TfrmStatistics> ui;
    StatisticsCommands m_commands;
    FigureModel* m_model;
    QChart* m_chart;
    QChartView* m_chartView;
    QDate m_today;
};

} // namespace zu
