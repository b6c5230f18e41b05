#include "sqldialect.h"

#include "connection.h"
#include "findtextparts.h"

#include <QDateTime>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace zu {

namespace {

const QString kSqliteDateTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

ColumnType fromDeclaredType(const QString& declared)
{
    const QString t = declared.toUpper();
    if (t.contains(QLatin1String("BOOL")))
        return ColumnType::Boolean;
    if (t.contains(QLatin1String("INT")))
        return ColumnType::Integer;
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) ||
        t.contains(QLatin1String("DOUB")))
        return ColumnType::Float;
    if (t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME")))
        return ColumnType::DateTime;
    return ColumnType::Text;
}

ColumnType fromMetaType(QMetaType type)
{
    switch (type.id()) {
    case QMetaType::Bool:
        return ColumnType::Boolean;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
        return ColumnType::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return ColumnType::Float;
    case QMetaType::QDate:
    case QMetaType::QDateTime:
    case QMetaType::QTime:
        return ColumnType::DateTime;
    default:
        return ColumnType::Text;
    }
}

int digits(QStringView s, int from, int count)
{
    int v = 0;
    for (int i = from; i < from + count; ++i) {
        const char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

// The canonical stored form "yyyy-MM-dd HH:mm:ss" (or the date alone) without the cost of a
// format parser; this runs for every date cell of every list.
QDateTime parseCanonical(QStringView t)
{
    if ((t.size() != 10 && t.size() != 19) || t[4] != u'-' || t[7] != u'-')
        return {};
    const QDate date(digits(t, 0, 4), digits(t, 5, 2), digits(t, 8, 2));
    if (!date.isValid())
        return {};
    if (t.size() == 10)
        return date.startOfDay();
    if (t[10] != u' ' || t[13] != u':' || t[16] != u':')
        return {};
    const QTime time(digits(t, 11, 2), digits(t, 14, 2), digits(t, 17, 2));
    return time.isValid() ? QDateTime(date, time) : QDateTime();
}

// Year first with "-", "/", "." or 年月日 between the parts, then optionally a time of day after a
// blank or a "T" (seconds, fractions and a zone are allowed; the zone is not applied: the
// program's times are the dealer's local times).
const QRegularExpression& yearFirstDate()
{
    static const QRegularExpression pattern(QStringLiteral(
        "^(\\d{4})\\s*[-/.年]\\s*(\\d{1,2})\\s*[-/.月]\\s*(\\d{1,2})\\s*日?"
        "(?:(?:\\s+|T)(\\d{1,2}):(\\d{2})(?::(\\d{2})(?:[.,]\\d+)?)?\\s*(?:Z|[+-]\\d{2}:?\\d{2})?)?$"));
    return pattern;
}

QDateTime parseDateTime(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return {};
    if (const QDateTime fast = parseCanonical(t); fast.isValid())
        return fast;
    const QRegularExpressionMatch m = yearFirstDate().match(t);
    if (!m.hasMatch())
        return {};
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!date.isValid())
        return {};
    if (m.captured(4).isEmpty())
        return date.startOfDay();
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    return time.isValid() ? QDateTime(date, time) : QDateTime();
}

const QString kCanonicalGlob =
    QStringLiteral("[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9] [0-9][0-9]:[0-9][0-9]:[0-9][0-9]");

// The stored form of a date column's value, in SQL, for the embedded engine: an empty text
// becomes no date, a year-first text the engine reads becomes its canonical text; anything
// else stays as it is (the upgrade step reads further forms than the engine does).
QString sqliteCanonicalExpression(const QString& column)
{
    return QStringLiteral("case when typeof(%1) <> 'text' or %1 glob '%2' then %1 "
                          "when trim(%1) = '' then null "
                          "when trim(%1) glob '[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]*' "
                          "then coalesce(datetime(substr(replace(trim(%1), 'T', ' '), 1, 19)), %1) "
                          "else %1 end")
        .arg(column, kCanonicalGlob);
}

} // namespace

