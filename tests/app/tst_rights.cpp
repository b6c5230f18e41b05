// Every route to a governed command follows the logged-in user's rights: the main window's menus
// and tool bar, the customer window's buttons, menus and double clicks, the category editor from
// any window, the record editors, the reminder pop-up and its export, the data initialization.

#include "app/commands.h"
#include "app/tfrmmain.h"
#include "columns/listgrid.h"
#include "customers/tfrmcousttree.h"
#include "customers/tfrmcustom.h"
#include "customers/tfrmcustomadd.h"
#include "data/datamodule.h"
#include "data/query.h"
#include "journals/tfrmcelladd.h"
#include "journals/tfrmjournalqry.h"
#include "journals/tfrmserviceadd.h"
#include "output/gridexport.h"
#include "reminders/reminderlistmodel.h"
#include "reminders/tfrmremind.h"
#include "reminders/tfrmremindcenter.h"
#include "statistics/tfrmstatistics.h"
#include "support/records.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"
#include "users/permissions.h"
#include "users/tfrmuserqx.h"
#include "widgets/mdichild.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>

using namespace zu;
using zu::test::control;
using zu::test::ScriptedDialogs;
using zu::test::whenModal;

namespace {

// Logs the rights in as the login does: the rights string, then the permission test.
void logInWith(const QStringList& granted)
{
    TfrmData& d = data();
    d.setCurrentUserRights(rightsString(granted));
    applyUserRights(d.F(), d.CurrentUserRights());
}

const QStringList kEverything{QStringLiteral("客户管理"),         QStringLiteral("回访管理"),
                              QStringLiteral("投诉记录"),         QStringLiteral("维修记录"),
                              QStringLiteral("用户提醒"),         QStringLiteral("类别管理"),
                              QStringLiteral("下拉框设置"),       QStringLiteral("导出Excel"),
                              QStringLiteral("修改密码"),         QStringLiteral("管理员及权限管理"),
                              QStringLiteral("导入客户信息"),     QStringLiteral("数据备份及还原"),
                              QStringLiteral("当前客户详细报表"), QStringLiteral("当前用户统计列表"),
                              QStringLiteral("当前用户信封打印"), QStringLiteral("当前用户标签打印"),
                              QStringLiteral("统计分析")};

QStringList everythingBut(const QStringList& missing)
{
    QStringList out = kEverything;
    for (const QString& m : missing)
        out.removeAll(m);
    return out;
}

bool enabled(const QObject* window, const char* name)
{
    if (auto* action = window->findChild<QAction*>(QString::fromLatin1(name)))
        return action->isEnabled();
    return control<QWidget>(window, name)->isEnabled();
}

// The customer window in an area, with commands that count what they are asked to do.
struct CustomerWindow
{
    QMdiArea area;
    TfrmCustom* window = nullptr;
    int serviceEditors = 0, callEditors = 0, complainEditors = 0, exports = 0;

    CustomerWindow()
    {
        area.resize(1000, 700);
        area.show();
        window = ShowMdiChild(&area, TfrmCustom::reference());
        CustomerWindowCommands c;
        c.serviceEditor = [this](QWidget*, bool) { ++serviceEditors; };
        c.callEditor = [this](QWidget*, bool) { ++callEditors; };
        c.complainEditor = [this](QWidget*, bool) { ++complainEditors; };
        c.exportList = [this](QWidget*, DataSet&, ListGrid*, const QString&) { ++exports; };
        c.chooseColumns = [](QWidget*, const QString&, const QString&) {};
        window->setCommands(c);
    }
    void doubleClick(const char* grid)
    {
        auto* view = control<ListGrid>(window, grid)->view();
        view->selectRow(0);
        emit view->doubleClicked(view->model()->index(0, 0));
    }
};

// Whether a command opened a modal dialog of type T (closed again at once).
template <typename T, typename F> bool opensModal(F command)
{
    bool opened = false;
    QObject watch;
    whenModal<T>(
        [&opened](T* dialog) {
            opened = true;
            dialog->reject();
        },
        &watch);
    command();
    return opened;
}

} // namespace

