// The parts of a picture changed since it was last shown, kept as a grid of
// small tiles: changes that overlap or repeat (a sprite drawn at each of two
// ticks between two frames) are sent once, and any number of them costs no
// more than the area they cover.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace shared {

// A tile's side in pixels: small enough that a moving sprite's tiles cover
// little more than it does, large enough that a frame's rectangles are few.
inline constexpr int ChangeTileSide = 8;

struct ChangedTiles {
    int width = 0, height = 0;     // the picture, in pixels
    int columns = 0, rows = 0;     // in tiles
    int wordsPerRow = 0;           // 64 tiles to a word
    std::vector<uint64_t> marked;  // row after row
    bool any = false;
};

// A grid for a width x height picture, nothing marked.
void ResetChangedTiles(ChangedTiles& tiles, int width, int height);

// Marks every tile that `r` touches; the part outside the picture is ignored.
void MarkChanged(ChangedTiles& tiles, const platform::Rect& r);

// Rectangles that cover the marked tiles exactly (clipped to the picture),
// appended to `out`, and the grid cleared: each row's runs of marked tiles,
// a run joined to the one above it where both span the same columns.
void TakeChangedRects(ChangedTiles& tiles, std::vector<platform::Rect>& out);

}  // namespace shared
