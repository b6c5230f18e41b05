#include "tfrmuserqx.h"

#include "checktree.h"
#include "ui_tfrmuserqx.h"
#include "useraccounts.h"

#include "columns/gridcolumns.h"
#include "columns/listgrid.h"
#include "data/datamodule.h"
#include "permissions.h"
#include "widgets/dialogs.h"
#include "widgets/formroutines.h"
#include "widgets/guard.h"
#include "widgets/icons.h"

#include <QMenu>
#include <QScopeGuard>

namespace zu {

namespace {

const QString kCatalogue = QStringLiteral("用户权限");
const QString kLayout = QStringLiteral("tUser_Show");

QString userType()
{
    return QString::fromUtf8(kUserType);
}

} // namespace

TfrmUserQx::TfrmUserQx(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmUserQx>())
{
    ui->setupUi(this);
    ui->UserName->hide();
    ui->Splitter1->setStretchFactor(0, 3);
    ui->Splitter1->setStretchFactor(1, 2);
    ui->dgUser->setHasFooter(false);
    ui->ToolButton1->setIcon(commandIcon(CommandIcon::AddUser));
    ui->ToolButton2->setIcon(commandIcon(CommandIcon::Edit));
    ui->ToolButton3->setIcon(commandIcon(CommandIcon::Delete));
    ui->btnPost->setIcon(commandIcon(CommandIcon::Save));
    ui->ToolButton11->setIcon(commandIcon(CommandIcon::Cancel));
    ui->ToolButton8->setIcon(commandIcon(CommandIcon::Close));
    // The pop-up menu's Add and Edit keys work anywhere in the window; Del only in the users list,
    // so that it never deletes a user while a box or the tree has the focus.
    addActions({ui->N1, ui->N2});
    ui->N3->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    ui->dgUser->addAction(ui->N3);

    auto bind = [this](auto* sender, auto signal, void (TfrmUserQx::*handler)()) {
        onSignal(sender, signal, this, [this, handler] { (this->*handler)(); });
    };
    bind(ui->ToolButton1, &QToolButton::clicked, &TfrmUserQx::ToolButton1Click);
    bind(ui->N1, &QAction::triggered, &TfrmUserQx::N1Click);
    bind(ui->ToolButton2, &QToolButton::clicked, &TfrmUserQx::ToolButton2Click);
    bind(ui->N2, &QAction::triggered, &TfrmUserQx::N2Click);
    bind(ui->ToolButton3, &QToolButton::clicked, &TfrmUserQx::N3Click);
    bind(ui->N3, &QAction::triggered, &TfrmUserQx::N3Click);
    bind(ui->btnPost, &QToolButton::clicked, &TfrmUserQx::btnPostClick);
    bind(ui->ToolButton11, &QToolButton::clicked, &TfrmUserQx::ToolButton11Click);
    connect(ui->ToolButton8, &QToolButton::clicked, this, &QDialog::close);
    onSignal(ui->cmbQxGroup, &QComboBox::activated, this, [this](int index) { groupChosen(index); });
    connect(ui->dgUser, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu pmUser(this);
        pmUser.addActions({ui->N1, ui->N2, ui->N3});
        pmUser.exec(ui->dgUser->mapToGlobal(at));
    });

    guarded(this, [this] { FormCreate(); });
}

TfrmUserQx::~TfrmUserQx() = default;

void TfrmUserQx::FormCreate()
{
    ArrangeTabOrder(this, true);
    limitToColumns(QStringLiteral("T_user"), {{ui->edtUserName, QStringLiteral("UserName")}});
    setWindowTitle(QStringLiteral("操作员及权限管理"));
    LoadPopedomTree(ui->RzCheckTree1, kCatalogue, kCatalogue);

    TfrmData& d = zu::data();
    openGroups(d.qryUserZ());
    // Whenever the current user changes, the boxes and the tree show that user.
    onSignal(&d.qryUser(), &DataSet::currentRowChanged, this, [this] { UserNameChange(); });
    openUsers(d.qryUser());
    LoadGridColumns(ui->dgUser, &d.qryUser(), kLayout);

    ui->edtUserName->clear();
    ui->edtPassword->clear();
    ui->mmRemark->clear();
    m_shownRights = checkedNamesList(ui->RzCheckTree1, kRightsFirstNode);
}

