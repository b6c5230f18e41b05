#include "remindercentre.h"

#include "data/connection.h"
#include "data/errors.h"
#include "data/query.h"
#include "data/warrantyterms.h"

#include <algorithm>
#include <functional>
#include <QMap>

namespace zu {

namespace {

struct KindName
{
    ReminderKind kind;
    const char* key;
    const char* caption;
};

const KindName kKindNames[] = {
    {.kind = ReminderKind::CustomerDate, .key = "remind", .caption = "用户提醒"},
    {.kind = ReminderKind::Maintenance, .key = "plan", .caption = "定期保养"},
    {.kind = ReminderKind::ReturnCall, .key = "call", .caption = "维修回访"},
    {.kind = ReminderKind::WarrantyEnd, .key = "warranty", .caption = "保修到期"},
};

const KindName& nameOf(ReminderKind kind)
{
    for (const KindName& n : kKindNames)
        if (n.kind == kind)
            return n;
    Q_UNREACHABLE();
}

const QString kDone = QStringLiteral("done");
const QString kSnoozed = QStringLiteral("snoozed");

// The columns every kind's select gives, in this order.
const QString kColumns =
    QStringLiteral("Kind, SourceId, PlanId, CustId, CustCode, CustName, Phone, Mobile, Subject, DueDate");

// A subquery kept as it is, so that a correlated look-up runs once for each row.
QString kept(const Connection& connection)
{
    return connection.dialect().keptSubquery;
}

// Statement text with its bound values, written left to right.
struct SqlText
{
    QString text;
    QVariantList values;

