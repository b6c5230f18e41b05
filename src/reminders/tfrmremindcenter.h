#pragma once

#include "remindercentre.h"

#include <functional>
#include <memory>
#include <QDialog>

class QAbstractItemModel;
class QSortFilterProxyModel;
class QTableView;

namespace Ui {
class TfrmRemindCenter;
}

namespace zu {

class ReminderListModel;

// What the reminder centre asks of other parts of the program; empty commands stay disabled.
struct RemindCenterCommands
{
    // Shows the customer (the centre closes afterwards).
    std::function<void(QWidget* parent, qint64 customerId)> openCustomer;
    // The return-visit editor for the customer of a return call, filled in; true when the visit
    // was saved.
    std::function<bool(QWidget* parent, const Reminder& reminder)> returnVisit;
    std::function<void(QWidget* parent, const QAbstractItemModel& table, const QString& title)> exportList;
    std::function<void(QWidget* parent, const QAbstractItemModel& table, const QString& title)> printList;
};

// Every reminder of today, the overdue ones, this week's and all, counted on their filter
// buttons; each marked done or put off here. Its second page sets which kinds of reminder are
// told and holds the maintenance plans.
class TfrmRemindCenter final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmRemindCenter(QWidget* parent = nullptr);
    ~TfrmRemindCenter() override;

    void setCommands(RemindCenterCommands commands);

    // The day the centre counts from (today unless a test says otherwise); re-reads the lists.
    void setToday(const QDate& today);
    ReminderFilter filter() const { return m_filter; }
    QTableView* dgRemind() const;
    // The list as shown: sorted as the user chose.
    const QAbstractItemModel& shownList() const;
    // The reminder of a shown row.
    const Reminder& reminderAt(int shownRow) const;

private:
    void FormShow();
    void refresh();
    void showFilter(ReminderFilter filter);
    void showList();
    std::optional<Reminder> currentReminder() const;
    void btnDoneClick();
    void btnSnoozeClick();
    void btnReopenClick();
    void dgRemindDblClick();
    void loadSettings();
    void btnSaveSettingsClick();
    void loadPlans();
    void btnPlanAddClick();
    void btnPlanDeleteClick();
    QString listTitle() const;

    std::unique_ptr<Ui::TfrmRemindCenter> ui;
    RemindCenterCommands m_commands;
    ReminderListModel* m_list;
    QSortFilterProxyModel* m_sorted;
    QDate m_today;
    ReminderFilter m_filter = ReminderFilter::Today;
    ReminderCounts m_counts;
    QList<MaintenancePlan> m_plans;
};

} // namespace zu
