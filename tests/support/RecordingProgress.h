// A progress message for headless tests: records what the work reported, keeping the rules of the
// real window (one message at a time, the position kept within the range).
#pragma once

#include "platform/Progress.h"

#include <QString>
#include <QStringList>

#include <cstdint>

class RecordingProgress : public IProgress {
public:
    bool open = false;
    bool withBar = false;
    QString text;
    int32_t maximum = 0;
    int32_t position = 0;
    QStringList texts; // every text shown, in order
    int opened = 0;

    void ShowWaitMsg() override { Open(true, WaitMsgInitialText()); }
    void ShowWaitMsgText(const QString& message) override { Open(false, message); }
    void SetWaitMsgText(const QString& message) override {
        if (open)
            texts << (text = message);
    }
    void SetWaitProgress(int32_t max, int32_t pos) override {
        if (!open)
            return;
        maximum = max < 0 ? 0 : max;
        position = pos < 0 ? 0 : (pos > maximum ? maximum : pos);
    }
    void CloseWaitMsg() override { open = false; }
    bool IsWaitMsgOpen() const override { return open; }

private:
    void Open(bool bar, const QString& message) {
        if (open)
            return;
        open = true;
        withBar = bar;
        ++opened;
        texts << (text = message);
    }
};
