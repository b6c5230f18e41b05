#pragma once

#include "remindercentre.h"

#include <functional>
#include <QAbstractTableModel>

namespace zu {

// The reminders of one filter as a table: kind, date, state, customer and what is to be done.
// Sorting a column sorts by its value (dates as dates). A long list is read a page at a time, as
// the view scrolls down to it.
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

    // `count` reminders to be read `limit` at a time from `offset` by `read`.
    using Reader = std::function<QList<Reminder>(int offset, int limit)>;
    void setSource(Reader read, int count);
    void setReminders(QList<Reminder> reminders);
    // Reads the pages not read yet (before an export or a print of the whole list).
    void fetchAll();
    static constexpr int kPage = 500;
    const QList<Reminder>& reminders() const { return m_reminders; }
    const Reminder& at(int row) const { return m_reminders.at(row); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    QList<Reminder> m_reminders;
    Reader m_read;
    int m_count = 0;
    bool m_resetting = false;
};

} // namespace zu
