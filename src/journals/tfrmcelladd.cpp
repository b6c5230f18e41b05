#include "tfrmcelladd.h"

#include "ui_tfrmcelladd.h"

#include "data/datamodule.h"

namespace zu {

using Box = FieldBinding::Box;

const JournalEditorKind& TfrmCellAdd::editorKind()
{
    static const JournalEditorKind kind{
        .listCaller = QStringLiteral("frmCell"),
        .listData = &TfrmData::qryCall,
        .customerData = &TfrmData::qryCallCust,
        .addCaption = QStringLiteral("新增回访记录"),
        .editCaption = QStringLiteral("修改回访记录"),
        .addButton = QStringLiteral("添加&S"),
        .editButton = QStringLiteral("保存&S"),
        .customerAddKeepsDesignCaption = false,
        .nameBox = "edtCustName",
        .pickerButton = "btnSelectCust",
        .saveButton = "btnAdd",
        .cancelButton = "btnquxiao",
        .pickerTag = QStringLiteral("frmCell"),
        .clearCustomerBeforePicking = false,
        .nameRequired = false,
        .fields = {{"callDate", "callDate", Box::Date, 0, "回访日期"},
                   {"callMen", "cmbcallMen", Box::Combo, 0, "回访人员"},
                   {"callRemark", "edtcallRemark", Box::Memo, 0, "回访类容"},
                   {"callRemarkhandle", "callRemarkhandle", Box::Memo, 0, "回访事项处理"}},
        .change = Operation::ChangeCalls,
    };
    return kind;
}

TfrmCellAdd::TfrmCellAdd(QWidget* parent)
    : JournalEditor(parent, editorKind()), ui(std::make_unique<Ui::TfrmCellAdd>())
{
    ui->setupUi(this);
    initialise();
}

TfrmCellAdd::~TfrmCellAdd() = default;

void TfrmCellAdd::presetRemark(const QString& text)
{
    ui->edtcallRemark->setPlainText(text);
}

void TfrmCellAdd::fillLists()
{
    fillFromLookupList(this, "cmbcallMen", QStringLiteral("业务员"));
}

} // namespace zu