void TfrmUserQx::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ui->btnPost->setEnabled(false);
    ui->ToolButton11->setEnabled(false);
    updateDeleteKey();
}

bool TfrmUserQx::editing() const
{
    return ui->btnPost->isEnabled();
}

bool TfrmUserQx::hasUnsavedChanges() const
{
    return editing() || checkedNamesList(ui->RzCheckTree1, kRightsFirstNode) != m_shownRights;
}

void TfrmUserQx::reject()
{
    bool leave = true;
    guarded(this, [this, &leave] {
        leave = !hasUnsavedChanges() ||
                dialogs().askYesNo(this, QStringLiteral("提示"),
                                   QStringLiteral("用户或权限的修改尚未保存，确定要关闭窗口吗？"),
                                   QMessageBox::Question);
    });
    if (leave)
        QDialog::reject();
}

void TfrmUserQx::updateDeleteKey()
{
    ui->N3->setEnabled(!editing() && ui->ToolButton3->isEnabled());
}

void TfrmUserQx::groupChosen(int index)
{
    if (index <= 0)
        return;
    Query& q = zu::data().qryTemp();
    setTreeFromRights(ui->RzCheckTree1, groupRights(q, ui->cmbQxGroup->itemText(index)));
}

bool TfrmUserQx::hasCurrentUser() const
{
    const DataSet& users = zu::data().qryUser();
    return users.isOpen() && users.currentRow() >= 0;
}

void TfrmUserQx::tell(const QString& text, QMessageBox::Icon icon)
{
    dialogs().message(this, QStringLiteral("提示"), text, icon, QMessageBox::Ok, QMessageBox::Ok);
}

void TfrmUserQx::fillGroupBox(const QString& firstItem, const QString& group)
{
    FillComboFromSql(ui->cmbQxGroup, groupListStatement(), -1, firstItem);
    ui->cmbQxGroup->setCurrentIndex(ui->cmbQxGroup->findText(group));
}

void TfrmUserQx::showCurrentUser()
{
    DataSet& users = zu::data().qryUser();
    FOldUserName = users.fieldText(QStringLiteral("UserName"));
    ui->edtUserName->setText(FOldUserName);
    // Only a hash of the password is stored: the box starts empty, and left empty it keeps it.
    ui->edtPassword->clear();
    fillGroupBox(QString(), users.fieldText(QStringLiteral("qxGroup")).trimmed());
    ui->mmRemark->setPlainText(users.fieldText(QStringLiteral("Remark")));
}

void TfrmUserQx::UserNameChange()
{
    if (m_keepInput || !hasCurrentUser())
        return;
    DataSet& users = zu::data().qryUser();
    m_shownUser = users.stamp();
    ui->UserName->setText(users.fieldText(QStringLiteral("UserName")));
    setTreeFromRights(ui->RzCheckTree1, users.fieldText(QStringLiteral("qxList")));
    m_shownRights = checkedNamesList(ui->RzCheckTree1, kRightsFirstNode);
    showCurrentUser();
    ui->btnPost->setEnabled(false);
    updateDeleteKey();
}

void TfrmUserQx::ToolButton1Click()
{
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->dgUser, ui->ToolButton1, ui->ToolButton2, ui->ToolButton3})
        w->setEnabled(false);
    N1Click(); // enables saving and cancelling
}

void TfrmUserQx::N1Click()
{
    ui->ToolButton2->setEnabled(false);
    ui->ToolButton3->setEnabled(false);
    ui->btnPost->setEnabled(true);
    ui->ToolButton11->setEnabled(true);
    FIsAdd = true;
    ui->edtUserName->clear();
    ui->edtPassword->clear();
    FillComboFromSql(ui->cmbQxGroup, groupListStatement(), 0, QString());
    ui->mmRemark->clear();
    // The tree stays as it is: a new user starts with the permissions shown now.
    ui->edtUserName->setFocus();
    updateDeleteKey();
}

