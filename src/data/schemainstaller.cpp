#include "schemainstaller.h"

#include "connection.h"
#include "dataset.h"
#include "errors.h"
#include "errortext.h"
#include "findcolumns.h"
#include "findtextparts.h"
#include "query.h"
#include "repeatvisits.h"
#include "sqldialect.h"
#include "warrantyterms.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace zu {

namespace {

// One step from the version before to `version`, run inside the step's transaction.
struct UpgradeStep
{
    int version;
    void (*apply)(Connection& connection, Query& query);
};

void addRowVersions(Connection& connection, Query& query)
{
    for (const QString& table : SchemaInstaller::versionedTables()) {
        query.exec(QStringLiteral("alter table %1 add column %2 integer not null default 1")
                       .arg(table, QLatin1String(kRowVersionColumn)));
        for (const QString& statement : connection.dialect().rowVersionStatements(table))
            query.exec(statement);
    }
}

// Indexes of the checks and searches that release 1.0 lacked: the duplicate-code check (the
// unique index is partial, so a plain comparison with a bound code cannot use it), phone and
// mobile. The journals' customer codes had theirs in most databases already.
const char* const kSearchIndexes[] = {
    "create index if not exists ix_cust_idcode on T_Cust (IDCode)",
    "create index if not exists ix_cust_phone on T_Cust (Phone)",
    "create index if not exists ix_cust_mobile on T_Cust (Mobile)",
    "create index if not exists ix_service_custcode on T_service (CustCode)",
    "create index if not exists ix_call_custcode on T_call (CustCode)",
    "create index if not exists ix_complain_custcode on T_complain (CustCode)",
};

QStringList dateColumnsOf(const Connection& connection, const QString& table)
{
    QStringList columns;
    const QHash<QString, ColumnType> types = connection.dialect().columnTypes(connection.database(), table);
    for (auto it = types.cbegin(); it != types.cend(); ++it)
        if (it.value() == ColumnType::DateTime)
            columns << it.key();
    columns.sort();
    return columns;
}

// Rewrites every date of the embedded database that is not in the stored text form. Values that
// are no date are left as they are.
void normaliseStoredDates(Connection& connection)
{
    const SqlDialect& dialect = connection.dialect();
    if (!dialect.storesDatesAsText)
        return;
    Query read(connection);
    Query write(connection);
    for (const QString& table : SchemaInstaller::tableNames()) {
        for (const QString& column : dateColumnsOf(connection, table)) {
            const QString c = dialect.quote(column);
            read.open(QStringLiteral("select rowid, %1 from %2 where typeof(%1) = 'text'").arg(c, table));
            QList<QPair<qint64, QVariant>> updates;
            for (; !read.eof(); read.next()) {
                const QString text = read.value(1).toString();
                if (isCanonicalDateTimeText(text))
                    continue;
                if (text.trimmed().isEmpty()) {
                    updates.append({read.value(0).toLongLong(), QVariant(QMetaType::fromType<QString>())});
                    continue;
                }
                if (const QString canonical = canonicalDateTimeText(text); !canonical.isEmpty())
                    updates.append({read.value(0).toLongLong(), canonical});
            }
            read.close();
            for (const auto& [rowid, value] : std::as_const(updates))
                write.exec(QStringLiteral("update %1 set %2 = ? where rowid = ?").arg(table, c),
                           {value, rowid});
        }
    }
}

// One stored form for every date (the rows there are, and triggers for every later write), and
// the indexes of the checks and searches.
void keepOneDateFormAndIndexSearches(Connection& connection, Query& query)
{
    normaliseStoredDates(connection);
    for (const QString& table : SchemaInstaller::tableNames())
        for (const QString& statement :
             connection.dialect().dateTriggerStatements(table, dateColumnsOf(connection, table)))
            query.exec(statement);
    for (const char* statement : kSearchIndexes)
        query.exec(QLatin1String(statement));
}

// The index quick find looks for any part of FindText with: the engine's own kind of index for
// that when it can make one, a plain index otherwise (a server without the extension, or a user
// who may not add it), which still narrows the rows read.
void createFindTextIndex(Connection& connection)
{
    const SqlDialect& dialect = connection.dialect();
    Query q(connection);
    if (!dialect.containsIndex.isEmpty()) {
        // Savepoints cannot be prepared on every engine; these statements hold no value.
        QSqlQuery plain(connection.database());
        plain.exec(QStringLiteral("savepoint zu_find_index"));
        if (plain.exec(dialect.containsIndexPrerequisite) && plain.exec(dialect.containsIndex)) {
            plain.exec(QStringLiteral("release savepoint zu_find_index"));
            return;
        }
        plain.exec(QStringLiteral("rollback to savepoint zu_find_index"));
    }
    q.exec(QStringLiteral("create index ix_cust_findtext on T_Cust (FindText)"));
}

// Quick find: the pinyin initials and the text it searches, kept beside every customer and
// filled for those already there; indexes on what it looks up by beginning.
void addQuickFind(Connection& connection, Query& q)
{
    const SqlDialect& dialect = connection.dialect();
    q.exec(
        QStringLiteral("alter table T_Cust add NameInitials varchar(%1)").arg(FindColumns::kInitialsLength));
    q.exec(QStringLiteral("alter table T_Cust add FindText text"));
    // Filled before they are indexed: every row written once, no index kept up meanwhile.
    fillFindColumns(connection, {QStringLiteral("NameInitials"), QStringLiteral("FindText")});
    for (const QString& statement : dialect.quickFindIndexes())
        q.exec(statement);
    createFindTextIndex(connection);
}

// The reminder centre: which kinds of reminder are on (in the reminder settings), the
// maintenance plans per model, and the done and put-off marks of single reminders. Passed dates
// count as overdue from the day each kind was switched on, so an old database does not wake up
// to years of overdue reminders.
void addReminderCentre(Connection& connection, Query& query)
{
    const SqlDialect& d = connection.dialect();
    const QString key = d.serialKeyType;
    const QString timestamp = d.dateTimeType;
    for (const char* column :
         {"RemindOn", "PlanOn", "CallOn", "CallDays", "WarrantyOn", "WarrantyMonths", "WarrantyDays"})
        query.exec(QStringLiteral("alter table T_remind add column %1 integer").arg(QLatin1String(column)));
    for (const char* column : {"RemindSince", "PlanSince", "CallSince", "WarrantySince"})
        query.exec(
            QStringLiteral("alter table T_remind add column %1 %2").arg(QLatin1String(column), timestamp));
    const QVariant today = d.toDb(QDate::currentDate());
    query.exec(QStringLiteral("update T_remind set RemindOn = 1, PlanOn = 1, CallOn = 1, CallDays = 3, "
                              "WarrantyOn = 1, WarrantyMonths = 12, WarrantyDays = 30, RemindSince = ?, "
                              "PlanSince = ?, CallSince = ?, WarrantySince = ?"),
               {today, today, today, today});
    query.exec(QStringLiteral("create table T_plan (id %1, Goodsunit varchar(255), hitchName varchar(255), "
                              "Months integer)")
                   .arg(key));
    query.exec(QStringLiteral("create index ix_plan_goodsunit on T_plan (Goodsunit)"));
    query.exec(QStringLiteral("create table T_remindstate (id %1, Kind varchar(20) not null, "
                              "SourceId integer not null, PlanId integer not null, DueDate %2 not null, "
                              "State varchar(10) not null, SnoozeUntil %2, ByUser varchar(50), AtTime %2)")
                   .arg(key, timestamp));
    query.exec(QStringLiteral("create unique index ux_remindstate on T_remindstate (Kind, SourceId, PlanId, "
                              "DueDate)"));
    // The reminders are computed from these: a model's customers, warranties by purchase date, the
    // last service of a kind per customer.
    query.exec(QStringLiteral("create index if not exists ix_cust_goodsunit on T_Cust (Goodsunit)"));
    query.exec(QStringLiteral("create index if not exists ix_cust_emptiondate on T_Cust (EmptionDate)"));
    query.exec(QStringLiteral("create index if not exists ix_service_kind on T_service (CustCode, hitchName, "
                              "serviceDate)"));
    for (const QString& table : {QStringLiteral("T_plan"), QStringLiteral("T_remindstate")})
        for (const QString& statement : d.dateTriggerStatements(table, dateColumnsOf(connection, table)))
            query.exec(statement);
}

// The statistics window: its right in the permission catalogue, under the reports beside the
// other report commands, granted to every user and group that holds the reports; and the index
// that finds the earlier services of a unit (repeat visits).
void addStatistics(Connection& connection, Query& query)
{
    const QString rights = QStringLiteral("用户权限");
    const QString name = QStringLiteral("统计分析");
    const QString action = QStringLiteral("actStatistics");
    const QString reports = QStringLiteral("报表中心");
    query.open(QStringLiteral("select count(*) from T_popedom where tablename = ? and qxName = ?"),
               {rights, action});
    const bool catalogued = query.value(0).toInt() > 0;
    query.close();
    if (!catalogued) {
        // Under the reports when the catalogue has them, else under its first entry.
        query.open(
            QStringLiteral("select code from T_popedom where tablename = ? and name = ? order by code"),
            {rights, reports});
        QString parent = query.eof() ? QString() : query.value(0).toString().trimmed();
        query.close();
        if (parent.isEmpty()) {
            query.open(QStringLiteral("select min(code) from T_popedom where tablename = ?"), {rights});
            parent = query.value(0).toString().trimmed();
            query.close();
        }
        int last = 0;
        query.open(QStringLiteral("select code from T_popedom where tablename = ?"), {rights});
        for (; !query.eof(); query.next()) {
            const QString code = query.value(0).toString().trimmed();
            if (code.size() == parent.size() + 2 && code.startsWith(parent))
                last = std::max(last, code.right(2).toInt());
        }
        query.close();
        const QString code = parent + QStringLiteral("%1").arg(last + 1, 2, 10, QLatin1Char('0'));
        if (query.exec(
                QStringLiteral("insert into T_popedom (tablename, code, name, qxName) values (?, ?, ?, ?)"),
                {rights, code, name, action}) != 1)
            throw DbError(QStringLiteral("统计分析权限没有写入权限目录"), DbFailure::Other);
    }
    const QString granted = QLatin1Char('\'') + name + QStringLiteral("',");
    query.exec(
        QStringLiteral("update T_user set qxList = qxList || ? where qxList like ? and qxList not like ?"),
        {granted, QStringLiteral("%'") + reports + QStringLiteral("',%"),
         QLatin1Char('%') + granted + QLatin1Char('%')});
    query.exec(QStringLiteral("create index if not exists ix_service_goodscode on T_service (GoodsCode, "
                              "serviceDate)"));
}

// The reminder centre tells a reminder not done for a limited number of days after it was due;
// the put-off marks are looked up by the day they were put off to.
void boundOverdueReminders(Connection&, Query& query)
{
    query.exec(QStringLiteral("alter table T_remind add column OverdueDays integer"));
    query.exec(QStringLiteral("update T_remind set OverdueDays = 90"));
    query.exec(
        QStringLiteral("create index ix_remindstate_snooze on T_remindstate (Kind, State, SnoozeUntil)"));
}

// A new column of T_service at the end of both service lists, shown or hidden.
void addServiceListColumn(const SqlDialect& d, Query& query, const QString& title, const QString& field,
                          bool shown)
{
    for (const char* layout : {"T_serviceshow", "T_Serviceshowcust"})
        query.exec(
            QStringLiteral("insert into T_FieldShow (ID, TableName, Name, Field, Width, show, ShowID, "
                           "SumField, dotsize) select (select coalesce(max(ID), 0) + 1 from T_FieldShow), "
                           "?, ?, ?, 50, %1, coalesce(max(ShowID), -1) + 1, 0, 0 from T_FieldShow where %2")
                .arg(shown ? d.trueLiteral : d.falseLiteral, d.textEquals(QStringLiteral("TableName"))),
            {QLatin1String(layout), title, field, QLatin1String(layout)});
}

// Warranty terms: the months of each model and of every model not listed (at first the months the
// reminder centre used for all), and whether a service record's machine was under warranty on the
// record's day, shown in both service lists. Records kept before stay without a value: the terms
// of their day are not known, and the default months are no fact about them.
void addWarranty(Connection& connection, Query& query)
{
    const SqlDialect& d = connection.dialect();
    query.exec(
        QStringLiteral("create table T_warranty (id %1, Goodsunit varchar(255) not null, Months integer "
                       "not null)")
            .arg(d.serialKeyType));
    query.exec(QStringLiteral("create unique index ux_warranty_goodsunit on T_warranty (Goodsunit)"));
    query.exec(
        QStringLiteral("insert into T_warranty (Goodsunit, Months) select '', coalesce(max(WarrantyMonths), "
                       "?) from T_remind"),
        {WarrantyTerms::kDefaultMonths});
    query.exec(QStringLiteral("alter table T_service add column InWarranty boolean"));
    addServiceListColumn(d, query, QStringLiteral("在保"), QStringLiteral("InWarranty"), true);
}

// The reminder centre finds the customers whose reminders can fall within its days from the
// indexes alone: by model and purchase date, by service kind and date, and the customers called
// back after the services of a range of days.
void indexReminderLookups(Connection&, Query& query)
{
    query.exec(
        QStringLiteral("create index if not exists ix_cust_modelbought on T_Cust (Goodsunit, EmptionDate)"));
    query.exec(QStringLiteral(
        "create index if not exists ix_service_kinddate on T_service (hitchName, serviceDate, CustCode)"));
    query.exec(QStringLiteral(
        "create index if not exists ix_service_datecode on T_service (serviceDate, CustCode)"));
}

// Lookups without reading every customer: quick find's index of every part of FindText, and the
// duplicate check's columns of the numbers' digits and the name as compared, looked up by
// equality. Filled for the customers there are; the index keeps itself from then on.
void indexFindTextParts(Connection& connection, Query& query)
{
    const char* const columns[] = {"PhoneDigits", "MobileDigits", "NameKey"};
    for (const char* column : columns)
        query.exec(QStringLiteral("alter table T_Cust add %1 varchar(255)").arg(QLatin1String(column)));
    // Filled before they are indexed: every row written once, no index kept up meanwhile.
    fillFindColumns(connection, {QStringLiteral("PhoneDigits"), QStringLiteral("MobileDigits"),
                                 QStringLiteral("NameKey")});
    for (const char* column : columns)
        query.exec(QStringLiteral("create index ix_cust_%1 on T_Cust (%2)")
                       .arg(QString::fromLatin1(column).toLower(), QLatin1String(column)));
    for (const QString& statement : partIndexStatements(connection.dialect()))
        query.exec(statement);
}

// The statistics read a period's services, sales, return visits and complaints through indexes
// that begin with the date.
void indexFigures(Connection& connection, Query& query)
{
    for (const QString& statement : connection.dialect().figureIndexes())
        query.exec(statement);
}

// Whether each service is a repeat visit, kept beside it: the statistics count a period's repeat
// visits per engineer and department from the period's services alone, through an index that
// holds the fact. Filled for the services there are before the database keeps it at every write;
// hidden in both service lists until a user shows it.
void keepRepeatVisits(Connection& connection, Query& query)
{
    const SqlDialect& d = connection.dialect();
    query.exec(QStringLiteral("alter table T_service add column RepeatVisit boolean not null default %1")
                   .arg(d.falseLiteral));
    // The row version's trigger first, so that filling the fact leaves the versions as they are;
    // the index last, so that it is written once.
    for (const QString& statement : serviceVersionStatements(d))
        query.exec(statement);
    fillRepeatVisits(connection);
    for (const QString& statement : repeatVisitTriggers(d) + repeatVisitIndexes(d))
        query.exec(statement);
    addServiceListColumn(d, query, QStringLiteral("返修"), QStringLiteral("RepeatVisit"), false);
}

// The reminder centre counts a window's reminders by day from indexes alone.
void indexReminderCounts(Connection& connection, Query& query)
{
    for (const QString& statement : connection.dialect().reminderCountIndexes())
        query.exec(statement);
}

// A plan's count reads the last service of its kind for each customer from an index.
void indexLastServices(Connection& connection, Query& query)
{
    for (const QString& statement : connection.dialect().lastServiceIndexes())
        query.exec(statement);
}

const UpgradeStep kSteps[] = {
    {.version = 2, .apply = &addRowVersions},      {.version = 3, .apply = &keepOneDateFormAndIndexSearches},
    {.version = 4, .apply = &addQuickFind},        {.version = 5, .apply = &addReminderCentre},
    {.version = 6, .apply = &addStatistics},       {.version = 7, .apply = &boundOverdueReminders},
    {.version = 8, .apply = &addWarranty},         {.version = 9, .apply = &indexReminderLookups},
    {.version = 10, .apply = &indexFindTextParts}, {.version = 11, .apply = &indexFigures},
    {.version = 12, .apply = &keepRepeatVisits},   {.version = 13, .apply = &indexReminderCounts},
    {.version = 14, .apply = &indexLastServices},
};

QString newerText(int version)
{
    return QStringLiteral("数据库的版本（%1）比本程序的版本（%2）新，请使用新版本的程序。")
        .arg(version)
        .arg(SchemaInstaller::kCurrentVersion);
}

} // namespace