const SqlDialect& SqlDialect::sqlite()
{
    static const SqlDialect d = [] {
        SqlDialect s;
        s.kind = DatabaseKind::Embedded;
        s.engineName = QStringLiteral("SQLite");
        s.qtDriver = QStringLiteral("QSQLITE");
        s.schemaResource = QStringLiteral(":/zu/schema/sqlite.sql");
        s.trueLiteral = QStringLiteral("1");
        s.falseLiteral = QStringLiteral("0");
        s.lengthFunction = QStringLiteral("length");
        s.likeOperator = QStringLiteral("like");
        s.textEqualsPattern = QStringLiteral("%1 = ? collate nocase");
        s.shareLockClause = QString(); // a write transaction locks the whole database
        s.batchBeginStatement = QStringLiteral("pragma temp_store = memory");
        s.batchEndStatement = QStringLiteral("pragma temp_store = default");
        s.identifierOpen = QStringLiteral("[");
        s.identifierClose = QStringLiteral("]");
        s.foldsNamesToLower = false;
        s.storesDatesAsText = true;
        s.forwardOnlyResults = true;
        s.backupMethod = BackupMethod::SqliteVacuumInto;
        s.restoreMethod = RestoreMethod::SqliteOnlineCopy;
        s.safetyCopyBeforeClearing = true;
        s.backupExtension = QStringLiteral(".db");
        s.statusCaption = QStringLiteral("数据库:SQLite,数据库路径");
        s.byteOrder = QString(); // text compares by its bytes unless told otherwise
        s.serialKeyType = QStringLiteral("integer primary key autoincrement");
        s.dateTimeType = QStringLiteral("datetime");
        s.dateParameter = QStringLiteral("?");
        s.dateTimeParameter = QStringLiteral("?");
        s.integerParameter = QStringLiteral("?");
        s.greatestFunction = QStringLiteral("max");
        s.keptSubquery = QStringLiteral(" limit -1 offset 0");
        // Any write takes the database's write lock for the rest of the transaction.
        s.schemaLockStatement = QStringLiteral("update zu_schema set version = version where 1 = 0");
        return s;
    }();
    return d;
}

const SqlDialect& SqlDialect::postgres()
{
    static const SqlDialect d = [] {
        SqlDialect s;
        s.kind = DatabaseKind::Server;
        s.engineName = QStringLiteral("PostgreSQL");
        s.qtDriver = QStringLiteral("QPSQL");
        s.schemaResource = QStringLiteral(":/zu/schema/postgresql.sql");
        s.trueLiteral = QStringLiteral("true");
        s.falseLiteral = QStringLiteral("false");
        s.lengthFunction = QStringLiteral("length");
        s.likeOperator = QStringLiteral("ilike");
        s.textEqualsPattern = QStringLiteral("lower(%1) = lower(?)");
        s.shareLockClause = QStringLiteral(" for share");
        s.identifierOpen = QStringLiteral("\"");
        s.identifierClose = QStringLiteral("\"");
        s.foldsNamesToLower = true;
        s.storesDatesAsText = false;
        s.forwardOnlyResults = false;
        s.backupMethod = BackupMethod::PgDump;
        s.restoreMethod = RestoreMethod::PgRestore;
        s.safetyCopyBeforeClearing = false;
        s.backupExtension = QStringLiteral(".bak");
        s.statusCaption = QStringLiteral("数据库:PostgreSQL,服务器");
        s.byteOrder = QStringLiteral(" collate \"C\"");
        s.containsIndexPrerequisite = QStringLiteral("create extension if not exists pg_trgm");
        s.containsIndex =
            QStringLiteral("create index ix_cust_findtext on T_Cust using gin (FindText gin_trgm_ops)");
        s.serialKeyType = QStringLiteral("integer generated by default as identity primary key");
        s.dateTimeType = QStringLiteral("timestamp");
        s.dateParameter = QStringLiteral("cast(? as date)");
        // The driver sends a time zone with the value; compared as it is, the column would be
        // converted on every row and its index left unused.
        s.dateTimeParameter = QStringLiteral("cast(? as timestamp)");
        s.integerParameter = QStringLiteral("cast(? as integer)");
        s.greatestFunction = QStringLiteral("greatest");
        s.keptSubquery = QStringLiteral(" offset 0");
        s.joinsByHashing = true;
        s.serialReadStatement = QStringLiteral("set local max_parallel_workers_per_gather = 0");
        s.schemaLockStatement = QStringLiteral("lock table zu_schema in exclusive mode");
        return s;
    }();
    return d;
}

