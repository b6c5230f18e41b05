#include "app/commands.h"
#include "app/entrysequence.h"
#include "app/tfrmcoinfo.h"
#include "app/tfrmmain.h"
#include "customers/quickfindbox.h"
#include "customers/tfrmcousttree.h"
#include "customers/tfrmcustom.h"
#include "data/routines.h"
#include "journals/tfrmmachinehistory.h"
#include "support/filesizelimit.h"
#include "support/records.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"
#include "widgets/icons.h"
#include "widgets/mdichild.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QtTest>

using namespace zu;
using zu::test::ScriptedDialogs;

namespace {

const QStringList kGoverned{"actCustM",  "actService",   "actCall",     "actcomplain", "actType",
                            "actche",    "actpopedom",   "actpassword", "actdatabase", "actremind",
                            "actexport", "actCustsheet", "actcensus",   "actEnvelope", "actlabel",
                            "actLead",   "actStatistics"};

void addDueCustomer(TfrmData& d, int inDays)
{
    d.F().exec(QStringLiteral("insert into T_Cust (CustName, IDCode, remind) values (?, ?, ?)"),
               {QStringLiteral("提醒客户"), QStringLiteral("R%1").arg(inDays),
                QDate::currentDate().addDays(inDays)});
}

int softInfoRows(TfrmData& d)
{
    Query q(d.conn());
    q.open(QStringLiteral("select count(*) from t_SoftInfo"));
    return q.value(0).toInt();
}

// A child window as ShowMdiChild creates them: given the area as parent.
class ChildWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit ChildWindow(QWidget* parent) : QWidget(parent) { ++created; }
    static inline int created = 0;
};

} // namespace

