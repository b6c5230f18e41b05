// The user statements without any window: the login's users, one user's stored values, a new
// password, the user window's two lists and the permission catalogue's rows.

#include "customers/categorycodes.h"
#include "data/datamodule.h"
#include "data/query.h"
#include "support/records.h"
#include "support/testdatabase.h"
#include "users/permissions.h"
#include "users/useraccounts.h"

#include <QtTest>

using namespace zu;
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
        storePassword(q, findUser(q, QStringLiteral("张三"))->key, QStringLiteral("new"));
        QCOMPARE(findUser(q, QStringLiteral("张三"))->password, QStringLiteral("new"));
        QCOMPARE(findUser(q, QStringLiteral("李四"))->password, QStringLiteral("old"));
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
};

QTEST_GUILESS_MAIN(TestAccounts)
#include "tst_accounts.moc"