SchemaInstaller::SchemaInstaller(Connection& connection) : m_connection(connection) {}

QStringList SchemaInstaller::tableNames()
{
    return {QStringLiteral("T_Cust"),      QStringLiteral("T_service"),  QStringLiteral("T_call"),
            QStringLiteral("T_complain"),  QStringLiteral("T_type"),     QStringLiteral("T_Dict_cate"),
            QStringLiteral("T_FieldShow"), QStringLiteral("T_remind"),   QStringLiteral("T_user"),
            QStringLiteral("T_popedom"),   QStringLiteral("t_SoftInfo"), QStringLiteral("t_Import")};
}

QStringList SchemaInstaller::versionedTables()
{
    return {QStringLiteral("T_Cust"),     QStringLiteral("T_service"), QStringLiteral("T_call"),
            QStringLiteral("T_complain"), QStringLiteral("T_type"),    QStringLiteral("T_Dict_cate"),
            QStringLiteral("T_user"),     QStringLiteral("t_SoftInfo")};
}

bool SchemaInstaller::isEmpty() const
{
    const QStringList present = m_connection.database().tables();
    for (const QString& t : present)
        for (const QString& ours : tableNames())
            if (t.compare(ours, Qt::CaseInsensitive) == 0)
                return false;
    return true;
}

