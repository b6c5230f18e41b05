#include "tfrmcustom.h"

#include "categorycodes.h"
#include "customeredits.h"
#include "customersearch.h"
#include "dicttree.h"
#include "tfrmcousttree.h"
#include "tfrmcustomadd.h"
#include "tfrmselect.h"
#include "ui_tfrmcustom.h"

#include "columns/gridcolumns.h"
#include "columns/listgrid.h"
#include "data/datamodule.h"
#include "users/permissions.h"
#include "widgets/dialogs.h"
#include "widgets/guard.h"
#include "widgets/icons.h"

#include <QMenu>
#include <QTableView>
#include <utility>

namespace zu {

namespace {

QPointer<TfrmCustom> g_customWindow;

const QString kCustomerLayout = QStringLiteral("T_Cust_show");

QString today()
{
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace

// One detail tab: its list, grid, commands and layouts.
struct TfrmCustom::DetailTab
{
    DataSet* list;
    ListGrid* grid;
    QString loadLayout, saveLayout, chooserLayout, chooserCaller, exportTitle;
    std::function<void(QWidget*, bool)> CustomerWindowCommands::*editor;
    Operation change; // what adding, changing and deleting the tab's records takes
    QAbstractButton *add, *edit, *del, *exportButton;
    QAction *addItem, *editItem, *delItem, *chooserItem, *saveItem;
};

TfrmCustom* TfrmCustom::instance()
{
    return g_customWindow.data();
}

QPointer<TfrmCustom>& TfrmCustom::reference()
{
    return g_customWindow;
}

TfrmCustom::TfrmCustom(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TfrmCustom>())
{
    ui->setupUi(this);
    onFirstShow(this, [this] { FormShow(); });
    ui->Splitter1->setSizes({161, 800});
    ui->Splitter2->setStretchFactor(0, 3);
    ui->Splitter2->setStretchFactor(1, 1);
    ui->PageControl1->setMinimumHeight(227);

    bind(ui->btnInsert, [this] { btnInsertClick(); });
    bind(ui->N22, [this] { btnInsertClick(); });
    bind(ui->ToolButton2, [this] { ToolButton2Click(); });
    bind(ui->N23, [this] { ToolButton2Click(); });
    bind(ui->ToolButton1, [this] { ToolButton1Click(); });
    bind(ui->N34, [this] { ToolButton1Click(); });
    bind(ui->ToolButton3, [this] { ToolButton3Click(); });
    bind(ui->shuaxin, [this] { refreshCustomers(); });
    bind(ui->ToolButton4, [this] { exportCustomers(); });
    bind(ui->Excel1, [this] { exportCustomers(); });
    bind(ui->N29, [this] {
        if (m_commands.printWorkOrder)
            m_commands.printWorkOrder(this);
    });
    bind(ui->N11, [this] {
        if (m_commands.chooseColumns)
            m_commands.chooseColumns(this, kCustomerLayout, QStringLiteral("frmCustom"));
    });
    bind(ui->ing1, [this] { SaveGridColumns(ui->dgCustom, kCustomerLayout); });
    bind(ui->N1, [this] { RefreshCategoryTree(); });
    bind(ui->N10, [this] { openCategoryEditor(); });
    connect(ui->ToolButton7, &QAbstractButton::clicked, this, [this] {
        if (QWidget* frame = parentWidget(); frame && frame->inherits("QMdiSubWindow"))
            frame->close();
        else
            close();
    });
    onSignal(ui->tvCuston, &QTreeWidget::itemClicked, this, [this] { tvCustonClick(); });
    onSignal(ui->dgCustom, &ListGrid::doubleClicked, this, [this] {
        if (mayUse(Operation::ChangeCustomers))
            ToolButton2Click();
    });
    onSignal(ui->dgCustom, &ListGrid::clicked, this, [this] { dgCustomCellClick(); });
    // Another window changed the categories (the category editor, the data initialization).
    onSignal(&zu::data(), &TfrmData::tableChanged, this, [this](const QString& table) {
        if (table.compare(QLatin1String("T_Dict_cate"), Qt::CaseInsensitive) == 0)
            RefreshCategoryTree();
    });

    m_historyAction = new QAction(QStringLiteral("机器档案"), this);
    m_historyAction->setObjectName(QStringLiteral("actMachineHistory"));
    bind(m_historyAction, [this] { showMachineHistory(nullptr); });
    connect(ui->dgCustom, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addActions({ui->N22, ui->N23, ui->N34});
        menu.addSeparator();
        menu.addActions({ui->N29, ui->Excel1});
        menu.addSeparator();
        menu.addActions({ui->N11, ui->ing1});
        menu.addSeparator();
        menu.addAction(m_historyAction);
        menu.exec(ui->dgCustom->mapToGlobal(at));
    });
    connect(ui->tvCuston, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addActions({ui->N1, ui->N10});
        menu.exec(ui->tvCuston->viewport()->mapToGlobal(at));
    });
    wireDetailTabs();
    setCommandIcons();
    updateCommands();
}

TfrmCustom::~TfrmCustom() = default;

void TfrmCustom::setCommandIcons()
{
    const QList<QPair<QAbstractButton*, CommandIcon>> buttons{
        {ui->btnInsert, CommandIcon::Add},           {ui->ToolButton2, CommandIcon::Edit},
        {ui->ToolButton1, CommandIcon::Delete},      {ui->ToolButton3, CommandIcon::Find},
        {ui->ToolButton4, CommandIcon::Spreadsheet}, {ui->shuaxin, CommandIcon::Refresh},
        {ui->ToolButton7, CommandIcon::Close}};
    for (const auto& [button, icon] : buttons)
        button->setIcon(commandIcon(icon));
    const QList<QPair<QAction*, CommandIcon>> items{
        {ui->N22, CommandIcon::Add},     {ui->N23, CommandIcon::Edit},
        {ui->N34, CommandIcon::Delete},  {ui->Excel1, CommandIcon::Spreadsheet},
        {ui->N11, CommandIcon::Columns}, {ui->N10, CommandIcon::Categories},
        {ui->N1, CommandIcon::Refresh}};
    for (const auto& [item, icon] : items)
        item->setIcon(commandIcon(icon));
    for (const DetailTab& tab : m_tabs) {
        for (const auto& [button, icon] :
             {std::pair{tab.add, CommandIcon::Add}, std::pair{tab.edit, CommandIcon::Edit},
              std::pair{tab.del, CommandIcon::Delete}, std::pair{tab.exportButton, CommandIcon::Spreadsheet}})
            button->setIcon(commandIcon(icon));
        for (const auto& [item, icon] :
             {std::pair{tab.addItem, CommandIcon::Add}, std::pair{tab.editItem, CommandIcon::Edit},
              std::pair{tab.delItem, CommandIcon::Delete}, std::pair{tab.chooserItem, CommandIcon::Columns}})
            item->setIcon(commandIcon(icon));
    }
}

void TfrmCustom::bind(QAbstractButton* button, std::function<void()> body)
{
    onSignal(button, &QAbstractButton::clicked, this, std::move(body));
}

void TfrmCustom::bind(QAction* action, std::function<void()> body)
{
    onSignal(action, &QAction::triggered, this, std::move(body));
}

void TfrmCustom::wireDetailTabs()
{
    TfrmData& d = zu::data();
    m_tabs = {
        {
            .list = &d.qryServiceCust(),
            .grid = ui->dgServiceCust,
            .loadLayout = QStringLiteral("T_Serviceshowcust"),
            .saveLayout = QStringLiteral("T_serviceshowcust"),
            .chooserLayout = QStringLiteral("t_Serviceshowcust"),
            .chooserCaller = QStringLiteral("frmCustomService"),
            .exportTitle = QStringLiteral("维修记录"),
            .editor = &CustomerWindowCommands::serviceEditor,
            .change = Operation::ChangeServices,
            .add = ui->ToolButton8,
            .edit = ui->ToolButton9,
            .del = ui->ToolButton10,
            .exportButton = ui->ToolButton11,
            .addItem = ui->N2,
            .editItem = ui->N3,
            .delItem = ui->N4,
            .chooserItem = ui->N13,
            .saveItem = ui->N19,
        },
        {
            .list = &d.qryCallCust(),
            .grid = ui->dgcallCust,
            .loadLayout = QStringLiteral("T_callshowCust"),
            .saveLayout = QStringLiteral("T_callshowCust"),
            .chooserLayout = QStringLiteral("T_callshowCust"),
            .chooserCaller = QStringLiteral("frmCustomcall"),
            .exportTitle = QStringLiteral("回访信息"),
            .editor = &CustomerWindowCommands::callEditor,
            .change = Operation::ChangeCalls,
            .add = ui->ToolButton12,
            .edit = ui->ToolButton13,
            .del = ui->ToolButton14,
            .exportButton = ui->ToolButton15,
            .addItem = ui->N5,
            .editItem = ui->N6,
            .delItem = ui->N7,
            .chooserItem = ui->N16,
            .saveItem = ui->N20,
        },
        {
            .list = &d.qryComplainCust(),
            .grid = ui->dgcomplainCust,
            .loadLayout = QStringLiteral("T_complainCust"),
            .saveLayout = QStringLiteral("T_complainCust"),
            .chooserLayout = QStringLiteral("T_complainCust"),
            .chooserCaller = QStringLiteral("frmCustomcomplain"),
            .exportTitle = QStringLiteral("投诉信息"),
            .editor = &CustomerWindowCommands::complainEditor,
            .change = Operation::ChangeComplaints,
            .add = ui->ToolButton16,
            .edit = ui->ToolButton17,
            .del = ui->ToolButton18,
            .exportButton = ui->ToolButton19,
            .addItem = ui->xi1,
            .editItem = ui->N8,
            .delItem = ui->N9,
            .chooserItem = ui->N18,
            .saveItem = ui->N21,
        },
    };
    for (const DetailTab& tab : m_tabs) {
        const DetailTab* t = &tab;
        bind(tab.add, [this, t] { detailAdd(*t); });
        bind(tab.addItem, [this, t] { detailAdd(*t); });
        bind(tab.edit, [this, t] { detailEdit(*t); });
        bind(tab.editItem, [this, t] { detailEdit(*t); });
        bind(tab.del, [this, t] { detailDelete(*t); });
        bind(tab.delItem, [this, t] { detailDelete(*t); });
        bind(tab.exportButton, [this, t] {
            if (m_commands.exportList)
                m_commands.exportList(this, *t->list, t->grid, t->exportTitle + today());
        });
        bind(tab.chooserItem, [this, t] {
            if (m_commands.chooseColumns)
                m_commands.chooseColumns(this, t->chooserLayout, t->chooserCaller);
        });
        bind(tab.saveItem, [t] { SaveGridColumns(t->grid, t->saveLayout); });
        onSignal(tab.grid, &ListGrid::doubleClicked, this, [this, t] {
            if (t->edit->isEnabled())
                detailEdit(*t);
        });
        connect(tab.grid, &QWidget::customContextMenuRequested, this, [this, t](const QPoint& at) {
            QMenu menu(this);
            menu.addActions({t->addItem, t->editItem, t->delItem});
            menu.addSeparator();
            menu.addActions({t->chooserItem, t->saveItem});
            menu.addSeparator();
            // Service records name their unit; visits and complaints are about the customer's.
            QAction* history = menu.addAction(QStringLiteral("机器档案"));
            history->setEnabled(m_historyAction->isEnabled());
            const DataSet* services = t->list == &zu::data().qryServiceCust() ? t->list : nullptr;
            bind(history, [this, services] { showMachineHistory(services); });
            menu.exec(t->grid->mapToGlobal(at));
        });
    }
}

void TfrmCustom::setCommands(CustomerWindowCommands commands)
{
    m_commands = std::move(commands);
    updateCommands();
}

// A command is offered when the program provides it and the logged-in user may use it; a
// command the user may not use is greyed, its menu item and key included.
void TfrmCustom::showMachineHistory(const DataSet* serviceRecords)
{
    if (!m_commands.machineHistory)
        return;
    QString code;
    if (serviceRecords && serviceRecords->isOpen() && serviceRecords->currentRow() >= 0)
        code = serviceRecords->fieldText(QStringLiteral("GoodsCode")).trimmed();
    const DataSet& customers = zu::data().qryCustom();
    if (code.isEmpty() && customers.isOpen() && customers.currentRow() >= 0)
        code = customers.fieldText(QStringLiteral("GoodsCode"));
    m_commands.machineHistory(this, code);
}

void TfrmCustom::updateCommands()
{
    m_historyAction->setEnabled(bool(m_commands.machineHistory));
    const bool canExport = bool(m_commands.exportList) && mayUse(Operation::ExportList);
    const bool canChoose = bool(m_commands.chooseColumns);
    const bool canChange = mayUse(Operation::ChangeCustomers);
    for (QAbstractButton* b : {ui->btnInsert, ui->ToolButton2, ui->ToolButton1})
        b->setEnabled(canChange);
    for (QAction* a : {ui->N22, ui->N23, ui->N34})
        a->setEnabled(canChange);
    ui->N10->setEnabled(mayUse(Operation::ManageCategories));
    ui->ToolButton4->setEnabled(canExport);
    ui->Excel1->setEnabled(canExport);
    ui->N29->setEnabled(bool(m_commands.printWorkOrder));
    ui->N11->setEnabled(canChoose);
    for (const DetailTab& tab : m_tabs) {
        const bool mayChange = mayUse(tab.change);
        const bool hasEditor = bool(m_commands.*tab.editor) && mayChange;
        for (QAbstractButton* b : {tab.add, tab.edit})
            b->setEnabled(hasEditor);
        tab.addItem->setEnabled(hasEditor);
        tab.editItem->setEnabled(hasEditor);
        tab.del->setEnabled(mayChange);
        tab.delItem->setEnabled(mayChange);
        tab.exportButton->setEnabled(canExport);
        tab.chooserItem->setEnabled(canChoose);
    }
}

ListGrid* TfrmCustom::dgCustom() const
{
    return ui->dgCustom;
}

ListGrid* TfrmCustom::dgServiceCust() const
{
    return ui->dgServiceCust;
}

ListGrid* TfrmCustom::dgcallCust() const
{
    return ui->dgcallCust;
}

ListGrid* TfrmCustom::dgcomplainCust() const
{
    return ui->dgcomplainCust;
}

void TfrmCustom::FormShow()
{
    RefreshCategoryTree();
    setWindowTitle(QStringLiteral("客户管理"));
    TfrmData& d = zu::data();
    // The detail lists follow the current customer from here on.
    for (const DetailTab& tab : m_tabs)
        LoadGridColumns(tab.grid, tab.list, tab.loadLayout);
    LoadGridColumns(ui->dgCustom, &d.qryCustom(), kCustomerLayout);
    d.qryCustom().open();
    m_shown = true;
    if (const std::optional<qint64> id = std::exchange(m_customerToShow, std::nullopt))
        showCustomer(*id);
}

void TfrmCustom::showCustomer(qint64 id)
{
    if (!m_shown) {
        m_customerToShow = id;
        return;
    }
    DataSet& customers = zu::data().qryCustom();
    if (!customers.isOpen() || !customers.locateKey(id)) {
        refreshCustomers();
        if (!customers.locateKey(id)) {
            dialogs().inform(this, QStringLiteral("提示"), QStringLiteral("该客户已被删除。"));
            return;
        }
    }
    ui->dgCustom->setFocus();
}

void TfrmCustom::RefreshCategoryTree()
{
    LoadDictTree(ui->tvCuston, QStringLiteral("用户类别"), QStringLiteral("用户类别"));
    ui->tvCuston->setCurrentItem(ui->tvCuston->topLevelItem(0));
    ui->tvCuston->setEnabled(true);
}

void TfrmCustom::tvCustonClick()
{
    const QTreeWidgetItem* node = ui->tvCuston->currentItem();
    DataSet& customers = zu::data().qryCustom();
    openCustomersOfCategory(customers, node ? codeFromNodeText(node->text(0)) : QString());
    LoadGridColumns(ui->dgCustom, &customers, QStringLiteral("T_CUST_Show"));
}

void TfrmCustom::dgCustomCellClick()
{
    // Even the current row: the customer and its three detail lists are read again, so that
    // they show what other windows and workstations stored meanwhile.
    zu::data().qryCustom().reloadCurrentRow();
}

void TfrmCustom::refreshCustomers()
{
    DataSet& customers = zu::data().qryCustom();
    customers.open();
    LoadGridColumns(ui->dgCustom, &customers, kCustomerLayout);
}

void TfrmCustom::btnInsertClick()
{
    requirePermission(Operation::ChangeCustomers);
    TfrmCustomAdd editor(this);
    editor.FIsAdd = true;
    editor.exec();
}

void TfrmCustom::ToolButton2Click()
{
    if (zu::data().qryCustom().currentRow() < 0)
        return;
    requirePermission(Operation::ChangeCustomers);
    TfrmCustomAdd editor(this);
    editor.FIsAdd = false;
    editor.exec();
}

void TfrmCustom::ToolButton1Click()
{
    requirePermission(Operation::ChangeCustomers);
    TfrmData& d = zu::data();
    DataSet& customers = d.qryCustom();
    const QString name =
        customers.currentRow() >= 0 ? customers.fieldText(QStringLiteral("CustName")) : QString();
    if (!dialogs().askYesNo(this, QStringLiteral("提示"),
                            QStringLiteral("您确定要删除'") + name +
                                QStringLiteral("'吗？将删除当前记录所有的相关内容！"),
                            QMessageBox::Information))
        return;
    if (customers.currentRow() < 0)
        return;
    deleteCustomer(customers);
}

void TfrmCustom::ToolButton3Click()
{
    TfrmSelect search(this);
    search.exec();
}

void TfrmCustom::openCategoryEditor()
{
    requirePermission(Operation::ManageCategories);
    TfrmCoustTree editor(this);
    editor.FManage = true;
    editor.exec();
}

void TfrmCustom::exportCustomers()
{
    if (m_commands.exportList)
        m_commands.exportList(this, zu::data().qryCustom(), ui->dgCustom,
                              QStringLiteral("客户信息") + today());
}

void TfrmCustom::detailAdd(const DetailTab& tab)
{
    requirePermission(tab.change);
    if (const auto& open = m_commands.*tab.editor)
        open(this, true);
}

void TfrmCustom::detailEdit(const DetailTab& tab)
{
    // Without a current record there is nothing to change: an edit would insert an unchecked row.
    if (tab.list->currentRow() < 0)
        return;
    requirePermission(tab.change);
    if (const auto& open = m_commands.*tab.editor)
        open(this, false);
}

void TfrmCustom::detailDelete(const DetailTab& tab)
{
    requirePermission(tab.change);
    DataSet& list = *tab.list;
    const QString name = list.currentRow() >= 0 ? list.fieldText(QStringLiteral("CustName")) : QString();
    if (!dialogs().askYesNo(this, QStringLiteral("提示"),
                            QStringLiteral("您确定要删除'") + name + QStringLiteral("'信息吗？"),
                            QMessageBox::Information))
        return;
    if (list.currentRow() >= 0)
        list.deleteCurrent();
}

void TfrmCustom::reloadColumns(const QString& caller)
{
    if (caller == QLatin1String("frmCustom")) {
        // The chooser shows every customer again with the new columns.
        DataSet& customers = zu::data().qryCustom();
        customers.open();
        LoadGridColumns(ui->dgCustom, &customers, kCustomerLayout);
        return;
    }
    for (const DetailTab& tab : m_tabs)
        if (tab.chooserCaller == caller)
            LoadGridColumns(tab.grid, tab.list, tab.loadLayout);
}

} // namespace zu
