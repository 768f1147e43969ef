// The main window: menus, toolbar, database tree, document list, status bar; the start-up
// sequence; and the handlers of every command. Handlers stay thin: they read the window's state,
// call the function that does the work, and show its result.
#pragma once

#include "access/Domino_TLB.h"
#include "interfaces/SpreadsheetAutomation.h"
#include "platform/Language.h"

#include <QFrame>
#include <QMainWindow>

#include <functional>
#include <memory>

class IComClassFactory;
class IFormRunner;
class IProgress;
class IPrompter;
class ISpreadsheetAutomation;
class IRegistry;
class ImageList;
class ListView;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QStatusBar;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

// What the main window needs from outside; the program passes the real ones, tests their own.
struct MainEnvironment {
    IRegistry* registry = nullptr;
    IPrompter* prompter = nullptr;
    IProgress* progress = nullptr;                 // the progress message of long commands
    ISpreadsheetAutomation* spreadsheet = nullptr; // "Excel.Application", for the export
    IComClassFactory* comFactory = nullptr;
    IFormRunner* forms = nullptr;
    QString exeDir;                              // where system.ini lives
    std::function<void()> terminate;             // ends the message loop
    std::function<bool()> leftButtonDown;        // state of the left mouse button
    std::function<void(const QString&)> openUrl; // the shell's "open" of a web address
    std::function<QString()> hostName;           // GetLocalHostName
    QString installationProblem;                 // why the program's own installation is missing
};

// The splitter between tree and list: reports every mouse move in its own coordinates.
class SplitterPanel : public QFrame {
    Q_OBJECT
public:
    explicit SplitterPanel(QWidget* parent = nullptr);
signals:
    void mouseMoved(int x);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kTreeMinWidth = 80;
    static constexpr int kListMinWidth = 120;
    static constexpr int kOuterWidth = 846;
    static constexpr int kOuterHeight = 524;

    explicit TfrmMain(MainEnvironment env, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Window events.
    void FormCreate();
    void FormShow();
    void FormDestroy();

    // Commands.
    void exitsystemExecute();
    void openserverExecute();
    void openfileExecute();
    void exportExecute();
    void inportdataExecute();
    void aboutExecute();
    // Keeps the interface language for the next start, and says so.
    void languageExecute(Language language);
    void Panel4MouseMove(int x);
    void TreeView1Click();
    void ListView1DblClick();
    void ToolButton11Click();
    void ToolButton7Click();
    void ToolButton8Click();
    void ToolButton9Click();
    void ToolButton10Click();

    void ConnectServer();
    // Lists the page of view name of db that starts after pageStart.
    void LoadDocumentPage(TNotesDatabase& db, const QString& name);
    // Exports the listed view to the workbook FileName (in format unless its ending says otherwise).
    void ExportToExcel(const QString& FileName, WorkbookFormat format = WorkbookFormat::Xls);
    // An export is running: the commands wait for it (About aside).
    bool isExporting() const { return m_exporting; }
    void LoadSettings();

    // The tree mode kept in TreeView1's Tag: 0 nothing opened, 1 server, 2 file.
    int treeTag() const;
    void setTreeTag(int tag);
    QString statusPanelText(int panel) const;
    void setStatusPanelText(int panel, const QString& text);

    // State, in the order the window declares it after its components.
    int32_t splitterX = 0;
    std::unique_ptr<TNotesSession> session;
    int32_t pageStart = 0;
    std::unique_ptr<TNotesDatabase> database;
    QString viewName;
    int32_t docCount = 0;
    QString serverName;
    QString userName;
    QString password;
    QString dataPath;
    QString dbPath;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ReadDominoFileFirst(const QString& path);
    void CreateComponents();
    // The window's parts: toolbar panel, tree, splitter and list; the status bar; the actions
    // with their menu items and toolbar buttons.
    void CreatePanels();
    QFrame* CreateStatusPanel(QWidget* central);
    void CreateCommands();
    // The tree click's three actions: a database node's views, a view of the server, any view.
    void ListDatabaseViews(QTreeWidgetItem* node);
    void OpenServerView(QTreeWidgetItem* node);
    void OpenView(std::unique_ptr<TNotesDatabase> db, const QString& name);
    // A view's documents are in the list: the paging buttons work.
    bool IsViewListed() const;
    // Sizes the window to its outer size once the frame is known and it is a normal window.
    void ApplyOuterSize();
    QAction* CreateAction(const QString& name, const QString& caption, int image, void (TfrmMain::*handler)());
    QAction* CreateMenuItem(QMenu* menu, const QString& name, QAction* action);
    QToolButton* CreateButton(const QString& name, const QString& caption, int image, const QString& hint,
                              void (TfrmMain::*handler)());
    // Connects a signal to a handler whose errors reach the general error display.
    std::function<void()> Guarded(void (TfrmMain::*handler)());

    MainEnvironment m_env;
    bool m_shown = false;
    bool m_outerSized = false;
    bool m_exporting = false;
    bool m_treeDoubleClick = false; // the tree's mouse release that ends a double-click
    QString m_lastExportFolder;     // where the save dialog of the last export was left

    ImageList* m_imageList1 = nullptr;
    ImageList* m_imageList2 = nullptr;
    QFrame* m_panel2 = nullptr;
    QTreeWidget* m_tree = nullptr;
    ListView* m_list = nullptr;
    QLabel* m_status[2] = {nullptr, nullptr};
};
