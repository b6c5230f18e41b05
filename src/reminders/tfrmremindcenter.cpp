#include "tfrmremindcenter.h"

#include "reminderlistmodel.h"
#include "ui_tfrmremindcenter.h"

#include "data/datamodule.h"
#include "data/errors.h"
#include "data/lookuplists.h"
#include "users/permissions.h"
#include "widgets/dialogs.h"
#include "widgets/formroutines.h"
#include "widgets/guard.h"

#include <QHeaderView>
#include <QSortFilterProxyModel>

namespace zu {

namespace {

const QString kTitle = QStringLiteral("提示");

} // namespace

TfrmRemindCenter::TfrmRemindCenter(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmRemindCenter>()), m_list(new ReminderListModel(this)),
      m_sorted(new QSortFilterProxyModel(this)), m_today(QDate::currentDate())
{
    ui->setupUi(this);
    m_sorted->setSourceModel(m_list);
    m_sorted->setSortRole(Qt::UserRole);
    ui->dgRemind->setModel(m_sorted);
    ui->dgRemind->sortByColumn(-1, Qt::AscendingOrder); // the list's own order until a title is clicked
    ui->dgRemind->horizontalHeader()->setStretchLastSection(true);
    // The columns fit the first rows: a long list is read a page at a time.
    ui->dgRemind->horizontalHeader()->setResizeContentsPrecision(100);
    ui->dgPlan->horizontalHeader()->setStretchLastSection(true);
    onFirstShow(this, [this] { FormShow(); });
    const std::pair<QAbstractButton*, ReminderFilter> filters[] = {{ui->btnToday, ReminderFilter::Today},
                                                                   {ui->btnOverdue, ReminderFilter::Overdue},
                                                                   {ui->btnWeek, ReminderFilter::ThisWeek},
                                                                   {ui->btnAll, ReminderFilter::All}};
    for (const auto& [button, filter] : filters)
        onSignal(button, &QAbstractButton::clicked, this, [this, f = filter] { showFilter(f); });
    onSignal(ui->btnRefresh, &QPushButton::clicked, this, [this] { refresh(); });
    onSignal(ui->btnDone, &QPushButton::clicked, this, [this] { btnDoneClick(); });
    onSignal(ui->btnSnooze, &QPushButton::clicked, this, [this] { btnSnoozeClick(); });
    onSignal(ui->btnReopen, &QPushButton::clicked, this, [this] { btnReopenClick(); });
    onSignal(ui->dgRemind, &QTableView::doubleClicked, this, [this] { dgRemindDblClick(); });
    onSignal(ui->btnExport, &QPushButton::clicked, this, [this] {
        if (!m_commands.exportList)
            return;
        m_list->fetchAll();
        m_commands.exportList(this, *m_sorted, listTitle());
    });
    onSignal(ui->btnPrint, &QPushButton::clicked, this, [this] {
        if (!m_commands.printList)
            return;
        m_list->fetchAll();
        m_commands.printList(this, *m_sorted, listTitle());
    });
    onSignal(ui->btnSaveSettings, &QPushButton::clicked, this, [this] { btnSaveSettingsClick(); });
    onSignal(ui->btnPlanAdd, &QPushButton::clicked, this, [this] { btnPlanAddClick(); });
    onSignal(ui->btnPlanDelete, &QPushButton::clicked, this, [this] { btnPlanDeleteClick(); });
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::accept);
    setCommands({});
}

TfrmRemindCenter::~TfrmRemindCenter() = default;

void TfrmRemindCenter::setCommands(RemindCenterCommands commands)
{
    m_commands = std::move(commands);
    ui->btnExport->setEnabled(bool(m_commands.exportList) && mayUse(Operation::ExportList));
    ui->btnPrint->setEnabled(bool(m_commands.printList));
}

void TfrmRemindCenter::setToday(const QDate& today)
{
    m_today = today;
    if (isVisible())
        refresh();
}

QTableView* TfrmRemindCenter::dgRemind() const
{
    return ui->dgRemind;
}

const QAbstractItemModel& TfrmRemindCenter::shownList() const
{
    return *m_sorted;
}

const Reminder& TfrmRemindCenter::reminderAt(int shownRow) const
{
    return m_list->at(m_sorted->mapToSource(m_sorted->index(shownRow, 0)).row());
}

void TfrmRemindCenter::FormShow()
{
    ui->dtSnooze->setDate(m_today.addDays(1));
    loadSettings();
    loadPlans();
    refresh();
}

void TfrmRemindCenter::refresh()
{
    m_counts = ReminderCentre(zu::data().conn(), m_today).counts();
    ui->btnToday->setText(QStringLiteral("今日 (%1)").arg(m_counts.today));
    ui->btnOverdue->setText(QStringLiteral("逾期 (%1)").arg(m_counts.overdue));
    ui->btnWeek->setText(QStringLiteral("本周 (%1)").arg(m_counts.thisWeek));
    ui->btnAll->setText(QStringLiteral("全部 (%1)").arg(m_counts.all));
    showList();
}

void TfrmRemindCenter::showList()
{
    // Only the first page is read now; the view asks for the next ones as it scrolls.
    m_list->setSource(
        [today = m_today, filter = m_filter](int offset, int limit) {
            return ReminderCentre(zu::data().conn(), today).list(filter, offset, limit);
        },
        m_counts.of(m_filter));
    ui->dgRemind->resizeColumnsToContents();
}

void TfrmRemindCenter::showFilter(ReminderFilter filter)
{
    // The counts stay until something changes or the list is refreshed.
    m_filter = filter;
    showList();
}

std::optional<Reminder> TfrmRemindCenter::currentReminder() const
{
    const QModelIndex current = ui->dgRemind->currentIndex();
    if (!current.isValid())
        return std::nullopt;
    return reminderAt(current.row());
}

