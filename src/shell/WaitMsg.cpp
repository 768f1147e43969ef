#include "shell/WaitMsg.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace {

QFont PanelFont() {
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(12);
    return font;
}

} // namespace

SearchAnimation::SearchAnimation(QWidget* parent) : QWidget(parent), m_timer(new QTimer(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    m_timer->setInterval(kFrameMs);
    connect(m_timer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

void SearchAnimation::start() {
    m_clock.start();
    m_timer->start();
}

int SearchAnimation::currentFrame() const {
    if (!m_clock.isValid())
        return 0;
    return static_cast<int>((m_clock.elapsed() / kFrameMs) % kFrames);
}

void SearchAnimation::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    // A page with text lines, centred in the control.
    const QRectF page(width() / 2.0 - 13, height() / 2.0 - 16, 22, 30);
    p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
    p.setBrush(Qt::white);
    p.drawRect(page);
    p.setPen(QPen(QColor(0x9A, 0xA8, 0xB8), 1.5));
    for (int i = 0; i < 5; ++i) {
        const qreal y = page.top() + 6 + i * 5;
        p.drawLine(QPointF(page.left() + 4, y), QPointF(page.right() - 4, y));
    }
    // The magnifier walks around a small circle over the page, one step per frame.
    static constexpr qreal kPath[kFrames][2] = {{0, -6}, {5, -4}, {7, 1}, {5, 6}, {0, 8}, {-5, 6}, {-7, 1}, {-5, -4}};
    const int frame = currentFrame();
    const QPointF centre(width() / 2.0 - 2 + kPath[frame][0], height() / 2.0 - 2 + kPath[frame][1]);
    p.setPen(QPen(QColor(0x3A, 0x3A, 0x3A), 3));
    p.drawLine(centre + QPointF(5, 5), centre + QPointF(11, 11));
    p.setPen(QPen(QColor(0x3A, 0x3A, 0x3A), 2));
    p.setBrush(QColor(0xCF, 0xE6, 0xFA, 200));
    p.drawEllipse(centre, 7, 7);
}

TMsgFrm::TMsgFrm() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("MsgFrm"));
    setWindowTitle(QStringLiteral("MsgFrm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(393, 54);

    MsgPanel = new QFrame(this);
    MsgPanel->setObjectName(QStringLiteral("MsgPanel"));
    MsgPanel->setGeometry(0, 0, 393, 54);
    MsgPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    MsgPanel->setLineWidth(2);
    MsgPanel->setAutoFillBackground(true);
    QPalette pal = MsgPanel->palette();
    pal.setColor(QPalette::Window, QColor(0xE7, 0xE6, 0xD8));
    pal.setColor(QPalette::WindowText, Qt::black);
    MsgPanel->setPalette(pal);
    MsgPanel->setFont(PanelFont());

    LblMsg = new QLabel(WaitMsgInitialText(), MsgPanel);
    LblMsg->setObjectName(QStringLiteral("LblMsg"));
    LblMsg->setGeometry(22, 6, 299, 12);

    ProgressBar = new QProgressBar(MsgPanel);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setGeometry(28, 26, 301, 16);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);

    Ani = new SearchAnimation(MsgPanel);
    Ani->setObjectName(QStringLiteral("Ani"));
    Ani->setGeometry(393 - 4 - 50, (54 - 42) / 2, 50, 42);
}

WaitMsgWindow::~WaitMsgWindow() {
    CloseWaitMsg();
}

void WaitMsgWindow::RepaintPanel(bool now) {
    if (!m_window)
        return;
    // The operations that report here keep the thread busy, so the panel is painted at once,
    // but not more often than the eye can follow: a page of documents reports thousands of steps.
    if (now || !m_lastPaint.isValid() || m_lastPaint.elapsed() >= kPaintIntervalMs) {
        m_window->MsgPanel->repaint();
        m_lastPaint.start();
    } else {
        m_window->MsgPanel->update();
    }
}

TMsgFrm* WaitMsgWindow::CreateWindow() {
    m_window = new TMsgFrm;
    m_window->Ani->start();
    return m_window;
}

void WaitMsgWindow::ShowCentred(TMsgFrm* window) {
    QRect area;
    if (m_anchor && m_anchor->isVisible())
        area = m_anchor->frameGeometry();
    else if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    if (area.isValid())
        window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
    window->show();
    window->raise();
    // A new window can only be painted once the window system has mapped it. The operations
    // that open this window keep the thread busy without returning to the event loop, so wait
    // here, briefly and taking no user input, for the window to appear; the explicit repaints
    // that follow then reach the screen at once.
    QElapsedTimer waited;
    waited.start();
    while (window->windowHandle() && !window->windowHandle()->isExposed() && waited.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    RepaintPanel(true);
}

void WaitMsgWindow::ShowWaitMsg() {
    if (m_window)
        return;
    ShowCentred(CreateWindow());
}

void WaitMsgWindow::ShowWaitMsgText(const QString& text) {
    if (m_window)
        return;
    TMsgFrm* window = CreateWindow();
    window->ProgressBar->hide();
    window->LblMsg->move(window->LblMsg->x(), 20);
    window->LblMsg->setText(text);
    ShowCentred(window);
}

void WaitMsgWindow::SetWaitMsgText(const QString& text) {
    if (!m_window)
        return;
    m_window->LblMsg->setText(text);
    RepaintPanel();
}

void WaitMsgWindow::SetWaitProgress(int32_t maximum, int32_t position) {
    if (!m_window)
        return;
    // A negative range would make the bar a busy indicator; keep it a plain 0..0 bar instead.
    const int32_t top = std::max(0, maximum);
    m_window->ProgressBar->setMinimum(0);
    m_window->ProgressBar->setMaximum(top);
    m_window->ProgressBar->setValue(std::clamp(position, 0, top));
    RepaintPanel();
}

void WaitMsgWindow::CloseWaitMsg() {
    if (!m_window)
        return;
    TMsgFrm* window = m_window;
    m_window = nullptr;
    window->close();
}
