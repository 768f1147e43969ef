// Test helpers: reads a compound file by following its DIFAT, FAT and directory chains (no
// assumption about where anything lies), and splits a workbook stream into BIFF records.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace xlstest {

inline uint32_t U16(const std::string& b, size_t at) {
    return static_cast<uint8_t>(b.at(at)) | (static_cast<uint8_t>(b.at(at + 1)) << 8);
}
inline uint32_t U32(const std::string& b, size_t at) {
    return U16(b, at) | (U16(b, at + 2) << 16);
}

struct Container {
    uint32_t fatSectors = 0;
    uint32_t difatSectors = 0;
    std::vector<uint32_t> fat;
    std::vector<uint32_t> fatSectorNumbers;
    std::string stream; // the Workbook stream, as long as its directory entry says
};

inline Container ReadContainer(const std::string& file, bool readStream = true) {
    constexpr uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF;
    auto sector = [&](uint32_t n) {
        if ((n + 2ull) * 512 > file.size())
            throw std::runtime_error("sector " + std::to_string(n) + " past the end of the file");
        return file.substr((n + 1ull) * 512, 512);
    };
    if (file.size() < 512 || file.compare(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") != 0)
        throw std::runtime_error("no compound file signature");
    if (file.size() % 512 != 0)
        throw std::runtime_error("file is not whole sectors");
    Container c;
    c.fatSectors = U32(file, 44);
    c.difatSectors = U32(file, 72);
    for (uint32_t i = 0; i < 109 && i < c.fatSectors; ++i)
        c.fatSectorNumbers.push_back(U32(file, 76 + 4 * i));
    uint32_t next = U32(file, 68);
    for (uint32_t d = 0; d < c.difatSectors; ++d) {
        const std::string s = sector(next);
        for (uint32_t k = 0; k < 127 && c.fatSectorNumbers.size() < c.fatSectors; ++k)
            c.fatSectorNumbers.push_back(U32(s, 4 * k));
        next = U32(s, 508);
    }
    if (next != kEnd || c.fatSectorNumbers.size() != c.fatSectors)
        throw std::runtime_error("DIFAT chain does not match the FAT sector count");
    for (uint32_t n : c.fatSectorNumbers) {
        const std::string s = sector(n);
        for (uint32_t k = 0; k < 128; ++k)
            c.fat.push_back(U32(s, 4 * k));
    }
    auto chain = [&](uint32_t first) {
        std::string out;
        size_t guard = 0;
        for (uint32_t n = first; n != kEnd; n = c.fat.at(n)) {
            if (n == kFree || ++guard > c.fat.size())
                throw std::runtime_error("broken sector chain");
            out += sector(n);
        }
        return out;
    };
    if (!readStream)
        return c;
    const std::string directory = chain(U32(file, 48));
    for (size_t e = 0; e + 128 <= directory.size(); e += 128) {
        if (directory[e + 66] != 2)
            continue;
        const std::string name = directory.substr(e, U16(directory, e + 64));
        if (name == std::string("W\0o\0r\0k\0b\0o\0o\0k\0\0\0", 18)) {
            c.stream = chain(U32(directory, e + 116)).substr(0, U32(directory, e + 120));
            return c;
        }
    }
    throw std::runtime_error("no Workbook stream");
}

struct Record {
    uint16_t type;
    std::string data;
    uint64_t offset;
};

// The records of both substreams, up to the second EOF.
inline std::vector<Record> ReadRecords(const std::string& stream) {
    std::vector<Record> records;
    int eofs = 0;
    size_t at = 0;
    while (eofs < 2) {
        if (at + 4 > stream.size())
            throw std::runtime_error("stream ends inside the records");
        const auto type = static_cast<uint16_t>(U16(stream, at));
        const size_t size = U16(stream, at + 2);
        if (size > 8224 || at + 4 + size > stream.size())
            throw std::runtime_error("bad record length");
        records.push_back({type, stream.substr(at + 4, size), at});
        at += 4 + size;
        eofs += type == 0x000A;
    }
    return records;
}

} // namespace xlstest
