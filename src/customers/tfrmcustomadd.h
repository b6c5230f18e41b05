#pragma once

#include "data/warrantyterms.h"
#include "widgets/fieldbinding.h"
#include <QDialog>

#include <memory>
#include <QVariantMap>

namespace Ui {
class TfrmCustomAdd;
}

namespace zu {

class DataSet;

// Adds a customer to the customer list or changes its current customer. A changed customer code
// is carried into the customer's service records, return visits and complaints.
class TfrmCustomAdd final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmCustomAdd(QWidget* parent = nullptr);
    ~TfrmCustomAdd() override;

    bool FIsAdd = true;

    // Writes a category chosen in the category editor into the category boxes.
    void setCategory(const QString& name, const QString& code);

private:
    void FormCreate();
    void FormShow();
    void btnInsertClick();
    // Asks before adding a customer that looks like one already there; false: stay in the editor.
    bool confirmNotDuplicate();
    void chooseCategory();
    // The warranty end and 在保/过保 from the purchase date and the model, as they are now.
    void showWarranty();
    // The values of every box by column and the saving user.
    QVariantMap collectValues() const;

    std::unique_ptr<Ui::TfrmCustomAdd> ui;
    BoundFields m_fields;
    WarrantyTerms m_warrantyTerms;
    QString FOldIDCode;
};

} // namespace zu
