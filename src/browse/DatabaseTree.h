// The tree of folders and database files of the Domino data directory, and the way back from a
// node to its path relative to that directory. The walk returns plain nodes; AddFolderNodes
// shows them in a tree control, whose nodes carry their text and image indexes only.
#pragma once

#include <QList>
#include <QString>
#include <Qt>

class QTreeWidget;
class QTreeWidgetItem;

namespace tree_node {
constexpr int kImageIndexRole = Qt::UserRole + 1;
constexpr int kSelectedIndexRole = Qt::UserRole + 2;
constexpr int kServerImage = 0;
constexpr int kFolderImage = 1;
constexpr int kDatabaseImage = 2;
constexpr int kViewImage = 3;
} // namespace tree_node

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

// A node of the walk: its text, its image index and the nodes below it.
struct TreeNode {
    QString text;
    int image = tree_node::kFolderImage;
    QList<TreeNode> children;
    friend bool operator==(const TreeNode&, const TreeNode&) = default;
};

// One folder node for each subdirectory of directory (with the nodes of its own contents) and,
// with withDatabases, one database node for each file whose name ends in "NSF" in any letter
// case; in the order the file system lists them. Hidden and system entries and names beginning
// with "." are skipped; a directory that cannot be listed gives nothing. A directory link back
// to one of its ancestors is given as a folder but not walked.
QList<TreeNode> FolderNodes(const QString& directory, bool withDatabases);

// Adds nodes below parent (at the top level when parent is null), in order, each with its
// image as both image and selected image.
void AddNodes(QTreeWidget* tree, QTreeWidgetItem* parent, const QList<TreeNode>& nodes);

// AddNodes of FolderNodes(directory, withDatabases), with the tree's repainting suspended.
void AddFolderNodes(QTreeWidget* tree, const QString& directory, QTreeWidgetItem* parent, bool withDatabases);

// The path of node relative to the data directory: the texts from level 1 down to node joined
// by "\", ending in "\" when node has children; tail alone for a level-0 node.
QString NodePath(const QTreeWidgetItem* node, QString tail);
