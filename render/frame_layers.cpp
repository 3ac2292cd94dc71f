// The layered frame: a still layer kept from frame to frame, the sprites of a
// frame listed and drawn at the end, and marks of what each frame changed.
//
// The still layer is the background with every cell drawn over it, grass
// included, which is the whole picture wherever no sprite is. The back buffer is kept between
// frames, so a frame restores from the still layer only what the last two frames drew over it
// (after presenting, the back buffer holds either its own frame or the one the window showed before
// it) and the cells that changed, then draws the sprites, and the grass again over the grass cells
// that a sprite under the grass touched.
//
// That the still layer, grass and all, may stand in for the ground under
// those sprites follows
// from the masked copy: per bit it is x -> (x | mask) & image, which sets the
// bit to a constant or leaves it as it is. Where the grass sets a bit, the
// result is that constant whatever lay below; where it leaves it, the grass
// already in the still layer left it too. So grass over (sprites over (grass
// over ground)) is grass over (sprites over ground), exactly, for any sheets.
#include "render/frame_layers.h"

#include <array>
#include <cstring>
#include <vector>

#include "levels/level_grid.h"
#include "render/sheets.h"

bool DrawFramesWhole = false;

namespace {

// Marks of one frame: per row, 120 bits of 8-pixel columns.
struct RowMarks {
    uint64_t low;   // columns 0 to 63
    uint64_t high;  // columns 64 to 119
};
constexpr int MarkColumns = FieldWidth / 8;
using FrameMarks = std::array<RowMarks, FieldHeight>;

struct ListedSprite {
    platform::Surface sheet;  // null for the grass
    int sx, sy, w, h, x, y;
};

struct LayerState {
    platform::Surface still = nullptr;
    // The surfaces the layers and the marks were made for: others mean anew.
    platform::Surface back = nullptr;
    platform::Surface background = nullptr;
    platform::Surface cells = nullptr;
    bool layersValid = false;
    int32_t codes[LevelCellCount] = {};
    // Frames still to be drawn whole before the marks tell the truth again.
    int wholeFrames = 2;
    // The marks of the frame being built and of the two before it.
    FrameMarks marks[3] = {};
    int current = 0;
    bool begun = false;
    std::vector<ListedSprite> list;
    bool grassListed = false;
    // The grass was drawn where the still layer has it.
    bool grassAsLayered = true;
    std::vector<int32_t> grassCells;
    bool grassTouched[LevelCellCount] = {};
    std::vector<platform::Rect> changes;  // of the frame just drawn
};

LayerState Layers;

// The top-left of sprite n of the cell sheet (4 to a row), or false when the
// sheet has no such sprite.
bool CellSource(int32_t n, int& sx, int& sy) {
    if (n < 0 || n >= CellSheetSprites)
        return false;
    sx = CellSprite * (n % 4);
    sy = 2 * CellSprite * (n / 4);
    return true;
}

uint64_t BitsFromTo(int from, int to) {  // bits from..to of a word, both included
    uint64_t upTo = to >= 63 ? ~uint64_t(0) : (uint64_t(1) << (to + 1)) - 1;
    return upTo & ~((uint64_t(1) << from) - 1);
}

// Clips a rectangle to the field; false when nothing is left.
bool ClipToField(int& x, int& y, int& w, int& h) {
    if (x < 0) {
        w += x;
        x = 0;
    }
    if (y < 0) {
        h += y;
        y = 0;
    }
    if (w > FieldWidth - x)
        w = FieldWidth - x;
    if (h > FieldHeight - y)
        h = FieldHeight - y;
    return w > 0 && h > 0;
}

void Mark(FrameMarks& marks, int x, int y, int w, int h) {
    if (!ClipToField(x, y, w, h))
        return;
    int first = x / 8, last = (x + w - 1) / 8;
    uint64_t low = first < 64 ? BitsFromTo(first, last < 63 ? last : 63) : 0;
    uint64_t high = last >= 64 ? BitsFromTo(first > 64 ? first - 64 : 0, last - 64) : 0;
    for (int row = y; row < y + h; ++row) {
        marks[row].low |= low;
        marks[row].high |= high;
    }
}

void MarkAll(FrameMarks& marks) {
    for (RowMarks& row : marks)
        row = {~uint64_t(0), BitsFromTo(0, MarkColumns - 65)};
}

bool Marked(const RowMarks& row, int column) {
    return column < 64 ? (row.low >> column) & 1 : (row.high >> (column - 64)) & 1;
}

// Calls `run(x, y, width, height)` for each rectangle of what the frames
// `which` (a bit for each of the three) marked: rows with the same marks make
// one band, each run of marked columns one rectangle.
template <typename Run>
void ForEachMarked(unsigned which, Run run) {
    auto rowAt = [&](int row) -> RowMarks {
        RowMarks marks{0, 0};
        for (int k = 0; k < 3; ++k) {
            if (which & (1u << k)) {
                marks.low |= Layers.marks[k][row].low;
                marks.high |= Layers.marks[k][row].high;
            }
        }
        return marks;
    };
    int y = 0;
    while (y < FieldHeight) {
        RowMarks band = rowAt(y);
        int end = y + 1;
        while (end < FieldHeight) {
            RowMarks next = rowAt(end);
            if (next.low != band.low || next.high != band.high)
                break;
            ++end;
        }
        int column = 0;
        while ((band.low | band.high) != 0 && column < MarkColumns) {
            if (!Marked(band, column)) {
                // Skip the whole unmarked stretch of a word at once.
                uint64_t word = column < 64 ? band.low >> column : band.high >> (column - 64);
                column += word ? __builtin_ctzll(word) : (column < 64 ? 64 - column : MarkColumns);
                continue;
            }
            int runEnd = column + 1;
            while (runEnd < MarkColumns && Marked(band, runEnd))
                ++runEnd;
            run(8 * column, y, 8 * (runEnd - column), end - y);
            column = runEnd;
        }
        y = end;
    }
}

// Copies from the still layer what any of the three frames marked.
void RestoreMarked() {
    ForEachMarked(7, [](int x, int y, int w, int h) {
        platform::BitBlt(BackBuffer, x, y, w, h, Layers.still, x, y, platform::SRCCOPY);
    });
}

// Tells the window where this frame differs from the one it showed before:
// only where either of the two drew a sprite or a cell changed. Elsewhere
// both show the still layer.
void HintChanges() {
    const int previous = (Layers.current + 1) % 3;
    std::vector<platform::Rect>& rects = Layers.changes;
    rects.clear();
    ForEachMarked((1u << Layers.current) | (1u << previous), [&](int x, int y, int w, int h) {
        rects.push_back({x, y, w, h});
    });
    platform::HintFrameChanges(WindowSurface, rects.data(), int(rects.size()));
}

// The cell of a code drawn over the background at index i, into a surface;
// grass only when asked.
void DrawSquare(platform::Surface into, int32_t i, int32_t code, bool grass) {
    int32_t x = CellSize * (i % GridColumns), y = CellSize * (i / GridColumns);
    int sx, sy;
    if ((code == Grass ? grass : code != Empty) && CellSource(CellTerrain(code), sx, sy))
        platform::SpriteBlt(into, x, y, CellSprite, CellSprite, CellSheet, sx, sy);
}

// Draws one square of the still layer again for the code now at index i.
void RedrawSquare(int32_t i, int32_t code) {
    int32_t x = CellSize * (i % GridColumns), y = CellSize * (i / GridColumns);
    platform::BitBlt(Layers.still, x, y, CellSize, CellSize, BackgroundImage, x, y,
                     platform::SRCCOPY);
    DrawSquare(Layers.still, i, code, true);
}

void DrawGrassCell(int32_t i) {
    int sx, sy;
    if (CellSource(CellTerrain(Grass), sx, sy))
        platform::SpriteBlt(BackBuffer, CellSize * (i % GridColumns), CellSize * (i / GridColumns),
                            CellSprite, CellSprite, CellSheet, sx, sy);
}

// The frame the plain way, from the background and every cell: used until
// the marks hold, and on a frame whose grass is not that of the still layer.
void DrawWhole() {
    platform::BitBlt(BackBuffer, 0, 0, FieldWidth, FieldHeight, BackgroundImage, 0, 0,
                     platform::SRCCOPY);
    for (int32_t i = 0; i < LevelCellCount; ++i)
        DrawSquare(BackBuffer, i, Layers.codes[i], false);
    for (const ListedSprite& s : Layers.list) {
        if (s.sheet) {
            platform::SpriteBlt(BackBuffer, s.x, s.y, s.w, s.h, s.sheet, s.sx, s.sy);
        } else {
            for (int32_t i : Layers.grassCells)
                DrawGrassCell(i);
        }
    }
    MarkAll(Layers.marks[Layers.current]);
}

// The frame from the marks: restore, then draw the list, the grass only
// where a sprite under it reached.
void DrawChanged() {
    RestoreMarked();
    FrameMarks& marks = Layers.marks[Layers.current];
    size_t grassAt = Layers.list.size();
    for (size_t k = 0; k < Layers.list.size(); ++k) {
        if (!Layers.list[k].sheet) {
            grassAt = k;
            break;
        }
    }
    std::memset(Layers.grassTouched, 0, sizeof Layers.grassTouched);
    for (size_t k = 0; k < grassAt; ++k) {
        ListedSprite s = Layers.list[k];
        int x = s.x, y = s.y, w = s.w, h = s.h;
        if (!ClipToField(x, y, w, h))
            continue;
        for (int row = y / CellSize; row <= (y + h - 1) / CellSize; ++row) {
            for (int column = x / CellSize; column <= (x + w - 1) / CellSize; ++column) {
                int32_t i = row * GridColumns + column;
                Layers.grassTouched[i] = Layers.codes[i] == Grass;
            }
        }
    }
    for (size_t k = 0; k < Layers.list.size(); ++k) {
        const ListedSprite& s = Layers.list[k];
        if (s.sheet) {
            platform::SpriteBlt(BackBuffer, s.x, s.y, s.w, s.h, s.sheet, s.sx, s.sy);
            Mark(marks, s.x, s.y, s.w, s.h);
        } else {
            for (int32_t i : Layers.grassCells)
                if (Layers.grassTouched[i])
                    DrawGrassCell(i);
        }
    }
}

}  // namespace

