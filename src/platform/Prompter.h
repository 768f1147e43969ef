// Every message box, confirmation and file dialog of the program goes through IPrompter, so that
// the work can be driven headless: the Qt back end shows real dialogs, RecordingPrompter records
// what would have been shown and answers from a script.
#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

class IPrompter {
public:
    enum class Icon { None, Information, Warning, Error, Question };
    enum class Buttons { Ok, OkCancel };
    enum class Answer { Ok, Cancel };

    virtual ~IPrompter() = default;

    virtual Answer MessageBox(const QString& caption, const QString& text, Icon icon, Buttons buttons) = 0;
    // The chosen file's full path; nothing when the user cancels. filter is "Name|*.ext", or
    // several such pairs joined by "|", the first selected; the dialog starts in folder (the
    // working folder when it is empty). chosenFilter, when given, gets the number (from 0) of the
    // pair the user left selected.
    virtual std::optional<QString> OpenFileName(const QString& filter, const QString& folder = {}) = 0;
    virtual std::optional<QString> SaveFileName(const QString& filter, const QString& folder = {},
                                                int* chosenFilter = nullptr) = 0;
};

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

    Answer MessageBox(const QString& caption, const QString& text, Icon icon, Buttons buttons) override;
    std::optional<QString> OpenFileName(const QString& filter, const QString& folder = {}) override;
    std::optional<QString> SaveFileName(const QString& filter, const QString& folder = {},
                                        int* chosenFilter = nullptr) override;

    QStringList texts() const;
};
