#include "columns/listgrid.h"
#include "customers/tfrmcustname.h"
#include "customers/tfrmcustom.h"
#include "journals/clocktimeedit.h"
#include "journals/journallist.h"
#include "journals/tfrmcelladd.h"
#include "journals/tfrmcomplainadd.h"
#include "journals/tfrmjournalqry.h"
#include "journals/tfrmmachinehistory.h"
#include "journals/tfrmserviceadd.h"
#include "spreadsheet/spreadsheetreader.h"
#include "support/pdftext.h"
#include "support/records.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"
#include "users/permissions.h"
#include "widgets/dateedit.h"
#include "widgets/mdichild.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTimeEdit>
#include <QToolButton>
#include <QtTest>

using namespace zu;
using zu::test::control;
using zu::test::ScriptedDialogs;
using zu::test::whenModal;

namespace {

struct Journal
{
    QString table, dateColumn;
    std::function<std::unique_ptr<TfrmJournalqry>()> make;
};

Journal journal(const QString& name)
{
    if (name == QLatin1String("service"))
        return {QStringLiteral("T_service"), QStringLiteral("serviceDate"),
                [] { return std::make_unique<TfrmServerqry>(); }};
    if (name == QLatin1String("call"))
        return {QStringLiteral("T_call"), QStringLiteral("callDate"),
                [] { return std::make_unique<TfrmCellqry>(); }};
    return {QStringLiteral("T_complain"), QStringLiteral("complainDate"),
            [] { return std::make_unique<TfrmComplainqry>(); }};
}

void addRecord(const Journal& j, const QString& code, const QString& name, const QDateTime& when)
{
    data().T().exec(
        QStringLiteral("insert into %1 (CustCode, CustName, %2) values (?, ?, ?)").arg(j.table, j.dateColumn),
        {code, name, when});
}

QStringList names(DataSet& set)
{
    QStringList out;
    for (int r = 0; r < set.recordCount(); ++r)
        out << set.value(r, set.fieldIndex(QStringLiteral("CustName"))).toString();
    return out;
}

void press(QWidget* w, const char* name)
{
    control<QAbstractButton>(w, name)->click();
}

// A click with the mouse on a row of a list grid (also on the current row).
void clickRow(ListGrid* grid, int row)
{
    QTableView* view = grid->view();
    const QRect cell = view->visualRect(view->model()->index(row, 0));
    QVERIFY(cell.isValid());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
}

// The customer window inside a client area, with the service editor as its tab's editor.
struct CustomerWindow
{
    QMdiArea area;
    TfrmCustom* window = nullptr;
    CustomerWindow()
    {
        area.resize(1000, 700);
        area.show();
        window = ShowMdiChild(&area, TfrmCustom::reference());
        CustomerWindowCommands commands;
        commands.serviceEditor = [](QWidget* parent, bool isAdd) {
            TfrmServiceAdd editor(parent);
            editor.FCaller = QStringLiteral("frmCustom");
            editor.FIsAdd = isAdd;
            editor.exec();
        };
        window->setCommands(commands);
    }
};

// The editor of a journal: "service", "call", or else the complaint editor.
std::unique_ptr<JournalEditor> makeEditor(const QString& editor)
{
    if (editor == QLatin1String("service"))
        return std::make_unique<TfrmServiceAdd>();
    if (editor == QLatin1String("call"))
        return std::make_unique<TfrmCellAdd>();
    return std::make_unique<TfrmComplainAdd>();
}

// The customer the window tests work on.
void addWangFang()
{
    zu::test::addCustomer(QStringLiteral("王芳"), QStringLiteral("W1"));
}

// The customer with one service record of a fee of 60.
void addServicedCustomer()
{
    addWangFang();
    zu::test::addJournal(QStringLiteral("T_service"), QStringLiteral("W1"), QStringLiteral("王芳"),
                         {{QStringLiteral("serviceMoney"), 60}});
}

double storedFee()
{
    Query q(data().conn());
    q.open(QStringLiteral("select serviceMoney from T_service"));
    return q.value(0).toDouble();
}

} // namespace

