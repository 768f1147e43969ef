#include "browse/DatabaseTree.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <dirent.h>

namespace {

void Touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

// The tree below node as lines "text image" indented by level, children in tree order
// (sorted per level, since the file system's order is not fixed).
QStringList Describe(const QTreeWidgetItem* node, int level = 0) {
    QStringList lines;
    QList<QStringList> children;
    for (int i = 0; i < node->childCount(); ++i) {
        const QTreeWidgetItem* child = node->child(i);
        QStringList block{QString(level * 2, ' ') + child->text(0) + " " +
                          child->data(0, tree_node::kImageIndexRole).toString() + "/" +
                          child->data(0, tree_node::kSelectedIndexRole).toString()};
        block += Describe(child, level + 1);
        children << block;
    }
    std::sort(children.begin(), children.end(), [](const QStringList& a, const QStringList& b) { return a[0] < b[0]; });
    for (const auto& block : children)
        lines += block;
    return lines;
}

struct Tree {
    QTreeWidget widget;
    QTreeWidgetItem* server = AddTreeNode(&widget, nullptr, "SRV(data)", tree_node::kServerImage, -1);
};

} // namespace

TEST(AddFolderNodes, BuildsFoldersBeforeTheirContentsAndPicksDatabasesByTheirLastThreeLetters) {
    QTemporaryDir data;
    QDir root(data.path());
    root.mkpath("mail/archive");
    root.mkpath("空目录");
    root.mkpath("x.nsf");
    root.mkpath(".hidden");
    Touch(data.filePath("names.nsf"));
    Touch(data.filePath("A.NsF"));
    Touch(data.filePath("archivensf"));
    Touch(data.filePath("readme.txt"));
    Touch(data.filePath(".secret.nsf"));
    Touch(data.filePath("mail/张三.nsf"));
    Touch(data.filePath("mail/archive/2023.nsf"));
    Touch(data.filePath("x.nsf/inner.nsf"));
    Touch(data.filePath(".hidden/h.nsf"));

    Tree tree;
    AddFolderNodes(&tree.widget, data.path(), tree.server, true);
    EXPECT_EQ(Describe(tree.server),
              QStringList({"A.NsF 2/2", "archivensf 2/2", "mail 1/1", "  archive 1/1", "    2023.nsf 2/2",
                           "  张三.nsf 2/2", "names.nsf 2/2", "x.nsf 1/1", "  inner.nsf 2/2", "空目录 1/1"}));
    EXPECT_TRUE(tree.widget.updatesEnabled()) << "the update ends with the walk";

    Tree foldersOnly;
    AddFolderNodes(&foldersOnly.widget, data.path(), foldersOnly.server, false);
    EXPECT_EQ(Describe(foldersOnly.server), QStringList({"mail 1/1", "  archive 1/1", "x.nsf 1/1", "空目录 1/1"}));
}

// The names of a directory in the order the file system lists them, read with readdir.
QStringList DirectoryOrder(const QString& path) {
    QStringList names;
    DIR* dir = opendir(QFile::encodeName(path).constData());
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (!name.startsWith('.'))
            names << name;
    }
    closedir(dir);
    return names;
}

TEST(AddFolderNodes, KeepsTheFileSystemsOrderWithFoldersAndDatabasesInterleaved) {
    QTemporaryDir data;
    for (int i = 0; i < 12; ++i) {
        if (i % 3 == 0)
            QDir(data.path()).mkpath(QString("folder%1").arg(i));
        else
            Touch(data.filePath(QString("db%1.nsf").arg(i)));
    }
    Tree tree;
    AddFolderNodes(&tree.widget, data.path(), tree.server, true);
    QStringList shown;
    for (int i = 0; i < tree.server->childCount(); ++i)
        shown << tree.server->child(i)->text(0);
    EXPECT_EQ(shown, DirectoryOrder(data.path()));
}

TEST(AddFolderNodes, TrailingSeparatorsMissingAndEmptyDirectoriesAndCycles) {
    QTemporaryDir data;
    QDir(data.path()).mkpath("a/b");
    Touch(data.filePath("a/b/db.nsf"));
    // A link from deep inside back to the top must not make the walk endless.
    ASSERT_TRUE(QFile::link(data.path(), data.filePath("a/b/loop")));

    Tree plain, slash, backslash;
    AddFolderNodes(&plain.widget, data.path(), plain.server, true);
    AddFolderNodes(&slash.widget, data.path() + "/", slash.server, true);
    AddFolderNodes(&backslash.widget, data.path() + "\\", backslash.server, true);
    const QStringList expected{"a 1/1", "  b 1/1", "    db.nsf 2/2", "    loop 1/1"};
    EXPECT_EQ(Describe(plain.server), expected);
    EXPECT_EQ(Describe(slash.server), expected);
    EXPECT_EQ(Describe(backslash.server), expected);

    QTemporaryDir empty;
    Tree none;
    AddFolderNodes(&none.widget, empty.path(), none.server, true);
    AddFolderNodes(&none.widget, empty.filePath("missing"), none.server, true);
    AddFolderNodes(&none.widget, "", none.server, true);
    AddFolderNodes(&none.widget, "没有安装Domino", none.server, true);
    EXPECT_EQ(none.server->childCount(), 0);
}

TEST(NodePath, JoinsTheTextsBelowTheTopLevel) {
    QTreeWidget widget;
    QTreeWidgetItem* server = AddTreeNode(&widget, nullptr, "SRV(/data)", 0, -1);
    QTreeWidgetItem* mail = AddTreeNode(&widget, server, "mail", 1, 1);
    QTreeWidgetItem* db = AddTreeNode(&widget, mail, "a.nsf", 2, 2);
    QTreeWidgetItem* top = AddTreeNode(&widget, server, "b.nsf", 2, 2);

    EXPECT_EQ(NodePath(server, "tail"), "tail");
    EXPECT_EQ(NodePath(db, ""), "mail\\a.nsf");
    EXPECT_EQ(NodePath(top, ""), "b.nsf");
    EXPECT_EQ(NodePath(mail, ""), "mail\\");
    AddTreeNode(&widget, db, "View", 3, 3);
    EXPECT_EQ(NodePath(db, ""), "mail\\a.nsf\\");
    EXPECT_EQ(NodeLevel(db), 2);
}
