// What happens to an error no command handled: a message box captioned with the application
// title, with the error icon, showing the error's message; then the program goes on.
#pragma once

#include <QApplication>

#include <exception>
#include <functional>

class IPrompter;

// The message as shown: "." is appended when its last character sorts after "." (so a message
// ending in a letter or a Chinese character gains a full stop; one ending in "!" or "." not).
QString ErrorDisplayText(const QString& message);

// Shows the current exception (call inside a catch block) through prompter.
void ShowCurrentException(IPrompter& prompter);

// Runs work; an exception escaping it is shown by the general error display.
void RunGuarded(IPrompter& prompter, const std::function<void()>& work);

// The application object: catches what escapes event handlers and shows it.
class VerdanixApplication : public QApplication {
public:
    VerdanixApplication(int& argc, char** argv);
    void setPrompter(IPrompter* prompter) { m_prompter = prompter; }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    IPrompter* m_prompter = nullptr;
};
