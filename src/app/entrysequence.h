#pragma once

#include "data/apphome.h"

#include <memory>
#include <QString>

namespace zu {

class TfrmData;
class TfrmLogin;
class TfrmMain;
class TfrmSplash;

// Start-up: splash, main window (hidden), data module and its connection, login, and the main
// window shown maximised only after a correct login.
class EntrySequence final
{
public:
    explicit EntrySequence(QString homeDir);
    // An installed program's folder is set up at the first start.
    explicit EntrySequence(ProgramHome home);
    ~EntrySequence();

    // For the start-up check of an installation: the login window is shown and closed again at
    // once, and start() ends there.
    void setStartOnly(bool startOnly) { m_startOnly = startOnly; }

    // Runs up to the point where the event loop takes over; false when the program is to end
    // (no connection, or the login was cancelled).
    bool start();

    bool loginShown() const { return m_loginShown; }
    QString homeDir() const { return m_home.dir; }
    TfrmMain* mainWindow() const { return m_main.get(); }
    TfrmData* dataModule() const { return m_data.get(); }

private:
    void backUpAutomatically();

    ProgramHome m_home;
    bool m_startOnly = false;
    std::unique_ptr<TfrmMain> m_main;
    std::unique_ptr<TfrmData> m_data;
    std::unique_ptr<TfrmLogin> m_login;
    bool m_loginShown = false;
};

// After a failed connection: asks the data module's question whether to set up the database
// connection again ("失败", yes/no) and on yes starts the connection tool without waiting for it.
void offerConnectionTool(const TfrmData& dataModule);

// Qt's own texts (message-box buttons, file and print dialogs) in Chinese.
void installChineseTranslations();

} // namespace zu
