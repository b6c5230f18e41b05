#include "tfrmselect.h"

#include "categorycodes.h"
#include "customersearch.h"
#include "ui_tfrmselect.h"

#include "data/datamodule.h"
#include "data/lookuplists.h"
#include "widgets/formroutines.h"
#include "widgets/guard.h"

namespace zu {

TfrmSelect::TfrmSelect(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmSelect>())
{
    ui->setupUi(this);
    onFirstShow(this, [this] { FormShow(); });
    const QList<std::tuple<QCheckBox*, QDateEdit*, QDateEdit*>> ranges{
        {ui->goumai, ui->goumaiA, ui->goumaiB},
        {ui->yuyue, ui->yuyueA, ui->yuyueB},
        {ui->congyue, ui->congyueA, ui->congyueB}};
    for (const auto& [box, from, to] : ranges)
        connect(box, &QCheckBox::toggled, this, [this, box, from, to] { rangeTicked(box, from, to); });
    onSignal(ui->BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(ui->BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    guarded(this, [this] { FormCreate(); });
}

TfrmSelect::~TfrmSelect() = default;

void TfrmSelect::FormCreate()
{
    ArrangeTabOrder(this, true);
    for (QLineEdit* e : findChildren<QLineEdit*>())
        e->clear();
    ui->Remarks->clear();
    TfrmData& d = zu::data();
    // The categories by name, each with its code: a chosen category is searched by its code.
    FillComboFromSql(ui->cmbclassCode, categoryListStatement(QStringLiteral("用户类别")), 0, QString());
    const QList<CodedName> categories = readCategories(d.F(), QStringLiteral("用户类别"));
    for (int i = 0; i < categories.size() && i + 1 < ui->cmbclassCode->count(); ++i)
        ui->cmbclassCode->setItemData(i + 1, categories[i].code);
    FillComboFromSql(ui->cmbOrderCode, lookupListStatement(d.dialect(), QStringLiteral("开单批号")), 0,
                     QString());
    FillComboFromSql(ui->cmbBusinessMen, lookupListStatement(d.dialect(), QStringLiteral("业务员")), 0,
                     QString());
    FillComboFromSql(ui->cmbGoodsunit, lookupListStatement(d.dialect(), QStringLiteral("型号")), 0,
                     QString());
}

void TfrmSelect::FormShow()
{
    for (QDateEdit* box : {ui->goumaiA, ui->goumaiB, ui->yuyueA, ui->yuyueB, ui->congyueA, ui->congyueB}) {
        box->setEnabled(false);
        box->setDate(QDate::currentDate());
    }
}

void TfrmSelect::rangeTicked(QCheckBox* box, QDateEdit* from, QDateEdit* to)
{
    const bool on = box->isChecked();
    from->setEnabled(on);
    to->setEnabled(on);
    if (on) {
        const QDate today = QDate::currentDate();
        from->setDate(QDate(today.year(), today.month(), 1));
    }
}

CustomerSearch TfrmSelect::conditions() const
{
    CustomerSearch s;
    s.texts = {{QStringLiteral("CustName"), ui->edtName->text()},
               {QStringLiteral("GoodsCode"), ui->edtGoodsCode->text()},
               {QStringLiteral("address"), ui->edtAddress->text()},
               {QStringLiteral("phone"), ui->edtPhone->text()},
               {QStringLiteral("Mobile"), ui->edtMobile->text()},
               {QStringLiteral("Goodsunit"), ui->cmbGoodsunit->currentText()},
               {QStringLiteral("OrderCode"), ui->cmbOrderCode->currentText()},
               {QStringLiteral("Voucherid"), ui->edtVoucherid->text()},
               {QStringLiteral("BusinessMen"), ui->cmbBusinessMen->currentText()},
               {QStringLiteral("Remark"), ui->Remarks->toPlainText()}};
    // A category of the list is searched with its descendants by code; a typed text that names
    // none is looked for in the customers' category names.
    const QString category = ui->cmbclassCode->currentText();
    int chosen = ui->cmbclassCode->currentIndex();
    if (chosen < 0 || ui->cmbclassCode->itemText(chosen) != category)
        chosen = ui->cmbclassCode->findText(category, Qt::MatchExactly);
    if (!category.isEmpty() && chosen > 0)
        s.categoryCode = ui->cmbclassCode->itemData(chosen).toString();
    else
        s.texts.insert(5, {QStringLiteral("classCode"), category});
    if (ui->goumai->isChecked())
        s.ranges << CustomerSearch::Range{QStringLiteral("EmptionDate"), ui->goumaiA->date(),
                                          ui->goumaiB->date()};
    if (ui->yuyue->isChecked())
        s.ranges << CustomerSearch::Range{QStringLiteral("OrderDate"), ui->yuyueA->date(),
                                          ui->yuyueB->date()};
    if (ui->congyue->isChecked())
        s.ranges << CustomerSearch::Range{QStringLiteral("AgainDate"), ui->congyueA->date(),
                                          ui->congyueB->date()};
    return s;
}

void TfrmSelect::BitBtn1Click()
{
    DataSet& customers = zu::data().qryCustom();
    customers.close();
    const CustomerSearch::Condition c = conditions().condition(zu::data().dialect());
    customers.open(c.where, c.bindValues);
    accept();
}

} // namespace zu
