#include "tfrmcousttree.h"

#include "categorycodes.h"
#include "dicttree.h"
#include "tfrmcustom.h"
#include "ui_tfrmcousttree.h"

#include "data/datamodule.h"
#include "data/errors.h"
#include "users/permissions.h"
#include "widgets/dialogs.h"
#include "widgets/formroutines.h"
#include "widgets/guard.h"

#include <QMenu>

namespace zu {

namespace {

const QString kCustomerKind = QStringLiteral("用户类别");

} // namespace

TfrmCoustTree::TfrmCoustTree(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmCoustTree>())
{
    ui->setupUi(this);
    onFirstShow(this, [this] { FormShow(); });
    for (const char* tab : {"用户类别", "公司类别", "型号类别", "故障类别", "权限类别", "投诉类别"})
        ui->pcBasic->addTab(QString::fromUtf8(tab));
    ui->pcBasic->setCurrentIndex(0);
    ui->tvBasic->setSelectionMode(QAbstractItemView::SingleSelection);

    auto on = [this](QAbstractButton* b, void (TfrmCoustTree::*slot)()) {
        onSignal(b, &QAbstractButton::clicked, this, [this, slot] { (this->*slot)(); });
    };
    onSignal(ui->TB_Add, &QAbstractButton::clicked, this, [this] { beginAdd(true); });
    on(ui->TB_Edit, &TfrmCoustTree::TB_EditClick);
    on(ui->TB_Del, &TfrmCoustTree::TB_DelClick);
    on(ui->TB_Save, &TfrmCoustTree::TB_SaveClick);
    on(ui->TB_Cancel, &TfrmCoustTree::TB_CancelClick);
    on(ui->tbSelect, &TfrmCoustTree::tbSelectClick);
    on(ui->btnRefresh, &TfrmCoustTree::btnRefreshClick);
    connect(ui->tbExit, &QAbstractButton::clicked, this, &QDialog::reject);
    onSignal(ui->tvBasic, &QTreeWidget::itemClicked, this, [this] { tvBasicClick(); });
    onSignal(ui->tvBasic, &QTreeWidget::currentItemChanged, this, [this] { tvBasicClick(); });
    onSignal(ui->tvBasic, &QTreeWidget::itemDoubleClicked, this, [this] { treeDoubleClicked(); });
    onSignal(ui->N1, &QAction::triggered, this, [this] { beginAdd(false); });
    onSignal(ui->N2, &QAction::triggered, this, [this] { beginAdd(true); });
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.addAction(ui->N1);
        menu.addAction(ui->N2);
        menu.exec(mapToGlobal(at));
    });
    ui->tvBasic->setContextMenuPolicy(Qt::NoContextMenu); // the dialog's own menu everywhere

    ArrangeTabOrder(this, true);
    guarded(this, [this] {
        limitToColumns(QStringLiteral("T_Dict_cate"), {{ui->edtName, QStringLiteral("name")}});
    });
    setWindowTitle(QStringLiteral("基本信息设置"));
    // Choosing a category is for everyone; adding, renaming and deleting take the right to manage
    // categories, whichever window opened the editor.
    if (!mayUse(Operation::ManageCategories))
        for (QAction* a : {ui->N1, ui->N2})
            a->setEnabled(false);
    setEditing(false);
}

TfrmCoustTree::~TfrmCoustTree() = default;

void TfrmCoustTree::setChoiceTarget(std::function<void(const QString&, const QString&)> target)
{
    m_target = std::move(target);
}

QString TfrmCoustTree::kind() const
{
    return ui->pcBasic->tabText(ui->pcBasic->currentIndex());
}

void TfrmCoustTree::FormShow()
{
    btnRefreshClick();
    ui->pcBasic->hide();
    if (FManage) {
        ui->tbSelect->hide();
    } else {
        setWindowTitle(kCustomerKind);
    }
}

void TfrmCoustTree::btnRefreshClick()
{
    LoadDictTree(ui->tvBasic, kind(), kind());
    ui->tvBasic->setCurrentItem(ui->tvBasic->topLevelItem(0));
    ui->tvBasic->setEnabled(true);
    tvBasicClick();
}

void TfrmCoustTree::tvBasicClick()
{
    const QTreeWidgetItem* node = ui->tvBasic->currentItem();
    if (!node || !ui->tvBasic->isEnabled())
        return;
    ui->edtcode->setText(codeFromNodeText(node->text(0)));
    ui->edtName->setText(nameFromNodeText(node->text(0)));
    m_shownVersion = node->data(0, kCategoryVersionRole);
}

void TfrmCoustTree::reloadTreeKeepingInput()
{
    // After a refused change: the tree shows the stored categories, the boxes what was typed.
    const QSignalBlocker block(ui->tvBasic);
    const bool enabled = ui->tvBasic->isEnabled();
    LoadDictTree(ui->tvBasic, kind(), kind());
    ui->tvBasic->setEnabled(enabled);
}

