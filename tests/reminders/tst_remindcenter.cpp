// The reminder centre's window and the reminder pop-up's overdue count, headless, with scripted
// dialogs and the commands other parts of the program would give.

#include "data/datamodule.h"
#include "data/query.h"
#include "output/gridexport.h"
#include "output/tableprint.h"
#include "reminders/reminderlistmodel.h"
#include "reminders/tfrmremind.h"
#include "reminders/tfrmremindcenter.h"
#include "support/records.h"
#include "support/scripteddialogs.h"
#include "support/testdatabase.h"
#include "support/uitest.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTextDocument>
#include <QToolButton>
#include <QtTest>

using namespace zu;
using zu::test::addCustomer;
using zu::test::addJournal;
using zu::test::control;

namespace {

const QDate kToday(2024, 3, 13); // a Wednesday

void setSince(const QDate& since)
{
    Query(data().conn())
        .exec(QStringLiteral(
                  "update T_remind set RemindSince = ?, PlanSince = ?, CallSince = ?, WarrantySince = ?"),
              {since.startOfDay(), since.startOfDay(), since.startOfDay(), since.startOfDay()});
}

// Two customers due today, one overdue, one next week, and a return call due today.
void addReminders()
{
    setSince(kToday.addDays(-30));
    addCustomer(QStringLiteral("乙今天"), QStringLiteral("C2"),
                {{QStringLiteral("remind"), kToday.startOfDay()}});
    addCustomer(QStringLiteral("甲今天"), QStringLiteral("C1"),
                {{QStringLiteral("remind"), kToday.startOfDay()}});
    addCustomer(QStringLiteral("丙逾期"), QStringLiteral("C3"),
                {{QStringLiteral("remind"), kToday.addDays(-3).startOfDay()}});
    addCustomer(QStringLiteral("丁下周"), QStringLiteral("C4"),
                {{QStringLiteral("remind"), kToday.addDays(6).startOfDay()}});
    addJournal(QStringLiteral("T_service"), QStringLiteral("C4"), QStringLiteral("丁下周"),
               {{QStringLiteral("serviceDate"), kToday.addDays(-3).startOfDay()},
                {QStringLiteral("hitchName"), QStringLiteral("不制冷")}});
}

QStringList column(const TfrmRemindCenter& window, int column)
{
    QStringList out;
    const QAbstractItemModel& list = window.shownList();
    for (int r = 0; r < list.rowCount(); ++r)
        out << list.index(r, column).data().toString();
    return out;
}

void selectRow(TfrmRemindCenter& window, const QString& name)
{
    const QAbstractItemModel& list = window.shownList();
    for (int r = 0; r < list.rowCount(); ++r)
        if (list.index(r, ReminderListModel::NameColumn).data().toString() == name) {
            window.dgRemind()->setCurrentIndex(list.index(r, 0));
            return;
        }
    QFAIL(qPrintable(QStringLiteral("no row of ") + name));
}

struct Window
{
    TfrmRemindCenter window;
    explicit Window(RemindCenterCommands commands = {})
    {
        window.setCommands(std::move(commands));
        window.setToday(kToday);
        window.show();
    }
    QToolButton* button(const char* name) { return control<QToolButton>(&window, name); }
    QPushButton* push(const char* name) { return control<QPushButton>(&window, name); }
};

} // namespace

class TestRemindCenter final : public QObject
{
    Q_OBJECT
private slots:
    void filtersShowTheirCounts_data() { zu::test::addEngineRows(); }
    void filtersShowTheirCounts()
    {
        ZU_TEST_DATABASE(db);
        addReminders();
        Window w;
        QAbstractItemModelTester tester(const_cast<QAbstractItemModel*>(&w.window.shownList()),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(w.button("btnToday")->text(), QStringLiteral("今日 (3)"));
        QCOMPARE(w.button("btnOverdue")->text(), QStringLiteral("逾期 (1)"));
        QCOMPARE(w.button("btnWeek")->text(), QStringLiteral("本周 (3)"));
        QCOMPARE(w.button("btnAll")->text(), QStringLiteral("全部 (5)"));
        QCOMPARE(w.window.filter(), ReminderFilter::Today);
        QCOMPARE(column(w.window, ReminderListModel::KindColumn),
                 (QStringList{"维修回访", "用户提醒", "用户提醒"}));
        QCOMPARE(column(w.window, ReminderListModel::SubjectColumn).first(),
                 QStringLiteral("维修后回访：不制冷"));

        w.button("btnOverdue")->click();
        QCOMPARE(column(w.window, ReminderListModel::NameColumn), QStringList{"丙逾期"});
        QCOMPARE(column(w.window, ReminderListModel::StateColumn), QStringList{"逾期"});
        QCOMPARE(column(w.window, ReminderListModel::DateColumn), QStringList{"2024-03-10"});
        QCOMPARE(w.window.shownList().index(0, 0).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));

        w.button("btnAll")->click();
        QCOMPARE(w.window.shownList().rowCount(), 5);
        // Sorting by a title sorts by the column's value; the dates as dates.
        w.window.dgRemind()->sortByColumn(ReminderListModel::CodeColumn, Qt::DescendingOrder);
        QCOMPARE(column(w.window, ReminderListModel::CodeColumn),
                 (QStringList{"C4", "C4", "C3", "C2", "C1"}));
        w.window.dgRemind()->sortByColumn(ReminderListModel::DateColumn, Qt::AscendingOrder);
        QCOMPARE(column(w.window, ReminderListModel::DateColumn).first(), QStringLiteral("2024-03-10"));
        QCOMPARE(column(w.window, ReminderListModel::DateColumn).last(), QStringLiteral("2024-03-19"));
        QCOMPARE(w.window.reminderAt(4).customerName, QStringLiteral("丁下周"));
    }

