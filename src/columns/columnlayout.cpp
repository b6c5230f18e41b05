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
