// The built-in levels, drawn as pictures: one character per cell, one string
// per row, eleven rows per level.
//   .  Empty    #  Brick    @  Stone    %  Grass
//   -  Ice      ~  Water    B  Base
#include "levels/builtin_levels.h"

#include <cstdlib>

#include "levels/level_grid.h"

namespace {

using LevelPicture = const char* [GridRows];

// clang-format off
const LevelPicture LevelPictures[LevelCount] = {
    {   // 1
        "...............",
        ".#.##.#.#.##.#.",
        ".#.##.#.#.##.#.",
        ".#.##.#@#.##.#.",
        "...............",
        "@.###.#.#.###.@",
        "......###......",
        ".##.#.#.#.#.##.",
        ".##.#.....#.##.",
        ".##.#.###.#.##.",
        "......#B#......",
    },
};
// clang-format on

std::vector<int32_t> MakeLevels() {
    std::vector<int32_t> cells;
    cells.reserve(LevelSetSize);
    for (int level = 0; level < LevelCount; ++level) {
        // Levels not drawn yet repeat the first one.
        const LevelPicture& picture = LevelPictures[LevelPictures[level][0] ? level : 0];
        for (int row = 0; row < GridRows; ++row)
            for (int column = 0; column < GridColumns; ++column)
                cells.push_back(CellCodeOfPictureChar(picture[row][column]));
    }
    return cells;
}

}  // namespace

int32_t CellCodeOfPictureChar(char c) {
    switch (c) {
        case '.': return Empty;
        case '#': return Brick;
        case '@': return Stone;
        case '%': return Grass;
        case '-': return Ice;
        case '~': return Water;
        case 'B': return Base;
        default: std::abort();  // a level picture with a stray character
    }
}

const std::vector<int32_t>& BuiltInLevels() {
    static const std::vector<int32_t> levels = MakeLevels();
    return levels;
}
