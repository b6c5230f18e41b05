#include "errortext.h"

#include "columnlabels.h"
#include "connection.h"
#include "statementinfo.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>

namespace zu {

namespace {

// Result codes of the embedded engine.
constexpr int kSqliteBusy = 5;
constexpr int kSqliteLocked = 6;
constexpr int kSqliteReadOnly = 8;
constexpr int kSqliteFull = 13;
constexpr int kSqliteConstraint = 19;

bool serverConnectionLost(const QString& state, const QString& text)
{
    if (state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01") ||
        state == QLatin1String("57P02") || state == QLatin1String("57P03"))
        return true;
    static const char* const kLostTexts[] = {
        "server closed the connection",  "no connection to the server",        "terminating connection",
        "could not send data to server", "could not receive data from server", "connection to server",
        "connection not open",
    };
    for (const char* lost : kLostTexts)
        if (text.contains(QLatin1String(lost), Qt::CaseInsensitive))
            return true;
    return false;
}

QString sqlState(const QSqlError& error)
{
    const QString native = error.nativeErrorCode();
    if (!native.isEmpty())
        return native;
    static const QRegularExpression trailing(QStringLiteral("\\(([0-9A-Z]{5})\\)\\s*$"));
    return trailing.match(error.databaseText()).captured(1);
}

// The column a unique index refused, as the engine names it.
QString duplicateColumn(const QString& text)
{
    static const QRegularExpression sqlite(
        QStringLiteral("UNIQUE constraint failed: [\\w\\[\\]\"]+\\.(\\w+)"));
    static const QRegularExpression server(QStringLiteral("Key \\(([^)]+)\\)="));
    if (const auto m = sqlite.match(text); m.hasMatch())
        return m.captured(1);
    return server.match(text).captured(1).remove(QLatin1Char('"'));
}

QString tooLongText(const QSqlDatabase& db, const QString& sql, const QVariantList& bindValues)
{
    const QString table = writtenTable(sql);
    QSqlRecord record = table.isEmpty() ? QSqlRecord() : db.record(table);
    if (record.isEmpty() && !table.isEmpty())
        record = db.record(table.toLower()); // the server keeps unquoted names in lower case
    for (const auto& [column, value] : assignedValues(sql, bindValues)) {
        const int length = record.field(record.indexOf(column)).length();
        if (length > 0 && value.toString().size() > length)
            return QStringLiteral("“%1”的内容太长（最多 %2 个字，现有 %3 个字），没有保存。")
                .arg(columnLabel(table, column))
                .arg(length)
                .arg(value.toString().size());
    }
    return QStringLiteral("输入的内容太长，超出了数据库能保存的长度，没有保存。");
}

QString duplicateText(const QString& dbText, const QString& sql, const QVariantList& bindValues)
{
    const QString table = writtenTable(sql);
    const QString column = duplicateColumn(dbText);
    if (column.isEmpty())
        return QStringLiteral("已有相同的记录，不能重复保存。");
    for (const auto& [assigned, value] : assignedValues(sql, bindValues))
        if (assigned.compare(column, Qt::CaseInsensitive) == 0)
            return QStringLiteral("“%1”为“%2”的记录已经存在，不能重复。")
                .arg(columnLabel(table, column), value.toString());
    return QStringLiteral("“%1”与已有的记录重复，不能保存。").arg(columnLabel(table, column));
}

} // namespace

DbFailure classifySqlError(const QSqlError& error, DatabaseKind kind)
{
    const QString text = error.databaseText() + QLatin1Char(' ') + error.driverText();
    if (kind == DatabaseKind::Embedded) {
        bool ok = false;
        const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
        if (!ok)
            return DbFailure::Other;
        switch (code) {
        case kSqliteFull:
            return DbFailure::DiskFull;
        case kSqliteReadOnly:
            return DbFailure::ReadOnly;
        case kSqliteBusy:
        case kSqliteLocked:
            return DbFailure::Locked;
        case kSqliteConstraint:
            return text.contains(QLatin1String("UNIQUE constraint failed")) ? DbFailure::Duplicate
                                                                            : DbFailure::Other;
        default:
            return DbFailure::Other;
        }
    }
    const QString state = sqlState(error);
    if (serverConnectionLost(state, text))
        return DbFailure::ConnectionLost;
    if (state == QLatin1String("53100"))
        return DbFailure::DiskFull;
    if (state == QLatin1String("25006"))
        return DbFailure::ReadOnly;
    if (state == QLatin1String("55P03") || state == QLatin1String("40P01"))
        return DbFailure::Locked;
    if (state == QLatin1String("22001"))
        return DbFailure::TooLong;
    if (state == QLatin1String("23505"))
        return DbFailure::Duplicate;
    return DbFailure::Other;
}

QString databaseTextInBrackets(const QString& text)
{
    QString line = text.simplified();
    if (line.isEmpty())
        return {};
    return QStringLiteral("（%1）").arg(line);
}

QString userErrorText(const QSqlError& error, DatabaseKind kind, const QSqlDatabase& db, const QString& sql,
                      const QVariantList& bindValues)
{
    // A restore by another program is said alone: the database's own text would only confuse.
    if (const QString refusal = restoreRefusalText(error); !refusal.isEmpty())
        return refusal;
    const QString own = databaseTextInBrackets(sqlErrorText(error));
    switch (classifySqlError(error, kind)) {
    case DbFailure::DiskFull:
        return QStringLiteral("磁盘空间已满，数据没有保存。请清理磁盘空间后再试。") + own;
    case DbFailure::ReadOnly:
        return QStringLiteral("数据库是只读的，数据没有保存。请检查数据库文件及其文件夹的写入权限。") + own;
    case DbFailure::Locked:
        return QStringLiteral("数据库正被其他工作站占用，操作没有完成，请稍后再试。") + own;
    case DbFailure::TooLong:
        return tooLongText(db, sql, bindValues) + own;
    case DbFailure::Duplicate:
        return duplicateText(error.databaseText(), sql, bindValues) + own;
    case DbFailure::ConnectionLost:
        return QStringLiteral("与数据库服务器的连接已中断，操作没有完成。") + own;
    default:
        break;
    }
    return QStringLiteral("数据库操作失败") + own;
}

} // namespace zu
