// The progress message window: a small borderless window that stays on top of the main window
// while a long operation runs on the user-interface thread. It is driven only through the five
// procedures below; there is at most one such window at a time.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <cstdint>

class QFrame;
class QLabel;
class QProgressBar;
class QTimer;

// A looping "searching" animation: a magnifier sweeping over a page, eight frames. The frame
// follows the time since start, so each repaint (by the procedures, or by the timer while the
// event loop runs) shows the animation where it should be.
class SearchAnimation : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFrames = 8;
    static constexpr int kFrameMs = 110;

    explicit SearchAnimation(QWidget* parent = nullptr);
    void start();
    bool isActive() const { return m_clock.isValid(); }
    int currentFrame() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QElapsedTimer m_clock;
    QTimer* m_timer;
};

class TMsgFrm : public QWidget {
    Q_OBJECT
public:
    static inline const QString kInitialText = QStringLiteral("正在导入数据，请稍候...");

    TMsgFrm();

    QFrame* MsgPanel;
    QLabel* LblMsg;
    QProgressBar* ProgressBar;
    SearchAnimation* Ani;
};

// Opens the window with the progress bar and the initial text; nothing when one is open.
void ShowWaitMsg();
// Opens the window without the progress bar, the message moved to the middle; nothing when
// one is open (the text is then not applied).
void ShowWaitMsgText(const QString& text);
// Replaces the message; nothing when no window is open.
void SetWaitMsgText(const QString& text);
// Sets the bar's range to 0..maximum and its position (kept within the range); nothing when no
// window is open. The bar's visibility does not change.
void SetWaitProgress(int32_t maximum, int32_t position);
// Closes the window; harmless when none is open.
void CloseWaitMsg();

// The open window, if any.
TMsgFrm* CurrentWaitMsg();
// The window the progress window is centred over (the main window).
void SetWaitMsgAnchor(QWidget* anchor);

// Opens the progress window with a text and closes it when the scope ends, on every path.
class WaitMsgTextScope {
public:
    explicit WaitMsgTextScope(const QString& text) { ShowWaitMsgText(text); }
    ~WaitMsgTextScope() { CloseWaitMsg(); }
    WaitMsgTextScope(const WaitMsgTextScope&) = delete;
    WaitMsgTextScope& operator=(const WaitMsgTextScope&) = delete;
};
