#pragma once

#include "data/dataset.h"

#include <memory>
#include <QDialog>
#include <QMessageBox>

namespace Ui {
class TfrmUserQx;
}

namespace zu {

// Users and their permissions: the users list, the input panel and the check tree of the
// "用户权限" catalogue. Permission groups only appear as the entries of the group box.
class TfrmUserQx final : public QDialog
{
    Q_OBJECT
public:
    explicit TfrmUserQx(QWidget* parent = nullptr);
    ~TfrmUserQx() override;

    // True after Add (a save inserts a user), false after Edit (a save changes the current one).
    bool FIsAdd = false;
    // The name of the current user when it was shown or Edit was chosen.
    QString FOldUserName;

    // Leaving the window with changes not saved (ticks in the tree, a user being added or
    // changed) asks first.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void UserNameChange();
    void ToolButton1Click();
    void N1Click();
    void ToolButton2Click();
    void N2Click();
    void N3Click();
    void ToolButton11Click();
    void btnPostClick();
    void fillGroupBox(const QString& firstItem, const QString& group);
    void showCurrentUser();
    void setBrowsing();
    bool hasCurrentUser() const;
    bool editing() const;
    bool hasUnsavedChanges() const;
    void updateDeleteKey();
    void groupChosen(int index);
    void tell(const QString& text, QMessageBox::Icon icon = QMessageBox::Question);

    std::unique_ptr<Ui::TfrmUserQx> ui;
    QString m_shownRights;    // the tree's ticks as last shown or saved
    RowStamp m_shownUser;     // the user the boxes and the tree were filled from
    bool m_keepInput = false; // while saving: the boxes keep what the user typed
};

} // namespace zu
