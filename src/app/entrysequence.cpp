#include "entrysequence.h"

#include "commands.h"

#include "tfrmlogin.h"
#include "tfrmmain.h"
#include "tfrmsplash.h"

#include "data/apphome.h"
#include "data/datamodule.h"
#include "data/errors.h"
#include "maintenance/autobackup.h"
#include "report/shippedtemplates.h"
#include "widgets/dialogs.h"

#include <QApplication>
#include <QDateTime>
#include <QLibraryInfo>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

namespace zu {

namespace {

const QString kConnToolProgram = QStringLiteral("zu-conntool");

} // namespace

void offerConnectionTool(const TfrmData& dataModule)
{
    QString question = dataModule.reconfigurationQuestion();
    if (question.isEmpty())
        return;
    // What went wrong first (no tables of this program, a newer database, the server's refusal).
    if (!dataModule.connectionFailureCause().isEmpty())
        question = dataModule.connectionFailureCause() + QStringLiteral("\n\n") + question;
    if (dialogs().askYesNo(nullptr, QStringLiteral("失败"), question, QMessageBox::Information))
        dialogs().startDetached(siblingProgram(kConnToolProgram),
                                {QStringLiteral("--home"), dataModule.homeDir()});
}

EntrySequence::EntrySequence(QString homeDir) : m_home{std::move(homeDir), HomeOrigin::Named} {}

EntrySequence::EntrySequence(ProgramHome home) : m_home(std::move(home)) {}

EntrySequence::~EntrySequence()
{
    m_login.reset();
    m_main.reset();
    m_data.reset();
}

bool EntrySequence::start()
{
    auto splash = std::make_unique<TfrmSplash>(m_home.dir);
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    // The application's title. Not the display name: the desktop would add that to every
    // window title.
    QApplication::setApplicationName(QStringLiteral("zu软件"));

    try {
        setUpProgramHome(m_home);
    } catch (const CommandError& e) {
        dialogs().message(nullptr, QStringLiteral("错误"), e.text(), QMessageBox::Critical, QMessageBox::Ok,
                          QMessageBox::Ok);
        return false;
    } catch (const DbError& e) {
        dialogs().message(nullptr, QStringLiteral("错误"), e.text(), QMessageBox::Critical, QMessageBox::Ok,
                          QMessageBox::Ok);
        return false;
    }
    // The report templates, where the program's folder lacks them (never over the user's own).
    installShippedTemplates(homeFile(m_home.dir, QStringLiteral("Reports")), nullptr, nullptr);

    m_main = std::make_unique<TfrmMain>();
    installCommands(*m_main);
    m_data = std::make_unique<TfrmData>(m_home.dir, TfrmData::Opener(),
                                        [&splash](const QString& text) { splash->setStatus(text); });
    if (!m_data->ConnectOK()) {
        offerConnectionTool(*m_data); // the splash still shows the failure meanwhile
        return false;
    }
    splash->setStatus(QStringLiteral("正在检查自动备份..."));
    backUpAutomatically();
    splash.reset();
    if (!m_data->startupWarning().isEmpty())
        dialogs().message(nullptr, QStringLiteral("警告"), m_data->startupWarning(), QMessageBox::Warning,
                          QMessageBox::Ok, QMessageBox::Ok);

    m_login = std::make_unique<TfrmLogin>(m_main.get());
    m_loginShown = true;
    if (m_startOnly)
        QTimer::singleShot(0, m_login.get(), &QDialog::reject);
    m_login->exec();
    if (m_startOnly || !m_login->LoginOK())
        return false;
    // Maximised by the window manager; without one, sized to the screen all the same.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        m_main->setGeometry(screen->availableGeometry());
    m_main->showMaximized();
    return true;
}

void EntrySequence::backUpAutomatically()
{
    QString failure;
    try {
        automaticBackupAtStart(*m_data, QDateTime::currentDateTime());
    } catch (const CommandError& e) {
        failure = e.text();
    } catch (const DbError& e) {
        failure = e.text();
    }
    if (!failure.isEmpty())
        dialogs().message(nullptr, QStringLiteral("警告"),
                          QStringLiteral("今天的自动备份没有完成，请用“数据备份及还原”备份数据库。\n") +
                              failure,
                          QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok);
}

void installChineseTranslations()
{
    static QTranslator qtBase;
    if (qtBase.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtBase);
}

} // namespace zu
