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

// A database built from the layout: its blocks compressed in pieces with their checksums, two
// superblocks, a document with summary and non-summary values, attachments (plain and Huffman
// coded), a picture across two items of its rich text, a compressed value, and a MIME part whose
// body the object store keeps.
std::string BuiltDatabase() {
    nsftest::NsfBuilder builder;
    builder.compressed = builder.twoSuperblocks = builder.olderListsNotes = true;
    builder.pieces = 2;
    const std::string text = "a body kept in the object store";
    builder.objects = {{0, "plain attachment", {}}, {0, nsftest::HuffmanCompress(text), {}}};
    const auto picture = nsftest::RichImage(1, "GIF89a" + std::string(30, 'p'), 16);
    builder.notes.push_back(
        {0x0001,
         std::string(16, '\x42'),
         {{"Form", 0x0500, 0, "Memo"},
          {"Subject", 0x0500, 0, std::string(600, 's')},
          {"$FILE", 0x0003, 0, nsftest::FileObjectValue("a.txt", nsftest::NsfBuilder::objectId(0), 0, 16)},
          {"$FILE", 0x0003, 0,
           nsftest::FileObjectValue("m.txt", nsftest::NsfBuilder::objectId(1), 1, static_cast<uint32_t>(text.size()))},
          {"Body", 0x0001, 0, nsftest::RichParagraph() + nsftest::RichText("ab") + picture[0] + picture[1], true},
          {"Body", 0x0001, 0, picture[2], true},
          {"Packed", 0x0001, 0x8000, nsftest::CompressedValue(nsftest::RichParagraph() + nsftest::RichText("cx")),
           true},
          {"Mime", 0x0019, 0, nsftest::MimePartValue(4, "--b\r\n", "Content-Type: text/plain\r\n\r\n", "m.txt"),
           true}}});
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
    // The first byte picks the sound file: the sample beside the project (where it is) or a database
    // built from the layout, which holds what the sample does not (attachments, pictures, MIME).
    static const std::string built = BuiltDatabase();
    const std::string& sound = sample.empty() || size == 0 || (data[0] & 1) ? built : sample;
    // Five bytes a change: where (four bytes, within the file) and the new byte.
    std::string bytes = sound;
    for (size_t i = 1; i + 5 <= size; i += 5) {
        const uint32_t at = data[i] | data[i + 1] << 8 | data[i + 2] << 16 | static_cast<uint32_t>(data[i + 3]) << 24;
        bytes[at % bytes.size()] = static_cast<char>(data[i + 4]);
    }
    const fs::path file = InFolder("sample.nsf");
    Write(file, bytes.data(), bytes.size());
    Walk(file);
}

} // namespace fuzz
