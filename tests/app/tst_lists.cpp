#include "app/commands.h"
#include "columns/listgrid.h"
#include "columns/tfrmfieldshow.h"
#include "customers/tfrmcustom.h"
#include "customers/tfrmcustomadd.h"
#include "data/connection.h"
#include "data/query.h"
#include "journals/journallist.h"
#include "journals/tfrmjournalqry.h"
#include "reminders/remindersettings.h"
#include "reminders/tfrmremind.h"
#include "support/records.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"
#include "widgets/lookuplistmodel.h"
#include "widgets/mdichild.h"
#include "widgets/tfrmoption.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

using namespace zu;
using zu::test::control;
using zu::test::ScriptedDialogs;
using zu::test::whenModal;

namespace {

void press(QWidget* w, const char* name)
{
    control<QAbstractButton>(w, name)->click();
}

QVariant scalar(const QString& sql, const QVariantList& values = {})
{
    Query q(data().conn());
    q.open(sql, values);
    return q.value(0);
}

void addCustomer(const QString& name, const QVariant& remind)
{
    zu::test::addCustomer(name, {}, {{QStringLiteral("remind"), remind}});
}

QStringList items(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

int shownInLayout(const QString& layout)
{
    return scalar(QStringLiteral("select count(*) from T_FieldShow where ") +
                      data().dialect().booleanEquals(QStringLiteral("show"), true) + QStringLiteral(" and ") +
                      data().dialect().textEquals(QStringLiteral("TableName")),
                  {layout})
        .toInt();
}

// Types a value into the grid's row as the user would: into the open editor, if there is one.
void typeValue(QTableView* grid, int row, const QString& value)
{
    const QModelIndex index = grid->model()->index(row, 0);
    if (auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(index)))
        editor->setText(value);
    else
        QVERIFY(grid->model()->setData(index, value));
}

} // namespace

class TestLists final : public QObject
{
    Q_OBJECT
private slots:
    void reminderWindowListsTheDueCustomers_data() { zu::test::addEngineRows(); }
    void reminderWindowListsTheDueCustomers()
    {
        ZU_TEST_DATABASE(db);
        const QDate today = QDate::currentDate();
        addCustomer(QStringLiteral("今天"), today.startOfDay());
        addCustomer(QStringLiteral("七天后"), today.addDays(7).startOfDay());
        addCustomer(QStringLiteral("八天后"), today.addDays(8).startOfDay());
        addCustomer(QStringLiteral("昨天"), today.addDays(-1).startOfDay());
        ScriptedDialogs dialogs;
        TfrmRemind window;
        window.show();
        QCOMPARE(window.windowTitle(), QStringLiteral("用户提醒"));
        DataSet& due = db.dataModule().qryRemind();
        QCOMPARE(due.recordCount(), 2);
        QCOMPARE(control<QLineEdit>(&window, "se1")->text(), QStringLiteral("7"));
        QVERIFY(control<QCheckBox>(&window, "cb1")->isChecked());
        QVERIFY(!window.grid()->hasFooter());
        // The window shows the reminder layout.
        QCOMPARE(window.grid()->columnCount(), shownInLayout(QStringLiteral("remind_show")));

        // Refresh runs the rule again with the horizon in the day box, in red.
        control<QLineEdit>(&window, "se1")->setText(QStringLiteral("8"));
        QCOMPARE(due.recordCount(), 2);
        press(&window, "btnshuaxin");
        QCOMPARE(due.recordCount(), 3);
        QCOMPARE(window.grid()->view()->palette().color(QPalette::Text), QColor(Qt::red));
        QVERIFY(dialogs.shown().isEmpty());
    }

