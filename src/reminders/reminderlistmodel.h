#pragma once

#include "remindercentre.h"

#include <QAbstractTableModel>

namespace zu {

// The reminders of one filter as a table: kind, date, state, customer and what is to be done.
// Sorting a column sorts by its value (dates as dates).
class ReminderListModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        KindColumn,
        DateColumn,
        StateColumn,
        CodeColumn,
        NameColumn,
        PhoneColumn,
        MobileColumn,
        SubjectColumn,
        MarkedByColumn,
        ColumnCount
    };

    explicit ReminderListModel(QObject* parent = nullptr);

    void setReminders(QList<Reminder> reminders);
    const QList<Reminder>& reminders() const { return m_reminders; }
    const Reminder& at(int row) const { return m_reminders.at(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<Reminder> m_reminders;
};

} // namespace zu
