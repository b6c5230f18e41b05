#include "tfrmcustomadd.h"

#include "customeredits.h"
#include "duplicatecustomers.h"
#include "tfrmcousttree.h"
#include "ui_tfrmcustomadd.h"

#include "data/datamodule.h"
#include "data/dataset.h"
#include "data/errors.h"
#include "data/findcolumns.h"
#include "data/lookuplists.h"
#include "data/routines.h"
#include "data/writerecord.h"
#include "users/permissions.h"
#include "widgets/dialogs.h"
#include "widgets/fieldbinding.h"
#include "widgets/formroutines.h"
#include "widgets/guard.h"

#include <QComboBox>

namespace zu {

namespace {

using Box = FieldBinding::Box;

// Which box shows and writes which column. The free number boxes sit on screen as 数值项1..4 but
// write intD, intA, intC, intB; they are decimal boxes over integer columns.
const QList<FieldBinding> kFields = {
    {"CustName", "edtCustName", Box::Text, 0, "用户名称"},
    {"IDCode", "edtIDCode", Box::Text, 0, "客户编号"},
    {"Address", "edtAddress", Box::Text, 0, "地址"},
    {"Phone", "edtPhone", Box::Text, 0, "固定电话"},
    {"Mobile", "edtMobile", Box::Text, 0, "手机"},
    {"classCode", "edttype", Box::Text, 0, "类别"},
    {"TypeCode", "edtTypeCode", Box::Text, 0, "类别编号"},
    {"GoodsCode", "edtGoodsCode", Box::Text, 0, "机身编码"},
    {"Goodsunit", "cmbGoodsunit", Box::Combo, 0, "型号"},
    {"Number", "edtNumber", Box::Integer, 0, "台数"},
    {"Price", "edtPrice", Box::Decimal, 1, "零售价"},
    {"Money", "edtMoney", Box::Decimal, 1, "总金额"},
    {"GiftnameA", "cmbGiftnameA", Box::Combo, 0, "赠品名称A"},
    {"GiftNumberA", "edtGiftNumberA", Box::Integer, 0, "赠品数量A"},
    {"GiftnameB", "cmbGiftnameB", Box::Combo, 0, "赠品名称B"},
    {"GiftNumberB", "edtGiftNumberB", Box::Integer, 0, "赠品数量B"},
    {"gathering", "edtgathering", Box::Decimal, 1, "收款"},
    {"Emptionaddress", "cmbEmptionaddress", Box::Combo, 0, "购买地点"},
    {"EmptionDate", "cmbEmptionDate", Box::Date, 0, "购买日期"},
    {"Install", "cmbInstall", Box::Combo, 0, "安装部"},
    {"OrderDate", "cmbOrderDate", Box::Date, 0, "预约安装"},
    {"AgainDate", "cmbDateTAgainDate", Box::Date, 0, "重约安装"},
    {"Zipcode", "edtZipcode", Box::Text, 0, "邮编"},
    {"OrderCode", "cmbOrderCode", Box::Combo, 0, "开单批号"},
    {"Voucherid", "edtVoucherid", Box::Text, 0, "票据号"},
    {"BusinessMen", "cmbBusinessMen", Box::Combo, 0, "业务员"},
    {"Remark", "edtRemark", Box::Memo, 0, "备注信息"},
    {"CharA", "edtChar1", Box::Text, 0, "字符串项1"},
    {"CharB", "edtChar2", Box::Text, 0, "字符串项2"},
    {"CharC", "edtChar3", Box::Text, 0, "字符串项3"},
    {"CharD", "edtChar4", Box::Text, 0, "字符串项4"},
    {"intD", "edtvalue4", Box::Decimal, 3, "数值项1", true},
    {"intA", "edtvalue1", Box::Decimal, 1, "数值项2", true},
    {"intC", "edtvalue3", Box::Decimal, 3, "数值项3", true},
    {"intB", "edtvalue2", Box::Decimal, 3, "数值项4", true},
    {"remind", "remind", Box::Date, 0, "用户提醒"},
    {"DateA", "cmbDateA", Box::Date, 0, "时间项1"},
    {"DateB", "cmbDateB", Box::Date, 0, "时间项2"},
};

// The lookup lists behind the combo boxes.
const QPair<const char*, const char*> kLists[] = {
    {"cmbGoodsunit", "型号"},          {"cmbGiftnameA", "赠品"}, {"cmbGiftnameB", "赠品"},
    {"cmbEmptionaddress", "购买地点"}, {"cmbInstall", "安装部"}, {"cmbOrderCode", "开单批号"},
    {"cmbBusinessMen", "业务员"},
};

void warn(QWidget* parent, const QString& text)
{
    dialogs().message(parent, QStringLiteral("系统提示"), text, QMessageBox::Question, QMessageBox::Ok,
                      QMessageBox::Ok);
}

} // namespace

TfrmCustomAdd::TfrmCustomAdd(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmCustomAdd>()), m_fields(this, kFields)
{
    ui->setupUi(this);
    onFirstShow(this, [this] { FormShow(); });
    onSignal(ui->btnInsert, &QPushButton::clicked, this, [this] { btnInsertClick(); });
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::reject);
    onSignal(ui->btnSelectType, &QToolButton::clicked, this, [this] { chooseCategory(); });
    guarded(this, [this] { FormCreate(); });
    onSignal(ui->cmbEmptionDate, &QDateEdit::dateChanged, this, &TfrmCustomAdd::showWarranty);
    onSignal(ui->cmbGoodsunit, &QComboBox::currentTextChanged, this, &TfrmCustomAdd::showWarranty);
    showWarranty();
}