QString SqlDialect::statusText(const ConnectionSettings& settings) const
{
    if (kind == DatabaseKind::Embedded)
        return statusCaption + settings.filePath;
    const QString port = settings.port > 0 ? QStringLiteral(":%1").arg(settings.port) : QString();
    return statusCaption + settings.host + port + QStringLiteral(",数据库") + settings.database;
}

QString SqlDialect::prefixCondition(const QString& column) const
{
    return QStringLiteral("%1%2 >= ? and %1%2 < ?").arg(column, byteOrder);
}

QStringList SqlDialect::quickFindIndexes() const
{
    const QPair<const char*, const char*> columns[] = {
        {"T_Cust", "IDCode"},    {"T_Cust", "CustName"},     {"T_Cust", "Phone"},       {"T_Cust", "Mobile"},
        {"T_Cust", "GoodsCode"}, {"T_Cust", "NameInitials"}, {"T_service", "GoodsCode"}};
    QStringList statements;
    for (const auto& [table, column] : columns)
        statements << QStringLiteral("create index ix_find_%1_%2 on %3 (%4%5)")
                          .arg(QString::fromLatin1(table).toLower(), QString::fromLatin1(column).toLower(),
                               QLatin1String(table), QLatin1String(column), byteOrder);
    return statements;
}

namespace {

struct PartIndex
{
    QStringList create;
    QStringList drop;
};

const PartIndex& partIndexOf(const SqlDialect& dialect)
{
    static const PartIndex embedded = [] {
        // Every three characters of FindText, and with them every term's rows. Two separators
        // after the text make every character of it begin a term, so the terms that begin with
        // a shorter text find its rows too.
        const QStringList create{
            QStringLiteral("create virtual table T_Custfind using fts5(FindText, "
                           "tokenize = 'trigram case_sensitive 1')"),
            QStringLiteral("create virtual table T_Custfind_terms using fts5vocab(T_Custfind, 'instance')"),
            QStringLiteral("insert into T_Custfind (rowid, FindText) select CusttityID, FindText || '||' "
                           "from T_Cust"),
            QStringLiteral("create trigger tr_cust_find_insert after insert on T_Cust begin "
                           "insert into T_Custfind (rowid, FindText) values (new.CusttityID, "
                           "new.FindText || '||'); end"),
            QStringLiteral("create trigger tr_cust_find_update after update of FindText on T_Cust begin "
                           "delete from T_Custfind where rowid = old.CusttityID; "
                           "insert into T_Custfind (rowid, FindText) values (new.CusttityID, "
                           "new.FindText || '||'); end"),
            QStringLiteral("create trigger tr_cust_find_delete after delete on T_Cust begin "
                           "delete from T_Custfind where rowid = old.CusttityID; end"),
        };
        const QStringList drop{
            QStringLiteral("drop trigger tr_cust_find_insert"),
            QStringLiteral("drop trigger tr_cust_find_update"),
            QStringLiteral("drop trigger tr_cust_find_delete"),
            QStringLiteral("drop table T_Custfind_terms"),
            QStringLiteral("drop table T_Custfind"),
        };
        return PartIndex{.create = create, .drop = drop};
    }();
    static const PartIndex server = [] {
        // The trigram index (containsIndex) serves three characters and more; every one and two
        // characters of FindText are indexed here.
        const QStringList create{
            // Its cost tells the planner to look the parts up in the index rather than compute them
            // for every customer.
            QStringLiteral("create function zu_short_parts(t text) returns text[] language sql immutable "
                           "strict parallel safe cost 10000 as 'select array(select distinct p from ("
                           "select substr(t, i, 1) as p from generate_series(1, length(t)) as i union all "
                           "select substr(t, i, 2) from generate_series(1, length(t) - 1) as i) as parts)'"),
            QStringLiteral("create index ix_cust_findparts on T_Cust using gin (zu_short_parts(FindText))"),
        };
        const QStringList drop{
            QStringLiteral("drop index ix_cust_findparts"),
            QStringLiteral("drop function zu_short_parts(text)"),
        };
        return PartIndex{.create = create, .drop = drop};
    }();
    return dialect.kind == DatabaseKind::Embedded ? embedded : server;
}

} // namespace

