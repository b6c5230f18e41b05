#include "statistics.h"

#include "customers/categorycodes.h"
#include "data/connection.h"
#include "data/query.h"
#include "data/sqldialect.h"

#include <QHash>

namespace zu {

const QString kOtherGroup = QStringLiteral("其他");
const QString kEmptyGroup = QStringLiteral("（未填写）");

namespace {

const QString kCount = QStringLiteral("维修次数");
const QString kFees = QStringLiteral("维修费用");

// A column's value with blanks around it removed and no value as empty text, to group by.
QString groupText(const QString& column)
{
    return QStringLiteral("coalesce(trim(%1), '')").arg(column);
}

// From the first day's midnight up to (not including) the midnight after the last day, the bounds
// typed as the column is so the engine can read the column's index.
DateRange daysOf(const SqlDialect& d, const QString& column, const QDate& first, const QDate& last)
{
    return {QStringLiteral("%1 >= %2 and %1 < %2").arg(column, d.dateTimeParameter),
            {first.startOfDay(), last.addDays(1).startOfDay()}};
}

QString labelOf(const QString& group)
{
    return group.isEmpty() ? kEmptyGroup : group;
}

// The numbers of a result row from position 1 on: sums of decimals as decimals, the others as
// whole numbers.
QVariantList numbersOf(const Query& q, int count)
{
    QVariantList out;
    for (int c = 1; c <= count; ++c) {
        const QVariant v = q.value(c);
        const bool decimal = v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float;
        out << (decimal ? QVariant(v.toDouble()) : QVariant(v.toLongLong()));
    }
    return out;
}

QVariantList zeros(int count, const QList<int>& moneyColumns)
{
    QVariantList out;
    for (int c = 1; c <= count; ++c)
        out << (moneyColumns.contains(c) ? QVariant(0.0) : QVariant(qlonglong(0)));
    return out;
}

// Keeps the largest groups (the rows come largest first) and adds up the others in "其他".
void keepTopGroups(FigureTable& table)
{
    if (table.rows.size() <= kTopGroups)
        return;
    QVariantList other{kOtherGroup};
    for (int c = 1; c < table.columns.size(); ++c) {
        double sum = 0;
        for (qsizetype r = kTopGroups; r < table.rows.size(); ++r)
            sum += table.rows[r][c].toDouble();
        other << (table.moneyColumns.contains(c) ? QVariant(sum) : QVariant(qlonglong(sum)));
    }
    table.rows.resize(kTopGroups);
    table.rows << other;
}

} // namespace

QStringList FigureTable::labels() const
{
    QStringList out;
    for (const QVariantList& row : rows)
        out << row.value(0).toString();
    return out;
}

QVariant FigureTable::value(const QString& label, int column) const
{
    for (const QVariantList& row : rows)
        if (row.value(0).toString() == label)
            return row.value(column);
    return {};
}

Statistics::Statistics(Connection& connection, const StatisticsPeriod& period)
    : m_connection(connection), m_period(period)
{
}

// Rows per month of the period: `select` holds the aggregates after the month, every month of
// the period gets a row.
FigureTable Statistics::perMonth(const QString& table, const QString& dateColumn, const QString& select,
                                 int numbers, const QString& where, const QVariantList& whereValues) const
{
    FigureTable figure;
    QHash<QString, QVariantList> found;
    if (m_period.isValid()) {
        const SqlDialect& d = m_connection.dialect();
        const DateRange range = daysOf(d, dateColumn, m_period.first, m_period.last);
        const QString month = d.monthTextOf(dateColumn);
        Query q(m_connection);
        q.open(QStringLiteral("select %1, %2 from %3 where %4%5 group by %1")
                   .arg(month, select, table, range.condition, where),
               range.bindValues + whereValues);
        for (; !q.eof(); q.next())
            found.insert(q.value(0).toString(), numbersOf(q, numbers));
    }
    for (const QDate& m : m_period.months()) {
        const QString label = m.toString(QStringLiteral("yyyy-MM"));
        figure.rows << (QVariantList{label} + found.value(label, zeros(numbers, {})));
    }
    return figure;
}

FigureTable Statistics::servicesByMonth() const
{
    FigureTable f = perMonth(QStringLiteral("T_service"), QStringLiteral("serviceDate"),
                             QStringLiteral("count(*), coalesce(sum(serviceMoney), 0)"), 2, {}, {});
    f.title = QStringLiteral("每月维修");
    f.columns = QStringList{QStringLiteral("月份"), kCount, kFees};
    f.barColumns = {1};
    f.lineColumn = 2;
    f.moneyColumns = {2};
    return f;
}

FigureTable Statistics::servicesByDay(const QDate& month) const
{
    FigureTable f;
    f.title = QStringLiteral("每日维修（%1）").arg(month.toString(QStringLiteral("yyyy-MM")));
    f.columns = QStringList{QStringLiteral("日期"), kCount, kFees};
    f.barColumns = {1};
    f.lineColumn = 2;
    f.moneyColumns = {2};
    const QDate monthStart(month.year(), month.month(), 1);
    const StatisticsPeriod days{std::max(monthStart, m_period.first),
                                std::min(monthStart.addMonths(1).addDays(-1), m_period.last)};
    if (!m_period.isValid() || !days.isValid())
        return f;
    const SqlDialect& d = m_connection.dialect();
    const DateRange range = daysOf(d, QStringLiteral("serviceDate"), days.first, days.last);
    const QString day = d.dayTextOf(QStringLiteral("serviceDate"));
    Query q(m_connection);
    q.open(QStringLiteral("select %1, count(*), coalesce(sum(serviceMoney), 0) from T_service where %2 "
                          "group by %1")
               .arg(day, range.condition),
           range.bindValues);
    QHash<QString, QVariantList> found;
    for (; !q.eof(); q.next())
        found.insert(q.value(0).toString(), numbersOf(q, 2));
    for (QDate dd = days.first; dd <= days.last; dd = dd.addDays(1)) {
        const QString label = dd.toString(Qt::ISODate);
        f.rows << (QVariantList{label} + found.value(label, zeros(2, f.moneyColumns)));
    }
    return f;
}

// Rows per value of a column, largest first (equal counts by their text).
FigureTable Statistics::ranked(const QString& table, const QString& dateColumn,
                               const QString& groupColumn) const
{
    FigureTable f;
    f.barColumns = {1};
    if (!m_period.isValid())
        return f;
    const DateRange range = daysOf(m_connection.dialect(), dateColumn, m_period.first, m_period.last);
    const QString group = groupText(groupColumn);
    Query q(m_connection);
    // Equal counts in the order of their text's bytes, the same on both engines.
    q.open(QStringLiteral("select %1, count(*) from %2 where %3 group by %1 order by 2 desc, %1%4")
               .arg(group, table, range.condition, m_connection.dialect().byteOrder),
           range.bindValues);
    for (; !q.eof(); q.next())
        f.rows << (QVariantList{labelOf(q.value(0).toString())} + numbersOf(q, 1));
    return f;
}

FigureTable Statistics::topModels() const
{
    FigureTable f =
        ranked(QStringLiteral("T_service"), QStringLiteral("serviceDate"), QStringLiteral("Goodsunit"));
    f.title = QStringLiteral("维修最多的型号");
    f.columns = QStringList{QStringLiteral("型号"), kCount};
    keepTopGroups(f);
    return f;
}

FigureTable Statistics::topFaults() const
{
    FigureTable f =
        ranked(QStringLiteral("T_service"), QStringLiteral("serviceDate"), QStringLiteral("hitchName"));
    f.title = QStringLiteral("最多的故障原因");
    f.columns = QStringList{QStringLiteral("故障原因"), kCount};
    keepTopGroups(f);
    return f;
}

FigureTable Statistics::perStaff(const QString& groupColumn) const
{
    FigureTable f;
    f.barColumns = {1, 3};
    f.lineColumn = 2;
    f.moneyColumns = {2};
    if (!m_period.isValid())
        return f;
    const SqlDialect& d = m_connection.dialect();
    const DateRange range = daysOf(d, QStringLiteral("serviceDate"), m_period.first, m_period.last);
    const QString group = groupText(groupColumn);
    // Whether a service is a repeat visit is kept beside it: the period's services alone tell.
    Query q(m_connection);
    q.open(
        QStringLiteral("select %1, count(*), coalesce(sum(serviceMoney), 0), sum(case when %2 then 1 else "
                       "0 end) from T_service where %3 group by %1 order by 2 desc, %1%4")
            .arg(group, d.booleanEquals(QStringLiteral("RepeatVisit"), true), range.condition, d.byteOrder),
        range.bindValues);
    for (; !q.eof(); q.next())
        f.rows << (QVariantList{labelOf(q.value(0).toString())} + numbersOf(q, 3));
    return f;
}

FigureTable Statistics::byEngineer() const
{
    FigureTable f = perStaff(QStringLiteral("servicedeMen"));
    f.title = QStringLiteral("工程师业绩");
    f.columns = QStringList{QStringLiteral("工程师"), kCount, kFees, QStringLiteral("返修次数")};
    return f;
}

FigureTable Statistics::byDepartment() const
{
    FigureTable f = perStaff(QStringLiteral("servicedepartment"));
    f.title = QStringLiteral("部门业绩");
    f.columns = QStringList{QStringLiteral("部门"), kCount, kFees, QStringLiteral("返修次数")};
    return f;
}

FigureTable Statistics::complaintsByLevel() const
{
    FigureTable f =
        ranked(QStringLiteral("T_complain"), QStringLiteral("complainDate"), QStringLiteral("complainType"));
    f.title = QStringLiteral("投诉级别");
    f.columns = QStringList{QStringLiteral("投诉级别"), QStringLiteral("投诉次数")};
    keepTopGroups(f);
    return f;
}

FigureTable Statistics::complaintsByMonth() const
{
    FigureTable f = perMonth(QStringLiteral("T_complain"), QStringLiteral("complainDate"),
                             QStringLiteral("count(*)"), 1, {}, {});
    f.title = QStringLiteral("每月投诉");
    f.columns = QStringList{QStringLiteral("月份"), QStringLiteral("投诉次数")};
    f.barColumns = {1};
    return f;
}

FigureTable Statistics::callsByOutcome() const
{
    FigureTable f =
        ranked(QStringLiteral("T_call"), QStringLiteral("callDate"), QStringLiteral("callRemarkhandle"));
    f.title = QStringLiteral("回访结果");
    f.columns = QStringList{QStringLiteral("处理结果"), QStringLiteral("回访次数")};
    keepTopGroups(f);
    return f;
}

FigureTable Statistics::salesByMonth(const QString& categoryCode) const
{
    const QString code = categoryCode.trimmed();
    QString where;
    QVariantList values;
    if (!code.isEmpty()) {
        where = QStringLiteral(" and ") + m_connection.dialect().prefixCondition(QStringLiteral("TypeCode"));
        values = prefixBounds(code);
    }
    FigureTable f = perMonth(QStringLiteral("T_Cust"), QStringLiteral("EmptionDate"),
                             QStringLiteral("count(*), coalesce(sum(Number), 0)"), 2, where, values);
    f.title = QStringLiteral("每月销售");
    f.columns = QStringList{QStringLiteral("月份"), QStringLiteral("新增客户"), QStringLiteral("销售数量")};
    f.barColumns = {1, 2};
    return f;
}

FigureTable Statistics::salesByCategory(const QString& categoryCode) const
{
    const QString code = categoryCode.trimmed();
    FigureTable f;
    f.title = QStringLiteral("类别销售");
    f.columns =
        QStringList{QStringLiteral("客户类别"), QStringLiteral("新增客户"), QStringLiteral("销售数量")};
    f.barColumns = {1, 2};
    if (!m_period.isValid())
        return f;
    const SqlDialect& d = m_connection.dialect();
    const DateRange range = daysOf(d, QStringLiteral("EmptionDate"), m_period.first, m_period.last);
    QString where = range.condition;
    QVariantList values{int(code.size()) + 2};
    values += range.bindValues;
    if (!code.isEmpty()) {
        where += QStringLiteral(" and ") + d.prefixCondition(QStringLiteral("TypeCode"));
        values += prefixBounds(code);
    }
    // The code of each customer's category cut to the level below `code`.
    Query q(m_connection);
    q.open(
        QStringLiteral("select g, count(*), coalesce(sum(n), 0) from (select substr(coalesce(TypeCode, ''), "
                       "1, cast(? as integer)) as g, Number as n from T_Cust where %1) t group by g "
                       "order by g%2")
            .arg(where, d.byteOrder),
        values);
    QList<QPair<QString, QVariantList>> groups;
    for (; !q.eof(); q.next())
        groups.append({q.value(0).toString().trimmed(), numbersOf(q, 2)});
    q.close();
    QHash<QString, QString> names;
    for (const CodedName& c : readCategories(q, QStringLiteral("用户类别")))
        names.insert(c.code, c.name);
    for (const auto& [groupCode, numbers] : std::as_const(groups)) {
        QString label;
        if (groupCode.isEmpty())
            label = QStringLiteral("（未分类）");
        else if (groupCode == code)
            label = categoryNodeText(groupCode, names.value(groupCode)) + QStringLiteral("（本级）");
        else
            label = categoryNodeText(groupCode, names.value(groupCode));
        f.rows << (QVariantList{label} + numbers);
    }
    return f;
}

} // namespace zu
