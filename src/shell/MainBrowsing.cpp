// The main window's browsing: connecting, opening a file, the tree's clicks, the document list
// and its paging, the document details.
#include "shell/main.h"

#include "access/AppText.h"
#include "access/Databases.h"
#include "access/ErrorMessage.h"
#include "access/connecting.h"
#include "access/settings.h"
#include "assembly/DominoFiles.h"
#include "assembly/dominointerface.h"
#include "browse/DatabaseTree.h"
#include "browse/DocumentPage.h"
#include "browse/FormRunner.h"
#include "browse/docDetail.h"
#include "platform/FileLock.h"
#include "platform/Progress.h"
#include "platform/Prompter.h"
#include "shell/Icons.h"
#include "shell/ListView.h"
#include "shell/selserver.h"

#include <QDir>
#include <QTreeWidget>

namespace {

constexpr int kListViewImage = 3; // the view icon of ImageList2

} // namespace

void TfrmMain::openserverExecute() {
    setTreeTag(1);
    if (!session)
        return; // start-up stopped before the session existed: there is nothing to connect

    Tfrmselserver dialog(serverName, userName, password, *m_env.prompter, this);
    m_env.forms->Run(dialog);
    if (dialog.cancelled)
        return;
    m_env.progress->ShowWaitMsgText(tr("正在连接Domino服务器"));
    m_tree->clear();
    m_list->clearItems();
    ConnectServer();
}

void TfrmMain::ConnectServer() {
    WaitMsgScope closeOnExit(*m_env.progress);
    if (!ConnectToServer(*session, SettingsFilePath(m_env.exeDir), {serverName, userName, password})) {
        ShowMessage(*m_env.prompter, app_text::ConnectFailed());
        return;
    }
    dataPath = GetDominoDataPath(*m_env.registry);
    QTreeWidgetItem* serverNode = AddTreeNode(
        m_tree, nullptr, serverName + QLatin1Char('(') + dataPath + QLatin1Char(')'), tree_node::kServerImage, -1);
    AddFolderNodes(m_tree, dataPath, serverNode, true);
}

void TfrmMain::openfileExecute() {
    if (!session)
        return; // start-up stopped before the session existed
    // The databases are in the data folder (the program folder holds none).
    const QString dataFolder = dataPath.isEmpty() ? GetDominoDataPath(*m_env.registry) : dataPath;
    const auto chosen = m_env.prompter->OpenFileName(tr("NSF文件|*.nsf"), dataFolder);
    if (!chosen)
        return;
    const QString path = QDir::toNativeSeparators(*chosen); // as the system writes paths
    if (IsFileLocked(path)) {
        ShowMessage(*m_env.prompter, tr("文件%1正在被其它程序锁定，无法打开!").arg(path));
        return;
    }
    if (!ReadDominoFileFirst(path))
        return;
    const QStringList views = OpenLocalFileViews(*session, path);
    dbPath = path;
    docCount = 0; // a view of the database shown before is no longer listed
    m_tree->clear();
    setTreeTag(2);
    QTreeWidgetItem* fileNode =
        AddTreeNode(m_tree, nullptr, path, tree_node::kDatabaseImage, tree_node::kDatabaseImage);
    for (const QString& name : views)
        AddTreeNode(m_tree, fileNode, name, tree_node::kViewImage, tree_node::kViewImage);
    m_list->clearItems();
}

// A database file as Domino writes it is read into the store's cache under the progress window
// (shown only where it must be read); what it held that could not be read is told. False when it
// cannot be read at all.
bool TfrmMain::ReadDominoFileFirst(const QString& path) {
    std::optional<DominoFileRead> read;
    try {
        std::optional<WaitMsgScope> wait;
        read = ReadDominoFileAhead(*m_env.registry, path,
                                   [&] { wait.emplace(*m_env.progress, app_text::ReadingDominoFile()); });
    } catch (const std::exception& error) {
        ShowMessage(*m_env.prompter, app_text::DatabaseError() + ExceptionMessage(error));
        return false;
    }
    if (read && read->unread > 0)
        ShowMessage(*m_env.prompter, app_text::DominoFileUnread(read->unread, read->report));
    return true;
}