void TfrmCoustTree::setEditing(bool editing)
{
    const bool may = mayUse(Operation::ManageCategories);
    ui->TB_Add->setEnabled(!editing && may);
    ui->TB_Edit->setEnabled(!editing && may);
    ui->TB_Del->setEnabled(!editing && may);
    // Reloading or choosing now would leave the boxes showing one category and the pending
    // addition or name change another.
    ui->btnRefresh->setEnabled(!editing);
    ui->tbSelect->setEnabled(!editing);
    ui->TB_Save->setEnabled(editing);
    ui->TB_Cancel->setEnabled(editing);
    ui->tvBasic->setEnabled(!editing);
}

void TfrmCoustTree::beginAdd(bool child)
{
    if (ui->TB_Save->isEnabled())
        return; // an addition or a name change is pending
    requirePermission(Operation::ManageCategories);
    FAddChild = child;
    MakeNewCode(); // may refuse: a full parent
    FAdding = true;
    ui->edtName->setEnabled(true);
    ui->edtName->setFocus();
    setEditing(true);
}

void TfrmCoustTree::MakeNewCode()
{
    FBaseCode = ui->edtcode->text();
    const QString proposal = proposeCategoryCode(kind(), FBaseCode, FAddChild);
    ui->edtcode->setText(proposal);
}

void TfrmCoustTree::TB_EditClick()
{
    requirePermission(Operation::ManageCategories);
    if (ui->edtcode->text().isEmpty()) {
        info(QStringLiteral("根节点不能编辑，请重新选择！"));
        return;
    }
    FAdding = false;
    ui->edtName->setEnabled(true);
    setEditing(true);
    notifyChanged();
}

void TfrmCoustTree::TB_SaveClick()
{
    requirePermission(Operation::ManageCategories);
    TfrmData& d = zu::data();
    const QString name = ui->edtName->text().trimmed();
    if (name.isEmpty()) {
        info(kEmptyCategoryNameText);
        ui->edtName->setFocus();
        return;
    }
    try {
        if (FAdding) {
            addCategory(d.F(), kind(), ui->edtcode->text().trimmed(), name);
        } else {
            // The customers of the category now carry the new name: a list showing them reads it.
            if (renameCategory(d.F(), kind(), ui->edtcode->text(), name, m_shownVersion) > 0 &&
                d.qryCustom().isOpen())
                d.qryCustom().refresh();
        }
    } catch (const DbError&) {
        reloadTreeKeepingInput();
        throw;
    }
    setEditing(false);
    ui->edtName->setEnabled(false);
    btnRefreshClick();
    notifyChanged();
}

void TfrmCoustTree::TB_CancelClick()
{
    setEditing(false);
    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(ui->tbSelect), static_cast<QAbstractButton*>(ui->btnRefresh),
          static_cast<QAbstractButton*>(ui->tbExit)})
        b->setEnabled(true);
    // The boxes keep what they show until another node is clicked.
    const QSignalBlocker block(ui->tvBasic);
    ui->tvBasic->setCurrentItem(ui->tvBasic->topLevelItem(0));
}

void TfrmCoustTree::TB_DelClick()
{
    requirePermission(Operation::ManageCategories);
    if (!ui->tvBasic->currentItem()) {
        info(QStringLiteral("您没有选择节点，请选择！"));
        return;
    }
    if (ui->edtcode->text().isEmpty()) {
        info(QStringLiteral("根节点不能删除，请重新选择！"));
        return;
    }
    if (const int customers = customersInSubtree(zu::data().F(), ui->edtcode->text()); customers > 0) {
        info(categoryHoldsCustomersText(customers));
        return;
    }
    const auto answer = dialogs().message(
        this, QStringLiteral("提示"),
        QStringLiteral("如果您选择的是父节点，其子节点也将会删除，点击确定继续！"), QMessageBox::Information,
        QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel);
    if (answer == QMessageBox::Ok) {
        try {
            deleteCategorySubtree(kind(), ui->edtcode->text().trimmed(), m_shownVersion);
        } catch (const DbError&) {
            btnRefreshClick();
            throw;
        }
    }
    btnRefreshClick();
    notifyChanged();
}

void TfrmCoustTree::tbSelectClick()
{
    // The category chosen is the selected node as stored, never what the boxes were left showing
    // by an abandoned addition, nor a typed name no category has.
    const QTreeWidgetItem* node = ui->tvBasic->currentItem();
    const QString code = node ? codeFromNodeText(node->text(0)) : QString();
    if (code.isEmpty() || ui->TB_Save->isEnabled()) {
        dialogs().message(this, QString(), QStringLiteral("请您选择有效的用户类别！"), QMessageBox::NoIcon,
                          QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    if (m_target)
        m_target(nameFromNodeText(node->text(0)), code);
    accept();
}

void TfrmCoustTree::treeDoubleClicked()
{
    if (!FManage) {
        tbSelectClick();
        return;
    }
    if (ui->edtcode->text().isEmpty())
        dialogs().message(this, QString(), QStringLiteral("请您选择有效的用户类别！"), QMessageBox::NoIcon,
                          QMessageBox::Ok, QMessageBox::Ok);
}

void TfrmCoustTree::notifyChanged()
{
    if (TfrmCustom* customers = TfrmCustom::instance())
        customers->RefreshCategoryTree();
}

void TfrmCoustTree::info(const QString& text)
{
    dialogs().message(this, QStringLiteral("提示"), text, QMessageBox::Information, QMessageBox::Ok,
                      QMessageBox::Ok);
}

} // namespace zu
