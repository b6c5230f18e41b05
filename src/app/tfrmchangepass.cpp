#include "tfrmchangepass.h"

#include "ui_tfrmchangepass.h"

#include "data/datamodule.h"
#include "users/passwords.h"
#include "users/useraccounts.h"
#include "widgets/dialogs.h"
#include "widgets/formroutines.h"
#include "widgets/guard.h"
#include "widgets/icons.h"

namespace zu {

TfrmChangePass::TfrmChangePass(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmChangePass>())
{
    ui->setupUi(this);
    ui->Btn_OK->setIcon(commandIcon(CommandIcon::Ok));
    ui->Btn_Exit->setIcon(commandIcon(CommandIcon::Cancel));
    ArrangeTabOrder(this, true);
    setWindowTitle(QStringLiteral("修改我的登录密码"));
    ui->Edit_oldpass->clear();
    ui->Edit_newpass->clear();
    ui->Edit_ConfirmPass->clear();
    onSignal(ui->Btn_OK, &QPushButton::clicked, this, [this] { Btn_OKClick(); });
    connect(ui->Btn_Exit, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmChangePass::~TfrmChangePass() = default;

void TfrmChangePass::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ui->Edit_User->setText(zu::data().CurrentUserName());
    ui->Edit_oldpass->setFocus();
}

void TfrmChangePass::tell(const QString& title, const QString& text)
{
    dialogs().message(this, title, text, QMessageBox::Information, QMessageBox::Ok, QMessageBox::Ok);
}

void TfrmChangePass::Btn_OKClick()
{
    TfrmData& d = zu::data();
    Query user(d.conn());
    // The logged-in user's row, found by its key: a rename in the user window changes nothing.
    const std::optional<UserCredentials> found = d.CurrentUserKey().isValid()
                                                     ? findUserByKey(user, d.CurrentUserKey())
                                                     : findUser(user, d.CurrentUserName());
    const QString stored = found ? found->password : QString();
    const QVariant key = found ? found->key : QVariant();

    if (!checkPassword(stored, ui->Edit_oldpass->text()).matches) {
        tell(QStringLiteral("密码错误"), QStringLiteral("当前密码错误!"));
        ui->Edit_oldpass->setFocus();
        return;
    }
    if (ui->Edit_ConfirmPass->text() != ui->Edit_newpass->text()) {
        tell(QStringLiteral("验证密码"),
             QStringLiteral("在\"验证\"框中重新输入新密码并单击\"确定\"按钮,以验证新密码."));
        ui->Edit_ConfirmPass->setFocus();
        return;
    }
    if (!key.isValid()) {
        // The user was deleted in the user window since the login.
        tell(QStringLiteral("密码错误"), QStringLiteral("当前用户已不存在，无法修改密码。"));
        return;
    }
    storePassword(user, *found, hashPassword(ui->Edit_newpass->text()));
    tell(QStringLiteral("成功"), QStringLiteral("修改密码成功!"));
    accept();
}

} // namespace zu
