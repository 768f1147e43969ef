// What each fuzz target does with one input, and the invariants it checks. The same functions run
// under libFuzzer (fuzz/Target.cpp) and, on the inputs kept in fuzz/regressions/, in the normal
// test suite. A broken invariant aborts with a message, as a crash does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

using Check = void (*)(const uint8_t* data, size_t size);

// Profile file: read, write one key, read back; the value written comes back, every other key is
// unchanged.
void ProfileFile(const uint8_t* data, size_t size);
// registry.reg: parse, write a value, write the file back and parse again: nothing else changes.
void RegistryFile(const uint8_t* data, size_t size);
// A store database file of arbitrary bytes, walked as the program walks one: only the server's
// errors come out.
void StoreFile(const uint8_t* data, size_t size);
// A sound store database with one cell of one table replaced, walked the same way.
void StoreCell(const uint8_t* data, size_t size);
// A JSON description as nsftool create takes it: refused with an error, or a database that walks.
void Description(const uint8_t* data, size_t size);
// A formula: refused with a formula error, or evaluated with only formula errors.
void Formula(const uint8_t* data, size_t size);
// The rich-text picture scan, against a plain model of the scan on the same text.
void PictureScan(const uint8_t* data, size_t size);
// A rich-text fragment: where the store's own scanner takes it, Qt's XML reader reads it too, with
// the same elements, attributes and text.
void RichTextFragment(const uint8_t* data, size_t size);
// A DXL file imported: refused with the file, line and column (the target untouched), or a
// database that walks.
void DxlImport(const uint8_t* data, size_t size);
// Cell texts of any UTF-16 written to a workbook and read back by the BIFF reader: each comes back
// as written, lone surrogates as U+FFFD, cut at 32,767 units.
void WorkbookStrings(const uint8_t* data, size_t size);

// Arbitrary bytes as a Domino database file, read and imported: only the reader's and the
// import's own errors come out.
void NsfFile(const uint8_t* data, size_t size);
// A real database file (the sample beside the project) with bytes changed, read and imported.
void NsfSample(const uint8_t* data, size_t size);

struct Target {
    const char* name;
    Check check;
};
// Every target, by the name of its folder of inputs.
const std::vector<Target>& Targets();

} // namespace fuzz