    void doneAndSnoozedLeaveTheirFilters_data() { zu::test::addEngineRows(); }
    void doneAndSnoozedLeaveTheirFilters()
    {
        ZU_TEST_DATABASE(db);
        addReminders();
        data().setCurrentUserName(QStringLiteral("张三"));
        zu::test::ScriptedDialogs dialogs;
        Window w;
        w.push("btnDone")->click(); // nothing chosen
        QCOMPARE(dialogs.messages(), QStringList{"请先选择一条提醒"});
        selectRow(w.window, QStringLiteral("甲今天"));
        w.push("btnDone")->click();
        QCOMPARE(column(w.window, ReminderListModel::NameColumn), (QStringList{"丁下周", "乙今天"}));
        QCOMPARE(w.button("btnToday")->text(), QStringLiteral("今日 (2)"));
        QCOMPARE(zu::test::column(QStringLiteral("select ByUser from T_remindstate where State = ?"),
                                  {QStringLiteral("done")}),
                 QStringList{"张三"});

        // Put off to a day that is not later than today: refused, nothing stored.
        selectRow(w.window, QStringLiteral("乙今天"));
        auto* until = control<QDateEdit>(&w.window, "dtSnooze");
        QCOMPARE(until->date(), kToday.addDays(1));
        until->setDate(kToday);
        w.push("btnSnooze")->click();
        QCOMPARE(dialogs.messages().last(), QStringLiteral("推迟到的日期必须晚于今天"));
        until->setDate(kToday.addDays(2));
        selectRow(w.window, QStringLiteral("乙今天"));
        w.push("btnSnooze")->click();
        QCOMPARE(w.button("btnToday")->text(), QStringLiteral("今日 (1)"));
        QCOMPARE(w.button("btnWeek")->text(), QStringLiteral("本周 (2)"));
        w.button("btnAll")->click();
        selectRow(w.window, QStringLiteral("乙今天"));
        QCOMPARE(w.window.shownList()
                     .index(w.window.dgRemind()->currentIndex().row(), ReminderListModel::StateColumn)
                     .data()
                     .toString(),
                 QStringLiteral("已推迟至2024-03-15"));
        // What is done is greyed; what is put off keeps the usual colour.
        const auto colourOf = [&w](const QString& name) {
            selectRow(w.window, name);
            return w.window.shownList()
                .index(w.window.dgRemind()->currentIndex().row(), 0)
                .data(Qt::ForegroundRole);
        };
        QCOMPARE(colourOf(QStringLiteral("甲今天")).value<QColor>(), QColor(Qt::darkGray));
        QVERIFY(!colourOf(QStringLiteral("乙今天")).isValid());
        // Two days later it is today's again.
        w.window.setToday(kToday.addDays(2));
        QCOMPARE(w.button("btnToday")->text(), QStringLiteral("今日 (1)"));
        QCOMPARE(w.button("btnOverdue")->text(), QStringLiteral("逾期 (2)")); // 丙 and the return call
    }

