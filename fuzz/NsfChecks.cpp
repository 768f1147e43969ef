// Fuzz checks of the reader of Domino database files: arbitrary bytes as a file, and a sound
// sample with bytes changed. Only the reader's own errors may come out, and an import of what it
// reads either succeeds or is refused with the import's error.
#include "Checks.h"

#include "../tests/support/NsfBuilder.h"
#include "../tests/support/NsfWalk.h"

#include "import/Import.h"

#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fuzz {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::abort();
}

const QTemporaryDir& Folder() {
    static const QTemporaryDir dir;
    return dir;
}

fs::path InFolder(const char* name) {
    return fs::path(Folder().filePath(QString::fromLatin1(name)).toStdU16String());
}

void Walk(const fs::path& file) {
    try {
        ReadEveryNote(file);
    } catch (const nsf::FormatError&) {
    } catch (const std::exception& e) {
        Fail(std::string("the reader raised something other than its own error: ") + e.what());
    }
    const fs::path target = InFolder("imported.nsf");
    std::error_code ec;
    fs::remove(target, ec);
    try {
        importer::Import({file}, target, false);
    } catch (const importer::ImportError&) {
        if (fs::exists(target, ec))
            Fail("a refused import left a target behind");
    } catch (const std::exception& e) {
        Fail(std::string("the import raised something other than its own error: ") + e.what());
    }
}

std::string BuiltDatabase() {
    nsftest::NsfBuilder builder;
    builder.notes.push_back(
        {0x0001,
         std::string(16, '\x42'),
         {{"Form", 0x0500, 0, "Memo"},
          {"Subject", 0x0500, 0, std::string(600, 's')},
          {"Body", 0x0001, 0, std::string("\x81\x02\x85\xFF\x0A\x00\x00\x00\x00\x00", 10) + "ab"}}});
    return builder.build();
}

void Write(const fs::path& file, const char* data, size_t size) {
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(data, static_cast<std::streamsize>(size));
}

} // namespace

void NsfFile(const uint8_t* data, size_t size) {
    const fs::path file = InFolder("input.nsf");
    Write(file, reinterpret_cast<const char*>(data), size);
    Walk(file);
}

void NsfSample(const uint8_t* data, size_t size) {
    static const std::string sample = [] {
        std::ifstream in(VERDANIX_NSF_SAMPLE, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    // Without the sample beside the project, a database built from the layout stands for it.
    static const std::string sound = sample.empty() ? BuiltDatabase() : sample;
    // Five bytes a change: where (four bytes, within the file) and the new byte.
    std::string bytes = sound;
    for (size_t i = 0; i + 5 <= size; i += 5) {
        const uint32_t at = data[i] | data[i + 1] << 8 | data[i + 2] << 16 | static_cast<uint32_t>(data[i + 3]) << 24;
        bytes[at % bytes.size()] = static_cast<char>(data[i + 4]);
    }
    const fs::path file = InFolder("sample.nsf");
    Write(file, bytes.data(), bytes.size());
    Walk(file);
}

} // namespace fuzz
