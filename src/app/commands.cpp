#include "commands.h"

#include "tfrmmain.h"

#include "columns/gridcolumns.h"
#include "columns/listgrid.h"
#include "columns/tfrmfieldshow.h"
#include "customers/tfrmcousttree.h"
#include "customers/tfrmcustom.h"
#include "data/datamodule.h"
#include "data/errors.h"
#include "journals/journallist.h"
#include "journals/tfrmcelladd.h"
#include "journals/tfrmcomplainadd.h"
#include "journals/tfrmjournalqry.h"
#include "journals/tfrmmachinehistory.h"
#include "journals/tfrmserviceadd.h"
#include "maintenance/import/tfrmimport.h"
#include "maintenance/tfrmbackup.h"
#include "maintenance/tfrmcleardata.h"
#include "output/gridexport.h"
#include "output/reports/reportcommands.h"
#include "output/tableprint.h"
#include "reminders/tfrmremind.h"
#include "reminders/tfrmremindcenter.h"
#include "statistics/tfrmstatistics.h"
#include "users/permissions.h"
#include "users/tfrmuserqx.h"
#include "widgets/mdichild.h"
#include "widgets/tfrmoption.h"

#include <QMdiArea>

namespace zu {

namespace {

// A record editor opened from the customer window's detail tab.
template <typename Editor> void customerRecordEditor(QWidget* parent, bool isAdd)
{
    Editor editor(parent);
    editor.FCaller = QStringLiteral("frmCustom");
    editor.FIsAdd = isAdd;
    editor.exec();
}

JournalListCommands journalListCommands()
{
    JournalListCommands c;
    c.exportList = &ExportGridToXls;
    c.chooseColumns = &chooseColumns;
    return c;
}

RemindCommands remindCommands()
{
    RemindCommands c;
    c.exportList = &ExportGridToXls;
    c.chooseColumns = &chooseColumns;
    return c;
}

void openReminders(TfrmMain* main)
{
    requirePermission(Operation::Reminders);
    showModal<TfrmRemind>(main, [](TfrmRemind& window) { window.setCommands(remindCommands()); });
}

template <typename Window> void openJournalList(TfrmMain* main)
{
    showModal<Window>(main, [](Window& window) { window.setCommands(journalListCommands()); });
}

CustomerWindowCommands customerWindowCommands()
{
    CustomerWindowCommands c;
    c.serviceEditor = &customerRecordEditor<TfrmServiceAdd>;
    c.callEditor = &customerRecordEditor<TfrmCellAdd>;
    c.complainEditor = &customerRecordEditor<TfrmComplainAdd>;
    c.chooseColumns = &chooseColumns;
    c.exportList = &ExportGridToXls;
    c.printWorkOrder = [](QWidget* parent) { previewReport(parent, QString::fromUtf8(kWorkOrderReport)); };
    c.machineHistory = [](QWidget* parent, const QString& goodsCode) {
        showMachineHistory(parent, goodsCode, Operation::OpenCustomerWindow);
    };
    return c;
}

TfrmCustom* openCustomerWindow(TfrmMain& main)
{
    TfrmCustom* window = ShowMdiChild(main.mdiArea(), TfrmCustom::reference());
    window->setCommands(customerWindowCommands());
    return window;
}

// The customer window on one customer: every customer is listed again so that it is found.
void showCustomer(TfrmMain& main, qint64 customerId)
{
    requirePermission(Operation::OpenCustomerWindow);
    TfrmCustom* window = openCustomerWindow(main);
    window->refreshCustomers();
    if (!zu::data().qryCustom().locateKey(customerId))
        throw CommandError(QStringLiteral("没有找到这个客户，可能已被删除"));
}

// The return-visit editor for the customer of a return call, with the call's date and subject
// filled in; the visit is written through the return-visit list.
bool returnVisitFor(QWidget* parent, const Reminder& reminder)
{
    requirePermission(Operation::ChangeCalls);
    TfrmCellAdd editor(parent);
    editor.FCaller = TfrmCellAdd::editorKind().listCaller;
    editor.FIsAdd = true;
    editor.presetCustomer(reminder.customerCode, reminder.customerName);
    editor.presetRemark(reminder.subject.isEmpty() ? QStringLiteral("维修后回访")
                                                   : QStringLiteral("维修后回访：") + reminder.subject);
    return editor.exec() == QDialog::Accepted;
}

void openReminderCenter(TfrmMain* main)
{
    requirePermission(Operation::Reminders);
    showModal<TfrmRemindCenter>(main, [main](TfrmRemindCenter& window) {
        RemindCenterCommands c;
        c.openCustomer = [main](QWidget*, qint64 customerId) { showCustomer(*main, customerId); };
        c.returnVisit = &returnVisitFor;
        c.exportList = &ExportTableToXls;
        c.printList = [](QWidget* parent, const QAbstractItemModel& table, const QString& title) {
            PreviewTable(parent, table, title);
        };
        window.setCommands(std::move(c));
    });
}

void openStatistics(TfrmMain* main)
{
    requirePermission(Operation::ViewStatistics);
    showModal<TfrmStatistics>(main, [](TfrmStatistics& window) {
        StatisticsCommands c;
        c.exportList = &ExportTableToXls;
        c.printList = [](QWidget* parent, const QAbstractItemModel& table, const QString& title,
                         const QImage& chart) { PreviewTable(parent, table, title, chart); };
        window.setCommands(std::move(c));
    });
}

// The customer list of the customer window, which is opened first when it is not open. A user who
// may not open the customer window exports the list with its columns all the same, through a grid
// that is never shown.
void exportCustomers(TfrmMain& main)
{
    requirePermission(Operation::ExportList);
    const QString name = exportProposedName(QStringLiteral("客户信息"));
    DataSet& customers = zu::data().qryCustom();
    TfrmCustom* window = TfrmCustom::instance();
    if (!window && mayUse(Operation::OpenCustomerWindow))
        window = openCustomerWindow(main);
    if (window) {
        ExportGridToXls(&main, customers, window->dgCustom(), name);
        return;
    }
    if (!customers.isOpen())
        customers.open();
    ListGrid grid;
    LoadGridColumns(&grid, &customers, QStringLiteral("T_Cust_show"));
    ExportGridToXls(&main, customers, &grid, name);
}

} // namespace

void chooseColumns(QWidget* opener, const QString& layoutName, const QString& caller)
{
    TfrmFieldShow chooser(opener);
    chooser.FLayoutName = layoutName;
    chooser.FCaller = caller;
    chooser.setRebuild([opener](const QString& tag) {
        if (auto* customers = qobject_cast<TfrmCustom*>(opener))
            customers->reloadColumns(tag);
        else if (auto* journal = qobject_cast<TfrmJournalqry*>(opener);
                 journal && journal->kind().chooserTag == tag)
            journal->reloadColumns();
        else if (auto* reminders = qobject_cast<TfrmRemind*>(opener);
                 reminders && tag == QLatin1String("frmRemind"))
            reminders->reloadColumns();
    });
    chooser.exec();
}

void installCommands(TfrmMain& main)
{
    TfrmMain* m = &main;
    main.setCustomerWindow([m] { openCustomerWindow(*m); });
    main.setCustomerShown([m](qint64 id) { openCustomerWindow(*m)->showCustomer(id); });
    main.setMachineShown(
        [m](const QString& goodsCode) { showMachineHistory(m, goodsCode, Operation::OpenCustomerWindow); });
    main.setReminderWindow([m] { openReminders(m); });
    main.setCommand(QStringLiteral("actremind"), [m] { openReminders(m); });
    main.setCommand(QStringLiteral("actRemindCenter"), [m] { openReminderCenter(m); });
    main.setCommand(QStringLiteral("actStatistics"), [m] { openStatistics(m); });
    main.setCommand(QStringLiteral("actche"), [m] { showModal<TfrmOption>(m, [](TfrmOption&) {}); });
    main.setCommand(QStringLiteral("actCustM"), [m] { openCustomerWindow(*m); });
    main.setCommand(QStringLiteral("actService"), [m] { openJournalList<TfrmServerqry>(m); });
    main.setCommand(QStringLiteral("actCall"), [m] { openJournalList<TfrmCellqry>(m); });
    main.setCommand(QStringLiteral("actcomplain"), [m] { openJournalList<TfrmComplainqry>(m); });
    main.setCommand(QStringLiteral("actType"), [m] {
        showModal<TfrmCoustTree>(m, [](TfrmCoustTree& editor) { editor.FManage = true; });
    });
    main.setCommand(QStringLiteral("actpopedom"), [m] { showModal<TfrmUserQx>(m, [](TfrmUserQx&) {}); });
    main.setCommand(QStringLiteral("actdatabase"), [m] { showModal<TfrmBackUP>(m, [](TfrmBackUP&) {}); });
    main.setCommand(QStringLiteral("N27"), [m] { showModal<TfrmClearData>(m, [](TfrmClearData&) {}); });
    main.setCommand(QStringLiteral("actexport"), [m] { exportCustomers(*m); });
    for (const auto& [action, report] :
         {std::pair{"actCustsheet", kCustomerSheetReport}, std::pair{"actcensus", kCustomerListReport},
          std::pair{"actEnvelope", kEnvelopeReport}, std::pair{"actlabel", kLabelReport}}) {
        const QString file = QString::fromUtf8(report);
        main.setCommand(QString::fromLatin1(action), [m, file] { previewReport(m, file); });
    }
    // "客户统计列表设置" designs the dispatch sheet; the customer list is designed by "客户列表设置".
    for (const auto& [item, report] :
         {std::pair{"N25", kCustomerSheetReport}, std::pair{"N32", kWorkOrderReport},
          std::pair{"N33", kEnvelopeReport}, std::pair{"N34", kCustomerListReport},
          std::pair{"N35", kLabelReport}}) {
        const QString file = QString::fromUtf8(report);
        main.setCommand(QString::fromLatin1(item), [m, file] { designReport(m, file); });
    }
    main.setCommand(QStringLiteral("actLead"), [m] {
        showModal<TfrmImport>(m, [](TfrmImport& window) { window.FTableName = QStringLiteral("T_cust"); });
    });
}

} // namespace zu