class TestJournals final : public QObject
{
    Q_OBJECT
private slots:
    void listsOpenAndSearch_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("journal");
        for (const char* engine : {"sqlite", "postgres"})
            for (const char* j : {"service", "call", "complain"})
                QTest::newRow(
                    qPrintable(QStringLiteral("%1/%2").arg(QLatin1String(engine), QLatin1String(j))))
                    << QString::fromLatin1(engine) << QString::fromLatin1(j);
    }
    void listsOpenAndSearch()
    {
        ZU_TEST_DATABASE(db);
        QFETCH(QString, journal);
        const Journal j = ::journal(journal);
        const QDate today = QDate::currentDate();
        addRecord(j, QStringLiteral("A"), QStringLiteral("张三"), QDateTime(today.addYears(-1), QTime(9, 0)));
        addRecord(j, QStringLiteral("B"), QStringLiteral("李四"), QDate(2024, 5, 1).startOfDay());
        addRecord(j, QStringLiteral("C"), QStringLiteral("张五"),
                  QDateTime(QDate(2024, 5, 31), QTime(23, 30)));
        addRecord(j, QStringLiteral("D"), QStringLiteral("王六"),
                  QDateTime(QDate(2024, 4, 30), QTime(18, 0)));
        addRecord(j, QStringLiteral("E"), QStringLiteral("O'Neil"), QDate(2024, 6, 1).startOfDay());
        ScriptedDialogs dialogs;
        std::unique_ptr<TfrmJournalqry> window = j.make();
        window->show();
        const JournalListKind& kind = window->kind();
        DataSet& list = window->list();
        QCOMPARE(window->windowTitle(), kind.caption);
        // Only the complaint list has a status bar.
        QCOMPARE(control<QWidget>(window.get(), "StatusBar1")->isVisible(),
                 journal == QLatin1String("complain"));
        QCOMPARE(control<QDateEdit>(window.get(), "edtBeginDate")->date(),
                 QDate(today.year(), today.month(), 1));
        QCOMPARE(control<QDateEdit>(window.get(), "edtEndDate")->date(), today);
        QCOMPARE(list.recordCount(), 5); // every record, not only this month's
        QCOMPARE(window->grid()->objectName(), QString::fromLatin1(kind.gridName));
        auto* field = control<QComboBox>(window.get(), kind.fieldBoxName);
        QVERIFY(field->count() >= 6);

        // The dates are inclusive and the newest comes first.
        control<QDateEdit>(window.get(), "edtBeginDate")->setDate(QDate(2024, 5, 1));
        control<QDateEdit>(window.get(), "edtEndDate")->setDate(QDate(2024, 5, 31));
        press(window.get(), kind.searchButtonName);
        QCOMPARE(names(list), (QStringList{QStringLiteral("张五"), QStringLiteral("李四")}));
        QCOMPARE(window->grid()->footerText(0), QStringLiteral("共 2 条"));
        control<QDateEdit>(window.get(), "edtBeginDate")->setDate(QDate(2024, 6, 2));
        press(window.get(), kind.searchButtonName);
        QCOMPARE(list.recordCount(), 0);

        // A keyword matches the beginning of the chosen field, whatever the dates.
        auto* key = control<QLineEdit>(window.get(), kind.keyBoxName);
        key->setText(QStringLiteral("张"));
        press(window.get(), kind.searchButtonName);
        QCOMPARE(dialogs.last().text, QStringLiteral("请选择一个查询条件！"));
        QCOMPARE(dialogs.last().title, QStringLiteral("系统提示"));
        QCOMPARE(list.recordCount(), 0); // the list keeps its rows
        field->setCurrentText(QStringLiteral("客户名称"));
        press(window.get(), kind.searchButtonName);
        QCOMPARE(list.recordCount(), 2);
        key->setText(QStringLiteral("O'"));
        press(window.get(), kind.searchButtonName);
        QCOMPARE(names(list), QStringList{QStringLiteral("O'Neil")});
        field->setCurrentText(QStringLiteral("无此选项"));
        press(window.get(), kind.searchButtonName);
        QCOMPARE(list.recordCount(), 1);
        QCOMPARE(dialogs.messages().size(), 2);
    }

    void deleteAsksAndRemovesTheCurrentRow_data() { zu::test::addEngineRows(); }
    void deleteAsksAndRemovesTheCurrentRow()
    {
        ZU_TEST_DATABASE(db);
        const Journal j = journal(QStringLiteral("call"));
        addRecord(j, QStringLiteral("A"), QStringLiteral("甲"), QDate(2024, 1, 1).startOfDay());
        addRecord(j, QStringLiteral("B"), QStringLiteral("乙"), QDate(2024, 1, 2).startOfDay());
        ScriptedDialogs dialogs;
        TfrmCellqry window;
        window.show();
        window.list().setCurrentRow(1);
        dialogs.answer(QMessageBox::No);
        press(&window, "btnDel");
        QCOMPARE(dialogs.last().text, QStringLiteral("您确定要删除'乙'信息吗？"));
        QCOMPARE(window.list().recordCount(), 2);
        dialogs.answer(QMessageBox::Yes);
        press(&window, "btnDel");
        QCOMPARE(names(window.list()), QStringList{QStringLiteral("甲")});
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_call where CustName = ?"),
                                 {QStringLiteral("甲")}),
                 1);
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_call")), 1);

        // An empty list asks with an empty name and deletes nothing.
        window.list().open(QStringLiteral("1=0"));
        dialogs.answer(QMessageBox::Yes);
        press(&window, "btnDel");
        QCOMPARE(dialogs.last().text, QStringLiteral("您确定要删除''信息吗？"));
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_call")), 1);
        // ... and 修改 opens nothing.
        press(&window, "btnupdate");
        QVERIFY(!QApplication::activeModalWidget());
    }

    // "机器档案" of a journal row: the service record's own body code, else its customer's.
    void machineHistoryFromTheLists_data() { zu::test::addEngineRows(); }
    void machineHistoryFromTheLists()
    {
        ZU_TEST_DATABASE(db);
        zu::test::addCustomer(QStringLiteral("张三"), QStringLiteral("KH0001"),
                              {{QStringLiteral("GoodsCode"), QStringLiteral("SN-1")},
                               {QStringLiteral("EmptionDate"), QDate(2022, 1, 5).startOfDay()}});
        zu::test::addCustomer(QStringLiteral("李四"), QStringLiteral("KH0002"));
        zu::test::addJournal(QStringLiteral("T_service"), QStringLiteral("KH0002"), QStringLiteral("李四"),
                             {{QStringLiteral("GoodsCode"), QStringLiteral("SN-1")},
                              {QStringLiteral("serviceDate"), QDate(2024, 2, 2).startOfDay()}});
        zu::test::addJournal(QStringLiteral("T_call"), QStringLiteral("KH0001"), QStringLiteral("张三"),
                             {{QStringLiteral("callDate"), QDate(2023, 3, 3).startOfDay()}});
        zu::test::addJournal(QStringLiteral("T_call"), QStringLiteral("KH0002"), QStringLiteral("李四"),
                             {{QStringLiteral("callDate"), QDate(2023, 4, 4).startOfDay()}});
        ScriptedDialogs dialogs;
        auto historyOf = [](TfrmJournalqry& window) {
            QStringList rows;
            whenModal<TfrmMachineHistory>([&rows](TfrmMachineHistory* history) {
                auto* grid = control<QTableWidget>(history, "dgHistory");
                for (int r = 0; r < grid->rowCount(); ++r)
                    rows << grid->item(r, 0)->text() + QLatin1Char(' ') + grid->item(r, 1)->text() +
                                QLatin1Char(' ') + grid->item(r, 2)->text();
                rows << control<QLabel>(history, "lblSummary")->text();
                history->accept();
            });
            window.findChild<QAction*>(QStringLiteral("actMachineHistory"))->trigger();
            return rows;
        };
        const QStringList whole{
            QStringLiteral("2024-02-02 维修 KH0002"), QStringLiteral("2023-03-03 回访 KH0001"),
            QStringLiteral("2022-01-05 购买 KH0001"), QStringLiteral("机身编码 SN-1：共 3 条记录，2 位客户")};
        {
            TfrmServerqry services;
            services.show();
            services.list().setCurrentRow(0);
            QCOMPARE(historyOf(services), whole);
        }
        TfrmCellqry calls;
        calls.show();
        QVERIFY(calls.list().locate(QStringLiteral("CustCode"), QStringLiteral("KH0001")));
        QCOMPARE(historyOf(calls), whole);
        // 李四 bought nothing with a body code: told so, no window.
        QVERIFY(calls.list().locate(QStringLiteral("CustCode"), QStringLiteral("KH0002")));
        calls.findChild<QAction*>(QStringLiteral("actMachineHistory"))->trigger();
        QCOMPARE(dialogs.last().text, QStringLiteral("这条记录没有机身编码，无法查看机器档案。"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    // A clerk who keeps the call journal but not the complaints (or the other way round) opens the
    // history from the journal they keep, and is refused it from the one they do not.
    void machineHistoryNeedsTheRightOfItsJournal_data()
    {
        QTest::addColumn<QString>("denied");
        QTest::addColumn<bool>("fromCalls");
        QTest::addColumn<QString>("refusal");
        const QString none;
        const QString noCalls = QStringLiteral("您没有“回访管理”权限，不能进行此操作。");
        const QString noComplaints = QStringLiteral("您没有“投诉记录”权限，不能进行此操作。");
        QTest::newRow("calls kept, from calls") << QStringLiteral("actcomplain") << true << none;
        QTest::newRow("complaints kept, from complaints") << QStringLiteral("actCall") << false << none;
        QTest::newRow("calls denied, from calls") << QStringLiteral("actCall") << true << noCalls;
        QTest::newRow("complaints denied, from complaints")
            << QStringLiteral("actcomplain") << false << noComplaints;
    }
    void machineHistoryNeedsTheRightOfItsJournal()
    {
        QFETCH(QString, denied);
        QFETCH(bool, fromCalls);
        QFETCH(QString, refusal);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        zu::test::addCustomer(QStringLiteral("张三"), QStringLiteral("KH0001"),
                              {{QStringLiteral("GoodsCode"), QStringLiteral("SN-1")}});
        zu::test::addJournal(QStringLiteral("T_call"), QStringLiteral("KH0001"), QStringLiteral("张三"),
                             {{QStringLiteral("callDate"), QDate(2023, 3, 3).startOfDay()}});
        zu::test::addJournal(QStringLiteral("T_complain"), QStringLiteral("KH0001"), QStringLiteral("张三"),
                             {{QStringLiteral("complainDate"), QDate(2023, 4, 4).startOfDay()}});
        std::unique_ptr<TfrmJournalqry> window =
            journal(fromCalls ? QStringLiteral("call") : QStringLiteral("complain")).make();
        window->show();
        window->list().setCurrentRow(0);
        setCurrentPermissions(Permissions({ActionRight{.action = denied, .enabled = false}}));
        ScriptedDialogs dialogs;
        bool opened = false;
        whenModal<TfrmMachineHistory>(
            [&opened](TfrmMachineHistory* history) {
                opened = true;
                history->accept();
            },
            window.get());
        window->findChild<QAction*>(QStringLiteral("actMachineHistory"))->trigger();
        QCOMPARE(opened, refusal.isEmpty());
        if (!refusal.isEmpty())
            QCOMPARE(dialogs.last().text, refusal);
        QVERIFY(!QApplication::activeModalWidget());
    }

    // The history is printed and written to a spreadsheet file like the lists.
    void machineHistoryExport()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        zu::test::addCustomer(QStringLiteral("张三"), QStringLiteral("KH0001"),
                              {{QStringLiteral("GoodsCode"), QStringLiteral("SN-1")},
                               {QStringLiteral("EmptionDate"), QDate(2023, 5, 6).startOfDay()}});
        zu::test::addJournal(QStringLiteral("T_service"), QStringLiteral("KH0001"), QStringLiteral("张三"),
                             {{QStringLiteral("GoodsCode"), QStringLiteral("SN-1")},
                              {QStringLiteral("hitchName"), QStringLiteral("不制冷")},
                              {QStringLiteral("serviceDate"), QDate(2024, 7, 8).startOfDay()}});
        ScriptedDialogs dialogs;
        TfrmMachineHistory empty(nullptr, QStringLiteral("NONE"));
        QCOMPARE(control<QLabel>(&empty, "lblSummary")->text(), QStringLiteral("机身编码 NONE：没有记录"));
        QVERIFY(!control<QPushButton>(&empty, "btnExport")->isEnabled());

        TfrmMachineHistory window(nullptr, QStringLiteral("SN-1"));
        QVERIFY(control<QPushButton>(&window, "btnExport")->isEnabled());
        const QString path = db.home().file(QStringLiteral("档案.xls"));
        dialogs.answerFile(path);
        dialogs.answer(QMessageBox::Cancel);
        press(&window, "btnExport");
        QCOMPARE(dialogs.last().text,
                 QStringLiteral("文件") + path + QStringLiteral("已建立，是否打开文件？"));
        QVERIFY(dialogs.shown().first().text.startsWith(QStringLiteral("机器档案SN-1"))); // proposed name
        SpreadsheetReader sheet;
        QString error;
        QVERIFY2(sheet.open(path, &error), qPrintable(error));
        QCOMPARE(sheet.text(0, 0), QStringLiteral("日期"));
        QCOMPARE(sheet.text(1, 0), QStringLiteral("2024-07-08"));
        QCOMPARE(sheet.text(1, 1), QStringLiteral("维修"));
        QCOMPARE(sheet.text(2, 0), QStringLiteral("2023-05-06"));
        QCOMPARE(sheet.text(2, 3), QStringLiteral("张三"));

        // Printed: the title with the body code, the column titles and every row, in order.
        QVERIFY(!control<QPushButton>(&empty, "btnPrint")->isEnabled());
        QTemporaryDir out;
        QString printed;
        zu::test::whenModal<QPrintPreviewDialog>([&](QPrintPreviewDialog* preview) {
            printed = zu::test::printPreviewToText(preview, out.filePath(QStringLiteral("history.pdf")));
            preview->reject();
        });
        press(&window, "btnPrint");
        for (const char* expected :
             {"机器档案 - SN-1", "客户名称", "2024-07-08", "不制冷", "2023-05-06", "购买"})
            QVERIFY2(printed.contains(QString::fromUtf8(expected)), qPrintable(printed));
        QVERIFY(printed.indexOf(QStringLiteral("2024-07-08")) <
                printed.indexOf(QStringLiteral("2023-05-06")));
    }

    void addFromTheListWindow_data() { zu::test::addEngineRows(); }
    void addFromTheListWindow()
    {
        ZU_TEST_DATABASE(db);
        db.dataModule().setCurrentUserName(QStringLiteral("值班员"));
        ScriptedDialogs dialogs;
        TfrmComplainqry window;
        window.show();
        QCOMPARE(window.grid()->footerText(0), QStringLiteral("共 0 条"));
        QString typeOfANewComplaint;
        whenModal<TfrmComplainAdd>([&dialogs, &typeOfANewComplaint](TfrmComplainAdd* editor) {
            typeOfANewComplaint = control<QComboBox>(editor, "cmbcomplainType")->currentText();
            QCOMPARE(editor->windowTitle(), QStringLiteral("新增投诉信息"));
            QCOMPARE(control<QPushButton>(editor, "btnAdd")->text(), QStringLiteral("添加&S"));
            QCOMPARE(control<QLineEdit>(editor, "edtcomplainMen")->text(), QStringLiteral("值班员"));
            QVERIFY(control<QLineEdit>(editor, "edtcomplainMen")->isReadOnly());
            press(editor, "btnAdd");
            QCOMPARE(dialogs.last().text, QStringLiteral("客户编号不能为空，请您重新录入！"));
            control<QLineEdit>(editor, "edtCustCode")->setText(QStringLiteral("K1"));
            press(editor, "btnAdd");
            QCOMPARE(dialogs.last().text, QStringLiteral("客户名称不能为空，请您重新录入！"));
            control<QLineEdit>(editor, "edtCustname")->setText(QStringLiteral("未登记的客户"));
            control<QComboBox>(editor, "cmbcomplainType")->setEditText(QStringLiteral("一级"));
            auto* time = control<QTimeEdit>(editor, "RzDateTimeEdit1");
            time->setTime(QTime(14, 5, 9));
            // A complaint belongs to a customer of the register.
            press(editor, "btnAdd");
            QCOMPARE(dialogs.last().text,
                     QStringLiteral("客户编号“K1”没有对应的客户，请您重新录入或选择客户！"));
            QCOMPARE(dialogs.last().title, QStringLiteral("系统提示"));
            QVERIFY(editor->isVisible());
            QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_complain")), 0);
            data().T().exec(QStringLiteral("insert into T_Cust (CustName, IDCode) values (?, ?)"),
                            {QStringLiteral("新登记的客户"), QStringLiteral("K1")});
            press(editor, "btnAdd");
        });
        press(&window, "btnAdd");
        QCOMPARE(window.list().recordCount(), 1);
        QCOMPARE(window.grid()->footerText(0), QStringLiteral("共 1 条"));
        DataSet& list = window.list();
        QCOMPARE(list.fieldText(QStringLiteral("complainTime")), QStringLiteral("14:05:09"));
        QCOMPARE(list.fieldText(QStringLiteral("complainMen")), QStringLiteral("值班员"));
        QCOMPARE(list.fieldText(QStringLiteral("complainType")), QStringLiteral("一级"));
        QCOMPARE(list.field(QStringLiteral("complainDate")).toDateTime(), QDate::currentDate().startOfDay());

        // The next new complaint starts as the first did, though the list now has a current row.
        QCOMPARE(list.currentRow(), 0);
        QVERIFY(typeOfANewComplaint != QStringLiteral("一级"));
        whenModal<TfrmComplainAdd>([&typeOfANewComplaint](TfrmComplainAdd* editor) {
            const QString type = control<QComboBox>(editor, "cmbcomplainType")->currentText();
            editor->reject();
            QCOMPARE(type, typeOfANewComplaint);
        });
        press(&window, "btnAdd");
        QCOMPARE(window.list().recordCount(), 1);
    }

    void editingKeepsStoredValues_data() { zu::test::addEngineRows(); }
    void editingKeepsStoredValues()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        d.T().exec(QStringLiteral("insert into T_Cust (CustName, IDCode) values (?, ?)"),
                   {QStringLiteral("甲"), QStringLiteral("A")});
        d.T().exec(QStringLiteral("insert into T_service (CustCode, CustName, serviceDate, rehabDate, Numbe, "
                                  "Price) values (?, ?, ?, ?, ?, ?)"),
                   {QStringLiteral("A"), QStringLiteral("甲"), QDate(2023, 3, 4).startOfDay(),
                    QDate(2025, 3, 4).startOfDay(), 2, 12.5});
        d.T().exec(QStringLiteral("insert into T_call (CustCode, CustName, callDate) values (?, ?, ?)"),
                   {QStringLiteral("A"), QStringLiteral("甲"), QDate(2023, 5, 6).startOfDay()});
        d.T().exec(QStringLiteral("insert into T_complain (CustCode, CustName, complainDate, complainMen, "
                                  "complainType, complainTime) values (?, ?, ?, ?, ?, ?)"),
                   {QStringLiteral("A"), QStringLiteral("甲"), QDate(2023, 7, 8).startOfDay(),
                    QStringLiteral("老张"), QStringLiteral("二级"), QStringLiteral("09:15:00")});
        d.setCurrentUserName(QStringLiteral("新来的"));
        ScriptedDialogs dialogs;
        auto saveUnchanged = [](TfrmJournalqry& window, const char* saveButton, const QString& caption) {
            window.show();
            window.list().first();
            QString seen;
            whenModal<JournalEditor>([&seen, saveButton](JournalEditor* editor) {
                seen = editor->windowTitle();
                press(editor, saveButton);
            });
            emit window.grid()->doubleClicked();
            QCOMPARE(seen, caption);
        };
        TfrmServerqry services;
        saveUnchanged(services, "btn1", QStringLiteral("修改维护信息"));
        QCOMPARE(services.list().field(QStringLiteral("serviceDate")).toDateTime(),
                 QDate(2023, 3, 4).startOfDay());
        QCOMPARE(services.list().field(QStringLiteral("rehabDate")).toDateTime(),
                 QDate(2025, 3, 4).startOfDay());
        QCOMPARE(services.list().field(QStringLiteral("Price")).toDouble(), 12.5);
        QCOMPARE(services.list().field(QStringLiteral("Numbe")).toInt(), 2);
        TfrmCellqry calls;
        saveUnchanged(calls, "btnAdd", QStringLiteral("修改回访记录"));
        QCOMPARE(calls.list().field(QStringLiteral("callDate")).toDateTime(), QDate(2023, 5, 6).startOfDay());
        TfrmComplainqry complaints;
        saveUnchanged(complaints, "btnAdd", QStringLiteral("修改投诉信息"));
        QCOMPARE(complaints.list().fieldText(QStringLiteral("complainMen")), QStringLiteral("老张"));
        QCOMPARE(complaints.list().fieldText(QStringLiteral("complainType")), QStringLiteral("二级"));
        QCOMPARE(complaints.list().fieldText(QStringLiteral("complainTime")), QStringLiteral("09:15:00"));
        QVERIFY(dialogs.shown().isEmpty());
    }

    void editorsFromTheCustomerWindow_data() { zu::test::addEngineRows(); }
    void editorsFromTheCustomerWindow()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addWangFang();
        ScriptedDialogs dialogs;
        CustomerWindow w;
        TfrmCustom* customers = w.window;
        QCOMPARE(d.qryServiceCust().recordCount(), 0);
        QString numberOfANewRecord;
        whenModal<TfrmServiceAdd>([&numberOfANewRecord](TfrmServiceAdd* editor) {
            numberOfANewRecord = control<QLineEdit>(editor, "edtNumbe")->text();
            QCOMPARE(editor->windowTitle(), QStringLiteral("添加维护记录"));
            QCOMPARE(control<QPushButton>(editor, "btn1")->text(), QStringLiteral("新增&S"));
            auto* code = control<QLineEdit>(editor, "edtCustCode");
            auto* name = control<QLineEdit>(editor, "edtCustname");
            QCOMPARE(code->text(), QStringLiteral("W1"));
            QCOMPARE(name->text(), QStringLiteral("王芳"));
            QVERIFY(code->isReadOnly());
            QVERIFY(!name->isEnabled());
            QVERIFY(code->styleSheet().contains(QStringLiteral("red")));
            QVERIFY(!control<QToolButton>(editor, "btnSelectCust")->isEnabled());
            control<QLineEdit>(editor, "edtNumbe")->setText(QStringLiteral("1"));
            press(editor, "btn1");
        });
        press(customers, "ToolButton8");
        QCOMPARE(d.qryServiceCust().recordCount(), 1);
        QCOMPARE(customers->dgServiceCust()->footerText(0), QStringLiteral("共 1 条"));
        QCOMPARE(d.qryServiceCust().fieldText(QStringLiteral("CustCode")), QStringLiteral("W1"));

        // The next new record starts as the first did, though the customer's list now has a current row.
        QCOMPARE(d.qryServiceCust().currentRow(), 0);
        QVERIFY(numberOfANewRecord != QStringLiteral("1"));
        whenModal<TfrmServiceAdd>([&numberOfANewRecord](TfrmServiceAdd* editor) {
            const QString number = control<QLineEdit>(editor, "edtNumbe")->text();
            editor->reject();
            QCOMPARE(number, numberOfANewRecord);
        });
        press(customers, "ToolButton8");
        QCOMPARE(d.qryServiceCust().recordCount(), 1);
    }

    // Adding from the customer window: the call editor names what it does, the complaint and
    // service editors keep their own titles; editing names the change. The service list alone
    // has a fixed size.
    void editorTitlesFromTheCustomerWindow_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<bool>("isAdd");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("button");
        QTest::newRow("call, add") << QStringLiteral("call") << true << QStringLiteral("新增回访记录")
                                   << QStringLiteral("添加&S");
        QTest::newRow("complaint, add")
            << QStringLiteral("complaint") << true << QStringLiteral("添加投诉记录") << QString();
        QTest::newRow("service, add") << QStringLiteral("service") << true << QStringLiteral("添加维护记录")
                                      << QStringLiteral("新增&S");
        QTest::newRow("call, change")
            << QStringLiteral("call") << false << QStringLiteral("修改回访记录") << QString();
        QTest::newRow("complaint, change")
            << QStringLiteral("complaint") << false << QStringLiteral("修改投诉信息") << QString();
    }
    void editorTitlesFromTheCustomerWindow()
    {
        QFETCH(QString, editor);
        QFETCH(bool, isAdd);
        QFETCH(QString, title);
        QFETCH(QString, button);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        addWangFang();
        data().qryCustom().open();
        ScriptedDialogs dialogs;
        const std::unique_ptr<JournalEditor> dialog = makeEditor(editor);
        dialog->FCaller = QStringLiteral("frmCustom");
        dialog->FIsAdd = isAdd;
        dialog->show();
        QCOMPARE(dialog->windowTitle(), title);
        if (!button.isEmpty())
            QCOMPARE(
                control<QPushButton>(dialog.get(), editor == QLatin1String("service") ? "btn1" : "btnAdd")
                    ->text(),
                button);
        QCOMPARE(control<QLineEdit>(dialog.get(), "edtCustCode")->text(), QStringLiteral("W1"));

        TfrmServerqry services;
        TfrmCellqry calls;
        QCOMPARE(services.minimumSize(), services.maximumSize());
        QVERIFY(calls.minimumSize() != calls.maximumSize());
    }

    // Picking a customer and giving up: the service editor has emptied the customer boxes first,
    // the call and complaint editors keep what was typed.
    void cancelledPickKeepsOrClearsTheCustomer_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("left");
        QTest::newRow("service") << QStringLiteral("service") << QString();
        QTest::newRow("call") << QStringLiteral("call") << QStringLiteral("typed");
        QTest::newRow("complaint") << QStringLiteral("complaint") << QStringLiteral("typed");
    }
    void cancelledPickKeepsOrClearsTheCustomer()
    {
        QFETCH(QString, editor);
        QFETCH(QString, left);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        addWangFang();
        ScriptedDialogs dialogs;
        const std::unique_ptr<JournalEditor> dialog = makeEditor(editor);
        dialog->FCaller = dialog->kind().listCaller;
        dialog->show();
        const char* nameBox = editor == QLatin1String("call") ? "edtCustName" : "edtCustname";
        control<QLineEdit>(dialog.get(), "edtCustCode")->setText(QStringLiteral("typed"));
        control<QLineEdit>(dialog.get(), nameBox)->setText(QStringLiteral("typed"));
        whenModal<TfrmCustname>([](TfrmCustname* picker) { picker->reject(); });
        press(dialog.get(), "btnSelectCust");
        QCOMPARE(control<QLineEdit>(dialog.get(), "edtCustCode")->text(), left);
        QCOMPARE(control<QLineEdit>(dialog.get(), nameBox)->text(), left);
    }

    void staleListCannotLoseAnUpdate_data() { zu::test::addEngineRows(); }
    void staleListCannotLoseAnUpdate()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addServicedCustomer();
        ScriptedDialogs dialogs;
        CustomerWindow w;
        QCOMPARE(d.qryServiceCust().field(QStringLiteral("serviceMoney")).toDouble(), 60.0);
        {
            // The service list window: the fee of that record becomes 99.
            TfrmServerqry services(w.window);
            services.show();
            services.list().first();
            whenModal<TfrmServiceAdd>([](TfrmServiceAdd* editor) {
                control<QLineEdit>(editor, "edtserviceMoney")->setText(QStringLiteral("99"));
                press(editor, "btn1");
            });
            emit services.grid()->doubleClicked();
            QCOMPARE(storedFee(), 99.0);
        }
        // The same customer clicked again: its service tab shows 99.
        clickRow(w.window->dgCustom(), 0);
        QCOMPARE(d.qryServiceCust().field(QStringLiteral("serviceMoney")).toDouble(), 99.0);
        // Only the remark changed from the tab: the fee stays 99.
        whenModal<TfrmServiceAdd>([](TfrmServiceAdd* editor) {
            QCOMPARE(control<QLineEdit>(editor, "edtserviceMoney")->text(), QStringLiteral("99.0"));
            control<QPlainTextEdit>(editor, "edtRemark")->setPlainText(QStringLiteral("只改备注"));
            press(editor, "btn1");
        });
        press(w.window, "ToolButton9");
        QCOMPARE(storedFee(), 99.0);
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_service where Remark = ?"),
                                 {QStringLiteral("只改备注")}),
                 1);
        QVERIFY(dialogs.shown().isEmpty());
    }

    void clickOnTheCurrentCustomerReadsItAgain_data() { zu::test::addEngineRows(); }
    void clickOnTheCurrentCustomerReadsItAgain()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addServicedCustomer();
        CustomerWindow w;
        QCOMPARE(d.qryServiceCust().recordCount(), 1);
        // Another workstation changes the record, adds a return visit and moves the customer.
        db.otherExec(QStringLiteral("update T_service set serviceMoney = 99"));
        db.otherExec(QStringLiteral("insert into T_call (CustCode, CustName) values ('W1', '王芳')"));
        db.otherExec(QStringLiteral("update T_Cust set Address = '新址'"));
        clickRow(w.window->dgCustom(), 0);
        QCOMPARE(d.qryCustom().currentRow(), 0);
        QCOMPARE(d.qryCustom().fieldText(QStringLiteral("Address")), QStringLiteral("新址"));
        QCOMPARE(d.qryServiceCust().field(QStringLiteral("serviceMoney")).toDouble(), 99.0);
        QCOMPARE(d.qryCallCust().recordCount(), 1);
        // A customer deleted elsewhere leaves the list at the click.
        db.otherExec(QStringLiteral("delete from T_Cust"));
        clickRow(w.window->dgCustom(), 0);
        QCOMPARE(d.qryCustom().recordCount(), 0);
        QCOMPARE(d.qryServiceCust().recordCount(), 0);
    }

    void recordChangedOrDeletedElsewhereIsNotSaved_data() { zu::test::addEngineRows(); }
    void recordChangedOrDeletedElsewhereIsNotSaved()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addServicedCustomer();
        ScriptedDialogs dialogs;
        CustomerWindow w;
        bool stillOpen = false;
        QString keptRemark;
        auto editAfter = [&](const QString& elsewhere) {
            whenModal<TfrmServiceAdd>([&, elsewhere](TfrmServiceAdd* editor) {
                control<QPlainTextEdit>(editor, "edtRemark")->setPlainText(QStringLiteral("我的备注"));
                db.otherExec(elsewhere); // meanwhile, on another workstation
                press(editor, "btn1");
                stillOpen = editor->isVisible();
                keptRemark = control<QPlainTextEdit>(editor, "edtRemark")->toPlainText();
                editor->reject();
            });
            press(w.window, "ToolButton9");
        };
        editAfter(QStringLiteral("update T_service set serviceMoney = 80"));
        QCOMPARE(
            dialogs.messages(),
            QStringList{QStringLiteral(
                "这条记录已被其他用户修改，您的修改没有保存。列表已显示最新内容，请重新打开后再修改。")});
        QVERIFY(stillOpen);
        QCOMPARE(keptRemark, QStringLiteral("我的备注"));
        QCOMPARE(storedFee(), 80.0);
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_service where Remark is not null")),
                 0);
        QCOMPARE(d.qryServiceCust().field(QStringLiteral("serviceMoney")).toDouble(), 80.0);

        dialogs.clear();
        editAfter(QStringLiteral("delete from T_service"));
        QCOMPARE(dialogs.messages(),
                 QStringList{QStringLiteral("这条记录已被其他用户删除，您的修改没有保存。")});
        QVERIFY(stillOpen);
        QCOMPARE(keptRemark, QStringLiteral("我的备注"));
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_service")), 0);
        QCOMPARE(d.qryServiceCust().recordCount(), 0);
        QCOMPARE(w.window->dgServiceCust()->footerText(0), QStringLiteral("共 0 条"));
    }

    void newRecordOnAFullDiskStaysInTheEditor_data() { zu::test::addEngineRows(); }
    void newRecordOnAFullDiskStaysInTheEditor()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        addWangFang();
        ScriptedDialogs dialogs;
        CustomerWindow w;
        db.fillDisk(QStringLiteral("T_service"));
        const QString remark(20000, QLatin1Char('x')); // needs pages of its own
        QStringList shown;
        bool stillOpen = false;
        QString keptRemark;
        whenModal<TfrmServiceAdd>([&](TfrmServiceAdd* editor) {
            control<QPlainTextEdit>(editor, "edtRemark")->setPlainText(remark);
            press(editor, "btn1");
            shown = dialogs.messages();
            stillOpen = editor->isVisible();
            keptRemark = control<QPlainTextEdit>(editor, "edtRemark")->toPlainText();
            // Room again: the same input goes in.
            db.diskFreed(QStringLiteral("T_service"));
            dialogs.clear();
            press(editor, "btn1");
            if (editor->isVisible())
                editor->reject();
        });
        press(w.window, "ToolButton8");
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().startsWith(QStringLiteral("磁盘空间已满，数据没有保存")),
                 qPrintable(shown.first()));
        QVERIFY(stillOpen);
        QCOMPARE(keptRemark, remark);
        QVERIFY(dialogs.messages().isEmpty());
        QCOMPARE(
            db.otherValue(QStringLiteral("select count(*) from T_service where CustCode = 'W1'")).toInt(), 1);
        QCOMPARE(d.qryServiceCust().recordCount(), 1);
        QCOMPARE(w.window->dgServiceCust()->footerText(0), QStringLiteral("共 1 条"));
    }

    void pickerFillsTheRightBoxes_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::newRow("service") << QStringLiteral("service");
        QTest::newRow("call") << QStringLiteral("call");
        QTest::newRow("complain") << QStringLiteral("complain");
    }
    void pickerFillsTheRightBoxes()
    {
        QFETCH(QString, editor);
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        db.dataModule().T().exec(QStringLiteral("insert into T_Cust (CustName, IDCode) values (?, ?)"),
                                 {QStringLiteral("赵六"), QStringLiteral("Z6")});
        ScriptedDialogs dialogs;
        const std::unique_ptr<JournalEditor> dialog = makeEditor(editor);
        dialog->FCaller = dialog->kind().listCaller;
        dialog->show();
        auto* code = control<QLineEdit>(dialog.get(), "edtCustCode");
        code->setText(QStringLiteral("typed"));
        QString tag;
        whenModal<TfrmCustname>([&tag](TfrmCustname* picker) {
            tag = picker->FCaller;
            data().qryselect().first();
            emit picker->findChild<ListGrid*>(QStringLiteral("dgselect"))->doubleClicked();
        });
        press(dialog.get(), "btnSelectCust");
        QCOMPARE(tag, dialog->kind().pickerTag);
        QCOMPARE(code->text(), QStringLiteral("Z6"));
        QCOMPARE(control<QLineEdit>(dialog.get(), dialog->kind().nameBox)->text(), QStringLiteral("赵六"));
    }

    // As the labels beside it say: a left click picks the hours, a right click the minutes; no
    // other button picks anything.
    void complaintTimeClicksPickHoursAndMinutes()
    {
        ClockTimeEdit box;
        box.setTime(QTime(9, 41, 7));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QPoint inside(10, box.height() / 2);
        box.setSelectedSection(QDateTimeEdit::SecondSection);
        QTest::mouseClick(&box, Qt::MiddleButton, {}, inside);
        QCOMPARE(box.currentSection(), QDateTimeEdit::SecondSection);
        QTest::mouseClick(&box, Qt::LeftButton, {}, inside);
        QCOMPARE(box.currentSection(), QDateTimeEdit::HourSection);
        QContextMenuEvent right(QContextMenuEvent::Mouse, inside, box.mapToGlobal(inside));
        QApplication::sendEvent(&box, &right);
        QCOMPARE(box.currentSection(), QDateTimeEdit::MinuteSection);
        QVERIFY(right.isAccepted()); // no menu of its own
        QCOMPARE(box.time(), QTime(9, 41, 7));
    }

    void complaintTimeRefillsWhenEmptied()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        TfrmComplainAdd editor;
        auto* time = control<QTimeEdit>(&editor, "RzDateTimeEdit1");
        QVERIFY(qAbs(time->time().secsTo(QTime::currentTime())) < 5);
        time->setTime(QTime(1, 2, 3));
        time->findChild<QLineEdit*>()->setText(QString());
        QVERIFY(qAbs(time->time().secsTo(QTime::currentTime())) < 5);
        QCOMPARE(control<QLabel>(&editor, "lbl1")->text(), QStringLiteral("点击左键选择小时"));
    }

    void failedSaveKeepsTheInput()
    {
        zu::test::TestDatabase db(QStringLiteral("sqlite"));
        QVERIFY2(db.ok(), qPrintable(db.error()));
        ScriptedDialogs dialogs;
        TfrmCellqry window;
        window.show();
        db.dataModule().T().exec(QStringLiteral("insert into T_Cust (CustName, IDCode) values ('K', 'K')"));
        db.dataModule().T().exec(QStringLiteral("drop table T_call"));
        TfrmCellAdd editor(&window);
        editor.FCaller = QStringLiteral("frmCell");
        editor.show();
        control<QLineEdit>(&editor, "edtCustCode")->setText(QStringLiteral("K"));
        control<QPlainTextEdit>(&editor, "edtcallRemark")->setPlainText(QStringLiteral("要保留的内容"));
        press(&editor, "btnAdd");
        QCOMPARE(dialogs.messages().size(), 1);
        QVERIFY2(dialogs.last().text.contains(QStringLiteral("T_call"), Qt::CaseInsensitive),
                 qPrintable(dialogs.last().text));
        QVERIFY(editor.isVisible());
        QCOMPARE(control<QPlainTextEdit>(&editor, "edtcallRemark")->toPlainText(),
                 QStringLiteral("要保留的内容"));
        QCOMPARE(window.list().state(), DataSet::State::Browse);
    }

    // A stored time of a complaint that the time box cannot show is kept while the box is not
    // changed; a time the user sets is stored as the box shows it.
    void complaintTimeIsKeptUnlessChanged_data() { zu::test::addEngineRows(); }
    void complaintTimeIsKeptUnlessChanged()
    {
        ZU_TEST_DATABASE(db);
        TfrmData& d = db.dataModule();
        d.T().exec(QStringLiteral("insert into T_Cust (CustName, IDCode) values ('甲', 'A')"));
        for (const char* time : {"下午三点", "9:05"})
            d.T().exec(
                QStringLiteral("insert into T_complain (CustCode, CustName, complainDate, complainTime) "
                               "values (?, ?, ?, ?)"),
                {QStringLiteral("A"), QStringLiteral("甲"), QDate(2026, 11, 30).startOfDay(),
                 QString::fromUtf8(time)});
        ScriptedDialogs dialogs;
        TfrmComplainqry window;
        window.show();
        DataSet& list = window.list();
        auto edit = [&](int row, std::function<void(QTimeEdit*)> change) {
            list.setCurrentRow(row);
            QString shown;
            whenModal<TfrmComplainAdd>([&](TfrmComplainAdd* editor) {
                auto* box = control<QTimeEdit>(editor, "RzDateTimeEdit1");
                shown = box->text();
                change(box);
                press(editor, "btnAdd");
            });
            emit window.grid()->doubleClicked();
            return shown;
        };
        const QString stored = QStringLiteral("select complainTime from T_complain order by id");

        QCOMPARE(edit(0, [](QTimeEdit*) {}), QStringLiteral("下午三点")); // shown as it is
        QCOMPARE(edit(1, [](QTimeEdit*) {}), QStringLiteral("09:05:00"));
        QCOMPARE(zu::test::column(stored), (QStringList{QStringLiteral("下午三点"), QStringLiteral("9:05")}));

        edit(0, [](QTimeEdit* box) { box->setTime(QTime(15, 0)); });
        edit(1, [](QTimeEdit* box) { box->setTime(QTime(9, 6)); });
        QCOMPARE(zu::test::column(stored),
                 (QStringList{QStringLiteral("15:00:00"), QStringLiteral("09:06:00")}));
        QVERIFY(dialogs.shown().isEmpty());
    }

    // Numbers and texts the columns cannot keep are refused in the editor, naming the field.
    void editorRefusesWhatTheColumnsCannotKeep_data() { zu::test::addEngineRows(); }
    void editorRefusesWhatTheColumnsCannotKeep()
    {
        ZU_TEST_DATABASE(db);
        db.dataModule().T().exec(QStringLiteral("insert into T_Cust (CustName, IDCode) values ('甲', 'A')"));
        ScriptedDialogs dialogs;
        TfrmServerqry window;
        window.show();
        TfrmServiceAdd editor(&window);
        editor.FCaller = QStringLiteral("frmService");
        editor.show();
        control<QLineEdit>(&editor, "edtCustCode")->setText(QStringLiteral("A"));
        control<QLineEdit>(&editor, "edtCustname")->setText(QStringLiteral("甲"));
        auto* number = control<QLineEdit>(&editor, "edtNumbe");
        for (const char* beyond : {"2147483648", "-2147483649", "99999999999"}) {
            number->setText(QLatin1String(beyond));
            press(&editor, "btn1");
            QCOMPARE(dialogs.last().text, QStringLiteral("“故障数量”中的“%1”超出了范围，只能填 -2147483648 "
                                                         "至 2147483647 之间的整数，请您重新录入！")
                                              .arg(QLatin1String(beyond)));
            QVERIFY(editor.isVisible());
        }
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_service")), 0);
        // The text boxes take as much as their columns.
        auto* orderNumber = control<QLineEdit>(&editor, "edtservicedeCode");
        QCOMPARE(orderNumber->maxLength(), 255);
        QCOMPARE(control<QLineEdit>(&editor, "edtCustCode")->maxLength(), 50);
        QCOMPARE(control<QComboBox>(&editor, "cmbservicedeMen")->lineEdit()->maxLength(), 255);
        orderNumber->setText(QString(300, QLatin1Char('8')));
        QCOMPARE(orderNumber->text().size(), 255);
        number->setText(QStringLiteral("-2147483648"));
        press(&editor, "btn1");
        QVERIFY(!editor.isVisible());
        QCOMPARE(zu::test::column(QStringLiteral("select Numbe from T_service")),
                 QStringList{QStringLiteral("-2147483648")});
        QCOMPARE(zu::test::column(QStringLiteral("select servicedeCode from T_service")),
                 QStringList{QString(255, QLatin1Char('8'))});
    }
};

QTEST_MAIN(TestJournals)
#include "tst_journals.moc"
