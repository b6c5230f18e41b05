#include "datasetfilters.h"

#include "connection.h"
#include "dataset.h"
#include "sqldialect.h"

namespace zu {

void openStartingWith(DataSet& list, const QString& field, const QString& prefix, const QString& orderBy)
{
    list.open(list.connection().dialect().likeCondition(field), {likePrefix(prefix)}, orderBy);
}

void openDated(DataSet& list, const QString& column, const QDate& first, const QDate& last,
               const QString& orderBy)
{
    const DateRange range = inclusiveDateRange(column, first, last);
    list.open(range.condition, range.bindValues, orderBy);
}

} // namespace zu
