#pragma once

#include <memory>
#include <QDialog>
#include <QPointer>

namespace Ui {
class TfrmCustname;
}

namespace zu {

// The customer picker of the journal editors: narrows the customer list by category or by one
// column; a double-click writes the customer's name and code into the opener's boxes.
class TfrmCustname final : public QDialog
{
    Q_OBJECT
public:
    // `opener` is the editor whose boxes receive the choice.
    explicit TfrmCustname(QWidget* opener);
    ~TfrmCustname() override;

    QString FCaller;

private:
    void FormShow();
    void cmbselectChange();
    void BitBtn1Click();
    void dgselectDblClick();

    std::unique_ptr<Ui::TfrmCustname> ui;
    QPointer<QWidget> m_opener;
};

} // namespace zu
