// Every input a fuzz target once failed on (fuzz/regressions/<target>/), and the seed corpora
// (fuzz/corpus/<target>/), run through the targets' checks: a broken invariant aborts the test.
#include "../../fuzz/Checks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

TEST(FuzzInputs, RegressionsAndSeedsPass) {
    int inputs = 0;
    for (const auto& target : fuzz::Targets())
        for (const char* kind : {"regressions", "corpus"}) {
            const fs::path dir = fs::path(VERDANIX_FUZZ_DIR) / kind / target.name;
            std::error_code ec;
            if (!fs::is_directory(dir, ec))
                continue;
            for (const auto& entry : fs::directory_iterator(dir)) {
                std::ifstream in(entry.path(), std::ios::binary);
                const std::string bytes(std::istreambuf_iterator<char>(in), {});
                SCOPED_TRACE(entry.path().string());
                target.check(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
                ++inputs;
            }
        }
    EXPECT_GT(inputs, 0);
}
