#include "tfrmcustname.h"

#include "categorycodes.h"
#include "customersearch.h"
#include "ui_tfrmcustname.h"

#include "columns/columnlayout.h"
#include "columns/gridcolumns.h"
#include "columns/listgrid.h"
#include "data/datamodule.h"
#include "data/datasetfilters.h"
#include "data/errors.h"
#include "data/routines.h"
#include "widgets/dialogs.h"
#include "widgets/formroutines.h"
#include "widgets/guard.h"

#include <QLineEdit>

namespace zu {

namespace {

// Which boxes of the opener receive the chosen customer's name and code, by caller tag.
struct PickerTarget
{
    const char* caller;
    const char* nameBox;
    const char* codeBox;
};

const PickerTarget kTargets[] = {
    {"frmService", "edtCustname", "edtCustCode"},
    {"frmCell", "edtCustName", "edtCustCode"},
    {"frmComplain", "edtCustname", "edtCustCode"},
};

const QString kLayout = QStringLiteral("T_Cust_show");

} // namespace

TfrmCustname::TfrmCustname(QWidget* opener)
    : QDialog(opener), ui(std::make_unique<Ui::TfrmCustname>()), m_opener(opener)
{
    ui->setupUi(this);
    onFirstShow(this, [this] { FormShow(); });
    onSignal(ui->cmbselect, &QComboBox::activated, this, [this] { cmbselectChange(); });
    onSignal(ui->BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    onSignal(ui->dgselect, &ListGrid::doubleClicked, this, [this] { dgselectDblClick(); });
}

TfrmCustname::~TfrmCustname() = default;

void TfrmCustname::FormShow()
{
    TfrmData& d = zu::data();
    ui->cmbFiled->clear();
    ui->cmbFiled->addItems(layoutTitles(d.F(), kLayout));
    ui->cmbFiled->setCurrentIndex(-1);

    DataSet& list = d.qryselect();
    list.open();
    LoadGridColumns(ui->dgselect, &list, kLayout);
    FillComboFromSql(ui->cmbselect, categoryListStatement(QStringLiteral("用户类别")), 0, QString());
}

void TfrmCustname::cmbselectChange()
{
    openCustomersOfClass(zu::data().qryselect(), ui->cmbselect->currentText());
}

void TfrmCustname::BitBtn1Click()
{
    TfrmData& d = zu::data();
    const QString column = fieldOfTitle(d.F(), ui->cmbFiled->currentText());
    const QString key = ui->edtkey->text();
    if (key.isEmpty())
        return;
    if (ui->cmbFiled->currentText().isEmpty() || column.isEmpty()) {
        dialogs().message(this, QString(), QStringLiteral("请选择一个查询条件"), QMessageBox::NoIcon,
                          QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    DataSet& list = d.qryselect();
    if (list.fieldIndex(column) < 0)
        throw DbError(QStringLiteral("客户表中没有字段 %1").arg(column));
    // The field name comes from the layout table, never from the user; it is still checked above.
    openStartingWith(list, list.fieldName(list.fieldIndex(column)), key);
}

void TfrmCustname::dgselectDblClick()
{
    const DataSet& list = zu::data().qryselect();
    if (list.currentRow() < 0)
        return;
    const PickerTarget* target = nullptr;
    for (const PickerTarget& t : kTargets)
        if (FCaller == QLatin1String(t.caller))
            target = &t;
    if (!target || !m_opener)
        return;
    // The customer of the row that was double-clicked, even when others share its name.
    const QString name = list.fieldText(QStringLiteral("CustName"));
    const QString code = list.fieldText(QStringLiteral("IDCode"));
    if (auto* box = m_opener->findChild<QLineEdit*>(QString::fromLatin1(target->nameBox)))
        box->setText(name);
    if (auto* box = m_opener->findChild<QLineEdit*>(QString::fromLatin1(target->codeBox)))
        box->setText(code);
    accept();
}

} // namespace zu
