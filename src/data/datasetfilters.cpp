#include "datasetfilters.h"

#include "connection.h"
#include "dataset.h"
#include "sqldialect.h"

namespace zu {

bool isYesNoField(const DataSet& list, const QString& field)
{
    const Connection& connection = list.connection();
    return connection.dialect().columnTypes(connection.database(), list.tableName()).value(field.toLower()) ==
           ColumnType::Boolean;
}

void openStartingWith(DataSet& list, const QString& field, const QString& prefix, const QString& orderBy)
{
    const SqlDialect& dialect = list.connection().dialect();
    if (!isYesNoField(list, field)) {
        list.open(dialect.likeCondition(field), {likePrefix(prefix)}, orderBy);
        return;
    }
    const QString typed = prefix.trimmed();
    if (typed == QStringLiteral("是") || typed == QStringLiteral("否"))
        list.open(dialect.booleanEquals(field, typed == QStringLiteral("是")), {}, orderBy);
    else
        list.open(QStringLiteral("1 = 0"), {}, orderBy); // no row shows that text
}

void openDated(DataSet& list, const QString& column, const QDate& first, const QDate& last,
               const QString& orderBy)
{
    const DateRange range = inclusiveDateRange(column, first, last);
    list.open(range.condition, range.bindValues, orderBy);
}

} // namespace zu
