// Picture encoding for rich text: GIF (giflib) and JPEG (libjpeg) writers, and the pasted-bitmap
// format the store keeps for Notes bitmaps (an uncompressed Windows BMP, 8 or 24 bits a pixel)
// with its conversion to GIF, which the DXL exporter performs on request.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace store {

// An image as colour indexes into a palette of at most 256 colours (0xRRGGBB).
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> palette;
    std::vector<uint8_t> pixels; // width * height indexes, rows top to bottom
};

// GIF89a bytes of the image; raises std::runtime_error when giflib fails.
std::string EncodeGif(const IndexedImage& image);
// JPEG bytes of an RGB image (3 bytes a pixel, rows top to bottom).
std::string EncodeJpeg(int width, int height, const std::vector<uint8_t>& rgb, int quality = 85);
// An 8-bit palette BMP of the image.
std::string EncodeBmp(const IndexedImage& image);

// Reads an uncompressed 8-bit or 24-bit BMP; nothing when the bytes are not one.
std::optional<IndexedImage> DecodeBmp(std::string_view bytes);
// GIF bytes of a stored bitmap; nothing when the bitmap cannot be read.
std::optional<std::string> BitmapToGif(std::string_view bmp);

} // namespace store
