// The code of the EOleException a call raises; 0 when it raises none.
#pragma once

#include "platform/ComObject.h"

#include <functional>

inline int32_t OleErrorCode(const std::function<void()>& call) {
    try {
        call();
    } catch (const EOleException& e) {
        return e.code();
    }
    return 0;
}
