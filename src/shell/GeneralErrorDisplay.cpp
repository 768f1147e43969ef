#include "shell/GeneralErrorDisplay.h"

#include "access/AppText.h"
#include "access/ErrorMessage.h"
#include "interfaces/ComObject.h"
#include "platform/ProfileFile.h"
#include <QCoreApplication>

QString ErrorDisplayText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + QLatin1Char('.');
    return message;
}

void ShowCurrentException(IPrompter& prompter) {
    QString message;
    try {
        throw;
    } catch (const std::exception& error) {
        message = ExceptionMessage(error);
    } catch (...) {
        message = QCoreApplication::translate("GeneralError", "未知错误");
    }
    prompter.MessageBox(kAppTitle, ErrorDisplayText(message), IPrompter::Icon::Error, IPrompter::Buttons::Ok);
}

void RunGuarded(IPrompter& prompter, const std::function<void()>& work) {
    try {
        work();
    } catch (...) {
        ShowCurrentException(prompter);
    }
}

VerdanixApplication::VerdanixApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool VerdanixApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (m_prompter)
            ShowCurrentException(*m_prompter);
        return false;
    }
}
