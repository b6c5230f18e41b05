#include "dicttree.h"

#include "data/datamodule.h"
#include "widgets/icons.h"

#include <QTreeWidget>

namespace zu {

QIcon treeRootIcon()
{
    return commandIcon(CommandIcon::TreeRoot);
}

QIcon treeNodeIcon()
{
    const QIcon closed = commandIcon(CommandIcon::Folder);
    const QIcon open = commandIcon(CommandIcon::FolderOpen);
    QIcon icon;
    for (const QSize& size : {QSize(16, 16), QSize(22, 22), QSize(32, 32)}) {
        icon.addPixmap(closed.pixmap(size), QIcon::Normal);
        icon.addPixmap(open.pixmap(size), QIcon::Selected);
    }
    return icon;
}

RepaintSuspended::RepaintSuspended(QWidget* widget) : m_widget(widget), m_wasEnabled(widget->updatesEnabled())
{
    m_widget->setUpdatesEnabled(false);
}

RepaintSuspended::~RepaintSuspended()
{
    m_widget->setUpdatesEnabled(m_wasEnabled);
}

CodeTreeBuilder::CodeTreeBuilder(QTreeWidgetItem* root)
{
    m_latest[0] = root;
}

QTreeWidgetItem* CodeTreeBuilder::add(const QString& code, const QString& text)
{
    const int level = CodeLevel(kLevelPattern, code);
    if (level <= 0)
        return nullptr;
    int parentLevel = level - 1;
    while (parentLevel > 0 && !(m_latest[parentLevel] && code.startsWith(m_latestCode[parentLevel])))
        --parentLevel;
    auto* item = new QTreeWidgetItem(m_latest[parentLevel], QStringList{text});
    m_latest[level] = item;
    m_latestCode[level] = code;
    return item;
}

void LoadDictTree(QTreeWidget* tree, const QString& kind, const QString& rootText)
{
    const RepaintSuspended suspended(tree);
    const QList<CategoryRow> categories = readCategoryRows(data().F(), kind);

    tree->clear();
    auto* root = new QTreeWidgetItem(tree, QStringList{rootText});
    root->setIcon(0, treeRootIcon());
    tree->setCurrentItem(root);

    CodeTreeBuilder builder(root);
    const QIcon nodeIcon = treeNodeIcon();
    for (const CategoryRow& category : categories)
        if (QTreeWidgetItem* item =
                builder.add(category.code, categoryNodeText(category.code, category.name))) {
            item->setIcon(0, nodeIcon);
            item->setData(0, kCategoryVersionRole, category.version);
        }
    root->setExpanded(true);
}

} // namespace zu
