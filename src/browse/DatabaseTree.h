// The tree of folders and database files of the Domino data directory in a tree control, and the
// way back from a node to its path relative to that directory. The walk (FolderWalk.h) returns
// plain nodes; AddFolderNodes shows them, the tree's nodes carrying their text and image indexes
// only.
#pragma once

#include "browse/FolderWalk.h"

#include <QList>
#include <QString>
#include <Qt>

class QTreeWidget;
class QTreeWidgetItem;

// Appends a node with text as the last child of parent (a top-level node when parent is null).
// selectedIndex -1 leaves it unset.
QTreeWidgetItem* AddTreeNode(QTreeWidget* tree, QTreeWidgetItem* parent, const QString& text, int imageIndex,
                             int selectedIndex);
int NodeLevel(const QTreeWidgetItem* node);

// Suspends the tree's repainting while alive; nests, and ends on every path.
class TreeUpdate {
public:
    explicit TreeUpdate(QTreeWidget* tree);
    ~TreeUpdate();
    TreeUpdate(const TreeUpdate&) = delete;
    TreeUpdate& operator=(const TreeUpdate&) = delete;

private:
    QTreeWidget* m_tree;
};

// Adds nodes below parent (at the top level when parent is null), in order, each with its
// image as both image and selected image.
void AddNodes(QTreeWidget* tree, QTreeWidgetItem* parent, const QList<TreeNode>& nodes);

// AddNodes of FolderNodes(directory, withDatabases), with the tree's repainting suspended.
void AddFolderNodes(QTreeWidget* tree, const QString& directory, QTreeWidgetItem* parent, bool withDatabases);

// The path of node relative to the data directory: the texts from level 1 down to node joined
// by "\", ending in "\" when node has children; tail alone for a level-0 node.
QString NodePath(const QTreeWidgetItem* node, QString tail);