    void dayBoxAndPopUpAreStoredAtOnce()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmRemind window;
        window.show();
        auto* days = control<QLineEdit>(&window, "se1");
        const QList<QPair<QString, int>> typed{{QStringLiteral("0"), 1},
                                               {QString(), 1},
                                               {QStringLiteral("-3"), 1},
                                               {QStringLiteral("12"), 12},
                                               {QStringLiteral("05"), 1}};
        for (const auto& [text, stored] : typed) {
            days->setText(text);
            QCOMPARE(scalar(QStringLiteral("select Day from T_remind where id = 1")).toInt(), stored);
            QCOMPARE(days->text(), QString::number(stored));
        }
        control<QCheckBox>(&window, "cb1")->click();
        QCOMPARE(scalar(QStringLiteral("select chetrues from T_remind")).toString(), QStringLiteral("0"));
        control<QCheckBox>(&window, "cb1")->click();
        QCOMPARE(scalar(QStringLiteral("select chetrues from T_remind")).toString(), QStringLiteral("1"));
        QCOMPARE(normaliseReminderDays(QStringLiteral("abc")), QStringLiteral("1"));
    }

    void chooserMovesNames()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        const int shown = shownInLayout(QStringLiteral("T_callshow"));
        TfrmFieldShow chooser;
        chooser.FLayoutName = QStringLiteral("T_CALLSHOW");
        chooser.show();
        QCOMPARE(chooser.windowTitle(), QStringLiteral("选择显示的字段"));
        auto* src = control<QListWidget>(&chooser, "SrcList");
        auto* dst = control<QListWidget>(&chooser, "DstList");
        QCOMPARE(dst->count(), shown);
        const QStringList hidden = items(src);
        QVERIFY(!hidden.isEmpty());

        // Without a selection the first name moves; with one, the selected name.
        press(&chooser, "SP_right");
        QCOMPARE(items(dst).last(), hidden.first());
        dst->setCurrentRow(1);
        const QString second = dst->item(1)->text();
        press(&chooser, "SP_left");
        QCOMPARE(items(src).last(), second);
        press(&chooser, "SP_allright");
        QVERIFY(src->count() == 0);
        QVERIFY(!control<QToolButton>(&chooser, "SP_right")->isEnabled());
        QVERIFY(control<QToolButton>(&chooser, "SP_left")->isEnabled());
        // Closing writes nothing.
        press(&chooser, "Btn_exit");
        QCOMPARE(shownInLayout(QStringLiteral("T_callshow")), shown);

        QString rebuilt;
        TfrmFieldShow all;
        all.FLayoutName = QStringLiteral("T_callshow");
        all.FCaller = QStringLiteral("frmCall");
        all.setRebuild([&rebuilt](const QString& tag) { rebuilt = tag; });
        all.show();
        press(&all, "SP_allright");
        press(&all, "Btn_ok");
        QCOMPARE(rebuilt, QStringLiteral("frmCall"));
        QCOMPARE(shownInLayout(QStringLiteral("T_callshow")), hidden.size() + shown);

        TfrmFieldShow none;
        none.FLayoutName = QStringLiteral("T_callshow");
        none.show();
        press(&none, "SP_allleft");
        press(&none, "Btn_ok");
        QCOMPARE(shownInLayout(QStringLiteral("T_callshow")), 0);

        TfrmFieldShow empty;
        empty.FLayoutName = QStringLiteral("no such layout");
        empty.show();
        for (const char* b : {"SP_right", "SP_allright", "SP_left", "SP_allleft"})
            QVERIFY(!control<QToolButton>(&empty, b)->isEnabled());
        press(&empty, "Btn_ok");
        QVERIFY(dialogs.shown().isEmpty());
    }

    void chooserWritesAllOrNothing()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        // One row refuses to change: the others must stay as they were too.
        db.dataModule().T().exec(QStringLiteral(
            "create trigger refuse_mobile before update on T_FieldShow when new.Field = 'Mobile' "
            "begin select raise(abort, 'blocked by test'); end"));
        ScriptedDialogs dialogs;
        const int shown = shownInLayout(QStringLiteral("T_Cust_show"));
        TfrmFieldShow chooser;
        chooser.FLayoutName = QStringLiteral("T_Cust_show");
        chooser.show();
        press(&chooser, "SP_allleft");
        press(&chooser, "Btn_ok");
        QVERIFY(chooser.isVisible());
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY(dialogs.last().text.contains(QStringLiteral("blocked by test")));
        QCOMPARE(shownInLayout(QStringLiteral("T_Cust_show")), shown);
    }

    void everyTagRebuildsItsGrid()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData& d = db.dataModule();
        d.T().exec(QStringLiteral(
            "insert into T_Dict_cate (name, code, tableName) values ('空调', '01', '用户类别')"));
        d.T().exec(
            QStringLiteral("insert into T_Cust (CustName, IDCode, TypeCode) values ('甲', 'A', '01')"));
        d.T().exec(
            QStringLiteral("insert into T_Cust (CustName, IDCode, TypeCode) values ('乙', 'B', null)"));
        ScriptedDialogs dialogs;
        // Hides the first shown column of the opener's grid through the chooser.
        auto hideFirst = [](QWidget* opener, const QString& layout, const QString& caller) {
            whenModal<TfrmFieldShow>([](TfrmFieldShow* chooser) {
                control<QListWidget>(chooser, "DstList")->setCurrentRow(0);
                press(chooser, "SP_left");
                press(chooser, "Btn_ok");
            });
            chooseColumns(opener, layout, caller);
        };

        QMdiArea area;
        area.show();
        TfrmCustom* customers = ShowMdiChild(&area, TfrmCustom::reference());
        d.qryCustom().open(QStringLiteral("TypeCode = ?"), {QStringLiteral("01")});
        const QList<std::tuple<ListGrid*, QString, QString>> customerGrids{
            {customers->dgCustom(), QStringLiteral("T_Cust_show"), QStringLiteral("frmCustom")},
            {customers->dgServiceCust(), QStringLiteral("t_Serviceshowcust"),
             QStringLiteral("frmCustomService")},
            {customers->dgcallCust(), QStringLiteral("T_callshowCust"), QStringLiteral("frmCustomcall")},
            {customers->dgcomplainCust(), QStringLiteral("T_complainCust"),
             QStringLiteral("frmCustomcomplain")}};
        for (const auto& [grid, layout, tag] : customerGrids) {
            const int before = grid->columnCount();
            hideFirst(customers, layout, tag);
            QCOMPARE(grid->columnCount(), before - 1);
        }
        QCOMPARE(d.qryCustom().recordCount(), 2); // the customer tag shows every customer again

        for (auto make : {std::function<TfrmJournalqry*()>([] { return new TfrmServerqry; }),
                          std::function<TfrmJournalqry*()>([] { return new TfrmCellqry; }),
                          std::function<TfrmJournalqry*()>([] { return new TfrmComplainqry; })}) {
            std::unique_ptr<TfrmJournalqry> window(make());
            window->show();
            const int before = window->grid()->columnCount();
            hideFirst(window.get(), window->kind().layout, window->kind().chooserTag);
            QCOMPARE(window->grid()->columnCount(), before - 1);
        }

        TfrmRemind reminders;
        reminders.show();
        const int before = reminders.grid()->columnCount();
        hideFirst(&reminders, QStringLiteral("remind_show"), QStringLiteral("frmRemind"));
        QCOMPARE(reminders.grid()->columnCount(), before - 1);
        // A tag that names another grid rebuilds nothing here.
        const int now = reminders.grid()->columnCount();
        hideFirst(&reminders, QStringLiteral("remind_show"), QStringLiteral("frmCall"));
        QCOMPARE(reminders.grid()->columnCount(), now);
        QVERIFY(dialogs.shown().isEmpty());
    }

    void lookupListsByPage_data() { zu::test::addEngineRows(); }
    void lookupListsByPage()
    {
        ZU_TEST_DATABASE(db);
        ScriptedDialogs dialogs;
        QCOMPARE(TfrmOption::listName(QStringLiteral("  型号  ")), QStringLiteral("型号"));
        {
            TfrmOption editor;
            editor.show();
            QCOMPARE(editor.windowTitle(), QStringLiteral("选项设置"));
            QCOMPARE(editor.currentList(), QStringLiteral("购买地点"));
            auto* pages = control<QTabBar>(&editor, "PageControl1");
            pages->setCurrentIndex(2);
            QCOMPARE(editor.currentList(), QStringLiteral("赠品"));
            auto* grid = control<LookupGrid>(&editor, "DBGridEh1");
            QCOMPARE(grid->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("赠品"));
            QVERIFY(!control<QToolButton>(&editor, "ToolButton16")->isEnabled());

            for (const QString& value : {QStringLiteral("电饭煲"), QStringLiteral("O'Reilly 电扇")}) {
                press(&editor, "ToolButton13");
                QVERIFY(!pages->isEnabled());
                QVERIFY(control<QToolButton>(&editor, "ToolButton20")->isEnabled());
                typeValue(grid, grid->model()->rowCount() - 1, value);
                press(&editor, "ToolButton16");
                QVERIFY(pages->isEnabled());
            }
            QCOMPARE(grid->model()->rowCount(), 2);
            // The grid shows each value, and edits it as it is; it has nothing else to show.
            const auto cell = [grid](int row, int role) { return grid->model()->index(row, 0).data(role); };
            for (const int role : {Qt::DisplayRole, Qt::EditRole}) {
                QCOMPARE(cell(0, role).toString(), QStringLiteral("电饭煲"));
                QCOMPARE(cell(1, role).toString(), QStringLiteral("O'Reilly 电扇"));
            }
            for (const int role : {Qt::ToolTipRole, Qt::DecorationRole, Qt::CheckStateRole})
                QVERIFY(!cell(0, role).isValid());
            // Changing a value; cancelling an addition.
            data().qryCombo().first();
            press(&editor, "ToolButton14");
            QVERIFY(!control<QToolButton>(&editor, "ToolButton20")->isEnabled());
            typeValue(grid, 0, QStringLiteral("电压力锅"));
            press(&editor, "ToolButton16");
            QCOMPARE(cell(0, Qt::DisplayRole).toString(), QStringLiteral("电压力锅"));
            QCOMPARE(cell(1, Qt::DisplayRole).toString(), QStringLiteral("O'Reilly 电扇"));
            press(&editor, "ToolButton13");
            press(&editor, "ToolButton17");
            QCOMPARE(grid->model()->rowCount(), 2);
            QVERIFY(pages->isEnabled());
            QVERIFY(!control<QToolButton>(&editor, "ToolButton16")->isEnabled());
            QVERIFY(control<QToolButton>(&editor, "ToolButton13")->isEnabled());
            // Cancelling a change keeps the stored value.
            data().qryCombo().first();
            press(&editor, "ToolButton14");
            typeValue(grid, 0, QStringLiteral("电水壶"));
            press(&editor, "ToolButton17");
            QCOMPARE(cell(0, Qt::DisplayRole).toString(), QStringLiteral("电压力锅"));
            QVERIFY(pages->isEnabled());
            QVERIFY(control<QToolButton>(&editor, "ToolButton14")->isEnabled());
            // While browsing nothing is typed into the list; while changing, only into the row
            // being changed, and only as an edit.
            const QString typed = QStringLiteral("电水壶");
            QVERIFY(!grid->model()->setData(grid->model()->index(0, 0), typed));
            press(&editor, "ToolButton14");
            QVERIFY(!grid->model()->setData(grid->model()->index(1, 0), typed));
            QVERIFY(!grid->model()->setData(grid->model()->index(0, 0), typed, Qt::DisplayRole));
            QVERIFY(!grid->model()->setData(QModelIndex(), typed));
            press(&editor, "ToolButton17");
            QCOMPARE(cell(0, Qt::DisplayRole).toString(), QStringLiteral("电压力锅"));
            QCOMPARE(cell(1, Qt::DisplayRole).toString(), QStringLiteral("O'Reilly 电扇"));
        }
        QCOMPARE(scalar(QStringLiteral("select count(*) from T_type where %1 = ?")
                            .arg(data().dialect().quote(QStringLiteral("table"))),
                        {QStringLiteral("赠品")})
                     .toInt(),
                 2);
        {
            TfrmCustomAdd customerEditor;
            auto* gift = control<QComboBox>(&customerEditor, "cmbGiftnameB");
            QCOMPARE(gift->count(), 3);
            QCOMPARE(gift->itemText(1), QStringLiteral("电压力锅"));
            QCOMPARE(gift->itemText(2), QStringLiteral("O'Reilly 电扇"));
        }
        {
            TfrmOption editor;
            editor.show();
            control<QTabBar>(&editor, "PageControl1")->setCurrentIndex(2);
            // The list opens on its first value, marked in the grid.
            QCOMPARE(control<LookupGrid>(&editor, "DBGridEh1")->currentIndex().row(), 0);
            QCOMPARE(data().qryCombo().currentRow(), 0);
            press(&editor, "ToolButton15");
            press(&editor, "ToolButton15");
            press(&editor, "ToolButton15"); // nothing left to delete
            press(&editor, "ToolButton19");
            QCOMPARE(control<LookupGrid>(&editor, "DBGridEh1")->model()->rowCount(), 0);
        }
        TfrmCustomAdd customerEditor;
        QCOMPARE(control<QComboBox>(&customerEditor, "cmbGiftnameA")->count(), 1);
        QVERIFY(dialogs.shown().isEmpty());
    }

    // Another workstation deleted the value being changed here: saving says so, and the list goes
    // back to showing what is stored, ready for the next command.
    void valueDeletedElsewhereWhileChanged_data() { zu::test::addEngineRows(); }
    void valueDeletedElsewhereWhileChanged()
    {
        ZU_TEST_DATABASE(db);
        const QString table = data().dialect().quote(QStringLiteral("table"));
        for (const char* gift : {"电饭煲", "电扇"})
            data().T().exec(QStringLiteral("insert into T_type (caption, %1) values (?, ?)").arg(table),
                            {QString::fromUtf8(gift), QStringLiteral("赠品")});
        ScriptedDialogs dialogs;
        TfrmOption editor;
        editor.show();
        auto* pages = control<QTabBar>(&editor, "PageControl1");
        pages->setCurrentIndex(2);
        auto* grid = control<LookupGrid>(&editor, "DBGridEh1");
        QCOMPARE(grid->model()->rowCount(), 2);
        data().qryCombo().first();
        const QString first = grid->model()->index(0, 0).data().toString();
        press(&editor, "ToolButton14");
        typeValue(grid, 0, QStringLiteral("电压力锅"));
        Connection other(data().conn().dialect(), data().conn().settings());
        QVERIFY2(other.open(), qPrintable(other.lastError()));
        Query(other).exec(QStringLiteral("delete from T_type where caption = ?"), {first});
        press(&editor, "ToolButton16");
        QCOMPARE(dialogs.shown().size(), 1);
        QCOMPARE(dialogs.last().text, QStringLiteral("这条记录已被其他用户删除，您的修改没有保存。"));
        QVERIFY(pages->isEnabled());
        QVERIFY(!control<QToolButton>(&editor, "ToolButton16")->isEnabled());
        QVERIFY(control<QToolButton>(&editor, "ToolButton14")->isEnabled());
        QCOMPARE(scalar(QStringLiteral("select count(*) from T_type where caption = ?"),
                        {QStringLiteral("电压力锅")})
                     .toInt(),
                 0);
    }
};

QTEST_MAIN(TestLists)
#include "tst_lists.moc"
