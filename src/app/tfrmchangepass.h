#pragma once

#include <memory>
#include <QDialog>

namespace Ui {
class TfrmChangePass;
}

namespace zu {

// Changes the logged-in user's password.
class TfrmChangePass final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmChangePass(QWidget* parent = nullptr);
    ~TfrmChangePass() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Btn_OKClick();
    void tell(const QString& title, const QString& text);

    std::unique_ptr<Ui::TfrmChangePass> ui;
};

} // namespace zu
