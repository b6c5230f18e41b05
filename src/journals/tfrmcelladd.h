#pragma once

#include "journaleditor.h"

namespace Ui {
class TfrmCellAdd;
}

namespace zu {

// Adds or changes a return visit.
class TfrmCellAdd final : public JournalEditor
{
    Q_OBJECT
public:
    explicit TfrmCellAdd(QWidget* parent = nullptr);
    ~TfrmCellAdd() override;

    static const JournalEditorKind& editorKind();
    // What the visit is about, set before the editor is shown.
    void presetRemark(const QString& text);

protected:
    void fillLists() override;

private:
    std::unique_ptr<Ui::TfrmCellAdd> ui;
};

} // namespace zu
