#include "shell/main.h"

#include "access/AppText.h"
#include "access/Databases.h"
#include "access/ErrorMessage.h"
#include "access/connecting.h"
#include "access/settings.h"
#include "assembly/dominointerface.h"
#include "browse/DatabaseTree.h"
#include "browse/DocumentPage.h"
#include "browse/FormRunner.h"
#include "browse/WindowFrame.h"
#include "browse/docDetail.h"
#include "export/ExportToExcel.h"
#include "interfaces/Registry.h"
#include "platform/FileLock.h"
#include "platform/Progress.h"
#include "platform/Prompter.h"
#include "shell/GeneralErrorDisplay.h"
#include "shell/Icons.h"
#include "shell/ListView.h"
#include "shell/about.h"
#include "shell/selserver.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

namespace {

QFont WindowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Microsoft YaHei")});
    font.setPixelSize(11);
    return font;
}

QFrame* Panel(const QString& name, QWidget* parent, bool lowered) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    if (lowered)
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return panel;
}

} // namespace

SplitterPanel::SplitterPanel(QWidget* parent) : QFrame(parent) {
    setMouseTracking(true);
    setCursor(Qt::SplitHCursor);
}

void SplitterPanel::mouseMoveEvent(QMouseEvent* event) {
    // Screen coordinates: the panel itself moves as the tree widens, so positions within it
    // would lag behind the mouse.
    emit mouseMoved(static_cast<int>(event->globalPosition().x()));
}

TfrmMain::TfrmMain(MainEnvironment env, QWidget* parent) : QMainWindow(parent), m_env(std::move(env)) {
    setObjectName(QStringLiteral("frmMain"));
    CreateComponents();
    FormCreate();
}

TfrmMain::~TfrmMain() {
    FormDestroy();
}

std::function<void()> TfrmMain::Guarded(void (TfrmMain::*handler)()) {
    return [this, handler] {
        // While an export runs (it lets the window handle events), a command could change the
        // view it exports or start another: only About is let through.
        if (m_exporting && handler != &TfrmMain::aboutExecute)
            return;
        RunGuarded(*m_env.prompter, [this, handler] { (this->*handler)(); });
    };
}

QAction* TfrmMain::CreateAction(const QString& name, const QString& caption, int image, void (TfrmMain::*handler)()) {
    auto* action = new QAction(m_imageList1->image(image), caption, findChild<QObject*>(QStringLiteral("ActionList1")));
    action->setObjectName(name);
    action->setProperty("ImageIndex", image);
    connect(action, &QAction::triggered, this, Guarded(handler));
    return action;
}

QAction* TfrmMain::CreateMenuItem(QMenu* menu, const QString& name, QAction* action) {
    // A menu item takes its action's caption and image and runs it, as an action link does.
    auto* item = menu->addAction(action->icon(), action->text());
    item->setObjectName(name);
    item->setProperty("ImageIndex", action->property("ImageIndex"));
    connect(item, &QAction::triggered, action, &QAction::trigger);
    return item;
}

QToolButton* TfrmMain::CreateButton(const QString& name, const QString& caption, int image, const QString& hint,
                                    void (TfrmMain::*handler)()) {
    auto* toolBar = findChild<QToolBar*>(QStringLiteral("ToolBar1"));
    auto* button = new QToolButton(toolBar);
    button->setObjectName(name);
    button->setText(caption);
    button->setIcon(m_imageList1->image(image));
    button->setProperty("ImageIndex", image);
    button->setToolTip(hint);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFixedSize(67, 36);
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    toolBar->addWidget(button);
    connect(button, &QToolButton::clicked, this, Guarded(handler));
    return button;
}

void TfrmMain::CreateComponents() {
    setWindowTitle(kAppTitle);
    setFont(WindowFont());
    resize(kOuterWidth, kOuterHeight);

    m_imageList1 = new ImageList(QStringLiteral("ImageList1"), DrawToolImages(), this);
    // Images for the list's entries: 0 database, 1 folder, 2 document, 3 view.
    m_imageList2 = new ImageList(QStringLiteral("ImageList2"), DrawListImages(), this);
    auto* actionList = new QObject(this);
    actionList->setObjectName(QStringLiteral("ActionList1"));
    CreatePanels();
    CreateCommands();
}

