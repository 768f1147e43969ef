// The Qt back end of IPrompter: real message boxes and file dialogs.
#pragma once

#include "platform/Progress.h"
#include "platform/Prompter.h"

class QWidget;

class QtPrompter : public IPrompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    // The progress message the dialogs must come above while it is open.
    void setProgress(const IProgress* progress) { m_progress = progress; }

    Answer MessageBox(const QString& caption, const QString& text, Icon icon, Buttons buttons) override;
    std::optional<QString> OpenFileName(const QString& filter, const QString& folder = {}) override;
    std::optional<QString> SaveFileName(const QString& filter, const QString& folder = {},
                                        int* chosenFilter = nullptr) override;

    // "Name|*.ext|Other|*.x" as Qt writes it: "Name (*.ext);;Other (*.x)".
    static QString QtFilter(const QString& filter);

private:
    void KeepAboveProgress(QWidget& dialog) const;

    QWidget* m_parent;
    const IProgress* m_progress = nullptr;
};
