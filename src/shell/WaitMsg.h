// The progress message window: a small borderless window that stays on top of the main window
// while a long operation runs on the user-interface thread. WaitMsgWindow shows it for the
// progress interface the work reports to; there is at most one such window at a time.
#pragma once

#include "platform/Progress.h"

#include <QElapsedTimer>
#include <QPointer>
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
    TMsgFrm();

    QFrame* MsgPanel;
    QLabel* LblMsg;
    QProgressBar* ProgressBar;
    SearchAnimation* Ani;
};

// The progress interface shown as a TMsgFrm, centred over the anchor window (the main window)
// or the screen. Only ShowWaitMsg ... CloseWaitMsg change the window.
class WaitMsgWindow : public IProgress {
public:
    WaitMsgWindow() = default;
    ~WaitMsgWindow() override;
    WaitMsgWindow(const WaitMsgWindow&) = delete;
    WaitMsgWindow& operator=(const WaitMsgWindow&) = delete;

    void ShowWaitMsg() override;
    void ShowWaitMsgText(const QString& text) override;
    void SetWaitMsgText(const QString& text) override;
    void SetWaitProgress(int32_t maximum, int32_t position) override;
    void CloseWaitMsg() override;
    bool IsWaitMsgOpen() const override { return m_window != nullptr; }

    // The open window, if any.
    TMsgFrm* current() const { return m_window; }
    void setAnchor(QWidget* anchor) { m_anchor = anchor; }

private:
    TMsgFrm* CreateWindow();
    void ShowCentred(TMsgFrm* window);
    void RepaintPanel(bool now = false);

    static constexpr int kPaintIntervalMs = 40;
    QPointer<TMsgFrm> m_window;
    QElapsedTimer m_lastPaint;
    QPointer<QWidget> m_anchor;
};
