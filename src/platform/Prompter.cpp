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

std::optional<QString> RecordingPrompter::OpenFileName(const QString& filter) {
    fileDialogFilters.push_back(filter);
    if (fileNames.empty())
        return std::nullopt;
    const QString name = fileNames.front();
    fileNames.pop_front();
    if (name.isNull())
        return std::nullopt;
    return name;
}

std::optional<QString> RecordingPrompter::SaveFileName(const QString& filter) {
    return OpenFileName(filter);
}

QStringList RecordingPrompter::texts() const {
    QStringList result;
    for (const auto& m : messages)
        result << m.text;
    return result;
}
