#pragma once

#include "users/permissions.h"

#include <functional>
#include <memory>
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

class QLabel;
class QMdiArea;

namespace Ui {
class TfrmMain;
}

namespace zu {

class QuickFindBox;

// The main window: the menu bar, tool bar and named actions that open every other window, the
// client area holding the customer window, and the status bar.
class TfrmMain final : public QMainWindow
{
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Enables each action the permission catalogue names as the logged-in user's rights say.
    void ApplyUserRights();

    // A command's window: connects the action and makes it available. Actions whose windows are
    // not part of the program yet stay disabled whatever the rights say.
    void setCommand(const QString& actionName, std::function<void()> command);
    bool hasCommand(const QString& actionName) const;
    QAction* action(const QString& name) const;

    QMdiArea* mdiArea() const;
    QTimer& Timer1() { return m_timer1; }

    // Opens the window that lists the customers due for a reminder (also on the timer's tick).
    void setReminderWindow(std::function<void()> open) { m_openReminders = std::move(open); }
    // Opens the customer window (or brings the open one forward).
    void setCustomerWindow(std::function<void()> open) { m_openCustomers = std::move(open); }
    // Shows a customer quick find chose, by its key, in the customer window.
    void setCustomerShown(std::function<void(qint64)> show);
    // Opens the history of a machine quick find offered, by its body code.
    void setMachineShown(std::function<void(const QString&)> show) { m_showMachine = std::move(show); }

    // The quick find box of the tool bar, offered to users who may open the customer window.
    QuickFindBox* quickFindBox() const { return m_quickFind; }

    QString statusText(int panel) const;

signals:
    void remindersDue();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    void checkReminders();
    void showDatabaseStatus();
    void Timer1Timer();
    void updateEnabling();
    static std::optional<Right> rightOfCommand(const QString& name);
    void openHelp();
    void openWebSite();
    void linkMenuItem(const QString& item, const QString& action);
    void setupIcons();
    void setupQuickFind();
    void focusQuickFind();

    std::unique_ptr<Ui::TfrmMain> ui;
    QTimer m_timer1;
    QList<QLabel*> m_panels;
    QHash<QString, std::function<void()>> m_commands; // by lower-case action name
    std::function<void()> m_openReminders;
    std::function<void()> m_openCustomers;
    std::function<void(qint64)> m_showCustomer;
    std::function<void(const QString&)> m_showMachine;
    QuickFindBox* m_quickFind = nullptr;
    QAction* m_quickFindOnBar = nullptr; // the box's place on the tool bar
    QAction* m_quickFindKey = nullptr;   // Ctrl+F from any window of the program
};

// Opens a modal dialog the way every command does: created, shown, destroyed when it closes.
template <typename Dialog, typename Setup> void showModal(QWidget* owner, Setup&& setup)
{
    Dialog dialog(owner);
    setup(dialog);
    dialog.exec();
}

} // namespace zu
