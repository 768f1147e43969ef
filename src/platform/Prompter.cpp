#include "platform/Prompter.h"

IPrompter::Answer RecordingPrompter::MessageBox(const QString& caption, const QString& text, Icon icon,
                                                Buttons buttons) {
    messages.push_back({caption, text, icon, buttons});
    if (answers.empty())
        return Answer::Ok;
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<QString> RecordingPrompter::OpenFileName(const QString& filter, const QString& folder) {
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

std::optional<QString> RecordingPrompter::SaveFileName(const QString& filter, const QString& folder, int* chosen) {
    if (chosen)
        *chosen = chosenFilter;
    return OpenFileName(filter, folder);
}

QStringList RecordingPrompter::texts() const {
    QStringList result;
    for (const auto& m : messages)
        result << m.text;
    return result;
}
