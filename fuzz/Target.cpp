// One libFuzzer target: the check of fuzz/Checks.h named by VERDANIX_FUZZ_TARGET.
#include "Checks.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzz::Check check = [] {
        for (const auto& target : fuzz::Targets())
            if (std::strcmp(target.name, VERDANIX_FUZZ_TARGET) == 0)
                return target.check;
        std::abort();
    }();
    check(data, size);
    return 0;
}
