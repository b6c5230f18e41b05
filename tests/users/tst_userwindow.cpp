#include "columns/listgrid.h"
#include "data/datamodule.h"
#include "data/query.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"
#include "users/passwords.h"
#include "users/tfrmuserqx.h"
#include "users/useraccounts.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QtTest>

using namespace zu;
using zu::test::control;
using zu::test::ScriptedDialogs;

namespace {

struct StoredUser
{
    QString password, remark, ckList, djList, qxList, qxGroup, type;
    bool found = false;
};

void addUser(const QString& name, const QString& rights = {}, const QString& password = {},
             const QString& ckList = {}, const QString& djList = {})
{
    data().T().exec(
        QStringLiteral(
            "insert into T_user (UserName, Password, Remark, ckList, djList, qxList, qxGroup, type) "
            "values (?, ?, ?, ?, ?, ?, ?, ?)"),
        {name, password, QString(), ckList, djList, rights, QString(), QStringLiteral("用户")});
}

StoredUser stored(const QString& name)
{
    StoredUser u;
    Query q(data().conn());
    q.open(
        QStringLiteral(
            "select Password, Remark, ckList, djList, qxList, qxGroup, type from T_user where UserName = ? "
            "order by id"),
        {name});
    if (q.eof())
        return u;
    u.found = true;
    u.password = q.value(0).toString();
    u.remark = q.value(1).toString();
    u.ckList = q.value(2).toString();
    u.djList = q.value(3).toString();
    u.qxList = q.value(4).toString();
    u.qxGroup = q.value(5).toString();
    u.type = q.value(6).toString();
    return u;
}

// Logs the user in as the login does: the name, and the row that tells the user apart.
void logIn(const QString& name)
{
    Query q(data().conn());
    data().setCurrentUserName(name);
    data().setCurrentUserKey(findUser(q, name)->key);
}

QStringList items(const QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

int usersNamed(const QString& name)
{
    Query q(data().conn());
    q.open(QStringLiteral("select count(*) from T_user where UserName = ?"), {name});
    return q.value(0).toInt();
}

// The user window as the main window opens it.
struct UserWindow
{
    TfrmUserQx window;
    UserWindow() { window.show(); }

    QTreeWidget* tree() { return control<QTreeWidget>(&window, "RzCheckTree1"); }
    ListGrid* grid() { return control<ListGrid>(&window, "dgUser"); }
    QToolButton* button(const char* name) { return control<QToolButton>(&window, name); }
    void press(const char* name) { button(name)->click(); }
    void menu(const char* name) { control<QAction>(&window, name)->trigger(); }
    QLineEdit* edit(const char* name) { return control<QLineEdit>(&window, name); }
    QComboBox* groups() { return control<QComboBox>(&window, "cmbQxGroup"); }

    void select(const QString& name)
    {
        DataSet& users = data().qryUser();
        const int column = users.fieldIndex(QStringLiteral("UserName"));
        for (int r = 0; r < users.recordCount(); ++r)
            if (users.value(r, column).toString() == name) {
                grid()->view()->selectRow(r);
                QCOMPARE(users.currentRow(), r);
                return;
            }
        QFAIL(qPrintable(QStringLiteral("no user ") + name));
    }
    QTreeWidgetItem* node(const QString& caption)
    {
        for (QTreeWidgetItemIterator it(tree()); *it; ++it)
            if ((*it)->text(0) == caption)
                return *it;
        qFatal("no node %s", qPrintable(caption));
    }
    Qt::CheckState state(const QString& caption) { return node(caption)->checkState(0); }
    void check(const QString& caption, Qt::CheckState s = Qt::Checked) { node(caption)->setCheckState(0, s); }
    QStringList checkedCaptions()
    {
        QStringList out;
        for (QTreeWidgetItemIterator it(tree()); *it; ++it)
            if ((*it)->checkState(0) == Qt::Checked)
                out << (*it)->text(0);
        return out;
    }
    QList<bool> enabled(std::initializer_list<const char*> names)
    {
        QList<bool> out;
        for (const char* n : names)
            out << window.findChild<QWidget*>(QString::fromLatin1(n))->isEnabled();
        return out;
    }
};

QString item(const char* name)
{
    return QStringLiteral("'") + QString::fromUtf8(name) + QStringLiteral("',");
}

const QString kReports = item("报表中心") + item("导出Excel") + item("当前客户详细报表") +
                         item("当前用户统计列表") + item("当前用户信封打印") + item("当前用户标签打印") +
                         item("统计分析");

} // namespace

class TestUserWindow final : public QObject
{
    Q_OBJECT
private slots:
    void opensOnTheUsersWithTheirTree_data() { zu::test::addEngineRows(); }
    void opensOnTheUsersWithTheirTree()
    {
        ZU_TEST_DATABASE(db);
        addUser(QStringLiteral("甲"), item("修改密码") + item("客户管理"));
        ScriptedDialogs dialogs;
        UserWindow w;
        QCOMPARE(w.window.windowTitle(), QStringLiteral("操作员及权限管理"));
        QCOMPARE(control<QTabWidget>(&w.window, "pcUser")->tabText(0), QStringLiteral("用户管理"));
        // Users only, no groups; the columns of the stored layout.
        QCOMPARE(db.dataModule().qryUser().recordCount(), 2);
        QCOMPARE(w.grid()->columnCount(), 3);
        QCOMPARE(w.grid()->cellText(1, 0), QStringLiteral("甲"));
        QVERIFY(!w.grid()->hasFooter());
        QCOMPARE(w.tree()->topLevelItem(0)->text(0), QStringLiteral("用户权限"));
        // The boxes start empty; Save and Cancel are off.
        QCOMPARE(w.edit("edtUserName")->text(), QString());
        QCOMPARE(
            w.enabled({"btnPost", "ToolButton11", "ToolButton1", "ToolButton2", "ToolButton3", "dgUser"}),
            (QList<bool>{false, false, true, true, true, true}));

        w.select(QStringLiteral("甲"));
        QCOMPARE(w.edit("edtUserName")->text(), QStringLiteral("甲"));
        QCOMPARE(w.edit("UserName")->text(), QStringLiteral("甲"));
        QCOMPARE(w.checkedCaptions(), (QStringList{QStringLiteral("修改密码"), QStringLiteral("客户管理")}));
        QCOMPARE(w.state(QStringLiteral("系统设置")), Qt::PartiallyChecked);
        QCOMPARE(w.state(QStringLiteral("全部权限")), Qt::PartiallyChecked);
        QCOMPARE(w.state(QStringLiteral("报表中心")), Qt::Unchecked);

        // Admin has everything: every leaf and parent checked, the first node through the cascade.
        w.select(QStringLiteral("Admin"));
        QCOMPARE(w.state(QStringLiteral("全部权限")), Qt::Checked);
        QCOMPARE(w.state(QStringLiteral("当前用户标签打印")), Qt::Checked);
        QVERIFY(dialogs.shown().isEmpty());
    }

