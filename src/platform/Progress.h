// The progress message of a long operation, as the work reports it: a window with a text and,
// optionally, a bar. The work receives an IProgress; the program passes the progress window,
// tests one that records. There is at most one message at a time.
#pragma once

#include <QString>

#include <QCoreApplication>
#include <cstdint>

// The text the message opens with when it shows the bar.
inline QString WaitMsgInitialText() {
    return QCoreApplication::translate("Progress", "正在导入数据，请稍候...");
}

class IProgress {
public:
    virtual ~IProgress() = default;

    // Opens the message with the progress bar and the initial text; nothing when one is open.
    virtual void ShowWaitMsg() = 0;
    // Opens the message without the progress bar; nothing when one is open (the text is then
    // not applied).
    virtual void ShowWaitMsgText(const QString& text) = 0;
    // Replaces the text; nothing when no message is open.
    virtual void SetWaitMsgText(const QString& text) = 0;
    // Sets the bar's range to 0..maximum and its position (kept within the range); nothing when
    // no message is open.
    virtual void SetWaitProgress(int32_t maximum, int32_t position) = 0;
    // Closes the message; harmless when none is open.
    virtual void CloseWaitMsg() = 0;
    virtual bool IsWaitMsgOpen() const = 0;
};

// Opens the progress message with a text (nothing when one is already open) and closes it when
// the scope ends, on every path.
class WaitMsgScope {
public:
    WaitMsgScope(IProgress& progress, const QString& text) : m_progress(progress) { m_progress.ShowWaitMsgText(text); }
    // Closes the message that is already open when the scope ends.
    explicit WaitMsgScope(IProgress& progress) : m_progress(progress) {}
    ~WaitMsgScope() { m_progress.CloseWaitMsg(); }
    WaitMsgScope(const WaitMsgScope&) = delete;
    WaitMsgScope& operator=(const WaitMsgScope&) = delete;

private:
    IProgress& m_progress;
};
