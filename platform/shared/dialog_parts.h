// What the files of the in-window box share among themselves (not the
// backends): its sizes in field pixels, and its text in the built-in glyphs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dialog {

// The width of the box's border in field pixels.
inline constexpr int Border = 2;

// A size in field pixels as output pixels at `scale`; at least one.
int Scaled(int fieldPixels, double scale);

// The code points of UTF-8 text; a malformed byte stands for itself.
std::vector<uint32_t> CodePoints(const std::string& text);

// A glyph at the size it is drawn: its coverage and metrics in output pixels.
struct SizedGlyph {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int advance = 0;  // 1/64 pixel
    const uint8_t* coverage = nullptr;
};

// The glyph of a character at a size; null when the atlas lacks it.
const SizedGlyph* GlyphAt(uint32_t code, int pixels);

// The width of a line of text in whole pixels.
int TextWidth(const std::string& text, int pixels);

// Splits the text into lines at its line feeds, and wraps a line that is
// wider than `maxWidth` after a blank or between ideographs.
std::vector<std::string> WrapText(const std::string& text, int pixels, int maxWidth);

}  // namespace dialog
