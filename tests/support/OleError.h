// The code of the EOleException a call raises, and optionally its message; 0 when it raises none.
#pragma once

#include "platform/ComObject.h"

#include <functional>
#include <string>

inline int32_t OleErrorCode(const std::function<void()>& call, std::u16string* message = nullptr) {
    try {
        call();
    } catch (const EOleException& e) {
        if (message)
            *message = e.message();
        return e.code();
    }
    return 0;
}
