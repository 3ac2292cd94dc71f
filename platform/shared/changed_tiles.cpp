// The changed tiles of a picture between two frames shown, and the few
// rectangles that cover them.
#include "platform/shared/changed_tiles.h"

#include <algorithm>

namespace shared {

namespace {

// Bits `from` up to `to` (exclusive) of a word, 0 <= from < to <= 64.
uint64_t BitsBetween(int from, int to) {
    const uint64_t upTo = to == 64 ? ~uint64_t(0) : (uint64_t(1) << to) - 1;
    return upTo & ~((uint64_t(1) << from) - 1);
}

// A run of marked tiles in one row, and the rectangle it grows.
struct Run {
    int first, end;  // columns, end exclusive
    size_t rect;     // index in the output
};

// The runs of marked tiles of row `row`, in order.
void RowRuns(const ChangedTiles& tiles, int row, std::vector<Run>& runs) {
    runs.clear();
    const uint64_t* words = tiles.marked.data() + size_t(row) * tiles.wordsPerRow;
    int column = 0;
    while (column < tiles.columns) {
        const int word = column / 64, bit = column % 64;
        const uint64_t rest = words[word] & ~((uint64_t(1) << bit) - 1);
        if (!rest) {
            column = (word + 1) * 64;
            continue;
        }
        const int first = word * 64 + __builtin_ctzll(rest);
        int end = first;
        while (end < tiles.columns && (words[end / 64] >> (end % 64) & 1))
            ++end;
        runs.push_back({first, end, 0});
        column = end;
    }
}

}  // namespace

void ResetChangedTiles(ChangedTiles& tiles, int width, int height) {
    tiles.width = std::max(width, 0);
    tiles.height = std::max(height, 0);
    tiles.columns = (tiles.width + ChangeTileSide - 1) / ChangeTileSide;
    tiles.rows = (tiles.height + ChangeTileSide - 1) / ChangeTileSide;
    tiles.wordsPerRow = (tiles.columns + 63) / 64;
    tiles.marked.assign(size_t(tiles.rows) * tiles.wordsPerRow, 0);
    tiles.any = false;
}

void MarkChanged(ChangedTiles& tiles, const platform::Rect& r) {
    const int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
    const int x1 = std::min(int64_t(r.x) + r.width, int64_t(tiles.width)),
              y1 = std::min(int64_t(r.y) + r.height, int64_t(tiles.height));
    if (x0 >= x1 || y0 >= y1)
        return;
    tiles.any = true;
    const int first = x0 / ChangeTileSide, end = (x1 - 1) / ChangeTileSide + 1;
    for (int row = y0 / ChangeTileSide; row <= (y1 - 1) / ChangeTileSide; ++row) {
        uint64_t* words = tiles.marked.data() + size_t(row) * tiles.wordsPerRow;
        for (int word = first / 64; word <= (end - 1) / 64; ++word)
            words[word] |=
                BitsBetween(std::max(first - word * 64, 0), std::min(end - word * 64, 64));
    }
}

void TakeChangedRects(ChangedTiles& tiles, std::vector<platform::Rect>& out) {
    if (!tiles.any)
        return;
    std::vector<Run> above, here;
    for (int row = 0; row < tiles.rows; ++row) {
        RowRuns(tiles, row, here);
        const int top = row * ChangeTileSide;
        const int height = std::min(ChangeTileSide, tiles.height - top);
        size_t a = 0;
        for (Run& run : here) {
            while (a < above.size() && above[a].first < run.first)
                ++a;
            if (a < above.size() && above[a].first == run.first && above[a].end == run.end) {
                run.rect = above[a].rect;
                out[run.rect].height += height;
                continue;
            }
            const int left = run.first * ChangeTileSide;
            const int right = std::min(run.end * ChangeTileSide, tiles.width);
            run.rect = out.size();
            out.push_back({left, top, right - left, height});
        }
        std::swap(above, here);
    }
    std::fill(tiles.marked.begin(), tiles.marked.end(), 0);
    tiles.any = false;
}

}  // namespace shared
