#include "columns/listgrid.h"
#include "customers/quickfind.h"
#include "customers/tfrmcousttree.h"
#include "customers/tfrmcustname.h"
#include "customers/tfrmcustom.h"
#include "customers/tfrmcustomadd.h"
#include "customers/tfrmselect.h"
#include "support/records.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"
#include "widgets/dateedit.h"
#include "widgets/mdichild.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

using namespace zu;
using zu::test::control;
using zu::test::ScriptedDialogs;
using zu::test::whenModal;

namespace {

struct Customer
{
    QString name = {}, code = {}, typeCode = {}, className = {};
    QVariant purchased = {};
};

using zu::test::addCategory;
using zu::test::count;

void addCustomer(const Customer& c)
{
    zu::test::addCustomer(
        c.name, c.code,
        {{QStringLiteral("TypeCode"), c.typeCode.isNull() ? QVariant() : QVariant(c.typeCode)},
         {QStringLiteral("classCode"), c.className},
         {QStringLiteral("EmptionDate"), c.purchased}});
}

void addJournal(const char* table, const QString& code, const QString& name)
{
    zu::test::addJournal(QLatin1String(table), code, name);
}

QStringList listed(DataSet& set, const char* field = "CustName")
{
    QStringList out;
    for (int r = 0; r < set.recordCount(); ++r)
        out << set.value(r, set.fieldIndex(QString::fromLatin1(field))).toString();
    return out;
}

QTreeWidgetItem* findNode(QTreeWidget* tree, const QString& text)
{
    const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

// The customer window inside a client area, as the main window opens it.
struct CustomerWindow
{
    QMdiArea area;
    TfrmCustom* window = nullptr;
    CustomerWindow()
    {
        area.resize(1000, 700);
        area.show();
        window = ShowMdiChild(&area, TfrmCustom::reference());
    }
    void clickNode(const QString& text)
    {
        auto* tree = control<QTreeWidget>(window, "tvCuston");
        QTreeWidgetItem* node = text.isEmpty() ? tree->topLevelItem(0) : findNode(tree, text);
        QVERIFY2(node, qPrintable(text));
        tree->setCurrentItem(node);
        emit tree->itemClicked(node, 0);
    }
};

void fill(QWidget* editor, const char* box, const QString& text)
{
    if (auto* e = editor->findChild<QLineEdit*>(QString::fromLatin1(box)))
        e->setText(text);
    else if (auto* c = editor->findChild<QComboBox*>(QString::fromLatin1(box)))
        c->setEditText(text);
    else
        qFatal("no box %s", box);
}

void press(QWidget* window, const char* button)
{
    control<QAbstractButton>(window, button)->click();
}

} // namespace

class TestCustomerWindows final : public QObject
{
    Q_OBJECT
private slots:
    // A customer shown from elsewhere (quick find, a reminder) is made current, though the list
    // is filtered to another category or the customer was added at another workstation since
    // the list was read; one deleted meanwhile is told.
    void customerShownFromElsewhere_data() { zu::test::addEngineRows(); }
    void customerShownFromElsewhere()
    {
        ZU_TEST_DATABASE(db);
        addCategory(QStringLiteral("01"), QStringLiteral("空调"));
        addCategory(QStringLiteral("02"), QStringLiteral("冰箱"));
        addCustomer(
            {QStringLiteral("甲"), QStringLiteral("1"), QStringLiteral("01"), QStringLiteral("空调")});
        addCustomer(
            {QStringLiteral("乙"), QStringLiteral("2"), QStringLiteral("02"), QStringLiteral("冰箱")});
        const auto idOf = [](const char* code) {
            return count(QStringLiteral("select CusttityID from T_Cust where IDCode = ?"),
                         {QString::fromUtf8(code)});
        };
        ScriptedDialogs dialogs;
        CustomerWindow w;
        DataSet& customers = db.dataModule().qryCustom();
        w.clickNode(QStringLiteral("02-冰箱"));
        QCOMPARE(listed(customers), QStringList{QStringLiteral("乙")});
        w.window->showCustomer(idOf("1"));
        QCOMPARE(customers.fieldText(QStringLiteral("CustName")), QStringLiteral("甲"));
        addCustomer(
            {QStringLiteral("丙"), QStringLiteral("3"), QStringLiteral("01"), QStringLiteral("空调")});
        w.window->showCustomer(idOf("3"));
        QCOMPARE(customers.fieldText(QStringLiteral("CustName")), QStringLiteral("丙"));
        w.window->showCustomer(idOf("2"));
        QCOMPARE(customers.fieldText(QStringLiteral("CustName")), QStringLiteral("乙"));
        QVERIFY(dialogs.shown().isEmpty());
        w.window->showCustomer(idOf("2") + 1000);
        QCOMPARE(dialogs.last().text, QStringLiteral("该客户已被删除。"));
    }

    void treeClickFiltersByCodePrefix_data() { zu::test::addEngineRows(); }
    void treeClickFiltersByCodePrefix()
    {
        ZU_TEST_DATABASE(db);
        addCategory(QStringLiteral("01"), QStringLiteral("空调"));
        addCategory(QStringLiteral("0101"), QStringLiteral("壁挂"));
        addCategory(QStringLiteral("02"), QStringLiteral("冰箱"));
        addCustomer(
            {QStringLiteral("甲"), QStringLiteral("1"), QStringLiteral("01"), QStringLiteral("空调")});
        addCustomer(
            {QStringLiteral("乙"), QStringLiteral("2"), QStringLiteral("0101"), QStringLiteral("壁挂")});
        addCustomer(
            {QStringLiteral("丙"), QStringLiteral("3"), QStringLiteral("02"), QStringLiteral("冰箱")});
        addCustomer({QStringLiteral("丁"), QStringLiteral("4"), QString(), QString()});
        addCustomer({QStringLiteral("戊"), QStringLiteral("5"), QStringLiteral(""), QString()});
        ScriptedDialogs dialogs;
        CustomerWindow w;
        DataSet& customers = db.dataModule().qryCustom();
        QCOMPARE(customers.recordCount(), 5);
        QCOMPARE(w.window->windowTitle(), QStringLiteral("客户管理"));

        w.clickNode(QStringLiteral("01-空调"));
        QCOMPARE(listed(customers), (QStringList{QStringLiteral("甲"), QStringLiteral("乙")}));
        QCOMPARE(w.window->dgCustom()->footerText(0), QStringLiteral("共 2 条"));
        w.clickNode(QStringLiteral("0101-壁挂"));
        QCOMPARE(listed(customers), QStringList{QStringLiteral("乙")});
        w.clickNode(QString());
        QCOMPARE(customers.recordCount(), 5);

        // Refresh shows everyone; the tree keeps its selection.
        w.clickNode(QStringLiteral("02-冰箱"));
        QCOMPARE(customers.recordCount(), 1);
        press(w.window, "shuaxin");
        QCOMPARE(customers.recordCount(), 5);
        QCOMPARE(control<QTreeWidget>(w.window, "tvCuston")->currentItem()->text(0),
                 QStringLiteral("02-冰箱"));
        QVERIFY(dialogs.shown().isEmpty());
    }

    void detailsFollowTheCurrentCustomer()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        addCustomer({QStringLiteral("甲"), QStringLiteral("A")});
        addCustomer({QStringLiteral("乙"), QStringLiteral("B")});
        addJournal("T_service", QStringLiteral("A"), QStringLiteral("甲"));
        addJournal("T_service", QStringLiteral("A"), QStringLiteral("甲"));
        addJournal("T_call", QStringLiteral("B"), QStringLiteral("乙"));
        addJournal("T_complain", QStringLiteral("B"), QStringLiteral("乙"));
        CustomerWindow w;
        QCOMPARE(w.window->dgServiceCust()->footerText(0), QStringLiteral("共 2 条"));
        QCOMPARE(db.dataModule().qryCallCust().recordCount(), 0);
        w.window->dgCustom()->view()->selectRow(1);
        QCOMPARE(db.dataModule().qryCustom().currentRow(), 1);
        QCOMPARE(w.window->dgServiceCust()->footerText(0), QStringLiteral("共 0 条"));
        QCOMPARE(db.dataModule().qryCallCust().recordCount(), 1);
        QCOMPARE(db.dataModule().qryComplainCust().recordCount(), 1);
    }

    void addWithEveryMessage()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData& d = db.dataModule();
        d.setCurrentUserName(QStringLiteral("操作员"));
        addCustomer({QStringLiteral("已有"), QStringLiteral("OLD")});
        ScriptedDialogs dialogs;
        CustomerWindow w;
        DataSet& customers = d.qryCustom();

