#pragma once

#include "journaleditor.h"
#include "servicewarranty.h"

namespace Ui {
class TfrmServiceAdd;
}

namespace zu {

// Adds or changes a service (repair) record.
class TfrmServiceAdd final : public JournalEditor
{
    Q_OBJECT
public:
    explicit TfrmServiceAdd(QWidget* parent = nullptr);
    ~TfrmServiceAdd() override;

    static const JournalEditorKind& editorKind();

protected:
    void fillLists() override;
    // Whether the machine was under warranty on the service day (InWarranty).
    void completeValues(QVariantMap& values) override;

private:
    ServiceWarranty warranty() const;
    void showWarranty();

    std::unique_ptr<Ui::TfrmServiceAdd> ui;
};

} // namespace zu
