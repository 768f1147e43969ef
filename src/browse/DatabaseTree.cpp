#include "browse/DatabaseTree.h"

#include <QTreeWidget>

namespace {

constexpr char kUpdateDepth[] = "verdanixUpdateDepth";

QTreeWidgetItem* NewNode(const QString& text, int imageIndex, int selectedIndex) {
    auto* node = new QTreeWidgetItem(QStringList{text});
    node->setToolTip(0, text); // the whole text, also where the pane cuts it off
    node->setData(0, tree_node::kImageIndexRole, imageIndex);
    node->setData(0, tree_node::kSelectedIndexRole, selectedIndex);
    return node;
}

// A node and the nodes below it, made apart from any tree: the tree takes them in one step.
QTreeWidgetItem* DetachedNode(const TreeNode& node) {
    QTreeWidgetItem* item = NewNode(node.text, node.image, node.image);
    QList<QTreeWidgetItem*> children;
    children.reserve(node.children.size());
    for (const TreeNode& child : node.children)
        children.append(DetachedNode(child));
    item->addChildren(children);
    return item;
}

} // namespace

QTreeWidgetItem* AddTreeNode(QTreeWidget* tree, QTreeWidgetItem* parent, const QString& text, int imageIndex,
                             int selectedIndex) {
    QTreeWidgetItem* node = NewNode(text, imageIndex, selectedIndex);
    if (parent)
        parent->addChild(node);
    else
        tree->addTopLevelItem(node);
    return node;
}

int NodeLevel(const QTreeWidgetItem* node) {
    int level = 0;
    for (const QTreeWidgetItem* p = node->parent(); p; p = p->parent())
        ++level;
    return level;
}

TreeUpdate::TreeUpdate(QTreeWidget* tree) : m_tree(tree) {
    const int depth = m_tree->property(kUpdateDepth).toInt();
    if (depth == 0)
        m_tree->setUpdatesEnabled(false);
    m_tree->setProperty(kUpdateDepth, depth + 1);
}

TreeUpdate::~TreeUpdate() {
    const int depth = m_tree->property(kUpdateDepth).toInt() - 1;
    m_tree->setProperty(kUpdateDepth, depth);
    if (depth == 0)
        m_tree->setUpdatesEnabled(true);
}

void AddNodes(QTreeWidget* tree, QTreeWidgetItem* parent, const QList<TreeNode>& nodes) {
    QList<QTreeWidgetItem*> items;
    items.reserve(nodes.size());
    for (const TreeNode& node : nodes)
        items.append(DetachedNode(node));
    if (parent)
        parent->addChildren(items);
    else
        tree->addTopLevelItems(items);
}

void AddFolderNodes(QTreeWidget* tree, const QString& directory, QTreeWidgetItem* parent, bool withDatabases) {
    const QList<TreeNode> nodes = FolderNodes(directory, withDatabases);
    TreeUpdate update(tree);
    AddNodes(tree, parent, nodes);
}

QString NodePath(const QTreeWidgetItem* node, QString tail) {
    while (node && node->parent()) {
        if (node->childCount() > 0)
            tail = node->text(0) + QLatin1Char('\\') + tail;
        else
            tail = node->text(0);
        node = node->parent();
    }
    return tail;
}
