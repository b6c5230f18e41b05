#pragma once

#include <functional>
#include <memory>
#include <QDialog>
#include <QVariant>

namespace Ui {
class TfrmCoustTree;
}

namespace zu {

// Maintains the customer categories; in selection mode also chooses one for the customer editor.
class TfrmCoustTree final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmCoustTree(QWidget* parent = nullptr);
    ~TfrmCoustTree() override;

    bool FManage = true;
    // Where a chosen category's name and code go (the open customer editor).
    void setChoiceTarget(std::function<void(const QString& name, const QString& code)> target);

    QString kind() const;

private:
    void FormShow();
    void btnRefreshClick();
    void tvBasicClick();
    void beginAdd(bool child);
    void MakeNewCode();
    void TB_EditClick();
    void TB_SaveClick();
    void TB_CancelClick();
    void TB_DelClick();
    void tbSelectClick();
    void treeDoubleClicked();
    void setEditing(bool editing);
    void notifyChanged();
    void info(const QString& text);

    std::unique_ptr<Ui::TfrmCoustTree> ui;
    bool FAdding = false;
    bool FAddChild = false;
    QString FBaseCode;
    std::function<void(const QString&, const QString&)> m_target;
    QVariant m_shownVersion; // of the category the boxes were filled from
    void reloadTreeKeepingInput();
};

} // namespace zu
