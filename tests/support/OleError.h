// What EOleException a call raises: its code and message.
#pragma once

#include "interfaces/ComObject.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

struct RaisedError {
    int32_t code = 0; // 0 when the call raised nothing
    std::u16string message;
};

inline RaisedError ErrorRaisedBy(const std::function<void()>& call) {
    try {
        call();
    } catch (const EOleException& e) {
        return {e.code(), e.message()};
    }
    return {};
}

// The code of the error a call raises, and optionally its message; 0 when it raises none.
inline int32_t OleErrorCode(const std::function<void()>& call, std::u16string* message = nullptr) {
    RaisedError error = ErrorRaisedBy(call);
    if (message)
        *message = std::move(error.message);
    return error.code;
}

// The message of the error a call raises, and optionally its code; fails the test if none.
inline std::u16string ErrorOf(const std::function<void()>& call, int32_t* code = nullptr) {
    RaisedError error = ErrorRaisedBy(call);
    if (error.code == 0)
        ADD_FAILURE() << "no EOleException raised";
    if (code)
        *code = error.code;
    return error.message;
}
