#include "configwindow.h"

#include "conntoolcore.h"
#include "ui_configwindow.h"

#include "widgets/dialogs.h"
#include "widgets/guard.h"

namespace zu::conntool {

ConfigWindow::ConfigWindow(QString home, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ConfigWindow>()), m_home(std::move(home))
{
    ui->setupUi(this);
    connect(ui->rbEmbedded, &QRadioButton::toggled, this, &ConfigWindow::updateEnabling);
    connect(ui->btnTest, &QPushButton::clicked, this,
            [this] { guarded(this, [this] { testConnection(); }); });
    connect(ui->btnSave, &QPushButton::clicked, this, [this] { guarded(this, [this] { save(); }); });
    connect(ui->btnClose, &QPushButton::clicked, this, &QDialog::reject);
    load();
}

ConfigWindow::~ConfigWindow() = default;

void ConfigWindow::load()
{
    const Target t = currentTarget(m_home);
    (t.server ? ui->rbServer : ui->rbEmbedded)->setChecked(true);
    ui->edtServer->setText(t.settings.host +
                           (t.settings.port > 0 ? QStringLiteral(":%1").arg(t.settings.port) : QString()));
    ui->edtDatabase->setText(t.settings.database);
    ui->edtUser->setText(t.settings.user);
    ui->edtPassword->setText(t.settings.password);
    ui->lblStatus->setText(QStringLiteral("程序文件夹：%1").arg(m_home));
    updateEnabling();
}

void ConfigWindow::updateEnabling()
{
    ui->grpServer->setEnabled(ui->rbServer->isChecked());
}

void ConfigWindow::testConnection()
{
    ConnectionSettings s;
    const bool server = ui->rbServer->isChecked();
    if (server) {
        ConnectionSettings::splitServer(ui->edtServer->text(), &s.host, &s.port);
        s.database = ui->edtDatabase->text().trimmed();
        s.user = ui->edtUser->text();
        s.password = ui->edtPassword->text();
    } else {
        // the embedded file the program would open
        s.filePath = currentTarget(m_home).settings.filePath;
    }
    Connection c(server ? SqlDialect::postgres() : SqlDialect::sqlite(), s);
    if (c.open())
        dialogs().inform(this, QStringLiteral("成功"), QStringLiteral("连接成功。"));
    else
        dialogs().inform(this, QStringLiteral("失败"), QStringLiteral("连接失败：%1").arg(c.lastError()),
                         QMessageBox::Warning);
}

void ConfigWindow::save()
{
    Outcome outcome;
    if (ui->rbServer->isChecked()) {
        outcome = configureServer(m_home, ui->edtServer->text(), ui->edtDatabase->text(), ui->edtUser->text(),
                                  ui->edtPassword->text(), ui->chkCreate->isChecked());
    } else {
        outcome = useEmbedded(m_home);
        if (outcome.ok) {
            const Outcome created = initEmbedded(m_home);
            outcome = {created.ok, outcome.message + QLatin1Char('\n') + created.message};
        }
    }
    dialogs().inform(this, outcome.ok ? QStringLiteral("成功") : QStringLiteral("失败"), outcome.message,
                     outcome.ok ? QMessageBox::Information : QMessageBox::Warning);
    if (outcome.ok)
        accept();
}

} // namespace zu::conntool
