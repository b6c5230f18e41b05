#include "checktree.h"

#include "customers/dicttree.h"
#include "data/datamodule.h"
#include "permissions.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace zu {

void makeCheckNode(QTreeWidgetItem* item)
{
    // Qt's automatic tristate does the cascade: setting a node's state sets its descendants', and
    // a node with children reports the state derived from them, whoever changed them.
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
    item->setCheckState(0, Qt::Unchecked);
}

void LoadPopedomTree(QTreeWidget* tree, const QString& catalogue, const QString& rootCaption)
{
    const RepaintSuspended suspended(tree);
    const QList<CodedName> entries = readCatalogue(data().F(), catalogue);

    tree->clear();
    auto* root = new QTreeWidgetItem(tree, QStringList{rootCaption});
    root->setIcon(0, treeRootIcon());
    makeCheckNode(root);
    tree->setCurrentItem(root);

    CodeTreeBuilder builder(root);
    const QIcon nodeIcon = treeNodeIcon();
    for (const CodedName& entry : entries) {
        if (QTreeWidgetItem* item = builder.add(entry.code, entry.name.trimmed())) {
            item->setIcon(0, nodeIcon);
            makeCheckNode(item);
        }
    }
    root->setExpanded(true);
}

QTreeWidgetItem* nodeAt(QTreeWidget* tree, int position)
{
    QTreeWidgetItemIterator it(tree);
    for (int i = 0; *it && i < position; ++i)
        ++it;
    return *it;
}

QStringList checkedNames(QTreeWidget* tree, int startIndex)
{
    QStringList names;
    int position = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it, ++position)
        if (position >= startIndex && (*it)->checkState(0) != Qt::Unchecked)
            names << (*it)->text(0);
    return names;
}

QString checkedNamesList(QTreeWidget* tree, int startIndex)
{
    return rightsString(checkedNames(tree, startIndex));
}

void setTreeFromRights(QTreeWidget* tree, const QString& rights)
{
    QTreeWidgetItemIterator it(tree);
    for (int i = 0; *it && i < kRightsFirstNode; ++i)
        ++it;
    for (; *it; ++it) {
        QTreeWidgetItem* node = *it;
        node->setCheckState(0, Qt::Unchecked);
        if (isGranted(rights, node->text(0)))
            node->setCheckState(0, Qt::Checked);
    }
}

} // namespace zu
