// The walk of the Domino data directory: its folders and database files as plain nodes, read on a
// few threads.
#pragma once

#include <QList>
#include <QString>
#include <Qt>

namespace tree_node {
constexpr int kImageIndexRole = Qt::UserRole + 1;
constexpr int kSelectedIndexRole = Qt::UserRole + 2;
constexpr int kServerImage = 0;
constexpr int kFolderImage = 1;
constexpr int kDatabaseImage = 2;
constexpr int kViewImage = 3;
} // namespace tree_node

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
