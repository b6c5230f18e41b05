#include "customersearch.h"

#include "data/dataset.h"
#include "data/datasetfilters.h"
#include "data/sqldialect.h"

namespace zu {

CustomerSearch::Condition CustomerSearch::condition(const SqlDialect& dialect) const
{
    Condition c{QStringLiteral("1=1"), {}};
    for (const Text& t : texts) {
        if (t.text.isEmpty())
            continue;
        c.where += QStringLiteral(" and ") + dialect.likeCondition(t.column);
        c.bindValues << likeContains(t.text);
    }
    if (!categoryCode.isEmpty()) {
        c.where += QStringLiteral(" and ") + dialect.likeCondition(QStringLiteral("TypeCode"));
        c.bindValues << likePrefix(categoryCode);
    }
    for (const Range& r : ranges) {
        c.where += QStringLiteral(" and %1 > ? and %1 < ?").arg(r.column);
        c.bindValues << r.from.addDays(-1).startOfDay() << r.to.addDays(1).startOfDay();
    }
    return c;
}

void openCustomersOfCategory(DataSet& customers, const QString& code)
{
    const QString keyOrder = QStringLiteral("CusttityID");
    if (code.isEmpty())
        customers.open(QString(), {}, keyOrder);
    else
        openStartingWith(customers, QStringLiteral("typecode"), code, keyOrder);
}

void openCustomersOfClass(DataSet& customers, const QString& className)
{
    if (className.isEmpty())
        // An empty text, not a null one: a null would be bound as NULL and match nothing.
        customers.open(QStringLiteral("(ClassCode is null or ClassCode = ?)"), {QStringLiteral("")});
    else
        customers.open(QStringLiteral("ClassCode = ?"), {className});
}

} // namespace zu