class TestRights final : public QObject
{
    Q_OBJECT
private slots:
    void mainWindowMenusAndToolBarFollowTheRights()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        logInWith({QStringLiteral("维修记录")});
        main.ApplyUserRights();
        // The tool bar's buttons and the menus' entries are the actions themselves, or follow them.
        QVERIFY(!main.action(QStringLiteral("actCustM"))->isEnabled());
        QVERIFY(!main.findChild<QWidget*>(QStringLiteral("ToolButton1"))->isEnabled());
        QVERIFY(!main.findChild<QWidget*>(QStringLiteral("btnConn"))->isEnabled());
        QVERIFY(main.findChild<QWidget*>(QStringLiteral("btnclose"))->isEnabled());
        QVERIFY(!main.action(QStringLiteral("E1"))->isEnabled());
        // The data initialization takes the right of backup and restore.
        QVERIFY(!main.action(QStringLiteral("N27"))->isEnabled());
        logInWith({QStringLiteral("数据备份及还原")});
        main.ApplyUserRights();
        QVERIFY(main.action(QStringLiteral("N27"))->isEnabled());
        QVERIFY(main.action(QStringLiteral("actdatabase"))->isEnabled());
        QVERIFY(!main.action(QStringLiteral("actService"))->isEnabled());
        // Commands no right governs stay.
        for (const char* own : {"N12", "N26", "N31", "N40", "N41", "N25", "N34"})
            QVERIFY2(main.action(QString::fromLatin1(own))->isEnabled(), own);
    }

    // The statistics window has a right of its own, offered by the rights window under the reports;
    // the reports' other rights do not open it.
    void statisticsThroughTheShell()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        QAction* statistics = main.action(QStringLiteral("actStatistics"));
        QVERIFY(main.findChild<QMenu*>(QStringLiteral("mnuReport"))->actions().contains(statistics));
        QVERIFY(!statistics->icon().isNull());
        logInWith(everythingBut({QStringLiteral("统计分析")}) << QStringLiteral("报表中心"));
        main.ApplyUserRights();
        QVERIFY(!statistics->isEnabled());
        logInWith({QStringLiteral("统计分析")});
        main.ApplyUserRights();
        QVERIFY(statistics->isEnabled());
        main.show();
        QString title;
        QObject watch;
        whenModal<TfrmStatistics>(
            [&](TfrmStatistics* window) {
                title = window->windowTitle();
                window->reject();
            },
            &watch);
        statistics->trigger();
        QCOMPARE(title, QStringLiteral("统计分析"));
        QVERIFY(dialogs.messages().isEmpty());

        TfrmUserQx rights;
        rights.show();
        const auto found = control<QTreeWidget>(&rights, "RzCheckTree1")
                               ->findItems(QStringLiteral("统计分析"), Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first()->parent()->text(0), QStringLiteral("报表中心"));
    }

    void customerWindowOpensAtStartOnlyWithItsRight_data()
    {
        QTest::addColumn<bool>("granted");
        QTest::newRow("客户管理") << true;
        QTest::newRow("without") << false;
    }
    void customerWindowOpensAtStartOnlyWithItsRight()
    {
        QFETCH(bool, granted);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        logInWith(granted ? kEverything : everythingBut({QStringLiteral("客户管理")}));
        main.ApplyUserRights();
        main.show();
        QCOMPARE(TfrmCustom::instance() != nullptr, granted);
        QCOMPARE(main.mdiArea()->subWindowList().size(), granted ? 1 : 0);
    }

    // The reminder centre takes the reminder right; its return call opens the return-visit editor for
    // the customer, and the visit saved marks the call done. A double click shows the customer.
    void reminderCentreThroughTheShell()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        const QDate today = QDate::currentDate();
        Query(data().conn())
            .exec(
                QStringLiteral("update T_remind set RemindOn = 0, PlanOn = 0, WarrantyOn = 0, CallSince = ?"),
                {today.addDays(-10).startOfDay()});
        zu::test::addCustomer(QStringLiteral("甲"), QStringLiteral("K1"));
        zu::test::addCustomer(QStringLiteral("乙"), QStringLiteral("K2"));
        zu::test::addJournal(QStringLiteral("T_service"), QStringLiteral("K2"), QStringLiteral("乙"),
                             {{QStringLiteral("serviceDate"), today.addDays(-3).startOfDay()},
                              {QStringLiteral("hitchName"), QStringLiteral("漏水")}});
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        logInWith(everythingBut({QStringLiteral("用户提醒")}));
        main.ApplyUserRights();
        QVERIFY(!main.action(QStringLiteral("actRemindCenter"))->isEnabled());
        logInWith(kEverything);
        main.ApplyUserRights();
        QVERIFY(main.action(QStringLiteral("actRemindCenter"))->isEnabled());
        main.show();

        QString code, remark;
        QObject watch;
        whenModal<TfrmRemindCenter>(
            [&](TfrmRemindCenter* centre) {
                centre->dgRemind()->setCurrentIndex(centre->shownList().index(0, 0));
                whenModal<TfrmCellAdd>([&](TfrmCellAdd* editor) {
                    code = control<QLineEdit>(editor, "edtCustCode")->text();
                    remark = control<QPlainTextEdit>(editor, "edtcallRemark")->toPlainText();
                    control<QAbstractButton>(editor, "btnAdd")->click();
                });
                control<QAbstractButton>(centre, "btnDone")->click();
                centre->reject();
            },
            &watch);
        main.action(QStringLiteral("actRemindCenter"))->trigger();
        QCOMPARE(code, QStringLiteral("K2"));
        QCOMPARE(remark, QStringLiteral("维修后回访：漏水"));
        QCOMPARE(zu::test::column(QStringLiteral("select CustCode from T_call")), QStringList{"K2"});
        QCOMPARE(zu::test::column(QStringLiteral("select State from T_remindstate where Kind = 'call'")),
                 QStringList{"done"});

        // The customer of a reminder, shown in the customer window.
        Query(data().conn())
            .exec(QStringLiteral("update T_remind set RemindOn = 1, RemindSince = ?"), {today.startOfDay()});
        Query(data().conn())
            .exec(QStringLiteral("update T_Cust set remind = ? where IDCode = ?"),
                  {today.startOfDay(), QStringLiteral("K2")});
        zu::test::addCustomer(QStringLiteral("丙"), QStringLiteral("K3"));
        whenModal<TfrmRemindCenter>(
            [&](TfrmRemindCenter* centre) {
                QTableView* view = centre->dgRemind();
                view->setCurrentIndex(centre->shownList().index(0, ReminderListModel::NameColumn));
                emit view->doubleClicked(view->currentIndex());
            },
            &watch);
        main.action(QStringLiteral("actRemindCenter"))->trigger();
        QVERIFY(TfrmCustom::instance());
        QCOMPARE(data().qryCustom().fieldText(QStringLiteral("IDCode")), QStringLiteral("K2"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void exportWithoutTheCustomerWindowsRightShowsNoCustomerWindow()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        zu::test::addCustomer(QStringLiteral("甲"), QStringLiteral("K1"));
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        logInWith({QStringLiteral("导出Excel")});
        main.ApplyUserRights();
        main.show();
        QTemporaryDir out;
        const QString file = out.filePath(QStringLiteral("客户.xls"));
        dialogs.answerFile(file);
        dialogs.answer(QMessageBox::Cancel); // do not open the file
        main.action(QStringLiteral("actexport"))->trigger();
        QVERIFY(!TfrmCustom::instance());
        QVERIFY(main.mdiArea()->subWindowList().isEmpty());
        QVERIFY(QFileInfo(file).size() > 0);
        QCOMPARE(dialogs.shown().first().kind, QStringLiteral("save"));
    }

    void customerWindowWithoutAnyRightChangesNothing()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        zu::test::addCustomer(QStringLiteral("甲"), QStringLiteral("K1"));
        for (const char* table : {"T_service", "T_call", "T_complain"})
            zu::test::addJournal(QLatin1String(table), QStringLiteral("K1"), QStringLiteral("甲"));
        ScriptedDialogs dialogs;
        logInWith({});
        CustomerWindow w;
        for (const char* name :
             {"btnInsert",    "ToolButton2",  "ToolButton1",  "N22",         "N23",          "N34",
              "N10",          "ToolButton4",  "Excel1",       "ToolButton8", "ToolButton9",  "ToolButton10",
              "ToolButton11", "N2",           "N3",           "N4",          "ToolButton12", "ToolButton14",
              "N7",           "ToolButton16", "ToolButton18", "N9",          "ToolButton19"})
            QVERIFY2(!enabled(w.window, name), name);
        // What only reads stays: search, refresh, the columns.
        for (const char* name : {"ToolButton3", "shuaxin", "N1", "N11"})
            QVERIFY2(enabled(w.window, name), name);
        // A double click opens no editor.
        QVERIFY(!opensModal<TfrmCustomAdd>([&] { w.doubleClick("dgCustom"); }));
        for (const char* grid : {"dgServiceCust", "dgcallCust", "dgcomplainCust"})
            w.doubleClick(grid);
        QCOMPARE(w.serviceEditors + w.callEditors + w.complainEditors, 0);
        // A route that slips through is refused with the right's name, and nothing is deleted.
        control<QAction>(w.window, "N34")->setEnabled(true);
        control<QAction>(w.window, "N34")->trigger();
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("您没有“客户管理”权限，不能进行此操作。")});
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_Cust")), 1);
    }

    void customerWindowOffersWhatEachRightAllows()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        zu::test::addCustomer(QStringLiteral("甲"), QStringLiteral("K1"));
        for (const char* table : {"T_service", "T_call", "T_complain"})
            zu::test::addJournal(QLatin1String(table), QStringLiteral("K1"), QStringLiteral("甲"));
        ScriptedDialogs dialogs;
        logInWith({QStringLiteral("客户管理"), QStringLiteral("维修记录")});
        CustomerWindow w;
        for (const char* name : {"btnInsert", "ToolButton2", "ToolButton1", "N22", "N23", "N34",
                                 "ToolButton8", "ToolButton9", "ToolButton10", "N2", "N3", "N4"})
            QVERIFY2(enabled(w.window, name), name);
        for (const char* name : {"N10", "ToolButton4", "Excel1", "ToolButton11", "ToolButton12",
                                 "ToolButton13", "ToolButton14", "N5", "N6", "N7", "ToolButton16", "N9"})
            QVERIFY2(!enabled(w.window, name), name);
        QVERIFY(opensModal<TfrmCustomAdd>([&] { w.doubleClick("dgCustom"); }));
        w.doubleClick("dgServiceCust");
        w.doubleClick("dgcallCust");
        w.doubleClick("dgcomplainCust");
        QCOMPARE(w.serviceEditors, 1);
        QCOMPARE(w.callEditors + w.complainEditors, 0);

        // With every right the rest follows.
        logInWith(kEverything);
        CustomerWindow all;
        for (const char* name : {"N10", "ToolButton4", "Excel1", "ToolButton11", "ToolButton13", "N7", "N9"})
            QVERIFY2(enabled(all.window, name), name);
        control<QAbstractButton>(all.window, "ToolButton4")->click();
        QCOMPARE(all.exports, 1);
        all.doubleClick("dgcomplainCust");
        QCOMPARE(all.complainEditors, 1);
    }

    void categoryEditorChangesNeedTheirRightFromAnyWindow_data()
    {
        QTest::addColumn<bool>("manage");
        QTest::addColumn<bool>("granted");
        QTest::newRow("chooser, without") << false << false;
        QTest::newRow("chooser, 类别管理") << false << true;
        QTest::newRow("management, 类别管理") << true << true;
    }
    void categoryEditorChangesNeedTheirRightFromAnyWindow()
    {
        QFETCH(bool, manage);
        QFETCH(bool, granted);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        zu::test::addCategory(QStringLiteral("01"), QStringLiteral("空调"));
        ScriptedDialogs dialogs;
        logInWith(granted ? QStringList{QStringLiteral("类别管理")}
                          : QStringList{QStringLiteral("客户管理")});
        TfrmCoustTree editor;
        editor.FManage = manage;
        editor.show();
        for (const char* name : {"TB_Add", "TB_Edit", "TB_Del", "N1", "N2"})
            QCOMPARE(enabled(&editor, name), granted);
        QVERIFY(!enabled(&editor, "TB_Save"));
        if (!manage)
            QVERIFY(enabled(&editor, "tbSelect")); // choosing a category is for everyone
    }

    void recordEditorRefusesWithoutTheListsRight()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        logInWith({QStringLiteral("回访管理")});
        TfrmServerqry list;
        for (const char* name :
             {"btnAdd", "btnupdate", "btnDel", "actAdd", "actUpdate", "actDelete", "btndaochu", "actExport"})
            QVERIFY2(!enabled(&list, name), name);
        TfrmServiceAdd editor;
        editor.FCaller = QStringLiteral("frmService");
        editor.show();
        control<QLineEdit>(&editor, "edtCustCode")->setText(QStringLiteral("K1"));
        control<QLineEdit>(&editor, "edtCustname")->setText(QStringLiteral("甲"));
        control<QAbstractButton>(&editor, "btn1")->click();
        QCOMPARE(dialogs.messages(), QStringList{QStringLiteral("您没有“维修记录”权限，不能进行此操作。")});
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_service")), 0);

        logInWith({QStringLiteral("维修记录")});
        TfrmServerqry allowed;
        for (const char* name : {"btnAdd", "btnupdate", "btnDel", "actAdd", "actUpdate", "actDelete"})
            QVERIFY2(enabled(&allowed, name), name);
    }

    void reminderPopUpAndItsExport_data()
    {
        QTest::addColumn<QStringList>("granted");
        QTest::addColumn<bool>("popUp");
        QTest::addColumn<bool>("exportable");
        QTest::newRow("neither") << QStringList{QStringLiteral("客户管理")} << false << false;
        QTest::newRow("用户提醒") << QStringList{QStringLiteral("用户提醒")} << true << false;
        QTest::newRow("用户提醒, 导出Excel")
            << QStringList{QStringLiteral("用户提醒"), QStringLiteral("导出Excel")} << true << true;
    }
    void reminderPopUpAndItsExport()
    {
        QFETCH(QStringList, granted);
        QFETCH(bool, popUp);
        QFETCH(bool, exportable);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        data().F().exec(QStringLiteral("update T_remind set chetrues = ?"), {QStringLiteral("1")});
        zu::test::addCustomer(QStringLiteral("甲"), QStringLiteral("K1"),
                              {{QStringLiteral("remind"), QDate::currentDate().startOfDay()}});
        ScriptedDialogs dialogs;
        TfrmMain main;
        int opened = 0;
        main.setReminderWindow([&opened] { ++opened; });
        logInWith(granted);
        main.ApplyUserRights();
        main.show();
        QCOMPARE(main.Timer1().isActive(), popUp);
        if (popUp)
            QTRY_COMPARE(opened, 1);
        QCOMPARE(opened, popUp ? 1 : 0);

        TfrmRemind reminders;
        RemindCommands c;
        c.exportList = [](QWidget*, DataSet&, ListGrid*, const QString&) {};
        reminders.setCommands(c);
        QCOMPARE(enabled(&reminders, "btndaochu"), exportable);
    }

    void exportItselfRefusesWithoutItsRight()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        logInWith({QStringLiteral("客户管理")});
        DataSet& customers = data().qryCustom();
        customers.open();
        ListGrid grid;
        QVERIFY_THROWS_EXCEPTION(CommandError,
                                 ExportGridToXls(nullptr, customers, &grid, QStringLiteral("x")));
        QVERIFY(dialogs.shown().isEmpty()); // no save dialog was offered
    }
};

QTEST_MAIN(TestRights)
#include "tst_rights.moc"
