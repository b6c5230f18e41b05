#include "tfrmcoinfo.h"

#include "softinfo.h"
#include "ui_tfrmcoinfo.h"

#include "data/datamodule.h"
#include "widgets/dialogs.h"
#include "widgets/formroutines.h"
#include "widgets/guard.h"

namespace zu {

TfrmCoInFo::TfrmCoInFo(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmCoInFo>())
{
    ui->setupUi(this);
    setFixedSize(sizeHint().expandedTo(QSize(379, 241)));
    onSignal(ui->btnPost, &QPushButton::clicked, this, [this] { btnPostClick(); });
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::reject);
    guarded(this, [this] { FormCreate(); });
}

TfrmCoInFo::~TfrmCoInFo() = default;

QList<QPair<QLineEdit*, QString CompanyInfo::*>> TfrmCoInFo::fields() const
{
    return {{ui->edtCoName, &CompanyInfo::coName},   {ui->edtContact, &CompanyInfo::contact},
            {ui->edtAddress, &CompanyInfo::address}, {ui->edtPhone, &CompanyInfo::phone},
            {ui->edtFax, &CompanyInfo::fax},         {ui->edtEmail, &CompanyInfo::email}};
}

void TfrmCoInFo::FormCreate()
{
    ArrangeTabOrder(this, true);
    setWindowTitle(QStringLiteral("公司信息修改"));
    ui->btnPost->setText(QStringLiteral("保存&S"));
    ui->btnClose->setText(QStringLiteral("关闭&C"));
    limitToColumns(QStringLiteral("t_SoftInfo"), {{ui->edtCoName, QStringLiteral("CoName")},
                                                  {ui->edtContact, QStringLiteral("Contact")},
                                                  {ui->edtAddress, QStringLiteral("Address")},
                                                  {ui->edtPhone, QStringLiteral("Phone")},
                                                  {ui->edtFax, QStringLiteral("Fax")},
                                                  {ui->edtEmail, QStringLiteral("Email")}});
    const CompanyInfo info = readCompanyInfo(zu::data().F(), &m_row);
    for (const auto& [edit, member] : fields())
        edit->setText(info.*member);
}

void TfrmCoInFo::btnPostClick()
{
    CompanyInfo info;
    for (const auto& [edit, member] : fields())
        info.*member = edit->text();
    storeCompanyInfo(zu::data().F(), info, &m_row);
    // A second save in the same dialog writes over what this one stored.
    readCompanyInfo(zu::data().F(), &m_row);
    dialogs().message(this, QStringLiteral("提示"), QStringLiteral("设置成功！"), QMessageBox::Question,
                      QMessageBox::Ok, QMessageBox::Ok);
}

} // namespace zu
