#pragma once

#include <memory>
#include <QDialog>

namespace Ui {
class TfrmAboutMe;
}

namespace zu {

// About the program and its maker.
class TfrmAboutMe final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmAboutMe(QWidget* parent = nullptr);
    ~TfrmAboutMe() override;

private:
    std::unique_ptr<Ui::TfrmAboutMe> ui;
};

} // namespace zu