void TfrmMain::CreatePanels() {
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    setCentralWidget(central);

    QFrame* panel1 = Panel(QStringLiteral("Panel1"), central, false);
    panel1->setFixedHeight(49);
    auto* panel1Layout = new QHBoxLayout(panel1);
    panel1Layout->setContentsMargins(2, 2, 2, 2);
    auto* toolBar = new QToolBar(panel1);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setIconSize(QSize(16, 16));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setStyleSheet(QStringLiteral("QToolBar { border: none; }"));
    panel1Layout->addWidget(toolBar);
    outer->addWidget(panel1);

    auto* middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    m_panel2 = Panel(QStringLiteral("Panel2"), central, true);
    m_panel2->setFixedWidth(225);
    auto* panel2Layout = new QVBoxLayout(m_panel2);
    panel2Layout->setContentsMargins(1, 1, 1, 1);
    m_tree = new QTreeWidget(m_panel2);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setHeaderHidden(true);
    m_tree->setIndentation(19);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setProperty("Tag", 0);
    // A node wider than the pane gets a horizontal scroll bar, as in a tree control.
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_tree->header()->setStretchLastSection(false);
    m_tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_tree->viewport()->installEventFilter(this);
    panel2Layout->addWidget(m_tree);
    middle->addWidget(m_panel2);

    auto* panel4 = new SplitterPanel(central);
    panel4->setObjectName(QStringLiteral("Panel4"));
    panel4->setFixedWidth(3);
    middle->addWidget(panel4);

    QFrame* panel3 = Panel(QStringLiteral("Panel3"), central, true);
    auto* panel3Layout = new QVBoxLayout(panel3);
    panel3Layout->setContentsMargins(1, 1, 1, 1);
    m_list = new ListView(panel3);
    m_list->setObjectName(QStringLiteral("ListView1"));
    m_list->setFrameShape(QFrame::NoFrame);
    QPalette listPalette = m_list->palette();
    listPalette.setColor(QPalette::Base, QApplication::palette().color(QPalette::Window));
    m_list->reportView()->setPalette(listPalette);
    m_list->iconView()->setPalette(listPalette);
    panel3Layout->addWidget(m_list);
    middle->addWidget(panel3, 1);
    outer->addLayout(middle, 1);
    outer->addWidget(CreateStatusPanel(central));

    connect(panel4, &SplitterPanel::mouseMoved, this,
            [this](int x) { RunGuarded(*m_env.prompter, [this, x] { Panel4MouseMove(x); }); });
    connect(m_list, &ListView::doubleClicked, this, Guarded(&TfrmMain::ListView1DblClick));
}

QFrame* TfrmMain::CreateStatusPanel(QWidget* central) {
    QFrame* panel5 = Panel(QStringLiteral("Panel5"), central, true);
    panel5->setFixedHeight(32);
    auto* panel5Layout = new QHBoxLayout(panel5);
    panel5Layout->setContentsMargins(1, 1, 1, 1);
    auto* statusBar = new QStatusBar(panel5);
    statusBar->setObjectName(QStringLiteral("StatusBar1"));
    statusBar->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        m_status[i] = new QLabel(statusBar);
        m_status[i]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        m_status[i]->setFixedWidth(250);
        m_status[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar->addWidget(m_status[i]);
    }
    setStatusPanelText(0, tr("Verdanix Domino 数据浏览与导出"));
    panel5Layout->addWidget(statusBar);
    return panel5;
}