        TfrmCustomAdd editor(w.window);
        editor.FIsAdd = true;
        editor.show();
        QCOMPARE(editor.windowTitle(), QStringLiteral("新增客户信息"));
        QCOMPARE(control<QPushButton>(&editor, "btnInsert")->text(), QStringLiteral("添加&S"));
        QCOMPARE(control<QLineEdit>(&editor, "edtadmin")->text(), QStringLiteral("操作员"));
        QCOMPARE(control<QLineEdit>(&editor, "edtNumber")->text(), QStringLiteral("0"));
        QCOMPARE(control<QLineEdit>(&editor, "edtPrice")->text(), QStringLiteral("0.0"));
        QCOMPARE(control<NullableDateEdit>(&editor, "cmbEmptionDate")->date(), QDate::currentDate());

        const QList<QPair<QPair<QString, QString>, QString>> refusals{
            {{QString(), QStringLiteral("新客户")}, QStringLiteral("客户编号不能为空，请您重新录入！")},
            {{QStringLiteral("N1"), QString()}, QStringLiteral("客户名称不能为空，请您重新录入！")},
            {{QStringLiteral("OLD"), QStringLiteral("新客户")},
             QStringLiteral("客户编号重复，请您重新录入！")},
            {{QStringLiteral("N1"), QStringLiteral("已有")}, QStringLiteral("客户名称相同，请您重新录入！")},
        };
        for (const auto& [input, message] : refusals) {
            fill(&editor, "edtIDCode", input.first);
            fill(&editor, "edtCustName", input.second);
            press(&editor, "btnInsert");
            QCOMPARE(dialogs.last().text, message);
            QCOMPARE(dialogs.last().title, QStringLiteral("系统提示"));
            QVERIFY(editor.isVisible());
        }
        QCOMPARE(customers.recordCount(), 1);

        // A number box that cannot be read names its field; everything typed stays.
        fill(&editor, "edtIDCode", QStringLiteral("N1"));
        fill(&editor, "edtCustName", QStringLiteral("O'Neil 张"));
        fill(&editor, "edtNumber", QStringLiteral("两台"));
        press(&editor, "btnInsert");
        QVERIFY2(dialogs.last().text.contains(QStringLiteral("台数")), qPrintable(dialogs.last().text));
        QVERIFY(editor.isVisible());
        QCOMPARE(control<QLineEdit>(&editor, "edtCustName")->text(), QStringLiteral("O'Neil 张"));
        fill(&editor, "edtNumber", QString()); // empty counts as 0
        fill(&editor, "edtPrice", QStringLiteral("1,299.5"));
        fill(&editor, "edtvalue4", QStringLiteral("7"));
        fill(&editor, "cmbGoodsunit", QStringLiteral("KFR-35GW"));
        control<NullableDateEdit>(&editor, "cmbOrderDate")->clear();
        control<NullableDateEdit>(&editor, "remind")->setDate(QDate(2027, 1, 2));
        editor.setCategory(QStringLiteral("空调"), QStringLiteral("01"));
        press(&editor, "btnInsert");
        QVERIFY(!editor.isVisible());

