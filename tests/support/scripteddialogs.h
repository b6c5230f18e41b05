#pragma once

#include "widgets/dialogs.h"

#include <QList>
#include <QQueue>

namespace zu::test {

// Records every dialog the code under test shows and answers from a script. Installed for its
// lifetime. An unscripted message box is answered with its default button (or OK); an unscripted
// file dialog is cancelled.
class ScriptedDialogs final : public Dialogs
{
public:
    struct Shown
    {
        QString kind; // "message", "save", "open", "folder", "open-externally", "start"
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    void answer(QMessageBox::StandardButton button) { m_answers.enqueue(button); }
    void answerFile(const QString& path) { m_files.enqueue(path); }

    const QList<Shown>& shown() const { return m_shown; }
    QStringList messages() const; // texts of the message boxes, in order
    Shown last() const { return m_shown.isEmpty() ? Shown() : m_shown.last(); }
    void clear() { m_shown.clear(); }

    QMessageBox::StandardButton message(QWidget* parent, const QString& title, const QString& text,
                                        QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                         const QString& filter) override;
    QString openFileName(QWidget* parent, const QString& caption, const QString& folder,
                         const QString& filter) override;
    QString existingFolder(QWidget* parent, const QString& caption, const QString& folder) override;
    bool openExternally(const QString& fileOrUrl) override;
    bool startDetached(const QString& program, const QStringList& arguments) override;

private:
    QList<Shown> m_shown;
    QQueue<QMessageBox::StandardButton> m_answers;
    QQueue<QString> m_files;
    ScopedDialogs m_scope;
};

} // namespace zu::test
