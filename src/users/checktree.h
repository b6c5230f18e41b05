#pragma once

#include <QString>
#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;

namespace zu {

// Check trees of a T_popedom catalogue. Every node carries a three-state check box: checking or
// unchecking a node, by a click or by setCheckState(), gives all its descendants the same state,
// and every ancestor shows checked, unchecked or partly checked as its children are.

// Where the checked-names lists start (node positions in display order, the root being 0): the
// user window skips the root and the first node beneath it, the data initialization the root.
inline constexpr int kRightsFirstNode = 2;
inline constexpr int kClearDataFirstNode = 1;

// Fills `tree` with the rows of `catalogue` (captions are the trimmed names) under one root node
// captioned `rootCaption`; the root ends up selected and expanded one level, every node unchecked.
// Runs on the data module's scratch query F.
void LoadPopedomTree(QTreeWidget* tree, const QString& catalogue, const QString& rootCaption);

// A node with a three-state check box that cascades as described above.
void makeCheckNode(QTreeWidgetItem* item);

// Node `position` in display order (each parent before its children), nullptr past the end.
QTreeWidgetItem* nodeAt(QTreeWidget* tree, int position);

// The captions of the checked or partly checked nodes from `startIndex` to the last, in display
// order.
QStringList checkedNames(QTreeWidget* tree, int startIndex);

// "'" + caption + "'," for every checked or partly checked node from `startIndex` to the last,
// in display order.
QString checkedNamesList(QTreeWidget* tree, int startIndex);

// Shows a rights string: every node from the third on is unchecked, then checked when its
// caption is granted by `rights`, each with the cascade. Parents come first, so each leaf ends up
// checked exactly when it is granted and each parent follows its children.
void setTreeFromRights(QTreeWidget* tree, const QString& rights);

} // namespace zu