void TfrmMain::CreateCommands() {
    QAction* exitsystem = CreateAction(QStringLiteral("exitsystem"), tr("退出系统"), 1, &TfrmMain::exitsystemExecute);
    QAction* openserver = CreateAction(QStringLiteral("openserver"), tr("连接服务器"), 4, &TfrmMain::openserverExecute);
    QAction* openfile = CreateAction(QStringLiteral("openfile"), tr("打开文件"), 3, &TfrmMain::openfileExecute);
    QAction* exportAction = CreateAction(QStringLiteral("export"), tr("导出数据"), 2, &TfrmMain::exportExecute);
    QAction* inportdata = CreateAction(QStringLiteral("inportdata"), tr("导入数据"), 0, &TfrmMain::inportdataExecute);
    QAction* about = CreateAction(QStringLiteral("about"), tr("关于"), 5, &TfrmMain::aboutExecute);

    QMenuBar* menuBar = this->menuBar();
    menuBar->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* n1 = menuBar->addMenu(tr("文   件"));
    n1->setObjectName(QStringLiteral("N1"));
    CreateMenuItem(n1, QStringLiteral("N2"), openfile);
    CreateMenuItem(n1, QStringLiteral("N3"), openserver);
    CreateMenuItem(n1, QStringLiteral("N6"), exitsystem);
    QMenu* n4 = menuBar->addMenu(tr("工   具"));
    n4->setObjectName(QStringLiteral("N4"));
    CreateMenuItem(n4, QStringLiteral("ACCESS1"), exportAction);
    CreateMenuItem(n4, QStringLiteral("ACCESS2"), inportdata);
    QMenu* n5 = menuBar->addMenu(tr("关  于"));
    n5->setObjectName(QStringLiteral("N5"));
    CreateMenuItem(n5, QStringLiteral("N7"), about);
    // The interface language, which the program takes when it starts.
    QMenu* languages = n5->addMenu(tr("界面语言"));
    languages->setObjectName(QStringLiteral("LanguageMenu"));
    auto* group = new QActionGroup(languages);
    const Language current = LoadLanguage(SettingsFilePath(m_env.exeDir));
    for (const auto& [language, caption] :
         {std::pair{Language::Chinese, tr("中文")}, std::pair{Language::English, QStringLiteral("English")}}) {
        QAction* choice = group->addAction(languages->addAction(caption));
        choice->setObjectName(QStringLiteral("Language_") + LanguageCode(language));
        choice->setCheckable(true);
        choice->setChecked(language == current);
        connect(choice, &QAction::triggered, this, [this, language] {
            RunGuarded(*m_env.prompter, [this, language] { languageExecute(language); });
            // Where the choice could not be kept, the menu shows again the one that is.
            const QString kept = LanguageCode(LoadLanguage(SettingsFilePath(m_env.exeDir)));
            findChild<QAction*>(QStringLiteral("Language_") + kept)->setChecked(true);
        });
    }

    // The toolbar's buttons are narrow: where a caption is longer in another language, the
    // button has a shorter one of its own ("toolbar").
    CreateButton(QStringLiteral("ToolButton1"), tr("连接服务器", "toolbar"), 4, tr("连接Domino服务器"),
                 &TfrmMain::openserverExecute);
    CreateButton(QStringLiteral("ToolButton2"), openfile->text(), 3, tr("打开独立的NSF文件"),
                 &TfrmMain::openfileExecute);
    CreateButton(QStringLiteral("ToolButton4"), tr("导出数据", "toolbar"), 2,
                 tr("导出数据到Excel文件，并导出附件和RTF域图片"), &TfrmMain::exportExecute);
    CreateButton(QStringLiteral("ToolButton11"), tr("文档详情"), 10, tr("查看选中文档的所有域和值"),
                 &TfrmMain::ToolButton11Click);
    CreateButton(QStringLiteral("ToolButton7"), tr("首页"), 8, QString(), &TfrmMain::ToolButton7Click);
    CreateButton(QStringLiteral("ToolButton8"), tr("上一页"), 6, QString(), &TfrmMain::ToolButton8Click);
    CreateButton(QStringLiteral("ToolButton9"), tr("下一页"), 7, QString(), &TfrmMain::ToolButton9Click);
    CreateButton(QStringLiteral("ToolButton10"), tr("尾页"), 9, QString(), &TfrmMain::ToolButton10Click);
    CreateButton(QStringLiteral("ToolButton5"), about->text(), 5, QString(), &TfrmMain::aboutExecute);
    CreateButton(QStringLiteral("ToolButton6"), exitsystem->text(), 1, QString(), &TfrmMain::exitsystemExecute);
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    // A click anywhere in the tree, on a node or not, acts on the node selected by then. A
    // double-click brings a second release: it is the same click.
    if (watched == m_tree->viewport() && event->type() == QEvent::MouseButtonDblClick)
        m_treeDoubleClick = true;
    if (watched == m_tree->viewport() && event->type() == QEvent::MouseButtonRelease && !m_exporting &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (std::exchange(m_treeDoubleClick, false))
            return QMainWindow::eventFilter(watched, event);
        RunGuarded(*m_env.prompter, [this] { TreeView1Click(); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (m_exporting) {
        event->ignore(); // the export ends first
        return;
    }
    QMainWindow::closeEvent(event);
}

void TfrmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        ApplyOuterSize();
}

void TfrmMain::ApplyOuterSize() {
    // 846 x 524 is the window's outer size; the frame is known only once the window is shown.
    const QMargins frame = FrameMargins(this);
    if (m_outerSized || frame.isNull() || isMaximized() || isMinimized() || isFullScreen())
        return;
    m_outerSized = true;
    resize(ClientSizeFor(QSize(kOuterWidth, kOuterHeight), this));
}

void TfrmMain::FormCreate() {
    splitterX = 0;
    docCount = 0;
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    ApplyOuterSize();
    if (m_shown)
        return;
    m_shown = true;
    RunGuarded(*m_env.prompter, [this] { FormShow(); });
}

void TfrmMain::FormShow() {
    IRegistry& registry = *m_env.registry;
    const bool notes = IsNotesInstalled(registry);
    const bool domino = IsDominoInstalled(registry);
    if (!notes && !domino) {
        QString text = tr("对不起，Quarrix要求运行的电脑上已经安装过Domino客户端或服务器端软件!"
                          "请安装Domino环境后再运行本系统!");
        if (!m_env.installationProblem.isEmpty())
            text += QLatin1Char('\n') + m_env.installationProblem;
        ShowMessage(*m_env.prompter, text);
        if (m_env.terminate)
            m_env.terminate();
        return;
    }
    LoadSettings();
    QString installDir;
    if (IsNotesInstalled(registry))
        installDir = GetNotesPath(registry);
    if (IsDominoInstalled(registry))
        installDir = GetDominoPath(registry);
    RegisterDominoObjects(registry, *m_env.prompter, installDir);
    session = std::make_unique<TNotesSession>(*m_env.comFactory);
    database = std::make_unique<TNotesDatabase>();
}

void TfrmMain::FormDestroy() {
    session.reset();
    database.reset();
}

void TfrmMain::LoadSettings() {
    const auto settings = ::LoadSettings(SettingsFilePath(m_env.exeDir), m_env.hostName);
    serverName = settings.serverName;
    userName = settings.userName;
    password = settings.password;
}

void TfrmMain::exitsystemExecute() {
    const auto answer = m_env.prompter->MessageBox(tr("确认"), tr("您要退出Verdanix么?"), IPrompter::Icon::None,
                                                   IPrompter::Buttons::OkCancel);
    if (answer == IPrompter::Answer::Ok && m_env.terminate)
        m_env.terminate();
}

void TfrmMain::languageExecute(Language language) {
    SaveLanguage(SettingsFilePath(m_env.exeDir), language);
    ShowMessage(*m_env.prompter, language == Language::English ? tr("界面语言已设为英文，重新启动 Verdanix 后生效。")
                                                               : tr("界面语言已设为中文，重新启动 Verdanix 后生效。"));
}

void TfrmMain::aboutExecute() {
    TfrmAbout about(m_env.openUrl, this);
    m_env.forms->Run(about);
}

void TfrmMain::Panel4MouseMove(int x) {
    if (m_env.leftButtonDown && m_env.leftButtonDown()) {
        // Keep both panes usable: the tree never collapses and never pushes the list out.
        const int maxWidth = std::max(kTreeMinWidth, width() - kListMinWidth);
        const int wanted = m_panel2->width() + x - splitterX;
        m_panel2->setFixedWidth(std::clamp(wanted, kTreeMinWidth, maxWidth));
    }
    splitterX = x;
}

int TfrmMain::treeTag() const {
    return m_tree->property("Tag").toInt();
}

void TfrmMain::setTreeTag(int tag) {
    m_tree->setProperty("Tag", tag);
}

QString TfrmMain::statusPanelText(int panel) const {
    return m_status[panel]->text();
}

void TfrmMain::setStatusPanelText(int panel, const QString& text) {
    m_status[panel]->setText(text);
    m_status[panel]->setToolTip(text); // the whole text where the panel cuts it
}
