#include "tfrmoption.h"

#include "data/datamodule.h"
#include "data/errors.h"
#include "data/lookuplists.h"
#include "data/warrantyterms.h"
#include "dialogs.h"
#include "guard.h"
#include "lookuplistmodel.h"
#include "ui_tfrmoption.h"

#include <QHeaderView>
#include <QStandardItemModel>

#include <iterator>

namespace zu {

namespace {

const char* const kPages[] = {"开单批号", "  型号  ", "  赠品  ", " 安装部 ", "故障原因",
                              " 业务员 ", " 工程师 ", "购买地点", "投诉级别", " 操作员 "};
constexpr int kFirstPage = 7; // 购买地点
const char* const kWarrantyPage = " 保修期 ";
constexpr int kWarrantyPageIndex = int(std::size(kPages));

} // namespace

QString TfrmOption::listName(const QString& pageCaption)
{
    return pageCaption.trimmed();
}

TfrmOption::TfrmOption(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmOption>()),
      m_model(new LookupListModel(&zu::data().qryCombo(), this)), m_warranty(new QStandardItemModel(this))
{
    ui->setupUi(this);
    for (const char* page : kPages)
        ui->PageControl1->addTab(QString::fromUtf8(page));
    ui->PageControl1->addTab(QString::fromUtf8(kWarrantyPage));
    m_warranty->setHorizontalHeaderLabels({QStringLiteral("型号"), QStringLiteral("保修月数")});
    ui->grdWarranty->setModel(m_warranty);
    ui->grdWarranty->setColumnWidth(0, 200);
    ui->grdWarranty->verticalHeader()->setDefaultSectionSize(22);
    ui->PageControl1->setCurrentIndex(kFirstPage);
    ui->DBGridEh1->setModel(m_model);
    ui->DBGridEh1->setColumnWidth(0, 120);
    ui->DBGridEh1->verticalHeader()->setDefaultSectionSize(22);
    ui->DBGridEh1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                   QAbstractItemView::AnyKeyPressed);
    // The grid's current row is the list's current value.
    connect(ui->DBGridEh1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& i) {
                DataSet& values = zu::data().qryCombo();
                if (i.isValid() && i.row() < values.recordCount() && values.state() == DataSet::State::Browse)
                    values.setCurrentRow(i.row());
            });
    onSignal(ui->PageControl1, &QTabBar::currentChanged, this, [this] {
        setBrowsing(true);
        openList();
    });
    auto on = [this](QToolButton* b, void (TfrmOption::*slot)()) {
        onSignal(b, &QToolButton::clicked, this, [this, slot] { (this->*slot)(); });
    };
    on(ui->ToolButton13, &TfrmOption::add);
    on(ui->ToolButton14, &TfrmOption::edit);
    on(ui->ToolButton15, &TfrmOption::remove);
    on(ui->ToolButton16, &TfrmOption::save);
    on(ui->ToolButton17, &TfrmOption::cancel);
    on(ui->ToolButton19, &TfrmOption::openList);
    connect(ui->ToolButton20, &QToolButton::clicked, this, &QDialog::reject);
    setBrowsing(true);
    guarded(this, [this] { openList(); });
}

TfrmOption::~TfrmOption()
{
    // A pending value is dropped with the window.
    if (hasDataModule())
        zu::data().qryCombo().cancel();
}

QString TfrmOption::currentList() const
{
    return listName(ui->PageControl1->tabText(ui->PageControl1->currentIndex()));
}

bool TfrmOption::onWarrantyPage() const
{
    return ui->PageControl1->currentIndex() == kWarrantyPageIndex;
}

void TfrmOption::openList()
{
    ui->stkPages->setCurrentWidget(onWarrantyPage() ? ui->pgWarranty : ui->pgList);
    if (onWarrantyPage()) {
        loadWarranty();
        return;
    }
    TfrmData& d = zu::data();
    m_model->setTitle(currentList());
    openLookupList(d.qryCombo(), currentList());
    if (d.qryCombo().currentRow() >= 0)
        ui->DBGridEh1->setCurrentIndex(m_model->index(d.qryCombo().currentRow(), 0));
}

