// Every message box, confirmation and file dialog of the program goes through IPrompter, so that
// the work can be driven headless: the Qt back end shows real dialogs, the tests' prompter records
// what would have been shown and answers from a script.
#pragma once

#include <QString>

#include <optional>

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