void TfrmUserQx::ToolButton2Click()
{
    if (!hasCurrentUser())
        return;
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->dgUser, ui->ToolButton2, ui->ToolButton1, ui->ToolButton3})
        w->setEnabled(false);
    ui->ToolButton11->setEnabled(true);
    ui->btnPost->setEnabled(true);
    N2Click();
}

void TfrmUserQx::N2Click()
{
    // Without a current user a save would have nothing to change.
    if (!hasCurrentUser())
        return;
    FIsAdd = false;
    ui->btnPost->setEnabled(true);
    showCurrentUser();
    ui->edtUserName->setFocus();
    updateDeleteKey();
}

void TfrmUserQx::N3Click()
{
    // Delete acts on the users list while it is browsed, never while a user is added or changed.
    if (!hasCurrentUser() || editing())
        return;
    requirePermission(Operation::ManageUsers);
    TfrmData& d = zu::data();
    DataSet& users = d.qryUser();
    const QString refusal = deleteRefusal(d.qryTemp(), users.currentKey(), d.CurrentUserKey());
    if (!refusal.isEmpty()) {
        tell(refusal, QMessageBox::Warning);
        return;
    }
    if (dialogs().message(this, QStringLiteral("提示"), QStringLiteral("您确定要删除嘛？"),
                          QMessageBox::Information, QMessageBox::Ok | QMessageBox::Cancel,
                          QMessageBox::Cancel) != QMessageBox::Ok)
        return;
    users.deleteCurrent();
}

void TfrmUserQx::setBrowsing()
{
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui->dgUser, ui->ToolButton1, ui->ToolButton2, ui->ToolButton3})
        w->setEnabled(true);
    ui->btnPost->setEnabled(false);
    ui->ToolButton11->setEnabled(false);
    updateDeleteKey();
}

void TfrmUserQx::ToolButton11Click()
{
    setBrowsing();
}

void TfrmUserQx::btnPostClick()
{
    setBrowsing();
    const QString rights = checkedNamesList(ui->RzCheckTree1, kRightsFirstNode);
    const QString name = ui->edtUserName->text();
    if (name.isEmpty()) {
        tell(QStringLiteral("用户名称不能为空，请您重新录入!"));
        ui->edtUserName->setFocus();
        return;
    }
    requirePermission(Operation::ManageUsers);
    TfrmData& d = zu::data();
    if (nameNeedsCheck(FIsAdd, name, FOldUserName) && countUsersNamed(d.qryTemp(), name) > 0) {
        tell(QStringLiteral("用户名称重复，请您重新录入!"));
        ui->edtUserName->setFocus();
        return;
    }
    const QVariant key = FIsAdd ? QVariant() : d.qryUser().currentKey();
    if (const QString refusal = rightsChangeRefusal(d.qryTemp(), key, rights); !refusal.isEmpty()) {
        tell(refusal, QMessageBox::Warning);
        return;
    }
    // Everything is read from the boxes before the row moves (a posted row is shown again).
    const std::optional<QString> password = passwordToStore(FIsAdd, ui->edtPassword->text());
    const QString remark = ui->mmRemark->toPlainText();
    const QString group = groupToStore(ui->cmbQxGroup->currentIndex(), ui->cmbQxGroup->currentText());

    DataSet& users = d.qryUser();
    // A user someone else changed or deleted meanwhile is not written; the boxes keep the input.
    m_keepInput = true;
    const auto keepNoMore = qScopeGuard([this] { m_keepInput = false; });
    if (FIsAdd)
        users.append();
    else
        users.edit(m_shownUser);
    try {
        users.setField(QStringLiteral("UserName"), name);
        if (password)
            users.setField(QStringLiteral("Password"), *password);
        users.setField(QStringLiteral("Remark"), remark);
        users.setField(QStringLiteral("ckList"), QString());
        users.setField(QStringLiteral("djList"), QString());
        users.setField(QStringLiteral("qxList"), rights);
        users.setField(QStringLiteral("qxGroup"), group);
        users.setField(QStringLiteral("type"), userType());
        users.post();
    } catch (...) {
        users.cancel();
        throw;
    }
    m_keepInput = false;
    UserNameChange(); // the saved user as stored now, with its new version
    tell(QStringLiteral("操作成功！"));
}

} // namespace zu
