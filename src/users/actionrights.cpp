#include "actionrights.h"

#include <QAction>
#include <QHash>

namespace zu {

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