bool SchemaInstaller::holdsData() const
{
    if (isEmpty())
        return false;
    Query q(m_connection);
    for (const char* table : {"T_Cust", "T_service", "T_call", "T_complain", "T_Dict_cate", "T_type"}) {
        q.open(QStringLiteral("select count(*) from %1").arg(QLatin1String(table)));
        if (q.value(0).toInt() > 0)
            return true;
    }
    return false;
}

int SchemaInstaller::version() const
{
    bool found = false;
    for (const QString& t : m_connection.database().tables())
        found = found || t.compare(QLatin1String("zu_schema"), Qt::CaseInsensitive) == 0;
    if (!found)
        return 0;
    Query q(m_connection);
    q.open(QStringLiteral("select max(version) from zu_schema"));
    return q.value(0).toInt();
}

void SchemaInstaller::install()
{
    const QStringList statements =
        splitSqlScript(readResourceText(m_connection.dialect().schemaResource)) +
        splitSqlScript(readResourceText(QStringLiteral(":/zu/schema/content.sql")));
    TransactionGuard tx(m_connection);
    Query q(m_connection);
    for (const QString& statement : statements)
        q.exec(statement);
    // A new database goes through the same steps as an upgraded one, so both end up alike.
    for (const UpgradeStep& step : kSteps)
        step.apply(m_connection, q);
    q.exec(QStringLiteral("insert into zu_schema (version) values (?)"), {kCurrentVersion});
    tx.commit();
}

