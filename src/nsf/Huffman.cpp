#include "nsf/Huffman.h"

#include "nsf/Bytes.h"
#include "nsf/ReasonText.h"

#include <cstdint>
#include <vector>

namespace nsf {

std::string HuffmanDecompress(std::string_view stored, size_t size) {
    constexpr int kEnd = 256;
    const Bytes b(stored);
    const uint32_t checksum = b.u32(0);
    const size_t treeSize = b.u16(4);
    if (treeSize == 0 || treeSize % 4 != 0 || !b.has(6, treeSize))
        throw FormatError(reason_text::HuffmanTreeInvalid(treeSize));
    // Every byte takes a bit at least: a size beyond that is damage, and gets no memory.
    if (size > (stored.size() - 6 - treeSize) * 8)
        throw FormatError(reason_text::HuffmanStreamTooShort(size));
    const size_t nodes = treeSize / 4;
    std::vector<int> one(nodes), zero(nodes);
    for (size_t i = 0; i < nodes; ++i) {
        one[i] = static_cast<int16_t>(b.u16(6 + 4 * i));
        zero[i] = static_cast<int16_t>(b.u16(8 + 4 * i));
        if (one[i] > kEnd || zero[i] > kEnd || one[i] <= -static_cast<int>(nodes) ||
            zero[i] <= -static_cast<int>(nodes))
            throw FormatError(reason_text::HuffmanTreeNoNode());
    }
    std::string out(size, '\0');
    size_t written = 0;
    uint32_t sum = 0;
    size_t node = 0;
    // A tree that goes round without a leaf would never end: a byte takes at most one step per node.
    size_t steps = 0;
    for (size_t at = 6 + treeSize; at < stored.size(); ++at) {
        const auto byte = static_cast<uint8_t>(stored[at]);
        for (int bit = 7; bit >= 0; --bit) {
            const int entry = ((byte >> bit) & 1) ? one[node] : zero[node];
            if (entry < 0) {
                node = static_cast<size_t>(-entry);
                if (++steps > nodes)
                    throw FormatError(reason_text::HuffmanTreeLoop());
                continue;
            }
            node = 0;
            steps = 0;
            if (entry == kEnd) {
                if (written != size)
                    throw FormatError(reason_text::DecodesTo(written, size));
                if (sum != checksum)
                    throw FormatError(reason_text::ChecksumMismatch());
                return out;
            }
            if (written == size)
                throw FormatError(reason_text::DecodesToMore(size));
            out[written++] = static_cast<char>(entry);
            sum += static_cast<uint8_t>(entry);
        }
    }
    throw FormatError(reason_text::HuffmanNoEnd(written));
}

} // namespace nsf
