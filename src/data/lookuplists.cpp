#include "lookuplists.h"

#include "connection.h"
#include "dataset.h"
#include "sqldialect.h"

namespace zu {

Statement lookupListStatement(const SqlDialect& dialect, const QString& list)
{
    return {QStringLiteral("select * from t_type where %1 = ? order by id")
                .arg(dialect.quote(QStringLiteral("table"))),
            {list}};
}

void openLookupList(DataSet& values, const QString& list)
{
    const SqlDialect& dialect = values.connection().dialect();
    values.open(dialect.quote(QStringLiteral("table")) + QStringLiteral(" = ?"), {list});
}

} // namespace zu