int SchemaInstaller::upgrade(int target)
{
    const int from = version();
    if (from == 0)
        throw DbError(QStringLiteral("数据库中没有本系统的版本记录，无法升级"), DbFailure::SchemaMismatch);
    if (from > kCurrentVersion)
        throw DbError(newerText(from), DbFailure::SchemaMismatch);
    int taken = 0;
    for (const UpgradeStep& step : kSteps) {
        if (step.version <= from || step.version > target)
            continue;
        TransactionGuard tx(m_connection);
        Query q(m_connection);
        q.exec(m_connection.dialect().schemaLockStatement);
        if (version() < step.version) { // another workstation may have taken it meanwhile
            step.apply(m_connection, q);
            q.exec(QStringLiteral("insert into zu_schema (version) values (?)"), {step.version});
            ++taken;
        }
        tx.commit();
    }
    return taken;
}

QString SchemaInstaller::refusal() const
{
    if (isEmpty())
        return QStringLiteral(
            "数据库中没有本系统的数据表，请用连接配置工具创建数据表，或选择本系统的数据库。");
    const int v = version();
    if (v == 0)
        return QStringLiteral("数据库中没有本系统的版本记录，它不是由本系统创建的数据库。");
    if (v > kCurrentVersion)
        return newerText(v);
    return {};
}