void TfrmOption::setBrowsing(bool browsing, bool exitEnabled)
{
    m_model->setEditable(!browsing);
    ui->PageControl1->setEnabled(browsing);
    for (QToolButton* b : {ui->ToolButton13, ui->ToolButton14, ui->ToolButton15, ui->ToolButton19})
        b->setEnabled(browsing);
    // The warranty page lists the models of the list 型号: they are added and deleted there.
    ui->ToolButton13->setEnabled(browsing && !onWarrantyPage());
    ui->ToolButton15->setEnabled(browsing && !onWarrantyPage());
    ui->seDefaultMonths->setEnabled(!browsing);
    ui->grdWarranty->setEditTriggers(browsing ? QAbstractItemView::NoEditTriggers
                                              : QAbstractItemView::DoubleClicked |
                                                    QAbstractItemView::EditKeyPressed |
                                                    QAbstractItemView::AnyKeyPressed);
    ui->ToolButton16->setEnabled(!browsing);
    ui->ToolButton17->setEnabled(!browsing);
    ui->ToolButton20->setEnabled(browsing || exitEnabled);
}

void TfrmOption::add()
{
    if (onWarrantyPage())
        return;
    DataSet& values = zu::data().qryCombo();
    values.append();
    values.setField(QStringLiteral("table"), currentList());
    setBrowsing(false, true);
    const QModelIndex row = m_model->index(m_model->rowCount() - 1, 0);
    ui->DBGridEh1->setCurrentIndex(row);
    ui->DBGridEh1->edit(row);
}

void TfrmOption::edit()
{
    if (onWarrantyPage()) {
        setBrowsing(false, false);
        ui->grdWarranty->setFocus();
        return;
    }
    DataSet& values = zu::data().qryCombo();
    if (values.currentRow() < 0)
        return; // no value to change
    values.edit();
    setBrowsing(false, false);
    const QModelIndex row = m_model->index(values.currentRow(), 0);
    ui->DBGridEh1->setCurrentIndex(row);
    ui->DBGridEh1->edit(row);
}

void TfrmOption::save()
{
    if (onWarrantyPage()) {
        saveWarranty();
        setBrowsing(true);
        return;
    }
    ui->DBGridEh1->commitPendingEdit(); // a value still being typed goes in first
    DataSet& values = zu::data().qryCombo();
    try {
        values.post();
    } catch (const DbError&) {
        // A value someone else changed or deleted meanwhile was dropped: the list shows the
        // stored one. Otherwise the value stays in the grid to be corrected.
        if (values.state() == DataSet::State::Browse)
            setBrowsing(true);
        throw;
    }
    setBrowsing(true);
}

void TfrmOption::cancel()
{
    if (onWarrantyPage()) {
        loadWarranty();
        setBrowsing(true);
        return;
    }
    zu::data().qryCombo().cancel();
    setBrowsing(true);
}

void TfrmOption::remove()
{
    if (onWarrantyPage())
        return;
    DataSet& values = zu::data().qryCombo();
    if (values.currentRow() >= 0)
        values.deleteCurrent();
}

void TfrmOption::loadWarranty()
{
    Connection& connection = zu::data().conn();
    const WarrantyTerms terms = WarrantyTerms::load(connection);
    ui->seDefaultMonths->setValue(terms.defaultMonths());
    m_warranty->removeRows(0, m_warranty->rowCount());
    for (const QString& model : warrantyModels(connection, terms)) {
        auto* name = new QStandardItem(model);
        name->setEditable(false);
        const std::optional<int> months = terms.listedMonths(model);
        auto* monthsItem = new QStandardItem(months ? QString::number(*months) : QString());
        monthsItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_warranty->appendRow({name, monthsItem});
    }
}

void TfrmOption::saveWarranty()
{
    ui->grdWarranty->commitPendingEdit(); // a number still being typed goes in first
    WarrantyTerms terms(ui->seDefaultMonths->value());
    for (int row = 0; row < m_warranty->rowCount(); ++row) {
        const QString model = m_warranty->item(row, 0)->text();
        const QString text = m_warranty->item(row, 1)->text().trimmed();
        if (text.isEmpty())
            continue;
        bool ok = false;
        const int months = text.toInt(&ok);
        if (!ok || months < 0 || months > WarrantyTerms::kMaxMonths) {
            dialogs().message(this, QStringLiteral("系统提示"),
                              QStringLiteral("型号“%1”的保修月数应为 0 到 %2 之间的整数，或留空。")
                                  .arg(model)
                                  .arg(WarrantyTerms::kMaxMonths),
                              QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok);
            ui->grdWarranty->setCurrentIndex(m_warranty->index(row, 1));
            abortSilently();
        }
        terms.setMonths(model, months);
    }
    terms.save(zu::data().conn());
    loadWarranty();
}

} // namespace zu
