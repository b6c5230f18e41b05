// The user statements without any window: the login's users, one user's stored values, a new
// password, the user window's two lists and the permission catalogue's rows.

#include "customers/categorycodes.h"
#include "data/datamodule.h"
#include "data/errors.h"
#include "data/query.h"
#include "support/records.h"
#include "support/testdatabase.h"
#include "users/permissions.h"
#include "users/useraccounts.h"

#include <QtTest>

using namespace zu;
using zu::test::count;
using zu::test::insertRow;

namespace {

void addAccount(const QString& name, const char* type, const QString& password = {},
                const QString& rights = {})
{
    insertRow(QStringLiteral("T_user"), {{QStringLiteral("UserName"), name},
                                         {QStringLiteral("Password"), password},
                                         {QStringLiteral("qxList"), rights},
                                         {QStringLiteral("type"), QString::fromUtf8(type)}});
}

QStringList names(DataSet& list)
{
    QStringList out;
    for (int r = 0; r < list.recordCount(); ++r)
        out << list.value(r, list.fieldIndex(QStringLiteral("UserName"))).toString();
    return out;
}

} // namespace

class TestAccounts final : public QObject
{
    Q_OBJECT
private slots:
    void usersAndGroupsAreKeptApart_data() { zu::test::addEngineRows(); }
    void usersAndGroupsAreKeptApart()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addAccount(QStringLiteral("张三"), kUserType);
        addAccount(QStringLiteral("维修组"), kGroupType);
        addAccount(QStringLiteral("李四"), kUserType);
        const QStringList users{QStringLiteral("Admin"), QStringLiteral("张三"), QStringLiteral("李四")};
        const QStringList groups{QStringLiteral("系统管理员组"), QStringLiteral("维修组")};
        QCOMPARE(loginUserNames(d.qryTemp()), users);
        openUsers(d.qryUser());
        QCOMPARE(names(d.qryUser()), users);
        openGroups(d.qryUserZ());
        QCOMPARE(names(d.qryUserZ()), groups);
        const Statement groupList = groupListStatement();
        QStringList listed;
        for (d.F().open(groupList.sql, groupList.bindValues); !d.F().eof(); d.F().next())
            listed << d.F().asString(QStringLiteral("UserName"));
        QCOMPARE(listed, groups);
    }

    void oneUsersStoredValues_data() { zu::test::addEngineRows(); }
    void oneUsersStoredValues()
    {
        ZU_TEST_DATABASE(db);
        Query& q = db.dataModule().qryTemp();
        addAccount(QStringLiteral("张三"), kUserType, QStringLiteral("plain"), QStringLiteral("'客户管理',"));
        const std::optional<UserCredentials> found = findUser(q, QStringLiteral("张三"));
        QVERIFY(found);
        QVERIFY(found->key.isValid());
        QCOMPARE(found->password, QStringLiteral("plain"));
        QCOMPARE(found->rights, QStringLiteral("'客户管理',"));
        QVERIFY(!findUser(q, QStringLiteral("张")));
        QVERIFY(!findUser(q, QStringLiteral("admin"))); // names compare exactly
        QVERIFY(!findUser(q, QString()));
        QVERIFY(!q.isOpen());
    }

    void newPasswordReachesOnlyItsUser_data() { zu::test::addEngineRows(); }
    void newPasswordReachesOnlyItsUser()
    {
        ZU_TEST_DATABASE(db);
        Query& q = db.dataModule().qryTemp();
        addAccount(QStringLiteral("张三"), kUserType, QStringLiteral("old"));
        addAccount(QStringLiteral("李四"), kUserType, QStringLiteral("old"));
        storePassword(q, *findUser(q, QStringLiteral("张三")), QStringLiteral("new"));
        QCOMPARE(findUser(q, QStringLiteral("张三"))->password, QStringLiteral("new"));
        QCOMPARE(findUser(q, QStringLiteral("李四"))->password, QStringLiteral("old"));
    }

    void passwordOfAUserChangedElsewhereIsNotStored_data() { zu::test::addEngineRows(); }
    void passwordOfAUserChangedElsewhereIsNotStored()
    {
        ZU_TEST_DATABASE(db);
        Query& q = db.dataModule().qryTemp();
        addAccount(QStringLiteral("张三"), kUserType, QStringLiteral("old"));
        const UserCredentials read = *findUser(q, QStringLiteral("张三"));
        // The user window of another workstation changes the user meanwhile.
        db.otherExec(QStringLiteral("update T_user set Remark = '改过' where UserName = '张三'"));
        try {
            storePassword(q, read, QStringLiteral("new"));
            QFAIL("stored over a changed user");
        } catch (const DbError& e) {
            QCOMPARE(e.failure(), DbFailure::ChangedElsewhere);
            QCOMPARE(e.text(), QStringLiteral("该用户的资料刚被其他用户修改，密码没有修改，请再试一次。"));
        }
        QCOMPARE(findUser(q, QStringLiteral("张三"))->password, QStringLiteral("old"));
        const UserCredentials again = *findUser(q, QStringLiteral("张三"));
        db.otherExec(QStringLiteral("delete from T_user where UserName = '张三'"));
        try {
            storePassword(q, again, QStringLiteral("new"));
            QFAIL("stored for a deleted user");
        } catch (const DbError& e) {
            QCOMPARE(e.failure(), DbFailure::DeletedElsewhere);
        }
        QCOMPARE(count(QStringLiteral("select count(*) from T_user where UserName = '张三'")), 0);
    }

    void catalogueRowsInCodeOrder_data() { zu::test::addEngineRows(); }
    void catalogueRowsInCodeOrder()
    {
        ZU_TEST_DATABASE(db);
        Query& q = db.dataModule().qryTemp();
        const QString catalogue = QStringLiteral("测试目录");
        for (const auto& [code, name] : {std::pair{"0101 ", " 乙 "}, std::pair{"01", "甲"}})
            insertRow(QStringLiteral("T_popedom"), {{QStringLiteral("tablename"), catalogue},
                                                    {QStringLiteral("code"), QString::fromUtf8(code)},
                                                    {QStringLiteral("name"), QString::fromUtf8(name)}});
        QCOMPARE(readCatalogue(q, catalogue),
                 (QList<CodedName>{{QStringLiteral("01"), QStringLiteral("甲")},
                                   {QStringLiteral("0101"), QStringLiteral(" 乙 ")}}));
        // The delivered rights catalogue begins with its group rows.
        const QList<CodedName> rights = readCatalogue(q, QStringLiteral("用户权限"));
        QVERIFY(rights.size() > 10);
        QCOMPARE(rights.first(), (CodedName{QStringLiteral("01"), QStringLiteral("全部权限")}));
    }

    void aGroupNeverLogsIn_data() { zu::test::addEngineRows(); }
    void aGroupNeverLogsIn()
    {
        ZU_TEST_DATABASE(db);
        Query& q = db.dataModule().qryTemp();
        // The delivered group has an empty password: looked up by name it is no user.
        QVERIFY(!findUser(q, QStringLiteral("系统管理员组")));
        // A user named like the group is found, with its own password and rights.
        addAccount(QStringLiteral("系统管理员组"), kUserType, QStringLiteral("secret"), QString());
        const std::optional<UserCredentials> user = findUser(q, QStringLiteral("系统管理员组"));
        QVERIFY(user);
        QCOMPARE(user->password, QStringLiteral("secret"));
        QCOMPARE(user->rights, QString());
        QCOMPARE(findUserByKey(q, user->key)->password, QStringLiteral("secret"));
        // A group's key finds nothing either.
        q.open(QStringLiteral("select id from T_user where type = ?"), {QString::fromUtf8(kGroupType)});
        const QVariant groupKey = q.value(0);
        q.close();
        QVERIFY(!findUserByKey(q, groupKey));
        QVERIFY(!findUserByKey(q, QVariant()));
    }

    void permissionsFollowTheCatalogue_data() { zu::test::addEngineRows(); }
    void permissionsFollowTheCatalogue()
    {
        ZU_TEST_DATABASE(db);
        Query& q = db.dataModule().qryTemp();
        const Permissions none(evaluateRights(q, QString()));
        const Permissions some(evaluateRights(q, QStringLiteral("'客户管理','导出Excel',")));
        for (Right right : allRights()) {
            QVERIFY2(!none.allows(right), qPrintable(actionName(right)));
            QVERIFY(none.decides(right));
            QCOMPARE(some.allows(right), right == Right::Customers || right == Right::Export);
        }
        // Nothing decided: everything granted, as an action no catalogue row names stays enabled.
        QVERIFY(Permissions().allows(Right::Users));
        q.exec(QStringLiteral("delete from T_popedom where qxName = ?"), {QStringLiteral("actpopedom")});
        const Permissions without(evaluateRights(q, QString()));
        QVERIFY(!without.decides(Right::Users));
        QVERIFY(without.allows(Right::Users));
        QVERIFY(!without.allows(Right::Customers));
        // A granted name that merely contains another grants nothing more.
        QVERIFY(!Permissions(evaluateRights(q, QStringLiteral("'客户管理员',"))).allows(Right::Customers));
    }

    void everyRouteNamesItsRight()
    {
        const QList<std::pair<Operation, Right>> table{
            {Operation::OpenCustomerWindow, Right::Customers},
            {Operation::ChangeCustomers, Right::Customers},
            {Operation::ManageCategories, Right::Categories},
            {Operation::ExportList, Right::Export},
            {Operation::ChangeServices, Right::Services},
            {Operation::ChangeCalls, Right::Calls},
            {Operation::ChangeComplaints, Right::Complaints},
            {Operation::OpenServices, Right::Services},
            {Operation::OpenCalls, Right::Calls},
            {Operation::OpenComplaints, Right::Complaints},
            {Operation::Reminders, Right::Reminders},
            {Operation::LookupLists, Right::LookupLists},
            {Operation::ManageUsers, Right::Users},
            {Operation::ChangePassword, Right::Password},
            {Operation::BackupRestore, Right::Database},
            {Operation::InitialiseData, Right::Database},
            {Operation::ImportCustomers, Right::Import},
            {Operation::PrintCustomerSheet, Right::CustomerSheet},
            {Operation::PrintCustomerList, Right::CustomerList},
            {Operation::PrintEnvelope, Right::Envelope},
            {Operation::PrintLabel, Right::Label},
            {Operation::ViewStatistics, Right::Statistics},
        };
        for (const auto& [operation, right] : table)
            QCOMPARE(requiredRight(operation), right);
        QCOMPARE(allRights().size(), 17);
        for (Right right : allRights())
            QCOMPARE(rightOfAction(actionName(right).toUpper()), std::optional<Right>(right));
        QCOMPARE(rightOfAction(QStringLiteral("N27")), std::nullopt);
    }

    void theLoggedInUsersPermissionsDecideEveryRoute_data() { zu::test::addEngineRows(); }
    void theLoggedInUsersPermissionsDecideEveryRoute()
    {
        ZU_TEST_DATABASE(db);
        QVERIFY(mayUse(Operation::InitialiseData)); // nobody logged in yet
        applyUserRights(db.dataModule().qryTemp(), QStringLiteral("'用户提醒',"));
        QVERIFY(mayUse(Operation::Reminders));
        QVERIFY(!mayUse(Operation::ExportList));
        QVERIFY(!mayUse(Operation::InitialiseData));
        requirePermission(Operation::Reminders);
        try {
            requirePermission(Operation::InitialiseData);
            QFAIL("refused operation went ahead");
        } catch (const CommandError& e) {
            QCOMPARE(e.text(), QStringLiteral("您没有“数据备份及还原”权限，不能进行此操作。"));
        }
    }

    void nobodyLosesTheLastWayIntoTheUserWindow_data() { zu::test::addEngineRows(); }
    void nobodyLosesTheLastWayIntoTheUserWindow()
    {
        ZU_TEST_DATABASE(db);
        Query& q = db.dataModule().qryTemp();
        const QVariant admin = findUser(q, QStringLiteral("Admin"))->key;
        const QString manager = QStringLiteral("'管理员及权限管理',");
        const QString clerk = QStringLiteral("'客户管理',");
        addAccount(QStringLiteral("文员"), kUserType, QString(), clerk);
        const QVariant clerkKey = findUser(q, QStringLiteral("文员"))->key;

        // Admin is the only one who may manage users: the right stays, the user stays.
        QVERIFY(rightsChangeRefusal(q, admin, clerk).contains(QStringLiteral("管理员及权限管理")));
        QVERIFY(rightsChangeRefusal(q, admin, manager).isEmpty());
        QVERIFY(rightsChangeRefusal(q, clerkKey, QString()).isEmpty());   // the clerk never had it
        QVERIFY(rightsChangeRefusal(q, QVariant(), QString()).isEmpty()); // a new user
        QCOMPARE(deleteRefusal(q, admin, clerkKey), rightsChangeRefusal(q, admin, clerk));
        QVERIFY(deleteRefusal(q, clerkKey, admin).isEmpty());
        QCOMPARE(countUserManagers(q, QVariant()), 1);
        QCOMPARE(countUserManagers(q, admin), 0);

        // A second manager: either may lose it, not both.
        q.exec(QStringLiteral("update T_user set qxList = ? where id = ?"), {manager, clerkKey});
        QVERIFY(rightsChangeRefusal(q, admin, clerk).isEmpty());
        QVERIFY(deleteRefusal(q, admin, clerkKey).isEmpty());
        q.exec(QStringLiteral("update T_user set qxList = ? where id = ?"), {clerk, admin});
        QVERIFY(!rightsChangeRefusal(q, clerkKey, clerk).isEmpty());
        QVERIFY(!deleteRefusal(q, clerkKey, QVariant()).isEmpty());

        // The logged-in user by key, whatever the name now; the last user in any case.
        QCOMPARE(deleteRefusal(q, admin, admin), QStringLiteral("不能删除当前登录的用户！"));
        q.exec(QStringLiteral("delete from T_user where id = ?"), {admin});
        QCOMPARE(deleteRefusal(q, clerkKey, QVariant()),
                 QStringLiteral("不能删除最后一个用户，否则将没有人能够登录本系统！"));

        // A catalogue that does not govern the user window locks nobody out.
        q.exec(QStringLiteral("delete from T_popedom where qxName = ?"), {QStringLiteral("actpopedom")});
        QVERIFY(rightsChangeRefusal(q, clerkKey, QString()).isEmpty());
    }

    void aGroupsRights_data() { zu::test::addEngineRows(); }
    void aGroupsRights()
    {
        ZU_TEST_DATABASE(db);
        Query& q = db.dataModule().qryTemp();
        addAccount(QStringLiteral("维修组"), kGroupType, QString(), QStringLiteral("'维修记录',"));
        addAccount(QStringLiteral("张三"), kUserType, QString(), QStringLiteral("'客户管理',"));
        QCOMPARE(groupRights(q, QStringLiteral("维修组")), QStringLiteral("'维修记录',"));
        QVERIFY(
            groupRights(q, QStringLiteral("系统管理员组")).contains(QStringLiteral("'管理员及权限管理',")));
        QCOMPARE(groupRights(q, QStringLiteral("张三")), QString()); // a user is no group
        QCOMPARE(groupRights(q, QStringLiteral("无此组")), QString());
        QCOMPARE(groupToStore(0, QString()), QString());
        QCOMPARE(groupToStore(1, QStringLiteral("维修组")), QStringLiteral("维修组"));
    }
};

QTEST_GUILESS_MAIN(TestAccounts)
#include "tst_accounts.moc"
