// The text an error carries, as messages show it: the server's text for Domino errors, the
// settings file's for a failed write, else the error's own.
#pragma once

#include "interfaces/ComObject.h"
#include "platform/ProfileFile.h"

#include <QString>

#include <exception>

inline QString ExceptionMessage(const std::exception& error) {
    if (const auto* ole = dynamic_cast<const EOleException*>(&error))
        return QString::fromStdU16String(ole->message());
    if (const auto* ini = dynamic_cast<const ProfileWriteError*>(&error))
        return ini->message();
    return QString::fromUtf8(error.what());
}
