#include "titlepickdelegate.h"

#include <QComboBox>
#include <QLineEdit>

namespace zu {

TitlePickDelegate::TitlePickDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QWidget* TitlePickDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                         const QModelIndex&) const
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("cmbPickTitle"));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItem(QString());
    combo->addItems(m_titles);
    auto* self = const_cast<TitlePickDelegate*>(this);
    connect(combo, &QComboBox::currentTextChanged, self, [self, combo] { emit self->commitData(combo); });
    return combo;
}

void TitlePickDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* combo = static_cast<QComboBox*>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    if (combo->currentText() == text)
        return;
    const QSignalBlocker quiet(combo);
    const int found = combo->findText(text, Qt::MatchFixedString);
    if (found >= 0 && combo->itemText(found) == text)
        combo->setCurrentIndex(found);
    else
        combo->setEditText(text);
}

void TitlePickDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const
{
    model->setData(index, static_cast<QComboBox*>(editor)->currentText(), Qt::EditRole);
}

} // namespace zu
