// The CX compression of superblocks and bucket descriptor blocks: an LZ77 bit stream, read
// least significant bit first after a 3-bit mode (4 in every file seen):
//   0 + 8 bits               a literal byte
//   1 1 + 8 bits             copy 2 bytes from that distance back
//   1 0 + length + distance  copy length bytes; the length is n zero bits, a one, n+1 bits v
//                            (2^(n+1) + 1 + v); the distance m zero bits, a one, m bits w
//                            (high part 2^m - 1 + w, or 0 when m is 0), then 8 low bits.
#pragma once

#include <string>
#include <string_view>

namespace nsf {

// Expands compressed to exactly size bytes; raises FormatError when the stream ends early,
// refers back before its start or is of an unknown mode.
std::string CxDecompress(std::string_view compressed, size_t size);

} // namespace nsf
