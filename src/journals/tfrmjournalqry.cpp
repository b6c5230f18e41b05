#include "tfrmjournalqry.h"

#include "journallist.h"
#include "machinehistory.h"
#include "tfrmmachinehistory.h"
#include "ui_tfrmjournalqry.h"

#include "columns/columnlayout.h"
#include "columns/gridcolumns.h"
#include "columns/listgrid.h"
#include "data/datamodule.h"
#include "data/datasetfilters.h"
#include "data/errors.h"
#include "widgets/dialogs.h"
#include "widgets/formroutines.h"
#include "widgets/guard.h"
#include "widgets/icons.h"

#include <QMenu>

namespace zu {

TfrmJournalqry::TfrmJournalqry(QWidget* parent, const JournalListKind& kind)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmJournalqry>()), m_kind(kind)
{
    ui->setupUi(this);
    onFirstShow(this, [this] { FormShow(); });
    setWindowTitle(kind.caption);
    // The controls carry the names this journal's window gives them.
    ui->grid->setObjectName(QString::fromLatin1(kind.gridName));
    ui->cmbField->setObjectName(QString::fromLatin1(kind.fieldBoxName));
    ui->edtKeyword->setObjectName(QString::fromLatin1(kind.keyBoxName));
    ui->btnSearch->setObjectName(QString::fromLatin1(kind.searchButtonName));
    ui->btnClose->setObjectName(QString::fromLatin1(kind.closeButtonName));
    ui->btnClose->setText(kind.closeCaption);
    ui->btndaochu->setText(kind.exportButtonCaption);
    ui->actExport->setText(kind.exportItemCaption);
    ui->actChooseColumns->setText(kind.chooserItemCaption);
    ui->StatusBar1->setVisible(kind.statusBar);
    if (kind.fixedSize)
        setFixedSize(795, 566);
    else
        resize(800, 600);

    const QList<QPair<QToolButton*, CommandIcon>> icons{{ui->btnAdd, CommandIcon::Add},
                                                        {ui->btnupdate, CommandIcon::Edit},
                                                        {ui->btnDel, CommandIcon::Delete},
                                                        {ui->btndaochu, CommandIcon::Spreadsheet},
                                                        {ui->btnClose, CommandIcon::Close}};
    for (const auto& [button, icon] : icons)
        button->setIcon(commandIcon(icon));

    onSignal(ui->btnAdd, &QToolButton::clicked, this, [this] { edit(true); });
    onSignal(ui->actAdd, &QAction::triggered, this, [this] { edit(true); });
    onSignal(ui->btnupdate, &QToolButton::clicked, this, [this] { edit(false); });
    onSignal(ui->actUpdate, &QAction::triggered, this, [this] { edit(false); });
    onSignal(ui->grid, &ListGrid::doubleClicked, this, [this] {
        if (mayUse(m_kind.change))
            edit(false);
    });
    onSignal(ui->btnDel, &QToolButton::clicked, this, [this] { deleteRecord(); });
    onSignal(ui->actDelete, &QAction::triggered, this, [this] { deleteRecord(); });
    onSignal(ui->btndaochu, &QToolButton::clicked, this, [this] { exportList(); });
    onSignal(ui->actExport, &QAction::triggered, this, [this] { exportList(); });
    onSignal(ui->btnSearch, &QPushButton::clicked, this, [this] { search(); });
    // A Yes/No column (在保) is searched by what the list shows for it.
    onSignal(ui->cmbField, &QComboBox::currentTextChanged, this, [this](const QString& title) {
        const QString field = title.isEmpty() ? QString() : fieldOfTitle(zu::data().qryTemp(), title);
        const bool yesNo = !field.isEmpty() && isYesNoField(list(), field);
        ui->edtKeyword->setPlaceholderText(yesNo ? QStringLiteral("是 或 否") : QString());
    });
    onSignal(ui->actSaveColumns, &QAction::triggered, this,
             [this] { SaveGridColumns(ui->grid, m_kind.layout); });
    onSignal(ui->actChooseColumns, &QAction::triggered, this, [this] {
        if (m_commands.chooseColumns)
            m_commands.chooseColumns(this, m_kind.layout, m_kind.chooserTag);
    });
    connect(ui->btnClose, &QToolButton::clicked, this, &QDialog::accept);
    m_historyAction = new QAction(QStringLiteral("机器档案"), this);
    m_historyAction->setObjectName(QStringLiteral("actMachineHistory"));
    onSignal(m_historyAction, &QAction::triggered, this, [this] { showHistory(); });
    connect(ui->grid, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addActions({ui->actAdd, ui->actUpdate, ui->actDelete, ui->actExport});
        menu.addSeparator();
        menu.addActions({ui->actChooseColumns, ui->actSaveColumns});
        menu.addSeparator();
        menu.addAction(m_historyAction);
        menu.exec(ui->grid->mapToGlobal(at));
    });
    updateCommands();
}

