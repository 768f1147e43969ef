// Scripts for the connect dialog when a test runs the main window's commands.
#pragma once

#include "shell/selserver.h"

#include <QDialog>
#include <QLineEdit>
#include <QStringList>

#include <functional>

// What the connect dialog shows: server, user name and password.
inline QStringList ConnectDialogFields(const Tfrmselserver& dialog) {
    return {dialog.Edit1->text(), dialog.Edit2->text(), dialog.Edit3->text()};
}

// A script that fills the connect dialog and confirms it.
inline std::function<int(QDialog&)> ConfirmConnect(QString server, QString user, QString pwd) {
    return [=](QDialog& form) {
        auto& dialog = dynamic_cast<Tfrmselserver&>(form);
        dialog.Edit1->setText(server);
        dialog.Edit2->setText(user);
        dialog.Edit3->setText(pwd);
        dialog.Button1Click();
        return dialog.result();
    };
}
