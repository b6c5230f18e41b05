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
                         item("当前用户统计列表") + item("当前用户信封打印") + item("当前用户标签打印");

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
        QCOMPARE(all.count(QLatin1Char(',')), 19);

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
        QCOMPARE(w.groups()->itemText(0), QStringLiteral("No"));
        QCOMPARE(w.groups()->itemText(1), QStringLiteral("系统管理员组"));
        QCOMPARE(w.groups()->currentIndex(), -1);

        w.press("ToolButton2");
        w.groups()->setCurrentIndex(w.groups()->findText(QStringLiteral("查询组")));
        w.press("btnPost");
        QCOMPARE(stored(QStringLiteral("甲")).qxGroup, QStringLiteral("查询组"));
        w.select(QStringLiteral("Admin"));
        w.select(QStringLiteral("甲"));
        QCOMPARE(w.groups()->currentText(), QStringLiteral("查询组"));

        // "No" takes the group away.
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
        db.dataModule().setCurrentUserName(QStringLiteral("Admin"));
        addUser(QStringLiteral("甲"));
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
        db.dataModule().setCurrentUserName(QStringLiteral("另一位"));
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
        // Moving to another user shows that one and turns Save off again.
        w.select(QStringLiteral("Admin"));
        QCOMPARE(w.edit("edtUserName")->text(), QStringLiteral("Admin"));
        QCOMPARE(w.window.FOldUserName, QStringLiteral("Admin"));
        QVERIFY(!w.button("btnPost")->isEnabled());

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

        QVERIFY(!deleteRefusal(1, QStringLiteral("a"), QStringLiteral("b")).isEmpty());
        QVERIFY(!deleteRefusal(2, QStringLiteral("a"), QStringLiteral("a")).isEmpty());
        QVERIFY(deleteRefusal(2, QStringLiteral("a"), QStringLiteral("b")).isEmpty());
        QVERIFY(deleteRefusal(2, QStringLiteral("a"), QStringLiteral("A")).isEmpty());

        QCOMPARE(groupToStore(0, QStringLiteral("No")), QString());
        QCOMPARE(groupToStore(-1, QString()), QString());
        QCOMPARE(groupToStore(2, QStringLiteral("查询组")), QStringLiteral("查询组"));
    }
};

QTEST_MAIN(TestUserWindow)
#include "tst_userwindow.moc"
