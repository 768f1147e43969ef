// The Huffman coding of file objects (compression 1 and 3 of a FILEOBJECT):
//   u32 checksum   the sum of the decoded bytes, modulo 2^32
//   u16 T          the size of the code tree in bytes (a multiple of 4)
//   T bytes        T/4 nodes of two signed 16-bit entries, node 0 the root; an entry of 0 to 255
//                  is a byte, 256 the end of the data, -k the node k to go on at
//   code bits      each byte from its most significant bit down; a 1 takes a node's first
//                  entry, a 0 its second
#pragma once

#include <string>
#include <string_view>

namespace nsf {

// Decodes stored, which must give exactly size bytes whose sum is the checksum; raises
// FormatError saying which check failed.
std::string HuffmanDecompress(std::string_view stored, size_t size);

} // namespace nsf
