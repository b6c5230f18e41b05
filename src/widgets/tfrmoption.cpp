#include "tfrmoption.h"

#include "data/datamodule.h"
#include "data/errors.h"
#include "data/lookuplists.h"
#include "guard.h"
#include "lookuplistmodel.h"
#include "ui_tfrmoption.h"

#include <QHeaderView>

namespace zu {

namespace {

const char* const kPages[] = {"开单批号", "  型号  ", "  赠品  ", " 安装部 ", "故障原因",
                              " 业务员 ", " 工程师 ", "购买地点", "投诉级别", " 操作员 "};
constexpr int kFirstPage = 7; // 购买地点

} // namespace

QString TfrmOption::listName(const QString& pageCaption)
{
    return pageCaption.trimmed();
}

TfrmOption::TfrmOption(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmOption>()),
      m_model(new LookupListModel(&zu::data().qryCombo(), this))
{
    ui->setupUi(this);
    for (const char* page : kPages)
        ui->PageControl1->addTab(QString::fromUtf8(page));
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
    onSignal(ui->PageControl1, &QTabBar::currentChanged, this, [this] { openList(); });
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

void TfrmOption::openList()
{
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
    ui->ToolButton16->setEnabled(!browsing);
    ui->ToolButton17->setEnabled(!browsing);
    ui->ToolButton20->setEnabled(browsing || exitEnabled);
}

void TfrmOption::add()
{
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
    zu::data().qryCombo().cancel();
    setBrowsing(true);
}

void TfrmOption::remove()
{
    DataSet& values = zu::data().qryCombo();
    if (values.currentRow() >= 0)
        values.deleteCurrent();
}

} // namespace zu
