#include "tfrmlogin.h"

#include "tfrmmain.h"
#include "ui_tfrmlogin.h"

#include "data/datamodule.h"
#include "data/errors.h"
#include "users/passwords.h"
#include "users/useraccounts.h"
#include "widgets/dialogs.h"
#include "widgets/formroutines.h"
#include "widgets/guard.h"

namespace zu {

TfrmLogin::TfrmLogin(TfrmMain* mainWindow, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TfrmLogin>()), m_mainWindow(mainWindow)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(sizeHint().expandedTo(QSize(329, 193)));
    QPalette banner = ui->Image1->palette();
    banner.setColor(QPalette::Window, QColor(0x2f, 0x6f, 0xb0));
    banner.setColor(QPalette::WindowText, Qt::white);
    ui->Image1->setPalette(banner);
    onSignal(ui->Btn_ok, &QPushButton::clicked, this, [this] { Btn_okClick(); });
    connect(ui->Btn_Exit, &QPushButton::clicked, this, &QDialog::reject);
    guarded(this, [this] { FormCreate(); });
}

TfrmLogin::~TfrmLogin() = default;

void TfrmLogin::FormCreate()
{
    ArrangeTabOrder(this, true);
    setWindowTitle(QStringLiteral("登录"));
    ui->Edit_Pass->clear();
    Query users(zu::data().conn());
    const QStringList names = loginUserNames(users);
    ui->Combo_User->clear();
    ui->Combo_User->addItems(names);
}

void TfrmLogin::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    guarded(this, [this] { FormShow(); });
}

void TfrmLogin::FormShow()
{
    const int position =
        zu::data().ConfigIni().readInteger(QStringLiteral("login"), QStringLiteral("Username"), 1);
    ui->Combo_User->setCurrentIndex(position >= 0 && position < ui->Combo_User->count() ? position : -1);
    ui->Edit_Pass->setFocus();
}

void TfrmLogin::warn(const QString& text)
{
    dialogs().message(this, QStringLiteral("警告"), text, QMessageBox::Critical, QMessageBox::Ok,
                      QMessageBox::Ok);
}

void TfrmLogin::rememberPosition(int position)
{
    // A settings file that cannot be written stops no login: the user is told once.
    try {
        zu::data().ConfigIni().writeInteger(QStringLiteral("login"), QStringLiteral("Username"), position);
    } catch (const CommandError& e) {
        if (m_positionWarned)
            return;
        m_positionWarned = true;
        dialogs().message(this, QStringLiteral("警告"),
                          QStringLiteral("无法记住本次选择的用户，下次启动时请重新选择。\n%1").arg(e.text()),
                          QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok);
    }
}

void TfrmLogin::Btn_okClick()
{
    TfrmData& d = zu::data();
    const QString userName = ui->Combo_User->currentIndex() >= 0 ? ui->Combo_User->currentText() : QString();
    Query user(d.conn());
    const std::optional<UserCredentials> found = findUser(user, userName);
    rememberPosition(ui->Combo_User->currentIndex());
    const QVariant key = found ? found->key : QVariant();
    const QString stored = found ? found->password : QString();
    d.setCurrentUserRights(found ? found->rights : QString());

    if (userName.trimmed().isEmpty()) {
        warn(QStringLiteral("请选择一个用户名！"));
        return;
    }
    const QString typed = ui->Edit_Pass->text();
    const PasswordCheck check = checkPassword(stored, typed);
    if (!check.matches) {
        if (!typed.isEmpty()) {
            warn(QStringLiteral("密码错误，请重新输入密码！"));
            ui->Edit_Pass->clear();
        } else {
            warn(QStringLiteral("请输入密码！"));
            ui->Edit_Pass->setFocus();
        }
        return;
    }
    if (check.needsRehash && key.isValid()) {
        // A password kept as plain text by an older release is stored as a hash from now on;
        // when that cannot be done now, the next login does it.
        try {
            Query update(d.conn());
            storePassword(update, *found, hashPassword(typed));
        } catch (const DbError& e) {
            qWarning("%s", qPrintable(e.text()));
        }
    }
    d.setCurrentUserName(userName);
    d.setCurrentUserKey(key);
    m_loginOK = true;
    accept();
    if (m_mainWindow)
        m_mainWindow->ApplyUserRights();
}

} // namespace zu
