#include "DemoFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace demo {

namespace {

using store::IndexedImage;

// ---- pictures ----------------------------------------------------------------------------

// A bar chart on a dithered gradient: rich enough that it does not compress to nothing.
IndexedImage ChartImage(int width, int height, unsigned seed) {
    IndexedImage image;
    image.width = width;
    image.height = height;
    for (int i = 0; i < 32; ++i) // background ramp, pale blue to white
        image.palette.push_back(static_cast<uint32_t>((200 + i * 55 / 31) << 16 | (220 + i * 35 / 31) << 8 | 255));
    const uint32_t bars[] = {0x1F77B4, 0xFF7F0E, 0x2CA02C, 0xD62728, 0x9467BD, 0x8C564B};
    for (uint32_t c : bars)
        image.palette.push_back(c);
    const uint8_t kAxis = static_cast<uint8_t>(image.palette.size());
    image.palette.push_back(0x333333);
    const uint8_t kGrid = static_cast<uint8_t>(image.palette.size());
    image.palette.push_back(0xBBBBBB);
    image.pixels.resize(static_cast<size_t>(width) * height);
    static const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double level =
                31.0 * (x + y) / (width + height) + (kBayer[y % 4][x % 4] / 16.0 - 0.5) + (random() % 100) / 120.0;
            image.pixels[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(std::clamp(level, 0.0, 31.0));
        }
    const int left = width / 10, bottom = height - height / 8;
    for (int y = height / 10; y < bottom; y += height / 8)
        for (int x = left; x < width - 4; ++x)
            image.pixels[static_cast<size_t>(y) * width + x] = kGrid;
    const int count = 6, slot = (width - left - 8) / count;
    for (int b = 0; b < count; ++b) {
        const int barHeight = static_cast<int>((bottom - height / 10) * (0.3 + 0.7 * ((random() % 100) / 100.0)));
        for (int y = bottom - barHeight; y < bottom; ++y)
            for (int x = left + b * slot + slot / 5; x < left + (b + 1) * slot - slot / 5; ++x)
                image.pixels[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(32 + b);
    }
    for (int x = left; x < width - 4; ++x)
        image.pixels[static_cast<size_t>(bottom) * width + x] = kAxis;
    for (int y = height / 12; y <= bottom; ++y)
        image.pixels[static_cast<size_t>(y) * width + left] = kAxis;
    return image;
}

// A 16 x 16 document icon.
IndexedImage IconImage(uint32_t colour) {
    IndexedImage image;
    image.width = image.height = 16;
    image.palette = {0xFFFFFF, colour, 0x404040, 0xE8E8E8};
    image.pixels.assign(256, 0);
    for (int y = 1; y < 15; ++y)
        for (int x = 3; x < 13; ++x)
            image.pixels[y * 16 + x] = (x == 3 || x == 12 || y == 1 || y == 14) ? 2 : (y < 4 ? 1 : 3);
    for (int y = 6; y < 13; y += 2)
        for (int x = 5; x < 11; ++x)
            image.pixels[y * 16 + x] = 2;
    return image;
}

// A landscape photograph stand-in: sky, sun, hills and grain.
std::vector<uint8_t> PhotoPixels(int width, int height, unsigned seed) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    std::mt19937 random(seed);
    const double sunX = width * 0.7, sunY = height * 0.25, sunR = height * 0.1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double r, g, b;
            const double hill = height * (0.6 + 0.08 * std::sin(x * 0.03 + seed) + 0.05 * std::sin(x * 0.011));
            if (y > hill) {
                r = 40 + 30 * std::sin(x * 0.2);
                g = 110 + 40 * std::sin(y * 0.1 + x * 0.05);
                b = 50;
            } else if (std::hypot(x - sunX, y - sunY) < sunR) {
                r = 255, g = 220, b = 120;
            } else {
                r = 120 + 80.0 * y / height;
                g = 170 + 50.0 * y / height;
                b = 240;
            }
            const double grain = static_cast<double>(random() % 21) - 10;
            uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = static_cast<uint8_t>(std::clamp(r + grain, 0.0, 255.0));
            p[1] = static_cast<uint8_t>(std::clamp(g + grain, 0.0, 255.0));
            p[2] = static_cast<uint8_t>(std::clamp(b + grain, 0.0, 255.0));
        }
    return rgb;
}

} // namespace

Pictures::Pictures()
    : chartGif(store::EncodeGif(ChartImage(320, 200, 7))), chartGif2(store::EncodeGif(ChartImage(280, 180, 11))),
      iconGif(store::EncodeGif(IconImage(0x2E86DE))), iconGif2(store::EncodeGif(IconImage(0xE67E22))),
      photoJpeg(store::EncodeJpeg(400, 300, PhotoPixels(400, 300, 3), 85)),
      photoJpeg2(store::EncodeJpeg(320, 240, PhotoPixels(320, 240, 5), 80)),
      smallJpeg(store::EncodeJpeg(24, 24, PhotoPixels(24, 24, 9), 70)),
      bitmap(store::EncodeBmp(ChartImage(200, 120, 13))) {}

// ---- small files ---------------------------------------------------------------------------

std::string PdfFile(const std::string& title) {
    // A one-page PDF with correct cross-reference offsets.
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> "
        ">> >>",
        "", "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    const std::string stream = "BT /F1 18 Tf 72 760 Td (" + title + ") Tj ET";
    objects[3] = "<< /Length " + std::to_string(stream.size()) + " >>\nstream\n" + stream + "\nendstream";
    std::string pdf = "%PDF-1.4\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t offset : offsets) {
        char line[24];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        pdf += line;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
           std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

std::string RtfDocument(const std::string& text) {
    return "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil SimSun;}}\\f0\\fs24 " + text + "\\par}\n";
}

} // namespace demo
