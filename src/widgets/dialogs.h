#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

namespace zu {

// Everything the program asks of the desktop that a test must not see as a real window or
// process: message boxes, file dialogs, opening a file with its program, starting a program.
// Tests install a scripted implementation that records what was shown and answers.
class Dialogs
{
public:
    virtual ~Dialogs();

    virtual QMessageBox::StandardButton message(QWidget* parent, const QString& title, const QString& text,
                                                QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                                 const QString& filter) = 0;
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& folder,
                                 const QString& filter) = 0;
    virtual QString existingFolder(QWidget* parent, const QString& caption, const QString& folder) = 0;
    // Opens a file or a web address with the desktop's associated program.
    virtual bool openExternally(const QString& fileOrUrl) = 0;
    // Starts a program without waiting for it.
    virtual bool startDetached(const QString& program, const QStringList& arguments) = 0;

    // Shorthands
    void inform(QWidget* parent, const QString& title, const QString& text,
                QMessageBox::Icon icon = QMessageBox::Information);
    bool askYesNo(QWidget* parent, const QString& title, const QString& text,
                  QMessageBox::Icon icon = QMessageBox::Question);
};

// Dialogs for a start without anyone at the screen (the start-up check of an installation):
// every message goes to the error output and is answered with its default button, no file is
// chosen, nothing is opened or started.
class UnattendedDialogs final : public Dialogs
{
public:
    QMessageBox::StandardButton message(QWidget* parent, const QString& title, const QString& text,
                                        QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override;
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString existingFolder(QWidget*, const QString&, const QString&) override { return {}; }
    bool openExternally(const QString&) override { return false; }
    bool startDetached(const QString&, const QStringList&) override { return false; }

    // Messages with a warning or error icon, or asking a question.
    int troubles() const { return m_troubles; }

private:
    int m_troubles = 0;
};

// The dialogs in force: the desktop's own unless a test installed others.
Dialogs& dialogs();

// Installs other dialogs for its lifetime.
class ScopedDialogs final
{
public:
    explicit ScopedDialogs(Dialogs& dialogs);
    ~ScopedDialogs();
    ScopedDialogs(const ScopedDialogs&) = delete;
    ScopedDialogs& operator=(const ScopedDialogs&) = delete;

private:
    Dialogs* m_previous;
};

} // namespace zu
