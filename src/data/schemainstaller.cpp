#include "schemainstaller.h"

#include "connection.h"
#include "errors.h"
#include "query.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>

namespace zu {

SchemaInstaller::SchemaInstaller(Connection& connection) : m_connection(connection) {}

QStringList SchemaInstaller::tableNames()
{
    return {QStringLiteral("T_Cust"),      QStringLiteral("T_service"),  QStringLiteral("T_call"),
            QStringLiteral("T_complain"),  QStringLiteral("T_type"),     QStringLiteral("T_Dict_cate"),
            QStringLiteral("T_FieldShow"), QStringLiteral("T_remind"),   QStringLiteral("T_user"),
            QStringLiteral("T_popedom"),   QStringLiteral("t_SoftInfo"), QStringLiteral("t_Import")};
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

namespace {

// Indexes of the checks and searches that release 1.0 lacked: the duplicate-code check (the
// unique index is partial, so a plain comparison with a bound code cannot use it), phone and
// mobile, and the journals' customer codes.
const QStringList kSearchIndexes = {
    QStringLiteral("create index if not exists ix_cust_idcode on T_Cust (IDCode)"),
    QStringLiteral("create index if not exists ix_cust_phone on T_Cust (Phone)"),
    QStringLiteral("create index if not exists ix_cust_mobile on T_Cust (Mobile)"),
    QStringLiteral("create index if not exists ix_service_custcode on T_service (CustCode)"),
    QStringLiteral("create index if not exists ix_call_custcode on T_call (CustCode)"),
    QStringLiteral("create index if not exists ix_complain_custcode on T_complain (CustCode)"),
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

} // namespace

void SchemaInstaller::installDateTriggers()
{
    Query q(m_connection);
    for (const QString& table : tableNames())
        for (const QString& statement :
             m_connection.dialect().dateTriggerStatements(table, dateColumnsOf(m_connection, table)))
            q.exec(statement);
}

int SchemaInstaller::normaliseStoredDates()
{
    const SqlDialect& dialect = m_connection.dialect();
    if (!dialect.storesDatesAsText)
        return 0;
    int changed = 0;
    Query read(m_connection);
    Query write(m_connection);
    for (const QString& table : tableNames()) {
        for (const QString& column : dateColumnsOf(m_connection, table)) {
            const QString c = dialect.quote(column);
            read.open(QStringLiteral("select rowid, %1 from %2 where typeof(%1) = 'text'").arg(c, table));
            QList<QPair<qint64, QVariant>> updates;
            for (; !read.eof(); read.next()) {
                const QString text = read.value(1).toString();
                if (isCanonicalDateTimeText(text))
                    continue;
                if (text.trimmed().isEmpty()) {
                    updates.append({read.value(0).toLongLong(), QVariant()});
                    continue;
                }
                if (const QString canonical = canonicalDateTimeText(text); !canonical.isEmpty())
                    updates.append({read.value(0).toLongLong(), canonical});
            }
            read.close();
            for (const auto& [rowid, value] : std::as_const(updates))
                changed +=
                    write.exec(QStringLiteral("update %1 set %2 = ? where rowid = ?").arg(table, c),
                               {value.isNull() ? QVariant(QMetaType::fromType<QString>()) : value, rowid});
        }
    }
    return changed;
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
    installDateTriggers();
    q.exec(QStringLiteral("insert into zu_schema (version) values (?)"), {kCurrentVersion});
    tx.commit();
}

int SchemaInstaller::upgrade()
{
    const int from = version();
    if (from == 0)
        throw DbError(QStringLiteral("数据库中没有本系统的版本记录，无法升级"));
    if (from > kCurrentVersion)
        throw DbError(
            QStringLiteral("数据库版本 %1 比本程序 (%2) 新，请使用新版程序").arg(from).arg(kCurrentVersion));
    for (int version = from + 1; version <= kCurrentVersion; ++version) {
        TransactionGuard tx(m_connection);
        upgradeStep(version);
        Query(m_connection).exec(QStringLiteral("insert into zu_schema (version) values (?)"), {version});
        tx.commit();
    }
    return kCurrentVersion - from;
}

void SchemaInstaller::upgradeStep(int version)
{
    Query q(m_connection);
    switch (version) {
    case 2:
        break; // row versions
    case 3:
        // One stored form for every date, and the indexes of the checks and searches.
        normaliseStoredDates();
        installDateTriggers();
        for (const QString& statement : kSearchIndexes)
            q.exec(statement);
        break;
    default:
        throw DbError(QStringLiteral("没有升级到数据库版本 %1 的步骤").arg(version));
    }
}

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
    } catch (...) {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(filePath + QLatin1String(suffix));
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