QStringList partIndexStatements(const SqlDialect& dialect)
{
    return partIndexOf(dialect).create;
}

QStringList partIndexDropStatements(const SqlDialect& dialect)
{
    return partIndexOf(dialect).drop;
}

BoundSelect customersHolding(const SqlDialect& dialect, const QString& text, int limit)
{
    // The index may offer rows that do not hold the text (a term that runs into the separators
    // added after it): the condition on FindText itself decides.
    const QString holds = QLatin1String(kFindTextHolds);
    const bool shortText = text.toUcs4().size() < 3;
    if (dialect.kind == DatabaseKind::Embedded) {
        if (shortText) {
            QVariantList values = prefixBounds(text);
            values << likeContains(text);
            return {QStringLiteral("select CusttityID, FindText from T_Cust where CusttityID in (select doc "
                                   "from T_Custfind_terms where term >= ? and term < ?) and %1 "
                                   "order by CusttityID limit %2")
                        .arg(holds)
                        .arg(limit),
                    values};
        }
        QString phrase = text;
        phrase.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        return {
            QStringLiteral("select CusttityID, FindText from T_Cust where CusttityID in (select rowid "
                           "from T_Custfind where T_Custfind match ?) and %1 order by CusttityID limit %2")
                .arg(holds)
                .arg(limit),
            {QLatin1Char('"') + phrase + QLatin1Char('"'), likeContains(text)}};
    }
    // "+ 0": read through the index of the text, not along the key waiting for matches.
    if (shortText)
        return {QStringLiteral("select CusttityID, FindText from T_Cust where zu_short_parts(FindText) @> "
                               "array[cast(? as text)] and %1 order by CusttityID + 0 limit %2")
                    .arg(holds)
                    .arg(limit),
                {text, likeContains(text)}};
    return {
        QStringLiteral("select CusttityID, FindText from T_Cust where %1 order by CusttityID + 0 limit %2")
            .arg(holds)
            .arg(limit),
        {likeContains(text)}};
}

QStringList SqlDialect::figureIndexes() const
{
    // A row found through an index is read from another place: an index holding every column a
    // figure counts spares a period's worth of such reads.
    if (kind == DatabaseKind::Embedded)
        return {QStringLiteral("create index ix_service_figures on T_service (serviceDate, serviceMoney, "
                               "GoodsCode, servicedeMen, servicedepartment, Goodsunit, hitchName)"),
                QStringLiteral("create index ix_cust_sales on T_Cust (EmptionDate, TypeCode, Number)"),
                QStringLiteral("create index ix_call_outcome on T_call (callDate, callRemarkhandle)"),
                QStringLiteral("create index ix_complain_level on T_complain (complainDate, complainType)")};
    // The server limits an index entry to a third of a page: two narrower indexes, no free text.
    return {
        QStringLiteral("create index ix_service_figures on T_service (serviceDate) include (serviceMoney, "
                       "Goodsunit, hitchName)"),
        QStringLiteral("create index ix_service_staff on T_service (serviceDate) include (serviceMoney, "
                       "GoodsCode, servicedeMen, servicedepartment)"),
        QStringLiteral("create index ix_cust_sales on T_Cust (EmptionDate) include (TypeCode, Number)")};
}

