// The connect command: ask for server, user and password, log the session on, remember the
// values that worked, and show the server node with the data directory's folders and databases.
#include "access/VariantText.h"
#include "access/selserver.h"
#include "browse/DatabaseTree.h"
#include "shell/AppText.h"
#include "shell/FormRunner.h"
#include "shell/ListView.h"
#include "shell/WaitMsg.h"
#include "shell/dominointerface.h"
#include "shell/main.h"

#include <QTreeWidget>

void TfrmMain::openserverExecute() {
    setTreeTag(1);
    if (!session)
        return; // start-up stopped before the session existed: there is nothing to connect

    Tfrmselserver dialog(serverName, userName, password, *m_env.prompter, this);
    m_env.forms->Run(dialog);
    if (dialog.cancelled)
        return;
    ShowWaitMsgText(QStringLiteral("正在连接Domino服务器"));
    session->Disconnect();
    m_tree->clear();
    m_list->clearItems();
    ConnectServer();
}

void TfrmMain::ConnectServer() {
    // The progress window closes on every way out, also when an error travels on.
    struct CloseOnExit {
        ~CloseOnExit() { CloseWaitMsg(); }
    } closeOnExit;
    try {
        session->InitializeUsingNotesUserName(ToU16(userName), ToU16(password));
    } catch (const std::exception&) {
        ShowMessage(*m_env.prompter, QStringLiteral("连接服务器失败!"));
        return;
    }
    SaveSettings();
    dataPath = GetDominoDataPath(*m_env.registry);
    QTreeWidgetItem* serverNode = AddTreeNode(
        m_tree, nullptr, serverName + QLatin1Char('(') + dataPath + QLatin1Char(')'), tree_node::kServerImage, -1);
    AddFolderNodes(m_tree, dataPath, serverNode, true);
}
