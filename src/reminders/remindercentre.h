#pragma once

#include "data/routines.h"

#include <optional>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

namespace zu {

class Connection;
class Query;

enum class ReminderKind
{
    CustomerDate, // the customer's own reminder date (用户提醒)
    Maintenance,  // a model's maintenance plan, every so many months
    ReturnCall,   // a call some days after each service
    WarrantyEnd,  // the warranty ends soon
};

const QList<ReminderKind>& allReminderKinds();
// The kind as the state table keeps it, and back.
QString reminderKindKey(ReminderKind kind);
std::optional<ReminderKind> reminderKindOfKey(const QString& key);
QString reminderKindCaption(ReminderKind kind);

// The reminder centre's settings, kept in the reminder settings row beside the horizon.
struct ReminderKindSettings
{
    bool customerDate = true;
    bool maintenance = true;
    bool returnCall = true;
    bool warrantyEnd = true;
    int horizonDays = 7;   // due within this many days from today (the reminder window's day count)
    int callAfterDays = 3; // a return call this many days after the service
    int warrantyDays = 30; // the end of a warranty (its months by model) is told this many days ahead
    int overdueDays = 90;  // a reminder not done is told this many days after it was due
    // Passed dates count as overdue from the day their kind was switched on.
    QDate customerDateSince;
    QDate maintenanceSince;
    QDate returnCallSince;
    QDate warrantyEndSince;

    bool isOn(ReminderKind kind) const;
    QDate since(ReminderKind kind) const;
    int horizon(ReminderKind kind) const;
    // The first due date told on `today`: the day the kind was switched on, or the first day of
    // the overdue days, whichever is later.
    QDate firstDay(ReminderKind kind, const QDate& today) const;
};

ReminderKindSettings readReminderKindSettings(Query& query);
// Stores the switches and day counts (below 1 becomes 1); a kind switched on from off counts as
// overdue only from `today` on.
void storeReminderKindSettings(Query& query, ReminderKindSettings settings, const QDate& today);

enum class ReminderFilter
{
    Today,    // 今日: shown on today
    Overdue,  // 逾期: shown before today and not done
    ThisWeek, // 本周: shown in this calendar week (Monday to Sunday) and not done
    All,      // 全部: every reminder of the horizon and every overdue one, done or not
};

struct ReminderCounts
{
    int today = 0;
    int overdue = 0;
    int thisWeek = 0;
    int all = 0;
    int of(ReminderFilter filter) const;
};

enum class ReminderState
{
    Due,
    Overdue,
    Done,
    Snoozed, // put off to a later day than today
};
QString reminderStateCaption(ReminderState state);

// One reminder, computed from the records and plans; a done or put-off mark is kept apart,
// keyed by kind, source record (and plan) and the date it was due.
struct Reminder
{
    ReminderKind kind = ReminderKind::CustomerDate;
    qint64 sourceId = 0; // the customer, or the service record of a return call
    qint64 planId = 0;   // the maintenance plan, 0 for the other kinds
    qint64 customerId = 0;
    QString customerCode;
    QString customerName;
    QString phone;
    QString mobile;
    QString subject; // the plan's service kind, the serviced fault
    QDate dueDate;
    ReminderState state = ReminderState::Due;
    QDate snoozedUntil;
    QString markedBy;
    QDateTime markedAt;

    // The day it shows under: the day it was put off to, otherwise the day it is due.
    QDate shownDate() const { return snoozedUntil.isValid() ? snoozedUntil : dueDate; }
};

// The reminders of one day, as every workstation computes them from the same records.
class ReminderCentre final
{
public:
    ReminderCentre(Connection& connection, const QDate& today);

    const ReminderKindSettings& settings() const { return m_settings; }
    QDate today() const { return m_today; }

    ReminderCounts counts() const;
    // The reminders of a filter in the list's order: `limit` of them from `offset` (all with -1).
    QList<Reminder> list(ReminderFilter filter, int offset = 0, int limit = -1) const;

    // Marks a reminder as done by the user, or puts it off until a later day. Refused (CommandError)
    // when someone else marked it differently since it was read, or when the day is not later than
    // today.
    void markDone(const Reminder& reminder, const QString& user);
    void snooze(const Reminder& reminder, const QDate& until, const QString& user);
    // Takes a done mark back: the reminder is due or overdue again as its date says (and a
    // maintenance plan counts from its earlier dates again). Refused when it is no longer done.
    void reopen(const Reminder& reminder);

    // The next date of a customer's maintenance plan (invalid when the plan does not apply).
    QDate nextMaintenance(qint64 customerId, qint64 planId) const;

private:
    void mark(const Reminder& reminder, const QString& state, const QDate& until, const QString& user);

    Connection& m_connection;
    QDate m_today;
    ReminderKindSettings m_settings;
};

// A model's maintenance plan: every `months` months a service of the kind `serviceKind`
// (matched against a service record's fault cause), counted from the purchase date or from the
// last such service.
struct MaintenancePlan
{
    qint64 id = 0;
    QString model;
    QString serviceKind;
    int months = 0;
};

QList<MaintenancePlan> readMaintenancePlans(Query& query);
// Returns the new plan's key. A plan needs a model, a service kind and at least one month.
qint64 addMaintenancePlan(Query& query, const MaintenancePlan& plan);
void removeMaintenancePlan(Query& query, qint64 id);

} // namespace zu