QStringList SqlDialect::reminderCountIndexes() const
{
    // A plan's customers by model and purchase date with their code, to look up their services;
    // a customer by code with model and purchase date, for the services of a plan's kind; model
    // beside the purchase date, for the warranty months. The embedded engine keeps the row's key
    // in every index; the server reads only what an index includes without visiting the rows.
    const QString key = kind == DatabaseKind::Embedded ? QString() : QStringLiteral(" include (CusttityID)");
    return {
        QStringLiteral("create index ix_cust_modelboughtcode on T_Cust (Goodsunit, EmptionDate, IDCode)%1")
            .arg(key),
        QStringLiteral("create index ix_cust_codemodel on T_Cust (IDCode, Goodsunit, EmptionDate)%1")
            .arg(key),
        QStringLiteral("create index ix_cust_boughtmodel on T_Cust (EmptionDate, Goodsunit)")};
}

QStringList SqlDialect::lastServiceIndexes() const
{
    // In the order of the customer's code within a kind, the last service of each customer is the
    // last entry of its run: grouped as the index is read, never hashed.
    if (!joinsByHashing)
        return {};
    return {
        QStringLiteral("create index ix_service_kindcode on T_service (hitchName, CustCode, serviceDate)")};
}

QStringList SqlDialect::rowVersionStatements(const QString& table) const
{
    const QString trigger = QStringLiteral("tr_%1_rowversion").arg(table.toLower());
    if (kind == DatabaseKind::Embedded)
        // Only when the statement left the version alone; the trigger's own update does not
        // fire it again.
        return {QStringLiteral("create trigger %1 after update on %2 for each row "
                               "when new.RowVersion is old.RowVersion begin "
                               "update %2 set RowVersion = old.RowVersion + 1 where rowid = new.rowid; end")
                    .arg(trigger, table)};
    return {QStringLiteral("create or replace function zu_next_row_version() returns trigger "
                           "language plpgsql as $$ begin "
                           "if new.RowVersion is not distinct from old.RowVersion then "
                           "new.RowVersion := coalesce(old.RowVersion, 0) + 1; end if; "
                           "return new; end $$"),
            QStringLiteral("create trigger %1 before update on %2 for each row "
                           "execute function zu_next_row_version()")
                .arg(trigger, table)};
}

QString SqlDialect::quote(const QString& name) const
{
    return identifierOpen + (foldsNamesToLower ? name.toLower() : name) + identifierClose;
}

QString SqlDialect::textEquals(const QString& column) const
{
    return textEqualsPattern.arg(column);
}

QString SqlDialect::likeCondition(const QString& column) const
{
    if (kind == DatabaseKind::Server)
        return QStringLiteral("cast(%1 as text) %2 ? escape '!'").arg(column, likeOperator);
    return QStringLiteral("%1 %2 ? escape '!'").arg(column, likeOperator);
}

QString SqlDialect::booleanEquals(const QString& column, bool value) const
{
    return QStringLiteral("%1 = %2").arg(column, value ? trueLiteral : falseLiteral);
}

QVariant SqlDialect::dateValue(const QDate& date) const
{
    // The embedded engine's date functions give "yyyy-MM-dd", which compares as text.
    if (kind == DatabaseKind::Embedded)
        return date.toString(QStringLiteral("yyyy-MM-dd"));
    return date;
}

QString SqlDialect::dateOf(const QString& dateTime) const
{
    if (kind == DatabaseKind::Embedded)
        return QStringLiteral("date(%1)").arg(dateTime);
    return QStringLiteral("cast(%1 as date)").arg(dateTime);
}

QString SqlDialect::addDays(const QString& date, const QString& days) const
{
    if (kind == DatabaseKind::Embedded)
        return QStringLiteral("date(%1, printf('%+d days', %2))").arg(date, days);
    return QStringLiteral("(cast(%1 as date) + cast(%2 as integer))").arg(date, days);
}

QString SqlDialect::addMonths(const QString& date, const QString& months) const
{
    if (kind == DatabaseKind::Embedded)
        // The engine's own month step runs over into the next month (Jan 31 + 1 month = Mar 2),
        // so the same day in the target month is capped at that month's last day.
        return QStringLiteral("min(date(%1, 'start of month', printf('%+d months', %2), "
                              "printf('+%d days', cast(strftime('%d', %1) as integer) - 1)), "
                              "date(%1, 'start of month', printf('%+d months', (%2) + 1), '-1 day'))")
            .arg(date, months);
    return QStringLiteral("cast(cast(%1 as date) + make_interval(months => cast(%2 as integer)) as date)")
        .arg(date, months);
}

