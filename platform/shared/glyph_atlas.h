// The glyphs of the in-window dialogs: anti-aliased coverage maps of every
// character the program's texts use, made from a CJK font at build time
// (artgen/glyphs) and compiled into the program.
#pragma once

#include <cstdint>

namespace glyphs {

// One character at one pixel size. Offsets are from the pen position on the
// baseline to the top-left corner of the coverage map (y grows downwards).
struct AtlasGlyph {
    uint32_t codePoint;
    int16_t left;
    int16_t top;
    uint16_t width;
    uint16_t height;
    int32_t advance;  // in 1/64 pixel
    uint32_t offset;  // of the first coverage byte, one byte a pixel, row by row
};

// Every glyph at one pixel size, sorted by code point.
struct AtlasStrike {
    int pixelSize;
    int ascender;   // pixels above the baseline
    int descender;  // pixels below it
    const AtlasGlyph* glyphs;
    int glyphCount;
};

extern const AtlasStrike Strikes[];
extern const int StrikeCount;
extern const uint8_t Coverage[];

// The glyph of a character in a strike; null when the atlas lacks it.
const AtlasGlyph* FindGlyph(const AtlasStrike& strike, uint32_t codePoint);

}  // namespace glyphs
