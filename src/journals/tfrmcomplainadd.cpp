#include "tfrmcomplainadd.h"

#include "ui_tfrmcomplainadd.h"

#include "data/datamodule.h"

namespace zu {

using Box = FieldBinding::Box;

const JournalEditorKind& TfrmComplainAdd::editorKind()
{
    static const JournalEditorKind kind{
        .listCaller = QStringLiteral("frmcomplain"),
        .listData = &TfrmData::qryComplain,
        .customerData = &TfrmData::qryComplainCust,
        .addCaption = QStringLiteral("新增投诉信息"),
        .editCaption = QStringLiteral("修改投诉信息"),
        .addButton = QStringLiteral("添加&S"),
        .editButton = QStringLiteral("保存&S"),
        .customerAddKeepsDesignCaption = true,
        .nameBox = "edtCustname",
        .pickerButton = "btnSelectCust",
        .saveButton = "btnAdd",
        .cancelButton = "btnquxiao",
        .pickerTag = QStringLiteral("frmComplain"),
        .clearCustomerBeforePicking = false,
        .nameRequired = true,
        .fields = {{"complainDate", "complainDate", Box::Date, 0, "投诉日期"},
                   {"complainTime", "RzDateTimeEdit1", Box::Time, 0, "投诉时间"},
                   {"complainType", "cmbcomplainType", Box::Combo, 0, "投诉级别"},
                   {"complainMen", "edtcomplainMen", Box::Text, 0, "制单人"},
                   {"complaincause", "edtcomplaincause", Box::Memo, 0, "投诉原因"},
                   {"complainresult", "edtcomplainresult", Box::Memo, 0, "投诉处理结果"},
                   {"complainRemark", "edtRemark", Box::Memo, 0, "备注"}},
        .change = Operation::ChangeComplaints,
    };
    return kind;
}

TfrmComplainAdd::TfrmComplainAdd(QWidget* parent)
    : JournalEditor(parent, editorKind()), ui(std::make_unique<Ui::TfrmComplainAdd>())
{
    ui->setupUi(this);
    initialise();
}

TfrmComplainAdd::~TfrmComplainAdd() = default;

void TfrmComplainAdd::fillLists()
{
    fillFromLookupList(this, "cmbcomplainType", QStringLiteral("投诉级别"));
    // The maker of a new complaint is the logged-in user.
    ui->edtcomplainMen->setText(zu::data().CurrentUserName());
}

} // namespace zu
