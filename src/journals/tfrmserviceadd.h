#pragma once

#include "journaleditor.h"

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

private:
    std::unique_ptr<Ui::TfrmServiceAdd> ui;
};

} // namespace zu
