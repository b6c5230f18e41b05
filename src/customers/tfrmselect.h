#pragma once

#include <memory>
#include <QDialog>

class QCheckBox;
class QDateEdit;

namespace Ui {
class TfrmSelect;
}

namespace zu {

struct CustomerSearch;

// The customer search: replaces the customer list with the customers meeting every condition.
class TfrmSelect final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmSelect(QWidget* parent = nullptr);
    ~TfrmSelect() override;

    CustomerSearch conditions() const;

private:
    void FormCreate();
    void FormShow();
    void rangeTicked(QCheckBox* box, QDateEdit* from, QDateEdit* to);
    void BitBtn1Click();

    std::unique_ptr<Ui::TfrmSelect> ui;
};

} // namespace zu
