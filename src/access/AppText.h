// The application's title and the plain message box every command uses.
#pragma once

#include "platform/Prompter.h"

inline const QString kAppTitle = QStringLiteral("VerdanixV3.2");

// A plain message box captioned with the application title: no icon, one OK button.
inline void ShowMessage(IPrompter& prompter, const QString& text) {
    prompter.MessageBox(kAppTitle, text, IPrompter::Icon::None, IPrompter::Buttons::Ok);
}

// Follows the two messages of a failed component registration.
inline const QString kContactSupplier = QStringLiteral("请与软件供应商联系：Verdanix 技术支持，support@verdanix.com。");