void MakeLayers() {
    if (!Layers.still)
        Layers.still = platform::CreateCompatibleSurface(BackBuffer, FieldWidth, FieldHeight);
}

void BeginLayeredFrame() {
    LayerState& l = Layers;
    MakeLayers();
    if (l.back != BackBuffer || l.background != BackgroundImage || l.cells != CellSheet) {
        // New surfaces (a new start-up): the layers hold nothing of theirs.
        l.back = BackBuffer;
        l.background = BackgroundImage;
        l.cells = CellSheet;
        l.layersValid = false;
        l.wholeFrames = 2;
    }
    l.list.clear();
    l.grassListed = false;
    l.grassAsLayered = true;
    l.grassCells.clear();
    l.begun = true;
    for (int32_t i = 0; i < LevelCellCount; ++i) {
        int32_t code = WorkingGrid[i];
        if (l.layersValid && l.codes[i] == code)
            continue;
        l.codes[i] = code;
        RedrawSquare(i, code);
        Mark(l.marks[l.current], CellSize * (i % GridColumns), CellSize * (i / GridColumns),
             CellSize, CellSize);
    }
    l.layersValid = true;
}

void ForgetLayeredFrames() {
    Layers.wholeFrames = 2;
    Layers.begun = false;
}

void ListSprite(platform::Surface sheet, int sx, int sy, int w, int h, int x, int y) {
    Layers.list.push_back({sheet, sx, sy, w, h, x, y});
}

