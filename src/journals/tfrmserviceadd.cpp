#include "tfrmserviceadd.h"

#include "ui_tfrmserviceadd.h"

#include "data/datamodule.h"
#include "widgets/guard.h"

#include <QComboBox>
#include <QLineEdit>

namespace zu {

using Box = FieldBinding::Box;

const JournalEditorKind& TfrmServiceAdd::editorKind()
{
    static const JournalEditorKind kind{
        .listCaller = QStringLiteral("frmService"),
        .listData = &TfrmData::qryservice,
        .customerData = &TfrmData::qryServiceCust,
        .addCaption = QStringLiteral("新增维护信息"),
        .editCaption = QStringLiteral("修改维护信息"),
        .addButton = QStringLiteral("添加&S"),
        .editButton = QStringLiteral("保存&S"),
        .customerAddKeepsDesignCaption = true,
        .nameBox = "edtCustname",
        .pickerButton = "btnSelectCust",
        .saveButton = "btn1",
        .cancelButton = "btn2",
        .pickerTag = QStringLiteral("frmService"),
        .clearCustomerBeforePicking = true,
        .nameRequired = true,
        .fields = {{"serviceDate", "cmbserviceDate", Box::Date, 0, "修复日期"},
                   {"rehabDate", "cmbrehabDate", Box::Date, 0, "保修日期"},
                   {"Goodsunit", "cmbGoodsunit", Box::Combo, 0, "型号"},
                   {"GoodsCode", "edtGoodsCode", Box::Text, 0, "机身编码"},
                   {"hitchName", "cmbhitchName", Box::Combo, 0, "故障原因"},
                   {"Numbe", "edtNumbe", Box::Integer, 0, "故障数量"},
                   {"Price", "edtPrice", Box::Decimal, 1, "单价"},
                   {"Money", "edtMoney", Box::Decimal, 1, "总金额"},
                   {"serviceMoney", "edtserviceMoney", Box::Decimal, 1, "维修费用"},
                   {"servicedepartment", "cmbservicedepartment", Box::Combo, 0, "维修部门"},
                   {"servicedeMen", "cmbservicedeMen", Box::Combo, 0, "维修人员"},
                   {"Remark", "edtRemark", Box::Memo, 0, "备注"},
                   {"servicedeCode", "edtservicedeCode", Box::Text, 0, "维修单号"}},
        .change = Operation::ChangeServices,
    };
    return kind;
}

TfrmServiceAdd::TfrmServiceAdd(QWidget* parent)
    : JournalEditor(parent, editorKind()), ui(std::make_unique<Ui::TfrmServiceAdd>())
{
    ui->setupUi(this);
    initialise();
    // The warranty line follows the customer, the model and the service day as they are typed.
    onSignal(ui->edtCustCode, &QLineEdit::textChanged, this, &TfrmServiceAdd::showWarranty);
    onSignal(ui->cmbGoodsunit, &QComboBox::currentTextChanged, this, &TfrmServiceAdd::showWarranty);
    onSignal(ui->cmbserviceDate, &QDateEdit::dateChanged, this, &TfrmServiceAdd::showWarranty);
    onFirstShow(this, [this] { showWarranty(); });
}

TfrmServiceAdd::~TfrmServiceAdd() = default;

void TfrmServiceAdd::fillLists()
{
    fillFromLookupList(this, "cmbGoodsunit", QStringLiteral("型号"));
    fillFromLookupList(this, "cmbhitchName", QStringLiteral("故障原因"));
    fillFromLookupList(this, "cmbservicedepartment", QStringLiteral("安装部"));
    fillFromLookupList(this, "cmbservicedeMen", QStringLiteral("工程师"));
}

ServiceWarranty TfrmServiceAdd::warranty() const
{
    return serviceWarranty(zu::data().conn(), ui->edtCustCode->text(), ui->cmbGoodsunit->currentText(),
                           ui->cmbserviceDate->value().toDate());
}

void TfrmServiceAdd::showWarranty()
{
    ui->lblInWarranty->setText(warranty().text());
}

void TfrmServiceAdd::completeValues(QVariantMap& values)
{
    values.insert(QStringLiteral("InWarranty"), warranty().storedValue());
}

} // namespace zu
