#pragma once

#include "categorycodes.h"

#include <array>
#include <QIcon>
#include <QString>
#include <Qt>

class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace zu {

// The images every category and permission tree shares: the root's, and a category's that
// changes to the selected-category image while its node is selected.
QIcon treeRootIcon();
QIcon treeNodeIcon();

// Keeps a widget from repainting for its lifetime (a tree being refilled row by row).
class RepaintSuspended final
{
public:
    explicit RepaintSuspended(QWidget* widget);
    ~RepaintSuspended();
    RepaintSuspended(const RepaintSuspended&) = delete;
    RepaintSuspended& operator=(const RepaintSuspended&) = delete;

private:
    QWidget* m_widget;
    bool m_wasEnabled;
};

// Builds a tree from rows that arrive in code order, keeping the latest node of each level.
// A row goes under the latest node of the level above when that node's code begins its own,
// which is its parent whenever the parent row exists. A row whose parent row is missing goes
// under its deepest ancestor that is present (the root when none is), never under an unrelated
// node that happens to be the latest of that level.
class CodeTreeBuilder final
{
public:
    explicit CodeTreeBuilder(QTreeWidgetItem* root);
    // The new last child of the row's parent, or nullptr for a code without a level.
    QTreeWidgetItem* add(const QString& code, const QString& text);

private:
    std::array<QTreeWidgetItem*, kMaxCodeLength / 2 + 1> m_latest{};
    std::array<QString, kMaxCodeLength / 2 + 1> m_latestCode;
};

// The version of a category's row, kept with its node (empty for the root).
inline constexpr int kCategoryVersionRole = Qt::UserRole + 1;

// Fills `tree` with the categories of `kind` under one root node captioned `rootText`; the
// root ends up selected and expanded one level. Runs on the data module's scratch query F.
void LoadDictTree(QTreeWidget* tree, const QString& kind, const QString& rootText);

} // namespace zu
