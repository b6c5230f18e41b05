#include "repeatvisits.h"

#include "connection.h"
#include "query.h"
#include "sqldialect.h"

namespace zu {

namespace {

// The server's locks on units: the first key keeps them apart from any other lock, the second
// is one of 256 groups of body codes (by their hash), so that a transaction writing many services
// (deleting a customer, clearing the records) holds no more than that many locks.
constexpr int kUnitLockClass = 1;
constexpr int kUnitLockGroups = 256;

// Whether the service `row` (a name of T_service in an outer statement) is a repeat visit: an
// earlier service of its body code 1 to 30 calendar days before its day. Read through the index
// of body code and day (ix_service_goodscode).
QString repeatCondition(const SqlDialect& d, const QString& row)
{
    const QString days = QString::number(kRepeatVisitDays);
    if (d.kind == DatabaseKind::Embedded)
        // Dates are stored as "yyyy-MM-dd HH:mm:ss": a day's text sorts before all its times.
        return QStringLiteral(
                   "trim(%1.GoodsCode) <> '' and exists (select 1 from T_service p where "
                   "p.GoodsCode = %1.GoodsCode and p.serviceDate >= date(%1.serviceDate, '-%2 days') "
                   "and p.serviceDate < date(%1.serviceDate) and date(p.serviceDate) is not null)")
            .arg(row, days);
    return QStringLiteral("trim(%1.GoodsCode) <> '' and exists (select 1 from T_service p where "
                          "p.GoodsCode = %1.GoodsCode and p.serviceDate >= cast(%1.serviceDate as date) - %2 "
                          "and p.serviceDate < cast(%1.serviceDate as date))")
        .arg(row, days);
}

// The fact as the column holds it (never null).
QString repeatValue(const SqlDialect& d)
{
    const QString condition = repeatCondition(d, QStringLiteral("T_service"));
    if (d.kind == DatabaseKind::Embedded)
        return QStringLiteral("case when %1 then 1 else 0 end").arg(condition);
    return QStringLiteral("coalesce(%1, false)").arg(condition);
}

// Sets the fact anew, where it changed, of the services of body code `code` from day `day` to 30
// days later: the ones whose earlier services include one on `day`.
QString refreshUnit(const SqlDialect& d, const QString& code, const QString& day)
{
    const QString value = repeatValue(d);
    const QString days = QString::number(kRepeatVisitDays + 1);
    if (d.kind == DatabaseKind::Embedded)
        return QStringLiteral("update T_service set RepeatVisit = %1 where GoodsCode = %2 and trim(%2) <> '' "
                              "and serviceDate >= date(%3) and serviceDate < date(%3, '+%4 days') "
                              "and RepeatVisit is not %1")
            .arg(value, code, day, days);
    return QStringLiteral("update T_service set RepeatVisit = %1 where GoodsCode = %2 and serviceDate >= "
                          "cast(%3 as date) and serviceDate < cast(%3 as date) + %4 and RepeatVisit is "
                          "distinct from %1")
        .arg(value, code, day, days);
}

QStringList embeddedTriggers(const SqlDialect& d)
{
    const QString value = repeatValue(d);
    const QString self =
        QStringLiteral(
            "update T_service set RepeatVisit = %1 where rowid = new.rowid and RepeatVisit is not %1")
            .arg(value);
    const QString oldUnit =
        refreshUnit(d, QStringLiteral("old.GoodsCode"), QStringLiteral("old.serviceDate"));
    const QString newUnit =
        refreshUnit(d, QStringLiteral("new.GoodsCode"), QStringLiteral("new.serviceDate"));
    return {
        QStringLiteral(
            "create trigger zu_repeat_t_service_insert after insert on T_service begin %1; %2; end")
            .arg(self, newUnit),
        QStringLiteral("create trigger zu_repeat_t_service_update after update of GoodsCode, serviceDate on "
                       "T_service when new.GoodsCode is not old.GoodsCode or new.serviceDate is not "
                       "old.serviceDate begin %1; %2; %3; end")
            .arg(self, oldUnit, newUnit),
        QStringLiteral("create trigger zu_repeat_t_service_delete after delete on T_service begin %1; end")
            .arg(oldUnit),
    };
}

QStringList serverTriggers(const SqlDialect& d)
{
    const QString value = repeatValue(d);
    const QString days = QString::number(kRepeatVisitDays + 1);
    // The locks of the units' groups, taken in one order, so that two workstations writing
    // services of the same units wait for each other instead of failing.
    const QString lockUnits =
        QStringLiteral(
            "perform pg_advisory_xact_lock(%1, h) from (select distinct hashtext(c) & %2 as h from "
            "%3 where trim(c) <> '') as t order by h; ")
            .arg(kUnitLockClass)
            .arg(kUnitLockGroups - 1);
    return {
        QStringLiteral(
            "create or replace function zu_refresh_unit(unit_code text, unit_day timestamp) "
            "returns void language plpgsql as $$ begin "
            "if unit_code is null or trim(unit_code) = '' or unit_day is null then return; end if; "
            "%1; end $$")
            .arg(refreshUnit(d, QStringLiteral("unit_code"), QStringLiteral("unit_day"))),
        // A service moved to another day or unit: the services after its old and its new place.
        QStringLiteral("create or replace function zu_service_moved() returns trigger language plpgsql as $$ "
                       "begin "
                       "if new.GoodsCode is not distinct from old.GoodsCode and new.serviceDate is not "
                       "distinct from old.serviceDate then return null; end if; %1"
                       "perform zu_refresh_unit(old.GoodsCode, old.serviceDate); "
                       "perform zu_refresh_unit(new.GoodsCode, new.serviceDate); "
                       "update T_service set RepeatVisit = %2 where id = new.id and RepeatVisit is distinct "
                       "from %2; return null; end $$")
            .arg(lockUnits.arg(
                     QStringLiteral("unnest(array[cast(old.GoodsCode as text), new.GoodsCode]) as c")),
                 value),
        // Services added or deleted, one or all of a customer's or every one at once: a set at a
        // time, planned for the number of services the statement wrote (one is looked up through
        // the indexes, many are joined at once). The services to look at are those of the units'
        // 30 days after each written one, and the added ones themselves.
        QStringLiteral(
            "create or replace function zu_services_written() returns trigger language plpgsql as $$ begin "
            "%1"
            "execute $s$update T_service set RepeatVisit = %2 from (select t.id from changed c "
            "join T_service t on t.GoodsCode = c.GoodsCode and t.serviceDate >= cast(c.serviceDate as date) "
            "and t.serviceDate < cast(c.serviceDate as date) + %3 where trim(c.GoodsCode) <> '' "
            "union select id from changed) as w "
            "where T_service.id = w.id and T_service.RepeatVisit is distinct from %2$s$; "
            "return null; end $$")
            .arg(lockUnits.arg(QStringLiteral("(select GoodsCode as c from changed) as w")), value, days),
        QStringLiteral(
            "create trigger tr_t_service_moved after update of GoodsCode, serviceDate on T_service "
            "for each row execute function zu_service_moved()"),
        QStringLiteral("create trigger tr_t_service_added after insert on T_service referencing new table as "
                       "changed for each statement execute function zu_services_written()"),
        QStringLiteral(
            "create trigger tr_t_service_deleted after delete on T_service referencing old table as "
            "changed for each statement execute function zu_services_written()"),
    };
}

} // namespace

QStringList serviceVersionStatements(const SqlDialect& dialect)
{
    // Counted up only when the statement left the version alone and did not set the fact.
    if (dialect.kind == DatabaseKind::Embedded)
        return {
            QStringLiteral("drop trigger tr_t_service_rowversion"),
            QStringLiteral("create trigger tr_t_service_rowversion after update on T_service for each row "
                           "when new.RowVersion is old.RowVersion and new.RepeatVisit is old.RepeatVisit "
                           "begin update T_service set RowVersion = old.RowVersion + 1 where rowid = "
                           "new.rowid; end")};
    return {QStringLiteral("create or replace function zu_next_service_version() returns trigger language "
                           "plpgsql as $$ begin "
                           "if new.RowVersion is not distinct from old.RowVersion and new.RepeatVisit is not "
                           "distinct from old.RepeatVisit then "
                           "new.RowVersion := coalesce(old.RowVersion, 0) + 1; end if; "
                           "return new; end $$"),
            QStringLiteral("drop trigger tr_t_service_rowversion on T_service"),
            QStringLiteral("create trigger tr_t_service_rowversion before update on T_service for each row "
                           "execute function zu_next_service_version()")};
}

QStringList repeatVisitIndexes(const SqlDialect& dialect)
{
    // The statistics' index of the services' figures holds the fact instead of the body code.
    if (dialect.kind == DatabaseKind::Embedded)
        return {QStringLiteral("drop index ix_service_figures"),
                QStringLiteral("create index ix_service_figures on T_service (serviceDate, serviceMoney, "
                               "servicedeMen, servicedepartment, RepeatVisit, Goodsunit, hitchName)")};
    return {QStringLiteral("drop index ix_service_staff"),
            QStringLiteral("create index ix_service_staff on T_service (serviceDate) include (serviceMoney, "
                           "servicedeMen, servicedepartment, RepeatVisit)")};
}

QStringList repeatVisitTriggers(const SqlDialect& dialect)
{
    return dialect.kind == DatabaseKind::Embedded ? embeddedTriggers(dialect) : serverTriggers(dialect);
}

int fillRepeatVisits(Connection& connection)
{
    const SqlDialect& d = connection.dialect();
    Query q(connection);
    q.open(QStringLiteral("select min(id), max(id) from T_service"));
    const qint64 first = q.value(0).toLongLong();
    const qint64 last = q.value(1).toLongLong();
    q.close();
    // A range of keys at a time: each statement reads its services by the key and looks up their
    // units' earlier services through the index, never sorting the whole table.
    constexpr qint64 kPart = 100000;
    QString fill;
    if (d.kind == DatabaseKind::Embedded) {
        fill = QStringLiteral("update T_service set RepeatVisit = 1 where id >= ? and id < ? and %1")
                   .arg(repeatCondition(d, QStringLiteral("T_service")));
    } else {
        // The server would read every service into a hash table for each part's semi-join; one
        // earlier service looked up per service ("limit 1") is far less.
        fill =
            QStringLiteral(
                "update T_service set RepeatVisit = true from (select s.id from T_service s cross join "
                "lateral (select 1 from T_service p where p.GoodsCode = s.GoodsCode and p.serviceDate >= "
                "cast(s.serviceDate as date) - %1 and p.serviceDate < cast(s.serviceDate as date) limit 1) "
                "as e where s.id >= %2 and s.id < %2 and trim(s.GoodsCode) <> '') as r where T_service.id = "
                "r.id and T_service.id >= %2 and T_service.id < %2")
                .arg(QString::number(kRepeatVisitDays), d.integerParameter);
    }
    int repeats = 0;
    for (qint64 from = first; from <= last; from += kPart) {
        const qint64 to = std::min(from + kPart, last + 1);
        repeats += q.exec(fill, d.kind == DatabaseKind::Embedded ? QVariantList{from, to}
                                                                 : QVariantList{from, to, from, to});
    }
    return repeats;
}

} // namespace zu