TfrmCustomAdd::~TfrmCustomAdd() = default;

void TfrmCustomAdd::FormCreate()
{
    ArrangeTabOrder(this, true);
    TfrmData& d = zu::data();
    m_fields.limitLengths(d.dialect().columnWidths(d.conn().database(), QStringLiteral("T_Cust")));
    m_fields.reset();
    for (const auto& [combo, list] : kLists)
        FillComboFromSql(findChild<QComboBox*>(QString::fromLatin1(combo)),
                         lookupListStatement(zu::data().dialect(), QString::fromUtf8(list)), 0, QString());
    m_warrantyTerms = WarrantyTerms::load(d.conn());
}

void TfrmCustomAdd::showWarranty()
{
    ui->lblWarranty->setText(warrantyLine(m_warrantyTerms, ui->cmbEmptionDate->value().toDate(),
                                          ui->cmbGoodsunit->currentText(), QDate::currentDate()));
}

void TfrmCustomAdd::FormShow()
{
    setWindowTitle(QStringLiteral("新增客户信息"));
    ui->btnInsert->setText(QStringLiteral("添加&S"));
    ui->edtadmin->setText(zu::data().CurrentUserName());
    if (FIsAdd)
        return;
    setWindowTitle(QStringLiteral("修改客户信息"));
    ui->btnInsert->setText(QStringLiteral("修改&S"));
    const DataSet& customers = zu::data().qryCustom();
    m_fields.load(customers);
    ui->edtadmin->setText(customers.fieldText(QStringLiteral("exeMen")));
    FOldIDCode = customers.fieldText(QStringLiteral("IDCode"));
}

QVariantMap TfrmCustomAdd::collectValues() const
{
    QVariantMap values = m_fields.collect();
    values.insert(QStringLiteral("exeMen"), zu::data().CurrentUserName());
    addFindColumns(values);
    return values;
}

void TfrmCustomAdd::btnInsertClick()
{
    requirePermission(Operation::ChangeCustomers);
    DataSet& customers = zu::data().qryCustom();
    if (!customers.isOpen())
        customers.open();
    if (FIsAdd) {
        RequireText(ui->edtIDCode, ui->edtIDCode->text(), QStringLiteral("客户编号不能为空，请您重新录入！"));
        RequireText(ui->edtCustName, ui->edtCustName->text(),
                    QStringLiteral("客户名称不能为空，请您重新录入！"));
        CheckUnique(zu::data().qryTemp(), QStringLiteral("IDCode"), QStringLiteral("T_Cust"),
                    ui->edtIDCode->text(), QStringLiteral("客户编号重复，请您重新录入！"));
        CheckUnique(zu::data().qryTemp(), QStringLiteral("Custname"), QStringLiteral("T_Cust"),
                    ui->edtCustName->text(), QStringLiteral("客户名称相同，请您重新录入！"));
        if (!confirmNotDuplicate())
            return;
        writeRecord(customers, collectValues(), true);
    } else {
        if (customers.currentRow() < 0)
            throw CommandError(QStringLiteral("没有要修改的客户记录"));
        const QString code = ui->edtIDCode->text();
        if (code != FOldIDCode) {
            if (customerCodeTaken(zu::data().qryTemp(), code)) {
                warn(this, QStringLiteral("客户编号重复！"));
                ui->edtIDCode->setFocus();
                return;
            }
        }
        updateCustomer(customers, collectValues(), FOldIDCode, m_fields.stamp());
    }
    accept();
}

bool TfrmCustomAdd::confirmNotDuplicate()
{
    const DuplicateCustomers duplicates =
        findDuplicateCustomers(zu::data().conn(), {.name = ui->edtCustName->text(),
                                                   .address = ui->edtAddress->text(),
                                                   .phone = ui->edtPhone->text(),
                                                   .mobile = ui->edtMobile->text()});
    // No is the default: a hurried Enter must not file the same customer twice.
    return duplicates.isEmpty() ||
           dialogs().message(this, QStringLiteral("系统提示"), duplicates.question(), QMessageBox::Question,
                             QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void TfrmCustomAdd::chooseCategory()
{
    TfrmCoustTree chooser(this);
    chooser.FManage = false;
    chooser.setChoiceTarget([this](const QString& name, const QString& code) { setCategory(name, code); });
    chooser.exec();
}

void TfrmCustomAdd::setCategory(const QString& name, const QString& code)
{
    ui->edttype->setText(name);
    ui->edtTypeCode->setText(code);
}

} // namespace zu
