#include "columnlayout.h"

#include "data/connection.h"
#include "data/query.h"
#include "data/routines.h"

namespace zu {

namespace {

constexpr int kCountFooter = 2;

} // namespace

QList<LayoutColumn> readLayout(Query& query, const QString& layoutName)
{
    const SqlDialect& dialect = query.connection().dialect();
    OpenSql(query,
            QStringLiteral("select * from T_FieldShow where %1 and %2 order by ShowID")
                .arg(dialect.booleanEquals(QStringLiteral("show"), true),
                     dialect.textEquals(QStringLiteral("TableName"))),
            {layoutName});
    QList<LayoutColumn> columns;
    for (; !query.eof(); query.next()) {
        columns.push_back({query.asString(QStringLiteral("Field")), query.asString(QStringLiteral("Name")),
                           query.asInteger(QStringLiteral("Width")),
                           query.asInteger(QStringLiteral("SumField")),
                           query.asInteger(QStringLiteral("dotsize"))});
    }
    query.close();
    return columns;
}

void saveLayout(Query& query, const QString& layoutName, const QList<QPair<QString, int>>& fieldsAndWidths)
{
    if (fieldsAndWidths.size() < 2)
        return;
    const SqlDialect& dialect = query.connection().dialect();
    const QString sql = QStringLiteral("update t_FieldShow set showid = ?, width = ? where %1 and %2")
                            .arg(dialect.textEquals(QStringLiteral("tablename")),
                                 dialect.textEquals(QStringLiteral("field")));
    for (int position = 0; position < fieldsAndWidths.size(); ++position) {
        const auto& [field, width] = fieldsAndWidths[position];
        ExecSql(query, sql, {position, width, layoutName, field});
    }
}

QStringList layoutTitles(Query& query, const QString& layoutName)
{
    OpenSql(query,
            QStringLiteral("select name from T_FieldShow where %1 order by ID")
                .arg(query.connection().dialect().textEquals(QStringLiteral("TableName"))),
            {layoutName});
    QStringList titles;
    for (; !query.eof(); query.next())
        titles << query.value(0).toString();
    query.close();
    return titles;
}

QStringList layoutTitles(Query& query, const QString& layoutName, bool shown)
{
    const SqlDialect& dialect = query.connection().dialect();
    OpenSql(query,
            QStringLiteral("select * from t_FieldShow where %1 and %2 order by ID")
                .arg(dialect.booleanEquals(QStringLiteral("show"), shown),
                     dialect.textEquals(QStringLiteral("TableName"))),
            {layoutName});
    QStringList titles;
    for (; !query.eof(); query.next())
        titles << query.asString(QStringLiteral("Name"));
    query.close();
    return titles;
}

QString fieldOfTitle(Query& query, const QString& title)
{
    OpenSql(query, QStringLiteral("select field from T_FieldShow where name = ? order by ID"), {title});
    const QString field = query.eof() ? QString() : query.value(0).toString();
    query.close();
    return field;
}

void storeShownColumns(Connection& connection, const QString& layoutName, const QStringList& hidden,
                       const QStringList& shown)
{
    TransactionGuard tx(connection);
    Query query(connection);
    const QString sql = QStringLiteral("update t_FieldShow set show = ? where Name = ? and ") +
                        connection.dialect().textEquals(QStringLiteral("TableName"));
    for (const auto& [titles, show] : {std::pair{hidden, false}, std::pair{shown, true}})
        for (const QString& title : titles)
            ExecSql(query, sql, {show, title.trimmed(), layoutName});
    tx.commit();
}

Qt::Alignment cellAlignment(const LayoutColumn& column)
{
    return (column.dotsize != 0 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

QString footerText(const LayoutColumn& column, int recordCount)
{
    if (column.sumField != kCountFooter)
        return {};
    return QStringLiteral("共 %1 条").arg(recordCount);
}

} // namespace zu
