#include "quickfindbox.h"

#include "quickfind.h"

#include "data/datamodule.h"
#include "widgets/guard.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QStandardItemModel>

namespace zu {

namespace {

constexpr int kIdRole = Qt::UserRole + 1;
constexpr int kMachineRole = Qt::UserRole + 2; // the body code of a "机器档案" entry

} // namespace

QuickFindBox::QuickFindBox(QWidget* parent)
    : QLineEdit(parent), m_hits(new QStandardItemModel(this)), m_dropDown(new QCompleter(m_hits, this))
{
    setObjectName(QStringLiteral("edtQuickFind"));
    setPlaceholderText(QStringLiteral("查找客户：电话、姓名、编号、机身编码、拼音首字母 (Ctrl+F)"));
    setClearButtonEnabled(true);
    setToolTip(QStringLiteral("Enter：打开第一位客户；Shift+Enter：打开机身编码的机器档案"));
    setMinimumWidth(280);
    // The list is what quick find found, in its order: the drop-down shows it as it is.
    m_dropDown->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_dropDown->setMaxVisibleItems(kShown);
    m_dropDown->setWidget(this);
    onSignal(this, &QLineEdit::textEdited, this, [this](const QString& text) { search(text); });
    onSignal(m_dropDown, qOverload<const QModelIndex&>(&QCompleter::activated), this,
             [this](const QModelIndex& index) { choose(index.row()); });
}

void QuickFindBox::search(const QString& text)
{
    const QList<QuickFindHit> hits = quickFind(zu::data().conn(), text, kShown);
    m_hits->clear();
    for (const QuickFindHit& hit : hits) {
        auto* item = new QStandardItem(hit.text());
        item->setData(hit.id, kIdRole);
        m_hits->appendRow(item);
    }
    for (const QString& machine : machineCodesOf(hits, kMachinesShown)) {
        auto* item = new QStandardItem(QStringLiteral("机器档案：%1 (Shift+Enter)").arg(machine));
        item->setData(machine, kMachineRole);
        m_hits->appendRow(item);
    }
    if (hits.isEmpty())
        m_dropDown->popup()->hide();
    else
        m_dropDown->complete();
}

QStringList QuickFindBox::offered() const
{
    QStringList lines;
    for (int row = 0; row < m_hits->rowCount(); ++row)
        lines << m_hits->item(row)->text();
    return lines;
}

void QuickFindBox::choose(int row)
{
    if (row < 0 || row >= m_hits->rowCount())
        return;
    const QStandardItem* item = m_hits->item(row);
    if (const QString machine = item->data(kMachineRole).toString(); !machine.isEmpty()) {
        chooseMachine(machine);
        return;
    }
    const qint64 id = item->data(kIdRole).toLongLong();
    m_dropDown->popup()->hide();
    emit customerChosen(id);
}

void QuickFindBox::chooseMachine(const QString& goodsCode)
{
    m_dropDown->popup()->hide();
    emit machineChosen(goodsCode);
}

void QuickFindBox::keyPressEvent(QKeyEvent* event)
{
    // Enter in the box itself chooses the first customer offered, Shift+Enter the first machine.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & Qt::ShiftModifier)) {
        for (int row = 0; row < m_hits->rowCount(); ++row)
            if (const QString machine = m_hits->item(row)->data(kMachineRole).toString();
                !machine.isEmpty()) {
                guarded(this, [this, machine] { chooseMachine(machine); });
                break;
            }
        return;
    }
    if (enter && m_hits->rowCount() > 0) {
        guarded(this, [this] { choose(0); });
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace zu
