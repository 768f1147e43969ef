// The CX compression of superblocks, bucket descriptor blocks and compressed item values: an
// LZ77 bit stream, read least significant bit first after a 3-bit mode (4 in every file seen):
//   0 + 8 bits               a literal byte
//   1 1 + 8 bits             copy 2 bytes from that distance back
//   1 0 + length + distance  copy length bytes; the length is n zero bits, a one, n+1 bits v
//                            (2^(n+1) + 1 + v); the distance m zero bits, a one, m bits w
//                            (high part 2^m - 1 + w, or 0 when m is 0), then 8 low bits.
//   1 0 + 0000000 1 + 00000001   the end of the stream (a length code of n = 7, v = 1, no
//                            distance); zero bits fill its last byte.
// A stream records no size of its own: the end marker is the only place where its output ends.
#pragma once

#include <string>
#include <string_view>

namespace nsf {

// Expands one stream up to its end marker. Raises FormatError when the stream ends before its
// marker, would give more than limit bytes, refers back before its start or is of an unknown mode.
std::string CxExpand(std::string_view compressed, size_t limit);

// Expands one stream that must give exactly size bytes and then end; raises FormatError otherwise.
std::string CxDecompress(std::string_view compressed, size_t size);

} // namespace nsf
