#include "customersearch.h"

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
    for (const Range& r : ranges) {
        c.where += QStringLiteral(" and %1 > ? and %1 < ?").arg(r.column);
        c.bindValues << r.from.addDays(-1).startOfDay() << r.to.addDays(1).startOfDay();
    }
    return c;
}

} // namespace zu