    void rightsFromTheTree_data() { zu::test::addEngineRows(); }
    void rightsFromTheTree()
    {
        ZU_TEST_DATABASE(db);
        addUser(QStringLiteral("甲"), item("修改密码"));
        // A rights string naming only the first node: it is never set directly.
        addUser(QStringLiteral("乙"), item("全部权限"));
        ScriptedDialogs dialogs;
        UserWindow w;

        w.select(QStringLiteral("乙"));
        QCOMPARE(w.checkedCaptions(), QStringList());
        QCOMPARE(w.state(QStringLiteral("全部权限")), Qt::Unchecked);

        // A checked parent stores itself and its children; a partly checked parent is stored.
        w.select(QStringLiteral("甲"));
        w.press("ToolButton2");
        w.check(QStringLiteral("报表中心"));
        QCOMPARE(w.state(QStringLiteral("导出Excel")), Qt::Checked);
        w.press("btnPost");
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("操作成功！")});
        QCOMPARE(dialogs.last().title, QStringLiteral("提示"));
        QCOMPARE(dialogs.last().icon, QMessageBox::Question);
        QCOMPARE(stored(QStringLiteral("甲")).qxList, item("系统设置") + item("修改密码") + kReports);

        // Everything checked: the first node beneath the root is still not stored.
        w.press("ToolButton2");
        w.check(QStringLiteral("全部权限"));
        w.press("btnPost");
        const QString all = stored(QStringLiteral("甲")).qxList;
        QVERIFY(!all.contains(QStringLiteral("全部权限")));
        QVERIFY(!all.contains(QStringLiteral("用户权限")));
        QVERIFY(all.startsWith(item("系统设置") + item("修改密码") + item("管理员及权限管理")));
        QVERIFY(all.endsWith(kReports));
        QCOMPARE(all.count(QLatin1Char(',')), 20);

