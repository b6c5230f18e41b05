#include "permissions.h"

#include "data/datamodule.h"
#include "data/query.h"

#include <QAction>
#include <QHash>

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

void ApplyRights(const QList<ActionRight>& rights, const QList<QAction*>& actions)
{
    QMultiHash<QString, QAction*> byName;
    for (QAction* action : actions)
        if (action && !action->objectName().isEmpty())
            byName.insert(action->objectName(), action);
    for (const ActionRight& right : rights) {
        const QList<QAction*> named = byName.values(right.action);
        for (QAction* action : named)
            action->setEnabled(right.enabled);
    }
}

void ApplyRights(const QList<ActionRight>& rights, QObject* owner)
{
    ApplyRights(rights, owner->findChildren<QAction*>());
}

} // namespace zu
