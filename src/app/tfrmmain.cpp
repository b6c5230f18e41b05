#include "tfrmmain.h"

#include "softinfo.h"
#include "tfrmaboutme.h"
#include "tfrmchangepass.h"
#include "tfrmcoinfo.h"
#include "ui_tfrmmain.h"

#include "customers/quickfindbox.h"
#include "data/apphome.h"
#include "data/datamodule.h"
#include "reminders/remindercentre.h"
#include "reminders/remindersettings.h"
#include "users/permissions.h"
#include "widgets/dialogs.h"
#include "widgets/guard.h"
#include "widgets/icons.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QStatusBar>
#include <QToolButton>

namespace zu {

namespace {

const QStringList kActionNames{
    QStringLiteral("actCustM"),    QStringLiteral("actService"),   QStringLiteral("actCall"),
    QStringLiteral("actcomplain"), QStringLiteral("actType"),      QStringLiteral("actche"),
    QStringLiteral("actpopedom"),  QStringLiteral("actpassword"),  QStringLiteral("actdatabase"),
    QStringLiteral("actremind"),   QStringLiteral("actexport"),    QStringLiteral("actCustsheet"),
    QStringLiteral("actcensus"),   QStringLiteral("actEnvelope"),  QStringLiteral("actlabel"),
    QStringLiteral("actLead"),     QStringLiteral("actStatistics")};

// Commands of their own, not governed by permissions.
const QStringList kOwnCommands{QStringLiteral("N25"),
                               QStringLiteral("N32"),
                               QStringLiteral("N33"),
                               QStringLiteral("N34"),
                               QStringLiteral("N35"),
                               QStringLiteral("N27"),
                               QStringLiteral("N12"),
                               QStringLiteral("N40"),
                               QStringLiteral("N26"),
                               QStringLiteral("N41"),
                               QStringLiteral("N31"),
                               QStringLiteral("helpTxT"),
                               QStringLiteral("actRemindCenter")};

struct IconChoice
{
    const char* action;
    CommandIcon icon;
};

const IconChoice kIcons[] = {
    {"actCustM", CommandIcon::Customers},
    {"actService", CommandIcon::Service},
    {"actCall", CommandIcon::Call},
    {"actcomplain", CommandIcon::Complaint},
    {"actType", CommandIcon::Categories},
    {"actche", CommandIcon::Lookups},
    {"actpopedom", CommandIcon::Users},
    {"actpassword", CommandIcon::Password},
    {"actdatabase", CommandIcon::Backup},
    {"actremind", CommandIcon::Reminders},
    {"actRemindCenter", CommandIcon::Reminders},
    {"actexport", CommandIcon::Spreadsheet},
    {"actCustsheet", CommandIcon::CustomerReport},
    {"actcensus", CommandIcon::ListReport},
    {"actEnvelope", CommandIcon::Envelope},
    {"actlabel", CommandIcon::Label},
    {"actLead", CommandIcon::Import},
    {"actStatistics", CommandIcon::Statistics},
    {"N25", CommandIcon::Template},
    {"N32", CommandIcon::Template},
    {"N33", CommandIcon::Template},
    {"N34", CommandIcon::Template},
    {"N35", CommandIcon::Template},
    {"N27", CommandIcon::ClearData},
    {"N12", CommandIcon::Exit},
    {"N26", CommandIcon::Help},
    {"helpTxT", CommandIcon::Help},
    {"N41", CommandIcon::WebSite},
    {"N31", CommandIcon::About},
    {"N40", CommandIcon::Company},
};

} // namespace

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::TfrmMain>())
{
    ui->setupUi(this);
    onFirstShow(this, [this] { FormShow(); });
    setCentralWidget(ui->mdiClient);
    setupIcons();

    const int widths[] = {150, 500, 50};
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        panel->setMinimumWidth(widths[i]);
        m_panels << panel;
        ui->StatusBar1->addWidget(panel, i == 1 ? 1 : 0);
    }

    const QStringList toolButtons{QStringLiteral("ToolButton1"), QStringLiteral("ToolButton2"),
                                  QStringLiteral("btnConn"), QStringLiteral("btnclose"),
                                  QStringLiteral("helpTxTButton")};
    const QStringList toolActions{QStringLiteral("actCustM"), QStringLiteral("actCall"),
                                  QStringLiteral("actcomplain"), QStringLiteral("actService"),
                                  QStringLiteral("helpTxT")};
    for (int i = 0; i < toolButtons.size(); ++i) {
        if (QWidget* button = ui->ToolBar1->widgetForAction(action(toolActions[i]))) {
            button->setObjectName(toolButtons[i]);
            button->setMinimumSize(55, 51);
        }
    }

    setupQuickFind();

    linkMenuItem(QStringLiteral("E1"), QStringLiteral("actexport"));
    linkMenuItem(QStringLiteral("N20"), QStringLiteral("actCustsheet"));
    linkMenuItem(QStringLiteral("N21"), QStringLiteral("actcensus"));
    linkMenuItem(QStringLiteral("N22"), QStringLiteral("actEnvelope"));
    linkMenuItem(QStringLiteral("N24"), QStringLiteral("actlabel"));

    m_timer1.setInterval(1000);
    m_timer1.setSingleShot(true);
    onSignal(&m_timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    setCommand(QStringLiteral("N12"), [this] { close(); });
    setCommand(QStringLiteral("N26"), [this] { openHelp(); });
    setCommand(QStringLiteral("helpTxT"), [this] { openHelp(); });
    setCommand(QStringLiteral("N41"), [this] { openWebSite(); });
    setCommand(QStringLiteral("N31"), [this] { showModal<TfrmAboutMe>(this, [](TfrmAboutMe&) {}); });
    setCommand(QStringLiteral("N40"), [this] { showModal<TfrmCoInFo>(this, [](TfrmCoInFo&) {}); });
    setCommand(QStringLiteral("actpassword"),
               [this] { showModal<TfrmChangePass>(this, [](TfrmChangePass&) {}); });
    updateEnabling();
}

