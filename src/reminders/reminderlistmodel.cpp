#include "reminderlistmodel.h"

#include <QColor>

namespace zu {

namespace {

const char* const kTitles[] = {"类别", "提醒日期", "状态", "客户编号", "客户名称",
                               "电话", "手机",     "事项", "处理人"};
static_assert(std::size(kTitles) == ReminderListModel::ColumnCount);

QString subjectOf(const Reminder& r)
{
    switch (r.kind) {
    case ReminderKind::CustomerDate:
        return QStringLiteral("用户提醒日期");
    case ReminderKind::Maintenance:
        return r.subject;
    case ReminderKind::ReturnCall:
        return r.subject.isEmpty() ? QStringLiteral("维修后回访")
                                   : QStringLiteral("维修后回访：") + r.subject;
    case ReminderKind::WarrantyEnd:
        return QStringLiteral("保修期结束");
    }
    Q_UNREACHABLE();
}

} // namespace

ReminderListModel::ReminderListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ReminderListModel::setReminders(QList<Reminder> reminders)
{
    beginResetModel();
    m_read = {};
    m_count = int(reminders.size());
    m_reminders = std::move(reminders);
    endResetModel();
}

void ReminderListModel::setSource(Reader read, int count)
{
    beginResetModel();
    m_resetting = true; // a view asking for more while the list is replaced gets nothing yet
    m_read = std::move(read);
    m_reminders = count > 0 ? m_read(0, kPage) : QList<Reminder>();
    // Fewer rows than counted (the records changed since): the list ends where they end.
    m_count = m_reminders.size() < kPage ? int(m_reminders.size()) : count;
    endResetModel();
    m_resetting = false;
}

bool ReminderListModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && !m_resetting && m_read && m_reminders.size() < m_count;
}

void ReminderListModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    QList<Reminder> page = m_read(int(m_reminders.size()), kPage);
    if (page.size() < kPage) // fewer rows than counted: this was the last page
        m_count = int(m_reminders.size() + page.size());
    if (page.isEmpty())
        return;
    beginInsertRows({}, int(m_reminders.size()), int(m_reminders.size() + page.size() - 1));
    m_reminders += page;
    endInsertRows();
}

void ReminderListModel::fetchAll()
{
    while (canFetchMore({}))
        fetchMore({});
}

int ReminderListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_reminders.size());
}

int ReminderListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ReminderListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_reminders.size())
        return {};
    const Reminder& r = m_reminders.at(index.row());
    if (role == Qt::ForegroundRole && r.state == ReminderState::Overdue)
        return QColor(Qt::red);
    if (role == Qt::ForegroundRole && r.state == ReminderState::Done)
        return QColor(Qt::darkGray);
    const bool sorting = role == Qt::UserRole;
    if (role != Qt::DisplayRole && !sorting)
        return {};
    switch (index.column()) {
    case KindColumn:
        return reminderKindCaption(r.kind);
    case DateColumn:
        return sorting ? QVariant(r.shownDate())
                       : QVariant(r.shownDate().toString(QStringLiteral("yyyy-MM-dd")));
    case StateColumn: {
        if (sorting)
            return int(r.state);
        const QString caption = reminderStateCaption(r.state);
        return r.state == ReminderState::Snoozed
                   ? caption + QStringLiteral("至") + r.snoozedUntil.toString(QStringLiteral("yyyy-MM-dd"))
                   : caption;
    }
    case CodeColumn:
        return r.customerCode;
    case NameColumn:
        return r.customerName;
    case PhoneColumn:
        return r.phone;
    case MobileColumn:
        return r.mobile;
    case SubjectColumn:
        return subjectOf(r);
    case MarkedByColumn:
        return r.markedBy;
    }
    return {};
}

QVariant ReminderListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return QString::fromUtf8(kTitles[section]);
}

} // namespace zu