QString SqlDialect::monthTextOf(const QString& dateTime) const
{
    // The stored text form begins with the date.
    if (kind == DatabaseKind::Embedded)
        return QStringLiteral("substr(%1, 1, 7)").arg(dateTime);
    return QStringLiteral("to_char(%1, 'YYYY-MM')").arg(dateTime);
}

QString SqlDialect::dayTextOf(const QString& dateTime) const
{
    if (kind == DatabaseKind::Embedded)
        return QStringLiteral("substr(%1, 1, 10)").arg(dateTime);
    return QStringLiteral("to_char(%1, 'YYYY-MM-DD')").arg(dateTime);
}

QString SqlDialect::monthsBetween(const QString& from, const QString& to) const
{
    if (kind == DatabaseKind::Embedded)
        return QStringLiteral(
                   "((cast(strftime('%Y', %2) as integer) - cast(strftime('%Y', %1) as integer)) * 12 "
                   "+ cast(strftime('%m', %2) as integer) - cast(strftime('%m', %1) as integer))")
            .arg(from, to);
    return QStringLiteral("cast((extract(year from %2) - extract(year from %1)) * 12 "
                          "+ extract(month from %2) - extract(month from %1) as integer)")
        .arg(from, to);
}

QVariant SqlDialect::toDb(const QVariant& value) const
{
    if (kind != DatabaseKind::Embedded || value.isNull())
        return value;
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().startOfDay().toString(kSqliteDateTimeFormat);
    case QMetaType::QDateTime:
        return value.toDateTime().toString(kSqliteDateTimeFormat);
    case QMetaType::Bool:
        return value.toBool() ? 1 : 0;
    default:
        return value;
    }
}

QVariant SqlDialect::fromDb(const QVariant& value, ColumnType type) const
{
    if (value.isNull())
        return QVariant();
    switch (type) {
    case ColumnType::DateTime: {
        if (value.typeId() == QMetaType::QDateTime)
            return value;
        if (value.typeId() == QMetaType::QDate)
            return value.toDate().startOfDay();
        const QDateTime dt = parseDateTime(value.toString());
        return dt.isValid() ? QVariant(dt) : QVariant();
    }
    case ColumnType::Boolean:
        if (value.typeId() == QMetaType::QString) {
            const QString t = value.toString().trimmed().toLower();
            return t == QLatin1String("1") || t == QLatin1String("true") || t == QLatin1String("t");
        }
        return value.toBool();
    case ColumnType::Integer:
        return value.typeId() == QMetaType::Int ? value : QVariant(value.toInt());
    case ColumnType::Float:
        return value.typeId() == QMetaType::Double ? value : QVariant(value.toDouble());
    case ColumnType::Text:
        return value.typeId() == QMetaType::QString ? value : QVariant(value.toString());
    }
    return value;
}

QHash<QString, ColumnType> SqlDialect::columnTypes(const QSqlDatabase& db, const QString& table) const
{
    QHash<QString, ColumnType> types;
    if (kind == DatabaseKind::Embedded) {
        // The embedded engine keeps the declared type of each column; its values are loosely typed.
        QSqlQuery q(db);
        q.exec(QStringLiteral("pragma table_info(%1)").arg(quote(table)));
        while (q.next())
            types.insert(q.value(1).toString().toLower(), fromDeclaredType(q.value(2).toString()));
        return types;
    }
    const QSqlRecord record = db.record(table.toLower());
    for (int i = 0; i < record.count(); ++i)
        types.insert(record.fieldName(i).toLower(), fromMetaType(record.field(i).metaType()));
    return types;
}

