#include "tfrmstatistics.h"

#include "figurechart.h"
#include "figuremodel.h"
#include "ui_tfrmstatistics.h"

#include "customers/categorycodes.h"
#include "data/datamodule.h"
#include "users/permissions.h"
#include "widgets/guard.h"

#include <QChart>
#include <QChartView>
#include <QHeaderView>
#include <QPainter>

namespace zu {

namespace {

const QString kCustomerCategories = QStringLiteral("用户类别");

} // namespace

TfrmStatistics::TfrmStatistics(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmStatistics>()), m_model(new FigureModel(this)),
      m_chart(new QChart), m_chartView(new QChartView(m_chart)), m_today(QDate::currentDate())
{
    ui->setupUi(this);
    m_chartView->setObjectName(QStringLiteral("chtFigures"));
    m_chartView->setRenderHint(QPainter::Antialiasing);
    m_chartView->setMinimumHeight(260);
    ui->layChart->addWidget(m_chartView);
    ui->dgFigures->setModel(m_model);
    ui->dgFigures->verticalHeader()->hide();
    ui->splView->setStretchFactor(0, 3);
    ui->splView->setStretchFactor(1, 2);
    ui->lstViews->setCurrentRow(0);
    ui->dtpFrom->setDate(QDate(m_today.year(), 1, 1));
    ui->dtpTo->setDate(m_today);
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    for (QRadioButton* rb : {ui->rbThisMonth, ui->rbLastMonth, ui->rbThisYear, ui->rbCustom})
        onSignal(rb, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                periodChanged();
        });
    for (QDateEdit* edit : {ui->dtpFrom, ui->dtpTo})
        onSignal(edit, &QDateEdit::dateChanged, this, [this] {
            if (ui->rbCustom->isChecked())
                periodChanged();
        });
    onSignal(ui->lstViews, &QListWidget::currentRowChanged, this, [this] { refresh(); });
    onSignal(ui->cmbMonth, &QComboBox::activated, this, [this] { refresh(); });
    onSignal(ui->cmbCategory, &QComboBox::activated, this, [this] { refresh(); });
    onSignal(ui->btnRefresh, &QPushButton::clicked, this, [this] { refresh(); });
    onSignal(ui->btnExport, &QPushButton::clicked, this, [this] {
        if (m_commands.exportList)
            m_commands.exportList(this, *m_model, viewTitle());
    });
    onSignal(ui->btnPrint, &QPushButton::clicked, this, [this] {
        if (m_commands.printList)
            m_commands.printList(this, *m_model, viewTitle(), chartImage());
    });
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::accept);
    onFirstShow(this, [this] { FormShow(); });
    setCommands({});
}

TfrmStatistics::~TfrmStatistics() = default;

void TfrmStatistics::setCommands(StatisticsCommands commands)
{
    m_commands = std::move(commands);
    ui->btnExport->setEnabled(bool(m_commands.exportList));
    ui->btnPrint->setEnabled(bool(m_commands.printList));
}

void TfrmStatistics::setToday(const QDate& today)
{
    m_today = today;
    periodChanged();
}

void TfrmStatistics::FormShow()
{
    requirePermission(Operation::ViewStatistics);
    fillCategories();
    periodChanged();
}

void TfrmStatistics::fillCategories()
{
    ui->cmbCategory->clear();
    ui->cmbCategory->addItem(QStringLiteral("全部客户"), QString());
    for (const CodedName& c : readCategories(kCustomerCategories))
        ui->cmbCategory->addItem(categoryNodeText(c.code, c.name), c.code);
}

StatisticsPeriod TfrmStatistics::period() const
{
    if (ui->rbLastMonth->isChecked())
        return periodOf(PeriodKind::LastMonth, m_today);
    if (ui->rbThisYear->isChecked())
        return periodOf(PeriodKind::ThisYear, m_today);
    if (ui->rbCustom->isChecked())
        return periodOf(PeriodKind::Custom, m_today, ui->dtpFrom->date(), ui->dtpTo->date());
    return periodOf(PeriodKind::ThisMonth, m_today);
}

void TfrmStatistics::periodChanged()
{
    const bool custom = ui->rbCustom->isChecked();
    ui->dtpFrom->setEnabled(custom);
    ui->dtpTo->setEnabled(custom);
    fillMonths();
    refresh();
}

