// A prompter for headless tests: records every message box and file dialog the work would have
// shown and answers from a script.
#pragma once

#include "platform/Prompter.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

class RecordingPrompter : public IPrompter {
public:
    struct Message {
        QString caption;
        QString text;
        Icon icon;
        Buttons buttons;
    };

    std::vector<Message> messages;
    std::vector<QString> fileDialogFilters;
    std::vector<QString> fileDialogFolders;
    // Scripted answers, used in order; when a queue is empty the box answers Ok and the file
    // dialogs are cancelled. A null QString in fileNames cancels that dialog.
    std::deque<Answer> answers;
    std::deque<QString> fileNames;
    int chosenFilter = 0; // the filter the save dialogs report as selected

    Answer MessageBox(const QString& caption, const QString& text, Icon icon, Buttons buttons) override {
        messages.push_back({caption, text, icon, buttons});
        if (answers.empty())
            return Answer::Ok;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::optional<QString> OpenFileName(const QString& filter, const QString& folder = {}) override {
        fileDialogFilters.push_back(filter);
        fileDialogFolders.push_back(folder);
        if (fileNames.empty())
            return std::nullopt;
        const QString name = fileNames.front();
        fileNames.pop_front();
        if (name.isNull())
            return std::nullopt;
        return name;
    }

    std::optional<QString> SaveFileName(const QString& filter, const QString& folder = {},
                                        int* chosen = nullptr) override {
        if (chosen)
            *chosen = chosenFilter;
        return OpenFileName(filter, folder);
    }

    QStringList texts() const {
        QStringList result;
        for (const auto& m : messages)
            result << m.text;
        return result;
    }
};