void TfrmRemindCenter::btnDoneClick()
{
    requirePermission(Operation::Reminders);
    const std::optional<Reminder> reminder = currentReminder();
    if (!reminder) {
        dialogs().inform(this, kTitle, QStringLiteral("请先选择一条提醒"), QMessageBox::Information);
        return;
    }
    if (reminder->state == ReminderState::Done)
        return;
    // A return call is done when the visit is written down.
    if (reminder->kind == ReminderKind::ReturnCall &&
        (!m_commands.returnVisit || !m_commands.returnVisit(this, *reminder)))
        return;
    ReminderCentre(zu::data().conn(), m_today).markDone(*reminder, zu::data().CurrentUserName());
    refresh();
}

void TfrmRemindCenter::btnSnoozeClick()
{
    requirePermission(Operation::Reminders);
    const std::optional<Reminder> reminder = currentReminder();
    if (!reminder) {
        dialogs().inform(this, kTitle, QStringLiteral("请先选择一条提醒"), QMessageBox::Information);
        return;
    }
    ReminderCentre(zu::data().conn(), m_today)
        .snooze(*reminder, ui->dtSnooze->date(), zu::data().CurrentUserName());
    refresh();
}

void TfrmRemindCenter::btnReopenClick()
{
    requirePermission(Operation::Reminders);
    const std::optional<Reminder> reminder = currentReminder();
    if (!reminder || reminder->state != ReminderState::Done) {
        dialogs().inform(this, kTitle, QStringLiteral("请先选择一条已完成的提醒"), QMessageBox::Information);
        return;
    }
    ReminderCentre(zu::data().conn(), m_today).reopen(*reminder);
    refresh();
}

void TfrmRemindCenter::dgRemindDblClick()
{
    const std::optional<Reminder> reminder = currentReminder();
    if (!reminder || !m_commands.openCustomer)
        return;
    m_commands.openCustomer(this, reminder->customerId);
    accept();
}

QString TfrmRemindCenter::listTitle() const
{
    return QStringLiteral("提醒中心") + m_today.toString(QStringLiteral("yyyy-MM-dd"));
}

void TfrmRemindCenter::loadSettings()
{
    const ReminderKindSettings s = readReminderKindSettings(zu::data().qryTemp());
    ui->cbRemindOn->setChecked(s.customerDate);
    ui->cbPlanOn->setChecked(s.maintenance);
    ui->cbCallOn->setChecked(s.returnCall);
    ui->cbWarrantyOn->setChecked(s.warrantyEnd);
    ui->seCallDays->setValue(s.callAfterDays);
    ui->seWarrantyDays->setValue(s.warrantyDays);
    ui->seOverdueDays->setValue(s.overdueDays);
}

void TfrmRemindCenter::btnSaveSettingsClick()
{
    requirePermission(Operation::Reminders);
    Query& q = zu::data().qryTemp();
    ReminderKindSettings s = readReminderKindSettings(q);
    s.customerDate = ui->cbRemindOn->isChecked();
    s.maintenance = ui->cbPlanOn->isChecked();
    s.returnCall = ui->cbCallOn->isChecked();
    s.warrantyEnd = ui->cbWarrantyOn->isChecked();
    s.callAfterDays = ui->seCallDays->value();
    s.warrantyDays = ui->seWarrantyDays->value();
    s.overdueDays = ui->seOverdueDays->value();
    storeReminderKindSettings(q, s, m_today);
    refresh();
}

void TfrmRemindCenter::loadPlans()
{
    // The models the customer editor offers; a model not in the list may be typed.
    const QString typed = ui->cmbPlanModel->currentText();
    FillComboFromSql(ui->cmbPlanModel, lookupListStatement(zu::data().dialect(), QStringLiteral("型号")), 0,
                     QString());
    ui->cmbPlanModel->setCurrentText(typed);
    m_plans = readMaintenancePlans(zu::data().qryTemp());
    ui->dgPlan->setRowCount(int(m_plans.size()));
    for (int r = 0; r < m_plans.size(); ++r) {
        const MaintenancePlan& p = m_plans[r];
        ui->dgPlan->setItem(r, 0, new QTableWidgetItem(p.model));
        ui->dgPlan->setItem(r, 1, new QTableWidgetItem(p.serviceKind));
        ui->dgPlan->setItem(r, 2, new QTableWidgetItem(QStringLiteral("每%1个月").arg(p.months)));
    }
}

void TfrmRemindCenter::btnPlanAddClick()
{
    requirePermission(Operation::Reminders);
    addMaintenancePlan(zu::data().qryTemp(), {.model = ui->cmbPlanModel->currentText(),
                                              .serviceKind = ui->edtPlanKind->text(),
                                              .months = ui->sePlanMonths->value()});
    ui->cmbPlanModel->setCurrentText(QString());
    ui->edtPlanKind->clear();
    loadPlans();
    refresh();
}

void TfrmRemindCenter::btnPlanDeleteClick()
{
    requirePermission(Operation::Reminders);
    const int row = ui->dgPlan->currentRow();
    if (row < 0 || row >= m_plans.size())
        return;
    const MaintenancePlan& plan = m_plans[row];
    if (dialogs().message(this, kTitle,
                          QStringLiteral("删除保养计划“%1 %2 每%3个月”吗？")
                              .arg(plan.model, plan.serviceKind)
                              .arg(plan.months),
                          QMessageBox::Question, QMessageBox::Yes | QMessageBox::No,
                          QMessageBox::No) != QMessageBox::Yes)
        return;
    removeMaintenancePlan(zu::data().qryTemp(), plan.id);
    loadPlans();
    refresh();
}

} // namespace zu