void TfrmMain::TreeView1Click() {
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    if (m_tree->topLevelItemCount() == 0 || selected.isEmpty())
        return;
    QTreeWidgetItem* node = selected.front();
    docCount = 0;
    if (node->childCount() > 0)
        return;
    const int level = NodeLevel(node);
    if (treeTag() == 1 && level > 0) {
        if (IsDatabaseNodeText(node->text(0)))
            ListDatabaseViews(node);
        else if (IsDatabaseNodeText(node->parent()->text(0)))
            OpenServerView(node);
    } else if (level > 0) {
        OpenView(OpenDatabase(*session, QString(), node->parent()->text(0)), node->text(0));
    }
}

void TfrmMain::ListDatabaseViews(QTreeWidgetItem* node) {
    const QString path = NodePath(node, QString());
    // A Domino database file in the data folder is read into the cache first, as an opened one is.
    if (!ReadDominoFileFirst(QDir(dataPath).filePath(QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')))))
        return;
    std::unique_ptr<TNotesDatabase> db;
    try {
        db = OpenDatabase(*session, serverName, path);
    } catch (const std::exception& error) {
        ShowMessage(*m_env.prompter, app_text::DatabaseError() + ExceptionMessage(error));
        return;
    }
    dbPath = path;
    const QStringList views = ShownViewNames(*db);
    m_list->showIcons(views, m_imageList2->image(kListViewImage));
    for (const QString& name : views)
        AddTreeNode(m_tree, node, name, tree_node::kViewImage, tree_node::kViewImage);
    node->setExpanded(true);
}

void TfrmMain::OpenServerView(QTreeWidgetItem* node) {
    QString path = NodePath(node->parent(), QString());
    if (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    auto db = OpenDatabase(*session, serverName, path);
    dbPath = path;
    OpenView(std::move(db), node->text(0));
}

void TfrmMain::OpenView(std::unique_ptr<TNotesDatabase> db, const QString& name) {
    pageStart = 0;
    database->ConnectTo(db->DefaultInterface());
    viewName = name;
    LoadDocumentPage(*db, name);
}

void TfrmMain::LoadDocumentPage(TNotesDatabase& db, const QString& name) {
    const int width = m_list->width();
    docCount = 0;
    DocumentPage page = ::LoadDocumentPage(db, name, pageStart, *m_env.progress);
    const int columnWidth = width / std::max<qsizetype>(1, page.columns.size());
    m_list->showReport(page.columns, columnWidth, std::move(page.rows));
    pageStart = page.pageStart;
    if (page.listed) {
        docCount = page.docCount;
        setStatusPanelText(1, page.status);
    }
    if (page.error)
        ShowMessage(*m_env.prompter, app_text::ReadError() + *page.error);
}

bool TfrmMain::IsViewListed() const {
    return docCount != 0 && m_list->viewStyle() != ListView::ViewStyle::Icon;
}

void TfrmMain::ToolButton7Click() {
    if (!IsViewListed())
        return;
    pageStart = 0;
    LoadDocumentPage(*database, viewName);
}

void TfrmMain::ToolButton8Click() {
    if (!IsViewListed())
        return;
    pageStart = PreviousPageStart(pageStart);
    LoadDocumentPage(*database, viewName);
}

void TfrmMain::ToolButton9Click() {
    if (!IsViewListed() || docCount <= pageStart)
        return;
    LoadDocumentPage(*database, viewName);
}

void TfrmMain::ToolButton10Click() {
    if (!IsViewListed() || docCount <= pageStart)
        return;
    pageStart = LastPageStart(docCount);
    LoadDocumentPage(*database, viewName);
}

void TfrmMain::ListView1DblClick() {
    const QList<int> rows = m_list->selectedRows();
    if (m_list->viewStyle() != ListView::ViewStyle::Report || rows.size() != 1)
        return;
    ShowDocumentDetail(*session, treeTag() == 1 ? serverName : QString(), dbPath, m_list->row(rows.front()).value(0),
                       *m_env.forms, this);
}

void TfrmMain::ToolButton11Click() {
    ListView1DblClick();
}
