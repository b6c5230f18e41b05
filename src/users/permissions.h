#pragma once

#include "customers/categorycodes.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace zu {

class Query;

// A rights string lists each granted permission as quote + name + quote + comma, in tree order;
// no permission granted is the empty text. The data initialization's checked-names list has the
// same form.
QString rightsItem(const QString& name);
QString rightsString(const QStringList& names);

// A permission is granted when its quoted item occurs in the rights string: a granted name that
// merely contains another name (客户管理, 客户) does not grant the shorter one.
bool isGranted(const QString& rights, const QString& name);

// The rows of a T_popedom catalogue ("用户权限", "数据初始化") in code order.
QList<CodedName> readCatalogue(Query& query, const QString& catalogue);

// What the permission test decides for one main-window action.
struct ActionRight
{
    QString action; // object name of the action (T_popedom.qxName)
    bool enabled = false;

    bool operator==(const ActionRight&) const = default;
};

// The decision for every "用户权限" catalogue row that names an action, in code order (a later
// row naming the same action wins). Rows with an empty qxName group other rows and govern nothing.
QList<ActionRight> evaluateRights(Query& query, const QString& rights);
QList<ActionRight> evaluateRights(const QString& rights); // on the data module's scratch query F

} // namespace zu