TfrmJournalqry::~TfrmJournalqry() = default;

ListGrid* TfrmJournalqry::grid() const
{
    return ui->grid;
}

DataSet& TfrmJournalqry::list() const
{
    return (zu::data().*m_kind.list)();
}

void TfrmJournalqry::setCommands(JournalListCommands commands)
{
    m_commands = std::move(commands);
    updateCommands();
}

void TfrmJournalqry::showHistory()
{
    DataSet& records = list();
    if (!records.isOpen() || records.currentRow() < 0)
        return;
    const QString own = records.fieldIndex(QStringLiteral("GoodsCode")) >= 0
                            ? records.fieldText(QStringLiteral("GoodsCode"))
                            : QString();
    const Operation opener = &m_kind == &JournalListKind::service() ? Operation::OpenServices
                             : &m_kind == &JournalListKind::call()  ? Operation::OpenCalls
                                                                    : Operation::OpenComplaints;
    showMachineHistory(
        this, machineCodeOf(zu::data().conn(), own, records.fieldText(QStringLiteral("CustCode"))), opener);
}

void TfrmJournalqry::updateCommands()
{
    const bool canExport = bool(m_commands.exportList) && mayUse(Operation::ExportList);
    ui->btndaochu->setEnabled(canExport);
    ui->actExport->setEnabled(canExport);
    ui->actChooseColumns->setEnabled(bool(m_commands.chooseColumns));
    const bool canChange = mayUse(m_kind.change);
    for (QWidget* w : std::initializer_list<QWidget*>{ui->btnAdd, ui->btnupdate, ui->btnDel})
        w->setEnabled(canChange);
    for (QAction* a : {ui->actAdd, ui->actUpdate, ui->actDelete})
        a->setEnabled(canChange);
}

void TfrmJournalqry::FormShow()
{
    const QDate today = QDate::currentDate();
    ui->edtBeginDate->setDate(QDate(today.year(), today.month(), 1));
    ui->edtEndDate->setDate(today);
    reloadColumns();
    ui->edtKeyword->clear();
    ui->cmbField->clear();
    ui->cmbField->addItems(layoutTitles(zu::data().qryTemp(), m_kind.layout));
    ui->cmbField->setCurrentIndex(-1);
}

void TfrmJournalqry::reloadColumns()
{
    list().open();
    LoadGridColumns(ui->grid, &list(), m_kind.layout);
}

void TfrmJournalqry::search()
{
    const QString field = fieldOfTitle(zu::data().qryTemp(), ui->cmbField->currentText());
    DataSet& records = list();
    if (ui->edtKeyword->text().isEmpty()) {
        openDated(records, m_kind.dateColumn, ui->edtBeginDate->date(), ui->edtEndDate->date(),
                  m_kind.dateColumn + QStringLiteral(" desc"));
        return;
    }
    RequireText(ui->cmbField, ui->cmbField->currentText(), QStringLiteral("请选择一个查询条件！"));
    const int position = records.fieldIndex(field);
    if (field.isEmpty() || (records.isOpen() && position < 0)) {
        dialogs().message(
            this, QStringLiteral("系统提示"),
            QStringLiteral("“%1”不是可以查询的选项，请重新选择！").arg(ui->cmbField->currentText()),
            QMessageBox::Question, QMessageBox::Ok, QMessageBox::Ok);
        ui->cmbField->setFocus();
        return;
    }
    openStartingWith(records, field, ui->edtKeyword->text());
}

void TfrmJournalqry::deleteRecord()
{
    requirePermission(m_kind.change);
    DataSet& records = list();
    const QString name =
        records.currentRow() >= 0 ? records.fieldText(QStringLiteral("CustName")) : QString();
    if (!dialogs().askYesNo(this, QStringLiteral("提示"),
                            QStringLiteral("您确定要删除'") + name + m_kind.deleteQuestionEnd,
                            QMessageBox::Information))
        return;
    if (records.currentRow() >= 0)
        records.deleteCurrent();
}

void TfrmJournalqry::edit(bool isAdd)
{
    // Without a current record there is nothing to change.
    if (!isAdd && list().currentRow() < 0)
        return;
    requirePermission(m_kind.change);
    m_kind.openEditor(this, isAdd);
}

void TfrmJournalqry::exportList()
{
    if (m_commands.exportList)
        m_commands.exportList(this, list(), ui->grid,
                              m_kind.exportTitle +
                                  QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
}

TfrmServerqry::TfrmServerqry(QWidget* parent) : TfrmJournalqry(parent, JournalListKind::service()) {}

TfrmCellqry::TfrmCellqry(QWidget* parent) : TfrmJournalqry(parent, JournalListKind::call()) {}

TfrmComplainqry::TfrmComplainqry(QWidget* parent) : TfrmJournalqry(parent, JournalListKind::complain()) {}

} // namespace zu
