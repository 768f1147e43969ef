#include "store/Images.h"

#include <gif_lib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <memory>
#include <stdexcept>

namespace store {

namespace {

int AppendToString(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
    return length;
}

struct GifCloser {
    void operator()(GifFileType* gif) const noexcept {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};

struct MapFreer {
    void operator()(ColorMapObject* map) const noexcept { GifFreeMapObject(map); }
};

void PutU16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void PutU32(std::string& out, uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}
uint32_t GetU16(std::string_view b, size_t at) {
    return static_cast<unsigned char>(b[at]) | (static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8);
}
uint32_t GetU32(std::string_view b, size_t at) {
    return GetU16(b, at) | (GetU16(b, at + 2) << 16);
}

} // namespace

std::string EncodeGif(const IndexedImage& image) {
    if (image.width <= 0 || image.height <= 0 || image.palette.empty() || image.palette.size() > 256 ||
        image.pixels.size() != static_cast<size_t>(image.width) * static_cast<size_t>(image.height))
        throw std::runtime_error("invalid image for GIF encoding");
    // The colour map of a GIF holds a power of two entries.
    int mapSize = 2;
    while (mapSize < static_cast<int>(image.palette.size()))
        mapSize *= 2;
    std::unique_ptr<ColorMapObject, MapFreer> map(GifMakeMapObject(mapSize, nullptr));
    if (!map)
        throw std::runtime_error("out of memory encoding GIF");
    for (int i = 0; i < mapSize; ++i) {
        const uint32_t rgb = i < static_cast<int>(image.palette.size()) ? image.palette[i] : 0;
        map->Colors[i] = GifColorType{static_cast<GifByteType>(rgb >> 16), static_cast<GifByteType>(rgb >> 8),
                                      static_cast<GifByteType>(rgb)};
    }
    std::string out;
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(&out, AppendToString, &error));
    if (!gif)
        throw std::runtime_error("giflib: " + std::string(GifErrorString(error)));
    EGifSetGifVersion(gif.get(), true);
    if (EGifPutScreenDesc(gif.get(), image.width, image.height, 8, 0, map.get()) == GIF_ERROR ||
        EGifPutImageDesc(gif.get(), 0, 0, image.width, image.height, false, nullptr) == GIF_ERROR)
        throw std::runtime_error("giflib: " + std::string(GifErrorString(gif->Error)));
    std::vector<GifPixelType> row(static_cast<size_t>(image.width));
    for (int y = 0; y < image.height; ++y) {
        std::memcpy(row.data(), image.pixels.data() + static_cast<size_t>(y) * image.width, row.size());
        if (EGifPutLine(gif.get(), row.data(), image.width) == GIF_ERROR)
            throw std::runtime_error("giflib: " + std::string(GifErrorString(gif->Error)));
    }
    GifFileType* raw = gif.release();
    if (EGifCloseFile(raw, &error) == GIF_ERROR)
        throw std::runtime_error("giflib: " + std::string(GifErrorString(error)));
    return out;
}

std::string EncodeJpeg(int width, int height, const std::vector<uint8_t>& rgb, int quality) {
    if (width <= 0 || height <= 0 || rgb.size() != static_cast<size_t>(width) * height * 3)
        throw std::runtime_error("invalid image for JPEG encoding");
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    // libjpeg reports errors by calling error_exit, which must not return: turn it into an exception.
    jerr.error_exit = [](j_common_ptr info) {
        char message[JMSG_LENGTH_MAX];
        (*info->err->format_message)(info, message);
        throw std::runtime_error(std::string("libjpeg: ") + message);
    };
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::string out;
    try {
        jpeg_create_compress(&cinfo);
        jpeg_mem_dest(&cinfo, &buffer, &size);
        cinfo.image_width = static_cast<JDIMENSION>(width);
        cinfo.image_height = static_cast<JDIMENSION>(height);
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
        jpeg_set_defaults(&cinfo);
        jpeg_set_quality(&cinfo, quality, TRUE);
        jpeg_start_compress(&cinfo, TRUE);
        while (cinfo.next_scanline < cinfo.image_height) {
            JSAMPROW row = const_cast<JSAMPROW>(rgb.data() + static_cast<size_t>(cinfo.next_scanline) * width * 3);
            jpeg_write_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_compress(&cinfo);
        out.assign(reinterpret_cast<const char*>(buffer), size);
    } catch (...) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        throw;
    }
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

std::string EncodeBmp(const IndexedImage& image) {
    const uint32_t stride = (static_cast<uint32_t>(image.width) + 3) & ~3u;
    const uint32_t paletteBytes = 256 * 4;
    const uint32_t offset = 14 + 40 + paletteBytes;
    const uint32_t imageBytes = stride * static_cast<uint32_t>(image.height);
    std::string out;
    out += "BM";
    PutU32(out, offset + imageBytes);
    PutU32(out, 0);
    PutU32(out, offset);
    PutU32(out, 40);
    PutU32(out, static_cast<uint32_t>(image.width));
    PutU32(out, static_cast<uint32_t>(image.height)); // bottom-up rows
    PutU16(out, 1);
    PutU16(out, 8);
    PutU32(out, 0);
    PutU32(out, imageBytes);
    PutU32(out, 2835);
    PutU32(out, 2835);
    PutU32(out, 256);
    PutU32(out, 0);
    for (size_t i = 0; i < 256; ++i) {
        const uint32_t rgb = i < image.palette.size() ? image.palette[i] : 0;
        out += static_cast<char>(rgb & 0xFF);
        out += static_cast<char>((rgb >> 8) & 0xFF);
        out += static_cast<char>((rgb >> 16) & 0xFF);
        out += '\0';
    }
    for (int y = image.height - 1; y >= 0; --y) {
        out.append(reinterpret_cast<const char*>(image.pixels.data()) + static_cast<size_t>(y) * image.width,
                   static_cast<size_t>(image.width));
        out.append(stride - static_cast<uint32_t>(image.width), '\0');
    }
    return out;
}

std::optional<IndexedImage> DecodeBmp(std::string_view b) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M')
        return std::nullopt;
    const uint32_t offset = GetU32(b, 10);
    const uint32_t headerSize = GetU32(b, 14);
    const int32_t width = static_cast<int32_t>(GetU32(b, 18));
    int32_t height = static_cast<int32_t>(GetU32(b, 22));
    const uint32_t bits = GetU16(b, 28);
    const uint32_t compression = GetU32(b, 30);
    uint32_t colours = GetU32(b, 46);
    const bool topDown = height < 0;
    if (height == INT32_MIN)
        return std::nullopt;
    if (topDown)
        height = -height;
    if (headerSize < 40 || compression != 0 || width <= 0 || height <= 0 || width > 16384 || height > 16384 ||
        (bits != 8 && bits != 24))
        return std::nullopt;
    const uint64_t stride = ((static_cast<uint64_t>(width) * bits / 8) + 3) & ~uint64_t(3);
    if (offset > b.size() || stride * static_cast<uint64_t>(height) > b.size() - offset)
        return std::nullopt;
    IndexedImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height);
    auto row = [&](int y) { return b.data() + offset + stride * static_cast<uint64_t>(topDown ? y : height - 1 - y); };
    if (bits == 8) {
        if (colours == 0 || colours > 256)
            colours = 256;
        const uint64_t paletteAt = 14 + static_cast<uint64_t>(headerSize);
        if (paletteAt + colours * 4ull > offset)
            return std::nullopt;
        for (uint32_t i = 0; i < colours; ++i) {
            const auto* q = reinterpret_cast<const unsigned char*>(b.data() + paletteAt + i * 4);
            image.palette.push_back((uint32_t(q[2]) << 16) | (uint32_t(q[1]) << 8) | q[0]);
        }
        for (int y = 0; y < height; ++y) {
            const auto* src = reinterpret_cast<const unsigned char*>(row(y));
            for (int x = 0; x < width; ++x) {
                if (src[x] >= colours)
                    return std::nullopt;
                image.pixels[static_cast<size_t>(y) * width + x] = src[x];
            }
        }
        return image;
    }
    // 24 bits a pixel: reduce to a 256-colour palette.
    const size_t n = static_cast<size_t>(width) * height;
    std::vector<GifByteType> red(n), green(n), blue(n);
    for (int y = 0; y < height; ++y) {
        const auto* src = reinterpret_cast<const unsigned char*>(row(y));
        for (int x = 0; x < width; ++x) {
            const size_t i = static_cast<size_t>(y) * width + x;
            blue[i] = src[x * 3];
            green[i] = src[x * 3 + 1];
            red[i] = src[x * 3 + 2];
        }
    }
    int mapSize = 256;
    std::vector<GifColorType> map(256);
    if (GifQuantizeBuffer(static_cast<unsigned>(width), static_cast<unsigned>(height), &mapSize, red.data(),
                          green.data(), blue.data(), image.pixels.data(), map.data()) == GIF_ERROR)
        return std::nullopt;
    for (int i = 0; i < mapSize; ++i)
        image.palette.push_back((uint32_t(map[i].Red) << 16) | (uint32_t(map[i].Green) << 8) | map[i].Blue);
    return image;
}

std::optional<std::string> BitmapToGif(std::string_view bmp) {
    auto image = DecodeBmp(bmp);
    if (!image)
        return std::nullopt;
    try {
        return EncodeGif(*image);
    } catch (const std::runtime_error&) {
        return std::nullopt;
    }
}

} // namespace store
