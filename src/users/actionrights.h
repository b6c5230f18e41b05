#pragma once

#include "permissions.h"

#include <QList>

class QAction;
class QObject;

namespace zu {

// Enables or disables the actions whose object name equals a decision's action name. Actions
// that no decision names, unnamed ones included, keep their state.
void ApplyRights(const QList<ActionRight>& rights, const QList<QAction*>& actions);
// The same for every action that `owner` holds (the main window and its menus).
void ApplyRights(const QList<ActionRight>& rights, QObject* owner);

} // namespace zu