namespace {

void removeDatabaseFiles(const QString& filePath)
{
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(filePath + QLatin1String(suffix));
}

} // namespace

void createEmbeddedDatabase(const QString& filePath)
{
    if (QFileInfo::exists(filePath))
        throw CommandError(QStringLiteral("数据库文件已存在，不会覆盖：%1").arg(filePath));
    if (!QDir().mkpath(QFileInfo(filePath).absolutePath()))
        throw CommandError(QStringLiteral("无法创建文件夹：%1").arg(QFileInfo(filePath).absolutePath()));
    try {
        ConnectionSettings settings;
        settings.filePath = filePath;
        settings.createIfMissing = true;
        Connection connection(SqlDialect::sqlite(), settings);
        if (!connection.open())
            throw DbError(connection.lastError());
        SchemaInstaller(connection).install();
    } catch (const DbError& e) {
        removeDatabaseFiles(filePath);
        // The engine's words alone ("unable to open database file") would not say which file.
        throw DbError(QStringLiteral("无法创建数据库文件 %1。").arg(QDir::toNativeSeparators(filePath)) +
                          databaseTextInBrackets(e.text()),
                      e.failure());
    } catch (...) {
        removeDatabaseFiles(filePath);
        throw;
    }
}

QStringList splitSqlScript(const QString& script)
{
    QStringList statements;
    QString current;
    bool inString = false;
    bool inQuotedName = false;
    for (int i = 0; i < script.size(); ++i) {
        const QChar c = script[i];
        if (!inString && !inQuotedName && c == QLatin1Char('-') && i + 1 < script.size() &&
            script[i + 1] == QLatin1Char('-')) {
            while (i < script.size() && script[i] != QLatin1Char('\n'))
                ++i;
            current += QLatin1Char('\n');
            continue;
        }
        if (c == QLatin1Char('\'') && !inQuotedName)
            inString = !inString; // a doubled quote toggles twice and stays inside
        else if (c == QLatin1Char('"') && !inString)
            inQuotedName = !inQuotedName;
        if (c == QLatin1Char(';') && !inString && !inQuotedName) {
            if (!current.trimmed().isEmpty())
                statements << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

QString readResourceText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw CommandError(QStringLiteral("无法读取 %1").arg(path));
    return QString::fromUtf8(file.readAll());
}

} // namespace zu
