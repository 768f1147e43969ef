// The demo's generated content other than its documents: pictures drawn from a seed and small
// attachment files (a one-page PDF, an RTF document).
#pragma once

#include "store/Images.h"

#include <string>

namespace demo {

// The pictures the demo's documents hold, each drawn once.
struct Pictures {
    Pictures();
    std::string chartGif, chartGif2;
    std::string iconGif, iconGif2;
    std::string photoJpeg, photoJpeg2, smallJpeg;
    std::string bitmap;
};

// A one-page PDF with correct cross-reference offsets, showing title.
std::string PdfFile(const std::string& title);
// An RTF document of one paragraph in a Chinese font.
std::string RtfDocument(const std::string& text);

} // namespace demo
