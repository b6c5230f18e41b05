#pragma once

#include "customers/categorycodes.h"

#include <optional>
#include <QHash>
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

// A "用户权限" catalogue row that names an action: the name a rights string records, the action.
struct CatalogueRight
{
    QString name;
    QString action;
};
// The rows of the "用户权限" catalogue that name an action, in code order.
QList<CatalogueRight> readRightsCatalogue(Query& query);
// The decision of every such row for the rights string.
QList<ActionRight> decideRights(const QList<CatalogueRight>& catalogue, const QString& rights);

// The decision for every "用户权限" catalogue row that names an action, in code order (a later
// row naming the same action wins). Rows with an empty qxName group other rows and govern nothing.
QList<ActionRight> evaluateRights(Query& query, const QString& rights);
QList<ActionRight> evaluateRights(const QString& rights); // on the data module's scratch query F

// The rights: each is named by the main-window action it governs.
enum class Right
{
    Customers,     // actCustM     客户管理
    Services,      // actService   维修记录
    Calls,         // actCall      回访管理
    Complaints,    // actcomplain  投诉记录
    Categories,    // actType      类别管理
    LookupLists,   // actche       下拉框设置
    Users,         // actpopedom   管理员及权限管理
    Password,      // actpassword  修改密码
    Database,      // actdatabase  数据备份及还原
    Reminders,     // actremind    用户提醒
    Export,        // actexport    导出Excel
    CustomerSheet, // actCustsheet 当前客户详细报表
    CustomerList,  // actcensus    当前用户统计列表
    Envelope,      // actEnvelope  当前用户信封打印
    Label,         // actlabel     当前用户标签打印
    Import,        // actLead      导入客户信息
    Statistics,    // actStatistics 统计分析
};

const QList<Right>& allRights();
QString actionName(Right right);
// The right an action name stands for (letter case ignored).
std::optional<Right> rightOfAction(const QString& action);

// Everything a user does that a right governs, whichever window or key leads to it. Each route of
// the program names the operation it carries out; requiredRight() is the one place that says
// which right that takes.
enum class Operation
{
    OpenCustomerWindow, // the customer window (at start and from the main window)
    ChangeCustomers,    // add, change, delete customers
    ManageCategories,   // add, rename, delete categories (category editor, from any window)
    ExportList,         // any list written to a spreadsheet file
    ChangeServices,     // service records: editor and deletion, from any window
    ChangeCalls,        // return visits
    ChangeComplaints,   // complaints
    OpenServices,       // the journal list windows
    OpenCalls,
    OpenComplaints,
    Reminders,          // the reminder window and its start-up pop-up
    LookupLists,        // the lookup-list editor
    ManageUsers,        // the user window: users and their rights
    ChangePassword,     // the logged-in user's own password
    BackupRestore,      // backup and restore
    InitialiseData,     // data initialization (emptying chosen data)
    ImportCustomers,    // spreadsheet import of customers
    PrintCustomerSheet, // the four report commands
    PrintCustomerList,
    PrintEnvelope,
    PrintLabel,
    ViewStatistics, // the statistics window
};

Right requiredRight(Operation operation);

// What a user may do: the permission test's decisions. A right that no catalogue row decides is
// granted, as the main window keeps an action enabled that no row names.
class Permissions final
{
public:
    Permissions() = default; // nothing decided: every right granted
    explicit Permissions(const QList<ActionRight>& decisions);

    bool allows(Right right) const;
    bool allows(Operation operation) const { return allows(requiredRight(operation)); }
    // Whether a catalogue row decides the right at all.
    bool decides(Right right) const;

private:
    QHash<int, bool> m_decided; // by Right
};

// The permissions of the logged-in user, decided at login (everything granted until then).
const Permissions& currentPermissions();
void setCurrentPermissions(const Permissions& permissions);
// Decides the rights string against the catalogue and makes the result the current permissions.
const Permissions& applyUserRights(Query& query, const QString& rights);

// Shorthands for a route: whether the logged-in user may carry out the operation, and a refusal
// (CommandError naming the right) when they may not.
bool mayUse(Operation operation);
void requirePermission(Operation operation);

// The caption of a right as the main window shows it ("管理员及权限管理").
QString rightCaption(Right right);

} // namespace zu
