#pragma once

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

class QSqlDatabase;

namespace zu {

enum class ColumnType
{
    Text,
    Integer,
    Float,
    DateTime,
    Boolean,
};

// Which engine a connection talks to. Only the dialect tells them apart: everything else asks
// the dialect for a value or a method.
enum class DatabaseKind
{
    Embedded = 1, // database file beside the program
    Server = 2,   // database server
};

enum class BackupMethod
{
    SqliteVacuumInto, // consistent copy of the live embedded database
    PgDump,           // pg_dump of the server database, custom format
};

enum class RestoreMethod
{
    SqliteOnlineCopy, // a checked backup file is copied into the live database under its own lock
    PgRestore,        // pg_restore of a pg_dump file, in one transaction
};

struct ConnectionSettings;

// Everything that differs between the two database engines, as data plus a few builders.
// Statements always bind their values; the dialect only shapes the text around the placeholders.
class SqlDialect final
{
public:
    static const SqlDialect& sqlite();
    static const SqlDialect& postgres();

    DatabaseKind kind;
    QString engineName;     // shown to the user
    QString qtDriver;       // Qt SQL driver name
    QString schemaResource; // DDL script of this engine
    QString trueLiteral;    // Boolean constants in statement text
    QString falseLiteral;
    QString lengthFunction;    // character length of a text
    QString likeOperator;      // case-insensitive pattern match
    QString textEqualsPattern; // case-insensitive equality, %1 = column
    QString shareLockClause;   // appended to a select: the rows read stay as they are until commit
    QString identifierOpen;    // quoting of names that are keywords, e.g. [table]
    QString identifierClose;
    bool foldsNamesToLower; // unquoted names are stored in lower case
    // Dates and times are kept as text "yyyy-MM-dd HH:mm:ss"; the database itself does not
    // keep them in one form, so triggers do (dateTriggerStatements()).
    bool storesDatesAsText;
    // Results are read row by row while walking. The server's driver then allows only one open
    // result per connection, so there it reads each result whole.
    bool forwardOnlyResults;
    BackupMethod backupMethod;
    RestoreMethod restoreMethod;
    bool safetyCopyBeforeClearing; // the data initialization first copies the database
    QString backupExtension;       // proposed backup file extension
    QString statusCaption;         // "数据库:..." text of the main window's status bar
    // Text compared by its bytes (code points), whatever the database's language: what a range
    // of beginnings needs to use an index. Appended to a column.
    QString byteOrder;
    // The index that finds a text anywhere in a column, and what the engine needs before it;
    // empty where the engine has none (a plain index serves).
    QString containsIndexPrerequisite;
    QString containsIndex;
    // First statement of a schema upgrade's transaction: a second workstation upgrading at the
    // same time waits for the first and then finds the step done.
    QString schemaLockStatement;
    // Run when a long run of writes (an import) begins and when it ends; empty where not needed.
    // To undo one statement alone, the embedded engine copies every page it changes that an earlier
    // statement of the transaction changed too: past 64 KiB into a temporary file, unless temporary
    // storage is kept in memory. That copying was half of an import's time.
    QString batchBeginStatement;
    QString batchEndStatement;
    // Run first in a transaction of a few reads that need no parallel workers: the workers a
    // server starts for a parallel plan cost more than such reads take alone. Empty where the
    // engine has none.
    QString serialReadStatement;

    // The statements that make the database count a table's row version up at every change of
    // a row (whoever changes it), once the table has the column RowVersion.
    QStringList rowVersionStatements(const QString& table) const;

    // The main window's status-bar text about the database: the caption, then the database
    // file, or the server and the database.
    QString statusText(const ConnectionSettings& settings) const;

    // A name that may be a keyword ("table", "Day", "id"), quoted for this engine.
    QString quote(const QString& name) const;
    // "column = ?" ignoring letter case (layout names, user names).
    QString textEquals(const QString& column) const;
    // "column like ? escape ..." ignoring letter case; bind likePrefix()/likeContains() values.
    // The column is compared as text whatever its type (a date, a number).
    QString likeCondition(const QString& column) const;
    // "column >= ? and column < ?" in byte order: bind prefixBounds() values.
    QString prefixCondition(const QString& column) const;
    // The indexes quick find looks customers up with, by beginning, on both tables.
    QStringList quickFindIndexes() const;
    // The indexes the statistics read a period's figures from.
    QStringList figureIndexes() const;
    // The indexes the reminder centre counts a window's reminders from without reading customers' rows.
    QStringList reminderCountIndexes() const;
    // The indexes a plan's count reads the last service of its kind for each customer from, where
    // the engine joins by hashing (none elsewhere).
    QStringList lastServiceIndexes() const;
    // A Boolean column compared with a constant.
    QString booleanEquals(const QString& column, bool value) const;

