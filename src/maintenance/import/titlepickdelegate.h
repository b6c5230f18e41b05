#pragma once

#include <QStringList>
#include <QStyledItemDelegate>

namespace zu {

// Edits a cell with a combo box that offers the worksheet's titles and also takes a typed text.
// Every change reaches the model at once, so that no edit is left pending.
class TitlePickDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit TitlePickDelegate(QObject* parent = nullptr);

    void setTitles(const QStringList& titles) { m_titles = titles; }
    const QStringList& titles() const { return m_titles; }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    QStringList m_titles;
};

} // namespace zu
