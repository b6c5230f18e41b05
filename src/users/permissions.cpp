#include "permissions.h"

#include "data/datamodule.h"
#include "data/errors.h"
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

QList<CatalogueRight> readRightsCatalogue(Query& query)
{
    QList<CatalogueRight> rows;
    query.open(QStringLiteral("select * from T_popedom where tablename = ? order by code"),
               {kRightsCatalogue});
    for (; !query.eof(); query.next()) {
        const QString action = query.asString(QStringLiteral("qxName")).trimmed();
        if (action.isEmpty())
            continue;
        // The tree stores trimmed captions, so the test looks for the trimmed name.
        rows.append({query.asString(QStringLiteral("name")).trimmed(), action});
    }
    query.close();
    return rows;
}

QList<ActionRight> decideRights(const QList<CatalogueRight>& catalogue, const QString& rights)
{
    QList<ActionRight> result;
    for (const CatalogueRight& row : catalogue)
        result.append({row.action, isGranted(rights, row.name)});
    return result;
}

QList<ActionRight> evaluateRights(Query& query, const QString& rights)
{
    return decideRights(readRightsCatalogue(query), rights);
}

QList<ActionRight> evaluateRights(const QString& rights)
{
    return evaluateRights(data().F(), rights);
}

namespace {

struct RightName
{
    Right right;
    const char* action;
    const char* caption;
};

const RightName kRightNames[] = {
    {.right = Right::Customers, .action = "actCustM", .caption = "客户管理"},
    {.right = Right::Services, .action = "actService", .caption = "维修记录"},
    {.right = Right::Calls, .action = "actCall", .caption = "回访管理"},
    {.right = Right::Complaints, .action = "actcomplain", .caption = "投诉记录"},
    {.right = Right::Categories, .action = "actType", .caption = "类别管理"},
    {.right = Right::LookupLists, .action = "actche", .caption = "下拉框设置"},
    {.right = Right::Users, .action = "actpopedom", .caption = "管理员及权限管理"},
    {.right = Right::Password, .action = "actpassword", .caption = "修改密码"},
    {.right = Right::Database, .action = "actdatabase", .caption = "数据备份及还原"},
    {.right = Right::Reminders, .action = "actremind", .caption = "用户提醒"},
    {.right = Right::Export, .action = "actexport", .caption = "导出Excel"},
    {.right = Right::CustomerSheet, .action = "actCustsheet", .caption = "当前客户详细报表"},
    {.right = Right::CustomerList, .action = "actcensus", .caption = "当前用户统计列表"},
    {.right = Right::Envelope, .action = "actEnvelope", .caption = "当前用户信封打印"},
    {.right = Right::Label, .action = "actlabel", .caption = "当前用户标签打印"},
    {.right = Right::Import, .action = "actLead", .caption = "导入客户信息"},
    {.right = Right::Statistics, .action = "actStatistics", .caption = "统计分析"},
};

const RightName& nameOf(Right right)
{
    for (const RightName& n : kRightNames)
        if (n.right == right)
            return n;
    Q_UNREACHABLE();
}

Permissions& current()
{
    static Permissions permissions;
    return permissions;
}

} // namespace

const QList<Right>& allRights()
{
    static const QList<Right> rights = [] {
        QList<Right> out;
        for (const RightName& n : kRightNames)
            out << n.right;
        return out;
    }();
    return rights;
}

QString actionName(Right right)
{
    return QString::fromLatin1(nameOf(right).action);
}

QString rightCaption(Right right)
{
    return QString::fromUtf8(nameOf(right).caption);
}

std::optional<Right> rightOfAction(const QString& action)
{
    for (const RightName& n : kRightNames)
        if (action.compare(QLatin1String(n.action), Qt::CaseInsensitive) == 0)
            return n.right;
    return std::nullopt;
}

Right requiredRight(Operation operation)
{
    switch (operation) {
    case Operation::OpenCustomerWindow:
    case Operation::ChangeCustomers:
        return Right::Customers;
    case Operation::ManageCategories:
        return Right::Categories;
    case Operation::ExportList:
        return Right::Export;
    case Operation::ChangeServices:
    case Operation::OpenServices:
        return Right::Services;
    case Operation::ChangeCalls:
    case Operation::OpenCalls:
        return Right::Calls;
    case Operation::ChangeComplaints:
    case Operation::OpenComplaints:
        return Right::Complaints;
    case Operation::Reminders:
        return Right::Reminders;
    case Operation::LookupLists:
        return Right::LookupLists;
    case Operation::ManageUsers:
        return Right::Users;
    case Operation::ChangePassword:
        return Right::Password;
    case Operation::BackupRestore:
    case Operation::InitialiseData:
        return Right::Database;
    case Operation::ImportCustomers:
        return Right::Import;
    case Operation::PrintCustomerSheet:
        return Right::CustomerSheet;
    case Operation::PrintCustomerList:
        return Right::CustomerList;
    case Operation::PrintEnvelope:
        return Right::Envelope;
    case Operation::PrintLabel:
        return Right::Label;
    case Operation::ViewStatistics:
        return Right::Statistics;
    }
    Q_UNREACHABLE();
}

Permissions::Permissions(const QList<ActionRight>& decisions)
{
    // A later row naming the same action decides, as in the main window.
    for (const ActionRight& decision : decisions)
        if (const std::optional<Right> right = rightOfAction(decision.action))
            m_decided.insert(int(*right), decision.enabled);
}

bool Permissions::allows(Right right) const
{
    return m_decided.value(int(right), true);
}

bool Permissions::decides(Right right) const
{
    return m_decided.contains(int(right));
}

const Permissions& currentPermissions()
{
    return current();
}

void setCurrentPermissions(const Permissions& permissions)
{
    current() = permissions;
}

const Permissions& applyUserRights(Query& query, const QString& rights)
{
    current() = Permissions(evaluateRights(query, rights));
    return current();
}

bool mayUse(Operation operation)
{
    return currentPermissions().allows(operation);
}

void requirePermission(Operation operation)
{
    if (!mayUse(operation))
        throw CommandError(
            QStringLiteral("您没有“%1”权限，不能进行此操作。").arg(rightCaption(requiredRight(operation))));
}

} // namespace zu
