#include "tfrmfieldshow.h"

#include "ui_tfrmfieldshow.h"

#include "columnlayout.h"

#include "data/datamodule.h"
#include "data/query.h"
#include "widgets/guard.h"

namespace zu {

TfrmFieldShow::TfrmFieldShow(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TfrmFieldShow>())
{
    ui->setupUi(this);
    onFirstShow(this, [this] { FormShow(); });
    setFixedSize(sizeHint().expandedTo(QSize(372, 240)));
    setWindowTitle(QStringLiteral("选择显示的字段"));
    connect(ui->SP_right, &QToolButton::clicked, this, [this] {
        moveOne(ui->SrcList, ui->DstList);
        updateButtons();
    });
    connect(ui->SP_allright, &QToolButton::clicked, this, [this] {
        moveAll(ui->SrcList, ui->DstList);
        updateButtons();
    });
    connect(ui->SP_left, &QToolButton::clicked, this, [this] {
        moveOne(ui->DstList, ui->SrcList);
        updateButtons();
        selectFirst(ui->DstList);
        selectFirst(ui->SrcList);
    });
    connect(ui->SP_allleft, &QToolButton::clicked, this, [this] {
        moveAll(ui->DstList, ui->SrcList);
        updateButtons();
    });
    connect(ui->SrcList, &QListWidget::itemDoubleClicked, this, [this] {
        moveOne(ui->SrcList, ui->DstList);
        selectFirst(ui->SrcList);
        updateButtons();
    });
    connect(ui->DstList, &QListWidget::itemDoubleClicked, this, [this] {
        moveOne(ui->DstList, ui->SrcList);
        updateButtons();
        selectFirst(ui->DstList);
    });
    onSignal(ui->Btn_ok, &QPushButton::clicked, this, [this] { confirm(); });
    connect(ui->Btn_exit, &QPushButton::clicked, this, &QDialog::reject);
}

TfrmFieldShow::~TfrmFieldShow() = default;

void TfrmFieldShow::FormShow()
{
    Query q(zu::data().conn());
    for (const auto& [list, shown] : {std::pair{ui->SrcList, false}, std::pair{ui->DstList, true}}) {
        list->clear();
        list->addItems(layoutTitles(q, FLayoutName, shown));
    }
    updateButtons();
}

void TfrmFieldShow::updateButtons()
{
    ui->SP_right->setEnabled(ui->SrcList->count() > 0);
    ui->SP_allright->setEnabled(ui->SrcList->count() > 0);
    ui->SP_left->setEnabled(ui->DstList->count() > 0);
    ui->SP_allleft->setEnabled(ui->DstList->count() > 0);
}

void TfrmFieldShow::moveOne(QListWidget* from, QListWidget* to)
{
    if (from->count() == 0)
        return;
    const int row = from->currentItem() && from->currentItem()->isSelected() ? from->currentRow() : 0;
    to->addItem(from->takeItem(row));
}

void TfrmFieldShow::moveAll(QListWidget* from, QListWidget* to)
{
    while (from->count() > 0)
        to->addItem(from->takeItem(0));
}

void TfrmFieldShow::selectFirst(QListWidget* list)
{
    if (list->count() > 0)
        list->setCurrentRow(0);
}

QStringList TfrmFieldShow::hiddenNames() const
{
    QStringList names;
    for (int i = 0; i < ui->SrcList->count(); ++i)
        names << ui->SrcList->item(i)->text();
    return names;
}

QStringList TfrmFieldShow::shownNames() const
{
    QStringList names;
    for (int i = 0; i < ui->DstList->count(); ++i)
        names << ui->DstList->item(i)->text();
    return names;
}

void TfrmFieldShow::confirm()
{
    storeShownColumns(zu::data().conn(), FLayoutName, hiddenNames(), shownNames());
    if (m_rebuild)
        m_rebuild(FCaller);
    accept();
}

} // namespace zu