        // Nothing checked stores the empty text.
        w.press("ToolButton2");
        w.check(QStringLiteral("全部权限"), Qt::Unchecked);
        w.press("btnPost");
        QCOMPARE(stored(QStringLiteral("甲")).qxList, QString());
    }

    void newUserInheritsTheTreeShown_data() { zu::test::addEngineRows(); }
    void newUserInheritsTheTreeShown()
    {
        ZU_TEST_DATABASE(db);
        addUser(QStringLiteral("甲"), item("修改密码") + item("客户管理"));
        addUser(QStringLiteral("丙"), item("导出Excel"));
        ScriptedDialogs dialogs;
        UserWindow w;
        w.select(QStringLiteral("甲"));
        w.press("ToolButton1");
        QVERIFY(w.window.FIsAdd);
        QCOMPARE(
            w.enabled({"dgUser", "ToolButton1", "ToolButton2", "ToolButton3", "btnPost", "ToolButton11"}),
            (QList<bool>{false, false, false, false, true, true}));
        QCOMPARE(w.edit("edtUserName")->text(), QString());
        QCOMPARE(w.groups()->itemText(0), QString());
        QCOMPARE(w.groups()->currentIndex(), 0);
        w.edit("edtUserName")->setText(QStringLiteral("新人"));
        control<QPlainTextEdit>(&w.window, "mmRemark")->setPlainText(QStringLiteral("夜班"));
        w.press("btnPost");
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("操作成功！")});

        const StoredUser u = stored(QStringLiteral("新人"));
        QVERIFY(u.found);
        QCOMPARE(u.qxList, item("系统设置") + item("修改密码") + item("基础信息") + item("客户管理"));
        QCOMPARE(u.type, QStringLiteral("用户"));
        QCOMPARE(u.remark, QStringLiteral("夜班"));
        // A new user saved with an empty box has an empty password.
        QCOMPARE(u.password, QString());
        // The new row shows at the end of the list, which was not read again.
        DataSet& users = db.dataModule().qryUser();
        QCOMPARE(users.recordCount(), 4);
        QCOMPARE(users.currentRow(), 3);
        QCOMPARE(w.grid()->cellText(3, 0), QStringLiteral("新人"));
        QCOMPARE(
            w.enabled({"dgUser", "ToolButton1", "ToolButton2", "ToolButton3", "btnPost", "ToolButton11"}),
            (QList<bool>{true, true, true, true, false, false}));
    }

    void nameIsCheckedOnlyWhenNeeded_data() { zu::test::addEngineRows(); }
    void nameIsCheckedOnlyWhenNeeded()
    {
        ZU_TEST_DATABASE(db);
        // Two users of one name (an older database): saving one of them unrenamed must work.
        addUser(QStringLiteral("重名"));
        addUser(QStringLiteral("重名"));
        addUser(QStringLiteral("丙"));
        ScriptedDialogs dialogs;
        UserWindow w;

        w.select(QStringLiteral("重名"));
        w.press("ToolButton2");
        control<QPlainTextEdit>(&w.window, "mmRemark")->setPlainText(QStringLiteral("改了备注"));
        w.press("btnPost");
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("操作成功！")});
        QCOMPARE(stored(QStringLiteral("重名")).remark, QStringLiteral("改了备注"));

        const QString duplicate = QStringLiteral("用户名称重复，请您重新录入!");
        // Renamed to a name in use: refused, nothing written.
        dialogs.clear();
        w.select(QStringLiteral("丙"));
        w.press("ToolButton2");
        w.edit("edtUserName")->setText(QStringLiteral("Admin"));
        w.press("btnPost");
        QCOMPARE(dialogs.messages(), QStringList{duplicate});
        QCOMPARE(dialogs.last().title, QStringLiteral("提示"));
        QCOMPARE(usersNamed(QStringLiteral("丙")), 1);
        QCOMPARE(usersNamed(QStringLiteral("Admin")), 1);
        // A stopped save still returns to browsing.
        QCOMPARE(w.enabled({"dgUser", "ToolButton1", "btnPost", "ToolButton11"}),
                 (QList<bool>{true, true, false, false}));
        // The comparison is exact: another letter case is another name.
        w.press("ToolButton2");
        w.edit("edtUserName")->setText(QStringLiteral("admin"));
        w.press("btnPost");
        QCOMPARE(dialogs.messages().last(), QStringLiteral("操作成功！"));
        QCOMPARE(usersNamed(QStringLiteral("admin")), 1);
        QCOMPARE(usersNamed(QStringLiteral("丙")), 0);

        // Adding always checks; a group's name is not a user's.
        dialogs.clear();
        w.press("ToolButton1");
        w.edit("edtUserName")->setText(QStringLiteral("重名"));
        w.press("btnPost");
        QCOMPARE(dialogs.messages(), QStringList{duplicate});
        QCOMPARE(usersNamed(QStringLiteral("重名")), 2);
        w.press("ToolButton1");
        w.edit("edtUserName")->setText(QStringLiteral("系统管理员组"));
        w.press("btnPost");
        QCOMPARE(dialogs.messages().last(), QStringLiteral("操作成功！"));

        dialogs.clear();
        w.press("ToolButton1");
        w.press("btnPost");
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("用户名称不能为空，请您重新录入!")});
        QCOMPARE(dialogs.last().icon, QMessageBox::Question);
        QCOMPARE(db.dataModule().qryUser().recordCount(), 5);
    }

    void everySaveEmptiesTheUnusedLists_data() { zu::test::addEngineRows(); }
    void everySaveEmptiesTheUnusedLists()
    {
        ZU_TEST_DATABASE(db);
        addUser(QStringLiteral("甲"), item("客户管理"), QString(), QStringLiteral("'仓库一',"),
                QStringLiteral("'单据',"));
        ScriptedDialogs dialogs;
        UserWindow w;
        w.select(QStringLiteral("甲"));
        QCOMPARE(stored(QStringLiteral("甲")).ckList, QStringLiteral("'仓库一',"));
        w.press("ToolButton2");
        w.press("btnPost");
        const StoredUser u = stored(QStringLiteral("甲"));
        QCOMPARE(u.ckList, QString());
        QCOMPARE(u.djList, QString());
        QCOMPARE(u.qxList, item("基础信息") + item("客户管理"));
    }

    void passwordBoxKeepsOrReplacesTheHash_data() { zu::test::addEngineRows(); }
    void passwordBoxKeepsOrReplacesTheHash()
    {
        ZU_TEST_DATABASE(db);
        const QString oldHash = hashPassword(QStringLiteral("旧密码"));
        addUser(QStringLiteral("甲"), QString(), oldHash);
        ScriptedDialogs dialogs;
        UserWindow w;
        w.select(QStringLiteral("甲"));
        QCOMPARE(w.edit("edtPassword")->text(), QString());
        QCOMPARE(w.edit("edtPassword")->echoMode(), QLineEdit::Password);

        // Left empty: the stored password stays.
        w.press("ToolButton2");
        QCOMPARE(w.edit("edtPassword")->text(), QString());
        w.press("btnPost");
        QCOMPARE(stored(QStringLiteral("甲")).password, oldHash);

        // Typed: replaced by a hash of what was typed.
        w.press("ToolButton2");
        w.edit("edtPassword")->setText(QStringLiteral("新密码"));
        w.press("btnPost");
        const QString now = stored(QStringLiteral("甲")).password;
        QVERIFY(isPasswordHash(now));
        QVERIFY(checkPassword(now, QStringLiteral("新密码")).matches);
        QVERIFY(!checkPassword(now, QStringLiteral("旧密码")).matches);
        // Shown again, the box is empty: the hash is never put into it.
        QCOMPARE(w.edit("edtPassword")->text(), QString());

        // A new user with a typed password gets its hash.
        w.press("ToolButton1");
        w.edit("edtUserName")->setText(QStringLiteral("乙"));
        w.edit("edtPassword")->setText(QStringLiteral("123"));
        w.press("btnPost");
        QVERIFY(checkPassword(stored(QStringLiteral("乙")).password, QStringLiteral("123")).matches);
        QVERIFY(dialogs.messages().count(QStringLiteral("操作成功！")) == 3);
    }

    void chosenGroupIsStored_data() { zu::test::addEngineRows(); }
    void chosenGroupIsStored()
    {
        ZU_TEST_DATABASE(db);
        data().T().exec(QStringLiteral("insert into T_user (UserName, qxList, type) values (?, ?, ?)"),
                        {QStringLiteral("查询组"), QString(), QStringLiteral("权限组")});
        addUser(QStringLiteral("甲"));
        ScriptedDialogs dialogs;
        UserWindow w;
        w.select(QStringLiteral("甲"));
        QCOMPARE(w.groups()->count(), 3);
        QCOMPARE(w.groups()->itemText(0), QString()); // no group; the box lists the stored groups
        QCOMPARE(w.groups()->itemText(1), QStringLiteral("系统管理员组"));
        QCOMPARE(w.groups()->currentIndex(), 0); // no group: the empty entry

        w.press("ToolButton2");
        w.groups()->setCurrentIndex(w.groups()->findText(QStringLiteral("查询组")));
        w.press("btnPost");
        QCOMPARE(stored(QStringLiteral("甲")).qxGroup, QStringLiteral("查询组"));
        w.select(QStringLiteral("Admin"));
        w.select(QStringLiteral("甲"));
        QCOMPARE(w.groups()->currentText(), QStringLiteral("查询组"));

        // The empty entry takes the group away.
        w.press("ToolButton2");
        w.groups()->setCurrentIndex(0);
        w.press("btnPost");
        QCOMPARE(stored(QStringLiteral("甲")).qxGroup, QString());

        // A new user takes the group chosen in the box.
        w.press("ToolButton1");
        w.edit("edtUserName")->setText(QStringLiteral("乙"));
        w.groups()->setCurrentIndex(w.groups()->findText(QStringLiteral("系统管理员组")));
        w.press("btnPost");
        QCOMPARE(stored(QStringLiteral("乙")).qxGroup, QStringLiteral("系统管理员组"));
    }

    void nobodyIsLockedOut_data() { zu::test::addEngineRows(); }
    void nobodyIsLockedOut()
    {
        ZU_TEST_DATABASE(db);
        addUser(QStringLiteral("甲"));
        logIn(QStringLiteral("Admin"));
        ScriptedDialogs dialogs;
        UserWindow w;
        DataSet& users = db.dataModule().qryUser();

        // The logged-in user cannot delete themself.
        w.select(QStringLiteral("Admin"));
        w.press("ToolButton3");
        QCOMPARE(dialogs.shown().size(), 1);
        QVERIFY(dialogs.last().text.contains(QStringLiteral("当前登录的用户")));
        QCOMPARE(usersNamed(QStringLiteral("Admin")), 1);

        // Another user: asked first, Cancel keeps the row, OK deletes it.
        dialogs.clear();
        w.select(QStringLiteral("甲"));
        dialogs.answer(QMessageBox::Cancel);
        w.menu("N3");
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("您确定要删除嘛？")});
        QCOMPARE(dialogs.last().icon, QMessageBox::Information);
        QCOMPARE(dialogs.last().buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(usersNamed(QStringLiteral("甲")), 1);
        dialogs.answer(QMessageBox::Ok);
        w.press("ToolButton3");
        QCOMPARE(usersNamed(QStringLiteral("甲")), 0);
        QCOMPARE(users.recordCount(), 1);

        // The last user stays, whoever is logged in.
        db.dataModule().setCurrentUserKey(QVariant());
        dialogs.clear();
        w.press("ToolButton3");
        QCOMPARE(dialogs.shown().size(), 1);
        QVERIFY(dialogs.last().text.contains(QStringLiteral("最后一个用户")));
        QCOMPARE(usersNamed(QStringLiteral("Admin")), 1);
    }

    void menuAndToolBarEnableDifferently()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        addUser(QStringLiteral("甲"), item("客户管理"));
        ScriptedDialogs dialogs;
        UserWindow w;
        const auto all = {"dgUser", "ToolButton1", "ToolButton2", "ToolButton3", "btnPost", "ToolButton11"};

        // The menu's Add leaves the grid and Add on.
        w.menu("N1");
        QCOMPARE(w.enabled(all), (QList<bool>{true, true, false, false, true, true}));
        w.press("ToolButton11");
        QCOMPARE(w.enabled(all), (QList<bool>{true, true, true, true, false, false}));

        // The menu's Edit only turns Save on and shows the current user.
        w.select(QStringLiteral("甲"));
        w.menu("N2");
        QVERIFY(!w.window.FIsAdd);
        QCOMPARE(w.window.FOldUserName, QStringLiteral("甲"));
        QCOMPARE(w.enabled(all), (QList<bool>{true, true, true, true, true, false}));
        // The Delete key is off while a user is changed, though the Delete button is not.
        auto* deleteKey = w.window.findChild<QAction*>(QStringLiteral("N3"));
        QVERIFY(!deleteKey->isEnabled());
        // Moving to another user shows that one and turns Save off again.
        w.select(QStringLiteral("Admin"));
        QCOMPARE(w.edit("edtUserName")->text(), QStringLiteral("Admin"));
        QCOMPARE(w.window.FOldUserName, QStringLiteral("Admin"));
        QVERIFY(!w.button("btnPost")->isEnabled());
        QVERIFY(deleteKey->isEnabled());

        // Cancel writes nothing; the boxes keep their text.
        w.press("ToolButton2");
        QCOMPARE(w.enabled(all), (QList<bool>{false, false, false, false, true, true}));
        w.edit("edtUserName")->setText(QStringLiteral("改名"));
        w.press("ToolButton11");
        QCOMPARE(w.edit("edtUserName")->text(), QStringLiteral("改名"));
        QCOMPARE(usersNamed(QStringLiteral("Admin")), 1);
        QVERIFY(dialogs.shown().isEmpty());
    }

    void rulesWithoutWindow()
    {
        QCOMPARE(passwordToStore(true, QString()), std::optional<QString>(QString()));
        QCOMPARE(passwordToStore(false, QString()), std::nullopt);
        QVERIFY(checkPassword(*passwordToStore(false, QStringLiteral("x")), QStringLiteral("x")).matches);
        QVERIFY(checkPassword(*passwordToStore(true, QStringLiteral("y")), QStringLiteral("y")).matches);

        QVERIFY(nameNeedsCheck(true, QStringLiteral("a"), QStringLiteral("a")));
        QVERIFY(!nameNeedsCheck(false, QStringLiteral("a"), QStringLiteral("a")));
        QVERIFY(nameNeedsCheck(false, QStringLiteral("A"), QStringLiteral("a")));

        QCOMPARE(groupToStore(0, QString()), QString());
        QCOMPARE(groupToStore(-1, QString()), QString());
        QCOMPARE(groupToStore(2, QStringLiteral("查询组")), QStringLiteral("查询组"));
    }

    void deletingYourselfUnderANewNameIsRefused_data() { zu::test::addEngineRows(); }
    void deletingYourselfUnderANewNameIsRefused()
    {
        ZU_TEST_DATABASE(db);
        addUser(QStringLiteral("clerk3"), item("管理员及权限管理"));
        logIn(QStringLiteral("clerk3"));
        ScriptedDialogs dialogs;
        UserWindow w;
        w.select(QStringLiteral("clerk3"));
        w.press("ToolButton2");
        w.edit("edtUserName")->setText(QStringLiteral("clerk3b"));
        w.press("btnPost");
        QVERIFY(stored(QStringLiteral("clerk3b")).found);
        dialogs.clear();
        w.select(QStringLiteral("clerk3b"));
        dialogs.answer(QMessageBox::Ok);
        w.press("ToolButton3");
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("不能删除当前登录的用户！")});
        QVERIFY(stored(QStringLiteral("clerk3b")).found);
        // Another user of the same rights may go.
        w.select(QStringLiteral("Admin"));
        dialogs.answer(QMessageBox::Ok);
        w.press("ToolButton3");
        QCOMPARE(usersNamed(QStringLiteral("Admin")), 0);
    }

    void theLastAdministratorKeepsTheUserWindow_data() { zu::test::addEngineRows(); }
    void theLastAdministratorKeepsTheUserWindow()
    {
        ZU_TEST_DATABASE(db);
        addUser(QStringLiteral("甲"), item("客户管理"));
        logIn(QStringLiteral("甲"));
        ScriptedDialogs dialogs;
        UserWindow w;
        const QString adminRights = stored(QStringLiteral("Admin")).qxList;
        const QString refusal = QStringLiteral(
            "至少要保留一个拥有“管理员及权限管理”权限的用户，否则将没有人能够管理用户和权限！");

        // By untick: refused, nothing stored.
        w.select(QStringLiteral("Admin"));
        w.press("ToolButton2");
        w.check(QStringLiteral("管理员及权限管理"), Qt::Unchecked);
        w.press("btnPost");
        QCOMPARE(dialogs.messages(), QStringList{refusal});
        QCOMPARE(dialogs.last().icon, QMessageBox::Warning);
        QCOMPARE(stored(QStringLiteral("Admin")).qxList, adminRights);

        // By deletion: refused.
        dialogs.clear();
        w.select(QStringLiteral("Admin"));
        w.press("ToolButton3");
        QCOMPARE(dialogs.messages(), QStringList{refusal});
        QCOMPARE(usersNamed(QStringLiteral("Admin")), 1);

        // Once another user holds the right, Admin may lose it.
        dialogs.clear();
        w.select(QStringLiteral("甲"));
        w.press("ToolButton2");
        w.check(QStringLiteral("管理员及权限管理"));
        w.press("btnPost");
        QVERIFY(stored(QStringLiteral("甲")).qxList.contains(item("管理员及权限管理")));
        w.select(QStringLiteral("Admin"));
        w.press("ToolButton2");
        w.check(QStringLiteral("管理员及权限管理"), Qt::Unchecked);
        w.press("btnPost");
        QVERIFY(!stored(QStringLiteral("Admin")).qxList.contains(item("管理员及权限管理")));
        QCOMPARE(dialogs.messages(),
                 (QStringList{QStringLiteral("操作成功！"), QStringLiteral("操作成功！")}));
    }

    // Tab goes through the boxes row by row, then on to the rights tree beside them.
    void tabFollowsTheFormInReadingOrder()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        UserWindow w;
        w.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        w.press("ToolButton1");
        w.edit("edtUserName")->setFocus();
        QStringList visited;
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, (QStringList{QStringLiteral("edtPassword"), QStringLiteral("cmbQxGroup"),
                                       QStringLiteral("mmRemark"), QStringLiteral("RzCheckTree1")}));
    }

    void delActsOnlyOnTheListWhileBrowsing()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        addUser(QStringLiteral("甲"));
        ScriptedDialogs dialogs;
        UserWindow w;
        w.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        w.select(QStringLiteral("甲"));

        // Adding a user: Del in the tree or a box deletes nobody.
        w.press("ToolButton1");
        QVERIFY(!control<QAction>(&w.window, "N3")->isEnabled());
        w.tree()->setFocus();
        QTest::keyClick(w.tree(), Qt::Key_Delete);
        w.edit("edtUserName")->setFocus();
        QTest::keyClick(w.edit("edtUserName"), Qt::Key_Delete);
        // The menu's Add leaves the list on: Del there deletes nobody either.
        w.press("ToolButton11");
        w.menu("N1");
        w.grid()->view()->setFocus();
        QTest::keyClick(w.grid()->view(), Qt::Key_Delete);
        QVERIFY(dialogs.shown().isEmpty());
        QCOMPARE(usersNamed(QStringLiteral("甲")), 1);

        // Browsing: Del in a box is the box's own; in the list it asks to delete the user.
        w.press("ToolButton11");
        w.select(QStringLiteral("甲"));
        w.edit("edtUserName")->setFocus();
        QTest::keyClick(w.edit("edtUserName"), Qt::Key_Delete);
        QVERIFY(dialogs.shown().isEmpty());
        w.grid()->view()->setFocus();
        dialogs.answer(QMessageBox::Ok);
        QTest::keyClick(w.grid()->view(), Qt::Key_Delete);
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("您确定要删除嘛？")});
        QCOMPARE(usersNamed(QStringLiteral("甲")), 0);
    }

    void leavingWithUnsavedTicksAsksFirst()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        addUser(QStringLiteral("甲"), item("客户管理"));
        ScriptedDialogs dialogs;
        const QString question = QStringLiteral("用户或权限的修改尚未保存，确定要关闭窗口吗？");
        {
            // Nothing changed: it closes without a word.
            UserWindow w;
            w.select(QStringLiteral("甲"));
            w.press("ToolButton8");
            QVERIFY(!w.window.isVisible());
            QVERIFY(dialogs.shown().isEmpty());
        }
        UserWindow w;
        w.select(QStringLiteral("甲"));
        w.check(QStringLiteral("回访管理"));
        dialogs.answer(QMessageBox::No);
        w.press("ToolButton8");
        QCOMPARE(dialogs.messages(), QStringList{question});
        QVERIFY(w.window.isVisible());
        QCOMPARE(w.state(QStringLiteral("回访管理")), Qt::Checked); // the ticks are still there
        // Saved, the window closes without asking.
        w.press("ToolButton2");
        w.press("btnPost");
        QVERIFY(stored(QStringLiteral("甲")).qxList.contains(item("回访管理")));
        dialogs.clear();
        w.press("ToolButton8");
        QVERIFY(dialogs.shown().isEmpty());
        QVERIFY(!w.window.isVisible());

        // A user being added, closed with Esc: asked, and Yes leaves.
        UserWindow adding;
        adding.press("ToolButton1");
        dialogs.answer(QMessageBox::Yes);
        QTest::keyClick(&adding.window, Qt::Key_Escape);
        QCOMPARE(dialogs.messages(), QStringList{question});
        QVERIFY(!adding.window.isVisible());
    }

    void groupBoxListsTheGroupsAndGivesTheirRights()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        data().T().exec(QStringLiteral("insert into T_user (UserName, qxList, type) values (?, ?, ?)"),
                        {QStringLiteral("维修组"), item("维修记录"), QStringLiteral("权限组")});
        addUser(QStringLiteral("甲"), item("客户管理"));
        ScriptedDialogs dialogs;
        UserWindow w;
        w.select(QStringLiteral("甲"));
        QCOMPARE(items(w.groups()),
                 (QStringList{QString(), QStringLiteral("系统管理员组"), QStringLiteral("维修组")}));

        w.press("ToolButton1");
        QCOMPARE(items(w.groups()),
                 (QStringList{QString(), QStringLiteral("系统管理员组"), QStringLiteral("维修组")}));
        w.edit("edtUserName")->setText(QStringLiteral("乙"));
        const int group = w.groups()->findText(QStringLiteral("维修组"));
        w.groups()->setCurrentIndex(group);
        emit w.groups()->activated(group);
        QCOMPARE(w.state(QStringLiteral("维修记录")), Qt::Checked);
        QCOMPARE(w.state(QStringLiteral("客户管理")), Qt::Unchecked);
        // The ticks can still be changed before saving.
        w.check(QStringLiteral("用户提醒"));
        w.press("btnPost");
        const StoredUser saved = stored(QStringLiteral("乙"));
        QCOMPARE(saved.qxGroup, QStringLiteral("维修组"));
        QVERIFY(saved.qxList.contains(item("维修记录")));
        QVERIFY(saved.qxList.contains(item("用户提醒")));
        QVERIFY(!saved.qxList.contains(item("客户管理")));
    }
};

QTEST_MAIN(TestUserWindow)
#include "tst_userwindow.moc"