    SqlText& add(const QString& part)
    {
        text += part;
        return *this;
    }
    SqlText& bind(const QString& part, const QVariant& value)
    {
        text += part;
        values << value;
        return *this;
    }
};

// Which reminders of a kind a select gives: those due within [from, to]; with `snoozed`, instead
// those put off to a day within [snoozedFrom, snoozedTo] whose due date lies outside [from, to]
// (the rest of the window). Both within the kind's window.
struct Pick
{
    QDate from;
    QDate to;
    bool snoozed = false;
    QDate snoozedFrom;
    QDate snoozedTo;
    // With the customer's code, name and numbers; without them only what a count needs (the
    // kind, the source record and the dates), read from indexes alone where the engine can.
    bool details = true;
    // Instead, the reminders that have a mark, done or put off, for the date now due within the
    // kind's window.
    bool marked = false;
};

bool drivenByMarks(const Pick& pick)
{
    return pick.snoozed || pick.marked;
}

Pick dueIn(const QDate& from, const QDate& to)
{
    return {.from = from,
            .to = to,
            .snoozed = false,
            .snoozedFrom = {},
            .snoozedTo = {},
            .details = true,
            .marked = false};
}

QString customerColumns(const Pick& pick)
{
    return pick.details ? QStringLiteral("c.IDCode as CustCode, c.CustName as CustName, c.Phone as Phone, "
                                         "c.Mobile as Mobile")
                        : QStringLiteral("'' as CustCode, '' as CustName, '' as Phone, '' as Mobile");
}

// Half-open ranges of days [first, end), sorted, overlapping ones joined.
struct DayRange
{
    QDate first;
    QDate end;
};

QList<DayRange> joined(QList<DayRange> ranges)
{
    std::sort(ranges.begin(), ranges.end(),
              [](const DayRange& a, const DayRange& b) { return a.first < b.first; });
    QList<DayRange> out;
    for (const DayRange& r : ranges) {
        if (!out.isEmpty() && r.first <= out.last().end)
            out.last().end = std::max(out.last().end, r.end);
        else
            out << r;
    }
    return out;
}

// The days whole months `months` after which fall within [from, to]: one range, as a day moved
// on by months never comes before one moved on from an earlier day; empty (end not after first)
// when the month ends leave none.
DayRange daysMonthsEarlier(const QDate& from, const QDate& to, int months)
{
    // Four days before and after are outside whatever the month ends do.
    QDate first = from.addMonths(-months).addDays(-4);
    while (first.addMonths(months) < from)
        first = first.addDays(1);
    QDate last = to.addMonths(-months).addDays(4);
    while (last.addMonths(months) > to)
        last = last.addDays(-1);
    return {.first = first, .end = last.addDays(1)};
}

// The days from which whole months `months` later can fall within [from, to]: for every count of
// months from `months` on, back to `earliest`.
QList<DayRange> daysMonthsBefore(const QDate& from, const QDate& to, int months, const QDate& earliest)
{
    QList<DayRange> ranges;
    if (from > to || months < 1 || !earliest.isValid())
        return ranges;
    constexpr int kMostRanges = 400;
    for (int n = months;; n += months) {
        const QDate end = to.addMonths(-n).addDays(5);
        if (end <= earliest)
            break;
        if (ranges.size() == kMostRanges) { // dates far back: one range down to them
            ranges << DayRange{.first = earliest, .end = end};
            break;
        }
        const DayRange r = daysMonthsEarlier(from, to, n);
        if (r.first < r.end)
            ranges << r;
    }
    return joined(ranges);
}

// The due dates a kind tells: from the look-back's first day to the horizon's last day.
struct Window
{
    QDate first;
    QDate last;
};

// The marks a select driven by them reads, as z: those put off to a day of the pick, or every
// mark due within the window. Ends with " and ".
void markedWithin(SqlText& s, const SqlDialect& d, const Pick& pick, const Window& w)
{
    if (pick.marked) {
        s.bind(QStringLiteral("z.DueDate >= %1").arg(d.dateTimeParameter), d.toDb(w.first.startOfDay()));
        s.bind(QStringLiteral(" and z.DueDate < %1 and ").arg(d.dateTimeParameter),
               d.toDb(w.last.addDays(1).startOfDay()));
        return;
    }
    s.add(QStringLiteral("z.State = '%1'").arg(kSnoozed));
    s.bind(QStringLiteral(" and z.SnoozeUntil >= %1").arg(d.dateTimeParameter),
           d.toDb(pick.snoozedFrom.startOfDay()));
    s.bind(QStringLiteral(" and z.SnoozeUntil < %1 and ").arg(d.dateTimeParameter),
           d.toDb(pick.snoozedTo.addDays(1).startOfDay()));
}

// The rows a select starts from: the records (narrowed to the due dates wanted through an
// index), or the put-off marks of the kind, joined to their records.
void drive(SqlText& s, const Connection& c, const QString& kind, const QString& tables, const QString& key,
           const Pick& pick, const std::function<void(SqlText&, const QDate&, const QDate&)>& narrow,
           const Window& w)
{
    const SqlDialect& d = c.dialect();
    if (!drivenByMarks(pick)) {
        s.add(QStringLiteral(" from %1 where ").arg(tables));
        narrow(s, std::max(pick.from, w.first), std::min(pick.to, w.last));
        return;
    }
    s.add(QStringLiteral(" from T_remindstate z, %1 where %2 = z.SourceId and z.Kind = '%3' and ")
              .arg(tables, key, kind));
    markedWithin(s, d, pick, w);
    narrow(s, w.first, w.last);
}

// Closes a select whose subquery `w` gives DueDate (and MarkedDue when driven by the marks).
void keepDue(SqlText& s, const Connection& c, const QString& alias, const Pick& pick, const Window& w)
{
    const SqlDialect& d = c.dialect();
    const QDate first = drivenByMarks(pick) ? w.first : std::max(pick.from, w.first);
    const QDate last = drivenByMarks(pick) ? w.last : std::min(pick.to, w.last);
    s.bind(QStringLiteral(" where %1.DueDate >= %2").arg(alias, d.dateParameter), d.dateValue(first));
    s.bind(QStringLiteral(" and %1.DueDate <= %2").arg(alias, d.dateParameter), d.dateValue(last));
    if (drivenByMarks(pick))
        s.add(QStringLiteral(" and %1.MarkedDue = %1.DueDate").arg(alias)); // the mark of the date now due
    if (pick.snoozed) {
        // The rows due within [from, to] came already.
        s.bind(QStringLiteral(" and (%1.DueDate < %2").arg(alias, d.dateParameter), d.dateValue(pick.from));
        s.bind(QStringLiteral(" or %1.DueDate > %2)").arg(alias, d.dateParameter), d.dateValue(pick.to));
    }
}

QString markedDue(const Connection& c, const Pick& pick)
{
    return drivenByMarks(pick)
               ? QStringLiteral(", %1 as MarkedDue").arg(c.dialect().dateOf(QStringLiteral("z.DueDate")))
               : QString();
}

void customerDateSelect(SqlText& s, const Connection& c, const ReminderKindSettings& k, const Window& w,
                        const Pick& pick)
{
    const SqlDialect& d = c.dialect();
    s.add(
        QStringLiteral("select 'remind' as Kind, r.SourceId, 0 as PlanId, r.SourceId as CustId, r.CustCode, "
                       "r.CustName, r.Phone, r.Mobile, '' as Subject, r.DueDate from (select c.CusttityID as "
                       "SourceId, %3, %1 as DueDate%2")
            .arg(d.dateOf(QStringLiteral("c.remind")), markedDue(c, pick), customerColumns(pick)));
    const QDate last = w.last;
    drive(
        s, c, QStringLiteral("remind"), QStringLiteral("T_Cust c"), QStringLiteral("c.CusttityID"), pick,
        [&d, last](SqlText& t, const QDate& from, const QDate& to) {
            t.bind(QStringLiteral("c.remind >= %1").arg(d.dateTimeParameter), d.toDb(from.startOfDay()));
            t.bind(QStringLiteral(" and c.remind < %1").arg(d.dateTimeParameter),
                   d.toDb(to.addDays(1).startOfDay()));
            // Up to and including midnight of the horizon's last day, as the reminder window counts.
            t.bind(QStringLiteral(" and c.remind <= %1").arg(d.dateTimeParameter), d.toDb(last.startOfDay()));
        },
        w);
    s.add(QStringLiteral("%1) r").arg(kept(c)));
    keepDue(s, c, QStringLiteral("r"), pick, w);
    Q_UNUSED(k);
}

// What the statements are narrowed by, read from the small tables when a statement is built.
struct Facts
{
    QList<MaintenancePlan> plans;
    QDate earliest;            // the earliest purchase or service date kept
    QList<int> warrantyMonths; // every count of warranty months a model can have
};

// The days of `range` on a date and time column: "column >= ? and column < ?".
void inRange(SqlText& t, const SqlDialect& d, const QString& column, const DayRange& range)
{
    t.bind(QStringLiteral("%1 >= %2").arg(column, d.dateTimeParameter), d.toDb(range.first.startOfDay()));
    t.bind(QStringLiteral(" and %1 < %2").arg(column, d.dateTimeParameter), d.toDb(range.end.startOfDay()));
}

// Any day of `ranges`, on a date and time column: "(column >= ? and column < ? or ...)".
void inRanges(SqlText& t, const SqlDialect& d, const QString& column, const QList<DayRange>& ranges)
{
    if (ranges.isEmpty()) {
        t.add(QStringLiteral("1 = 0"));
        return;
    }
    t.add(QStringLiteral("("));
    for (qsizetype i = 0; i < ranges.size(); ++i) {
        t.bind(QStringLiteral("%1%2 >= %3")
                   .arg(i == 0 ? QString() : QStringLiteral(" or "), column, d.dateTimeParameter),
               d.toDb(ranges[i].first.startOfDay()));
        t.bind(QStringLiteral(" and %1 < %2").arg(column, d.dateTimeParameter),
               d.toDb(ranges[i].end.startOfDay()));
    }
    t.add(QStringLiteral(")"));
}

// The purchase dates whose warranty, of any of the lengths, ends within [from, to].
QList<DayRange> warrantyBought(const QList<int>& lengths, const QDate& from, const QDate& to)
{
    QList<DayRange> ranges;
    if (from <= to)
        for (const int months : lengths)
            if (const DayRange r = daysMonthsEarlier(from, to, months); r.first < r.end)
                ranges << r;
    return joined(ranges);
}

void warrantySelect(SqlText& s, const Connection& c, const Facts& facts, const Window& w, const Pick& pick)
{
    const SqlDialect& d = c.dialect();
    s.add(QStringLiteral(
              "select 'warranty' as Kind, r.SourceId, 0 as PlanId, r.SourceId as CustId, "
              "r.CustCode, r.CustName, r.Phone, r.Mobile, '' as Subject, r.DueDate from (select b.*, "
              "%1 as DueDate from (select c.CusttityID as SourceId, %4, %2 as Bought%3, %5 as Months")
              .arg(d.addMonths(QStringLiteral("b.Bought"), QStringLiteral("b.Months")),
                   d.dateOf(QStringLiteral("c.EmptionDate")), markedDue(c, pick), customerColumns(pick),
                   warrantyMonthsExpression(QStringLiteral("c.Goodsunit"))));
    // The purchase dates whose warranty, of any length a model has, can end in the range narrow
    // the rows through the index on the purchase date; the due date is exact.
    const QList<int>& lengths = facts.warrantyMonths;
    drive(
        s, c, QStringLiteral("warranty"), QStringLiteral("T_Cust c"), QStringLiteral("c.CusttityID"), pick,
        [&d, &lengths](SqlText& t, const QDate& from, const QDate& to) {
            inRanges(t, d, QStringLiteral("c.EmptionDate"), warrantyBought(lengths, from, to));
        },
        w);
    s.add(QStringLiteral("%1) b%1) r").arg(kept(c)));
    keepDue(s, c, QStringLiteral("r"), pick, w);
}

void returnCallSelect(SqlText& s, const Connection& c, const ReminderKindSettings& k, const Window& w,
                      const Pick& pick)
{
    const SqlDialect& d = c.dialect();
    const int after = k.callAfterDays;
    s.bind(
        QStringLiteral("select 'call' as Kind, r.SourceId, 0 as PlanId, r.CustId, r.CustCode, r.CustName, "
                       "r.Phone, r.Mobile, r.Subject, r.DueDate from (select s.id as SourceId, %3, %1 as "
                       "DueDate%2")
            .arg(d.addDays(d.dateOf(QStringLiteral("s.serviceDate")), QStringLiteral("cast(? as integer)")),
                 markedDue(c, pick),
                 pick.details ? QStringLiteral("c.CusttityID as CustId, %1, s.hitchName as Subject")
                                    .arg(customerColumns(pick))
                              : QStringLiteral("0 as CustId, %1, '' as Subject").arg(customerColumns(pick))),
        after);
    // A service on day s is called back on s + after: the range of service days is exact. A count
    // only asks whether the customer is there.
    const bool details = pick.details;
    drive(
        s, c, QStringLiteral("call"),
        details ? QStringLiteral("T_service s join T_Cust c on c.IDCode = s.CustCode and c.IDCode <> ''")
                : QStringLiteral("T_service s"),
        QStringLiteral("s.id"), pick,
        [&d, after, details](SqlText& t, const QDate& from, const QDate& to) {
            t.bind(QStringLiteral("s.serviceDate >= %1").arg(d.dateTimeParameter),
                   d.toDb(from.addDays(-after).startOfDay()));
            t.bind(QStringLiteral(" and s.serviceDate < %1").arg(d.dateTimeParameter),
                   d.toDb(to.addDays(1 - after).startOfDay()));
            if (!details)
                t.add(QStringLiteral(
                    " and s.CustCode <> '' and exists (select 1 from T_Cust c where c.IDCode = "
                    "s.CustCode)"));
        },
        w);
    s.add(QStringLiteral("%1) r").arg(kept(c)));
    keepDue(s, c, QStringLiteral("r"), pick, w);
}

// The services of a kind within any of `ranges`, as s: one select for each range.
void servicesWithin(SqlText& s, const SqlDialect& d, const QString& kind, const QList<DayRange>& ranges)
{
    s.add(QStringLiteral("("));
    for (qsizetype i = 0; i < ranges.size(); ++i) {
        s.bind(QStringLiteral("%1select s.CustCode as CustCode, s.hitchName as hitchName, s.serviceDate as "
                              "serviceDate from T_service s where s.hitchName = ? and ")
                   .arg(i == 0 ? QString() : QStringLiteral(" union all ")),
               kind);
        inRange(s, d, QStringLiteral("s.serviceDate"), ranges[i]);
    }
    s.add(QStringLiteral(") s"));
}

// The plan's next date: from the latest of the purchase date, the last service of the plan's
// kind and the last date marked done, every so many months, the first such date on or after the
// window's first day (the dates before it are not told).
// The customers and plans whose next date can fall within [from, to]: the latest of the purchase
// date, the last service of the plan's kind and the last date marked done lies whole months of
// the plan before a day of the range, so one of the three does. Found through the indexes on the
// model and purchase date and on the service kind and date; the marks are few.
void planCandidates(SqlText& s, const SqlDialect& d, const Facts& facts, const QDate& from, const QDate& to)
{
    s.add(QStringLiteral("select st.SourceId as CustId, st.PlanId as PlanId from T_remindstate st where "
                         "st.Kind = 'plan' and st.State = '%1'")
              .arg(kDone));
    // The plan's model and kind are bound as they are kept: the engine then knows which index
    // range each part reads. One select for each range of days: ranges joined by "or" behind the
    // model or the kind would read every entry of the model or kind.
    for (const MaintenancePlan& plan : facts.plans) {
        const QList<DayRange> ranges = daysMonthsBefore(from, to, plan.months, facts.earliest);
        if (ranges.isEmpty())
            continue;
        for (const DayRange& range : ranges) {
            s.bind(QStringLiteral(" union select c.CusttityID, cast(? as integer) from T_Cust c where "
                                  "c.Goodsunit = ? and "),
                   plan.id);
            s.values << plan.model;
            inRange(s, d, QStringLiteral("c.EmptionDate"), range);
        }
        // The services of all ranges joined to the plan's customers at once where the engine hashes
        // them, each range on its own where it looks each customer up.
        const auto services = [&](const QList<DayRange>& within) {
            s.bind(QStringLiteral(" union select c.CusttityID, cast(? as integer) from "), plan.id);
            servicesWithin(s, d, plan.serviceKind, within);
            // Only the last service of the kind counts; named through the customer, it is looked
            // for once the model is right.
            s.bind(QStringLiteral(" join T_Cust c on c.IDCode = s.CustCode where c.Goodsunit = ?"),
                   plan.model);
            s.add(QStringLiteral(" and not exists (select 1 from T_service l where l.CustCode = c.IDCode and "
                                 "l.hitchName = s.hitchName and l.serviceDate > s.serviceDate)"));
        };
        if (d.joinsByHashing)
            services(ranges);
        else
            for (const DayRange& range : ranges)
                services({range});
    }
}

// The next date of a plan, on rows (as b) that give Base, Months and Since: the first date whole
// multiples of the months after Base on or after Since, as DueDate. Opens the levels; the caller
// writes the select of b and closes them with dueLevelsEnd.
QString dueLevels(const SqlDialect& d)
{
    return QStringLiteral(
               "select o.*, case when o.First >= o.Since then o.First else o.Second end as DueDate "
               "from (select n.*, %1 as First, %2 as Second from (select m.*, case when m.Gap <= "
               "0 then 1 else (m.Gap + m.Months - 1) / m.Months end as Steps from (select b.*, "
               "%3 as Gap from (")
        .arg(d.addMonths(QStringLiteral("n.Base"), QStringLiteral("n.Steps * n.Months")),
             d.addMonths(QStringLiteral("n.Base"), QStringLiteral("(n.Steps + 1) * n.Months")),
             d.monthsBetween(QStringLiteral("b.Base"), QStringLiteral("b.Since")));
}

// Each level that names a column of the one below more than once is kept as it is.
QString dueLevelsEnd(const Connection& c)
{
    return QStringLiteral("%1) b where b.Base is not null%1) m%1) n%1) o%1)").arg(kept(c));
}

// The latest of a row's Bought, Serviced and Done dates, null when it has none.
QString latestOfThree(const SqlDialect& d, const QString& alias)
{
    const QString none = QStringLiteral("'0001-01-01'"); // stands for "no date" in the largest of three
    return QStringLiteral(
               "nullif(%1(coalesce(%3.Bought, %2), coalesce(%3.Serviced, %2), coalesce(%3.Done, %2)), "
               "%2)")
        .arg(d.greatestFunction, none, alias);
}

void maintenanceSelect(SqlText& s, const Connection& c, const Window& w, const Pick& pick, const Facts* facts,
                       const std::optional<std::pair<qint64, qint64>>& only = std::nullopt)
{
    const SqlDialect& d = c.dialect();
    const QString latest = latestOfThree(d, QStringLiteral("k"));
    s.add(QStringLiteral("select 'plan' as Kind, q.CustId as SourceId, q.PlanId, q.CustId, q.CustCode, "
                         "q.CustName, q.Phone, q.Mobile, q.Subject, q.DueDate from (%1select k.*, %2 as Base "
                         "from (select c.CusttityID as CustId, c.IDCode as CustCode, c.CustName as CustName, "
                         "c.Phone as Phone, c.Mobile as Mobile, p.id as PlanId, p.hitchName as Subject, "
                         "p.Months as Months, %3 as Bought, ")
              .arg(dueLevels(d), latest, d.dateOf(QStringLiteral("c.EmptionDate"))));
    s.add(QStringLiteral("%1 as Serviced, ")
              .arg(d.dateOf(QStringLiteral("(select max(s.serviceDate) from T_service s where s.CustCode = "
                                           "c.IDCode and s.hitchName = p.hitchName)"))));
    s.add(QStringLiteral("%1 as Done%2, ")
              .arg(d.dateOf(QStringLiteral("(select max(st.DueDate) from T_remindstate st where st.Kind = "
                                           "'plan' and st.SourceId = c.CusttityID and st.PlanId = p.id and "
                                           "st.State = 'done')")),
                   markedDue(c, pick)));
    s.bind(QStringLiteral("%1 as Since").arg(d.dateParameter), d.dateValue(w.first));
    // Every customer of a model with a plan: the next date follows from each one's own records.
    const QString tables = QStringLiteral("T_Cust c join T_plan p on p.Goodsunit = c.Goodsunit");
    if (drivenByMarks(pick)) {
        s.add(QStringLiteral(" from T_remindstate z, %1 where c.CusttityID = z.SourceId and p.id = z.PlanId "
                             "and z.Kind = 'plan' and ")
                  .arg(tables));
        markedWithin(s, d, pick, w);
    } else if (facts) {
        s.add(QStringLiteral(" from ("));
        planCandidates(s, d, *facts, std::max(pick.from, w.first), std::min(pick.to, w.last));
        s.add(
            QStringLiteral(") kc join T_Cust c on c.CusttityID = kc.CustId join T_plan p on p.id = kc.PlanId "
                           "and p.Goodsunit = c.Goodsunit where"));
    } else {
        s.add(QStringLiteral(" from %1 where").arg(tables));
    }
    s.add(QStringLiteral(" p.Months > 0 and c.Goodsunit <> ''"));
    if (only) {
        s.bind(QStringLiteral(" and c.CusttityID = ?"), only->first);
        s.bind(QStringLiteral(" and p.id = ?"), only->second);
    }
    s.add(QStringLiteral("%1) k%2 q").arg(kept(c), dueLevelsEnd(c)));
    keepDue(s, c, QStringLiteral("q"), pick, w);
}

Reminder reminderOf(const Query& q)
{
    Reminder r;
    r.kind = reminderKindOfKey(q.asString(QStringLiteral("Kind"))).value_or(ReminderKind::CustomerDate);
    r.sourceId = q.value(QStringLiteral("SourceId")).toLongLong();
    r.planId = q.value(QStringLiteral("PlanId")).toLongLong();
    r.customerId = q.value(QStringLiteral("CustId")).toLongLong();
    r.customerCode = q.asString(QStringLiteral("CustCode"));
    r.customerName = q.asString(QStringLiteral("CustName"));
    r.phone = q.asString(QStringLiteral("Phone"));
    r.mobile = q.asString(QStringLiteral("Mobile"));
    r.subject = q.asString(QStringLiteral("Subject"));
    r.dueDate = q.asDateTime(QStringLiteral("DueDate")).date();
    const QString state = q.asString(QStringLiteral("State"));
    r.markedBy = q.asString(QStringLiteral("ByUser"));
    r.markedAt = q.asDateTime(QStringLiteral("AtTime"));
    if (state == kSnoozed)
        r.snoozedUntil = q.asDateTime(QStringLiteral("SnoozeUntil")).date();
    return r;
}

ReminderState stateOf(const Reminder& r, const QString& stored, const QDate& today)
{
    if (stored == kDone)
        return ReminderState::Done;
    if (stored == kSnoozed && r.snoozedUntil > today)
        return ReminderState::Snoozed;
    return r.shownDate() < today ? ReminderState::Overdue : ReminderState::Due;
}

int atLeastOne(int days)
{
    return days < 1 ? 1 : days;
}

} // namespace

bool ReminderKindSettings::isOn(ReminderKind kind) const
{
    switch (kind) {
    case ReminderKind::CustomerDate:
        return customerDate;
    case ReminderKind::Maintenance:
        return maintenance;
    case ReminderKind::ReturnCall:
        return returnCall;
    case ReminderKind::WarrantyEnd:
        return warrantyEnd;
    }
    Q_UNREACHABLE();
}

QDate ReminderKindSettings::since(ReminderKind kind) const
{
    switch (kind) {
    case ReminderKind::CustomerDate:
        return customerDateSince;
    case ReminderKind::Maintenance:
        return maintenanceSince;
    case ReminderKind::ReturnCall:
        return returnCallSince;
    case ReminderKind::WarrantyEnd:
        return warrantyEndSince;
    }
    Q_UNREACHABLE();
}

int ReminderKindSettings::horizon(ReminderKind kind) const
{
    return atLeastOne(kind == ReminderKind::WarrantyEnd ? warrantyDays : horizonDays);
}

ReminderKindSettings readReminderKindSettings(Query& query)
{
    query.open(QStringLiteral("select * from T_remind order by id"));
    ReminderKindSettings s;
    if (!query.eof()) {
        // A switch or count the settings row does not hold keeps its default.
        const auto flag = [&query](const char* column, bool fallback) {
            const QVariant v = query.value(QLatin1String(column));
            return v.isNull() ? fallback : v.toInt() != 0;
        };
        const auto number = [&query](const char* column, int fallback) {
            const QVariant v = query.value(QLatin1String(column));
            return v.isNull() ? fallback : v.toInt();
        };
        const auto date = [&query](const char* column) {
            return query.asDateTime(QLatin1String(column)).date();
        };
        s.customerDate = flag("RemindOn", s.customerDate);
        s.maintenance = flag("PlanOn", s.maintenance);
        s.returnCall = flag("CallOn", s.returnCall);
        s.warrantyEnd = flag("WarrantyOn", s.warrantyEnd);
        s.horizonDays = number("Day", s.horizonDays);
        s.callAfterDays = number("CallDays", s.callAfterDays);
        s.warrantyDays = number("WarrantyDays", s.warrantyDays);
        s.overdueDays = number("OverdueDays", s.overdueDays);
        s.customerDateSince = date("RemindSince");
        s.maintenanceSince = date("PlanSince");
        s.returnCallSince = date("CallSince");
        s.warrantyEndSince = date("WarrantySince");
    }
    query.close();
    return s;
}

void storeReminderKindSettings(Query& query, ReminderKindSettings s, const QDate& today)
{
    const ReminderKindSettings before = readReminderKindSettings(query);
    const auto since = [&](ReminderKind kind) {
        const QDate kept = before.since(kind);
        return (before.isOn(kind) || !s.isOn(kind)) && kept.isValid() ? kept : today;
    };
    const SqlDialect& d = query.connection().dialect();
    const int changed = query.exec(
        QStringLiteral("update T_remind set RemindOn = ?, PlanOn = ?, CallOn = ?, WarrantyOn = ?, %1 = ?, "
                       "CallDays = ?, WarrantyDays = ?, OverdueDays = ?, RemindSince = ?, PlanSince = ?, "
                       "CallSince = ?, WarrantySince = ? where %2 = 1")
            .arg(d.quote(QStringLiteral("Day")), d.quote(QStringLiteral("id"))),
        {int(s.customerDate), int(s.maintenance), int(s.returnCall), int(s.warrantyEnd),
         atLeastOne(s.horizonDays), atLeastOne(s.callAfterDays), atLeastOne(s.warrantyDays),
         atLeastOne(s.overdueDays), d.toDb(since(ReminderKind::CustomerDate).startOfDay()),
         d.toDb(since(ReminderKind::Maintenance).startOfDay()),
         d.toDb(since(ReminderKind::ReturnCall).startOfDay()),
         d.toDb(since(ReminderKind::WarrantyEnd).startOfDay())});
    if (changed != 1)
        throw CommandError(QStringLiteral("没有找到提醒设置，设置没有保存"));
}

int ReminderCounts::of(ReminderFilter filter) const
{
    switch (filter) {
    case ReminderFilter::Today:
        return today;
    case ReminderFilter::Overdue:
        return overdue;
    case ReminderFilter::ThisWeek:
        return thisWeek;
    case ReminderFilter::All:
        return all;
    }
    Q_UNREACHABLE();
}

QString reminderStateCaption(ReminderState state)
{
    switch (state) {
    case ReminderState::Due:
        return QStringLiteral("待办");
    case ReminderState::Overdue:
        return QStringLiteral("逾期");
    case ReminderState::Done:
        return QStringLiteral("已完成");
    case ReminderState::Snoozed:
        return QStringLiteral("已推迟");
    }
    Q_UNREACHABLE();
}

ReminderCentre::ReminderCentre(Connection& connection, const QDate& today)
    : m_connection(connection), m_today(today)
{
    Query q(connection);
    m_settings = readReminderKindSettings(q);
    // Without a day a kind was switched on, nothing before today is overdue.
    for (QDate* since : {&m_settings.customerDateSince, &m_settings.maintenanceSince,
                         &m_settings.returnCallSince, &m_settings.warrantyEndSince})
        if (!since->isValid())
            *since = today;
}

QDate ReminderKindSettings::firstDay(ReminderKind kind, const QDate& today) const
{
    return std::max(since(kind), today.addDays(-atLeastOne(overdueDays)));
}

namespace {

const QDate kEarliest(1900, 1, 1);
const QDate kLatest(9999, 12, 31);

// The picks of a filter: the reminders due on its days, and those put off to its days.
QList<Pick> picksOf(ReminderFilter filter, const QDate& today)
{
    const auto both = [](const QDate& from, const QDate& to) {
        return QList<Pick>{dueIn(from, to),
                           {.from = from, .to = to, .snoozed = true, .snoozedFrom = from, .snoozedTo = to}};
    };
    switch (filter) {
    case ReminderFilter::Today:
        return both(today, today);
    case ReminderFilter::Overdue:
        return both(kEarliest, today.addDays(-1));
    case ReminderFilter::ThisWeek: {
        const QDate monday = today.addDays(1 - today.dayOfWeek());
        return both(monday, monday.addDays(6));
    }
    case ReminderFilter::All:
        break;
    }
    return {dueIn(kEarliest, kLatest)};
}

} // namespace

// Every kind switched on, the reminders of the picks, each with its mark: the select list
// `select` over them as x.
Facts readFacts(Connection& connection, const ReminderKindSettings& settings)
{
    Facts facts;
    Query q(connection);
    if (settings.maintenance) {
        facts.plans = readMaintenancePlans(q);
        for (const char* earliest : {"select min(EmptionDate) as Earliest from T_Cust",
                                     "select min(serviceDate) as Earliest from T_service"}) {
            q.open(QLatin1String(earliest));
            const QDate day = q.asDateTime(QStringLiteral("Earliest")).date();
            if (day.isValid() && (!facts.earliest.isValid() || day < facts.earliest))
                facts.earliest = day;
        }
        q.close();
    }
    if (settings.warrantyEnd) {
        const WarrantyTerms terms = WarrantyTerms::load(connection);
        facts.warrantyMonths << terms.defaultMonths();
        for (const WarrantyTerms::ModelMonths& m : terms.listed())
            if (!facts.warrantyMonths.contains(m.months))
                facts.warrantyMonths << m.months;
    }
    return facts;
}

Window windowOf(const ReminderKindSettings& settings, ReminderKind kind, const QDate& today)
{
    return Window{.first = settings.firstDay(kind, today), .last = today.addDays(settings.horizon(kind))};
}

Statement remindersOf(Connection& connection, const ReminderKindSettings& settings, const Facts& facts,
                      const QDate& today, const QList<Pick>& picks, const QString& select)
{
    const SqlDialect& d = connection.dialect();
    SqlText s;
    const auto window = [&](ReminderKind kind) { return windowOf(settings, kind, today); };
    for (const Pick& pick : picks) {
        const auto branch = [&](ReminderKind kind, auto build) {
            if (!settings.isOn(kind))
                return;
            if (!s.text.isEmpty())
                s.add(QStringLiteral(" union all "));
            build(window(kind));
        };
        branch(ReminderKind::CustomerDate,
               [&](const Window& w) { customerDateSelect(s, connection, settings, w, pick); });
        branch(ReminderKind::Maintenance,
               [&](const Window& w) { maintenanceSelect(s, connection, w, pick, &facts); });
        branch(ReminderKind::ReturnCall,
               [&](const Window& w) { returnCallSelect(s, connection, settings, w, pick); });
        branch(ReminderKind::WarrantyEnd,
               [&](const Window& w) { warrantySelect(s, connection, facts, w, pick); });
    }
    if (s.text.isEmpty()) // every kind switched off
        s.add(QStringLiteral(
                  "select %1 from (select '' as Kind, 0 as SourceId, 0 as PlanId, 0 as CustId, '' as "
                  "CustCode, '' as CustName, '' as Phone, '' as Mobile, '' as Subject, %2 as DueDate) "
                  "e where 1 = 0")
                  .arg(kColumns, d.dateOf(QStringLiteral("null"))));
    // The shown date: the day it was put off to, otherwise the day it is due.
    const QString shown = QStringLiteral("case when st.State = '%1' then %2 else r.DueDate end")
                              .arg(kSnoozed, d.dateOf(QStringLiteral("st.SnoozeUntil")));
    return {
        .sql = QStringLiteral("select %1 from (select r.*, st.State as State, st.SnoozeUntil as SnoozeUntil, "
                              "st.ByUser as ByUser, st.AtTime as AtTime, %2 as Shown from (%3) r left join "
                              "T_remindstate st on st.Kind = r.Kind and st.SourceId = r.SourceId and "
                              "st.PlanId = r.PlanId and %4 = r.DueDate%5) x")
                   .arg(select, shown, s.text, d.dateOf(QStringLiteral("st.DueDate")), kept(connection)),
        .bindValues = s.values};
}

namespace {

// The condition of a filter on the reminders' select, and its values.
struct FilterCondition
{
    QString text;
    QVariantList values;
};

FilterCondition filterCondition(const SqlDialect& d, ReminderFilter filter, const QDate& today)
{
    const QString p = d.dateParameter;
    const QString open = QStringLiteral("(x.State is null or x.State <> '%1')").arg(kDone);
    switch (filter) {
    case ReminderFilter::Today:
        return {QStringLiteral("%1 and x.Shown = %2").arg(open, p), {d.dateValue(today)}};
    case ReminderFilter::Overdue:
        return {QStringLiteral("%1 and x.Shown < %2").arg(open, p), {d.dateValue(today)}};
    case ReminderFilter::ThisWeek: {
        const QDate monday = today.addDays(1 - today.dayOfWeek());
        return {QStringLiteral("%1 and x.Shown >= %2 and x.Shown <= %2").arg(open, p),
                {d.dateValue(monday), d.dateValue(monday.addDays(6))}};
    }
    case ReminderFilter::All:
        return {};
    }
    Q_UNREACHABLE();
}

} // namespace

namespace {

// The rows of a kind's count, Due and N, kept to the kind's window.
void dueWithin(SqlText& s, const Connection& c, const Window& w, const std::function<void(SqlText&)>& counted)
{
    const SqlDialect& d = c.dialect();
    s.add(QStringLiteral("select u.Due as Due, u.N as N from ("));
    counted(s);
    s.bind(QStringLiteral("%1) u where u.Due >= %2").arg(kept(c), d.dateParameter), d.dateValue(w.first));
    s.bind(QStringLiteral(" and u.Due <= %1").arg(d.dateParameter), d.dateValue(w.last));
}

// The day after a date and time column's day, for "later than that day".
QString dayAfter(const SqlDialect& d, const QString& column)
{
    return d.addDays(d.dateOf(column), QStringLiteral("1"));
}

void customerDateCounts(SqlText& s, const Connection& c, const Window& w)
{
    const SqlDialect& d = c.dialect();
    const QString day = d.dateOf(QStringLiteral("c.remind"));
    dueWithin(s, c, w, [&](SqlText& t) {
        t.add(QStringLiteral("select %1 as Due, count(*) as N from T_Cust c where ").arg(day));
        t.bind(QStringLiteral("c.remind >= %1").arg(d.dateTimeParameter), d.toDb(w.first.startOfDay()));
        t.bind(QStringLiteral(" and c.remind < %1").arg(d.dateTimeParameter),
               d.toDb(w.last.addDays(1).startOfDay()));
        t.bind(QStringLiteral(" and c.remind <= %1").arg(d.dateTimeParameter), d.toDb(w.last.startOfDay()));
        t.add(QStringLiteral(" group by %1").arg(day));
    });
}

// Services grouped first by their stored time, in the order of the index on the date, then by
// day; the day of the call once for each day. The customer's code is unique, so the join only
// asks whether the customer is there.
void returnCallCounts(SqlText& s, const Connection& c, int after, const Window& w)
{
    const SqlDialect& d = c.dialect();
    const auto within = [&](SqlText& t) {
        t.bind(QStringLiteral("s.serviceDate >= %1").arg(d.dateTimeParameter),
               d.toDb(w.first.addDays(-after).startOfDay()));
        t.bind(QStringLiteral(" and s.serviceDate < %1").arg(d.dateTimeParameter),
               d.toDb(w.last.addDays(1 - after).startOfDay()));
    };
    dueWithin(s, c, w, [&](SqlText& t) {
        if (d.joinsByHashing) {
            // Sorted by code first, the services are merged with the index of customer codes
            // instead of every customer being hashed.
            t.bind(QStringLiteral(
                       "select %1 as Due, g.N as N from (select %2 as Day, count(*) as N from (select "
                       "s.serviceDate as At, s.CustCode as CustCode from T_service s where ")
                       .arg(d.addDays(QStringLiteral("g.Day"), d.integerParameter),
                            d.dateOf(QStringLiteral("a.At"))),
                   after);
            within(t);
            t.add(QStringLiteral(
                      " and s.CustCode <> '' order by s.CustCode%1) a where exists (select 1 from T_Cust "
                      "c where c.IDCode = a.CustCode) group by %2%1) g")
                      .arg(kept(c), d.dateOf(QStringLiteral("a.At"))));
            return;
        }
        t.bind(
            QStringLiteral("select %1 as Due, g.N as N from (select %2 as Day, sum(a.N) as N from (select "
                           "s.serviceDate as At, count(*) as N from T_service s join T_Cust c on c.IDCode = "
                           "s.CustCode and c.IDCode <> '' where ")
                .arg(d.addDays(QStringLiteral("g.Day"), d.integerParameter),
                     d.dateOf(QStringLiteral("a.At"))),
            after);
        within(t);
        t.add(QStringLiteral(" group by s.serviceDate) a group by %1%2) g")
                  .arg(d.dateOf(QStringLiteral("a.At")), kept(c)));
    });
}

// Customers grouped by purchase date and model; the months of each model and the end of each
// day's warranty once for each group.
void warrantyCounts(SqlText& s, const Connection& c, const Facts& facts, const Window& w)
{
    const SqlDialect& d = c.dialect();
    const QList<DayRange> ranges = warrantyBought(facts.warrantyMonths, w.first, w.last);
    dueWithin(s, c, w, [&](SqlText& t) {
        t.add(
            QStringLiteral("select %1 as Due, g.N as N from (select %2 as Day, %3 as Months, b.N as N from (")
                .arg(d.addMonths(QStringLiteral("g.Day"), QStringLiteral("g.Months")),
                     d.dateOf(QStringLiteral("b.Bought")),
                     warrantyMonthsExpression(QStringLiteral("b.Goodsunit"))));
        if (ranges.isEmpty())
            t.add(QStringLiteral("select c.EmptionDate as Bought, c.Goodsunit as Goodsunit, 0 as N from "
                                 "T_Cust c where 1 = 0"));
        for (qsizetype i = 0; i < ranges.size(); ++i) {
            t.add(QStringLiteral("%1select c.EmptionDate as Bought, c.Goodsunit as Goodsunit, count(*) as N "
                                 "from T_Cust c where ")
                      .arg(i == 0 ? QString() : QStringLiteral(" union all ")));
            inRange(t, d, QStringLiteral("c.EmptionDate"), ranges[i]);
            t.add(QStringLiteral(" group by c.EmptionDate, c.Goodsunit"));
        }
        t.add(QStringLiteral(") b%1) g").arg(kept(c)));
    });
}

// A plan's reminders by the day its months count from, for an engine that joins by hashing: every
// customer of the plan's model with the last service of the kind (grouped in the order of the
// index of kinds and customers' codes) and the last date marked done, joined in one pass each,
// grouped by the latest of the three. Customers' codes are unique, so each customer comes once.
void planCountsByCustomer(SqlText& s, const Connection& c, const MaintenancePlan& plan, const Window& w)
{
    const SqlDialect& d = c.dialect();
    dueWithin(s, c, w, [&](SqlText& t) {
        t.add(QStringLiteral("select q.DueDate as Due, q.N as N from (%1select k.*, k.Day as Base, ")
                  .arg(dueLevels(d)));
        t.bind(QStringLiteral("%1 as Months, ").arg(d.integerParameter), plan.months);
        t.bind(QStringLiteral(
                   "%1 as Since from (select %2 as Day, count(*) as N from (select %3 as Bought, %4 as "
                   "Serviced, l.Done as Done from T_Cust c left join (select s.CustCode as CustCode, "
                   "max(s.serviceDate) as Last from T_service s where s.hitchName = ? group by "
                   "s.CustCode) s on s.CustCode = c.IDCode ")
                   .arg(d.dateParameter, latestOfThree(d, QStringLiteral("a")),
                        d.dateOf(QStringLiteral("c.EmptionDate")), d.dateOf(QStringLiteral("s.Last"))),
               d.dateValue(w.first));
        t.values << plan.serviceKind;
        t.bind(
            QStringLiteral("left join (select st.SourceId, %1 as Done from T_remindstate st where st.Kind = "
                           "'plan' and st.PlanId = %2 and st.State = '%3' group by st.SourceId) l on "
                           "l.SourceId = c.CusttityID where c.Goodsunit = ?) a group by %4%5) k%6 q")
                .arg(d.dateOf(QStringLiteral("max(st.DueDate)")), d.integerParameter, kDone,
                     latestOfThree(d, QStringLiteral("a")), kept(c), dueLevelsEnd(c)),
            plan.id);
        t.values << plan.model;
    });
}

// A plan's reminders by the day its months count from, the latest of the purchase date, the last
// service of the plan's kind and the last date marked done. Each customer is counted under the one
// of the three that is latest (on a tie the purchase, then the service): the purchases of the
// plan's model, the services of its kind and the done marks, each within the days whole months
// before the window, and each without a later one of the others. The next date once for each day.
void planCounts(SqlText& s, const Connection& c, const MaintenancePlan& plan, const Facts& facts,
                const Window& w)
{
    const SqlDialect& d = c.dialect();
    const QList<DayRange> ranges = daysMonthsBefore(w.first, w.last, plan.months, facts.earliest);
    if (ranges.isEmpty() || plan.model.isEmpty())
        return;
    const QString bought = d.dateOf(QStringLiteral("c.EmptionDate"));
    const QString serviced = d.dateOf(QStringLiteral("s.serviceDate"));
    const QString done = d.dateOf(QStringLiteral("st.DueDate"));
    const auto noLaterDone = [&](SqlText& t, const QString& source, const QString& after) {
        t.bind(QStringLiteral(" and not exists (select 1 from T_remindstate l where l.Kind = 'plan' and "
                              "l.SourceId = %1 and l.PlanId = %2 and l.State = '%3' and l.DueDate >= %4)")
                   .arg(source, d.integerParameter, kDone, after),
               plan.id);
    };
    if (d.joinsByHashing) {
        planCountsByCustomer(s, c, plan, w);
        return;
    }
    dueWithin(s, c, w, [&](SqlText& t) {
        t.add(QStringLiteral("select q.DueDate as Due, q.N as N from (%1select k.*, k.Day as Base, ")
                  .arg(dueLevels(d)));
        t.bind(QStringLiteral("%1 as Months, ").arg(d.integerParameter), plan.months);
        t.bind(QStringLiteral("%1 as Since from (select t.Day, sum(t.N) as N from (").arg(d.dateParameter),
               d.dateValue(w.first));
        for (qsizetype i = 0; i < ranges.size(); ++i) {
            t.add(QStringLiteral("%1select %2 as Day, count(*) as N from T_Cust c where ")
                      .arg(i == 0 ? QString() : QStringLiteral(" union all "), bought));
            t.bind(QStringLiteral("c.Goodsunit = ? and "), plan.model);
            inRange(t, d, QStringLiteral("c.EmptionDate"), ranges[i]);
            t.bind(
                QStringLiteral(" and not exists (select 1 from T_service l where l.CustCode = c.IDCode and "
                               "l.hitchName = ? and l.serviceDate >= %1)")
                    .arg(dayAfter(d, QStringLiteral("c.EmptionDate"))),
                plan.serviceKind);
            noLaterDone(t, QStringLiteral("c.CusttityID"), dayAfter(d, QStringLiteral("c.EmptionDate")));
            t.add(QStringLiteral(" group by c.EmptionDate"));
        }
        // Each range joined on its own: the engine looks each service's customer up in an index.
        for (const DayRange& range : ranges) {
            t.add(QStringLiteral(" union all select %1 as Day, count(distinct c.CusttityID) as N from ")
                      .arg(serviced));
            servicesWithin(t, d, plan.serviceKind, {range});
            t.bind(QStringLiteral(
                       " join T_Cust c on c.IDCode = s.CustCode where c.Goodsunit = ? and (%1 is null "
                       "or s.serviceDate >= %2)")
                       .arg(bought, dayAfter(d, QStringLiteral("c.EmptionDate"))),
                   plan.model);
            // Named through the customer, the later service is looked for once the model is right.
            t.bind(
                QStringLiteral(" and not exists (select 1 from T_service l where l.CustCode = c.IDCode and "
                               "l.hitchName = ? and l.serviceDate >= %1)")
                    .arg(dayAfter(d, QStringLiteral("s.serviceDate"))),
                plan.serviceKind);
            noLaterDone(t, QStringLiteral("c.CusttityID"), dayAfter(d, QStringLiteral("s.serviceDate")));
            t.add(QStringLiteral(" group by %1").arg(serviced));
        }
        t.bind(QStringLiteral(
                   " union all select %1 as Day, count(distinct c.CusttityID) as N from T_remindstate st "
                   "join T_Cust c on c.CusttityID = st.SourceId where st.Kind = 'plan' and st.PlanId = %2 "
                   "and st.State = '%3' and ")
                   .arg(done, d.integerParameter, kDone),
               plan.id);
        inRange(t, d, QStringLiteral("st.DueDate"),
                {.first = ranges.first().first, .end = ranges.last().end});
        t.bind(QStringLiteral(" and c.Goodsunit = ? and (%1 is null or st.DueDate >= %2)")
                   .arg(bought, dayAfter(d, QStringLiteral("c.EmptionDate"))),
               plan.model);
        noLaterDone(t, QStringLiteral("st.SourceId"), dayAfter(d, QStringLiteral("st.DueDate")));
        t.bind(QStringLiteral(" and not exists (select 1 from T_service s where s.CustCode = c.IDCode and "
                              "s.hitchName = ? and s.serviceDate >= %1)")
                   .arg(done),
               plan.serviceKind);
        t.add(QStringLiteral(" group by %1) t group by t.Day%2) k%3 q").arg(done, kept(c), dueLevelsEnd(c)));
    });
}

// The reads of one look at the reminders, in a transaction of their own where the engine is told
// to read them without parallel workers: starting them took longer than the reads of today's list
// on a server of two processors. Within a transaction already begun, the reads run in it as they are.
class SerialReads final
{
public:
    explicit SerialReads(Connection& connection)
    {
        const QString& setting = connection.dialect().serialReadStatement;
        if (setting.isEmpty() || connection.inTransaction())
            return;
        m_transaction.emplace(connection);
        Query(connection).exec(setting);
    }
    void done()
    {
        if (m_transaction)
            m_transaction->commit();
    }

private:
    std::optional<TransactionGuard> m_transaction;
};

// How many reminders each day is due, from the records alone, every kind switched on.
Statement dueCounts(const Connection& connection, const ReminderKindSettings& settings, const Facts& facts,
                    const QDate& today)
{
    SqlText s;
    const auto next = [&s] {
        if (!s.text.isEmpty())
            s.add(QStringLiteral(" union all "));
    };
    if (settings.customerDate) {
        next();
        customerDateCounts(s, connection, windowOf(settings, ReminderKind::CustomerDate, today));
    }
    if (settings.maintenance)
        for (const MaintenancePlan& plan : facts.plans) {
            if (plan.months < 1)
                continue;
            SqlText one;
            planCounts(one, connection, plan, facts, windowOf(settings, ReminderKind::Maintenance, today));
            if (one.text.isEmpty())
                continue;
            next();
            s.add(one.text);
            s.values += one.values;
        }
    if (settings.returnCall) {
        next();
        returnCallCounts(s, connection, settings.callAfterDays,
                         windowOf(settings, ReminderKind::ReturnCall, today));
    }
    if (settings.warrantyEnd) {
        next();
        warrantyCounts(s, connection, facts, windowOf(settings, ReminderKind::WarrantyEnd, today));
    }
    if (s.text.isEmpty())
        return {};
    return {.sql =
                QStringLiteral("select v.Due as Due, sum(v.N) as N from (%1) v group by v.Due").arg(s.text),
            .bindValues = s.values};
}

} // namespace

ReminderCounts ReminderCentre::counts() const
{
    // The reminders of each day counted from the records alone, a few rows; then each mark due
    // within the window moves its reminder, if it is still due on the marked date, to the day it
    // shows under and among the done ones. Summed here for each filter.
    const Facts facts = readFacts(m_connection, m_settings);
    QMap<QDate, int> open;
    QMap<QDate, int> done;
    const Statement due = dueCounts(m_connection, m_settings, facts, m_today);
    if (due.sql.isEmpty())
        return {};
    SerialReads reads(m_connection);
    Query q(m_connection);
    for (q.open(due.sql, due.bindValues); !q.eof(); q.next())
        open[q.asDateTime(QStringLiteral("Due")).date()] += q.value(QStringLiteral("N")).toInt();
    Pick marked = dueIn(kEarliest, kLatest);
    marked.details = false;
    marked.marked = true;
    Statement st = remindersOf(
        m_connection, m_settings, facts, m_today, {marked},
        QStringLiteral("x.DueDate as Due, x.Shown as Shown, case when x.State = '%1' then 1 else 0 end as "
                       "Done, count(*) as N")
            .arg(kDone));
    st.sql +=
        QStringLiteral(" group by x.DueDate, x.Shown, case when x.State = '%1' then 1 else 0 end").arg(kDone);
    for (q.open(st.sql, st.bindValues); !q.eof(); q.next()) {
        const int n = q.value(QStringLiteral("N")).toInt();
        open[q.asDateTime(QStringLiteral("Due")).date()] -= n;
        (q.value(QStringLiteral("Done")).toInt() != 0 ? done
                                                      : open)[q.asDateTime(QStringLiteral("Shown")).date()] +=
            n;
    }
    q.close();
    reads.done();
    ReminderCounts out;
    for (const int n : done)
        out.all += n;
    const QDate monday = m_today.addDays(1 - m_today.dayOfWeek());
    for (auto it = open.cbegin(); it != open.cend(); ++it) {
        const QDate shown = it.key();
        const int n = it.value();
        out.all += n;
        out.today += shown == m_today ? n : 0;
        out.overdue += shown < m_today ? n : 0;
        out.thisWeek += shown >= monday && shown <= monday.addDays(6) ? n : 0;
    }
    return out;
}

QList<Reminder> ReminderCentre::list(ReminderFilter filter, int offset, int limit) const
{
    const FilterCondition c = filterCondition(m_connection.dialect(), filter, m_today);
    Statement st = remindersOf(m_connection, m_settings, readFacts(m_connection, m_settings), m_today,
                               picksOf(filter, m_today), QStringLiteral("x.*"));
    if (!c.text.isEmpty())
        st.sql += QStringLiteral(" where ") + c.text;
    st.bindValues += c.values;
    st.sql += QStringLiteral(" order by x.Shown, x.Kind, x.CustName, x.SourceId, x.PlanId");
    if (limit >= 0) {
        st.sql += QStringLiteral(" limit ? offset ?");
        st.bindValues << limit << offset;
    }
    SerialReads reads(m_connection);
    Query q(m_connection);
    QList<Reminder> out;
    for (q.open(st.sql, st.bindValues); !q.eof(); q.next()) {
        Reminder r = reminderOf(q);
        r.state = stateOf(r, q.asString(QStringLiteral("State")), m_today);
        out << r;
    }
    q.close();
    reads.done();
    return out;
}

QDate ReminderCentre::nextMaintenance(qint64 customerId, qint64 planId) const
{
    SqlText s;
    maintenanceSelect(s, m_connection,
                      {.first = m_settings.firstDay(ReminderKind::Maintenance, m_today), .last = kLatest},
                      dueIn(kEarliest, kLatest), nullptr, std::pair{customerId, planId});
    Query q(m_connection);
    q.open(s.text, s.values);
    return q.eof() ? QDate() : q.asDateTime(QStringLiteral("DueDate")).date();
}

void ReminderCentre::markDone(const Reminder& reminder, const QString& user)
{
    mark(reminder, kDone, {}, user);
}

void ReminderCentre::snooze(const Reminder& reminder, const QDate& until, const QString& user)
{
    if (!until.isValid() || until <= m_today)
        throw CommandError(QStringLiteral("推迟到的日期必须晚于今天"));
    mark(reminder, kSnoozed, until, user);
}

namespace {

const QString kChanged = QStringLiteral("这条提醒已被其他人处理过，请刷新后再试");

// The mark of one reminder: its kind, source record, plan and due date.
Statement markKey(const SqlDialect& d, const Reminder& reminder)
{
    return {.sql = QStringLiteral("Kind = ? and SourceId = ? and PlanId = ? and %1 = %2")
                       .arg(d.dateOf(QStringLiteral("DueDate")), d.dateParameter),
            .bindValues = {reminderKindKey(reminder.kind), reminder.sourceId, reminder.planId,
                           d.dateValue(reminder.dueDate)}};
}

} // namespace

void ReminderCentre::reopen(const Reminder& reminder)
{
    if (reminder.state != ReminderState::Done)
        throw CommandError(QStringLiteral("只有已完成的提醒可以重新打开"));
    const Statement key = markKey(m_connection.dialect(), reminder);
    Query q(m_connection);
    if (q.exec(QStringLiteral("delete from T_remindstate where %1 and State = ?").arg(key.sql),
               key.bindValues + QVariantList{kDone}) != 1)
        throw CommandError(kChanged);
}

void ReminderCentre::mark(const Reminder& reminder, const QString& state, const QDate& until,
                          const QString& user)
{
    const SqlDialect& d = m_connection.dialect();
    const QString changed = kChanged;
    const Statement markedKey = markKey(d, reminder);
    const QString& key = markedKey.sql;
    const QVariantList& keyValues = markedKey.bindValues;
    TransactionGuard tx(m_connection);
    Query q(m_connection);
    // The mark it had when read must still be there: nobody else changed it meanwhile.
    const bool hadMark = reminder.state == ReminderState::Done || reminder.snoozedUntil.isValid();
    if (hadMark) {
        const QString readState = reminder.state == ReminderState::Done ? kDone : kSnoozed;
        if (q.exec(QStringLiteral("delete from T_remindstate where %1 and State = ?").arg(key),
                   keyValues + QVariantList{readState}) != 1)
            throw CommandError(changed);
    } else {
        q.open(QStringLiteral("select count(*) from T_remindstate where %1").arg(key), keyValues);
        const bool markedMeanwhile = q.value(0).toInt() > 0;
        q.close();
        if (markedMeanwhile)
            throw CommandError(changed);
    }
    int inserted = 0;
    try {
        inserted =
            q.exec(QStringLiteral("insert into T_remindstate (Kind, SourceId, PlanId, DueDate, State, "
                                  "SnoozeUntil, ByUser, AtTime) values (?, ?, ?, ?, ?, ?, ?, ?)"),
                   {reminderKindKey(reminder.kind), reminder.sourceId, reminder.planId,
                    d.toDb(reminder.dueDate.startOfDay()), state,
                    until.isValid() ? d.toDb(until.startOfDay()) : QVariant(QMetaType::fromType<QString>()),
                    user, d.toDb(QDateTime::currentDateTime())});
    } catch (const DbError&) {
        throw CommandError(changed); // another workstation marked it at the same moment
    }
    if (inserted != 1)
        throw CommandError(changed);
    tx.commit();
}

QList<MaintenancePlan> readMaintenancePlans(Query& query)
{
    QList<MaintenancePlan> plans;
    for (query.open(QStringLiteral("select * from T_plan order by Goodsunit, hitchName, id")); !query.eof();
         query.next())
        plans << MaintenancePlan{.id = query.value(QStringLiteral("id")).toLongLong(),
                                 .model = query.asString(QStringLiteral("Goodsunit")),
                                 .serviceKind = query.asString(QStringLiteral("hitchName")),
                                 .months = query.asInteger(QStringLiteral("Months"))};
    query.close();
    return plans;
}

qint64 addMaintenancePlan(Query& query, const MaintenancePlan& plan)
{
    if (plan.model.trimmed().isEmpty() || plan.serviceKind.trimmed().isEmpty())
        throw CommandError(QStringLiteral("保养计划需要型号和保养项目"));
    if (plan.months < 1)
        throw CommandError(QStringLiteral("保养间隔至少为1个月"));
    query.open(
        QStringLiteral("insert into T_plan (Goodsunit, hitchName, Months) values (?, ?, ?) returning id"),
        {plan.model.trimmed(), plan.serviceKind.trimmed(), plan.months});
    const qint64 id = query.value(0).toLongLong();
    query.close();
    if (id <= 0)
        throw CommandError(QStringLiteral("保养计划没有保存"));
    return id;
}

void removeMaintenancePlan(Query& query, qint64 id)
{
    if (query.exec(QStringLiteral("delete from T_plan where id = ?"), {id}) != 1)
        throw CommandError(QStringLiteral("这个保养计划已不存在，可能已被其他人删除"));
}

const QList<ReminderKind>& allReminderKinds()
{
    static const QList<ReminderKind> kinds{ReminderKind::CustomerDate, ReminderKind::Maintenance,
                                           ReminderKind::ReturnCall, ReminderKind::WarrantyEnd};
    return kinds;
}

QString reminderKindKey(ReminderKind kind)
{
    return QString::fromLatin1(nameOf(kind).key);
}

std::optional<ReminderKind> reminderKindOfKey(const QString& key)
{
    for (const KindName& n : kKindNames)
        if (key == QLatin1String(n.key))
            return n.kind;
    return std::nullopt;
}

QString reminderKindCaption(ReminderKind kind)
{
    return QString::fromUtf8(nameOf(kind).caption);
}

} // namespace zu