    // Calendar arithmetic in statements. Each takes expressions (column names, "?", other results)
    // and gives an expression of a date without time of day, which compares with dateParameter
    // and with other such dates.
    QString serialKeyType; // column type of a key the database numbers itself
    QString dateTimeType;  // column type of a date and time
    QString dateParameter; // "?" bound to dateValue()
    // "?" bound to toDb() of a date and time, compared with a date-time column through its index.
    QString dateTimeParameter;
    QString integerParameter; // "?" bound to a whole number where the engine must know its type
    QString greatestFunction; // largest of its arguments
    // Ends a subquery that the engine is to keep as it is: without it, it copies a column's
    // expression into every place of the outer query that names the column.
    QString keptSubquery;
    // Joins two large sets by hashing one of them (the server) rather than by looking each row up
    // in an index (the embedded engine): a statement over every customer of a model then reads
    // the records it joins once, in order, instead of looking them up row by row.
    bool joinsByHashing = false;
    QVariant dateValue(const QDate& date) const;
    QString dateOf(const QString& dateTime) const;
    QString addDays(const QString& date, const QString& days) const;
    // Whole months later; a day past the target month's end becomes its last day (Jan 31 plus one
    // month is Feb 28, or Feb 29 in a leap year).
    QString addMonths(const QString& date, const QString& months) const;
    // The months from one date's month to another's, the days ignored: an integer expression.
    QString monthsBetween(const QString& from, const QString& to) const;
    // The month ("yyyy-MM") and the day ("yyyy-MM-dd") of a date and time, as text to group by.
    QString monthTextOf(const QString& dateTime) const;
    QString dayTextOf(const QString& dateTime) const;

    // A value as this engine stores it (dates become canonical text in the embedded database).
    QVariant toDb(const QVariant& value) const;
    // A stored value in the Qt type of its column.
    QVariant fromDb(const QVariant& value, ColumnType type) const;

    // Column types of a table, by lower-case column name.
    QHash<QString, ColumnType> columnTypes(const QSqlDatabase& db, const QString& table) const;
    // The declared widths of a table's limited text columns (varchar(n)), by lower-case column
    // name; the same on both engines, since both schemas declare the same widths. The embedded
    // engine does not enforce them itself: the program does.
    QHash<QString, int> columnWidths(const QSqlDatabase& db, const QString& table) const;

    // Statements that keep every date and time column of `table` in the stored text form,
    // whatever program writes it (empty where the engine keeps dates itself).
    QStringList dateTriggerStatements(const QString& table, const QStringList& dateColumns) const;

    bool operator==(const SqlDialect& other) const { return this == &other; }

private:
    SqlDialect() = default;
};

// A date (and time) in text as older releases, other programs or scripts wrote it, in the stored
// form "yyyy-MM-dd HH:mm:ss": "2026-12-10", "2026-12-10T08:30:00", "2026/12/10 8:30",
// "2026年12月10日". Empty when the text is no date.
QString canonicalDateTimeText(const QString& text);
// Whether a text is in the stored form already.
bool isCanonicalDateTimeText(QStringView text);

// Pattern text for likeCondition(): "%" and "_" typed by the user match themselves.
QString likeEscape(const QString& text);
QString likePrefix(const QString& text);
QString likeContains(const QString& text);
// The two bounds of the texts that begin with `prefix`, for prefixCondition().
QVariantList prefixBounds(const QString& prefix);

// Conditions and bounds of the date filters and the reminder rule: same text for both engines,
// the dialect converts the bound values.
struct DateRange
{
    QString condition;       // "column >= ? and column < ?"
    QVariantList bindValues; // first day at midnight, the day after the last at midnight
};
DateRange inclusiveDateRange(const QString& column, const QDate& first, const QDate& last);

// Customers whose reminder date lies from today's midnight up to and including midnight `days`
// days later.
DateRange reminderWindow(const QString& column, const QDate& today, int days);

} // namespace zu
