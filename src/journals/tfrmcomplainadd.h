#pragma once

#include "journaleditor.h"

namespace Ui {
class TfrmComplainAdd;
}

namespace zu {

// Adds or changes a complaint; it records its time of day and who took it.
class TfrmComplainAdd final : public JournalEditor
{
    Q_OBJECT
public:
    explicit TfrmComplainAdd(QWidget* parent = nullptr);
    ~TfrmComplainAdd() override;

    static const JournalEditorKind& editorKind();

protected:
    void fillLists() override;

private:
    std::unique_ptr<Ui::TfrmComplainAdd> ui;
};

} // namespace zu