    void returnCallIsDoneWhenTheVisitIsSaved_data() { zu::test::addEngineRows(); }
    void returnCallIsDoneWhenTheVisitIsSaved()
    {
        ZU_TEST_DATABASE(db);
        addReminders();
        QList<Reminder> asked;
        bool save = false;
        RemindCenterCommands c;
        c.returnVisit = [&](QWidget*, const Reminder& r) {
            asked << r;
            return save;
        };
        Window w(c);
        selectRow(w.window, QStringLiteral("丁下周"));
        w.push("btnDone")->click(); // the visit is cancelled
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].kind, ReminderKind::ReturnCall);
        QCOMPARE(asked[0].customerCode, QStringLiteral("C4"));
        QCOMPARE(asked[0].subject, QStringLiteral("不制冷"));
        QCOMPARE(w.button("btnToday")->text(), QStringLiteral("今日 (3)"));
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_remindstate")), 0);
        save = true;
        selectRow(w.window, QStringLiteral("丁下周"));
        w.push("btnDone")->click();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(w.button("btnToday")->text(), QStringLiteral("今日 (2)"));
        QCOMPARE(zu::test::column(QStringLiteral("select Kind from T_remindstate where State = ?"),
                                  {QStringLiteral("done")}),
                 QStringList{"call"});
        // Other kinds are done without a visit.
        selectRow(w.window, QStringLiteral("甲今天"));
        w.push("btnDone")->click();
        QCOMPARE(asked.size(), 2);
        QCOMPARE(w.button("btnToday")->text(), QStringLiteral("今日 (1)"));
    }

    void doubleClickOpensTheCustomer_data() { zu::test::addEngineRows(); }
    void doubleClickOpensTheCustomer()
    {
        ZU_TEST_DATABASE(db);
        addReminders();
        QList<qint64> opened;
        RemindCenterCommands c;
        c.openCustomer = [&](QWidget*, qint64 id) { opened << id; };
        Window w(c);
        selectRow(w.window, QStringLiteral("乙今天"));
        QTableView* view = w.window.dgRemind();
        const QRect cell = view->visualRect(view->currentIndex());
        // A double click is a press, a release and the second press that makes it double.
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(opened, (QList<qint64>{
                             zu::test::count(QStringLiteral("select CusttityID from T_Cust where IDCode = ?"),
                                             {QStringLiteral("C2")})}));
        QVERIFY(!w.window.isVisible());
    }

    void exportAndPrintTheListAsShown_data() { zu::test::addEngineRows(); }
    void exportAndPrintTheListAsShown()
    {
        ZU_TEST_DATABASE(db);
        addReminders();
        zu::test::ScriptedDialogs dialogs;
        QStringList printed;
        RemindCenterCommands c;
        c.exportList = &ExportTableToXls;
        c.printList = [&](QWidget*, const QAbstractItemModel& table, const QString& title) {
            printed << title << table.index(0, ReminderListModel::NameColumn).data().toString();
        };
        Window w(c);
        w.window.dgRemind()->sortByColumn(ReminderListModel::NameColumn, Qt::DescendingOrder);
        const QString name = column(w.window, ReminderListModel::NameColumn).first();
        const QString file = db.home().file(QStringLiteral("提醒.xlsx"));
        dialogs.answerFile(file);
        dialogs.answer(QMessageBox::Cancel);
        w.push("btnExport")->click();
        QCOMPARE(dialogs.shown().first().kind, QStringLiteral("save"));
        QCOMPARE(dialogs.shown().first().text, QStringLiteral("提醒中心2024-03-13"));
        QVERIFY(QFileInfo(file).size() > 0);
        QCOMPARE(dialogs.messages(),
                 QStringList{QStringLiteral("文件") + file + QStringLiteral("已建立，是否打开文件？")});
        w.push("btnPrint")->click();
        QCOMPARE(printed, (QStringList{"提醒中心2024-03-13", name}));

        // An empty list is not written.
        dialogs.clear();
        w.window.setToday(QDate(2030, 1, 1));
        w.button("btnToday")->click();
        w.push("btnExport")->click();
        QCOMPARE(dialogs.messages(), QStringList{"没有数据,不能导出成Excel文件!"});
    }

    void settingsAndPlans_data() { zu::test::addEngineRows(); }
    void settingsAndPlans()
    {
        ZU_TEST_DATABASE(db);
        addReminders();
        for (const char* model : {"空调B", "净水器A"})
            Query(data().conn())
                .exec(QStringLiteral("insert into T_type (caption, %1) values (?, ?)")
                          .arg(data().conn().dialect().quote(QStringLiteral("table"))),
                      {QString::fromUtf8(model), QStringLiteral("型号")});
        zu::test::ScriptedDialogs dialogs;
        Window w;
        auto* calls = control<QCheckBox>(&w.window, "cbCallOn");
        QVERIFY(calls->isChecked());
        QCOMPARE(control<QSpinBox>(&w.window, "seCallDays")->value(), 3);
        calls->setChecked(false);
        w.push("btnSaveSettings")->click();
        QCOMPARE(w.button("btnToday")->text(), QStringLiteral("今日 (2)"));
        QCOMPARE(zu::test::count(QStringLiteral("select CallOn from T_remind")), 0);

        // A plan for the model: the customer who bought it half a year ago is due.
        addCustomer(QStringLiteral("戊净水器"), QStringLiteral("C5"),
                    {{QStringLiteral("Goodsunit"), QStringLiteral("净水器A")},
                     {QStringLiteral("EmptionDate"), kToday.addMonths(-6).startOfDay()}});
        // The model is one of the lookup list's, as the customer editor offers them.
        auto* model = control<QComboBox>(&w.window, "cmbPlanModel");
        QVERIFY(model->isEditable());
        QCOMPARE(model->findText(QStringLiteral("空调B")), model->findText(QStringLiteral("净水器A")) - 1);
        QVERIFY(model->findText(QStringLiteral("空调B")) >= 0);
        model->setCurrentIndex(model->findText(QStringLiteral("净水器A")));
        control<QLineEdit>(&w.window, "edtPlanKind")->setText(QStringLiteral("滤芯更换"));
        control<QSpinBox>(&w.window, "sePlanMonths")->setValue(6);
        w.push("btnPlanAdd")->click();
        auto* plans = control<QTableWidget>(&w.window, "dgPlan");
        QCOMPARE(plans->rowCount(), 1);
        QCOMPARE(plans->item(0, 2)->text(), QStringLiteral("每6个月"));
        QCOMPARE(w.button("btnToday")->text(), QStringLiteral("今日 (3)"));
        QVERIFY(model->currentText().isEmpty());

        w.push("btnPlanAdd")->click(); // without a model
        QCOMPARE(dialogs.messages().last(), QStringLiteral("保养计划需要型号和保养项目"));
        plans->setCurrentCell(0, 0);
        dialogs.answer(QMessageBox::No);
        w.push("btnPlanDelete")->click();
        QCOMPARE(plans->rowCount(), 1);
        dialogs.answer(QMessageBox::Yes);
        w.push("btnPlanDelete")->click();
        QCOMPARE(plans->rowCount(), 0);
        QCOMPARE(w.button("btnToday")->text(), QStringLiteral("今日 (2)"));

        // A model that is not in the list may be typed.
        model->setCurrentText(QStringLiteral("热水器X"));
        control<QLineEdit>(&w.window, "edtPlanKind")->setText(QStringLiteral("除垢"));
        w.push("btnPlanAdd")->click();
        QCOMPARE(plans->rowCount(), 1);
        QCOMPARE(plans->item(0, 0)->text(), QStringLiteral("热水器X"));

        // The overdue days: stored, below one stored as one.
        auto* overdueDays = control<QSpinBox>(&w.window, "seOverdueDays");
        QCOMPARE(overdueDays->value(), 90);
        overdueDays->setValue(2);
        w.push("btnSaveSettings")->click();
        QCOMPARE(zu::test::count(QStringLiteral("select OverdueDays from T_remind")), 2);
        QCOMPARE(w.button("btnOverdue")->text(), QStringLiteral("逾期 (0)")); // 丙 was due three days ago
        overdueDays->setValue(3);
        w.push("btnSaveSettings")->click();
        QCOMPARE(w.button("btnOverdue")->text(), QStringLiteral("逾期 (1)"));
    }

    void doneReminderIsReopened_data() { zu::test::addEngineRows(); }
    void doneReminderIsReopened()
    {
        ZU_TEST_DATABASE(db);
        addReminders();
        zu::test::ScriptedDialogs dialogs;
        Window w;
        selectRow(w.window, QStringLiteral("甲今天"));
        w.push("btnReopen")->click(); // not done: nothing to reopen
        QCOMPARE(dialogs.messages(), QStringList{"请先选择一条已完成的提醒"});
        w.push("btnDone")->click();
        QCOMPARE(w.button("btnToday")->text(), QStringLiteral("今日 (2)"));
        w.button("btnAll")->click();
        selectRow(w.window, QStringLiteral("甲今天"));
        QCOMPARE(w.window.reminderAt(w.window.dgRemind()->currentIndex().row()).state, ReminderState::Done);
        w.push("btnReopen")->click();
        QCOMPARE(w.button("btnToday")->text(), QStringLiteral("今日 (3)"));
        selectRow(w.window, QStringLiteral("甲今天"));
        QCOMPARE(w.window.shownList()
                     .index(w.window.dgRemind()->currentIndex().row(), ReminderListModel::StateColumn)
                     .data()
                     .toString(),
                 QStringLiteral("待办"));
        QCOMPARE(zu::test::count(QStringLiteral("select count(*) from T_remindstate")), 0);
    }

    // A long list is read a page at a time as the view asks; export and print read the rest.
    void longListIsReadByPages()
    {
        ReminderListModel list;
        // (No model tester here: it reads every page as soon as rows come in.)
        const int total = 2 * ReminderListModel::kPage + 7;
        QList<int> asked;
        int present = total; // rows the records still give
        list.setSource(
            [&](int offset, int limit) {
                asked << offset;
                QList<Reminder> page;
                for (int i = offset; i < std::min(offset + limit, present); ++i) {
                    Reminder r;
                    r.customerName = QString::number(i);
                    page << r;
                }
                return page;
            },
            total);
        QCOMPARE(list.rowCount(), ReminderListModel::kPage);
        QVERIFY(list.canFetchMore({}));
        list.fetchMore({});
        QCOMPARE(list.rowCount(), 2 * ReminderListModel::kPage);
        list.fetchAll();
        QCOMPARE(list.rowCount(), total);
        QVERIFY(!list.canFetchMore({}));
        QCOMPARE(list.index(total - 1, ReminderListModel::NameColumn).data().toString(),
                 QString::number(total - 1));
        QCOMPARE(asked, (QList<int>{0, ReminderListModel::kPage, 2 * ReminderListModel::kPage}));

        // Fewer rows than counted (deleted meanwhile): the list ends where they end.
        present = ReminderListModel::kPage + 3;
        list.setSource(
            [&](int offset, int limit) {
                QList<Reminder> page;
                for (int i = offset; i < std::min(offset + limit, present); ++i)
                    page << Reminder{};
                return page;
            },
            total);
        list.fetchAll();
        QCOMPARE(list.rowCount(), present);
        QVERIFY(!list.canFetchMore({}));
    }

    // The printed list: its title, the column titles and every row's texts as they are, markup too.
    void printedListHoldsTheRows()
    {
        ReminderListModel list;
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        Reminder call;
        call.kind = ReminderKind::ReturnCall;
        call.customerName = QStringLiteral("<b>甲&乙</b>");
        call.subject = QStringLiteral("漏水");
        call.dueDate = kToday;
        Reminder plan;
        plan.kind = ReminderKind::Maintenance;
        plan.customerName = QStringLiteral("丙");
        plan.subject = QStringLiteral("滤芯更换");
        plan.dueDate = kToday.addDays(-1);
        plan.state = ReminderState::Overdue;
        list.setReminders({call, plan});
        QTextDocument document;
        fillTableDocument(document, list, QStringLiteral("提醒中心2024-03-13"));
        const QString text = document.toPlainText();
        for (const QString& expected :
             {QStringLiteral("提醒中心2024-03-13"), QStringLiteral("客户名称"),
              QStringLiteral("<b>甲&乙</b>"), QStringLiteral("维修后回访：漏水"), QStringLiteral("滤芯更换"),
              QStringLiteral("2024-03-12"), QStringLiteral("逾期")})
            QVERIFY2(text.contains(expected), qPrintable(expected));
        QVERIFY(text.indexOf(QStringLiteral("甲&乙")) < text.indexOf(QStringLiteral("丙")));
    }

    void popUpTellsTheOverdueCount_data() { zu::test::addEngineRows(); }
    void popUpTellsTheOverdueCount()
    {
        ZU_TEST_DATABASE(db);
        const QDate today = QDate::currentDate();
        setSince(today.addDays(-30));
        {
            TfrmRemind none;
            none.show();
            QCOMPARE(control<QLabel>(&none, "lblOverdue")->text(), QStringLiteral("没有逾期的提醒。"));
        }
        addCustomer(QStringLiteral("逾期一"), {},
                    {{QStringLiteral("remind"), today.addDays(-1).startOfDay()}});
        addCustomer(QStringLiteral("逾期二"), {},
                    {{QStringLiteral("remind"), today.addDays(-2).startOfDay()}});
        addCustomer(QStringLiteral("今天"), {}, {{QStringLiteral("remind"), today.startOfDay()}});
        TfrmRemind popUp;
        popUp.show();
        QCOMPARE(control<QLabel>(&popUp, "lblOverdue")->text(),
                 QStringLiteral("另有 2 条提醒已逾期，请在“提醒中心”处理。"));
        QCOMPARE(data().qryRemind().recordCount(), 1); // the due customers as before
    }
};

QTEST_MAIN(TestRemindCenter)
#include "tst_remindcenter.moc"
