#include "fieldlist.h"

#include "designcanvas.h"

#include <QMimeData>

namespace zu {

namespace {

constexpr int kInsertTextRole = Qt::UserRole + 1;

void addHeading(QListWidget& list, const QString& text)
{
    auto* item = new QListWidgetItem(text, &list);
    QFont font = item->font();
    font.setBold(true);
    item->setFont(font);
    item->setFlags(Qt::ItemIsEnabled);
}

} // namespace

QStringList systemValueNames()
{
    return {QStringLiteral("日期"),     QStringLiteral("时间"),     QStringLiteral("页码"),
            QStringLiteral("总页数"),   QStringLiteral("行号"),     QStringLiteral("记录数"),
            QStringLiteral("公司名称"), QStringLiteral("联系人"),   QStringLiteral("公司地址"),
            QStringLiteral("公司电话"), QStringLiteral("公司传真"), QStringLiteral("公司邮箱")};
}

FieldList::FieldList(QWidget* parent) : QListWidget(parent)
{
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void FieldList::setFields(const QString& dataSet, const QStringList& fields, const QStringList& numeric)
{
    clear();
    addHeading(*this, dataSet);
    for (const QString& field : fields) {
        auto* item = new QListWidgetItem(QStringLiteral("  ") + field, this);
        item->setData(kInsertTextRole, QStringLiteral("[%1.\"%2\"]").arg(dataSet, field));
        item->setToolTip(item->data(kInsertTextRole).toString());
    }
    if (!dataSet.isEmpty()) {
        addHeading(*this, QStringLiteral("合计（分组尾中为本组）"));
        auto* count = new QListWidgetItem(QStringLiteral("  记录个数"), this);
        count->setData(kInsertTextRole, QStringLiteral("[COUNT()]"));
        count->setToolTip(QStringLiteral("[COUNT()]"));
        for (const QString& field : numeric) {
            auto* item = new QListWidgetItem(QStringLiteral("  %1合计").arg(field), this);
            item->setData(kInsertTextRole, QStringLiteral("[SUM(%1.\"%2\")]").arg(dataSet, field));
            item->setToolTip(item->data(kInsertTextRole).toString());
        }
    }
    addHeading(*this, QStringLiteral("系统变量"));
    for (const QString& name : systemValueNames()) {
        auto* item = new QListWidgetItem(QStringLiteral("  ") + name, this);
        item->setData(kInsertTextRole, QStringLiteral("[%1]").arg(name));
        item->setToolTip(item->data(kInsertTextRole).toString());
    }
}

QString FieldList::insertText(const QListWidgetItem* item)
{
    return item ? item->data(kInsertTextRole).toString() : QString();
}

QStringList FieldList::mimeTypes() const
{
    return {DesignCanvas::fieldMimeType()};
}

QMimeData* FieldList::mimeData(const QList<QListWidgetItem*>& items) const
{
    if (items.isEmpty() || insertText(items.first()).isEmpty())
        return nullptr;
    auto* mime = new QMimeData;
    mime->setData(DesignCanvas::fieldMimeType(), insertText(items.first()).toUtf8());
    mime->setText(insertText(items.first()));
    return mime;
}

} // namespace zu