// The months of the period for the daily view; the current month when the period holds it.
void TfrmStatistics::fillMonths()
{
    const QDate shown = ui->cmbMonth->currentData().toDate();
    ui->cmbMonth->clear();
    const QList<QDate> months = period().months();
    for (const QDate& m : months)
        ui->cmbMonth->addItem(m.toString(QStringLiteral("yyyy-MM")), m);
    const QDate thisMonth(m_today.year(), m_today.month(), 1);
    int at = int(months.indexOf(shown));
    if (at < 0)
        at = int(months.indexOf(thisMonth));
    ui->cmbMonth->setCurrentIndex(at >= 0 ? at : int(months.size()) - 1);
}

StatisticsView TfrmStatistics::currentView() const
{
    return static_cast<StatisticsView>(std::max(0, ui->lstViews->currentRow()));
}

void TfrmStatistics::showView(StatisticsView view)
{
    ui->lstViews->setCurrentRow(int(view));
}

FigureTable TfrmStatistics::compute(StatisticsView view) const
{
    const Statistics s(zu::data().conn(), period());
    const QString category = ui->cmbCategory->currentData().toString();
    switch (view) {
    case StatisticsView::ServicesByMonth:
        return s.servicesByMonth();
    case StatisticsView::ServicesByDay:
        return s.servicesByDay(ui->cmbMonth->currentData().toDate());
    case StatisticsView::TopModels:
        return s.topModels();
    case StatisticsView::TopFaults:
        return s.topFaults();
    case StatisticsView::Engineers:
        return s.byEngineer();
    case StatisticsView::Departments:
        return s.byDepartment();
    case StatisticsView::ComplaintLevels:
        return s.complaintsByLevel();
    case StatisticsView::ComplaintsByMonth:
        return s.complaintsByMonth();
    case StatisticsView::CallOutcomes:
        return s.callsByOutcome();
    case StatisticsView::SalesByMonth:
        return s.salesByMonth(category);
    case StatisticsView::SalesByCategory:
        return s.salesByCategory(category);
    }
    Q_UNREACHABLE();
}

void TfrmStatistics::refresh()
{
    if (!isVisible() && !testAttribute(Qt::WA_WState_ExplicitShowHide))
        return; // the first show computes
    const StatisticsView view = currentView();
    const bool daily = view == StatisticsView::ServicesByDay;
    const bool sales = view == StatisticsView::SalesByMonth || view == StatisticsView::SalesByCategory;
    ui->lblMonth->setVisible(daily);
    ui->cmbMonth->setVisible(daily);
    ui->lblCategory->setVisible(sales);
    ui->cmbCategory->setVisible(sales);
    FigureTable figure = compute(view);
    if (sales && ui->cmbCategory->currentIndex() > 0)
        figure.title += QStringLiteral("（%1）").arg(ui->cmbCategory->currentText());
    // A chart of its own for each figure: nothing of the previous view's axes stays behind.
    auto* chart = new QChart;
    fillChart(*chart, figure);
    m_chartView->setChart(chart);
    delete m_chart;
    m_chart = chart;
    m_model->setFigure(std::move(figure));
    ui->dgFigures->resizeColumnsToContents();
    ui->lblPeriod->setText(QStringLiteral("统计期间：") + period().text());
}

const FigureTable& TfrmStatistics::figure() const
{
    return m_model->figure();
}

const QAbstractItemModel& TfrmStatistics::table() const
{
    return *m_model;
}

QTableView* TfrmStatistics::dgFigures() const
{
    return ui->dgFigures;
}

QImage TfrmStatistics::chartImage() const
{
    // Drawn at a size of its own, so the page gets the same picture whatever the window's size.
    QImage image(QSize(1600, 800), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QSizeF shown = m_chart->size();
    m_chart->resize(image.size());
    m_chartView->scene()->render(&painter, QRectF(QPointF(), image.size()), QRectF(QPointF(), image.size()));
    m_chart->resize(shown);
    return image;
}

QString TfrmStatistics::viewTitle() const
{
    const StatisticsPeriod p = period();
    return figure().title + p.first.toString(Qt::ISODate) + QStringLiteral("至") +
           p.last.toString(Qt::ISODate);
}

} // namespace zu
