#pragma once

#include <memory>
#include <QDialog>

namespace Ui {
class TfrmLogin;
}

namespace zu {

class TfrmMain;

// The login: choose a user, type the password; a correct one sets the current user and its
// rights and has the main window apply them.
class TfrmLogin final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmLogin(TfrmMain* mainWindow, QWidget* parent = nullptr);
    ~TfrmLogin() override;

    bool LoginOK() const { return m_loginOK; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void Btn_okClick();
    void warn(const QString& text);
    void rememberPosition(int position);

    std::unique_ptr<Ui::TfrmLogin> ui;
    TfrmMain* m_mainWindow;
    bool m_loginOK = false;
    bool m_positionWarned = false;
};

} // namespace zu
