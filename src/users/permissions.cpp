#include "permissions.h"

#include "data/datamodule.h"
#include "data/query.h"

namespace zu {

namespace {

const QString kRightsCatalogue = QStringLiteral("用户权限");

} // namespace

QString rightsItem(const QString& name)
{
    return QLatin1Char('\'') + name + QStringLiteral("',");
}

QString rightsString(const QStringList& names)
{
    QString rights;
    for (const QString& name : names)
        rights += rightsItem(name);
    return rights;
}

bool isGranted(const QString& rights, const QString& name)
{
    return rights.contains(rightsItem(name), Qt::CaseSensitive);
}

QList<CodedName> readCatalogue(Query& query, const QString& catalogue)
{
    query.open(QStringLiteral("select * from T_popedom where tablename = ? order by code"), {catalogue});
    QList<CodedName> rows;
    for (; !query.eof(); query.next())
        rows.append(
            {query.asString(QStringLiteral("code")).trimmed(), query.asString(QStringLiteral("name"))});
    query.close();
    return rows;
}

QList<ActionRight> evaluateRights(Query& query, const QString& rights)
{
    QList<ActionRight> result;
    query.open(QStringLiteral("select * from T_popedom where tablename = ? order by code"),
               {kRightsCatalogue});
    for (; !query.eof(); query.next()) {
        const QString action = query.asString(QStringLiteral("qxName")).trimmed();
        if (action.isEmpty())
            continue;
        // The tree stores trimmed captions, so the test looks for the trimmed name.
        result.append({action, isGranted(rights, query.asString(QStringLiteral("name")).trimmed())});
    }
    query.close();
    return result;
}

QList<ActionRight> evaluateRights(const QString& rights)
{
    return evaluateRights(data().F(), rights);
}

} // namespace zu