TfrmMain::~TfrmMain() = default;

QAction* TfrmMain::action(const QString& name) const
{
    for (QAction* a : findChildren<QAction*>())
        if (a->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return a;
    return nullptr;
}

QMdiArea* TfrmMain::mdiArea() const
{
    return ui->mdiClient;
}

void TfrmMain::setupIcons()
{
    for (const IconChoice& c : kIcons)
        if (QAction* a = action(QString::fromLatin1(c.action)))
            a->setIcon(commandIcon(c.icon));
}

void TfrmMain::setupQuickFind()
{
    ui->ToolBar1->addSeparator();
    m_quickFind = new QuickFindBox(ui->ToolBar1);
    m_quickFindOnBar = ui->ToolBar1->addWidget(m_quickFind);
    m_quickFindKey = new QAction(QStringLiteral("快速查找"), this);
    m_quickFindKey->setObjectName(QStringLiteral("actQuickFind"));
    m_quickFindKey->setIcon(commandIcon(CommandIcon::Find));
    m_quickFindKey->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    m_quickFindKey->setShortcutContext(Qt::ApplicationShortcut);
    addAction(m_quickFindKey);
    onSignal(m_quickFindKey, &QAction::triggered, this, [this] { focusQuickFind(); });
    onSignal(m_quickFind, &QuickFindBox::customerChosen, this, [this](qint64 id) {
        requirePermission(Operation::OpenCustomerWindow);
        if (m_showCustomer)
            m_showCustomer(id);
    });
    onSignal(m_quickFind, &QuickFindBox::machineChosen, this, [this](const QString& goodsCode) {
        requirePermission(Operation::OpenCustomerWindow);
        if (m_showMachine)
            m_showMachine(goodsCode);
    });
}

void TfrmMain::focusQuickFind()
{
    if (!m_quickFindKey->isEnabled())
        return;
    activateWindow();
    m_quickFind->setFocus(Qt::ShortcutFocusReason);
    m_quickFind->selectAll();
}

void TfrmMain::setCustomerShown(std::function<void(qint64)> show)
{
    m_showCustomer = std::move(show);
    updateEnabling();
}

void TfrmMain::linkMenuItem(const QString& item, const QString& actionName)
{
    QAction* menuItem = action(item);
    QAction* target = action(actionName);
    menuItem->setIcon(target->icon());
    connect(menuItem, &QAction::triggered, target, &QAction::trigger);
    connect(target, &QAction::changed, menuItem,
            [menuItem, target] { menuItem->setEnabled(target->isEnabled()); });
    menuItem->setEnabled(target->isEnabled());
}

void TfrmMain::setCommand(const QString& actionName, std::function<void()> command)
{
    QAction* a = action(actionName);
    Q_ASSERT_X(a, "TfrmMain::setCommand", qPrintable(actionName));
    const QString key = actionName.toLower();
    const bool first = !m_commands.contains(key);
    m_commands.insert(key, std::move(command));
    if (first) {
        onSignal(a, &QAction::triggered, this, [this, key] {
            if (const auto it = m_commands.constFind(key); it != m_commands.constEnd())
                it.value()();
        });
    }
    updateEnabling();
}

bool TfrmMain::hasCommand(const QString& actionName) const
{
    return m_commands.contains(actionName.toLower());
}

// The right a command of the main window needs: the sixteen actions their own, the data
// initialization that of backup and restore; the other commands none.
std::optional<Right> TfrmMain::rightOfCommand(const QString& name)
{
    if (name.compare(QLatin1String("N27"), Qt::CaseInsensitive) == 0)
        return requiredRight(Operation::InitialiseData);
    if (name.compare(QLatin1String("actRemindCenter"), Qt::CaseInsensitive) == 0)
        return requiredRight(Operation::Reminders);
    return rightOfAction(name);
}

void TfrmMain::updateEnabling()
{
    const Permissions& permissions = currentPermissions();
    for (const QString& name : kActionNames + kOwnCommands) {
        const std::optional<Right> right = rightOfCommand(name);
        action(name)->setEnabled(m_commands.contains(name.toLower()) &&
                                 (!right || permissions.allows(*right)));
    }
    const bool mayFind = m_showCustomer && mayUse(Operation::OpenCustomerWindow);
    m_quickFindOnBar->setVisible(mayFind);
    m_quickFindKey->setEnabled(mayFind);
}

void TfrmMain::ApplyUserRights()
{
    TfrmData& d = zu::data();
    applyUserRights(d.F(), d.CurrentUserRights());
    updateEnabling();
}

QString TfrmMain::statusText(int panel) const
{
    return panel >= 0 && panel < m_panels.size() ? m_panels[panel]->text() : QString();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    m_timer1.stop();
    event->accept();
}

void TfrmMain::FormShow()
{
    TfrmData& d = zu::data();
    const QString version = readVersion(d.T());
    setWindowTitle(QStringLiteral("zu电器售后服务管理软件") + version);

    m_panels[0]->setText(QStringLiteral("当前登录用户:") + d.CurrentUserName());
    showDatabaseStatus();
    connect(&d, &TfrmData::serverReachableChanged, this, [this] { showDatabaseStatus(); });
    m_panels[2]->setText(QStringLiteral("当前版本号") + version);

    if (m_openCustomers && mayUse(Operation::OpenCustomerWindow))
        m_openCustomers();
    checkReminders();
}

void TfrmMain::showDatabaseStatus()
{
    TfrmData& d = zu::data();
    const QString where = d.dialect().statusText(d.conn().settings());
    const bool reachable = d.serverReachable();
    m_panels[1]->setText(
        reachable ? where : QStringLiteral("无法连接数据库服务器，下一次操作时将重新连接（%1）").arg(where));
    m_panels[1]->setStyleSheet(reachable ? QString() : QStringLiteral("QLabel { color: red; }"));
}

void TfrmMain::checkReminders()
{
    // The pop-up is the reminder window: a user who may not open it is not shown it either.
    if (!mayUse(Operation::Reminders))
        return;
    TfrmData& d = zu::data();
    const ReminderSettings settings = readReminderSettings(d.qryTemp());
    openDueCustomers(d.qryRemind(), settings.day);
    // Overdue reminders of the reminder centre pop the window up as well: it tells their number.
    if (d.qryRemind().isEmpty() && ReminderCentre(d.conn(), QDate::currentDate()).counts().overdue == 0)
        return;
    if (settings.popUp())
        m_timer1.start();
}

void TfrmMain::Timer1Timer()
{
    m_timer1.stop();
    if (!mayUse(Operation::Reminders))
        return;
    emit remindersDue();
    if (m_openReminders)
        m_openReminders();
}

void TfrmMain::openHelp()
{
    dialogs().openExternally(homeOrShippedFile(zu::data().homeDir(), QStringLiteral("帮助文件.html")));
}

void TfrmMain::openWebSite()
{
    const QString site =
        zu::data().ConfigIni().readString(QStringLiteral("config"), QStringLiteral("WebSite"));
    if (site.trimmed().isEmpty()) {
        dialogs().inform(this, QStringLiteral("提示"),
                         QStringLiteral("尚未设置公司网站地址（Config.ini 的 [config] WebSite）。"));
        return;
    }
    dialogs().openExternally(site.trimmed());
}

} // namespace zu
