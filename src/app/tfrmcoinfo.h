#pragma once

#include "softinfo.h"

#include <memory>
#include <QDialog>

class QLineEdit;

namespace Ui {
class TfrmCoInFo;
}

namespace zu {

// Edits the company information kept in t_SoftInfo.
class TfrmCoInFo final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmCoInFo(QWidget* parent = nullptr);
    ~TfrmCoInFo() override;

private:
    void FormCreate();
    void btnPostClick();
    QList<QPair<QLineEdit*, QString CompanyInfo::*>> fields() const;

    std::unique_ptr<Ui::TfrmCoInFo> ui;
    CompanyInfoRow m_row; // the row the boxes were filled from
};

} // namespace zu