QHash<QString, int> SqlDialect::columnWidths(const QSqlDatabase& db, const QString& table) const
{
    QHash<QString, int> widths;
    if (kind == DatabaseKind::Embedded) {
        static const QRegularExpression declared(QStringLiteral("^\\s*(?:n?varchar|n?char|character varying)"
                                                                "\\s*\\(\\s*(\\d+)\\s*\\)"),
                                                 QRegularExpression::CaseInsensitiveOption);
        QSqlQuery q(db);
        q.exec(QStringLiteral("pragma table_info(%1)").arg(quote(table)));
        while (q.next())
            if (const QRegularExpressionMatch m = declared.match(q.value(2).toString()); m.hasMatch())
                widths.insert(q.value(1).toString().toLower(), m.captured(1).toInt());
        return widths;
    }
    QSqlQuery q(db);
    q.prepare(QStringLiteral("select column_name, character_maximum_length from information_schema.columns "
                             "where table_schema = current_schema() and table_name = ? "
                             "and character_maximum_length is not null"));
    q.addBindValue(table.toLower());
    q.exec();
    while (q.next())
        widths.insert(q.value(0).toString().toLower(), q.value(1).toInt());
    return widths;
}

QStringList SqlDialect::dateTriggerStatements(const QString& table, const QStringList& dateColumns) const
{
    if (!storesDatesAsText || dateColumns.isEmpty())
        return {};
    QStringList whenNew, sets;
    for (const QString& c : dateColumns) {
        const QString n = QStringLiteral("new.") + quote(c);
        whenNew << QStringLiteral("(typeof(%1) = 'text' and %1 not glob '%2')").arg(n, kCanonicalGlob);
        sets << quote(c) + QStringLiteral(" = ") + sqliteCanonicalExpression(quote(c));
    }
    const QString when = whenNew.join(QStringLiteral(" or "));
    const QString body = QStringLiteral("update %1 set %2 where rowid = new.rowid")
                             .arg(quote(table), sets.join(QStringLiteral(", ")));
    QStringList quoted;
    for (const QString& c : dateColumns)
        quoted << quote(c);
    const QString name = QStringLiteral("zu_dates_") + table.toLower();
    return {QStringLiteral("create trigger if not exists %1_insert after insert on %2 when %3 begin %4; end")
                .arg(name, quote(table), when, body),
            QStringLiteral(
                "create trigger if not exists %1_update after update of %2 on %3 when %4 begin %5; end")
                .arg(name, quoted.join(QStringLiteral(", ")), quote(table), when, body)};
}

QString canonicalDateTimeText(const QString& text)
{
    const QDateTime dt = parseDateTime(text);
    return dt.isValid() ? dt.toString(kSqliteDateTimeFormat) : QString();
}

bool isCanonicalDateTimeText(QStringView text)
{
    return text.size() == 19 && parseCanonical(text).isValid();
}

QString likeEscape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('!') || c == QLatin1Char('%') || c == QLatin1Char('_'))
            out += QLatin1Char('!');
        out += c;
    }
    return out;
}

QString likePrefix(const QString& text)
{
    return likeEscape(text) + QLatin1Char('%');
}

QVariantList prefixBounds(const QString& prefix)
{
    // Every text that begins with the prefix sorts before the prefix with its last character
    // one higher.
    QString after = prefix;
    if (!after.isEmpty() && after.back().unicode() < 0xFFFF && !after.back().isSurrogate())
        after.back() = QChar(char16_t(after.back().unicode() + 1));
    else
        after += QChar(0xFFFF);
    return {prefix, after};
}

QString likeContains(const QString& text)
{
    return QLatin1Char('%') + likeEscape(text) + QLatin1Char('%');
}

DateRange inclusiveDateRange(const QString& column, const QDate& first, const QDate& last)
{
    return {QStringLiteral("%1 >= ? and %1 < ?").arg(column),
            {first.startOfDay(), last.addDays(1).startOfDay()}};
}

DateRange reminderWindow(const QString& column, const QDate& today, int days)
{
    return {QStringLiteral("%1 >= ? and %1 <= ?").arg(column),
            {today.startOfDay(), today.addDays(days).startOfDay()}};
}

} // namespace zu