class TestMainWindow final : public QObject
{
    Q_OBJECT
private slots:
    void titleAndStatusBar_data() { zu::test::addEngineRows(); }
    void titleAndStatusBar()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        d.F().exec(QStringLiteral("update t_SoftInfo set Version = ?"), {QStringLiteral("2.10")});
        d.setCurrentUserName(QStringLiteral("Admin"));
        ScriptedDialogs dialogs;
        TfrmMain main;
        main.show();
        QCOMPARE(main.windowTitle(), QStringLiteral("zu电器售后服务管理软件2.10"));
        QCOMPARE(main.statusText(0), QStringLiteral("当前登录用户:Admin"));
        QCOMPARE(main.statusText(2), QStringLiteral("当前版本号2.10"));
        QCOMPARE(main.statusText(3), QString()); // three panels, none beside them
        QCOMPARE(zu::test::control<QStatusBar>(&main, "StatusBar1")->findChildren<QLabel*>().size(), 3);
        QCOMPARE(main.statusText(-1), QString());
        if (db.isServer()) {
            QVERIFY2(main.statusText(1).startsWith(QStringLiteral("数据库:PostgreSQL,服务器127.0.0.1:")),
                     qPrintable(main.statusText(1)));
            QVERIFY(main.statusText(1).endsWith(QStringLiteral(",数据库") + db.serverDatabaseName()));
        } else {
            QCOMPARE(main.statusText(1), QStringLiteral("数据库:SQLite,数据库路径") +
                                             db.home().file(QStringLiteral("Database/Service.db")));
        }
        QVERIFY(dialogs.shown().isEmpty());
    }

    void emptySoftInfoGivesNoVersion()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        db.dataModule().F().exec(QStringLiteral("delete from t_SoftInfo"));
        ScriptedDialogs dialogs;
        TfrmMain main;
        main.show();
        QCOMPARE(main.windowTitle(), QStringLiteral("zu电器售后服务管理软件"));
        QCOMPARE(main.statusText(2), QStringLiteral("当前版本号"));
    }

    void startUpErrorIsShownAndTheWindowStays()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        db.dataModule().F().exec(QStringLiteral("drop table T_remind"));
        ScriptedDialogs dialogs;
        TfrmMain main;
        main.show();
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY2(dialogs.last().text.contains(QStringLiteral("T_remind"), Qt::CaseInsensitive),
                 qPrintable(dialogs.last().text));
        QCOMPARE(dialogs.last().icon, QMessageBox::Critical);
        QVERIFY(main.isVisible());
        QVERIFY(!main.Timer1().isActive());
        // The window's title was set before the failing step.
        QCOMPARE(main.windowTitle(), QStringLiteral("zu电器售后服务管理软件1.0"));
    }

    // Ctrl+F from the customer window reaches the tool bar's box; what is typed offers the
    // customers, Enter shows the first in the customer window with its records, opening the
    // window when it is closed.
    void quickFindShowsTheCustomer_data() { zu::test::addEngineRows(); }
    void quickFindShowsTheCustomer()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        d.setCurrentUserRights(QStringLiteral("'客户管理',"));
        zu::test::addCustomer(QStringLiteral("张三"), QStringLiteral("KH0001"),
                              {{QStringLiteral("Phone"), QStringLiteral("0571-88886666")}});
        zu::test::addCustomer(QStringLiteral("李四"), QStringLiteral("KH0002"),
                              {{QStringLiteral("Mobile"), QStringLiteral("13912345678")}});
        zu::test::addJournal(QStringLiteral("T_service"), QStringLiteral("KH0002"), QStringLiteral("李四"),
                             {{QStringLiteral("GoodsCode"), QStringLiteral("SN-77")}});
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        main.ApplyUserRights();
        main.resize(1000, 700);
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QuickFindBox* box = main.quickFindBox();
        QVERIFY(box->isVisible());
        QVERIFY(TfrmCustom::instance());

        QTest::keyClick(TfrmCustom::instance(), Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(box->hasFocus());
        QTest::keyClicks(box, "ls");
        QCOMPARE(box->offered(), QStringList{QStringLiteral("李四  KH0002  13912345678")});
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(d.qryCustom().fieldText(QStringLiteral("IDCode")), QStringLiteral("KH0002"));
        QCOMPARE(d.qryServiceCust().recordCount(), 1);
        QCOMPARE(d.qryServiceCust().fieldText(QStringLiteral("GoodsCode")), QStringLiteral("SN-77"));

        // The window closed: choosing opens it again on the customer.
        qobject_cast<QMdiSubWindow*>(TfrmCustom::instance()->parentWidget())->close();
        QTRY_VERIFY(!TfrmCustom::instance());
        box->clear();
        QTest::keyClicks(box, "8888");
        QCOMPARE(box->offered().size(), 1);
        box->choose(0);
        QVERIFY(TfrmCustom::instance());
        QCOMPARE(d.qryCustom().fieldText(QStringLiteral("IDCode")), QStringLiteral("KH0001"));
        QCOMPARE(d.qryServiceCust().recordCount(), 0);
        QVERIFY2(dialogs.messages().isEmpty(), qPrintable(dialogs.messages().join(QLatin1Char('\n'))));

        // A user who may not open the customer window is not offered quick find.
        d.setCurrentUserRights(QStringLiteral("'修改密码',"));
        main.ApplyUserRights();
        QTRY_VERIFY(!box->isVisible()); // the tool bar lays itself out again first
        QVERIFY(!main.action(QStringLiteral("actQuickFind"))->isEnabled());
    }

    // A body code typed into quick find offers its machine's history after the customers:
    // Shift+Enter or a click on it opens the history, Enter still the first customer.
    void quickFindOpensTheMachineHistory_data() { zu::test::addEngineRows(); }
    void quickFindOpensTheMachineHistory()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        d.setCurrentUserRights(QStringLiteral("'客户管理',"));
        zu::test::addCustomer(QStringLiteral("张三"), QStringLiteral("KH0001"),
                              {{QStringLiteral("GoodsCode"), QStringLiteral("SN-100")}});
        zu::test::addCustomer(QStringLiteral("李四"), QStringLiteral("KH0002"));
        zu::test::addJournal(QStringLiteral("T_service"), QStringLiteral("KH0002"), QStringLiteral("李四"),
                             {{QStringLiteral("GoodsCode"), QStringLiteral("SN-200")}});
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        main.ApplyUserRights();
        main.show();
        QuickFindBox* box = main.quickFindBox();
        box->setFocus();
        QTest::keyClicks(box, "SN-2");
        QCOMPARE(box->offered(), (QStringList{QStringLiteral("李四  KH0002"),
                                              QStringLiteral("机器档案：SN-200 (Shift+Enter)")}));
        QVERIFY(box->toolTip().contains(QStringLiteral("Shift+Enter")));
        QString opened;
        zu::test::whenModal<TfrmMachineHistory>([&opened](TfrmMachineHistory* history) {
            opened = history->goodsCode() + QLatin1Char(' ') + QString::number(history->history().size());
            history->accept();
        });
        QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(opened, QStringLiteral("SN-200 1"));

        box->clear();
        QTest::keyClicks(box, "sn-1");
        QCOMPARE(box->offered().size(), 2);
        zu::test::whenModal<TfrmMachineHistory>([&opened](TfrmMachineHistory* history) {
            opened = history->goodsCode();
            history->accept();
        });
        box->choose(1);
        QCOMPARE(opened, QStringLiteral("SN-100"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(d.qryCustom().fieldText(QStringLiteral("IDCode")), QStringLiteral("KH0001"));

        // Found by name: no machine is offered, Shift+Enter does nothing.
        box->clear();
        QTest::keyClicks(box, "ls");
        QCOMPARE(box->offered(), QStringList{QStringLiteral("李四  KH0002")});
        QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY2(dialogs.messages().isEmpty(), qPrintable(dialogs.messages().join(QLatin1Char('\n'))));
    }

    // The main window's category command opens the editor to manage the categories, not to
    // choose one.
    void categoryCommandManagesCategories_data() { zu::test::addEngineRows(); }
    void categoryCommandManagesCategories()
    {
        ZU_TEST_DATABASE(db);
        db.dataModule().setCurrentUserRights(QStringLiteral("'类别管理',"));
        ScriptedDialogs dialogs;
        TfrmMain main;
        installCommands(main);
        main.ApplyUserRights();
        main.show();
        bool managing = false;
        bool choosing = true;
        zu::test::whenModal<TfrmCoustTree>([&](TfrmCoustTree* editor) {
            managing = editor->FManage;
            choosing = zu::test::control<QToolButton>(editor, "tbSelect")->isVisible();
            editor->reject();
        });
        zu::test::control<QAction>(&main, "actType")->trigger();
        QVERIFY(managing);
        QVERIFY(!choosing);
    }

    void userWithoutRights()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        db.dataModule().setCurrentUserRights(QString());
        TfrmMain main;
        main.ApplyUserRights();
        for (const QString& name : kGoverned)
            QVERIFY2(!main.action(name)->isEnabled(), qPrintable(name));
        for (const char* own : {"N12", "N26", "N31", "N40", "N41", "helpTxT"})
            QVERIFY2(main.action(QString::fromLatin1(own))->isEnabled(), own);
        // Menu items with captions of their own follow their action.
        QVERIFY(!main.action(QStringLiteral("E1"))->isEnabled());
    }

    void rightsEnableOnlyWhatIsGranted()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmMain main;
        db.dataModule().setCurrentUserRights(QStringLiteral("'修改密码',"));
        main.ApplyUserRights();
        QVERIFY(main.action(QStringLiteral("actpassword"))->isEnabled());
        QVERIFY(!main.action(QStringLiteral("actCustM"))->isEnabled());

        // A command that is granted but has no window yet stays disabled until it gets one.
        db.dataModule().setCurrentUserRights(QStringLiteral("'修改密码','客户管理',"));
        main.ApplyUserRights();
        QVERIFY(!main.action(QStringLiteral("actCustM"))->isEnabled());
        int opened = 0;
        main.setCommand(QStringLiteral("actCustM"), [&opened] { ++opened; });
        QVERIFY(main.action(QStringLiteral("actCustM"))->isEnabled());
        main.action(QStringLiteral("actCustM"))->trigger();
        main.findChild<QWidget*>(QStringLiteral("ToolButton1"));
        QCOMPARE(opened, 1);
    }

    void everyCommandIsReachableFromTheMenus()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmMain main;
        QStringList menus;
        for (QAction* a : main.menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus, (QStringList{QStringLiteral("系统设置"), QStringLiteral("基础信息"),
                                     QStringLiteral("报表中心"), QStringLiteral("帮助")}));
        // What a right grants, the user finds in a menu (not only on a tool bar or by a shortcut).
        QList<QAction*> reachable;
        QList<QMenu*> open;
        for (QAction* a : main.menuBar()->actions())
            if (a->menu())
                open << a->menu();
        while (!open.isEmpty()) {
            QMenu* menu = open.takeFirst();
            for (QAction* a : menu->actions()) {
                reachable << a;
                if (a->menu())
                    open << a->menu();
            }
        }
        // Either the command itself, or a menu entry that follows its state.
        const auto followers = [&reachable](QAction* command) {
            command->setEnabled(true);
            QList<QAction*> on;
            for (QAction* a : reachable)
                if (a->isEnabled())
                    on << a;
            command->setEnabled(false);
            QList<QAction*> follow;
            for (QAction* a : on)
                if (!a->isEnabled())
                    follow << a;
            command->setEnabled(true);
            return follow;
        };
        for (const QString& name : kGoverned) {
            QAction* command = main.action(name);
            QVERIFY2(command, qPrintable(name));
            QVERIFY2(reachable.contains(command) || !followers(command).isEmpty(), qPrintable(name));
            QVERIFY2(!command->text().trimmed().isEmpty(), qPrintable(name));
        }
        QCOMPARE(main.action(QStringLiteral("actCustM"))->text(), QStringLiteral("客户管理"));
        QCOMPARE(main.action(QStringLiteral("E1"))->text(), QStringLiteral("客户信息导出Excel"));
        for (const char* button : {"ToolButton1", "ToolButton2", "btnConn", "btnclose"})
            QVERIFY2(main.findChild<QWidget*>(QString::fromLatin1(button)), button);
    }

    void oneIconSetThroughout()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmMain main;
        auto image = [](const QIcon& icon) { return icon.pixmap(QSize(22, 22)).toImage(); };
        // Every command of the menus and the tool bar shows an icon.
        for (QAction* a : main.findChildren<QAction*>()) {
            if (a->isSeparator() || a->menu() || a->objectName().isEmpty())
                continue;
            QVERIFY2(!a->icon().isNull() && !image(a->icon()).isNull(), qPrintable(a->objectName()));
        }
        // The same command looks the same in the menu and on the tool bar...
        QCOMPARE(image(main.action(QStringLiteral("E1"))->icon()),
                 image(main.action(QStringLiteral("actexport"))->icon()));
        QCOMPARE(image(main.action(QStringLiteral("helpTxT"))->icon()),
                 image(main.action(QStringLiteral("N26"))->icon()));
        QCOMPARE(image(main.action(QStringLiteral("helpTxT"))->icon()),
                 image(commandIcon(CommandIcon::Help)));
        // ... and each button of the tool bar differently from the others.
        QList<QImage> toolBar;
        for (const char* name : {"actCustM", "actCall", "actcomplain", "actService", "helpTxT"}) {
            const QImage i = image(main.action(QString::fromLatin1(name))->icon());
            QVERIFY2(!toolBar.contains(i), name);
            toolBar << i;
        }
        // None is one of the style's stock pictures (a folder, a disc, a warning sign, a red cross).
        for (const QStyle::StandardPixmap stock :
             {QStyle::SP_DirIcon, QStyle::SP_DriveHDIcon, QStyle::SP_MessageBoxWarning,
              QStyle::SP_DialogCloseButton, QStyle::SP_DialogHelpButton})
            QVERIFY(!toolBar.contains(image(main.style()->standardIcon(stock))));
        // The program's own icon, drawn and in every size the desktop asks for.
        const QIcon own = programIcon();
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
            QCOMPARE(own.pixmap(QSize(size, size)).size(), QSize(size, size));
    }

    void reminderTimerFiresOnceWhenDue_data()
    {
        QTest::addColumn<QString>("chetrues");
        QTest::addColumn<int>("dueInDays"); // -1: nobody due
        QTest::addColumn<bool>("fires");
        QTest::newRow("due, pop-up on") << QStringLiteral("1") << 7 << true;
        QTest::newRow("due, pop-up off") << QStringLiteral("0") << 3 << false;
        QTest::newRow("nobody due") << QStringLiteral("1") << -1 << false;
        QTest::newRow("due tomorrow, empty setting") << QString() << 1 << true;
    }
    void reminderTimerFiresOnceWhenDue()
    {
        QFETCH(QString, chetrues);
        QFETCH(int, dueInDays);
        QFETCH(bool, fires);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData& d = db.dataModule();
        d.F().exec(QStringLiteral("update T_remind set chetrues = ?"), {chetrues});
        if (dueInDays >= 0)
            addDueCustomer(d, dueInDays);
        addDueCustomer(d, 8); // beyond the horizon of 7 days
        ScriptedDialogs dialogs;
        TfrmMain main;
        int opened = 0;
        main.setReminderWindow([&opened] { ++opened; });
        QSignalSpy due(&main, &TfrmMain::remindersDue);
        // A second after the window shows, then once; the test does not sit out the second.
        QCOMPARE(main.Timer1().interval(), 1000);
        QVERIFY(main.Timer1().isSingleShot());
        main.Timer1().setInterval(1);
        main.show();
        QCOMPARE(main.Timer1().isActive(), fires);
        QCOMPARE(d.qryRemind().recordCount(), dueInDays >= 0 ? 1 : 0);
        QCOMPARE(due.count(), 0); // not while the window is still being shown
        if (fires)
            QVERIFY(due.wait(3000));
        QTRY_VERIFY(!main.Timer1().isActive());
        QCoreApplication::processEvents();
        QCOMPARE(due.count(), fires ? 1 : 0);
        QCOMPARE(opened, fires ? 1 : 0);
        main.hide();
        main.show(); // showing again does not run the start-up work again
        QVERIFY(!main.Timer1().isActive());
        QCoreApplication::processEvents();
        QCOMPARE(due.count(), fires ? 1 : 0);
        QCOMPARE(opened, fires ? 1 : 0);
    }

    // Overdue reminders of the reminder centre pop the reminder window up as well, when its kind is on.
    void reminderTimerFiresForOverdueReminders_data()
    {
        QTest::addColumn<bool>("kindOn");
        QTest::newRow("customer dates on") << true;
        QTest::newRow("customer dates off") << false;
    }
    void reminderTimerFiresForOverdueReminders()
    {
        QFETCH(bool, kindOn);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData& d = db.dataModule();
        d.F().exec(QStringLiteral("update T_remind set RemindOn = ?, RemindSince = ?"),
                   {int(kindOn), QDate::currentDate().addDays(-10).startOfDay()});
        addDueCustomer(d, -1); // yesterday: overdue, not due
        ScriptedDialogs dialogs;
        TfrmMain main;
        main.setReminderWindow([] {});
        main.show();
        QCOMPARE(d.qryRemind().recordCount(), 0);
        QCOMPARE(main.Timer1().isActive(), kindOn);
        main.Timer1().stop();
    }

    void helpAndWebSite()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        TfrmMain main;
        // The help file that ships with the program (beside the executable where it was built)...
        main.action(QStringLiteral("N26"))->trigger();
        QCOMPARE(dialogs.last().kind, QStringLiteral("open-externally"));
        QCOMPARE(dialogs.last().text,
                 QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("帮助文件.html")));
        // ... unless the program's folder holds one of its own.
        db.home().write(QStringLiteral("帮助文件.html"), "<html>本店的说明</html>");
        main.findChild<QWidget*>(QStringLiteral("helpTxTButton"));
        main.action(QStringLiteral("helpTxT"))->trigger();
        QCOMPARE(dialogs.shown().size(), 2);
        QCOMPARE(dialogs.last().text, db.home().file(QStringLiteral("帮助文件.html")));

        main.action(QStringLiteral("N41"))->trigger();
        QCOMPARE(dialogs.last().kind, QStringLiteral("message")); // no address set yet
        db.dataModule().ConfigIni().writeString(QStringLiteral("config"), QStringLiteral("WebSite"),
                                                QStringLiteral("https://shop.example/"));
        main.action(QStringLiteral("N41"))->trigger();
        QCOMPARE(dialogs.last().kind, QStringLiteral("open-externally"));
        QCOMPARE(dialogs.last().text, QStringLiteral("https://shop.example/"));
    }

    void helpFileShipsBesideTheProgram()
    {
        const QString file = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/帮助文件.html");
        QFile help(file);
        QVERIFY2(help.open(QIODevice::ReadOnly), qPrintable(file));
        const QString text = QString::fromUtf8(help.readAll());
        QVERIFY(text.contains(QStringLiteral("初次使用时的用户为")));
    }

    void statusBarShowsAnUnreachableServer()
    {
        zu::test::TestDatabase db(QStringLiteral("postgres"));
        if (db.skipped())
            QSKIP("no PostgreSQL server configured (ZU_TEST_PG)");
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData& d = db.dataModule();
        ScriptedDialogs dialogs;
        TfrmMain main;
        main.show();
        const QString normal = main.statusText(1);
        const QString name = db.serverDatabaseName();
        auto allow = [&](bool on) {
            QVERIFY(zu::test::serverAdminExec(
                *db.server(), QStringLiteral("alter database %1 allow_connections %2")
                                  .arg(name, on ? QStringLiteral("true") : QStringLiteral("false"))));
        };
        db.other(); // the other workstation is connected before the database closes its doors
        allow(false);
        const auto reopen = qScopeGuard([&] { allow(true); });
        db.endProgramsConnection();
        QVERIFY_THROWS_EXCEPTION(DbError, d.qryCustom().open());
        QVERIFY2(main.statusText(1).startsWith(QStringLiteral("无法连接数据库服务器")),
                 qPrintable(main.statusText(1)));
        QVERIFY(main.statusText(1).contains(normal));
        allow(true);
        d.qryCustom().open();
        QCOMPARE(main.statusText(1), normal);
    }

    void companyInformationSavedTwiceLeavesOneRow()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmData& d = db.dataModule();
        ScriptedDialogs dialogs;
        for (int round = 0; round < 2; ++round) {
            TfrmCoInFo dialog;
            dialog.show();
            dialog.findChild<QLineEdit*>(QStringLiteral("edtCoName"))
                ->setText(QStringLiteral("张家电器'%1").arg(round));
            dialog.findChild<QLineEdit*>(QStringLiteral("edtEmail"))
                ->setText(QStringLiteral("shop@example.cn"));
            dialog.findChild<QPushButton*>(QStringLiteral("btnPost"))->click();
            dialog.findChild<QPushButton*>(QStringLiteral("btnPost"))->click();
            QVERIFY(dialog.isVisible());
        }
        QCOMPARE(dialogs.messages(), QStringList(4, QStringLiteral("设置成功！")));
        QCOMPARE(dialogs.last().title, QStringLiteral("提示"));
        QCOMPARE(softInfoRows(d), 1);
        TfrmCoInFo reopened;
        QCOMPARE(reopened.findChild<QLineEdit*>(QStringLiteral("edtCoName"))->text(),
                 QStringLiteral("张家电器'1"));
        Query q(d.conn());
        q.open(QStringLiteral("select Version from t_SoftInfo"));
        QCOMPARE(q.value(0).toString(), QStringLiteral("1.0")); // untouched

        d.F().exec(QStringLiteral("delete from t_SoftInfo"));
        TfrmCoInFo fresh;
        QVERIFY(fresh.findChild<QLineEdit*>(QStringLiteral("edtCoName"))->text().isEmpty());
        fresh.findChild<QPushButton*>(QStringLiteral("btnPost"))->click();
        QCOMPARE(softInfoRows(d), 1);
    }

    void showMdiChildBringsTheOpenWindowForward()
    {
        QMdiArea area;
        area.show();
        QPointer<ChildWindow> reference;
        ChildWindow::created = 0;
        ChildWindow* first = ShowMdiChild(&area, reference);
        QCOMPARE(reference.data(), first);
        QVERIFY(area.subWindowList().first()->isMaximized());
        area.subWindowList().first()->showMinimized();
        ChildWindow* again = ShowMdiChild(&area, reference);
        QCOMPARE(again, first);
        QCOMPARE(ChildWindow::created, 1);
        QVERIFY(!area.subWindowList().first()->isMinimized());
        QCOMPARE(area.subWindowList().size(), 1);

        area.subWindowList().first()->close();
        QTRY_VERIFY(reference.isNull());
        ChildWindow* fresh = ShowMdiChild(&area, reference);
        QVERIFY(fresh);
        QCOMPARE(ChildWindow::created, 2);
        QCOMPARE(reference.data(), fresh);
    }

    void qtTextsInChinese()
    {
        installChineseTranslations();
        QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("x"),
                        QMessageBox::Yes | QMessageBox::No);
        QVERIFY2(box.button(QMessageBox::Yes)->text().contains(QStringLiteral("是")),
                 qPrintable(box.button(QMessageBox::Yes)->text()));
        QVERIFY(box.button(QMessageBox::No)->text().contains(QStringLiteral("否")));
    }

    void copyFile()
    {
        zu::test::TestHome home;
        home.write(QStringLiteral("a.db"), "new content");
        home.write(QStringLiteral("b.db"), "old content that is longer");
        CopyFile(home.file(QStringLiteral("a.db")), home.file(QStringLiteral("b.db")));
        QCOMPARE(home.read(QStringLiteral("b.db")), QByteArray("new content"));

        QVERIFY_THROWS_EXCEPTION(CommandError, CopyFile(home.file(QStringLiteral("missing.db")),
                                                        home.file(QStringLiteral("b.db"))));
        QCOMPARE(home.read(QStringLiteral("b.db")), QByteArray("new content"));
        QVERIFY_THROWS_EXCEPTION(CommandError, CopyFile(home.file(QStringLiteral("a.db")),
                                                        home.file(QStringLiteral("no/such/dir/c.db"))));
        // A disk that fills on the way leaves the earlier copy.
        home.write(QStringLiteral("c.db"), QByteArray(100, 'c'));
        {
            const zu::test::FileSizeLimit full(60);
            QVERIFY(full.isSet());
            QVERIFY_THROWS_EXCEPTION(
                CommandError, CopyFile(home.file(QStringLiteral("c.db")), home.file(QStringLiteral("b.db"))));
        }
        QCOMPARE(home.read(QStringLiteral("b.db")), QByteArray("new content"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