        QCOMPARE(customers.recordCount(), 2);
        QCOMPARE(customers.fieldText(QStringLiteral("CustName")), QStringLiteral("O'Neil 张"));
        QCOMPARE(customers.field(QStringLiteral("Number")).toInt(), 0);
        QCOMPARE(customers.field(QStringLiteral("Price")).toDouble(), 1299.5);
        QCOMPARE(customers.field(QStringLiteral("intD")).toInt(), 7);
        QCOMPARE(customers.field(QStringLiteral("intA")).toInt(), 0);
        QVERIFY(customers.field(QStringLiteral("OrderDate")).isNull());
        QCOMPARE(customers.field(QStringLiteral("remind")).toDateTime(), QDate(2027, 1, 2).startOfDay());
        QCOMPARE(customers.fieldText(QStringLiteral("TypeCode")), QStringLiteral("01"));
        QCOMPARE(customers.fieldText(QStringLiteral("classCode")), QStringLiteral("空调"));
        QCOMPARE(customers.fieldText(QStringLiteral("exeMen")), QStringLiteral("操作员"));
        QCOMPARE(w.window->dgCustom()->footerText(0), QStringLiteral("共 2 条"));
    }

    void addAsksAboutALookalike_data() { zu::test::addEngineRows(); }
    void addAsksAboutALookalike()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        zu::test::addCustomer(QStringLiteral("张三"), QStringLiteral("KH0001"),
                              {{QStringLiteral("Phone"), QStringLiteral("0571-88886666")}});
        ScriptedDialogs dialogs;
        CustomerWindow w;
        DataSet& customers = d.qryCustom();
        const QString question = QStringLiteral("已有相同电话的客户：张三 (KH0001)，仍然保存吗？");

        TfrmCustomAdd editor(w.window);
        editor.FIsAdd = true;
        editor.show();
        fill(&editor, "edtIDCode", QStringLiteral("KH0002"));
        fill(&editor, "edtCustName", QStringLiteral("张三（新）"));
        fill(&editor, "edtPhone", QStringLiteral("0571 8888 6666"));
        fill(&editor, "edtAddress", QStringLiteral("西湖路"));

        // No: nothing is saved, everything typed stays.
        dialogs.answer(QMessageBox::No);
        press(&editor, "btnInsert");
        QCOMPARE(dialogs.messages(), QStringList{question});
        QCOMPARE(dialogs.last().buttons, QMessageBox::Yes | QMessageBox::No);
        QVERIFY(editor.isVisible());
        QCOMPARE(control<QLineEdit>(&editor, "edtPhone")->text(), QStringLiteral("0571 8888 6666"));
        QCOMPARE(control<QLineEdit>(&editor, "edtCustName")->text(), QStringLiteral("张三（新）"));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 1);

        // A different number saves without a question.
        fill(&editor, "edtPhone", QStringLiteral("0571 8888 6667"));
        dialogs.clear();
        press(&editor, "btnInsert");
        QVERIFY(dialogs.messages().isEmpty());
        QVERIFY(!editor.isVisible());
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 2);

        // Yes saves the lookalike.
        TfrmCustomAdd second(w.window);
        second.FIsAdd = true;
        second.show();
        fill(&second, "edtIDCode", QStringLiteral("KH0003"));
        fill(&second, "edtCustName", QStringLiteral("张三丰"));
        fill(&second, "edtMobile", QStringLiteral("057188886666"));
        dialogs.answer(QMessageBox::Yes);
        press(&second, "btnInsert");
        QCOMPARE(dialogs.messages(),
                 QStringList{QStringLiteral("已有相同手机的客户：张三 (KH0001)，仍然保存吗？")});
        QVERIFY(!second.isVisible());
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust where IDCode = ? and Mobile = ?"),
                       {QStringLiteral("KH0003"), QStringLiteral("057188886666")}),
                 1);
        QCOMPARE(customers.recordCount(), 3);
    }

    // A customer the editor adds or renames is found by quick find at once, by its new name's
    // initials and numbers; the old name finds it no more.
    void quickFindFollowsTheEditor_data() { zu::test::addEngineRows(); }
    void quickFindFollowsTheEditor()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        ScriptedDialogs dialogs;
        CustomerWindow w;
        auto found = [&d](const char* typed) {
            QStringList names;
            for (const QuickFindHit& hit : quickFind(d.conn(), QString::fromUtf8(typed)))
                names << hit.name;
            return names;
        };
        TfrmCustomAdd editor(w.window);
        editor.FIsAdd = true;
        editor.show();
        fill(&editor, "edtIDCode", QStringLiteral("KH0009"));
        fill(&editor, "edtCustName", QStringLiteral("张三丰"));
        fill(&editor, "edtMobile", QStringLiteral("139-0000-1111"));
        press(&editor, "btnInsert");
        QVERIFY(!editor.isVisible());
        QCOMPARE(found("zsf"), QStringList{QStringLiteral("张三丰")});
        QCOMPARE(found("00001111"), QStringList{QStringLiteral("张三丰")});

        QVERIFY(d.qryCustom().locate(QStringLiteral("IDCode"), QStringLiteral("KH0009")));
        TfrmCustomAdd rename(w.window);
        rename.FIsAdd = false;
        rename.show();
        fill(&rename, "edtCustName", QStringLiteral("李四"));
        press(&rename, "btnInsert");
        QVERIFY(!rename.isVisible());
        QCOMPARE(found("ls"), QStringList{QStringLiteral("李四")});
        QVERIFY(found("zsf").isEmpty());
        QVERIFY(found("三丰").isEmpty());
        QVERIFY(dialogs.messages().isEmpty());
    }

    void editDoesNotAskAboutLookalikes_data() { zu::test::addEngineRows(); }
    void editDoesNotAskAboutLookalikes()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        zu::test::addCustomer(QStringLiteral("张三"), QStringLiteral("KH0001"),
                              {{QStringLiteral("Phone"), QStringLiteral("88886666")}});
        zu::test::addCustomer(QStringLiteral("李四"), QStringLiteral("KH0002"),
                              {{QStringLiteral("Phone"), QStringLiteral("88886666")}});
        ScriptedDialogs dialogs;
        CustomerWindow w;
        QVERIFY(d.qryCustom().locate(QStringLiteral("IDCode"), QStringLiteral("KH0002")));
        TfrmCustomAdd editor(w.window);
        editor.FIsAdd = false;
        editor.show();
        fill(&editor, "edtAddress", QStringLiteral("新地址"));
        press(&editor, "btnInsert");
        QVERIFY(dialogs.messages().isEmpty());
        QVERIFY(!editor.isVisible());
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust where Address = ?"),
                       {QStringLiteral("新地址")}),
                 1);
    }

    void editKeepsEverythingAndMovesTheRecords_data() { zu::test::addEngineRows(); }
    void editKeepsEverythingAndMovesTheRecords()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        d.setCurrentUserName(QStringLiteral("李会计"));
        addCategory(QStringLiteral("01"), QStringLiteral("空调"));
        addCategory(QStringLiteral("02"), QStringLiteral("空调")); // the same name twice
        addCustomer(
            {QStringLiteral("甲"), QStringLiteral("A"), QStringLiteral("02"), QStringLiteral("空调")});
        addCustomer({QStringLiteral("乙"), QStringLiteral("B")});
        for (const char* t : {"T_service", "T_call", "T_complain"})
            addJournal(t, QStringLiteral("A"), QStringLiteral("甲"));
        ScriptedDialogs dialogs;
        CustomerWindow w;
        DataSet& customers = d.qryCustom();
        customers.first();

        {
            TfrmCustomAdd editor(w.window);
            editor.FIsAdd = false;
            editor.show();
            QCOMPARE(editor.windowTitle(), QStringLiteral("修改客户信息"));
            QCOMPARE(control<QPushButton>(&editor, "btnInsert")->text(), QStringLiteral("修改&S"));
            QVERIFY(control<NullableDateEdit>(&editor, "cmbEmptionDate")->isEmpty()); // no date stays no date
            QVERIFY(control<QLineEdit>(&editor, "edtNumber")->text().isEmpty());
            fill(&editor, "edtIDCode", QStringLiteral("B"));
            press(&editor, "btnInsert");
            QCOMPARE(dialogs.last().text, QStringLiteral("客户编号重复！"));
            QVERIFY(editor.isVisible());
            fill(&editor, "edtIDCode", QStringLiteral("A2"));
            press(&editor, "btnInsert");
            QVERIFY(!editor.isVisible());
        }
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY(customers.locate(QStringLiteral("CustName"), QStringLiteral("甲")));
        QCOMPARE(customers.fieldText(QStringLiteral("IDCode")), QStringLiteral("A2"));
        QCOMPARE(customers.fieldText(QStringLiteral("TypeCode")),
                 QStringLiteral("02")); // kept, not looked up by name
        QVERIFY(customers.field(QStringLiteral("EmptionDate")).isNull());
        QCOMPARE(customers.field(QStringLiteral("Number")).toInt(), 0);
        QCOMPARE(customers.fieldText(QStringLiteral("exeMen")), QStringLiteral("李会计"));
        for (const char* t : {"T_service", "T_call", "T_complain"}) {
            QCOMPARE(count(QStringLiteral("select count(*) from %1 where CustCode = ?").arg(QLatin1String(t)),
                           {QStringLiteral("A2")}),
                     1);
            QCOMPARE(count(QStringLiteral("select count(*) from %1 where CustCode = ?").arg(QLatin1String(t)),
                           {QStringLiteral("A")}),
                     0);
        }
        QCOMPARE(d.qryServiceCust().recordCount(), 1);
        QCOMPARE(d.qryCallCust().recordCount(), 1);
    }

    void failedCodeChangeRollsBack_data() { zu::test::addEngineRows(); }
    void failedCodeChangeRollsBack()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addCustomer({QStringLiteral("甲"), QStringLiteral("A")});
        addJournal("T_service", QStringLiteral("A"), QStringLiteral("甲"));
        addJournal("T_call", QStringLiteral("A"), QStringLiteral("甲"));
        ScriptedDialogs dialogs;
        CustomerWindow w;
        // The last of the three moves fails.
        d.T().exec(QStringLiteral("drop table T_complain"));
        TfrmCustomAdd editor(w.window);
        editor.FIsAdd = false;
        editor.show();
        fill(&editor, "edtIDCode", QStringLiteral("B"));
        fill(&editor, "edtCustName", QStringLiteral("甲改"));
        press(&editor, "btnInsert");
        QCOMPARE(dialogs.messages().size(), 1);
        QCOMPARE(dialogs.last().icon, QMessageBox::Critical);
        QVERIFY(editor.isVisible());
        QCOMPARE(control<QLineEdit>(&editor, "edtCustName")->text(), QStringLiteral("甲改"));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust where IDCode = ? and CustName = ?"),
                       {QStringLiteral("A"), QStringLiteral("甲")}),
                 1);
        QCOMPARE(
            count(QStringLiteral("select count(*) from T_service where CustCode = ?"), {QStringLiteral("A")}),
            1);
        QCOMPARE(
            count(QStringLiteral("select count(*) from T_call where CustCode = ?"), {QStringLiteral("A")}),
            1);
        QCOMPARE(d.qryCustom().fieldText(QStringLiteral("CustName")), QStringLiteral("甲"));
        QCOMPARE(d.qryCustom().state(), DataSet::State::Browse);
    }

    void deleteRemovesAllTheCustomersRecords_data() { zu::test::addEngineRows(); }
    void deleteRemovesAllTheCustomersRecords()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addCustomer({QStringLiteral("O'Brien"), QStringLiteral("A")});
        addCustomer({QStringLiteral("乙"), QStringLiteral("B")});
        for (const char* t : {"T_service", "T_call", "T_complain"})
            addJournal(t, QStringLiteral("A"), QStringLiteral("O'Brien"));
        addJournal("T_service", QStringLiteral("B"), QStringLiteral("乙"));
        ScriptedDialogs dialogs;
        CustomerWindow w;
        d.qryCustom().first();

        dialogs.answer(QMessageBox::No);
        press(w.window, "ToolButton1");
        QCOMPARE(dialogs.last().text,
                 QStringLiteral("您确定要删除'O'Brien'吗？将删除当前记录所有的相关内容！"));
        QCOMPARE(d.qryCustom().recordCount(), 2);

        dialogs.answer(QMessageBox::Yes);
        press(w.window, "ToolButton1");
        QCOMPARE(d.qryCustom().recordCount(), 1);
        QCOMPARE(w.window->dgCustom()->footerText(0), QStringLiteral("共 1 条"));
        QCOMPARE(
            count(QStringLiteral("select count(*) from T_service where CustCode = ?"), {QStringLiteral("A")}),
            0);
        QCOMPARE(
            count(QStringLiteral("select count(*) from T_call where CustCode = ?"), {QStringLiteral("A")}),
            0);
        QCOMPARE(count(QStringLiteral("select count(*) from T_complain where CustCode = ?"),
                       {QStringLiteral("A")}),
                 0);
        // The neighbour is current and its records show.
        QCOMPARE(d.qryCustom().fieldText(QStringLiteral("CustName")), QStringLiteral("乙"));
        QCOMPARE(d.qryServiceCust().recordCount(), 1);
        // No transaction was left open: another change commits.
        d.T().exec(QStringLiteral("update T_Cust set Remark = ?"), {QStringLiteral("x")});
        d.reconnect();
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust where Remark = ?"), {QStringLiteral("x")}),
                 1);
    }

    // The editor's boxes take what their columns keep: numbers within the range of an integer
    // column, texts up to the column's width; a refusal names the field and keeps the input.
    void editorKeepsValuesWithinTheirColumns_data() { zu::test::addEngineRows(); }
    void editorKeepsValuesWithinTheirColumns()
    {
        ZU_TEST_DATABASE(db);
        ScriptedDialogs dialogs;
        CustomerWindow w;
        TfrmCustomAdd editor(w.window);
        editor.FIsAdd = true;
        editor.show();
        fill(&editor, "edtIDCode", QStringLiteral("K1"));
        fill(&editor, "edtCustName", QStringLiteral("张三"));
        for (const auto& [box, label, text] : {std::tuple{"edtvalue4", "数值项1", "99999999999"},
                                               std::tuple{"edtvalue3", "数值项3", "3000000000"},
                                               std::tuple{"edtvalue1", "数值项2", "-2147483649"},
                                               std::tuple{"edtvalue2", "数值项4", "2147483647.6"},
                                               std::tuple{"edtNumber", "台数", "3000000000"},
                                               std::tuple{"edtGiftNumberA", "赠品数量A", "-2147483649"}}) {
            const QString before = control<QLineEdit>(&editor, box)->text();
            fill(&editor, box, QLatin1String(text));
            press(&editor, "btnInsert");
            QCOMPARE(
                dialogs.last().text,
                QStringLiteral(
                    "“%1”中的“%2”超出了范围，只能填 -2147483648 至 2147483647 之间的整数，请您重新录入！")
                    .arg(QString::fromUtf8(label), QLatin1String(text)));
            QCOMPARE(control<QLineEdit>(&editor, box)->text(), QLatin1String(text)); // the input stays
            QVERIFY(editor.isVisible());
            fill(&editor, box, before);
        }
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 0);

        QCOMPARE(control<QLineEdit>(&editor, "edtAddress")->maxLength(), 255);
        QCOMPARE(control<QLineEdit>(&editor, "edtIDCode")->maxLength(), 50);
        QCOMPARE(control<QLineEdit>(&editor, "edtChar3")->maxLength(), 50);
        QCOMPARE(control<QComboBox>(&editor, "cmbInstall")->lineEdit()->maxLength(), 50);
        QCOMPARE(control<QComboBox>(&editor, "cmbGoodsunit")->lineEdit()->maxLength(), 255);
        fill(&editor, "edtAddress", QString(300, QChar(0x8def)));
        fill(&editor, "edtvalue4", QStringLiteral("2147483647"));
        fill(&editor, "edtvalue1", QStringLiteral("-2147483648"));
        fill(&editor, "edtNumber", QStringLiteral("2147483647"));
        press(&editor, "btnInsert");
        QVERIFY(!editor.isVisible());
        Query q(db.dataModule().conn());
        q.open(QStringLiteral("select intD, intA, Number, Address from T_Cust"));
        QCOMPARE(q.value(0).toLongLong(), 2147483647LL);
        QCOMPARE(q.value(1).toLongLong(), -2147483648LL);
        QCOMPARE(q.value(2).toLongLong(), 2147483647LL);
        QCOMPARE(q.value(3).toString(), QString(255, QChar(0x8def)));
    }

    // A text stored before the limits were kept, longer than its column: the editor shows it
    // whole and asks for it to be shortened, rather than cutting it short unseen.
    void editorShowsAnOverlongStoredTextWhole()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        const QString address(300, QChar(0x8def));
        db.dataModule().T().exec(
            QStringLiteral("insert into T_Cust (CustName, IDCode, Address) values (?, ?, ?)"),
            {QStringLiteral("甲"), QStringLiteral("A"), address});
        ScriptedDialogs dialogs;
        CustomerWindow w;
        TfrmCustomAdd editor(w.window);
        editor.FIsAdd = false;
        editor.show();
        QCOMPARE(control<QLineEdit>(&editor, "edtAddress")->text(), address);
        press(&editor, "btnInsert");
        QCOMPARE(dialogs.last().text,
                 QStringLiteral("“地址”最多可以有 255 个字，现在有 300 个字，请您删减后再保存！"));
        QVERIFY(editor.isVisible());
        fill(&editor, "edtAddress", QStringLiteral("短地址"));
        press(&editor, "btnInsert");
        QVERIFY(!editor.isVisible());
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust where Address = ?"),
                       {QStringLiteral("短地址")}),
                 1);
    }

    // A very long value in a lookup list does not make the editor wider.
    void longLookupValuesDoNotWidenTheEditor_data() { zu::test::addEngineRows(); }
    void longLookupValuesDoNotWidenTheEditor()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        const QString table = d.dialect().quote(QStringLiteral("table"));
        // The width the editor asks for, and the width it takes when shown.
        auto widthsOfEditor = [] {
            TfrmCustomAdd editor;
            editor.show();
            editor.adjustSize();
            return std::pair{editor.sizeHint().width(), editor.frameGeometry().width()};
        };
        const auto usual = widthsOfEditor();
        // The longest a server column keeps; the embedded engine was once given far longer ones.
        const QString longest = db.isServer() ? QString(255, QChar(0x578b)) : QString(10000, QChar(0x578b));
        d.T().exec(QStringLiteral("insert into T_type (caption, %1) values (?, ?)").arg(table),
                   {longest, QStringLiteral("型号")});
        d.T().exec(QStringLiteral("insert into T_type (caption, %1) values (?, ?)").arg(table),
                   {longest, QStringLiteral("业务员")});
        const auto withLongValues = widthsOfEditor();
        QCOMPARE(withLongValues, usual);
        const QScreen* screen = QGuiApplication::primaryScreen();
        QVERIFY2(withLongValues.second <= screen->availableGeometry().width(),
                 qPrintable(QStringLiteral("%1 > %2")
                                .arg(withLongValues.second)
                                .arg(screen->availableGeometry().width())));
    }

    void customerChangedOrDeletedElsewhereIsNotOverwritten_data() { zu::test::addEngineRows(); }
    void customerChangedOrDeletedElsewhereIsNotOverwritten()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addCustomer({QStringLiteral("甲"), QStringLiteral("A")});
        addJournal("T_service", QStringLiteral("A"), QStringLiteral("甲"));
        ScriptedDialogs dialogs;
        CustomerWindow w;
        d.qryCustom().first();
        auto editWhile = [&](const QString& elsewhere) {
            auto editor = std::make_unique<TfrmCustomAdd>(w.window);
            editor->FIsAdd = false;
            editor->show();
            fill(editor.get(), "edtAddress", QStringLiteral("我填的地址"));
            fill(editor.get(), "edtIDCode", QStringLiteral("A2"));
            db.otherExec(elsewhere);
            press(editor.get(), "btnInsert");
            return editor;
        };
        // Changed on another workstation while the editor was open.
        auto editor = editWhile(QStringLiteral("update T_Cust set Phone = '别人填的电话'"));
        QCOMPARE(
            dialogs.messages(),
            QStringList{QStringLiteral(
                "这条记录已被其他用户修改，您的修改没有保存。列表已显示最新内容，请重新打开后再修改。")});
        QVERIFY(editor->isVisible());
        QCOMPARE(control<QLineEdit>(editor.get(), "edtAddress")->text(), QStringLiteral("我填的地址"));
        QCOMPARE(
            count(QStringLiteral("select count(*) from T_Cust where Address is null and IDCode = 'A' and "
                                 "Phone = '别人填的电话'")),
            1);
        // Nothing of the code change either.
        QCOMPARE(count(QStringLiteral("select count(*) from T_service where CustCode = 'A'")), 1);
        QCOMPARE(d.qryCustom().fieldText(QStringLiteral("Phone")), QStringLiteral("别人填的电话"));
        editor.reset();

        // Deleted on another workstation: nothing is written, no row comes back.
        dialogs.clear();
        editor = editWhile(QStringLiteral("delete from T_Cust"));
        QCOMPARE(dialogs.messages(),
                 QStringList{QStringLiteral("这条记录已被其他用户删除，您的修改没有保存。")});
        QVERIFY(editor->isVisible());
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from T_service where CustCode = 'A2'")), 0);
        QCOMPARE(d.qryCustom().recordCount(), 0);
        QCOMPARE(w.window->dgCustom()->footerText(0), QStringLiteral("共 0 条"));
    }

    void newCustomerOnAFullDiskStaysInTheEditor_data() { zu::test::addEngineRows(); }
    void newCustomerOnAFullDiskStaysInTheEditor()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addCustomer({QStringLiteral("甲"), QStringLiteral("A")});
        ScriptedDialogs dialogs;
        CustomerWindow w;
        QCOMPARE(w.window->dgCustom()->footerText(0), QStringLiteral("共 1 条"));
        db.fillDisk(QStringLiteral("T_Cust"));
        TfrmCustomAdd editor(w.window);
        editor.FIsAdd = true;
        editor.show();
        fill(&editor, "edtIDCode", QStringLiteral("B"));
        fill(&editor, "edtCustName", QStringLiteral("乙"));
        const QString remark(20000, QLatin1Char('x')); // needs pages of its own
        control<QPlainTextEdit>(&editor, "edtRemark")->setPlainText(remark);
        for (int attempt = 0; attempt < 3; ++attempt) {
            dialogs.clear();
            press(&editor, "btnInsert");
            QCOMPARE(dialogs.messages().size(), 1);
            QVERIFY2(dialogs.messages().first().startsWith(QStringLiteral("磁盘空间已满，数据没有保存")),
                     qPrintable(dialogs.messages().first()));
            // Nothing is shown as saved: no extra row, no extra count, the input still there.
            QVERIFY(editor.isVisible());
            QCOMPARE(control<QLineEdit>(&editor, "edtCustName")->text(), QStringLiteral("乙"));
            QCOMPARE(control<QPlainTextEdit>(&editor, "edtRemark")->toPlainText(), remark);
            QCOMPARE(d.qryCustom().recordCount(), 1);
            QCOMPARE(listed(d.qryCustom()), QStringList{QStringLiteral("甲")});
            QCOMPARE(w.window->dgCustom()->footerText(0), QStringLiteral("共 1 条"));
            QCOMPARE(db.otherValue(QStringLiteral("select count(*) from T_Cust")).toInt(), 1);
        }

        // Room again: the same input goes in.
        db.diskFreed(QStringLiteral("T_Cust"));
        dialogs.clear();
        press(&editor, "btnInsert");
        QVERIFY(dialogs.messages().isEmpty());
        QVERIFY(!editor.isVisible());
        QCOMPARE(db.otherValue(QStringLiteral("select count(*) from T_Cust where IDCode = 'B' and CustName = "
                                              "'乙'"))
                     .toInt(),
                 1);
        QCOMPARE(d.qryCustom().recordCount(), 2);
        QCOMPARE(w.window->dgCustom()->footerText(0), QStringLiteral("共 2 条"));
    }

    void lostServerConnectionKeepsTheEditorsInput()
    {
        zu::test::TestDatabase db(QStringLiteral("postgres"));
        if (db.skipped())
            QSKIP("no PostgreSQL server configured (ZU_TEST_PG)");
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData& d = db.dataModule();
        addCustomer({QStringLiteral("甲"), QStringLiteral("A")});
        ScriptedDialogs dialogs;
        CustomerWindow w;

        // Refreshing after the drop: the list is read on a new connection, no message.
        db.endProgramsConnection();
        db.otherExec(QStringLiteral("update T_Cust set Phone = '别人填的电话'"));
        press(w.window, "shuaxin");
        QVERIFY(dialogs.messages().isEmpty());
        QCOMPARE(d.qryCustom().recordCount(), 1);
        QCOMPARE(d.qryCustom().fieldText(QStringLiteral("Phone")), QStringLiteral("别人填的电话"));
        QCOMPARE(w.window->dgCustom()->footerText(0), QStringLiteral("共 1 条"));

        // A save while the server cannot be reached is said not to be saved; the input stays for a
        // second try once the server is back.
        TfrmCustomAdd editor(w.window);
        editor.FIsAdd = false;
        editor.show();
        fill(&editor, "edtAddress", QStringLiteral("我填的地址"));
        const QString name = db.serverDatabaseName();
        auto allow = [&](bool on) {
            QVERIFY(zu::test::serverAdminExec(
                *db.server(), QStringLiteral("alter database %1 allow_connections %2")
                                  .arg(name, on ? QStringLiteral("true") : QStringLiteral("false"))));
        };
        allow(false);
        const auto reopen = qScopeGuard([&] { allow(true); });
        db.endProgramsConnection();
        press(&editor, "btnInsert");
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY2(dialogs.messages().first().startsWith(QStringLiteral("无法连接数据库服务器")),
                 qPrintable(dialogs.messages().first()));
        QVERIFY(editor.isVisible());
        QCOMPARE(control<QLineEdit>(&editor, "edtAddress")->text(), QStringLiteral("我填的地址"));
        QCOMPARE(
            db.otherValue(QStringLiteral("select count(*) from T_Cust where Address is not null")).toInt(),
            0);

        allow(true);
        dialogs.clear();
        press(&editor, "btnInsert");
        QVERIFY2(dialogs.messages().isEmpty(), qPrintable(dialogs.messages().join(QLatin1Char('|'))));
        QVERIFY(!editor.isVisible());
        QCOMPARE(db.otherValue(QStringLiteral("select Address from T_Cust")).toString(),
                 QStringLiteral("我填的地址"));
        QCOMPARE(d.qryCustom().fieldText(QStringLiteral("Address")), QStringLiteral("我填的地址"));
    }

    void deleteOfACustomerChangedElsewhereIsRefused_data() { zu::test::addEngineRows(); }
    void deleteOfACustomerChangedElsewhereIsRefused()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addCustomer({QStringLiteral("甲"), QStringLiteral("A")});
        addJournal("T_service", QStringLiteral("A"), QStringLiteral("甲"));
        ScriptedDialogs dialogs;
        CustomerWindow w;
        d.qryCustom().first();
        db.otherExec(QStringLiteral("update T_Cust set CustName = '甲（新）'"));
        dialogs.answer(QMessageBox::Yes);
        press(w.window, "ToolButton1");
        QCOMPARE(dialogs.last().text,
                 QStringLiteral("这条记录已被其他用户修改，没有删除。列表已显示最新内容，请确认后再删除。"));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Cust")), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from T_service")), 1); // rolled back with it
        QCOMPARE(d.qryCustom().fieldText(QStringLiteral("CustName")), QStringLiteral("甲（新）"));
        QCOMPARE(d.qryServiceCust().recordCount(), 1);
    }

    void machineHistoryOfTheCurrentCustomer()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        zu::test::addCustomer(QStringLiteral("甲"), QStringLiteral("A"),
                              {{QStringLiteral("GoodsCode"), QStringLiteral("SN-A")}});
        zu::test::addCustomer(QStringLiteral("乙"), QStringLiteral("B"),
                              {{QStringLiteral("GoodsCode"), QStringLiteral("SN-B")}});
        ScriptedDialogs dialogs;
        CustomerWindow w;
        auto* history = w.window->findChild<QAction*>(QStringLiteral("actMachineHistory"));
        QVERIFY(history);
        QVERIFY(!history->isEnabled()); // nothing to open it with yet
        QStringList asked;
        CustomerWindowCommands commands;
        commands.machineHistory = [&asked](QWidget*, const QString& code) { asked << code; };
        w.window->setCommands(commands);
        QVERIFY(history->isEnabled());
        QVERIFY(data().qryCustom().locate(QStringLiteral("IDCode"), QStringLiteral("B")));
        history->trigger();
        QVERIFY(data().qryCustom().locate(QStringLiteral("IDCode"), QStringLiteral("A")));
        history->trigger();
        QCOMPARE(asked, (QStringList{QStringLiteral("SN-B"), QStringLiteral("SN-A")}));
    }

    // From a service record's menu the history is that of the unit serviced; from a visit or a
    // complaint, which name no unit, that of the customer's. The category editor opens to manage.
    void machineHistoryFromTheDetailMenusAndCategoryEditor()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        zu::test::addCustomer(QStringLiteral("甲"), QStringLiteral("A"),
                              {{QStringLiteral("GoodsCode"), QStringLiteral("SN-A")}});
        zu::test::addJournal(QStringLiteral("T_service"), QStringLiteral("A"), QStringLiteral("甲"),
                             {{QStringLiteral("GoodsCode"), QStringLiteral("SN-S")},
                              {QStringLiteral("serviceDate"), QDate(2024, 2, 2).startOfDay()}});
        zu::test::addJournal(QStringLiteral("T_call"), QStringLiteral("A"), QStringLiteral("甲"),
                             {{QStringLiteral("callDate"), QDate(2024, 3, 3).startOfDay()}});
        ScriptedDialogs dialogs;
        CustomerWindow w;
        QStringList asked;
        CustomerWindowCommands commands;
        commands.machineHistory = [&asked](QWidget*, const QString& code) { asked << code; };
        w.window->setCommands(commands);
        QCOMPARE(data().qryServiceCust().recordCount(), 1);
        QCOMPARE(data().qryCallCust().recordCount(), 1);
        const auto fromMenuOf = [&w](const char* grid) {
            auto* poll = new QTimer(w.window);
            poll->setInterval(10);
            QObject::connect(poll, &QTimer::timeout, [poll] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                if (!menu)
                    return;
                poll->deleteLater();
                poll->stop();
                for (QAction* a : menu->actions())
                    if (a->text() == QStringLiteral("机器档案"))
                        a->trigger();
                menu->close();
            });
            poll->start();
            emit control<QWidget>(w.window, grid)->customContextMenuRequested(QPoint(5, 5));
        };
        fromMenuOf("dgServiceCust");
        fromMenuOf("dgcallCust");
        QCOMPARE(asked, (QStringList{QStringLiteral("SN-S"), QStringLiteral("SN-A")}));

        bool manages = false;
        whenModal<TfrmCoustTree>([&manages](TfrmCoustTree* editor) {
            manages = control<QToolButton>(editor, "tbSelect")->isHidden();
            editor->reject();
        });
        w.window->findChild<QAction*>(QStringLiteral("N10"))->trigger();
        QVERIFY(manages);
    }

    void emptyListsDoNothing()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        CustomerWindow w;
        bool opened = false;
        CustomerWindowCommands commands;
        commands.serviceEditor = [&opened](QWidget*, bool isAdd) { opened = !isAdd || opened; };
        w.window->setCommands(commands);
        press(w.window, "ToolButton2");
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        press(w.window, "ToolButton9");
        QVERIFY(!opened);
        dialogs.answer(QMessageBox::Yes);
        press(w.window, "ToolButton10");
        QCOMPARE(dialogs.last().text, QStringLiteral("您确定要删除''信息吗？"));
        QVERIFY(control<QToolButton>(w.window, "ToolButton8")->isEnabled());
        QVERIFY(!control<QToolButton>(w.window, "ToolButton12")->isEnabled()); // no editor yet
        QVERIFY(!control<QToolButton>(w.window, "ToolButton4")->isEnabled());  // no export yet
    }

    void editorOpensFromTheWindow()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        addCustomer({QStringLiteral("甲"), QStringLiteral("A")});
        ScriptedDialogs dialogs;
        CustomerWindow w;
        QString title;
        whenModal<TfrmCustomAdd>([&title](TfrmCustomAdd* editor) {
            title = editor->windowTitle();
            editor->reject();
        });
        emit w.window->dgCustom()->doubleClicked();
        QCOMPARE(title, QStringLiteral("修改客户信息"));
        // The add button opens it empty, for a new customer.
        QString code = QStringLiteral("unread");
        whenModal<TfrmCustomAdd>([&title, &code](TfrmCustomAdd* editor) {
            title = editor->windowTitle();
            code = control<QLineEdit>(editor, "edtIDCode")->text();
            editor->reject();
        });
        press(w.window, "btnInsert");
        QCOMPARE(title, QStringLiteral("新增客户信息"));
        QCOMPARE(code, QString());
    }

    void categoryEditorManagesTheTree_data() { zu::test::addEngineRows(); }
    void categoryEditorManagesTheTree()
    {
        ZU_TEST_DATABASE(db);
        addCategory(QStringLiteral("01"), QStringLiteral("空调"));
        addCategory(QStringLiteral("0101"), QStringLiteral("壁挂"));
        addCategory(QStringLiteral("0102"), QStringLiteral("柜机"));
        addCategory(QStringLiteral("02"), QStringLiteral("冰箱"));
        ScriptedDialogs dialogs;
        CustomerWindow w;
        TfrmCoustTree editor(w.window);
        editor.FManage = true;
        editor.show();
        QCOMPARE(editor.windowTitle(), QStringLiteral("基本信息设置"));
        QVERIFY(control<QToolButton>(&editor, "tbSelect")->isHidden());
        auto* tree = control<QTreeWidget>(&editor, "tvBasic");
        auto* code = control<QLineEdit>(&editor, "edtcode");
        auto* name = control<QLineEdit>(&editor, "edtName");
        auto click = [tree](const QString& text) {
            QTreeWidgetItem* node = text.isEmpty() ? tree->topLevelItem(0) : findNode(tree, text);
            tree->setCurrentItem(node);
            emit tree->itemClicked(node, 0);
        };

        // The root is protected.
        click(QString());
        QCOMPARE(name->text(), QStringLiteral("用户类别"));
        press(&editor, "TB_Edit");
        QCOMPARE(dialogs.last().text, QStringLiteral("根节点不能编辑，请重新选择！"));
        press(&editor, "TB_Del");
        QCOMPARE(dialogs.last().text, QStringLiteral("根节点不能删除，请重新选择！"));

        // A sibling of 0101 is 0103; under 02 the first child is 0201.
        click(QStringLiteral("0101-壁挂"));
        control<QAction>(&editor, "N1")->trigger();
        QCOMPARE(code->text(), QStringLiteral("0103"));
        QVERIFY(!tree->isEnabled());
        QVERIFY(control<QToolButton>(&editor, "TB_Save")->isEnabled());
        QVERIFY(!control<QToolButton>(&editor, "TB_Add")->isEnabled());
        QVERIFY(name->isEnabled());
        name->setText(QStringLiteral("  吸顶机  "));
        press(&editor, "TB_Save");
        QVERIFY(findNode(tree, QStringLiteral("0103-吸顶机")));
        // Saved: the name is no longer typed into, the tree and the commands are back.
        QVERIFY(!name->isEnabled());
        QVERIFY(tree->isEnabled());
        QVERIFY(!control<QToolButton>(&editor, "TB_Save")->isEnabled());
        QVERIFY(control<QToolButton>(&editor, "TB_Add")->isEnabled());
        QVERIFY(findNode(control<QTreeWidget>(w.window, "tvCuston"), QStringLiteral("0103-吸顶机")));

        click(QStringLiteral("02-冰箱"));
        press(&editor, "TB_Add");
        QCOMPARE(code->text(), QStringLiteral("0201"));
        press(&editor, "TB_Cancel");
        QCOMPARE(code->text(), QStringLiteral("0201")); // kept until another node is clicked
        QVERIFY(tree->isEnabled());
        QCOMPARE(count(QStringLiteral("select count(*) from T_Dict_cate where code = ?"),
                       {QStringLiteral("0201")}),
                 0);

        // Adding at the root makes a top-level category.
        click(QString());
        control<QAction>(&editor, "N2")->trigger();
        QCOMPARE(code->text(), QStringLiteral("03"));
        name->setText(QStringLiteral("O'Reilly 洗衣机"));
        press(&editor, "TB_Save");
        QVERIFY(findNode(tree, QStringLiteral("03-O'Reilly 洗衣机")));

        // Renaming.
        click(QStringLiteral("02-冰箱"));
        press(&editor, "TB_Edit");
        QVERIFY(name->isEnabled());
        name->setText(QStringLiteral("冰柜"));
        press(&editor, "TB_Save");
        QVERIFY(findNode(tree, QStringLiteral("02-冰柜")));
        QVERIFY(!name->isEnabled());

        // Deleting 01 takes its children along; Cancel keeps them.
        click(QStringLiteral("01-空调"));
        dialogs.answer(QMessageBox::Cancel);
        press(&editor, "TB_Del");
        QCOMPARE(count(QStringLiteral("select count(*) from T_Dict_cate where code like '01%'")), 4);
        click(QStringLiteral("01-空调"));
        dialogs.answer(QMessageBox::Ok);
        press(&editor, "TB_Del");
        QCOMPARE(dialogs.last().text,
                 QStringLiteral("如果您选择的是父节点，其子节点也将会删除，点击确定继续！"));
        QCOMPARE(count(QStringLiteral("select count(*) from T_Dict_cate where code like '01%'")), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from T_Dict_cate")), 2);
        QVERIFY(!findNode(control<QTreeWidget>(w.window, "tvCuston"), QStringLiteral("01-空调")));
    }

    void categoryEditorChoosesForTheCustomerEditor()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        addCategory(QStringLiteral("01"), QStringLiteral("空调"));
        ScriptedDialogs dialogs;
        TfrmCustomAdd customerEditor;
        customerEditor.show();
        whenModal<TfrmCoustTree>([&dialogs](TfrmCoustTree* chooser) {
            QCOMPARE(chooser->windowTitle(), QStringLiteral("用户类别"));
            QVERIFY(!control<QToolButton>(chooser, "tbSelect")->isHidden());
            press(chooser, "tbSelect"); // the root is no category
            QCOMPARE(dialogs.last().text, QStringLiteral("请您选择有效的用户类别！"));
            auto* tree = control<QTreeWidget>(chooser, "tvBasic");
            QTreeWidgetItem* node = findNode(tree, QStringLiteral("01-空调"));
            tree->setCurrentItem(node);
            emit tree->itemDoubleClicked(node, 0);
        });
        press(&customerEditor, "btnSelectType");
        QCOMPARE(control<QLineEdit>(&customerEditor, "edttype")->text(), QStringLiteral("空调"));
        QCOMPARE(control<QLineEdit>(&customerEditor, "edtTypeCode")->text(), QStringLiteral("01"));
        // The code is kept for the record; the operator sees the category's name only.
        QVERIFY(control<QLineEdit>(&customerEditor, "edttype")->isVisible());
        QVERIFY(!control<QLineEdit>(&customerEditor, "edtTypeCode")->isVisible());
    }

    // While an addition or a name change is pending, nothing reloads the tree under it; an empty
    // name is refused; a category with customers stays; in selection mode only a stored category
    // is chosen, with its stored name.
    void categoryEditorKeepsBoxesAndTreeTogether_data() { zu::test::addEngineRows(); }
    void categoryEditorKeepsBoxesAndTreeTogether()
    {
        ZU_TEST_DATABASE(db);
        addCategory(QStringLiteral("01"), QStringLiteral("空调"));
        addCategory(QStringLiteral("02"), QStringLiteral("冰箱"));
        addCategory(QStringLiteral("0201"), QStringLiteral("双门"));
        zu::test::addCustomer(QStringLiteral("张三"), QStringLiteral("K1"),
                              {{QStringLiteral("TypeCode"), QStringLiteral("0201")},
                               {QStringLiteral("classCode"), QStringLiteral("双门")}});
        ScriptedDialogs dialogs;
        CustomerWindow w;
        TfrmCoustTree editor(w.window);
        editor.FManage = true;
        editor.show();
        auto* tree = control<QTreeWidget>(&editor, "tvBasic");
        auto* name = control<QLineEdit>(&editor, "edtName");
        auto click = [tree](const QString& text) {
            QTreeWidgetItem* node = text.isEmpty() ? tree->topLevelItem(0) : findNode(tree, text);
            tree->setCurrentItem(node);
            emit tree->itemClicked(node, 0);
        };
        auto* refresh = control<QToolButton>(&editor, "btnRefresh");

        click(QStringLiteral("01-空调"));
        press(&editor, "TB_Add");
        QVERIFY(!refresh->isEnabled());
        name->setText(QStringLiteral("   "));
        press(&editor, "TB_Save");
        QCOMPARE(dialogs.last().text, QStringLiteral("类别名称不能为空，请您重新录入！"));
        QVERIFY(control<QToolButton>(&editor, "TB_Save")->isEnabled()); // still adding
        QCOMPARE(count(QStringLiteral("select count(*) from T_Dict_cate")), 3);
        press(&editor, "TB_Cancel");
        QVERIFY(refresh->isEnabled());

        // A rename reaches the customers filed under the category, and the list showing them.
        w.window->show();
        zu::data().qryCustom().open();
        click(QStringLiteral("0201-双门"));
        press(&editor, "TB_Edit");
        QVERIFY(!refresh->isEnabled());
        name->setText(QStringLiteral("对开门"));
        press(&editor, "TB_Save");
        QCOMPARE(zu::data().qryCustom().fieldText(QStringLiteral("classCode")), QStringLiteral("对开门"));

        // Deleting a branch with customers is refused before the question; nothing goes.
        dialogs.clear();
        click(QStringLiteral("02-冰箱"));
        press(&editor, "TB_Del");
        QCOMPARE(dialogs.messages(),
                 QStringList{QStringLiteral(
                     "该类别（包括其下级类别）中还有 1 位客户，不能删除！请先把这些客户改到其他类别。")});
        QCOMPARE(count(QStringLiteral("select count(*) from T_Dict_cate")), 3);
    }

    void categoryChoiceIsAStoredCategory()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        addCategory(QStringLiteral("01"), QStringLiteral("空调"));
        ScriptedDialogs dialogs;
        TfrmCustomAdd customerEditor;
        customerEditor.show();
        bool chooserShown = false;
        whenModal<TfrmCoustTree>([&](TfrmCoustTree* chooser) {
            chooserShown = true;
            auto* tree = control<QTreeWidget>(chooser, "tvBasic");
            // 新增 then 取消 leaves the proposed code in the box and the root selected: the root is
            // still no category.
            press(chooser, "TB_Add");
            QVERIFY(!control<QToolButton>(chooser, "tbSelect")->isEnabled());
            press(chooser, "TB_Cancel");
            QCOMPARE(control<QLineEdit>(chooser, "edtcode")->text(), QStringLiteral("02"));
            press(chooser, "tbSelect");
            QCOMPARE(dialogs.last().text, QStringLiteral("请您选择有效的用户类别！"));
            QVERIFY(chooser->isVisible());
            // A name typed over the selected category's is not what the customer is filed under.
            QTreeWidgetItem* node = findNode(tree, QStringLiteral("01-空调"));
            tree->setCurrentItem(node);
            emit tree->itemClicked(node, 0);
            control<QLineEdit>(chooser, "edtName")->setText(QStringLiteral("没有这个类别"));
            press(chooser, "tbSelect");
        });
        press(&customerEditor, "btnSelectType");
        QVERIFY(chooserShown);
        QCOMPARE(control<QLineEdit>(&customerEditor, "edttype")->text(), QStringLiteral("空调"));
        QCOMPARE(control<QLineEdit>(&customerEditor, "edtTypeCode")->text(), QStringLiteral("01"));
    }

    // A category chosen in the search's list selects it and its descendants by code; a name typed
    // that no category has is looked for in the customers' category names.
    void searchByChosenCategory_data() { zu::test::addEngineRows(); }
    void searchByChosenCategory()
    {
        ZU_TEST_DATABASE(db);
        addCategory(QStringLiteral("01"), QStringLiteral("门店1"));
        addCategory(QStringLiteral("0101"), QStringLiteral("门店1分店"));
        addCategory(QStringLiteral("10"), QStringLiteral("门店10"));
        addCategory(QStringLiteral("11"), QStringLiteral("门店1")); // another store of the same name
        addCustomer(
            {QStringLiteral("甲"), QStringLiteral("1"), QStringLiteral("01"), QStringLiteral("门店1")});
        addCustomer(
            {QStringLiteral("乙"), QStringLiteral("2"), QStringLiteral("0101"), QStringLiteral("门店1分店")});
        addCustomer(
            {QStringLiteral("丙"), QStringLiteral("3"), QStringLiteral("10"), QStringLiteral("门店10")});
        addCustomer(
            {QStringLiteral("丁"), QStringLiteral("4"), QStringLiteral("11"), QStringLiteral("门店1")});
        ScriptedDialogs dialogs;
        CustomerWindow w;
        auto search = [&](std::function<void(QComboBox*)> choose) {
            TfrmSelect dialog(w.window);
            dialog.show();
            choose(control<QComboBox>(&dialog, "cmbclassCode"));
            press(&dialog, "BitBtn1");
            QStringList names = listed(db.dataModule().qryCustom());
            names.sort();
            return names;
        };
        QCOMPARE(search([](QComboBox* box) { box->setCurrentIndex(1); }), // the first 门店1, code 01
                 (QStringList{QStringLiteral("乙"), QStringLiteral("甲")}));
        QCOMPARE(search([](QComboBox* box) { box->setCurrentIndex(box->count() - 1); }), // the second, 11
                 QStringList{QStringLiteral("丁")});
        QCOMPARE(search([](QComboBox* box) { box->setEditText(QStringLiteral("门店10")); }),
                 QStringList{QStringLiteral("丙")});
        QCOMPARE(search([](QComboBox* box) { box->setEditText(QStringLiteral("分店")); }),
                 QStringList{QStringLiteral("乙")});
        QVERIFY(dialogs.shown().isEmpty());
    }

    void searchJoinsEveryCondition_data() { zu::test::addEngineRows(); }
    void searchJoinsEveryCondition()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        const QDate first(2024, 3, 1);
        addCustomer(
            {QStringLiteral("张三"), QStringLiteral("1"), {}, QStringLiteral("空调"), first.startOfDay()});
        addCustomer({QStringLiteral("张四"),
                     QStringLiteral("2"),
                     {},
                     QStringLiteral("冰箱"),
                     QDateTime(first.addDays(-1), QTime(15, 0))});
        addCustomer({QStringLiteral("李张"),
                     QStringLiteral("3"),
                     {},
                     QStringLiteral("空调"),
                     QDate(2024, 3, 10).startOfDay()});
        addCustomer({QStringLiteral("王五"),
                     QStringLiteral("4"),
                     {},
                     QStringLiteral("空调"),
                     QDate(2024, 3, 11).startOfDay()});
        addCustomer(
            {QStringLiteral("100%"), QStringLiteral("5"), {}, QString(), first.addDays(-1).startOfDay()});
        d.T().exec(QStringLiteral("update T_Cust set Address = ? where IDCode = ?"),
                   {QStringLiteral("北京路"), QStringLiteral("1")});
        ScriptedDialogs dialogs;
        CustomerWindow w;

        int stillOpen = 0;
        auto search = [&](std::function<void(TfrmSelect*)> setUp) -> QStringList {
            TfrmSelect dialog(w.window);
            dialog.show();
            setUp(&dialog);
            press(&dialog, "BitBtn1");
            stillOpen += dialog.isVisible() ? 1 : 0;
            QStringList names = listed(d.qryCustom());
            names.sort();
            return names;
        };
        QCOMPARE(search([](TfrmSelect*) {}).size(), 5);
        QCOMPARE(search([](TfrmSelect* s) { fill(s, "edtName", QStringLiteral("张")); }),
                 (QStringList{QStringLiteral("张三"), QStringLiteral("张四"), QStringLiteral("李张")}));
        QCOMPARE(search([](TfrmSelect* s) {
                     fill(s, "edtName", QStringLiteral("张"));
                     fill(s, "edtAddress", QStringLiteral("北京"));
                 }),
                 QStringList{QStringLiteral("张三")});
        QCOMPARE(search([](TfrmSelect* s) { fill(s, "cmbclassCode", QStringLiteral("冰")); }),
                 QStringList{QStringLiteral("张四")});
        QCOMPARE(search([](TfrmSelect* s) { fill(s, "edtName", QStringLiteral("0%")); }),
                 QStringList{QStringLiteral("100%")});
        QCOMPARE(search([](TfrmSelect* s) {
                     control<QPlainTextEdit>(s, "Remarks")->setPlainText(QStringLiteral("无此备注"));
                 }),
                 QStringList());

        // Purchase from the 1st to the 10th: one day of margin on each side, exclusive.
        const QStringList ranged = search([&](TfrmSelect* s) {
            auto* box = control<QCheckBox>(s, "goumai");
            QVERIFY(!control<QDateEdit>(s, "goumaiA")->isEnabled());
            box->setChecked(true);
            QCOMPARE(control<QDateEdit>(s, "goumaiA")->date().day(), 1);
            control<QDateEdit>(s, "goumaiA")->setDate(first);
            control<QDateEdit>(s, "goumaiB")->setDate(QDate(2024, 3, 10));
        });
        QCOMPARE(ranged,
                 (QStringList{QStringLiteral("张三"), QStringLiteral("张四"), QStringLiteral("李张")}));
        // Unticked ranges are not used.
        QCOMPARE(search([](TfrmSelect* s) {
                     control<QCheckBox>(s, "yuyue")->setChecked(true);
                     control<QCheckBox>(s, "yuyue")->setChecked(false);
                 }).size(),
                 5);
        // A ticked booked-installation range finds nobody: nobody has that date.
        QCOMPARE(search([](TfrmSelect* s) { control<QCheckBox>(s, "congyue")->setChecked(true); }),
                 QStringList());
        QVERIFY(dialogs.shown().isEmpty());
        QCOMPARE(stillOpen, 0);
    }

    void pickerNarrowsAndReturnsTheClickedRow_data() { zu::test::addEngineRows(); }
    void pickerNarrowsAndReturnsTheClickedRow()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addCategory(QStringLiteral("01"), QStringLiteral("空调"));
        addCustomer(
            {QStringLiteral("同名"), QStringLiteral("K1"), QStringLiteral("01"), QStringLiteral("空调")});
        addCustomer(
            {QStringLiteral("同名"), QStringLiteral("K2"), QStringLiteral("01"), QStringLiteral("空调")});
        addCustomer({QStringLiteral("别人"), QStringLiteral("X9"), {}, QString()});
        ScriptedDialogs dialogs;
        QWidget opener;
        auto* nameBox = new QLineEdit(&opener);
        nameBox->setObjectName(QStringLiteral("edtCustname"));
        auto* codeBox = new QLineEdit(&opener);
        codeBox->setObjectName(QStringLiteral("edtCustCode"));

        TfrmCustname picker(&opener);
        picker.FCaller = QStringLiteral("frmService");
        picker.show();
        QCOMPARE(picker.windowTitle(), QStringLiteral("选择客户"));
        DataSet& list = d.qryselect();
        QCOMPARE(list.recordCount(), 3);
        auto* category = control<QComboBox>(&picker, "cmbselect");
        QCOMPARE(category->itemText(1), QStringLiteral("空调"));
        category->setCurrentIndex(1);
        emit category->activated(1);
        QCOMPARE(list.recordCount(), 2);
        category->setCurrentIndex(0);
        emit category->activated(0);
        QCOMPARE(listed(list), QStringList{QStringLiteral("别人")});

        // Column search by title: values that begin with the key.
        auto* column = control<QComboBox>(&picker, "cmbFiled");
        QVERIFY(column->count() >= 40); // every column of the layout, shown or not
        control<QLineEdit>(&picker, "edtkey")->setText(QStringLiteral("K"));
        press(&picker, "BitBtn1");
        QCOMPARE(dialogs.last().text, QStringLiteral("请选择一个查询条件"));
        // A title another workstation renamed meanwhile is no condition any more.
        d.T().exec(QStringLiteral("update T_FieldShow set name = ? where name = ?"),
                   {QStringLiteral("编号"), QStringLiteral("客户编码")});
        column->setCurrentText(QStringLiteral("客户编码"));
        dialogs.clear();
        press(&picker, "BitBtn1");
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("请选择一个查询条件")});
        QCOMPARE(listed(list), QStringList{QStringLiteral("别人")});
        d.T().exec(QStringLiteral("update T_FieldShow set name = ? where name = ?"),
                   {QStringLiteral("客户编码"), QStringLiteral("编号")});
        press(&picker, "BitBtn1");
        QCOMPARE(listed(list, "IDCode"), (QStringList{QStringLiteral("K1"), QStringLiteral("K2")}));
        control<QLineEdit>(&picker, "edtkey")->clear();
        press(&picker, "BitBtn1");
        QCOMPARE(list.recordCount(), 2); // an empty key changes nothing

        // The second of two customers sharing a name is the one returned.
        list.setCurrentRow(1);
        emit picker.findChild<ListGrid*>(QStringLiteral("dgselect"))->doubleClicked();
        QCOMPARE(nameBox->text(), QStringLiteral("同名"));
        QCOMPARE(codeBox->text(), QStringLiteral("K2"));
        QVERIFY(!picker.isVisible());
    }

    void pickerWithAnUnknownCallerStaysOpen()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        addCustomer({QStringLiteral("甲"), QStringLiteral("A")});
        QWidget opener;
        auto* nameBox = new QLineEdit(&opener);
        nameBox->setObjectName(QStringLiteral("edtCustName"));
        TfrmCustname picker(&opener);
        picker.FCaller = QStringLiteral("frmcomplain-typo");
        picker.show();
        emit picker.findChild<ListGrid*>(QStringLiteral("dgselect"))->doubleClicked();
        QVERIFY(picker.isVisible());
        QVERIFY(nameBox->text().isEmpty());
        picker.FCaller = QStringLiteral("frmCell");
        emit picker.findChild<ListGrid*>(QStringLiteral("dgselect"))->doubleClicked();
        QCOMPARE(nameBox->text(), QStringLiteral("甲"));
    }

    void columnSaveAfterADrag()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        CustomerWindow w;
        QHeaderView* header = w.window->dgCustom()->view()->horizontalHeader();
        const QList<LayoutColumn> before = w.window->dgCustom()->visibleColumns();
        QVERIFY(before.size() > 3);
        header->moveSection(header->visualIndex(header->logicalIndexAt(0)) + 2,
                            0); // the third column to the front
        control<QAction>(w.window, "ing1")->trigger();
        Query q(db.dataModule().conn());
        q.open(QStringLiteral("select ShowID from T_FieldShow where TableName = ? and Field = ?"),
               {QStringLiteral("T_Cust_show"), before[2].field});
        QCOMPARE(q.value(0).toInt(), 0);
        q.open(QStringLiteral("select ShowID from T_FieldShow where TableName = ? and Field = ?"),
               {QStringLiteral("T_Cust_show"), before[0].field});
        QCOMPARE(q.value(0).toInt(), 1);
    }
};

QTEST_MAIN(TestCustomerWindows)
#include "tst_customerwindows.moc"