void ListGrass() {
    LayerState& l = Layers;
    // The grass of this moment; the still layer has that of the frame's start,
    // and the frame is drawn whole on the rare tick they differ.
    for (int32_t i = 0; i < LevelCellCount; ++i) {
        bool grass = WorkingGrid[i] == Grass;
        if (grass)
            l.grassCells.push_back(i);
        if (grass != (l.codes[i] == Grass))
            l.grassAsLayered = false;
    }
    if (l.grassListed)
        l.grassAsLayered = false;
    l.grassListed = true;
    l.list.push_back({nullptr, 0, 0, 0, 0, 0, 0});
}

void FinishLayeredFrame() {
    LayerState& l = Layers;
    if (!l.begun)
        return;
    l.begun = false;
    if (l.wholeFrames > 0 || !l.grassListed || !l.grassAsLayered) {
        DrawWhole();
        if (l.wholeFrames > 0)
            --l.wholeFrames;
    } else {
        DrawChanged();
    }
    HintChanges();
    // This frame's marks become the last frame's; those of the frame before
    // last are forgotten.
    l.current = (l.current + 2) % 3;
    std::memset(l.marks[l.current].data(), 0, sizeof(FrameMarks));
}

void ResetFrameLayers() {
    DrawFramesWhole = false;
    platform::Surface still = Layers.still;
    Layers = LayerState{};
    Layers.still = still;
}
