// The built-in levels keep what the rules rely on: one base in its place
// behind bricks, open cells where the tanks come in, a way from every enemy
// entry to the player's, and no level twice. (That they hold only codes a
// level may hold is levels_dump.sim's.)
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "levels/builtin_levels.h"
#include "levels/level_grid.h"

namespace {

constexpr int32_t EnemyEntryColumns[] = {0, 7, 14};
constexpr int32_t PlayerEntryColumn = 5;
constexpr int32_t BaseColumn = 7;
constexpr int32_t BottomRow = GridRows - 1;

int32_t CellOf(int32_t level, int32_t column, int32_t row) {
    return BuiltInLevels()[level * LevelCellCount + CellIndex(column, row)];
}

// A tank gets through a cell that it may drive over or that its bullets can
// clear; Stone, Water and the Base stay in its way for good.
bool TankCanGetThrough(int32_t code) {
    const int32_t terrain = CellTerrain(code);
    const bool drivable = terrain == Empty || terrain == Grass || terrain == Ice || terrain == Sand;
    const bool shootable = terrain >= Brick && terrain < Stone;
    return drivable || shootable;
}

// The cells reached from the player's entry through cells a tank gets through.
std::vector<bool> ReachedFromThePlayer(int32_t level) {
    std::vector<bool> reached(LevelCellCount, false);
    std::vector<int32_t> frontier = {CellIndex(PlayerEntryColumn, BottomRow)};
    reached[frontier.front()] = true;
    while (!frontier.empty()) {
        const int32_t cell = frontier.back();
        frontier.pop_back();
        const int32_t steps[4][2] = {{0, 1}, {-1, 0}, {0, -1}, {1, 0}};
        for (const auto& step : steps) {
            const int32_t column = cell % GridColumns + step[0];
            const int32_t row = cell / GridColumns + step[1];
            if (!InsideGrid(column, row) || reached[CellIndex(column, row)] ||
                !TankCanGetThrough(CellOf(level, column, row)))
                continue;
            reached[CellIndex(column, row)] = true;
            frontier.push_back(CellIndex(column, row));
        }
    }
    return reached;
}

}  // namespace

TEST(BuiltInLevels, EachHasOneBaseBehindBricksAndOpenEntries) {
    for (int32_t level = 0; level < LevelCount; ++level) {
        SCOPED_TRACE("level " + std::to_string(level + 1));
        int32_t bases = 0;
        for (int32_t i = 0; i < LevelCellCount; ++i)
            bases += BuiltInLevels()[level * LevelCellCount + i] == Base;
        EXPECT_EQ(bases, 1);
        EXPECT_EQ(CellOf(level, BaseColumn, BottomRow), Base);
        for (int32_t column = BaseColumn - 1; column <= BaseColumn + 1; ++column)
            EXPECT_EQ(CellOf(level, column, BottomRow - 1), Brick);
        EXPECT_EQ(CellOf(level, BaseColumn - 1, BottomRow), Brick);
        EXPECT_EQ(CellOf(level, BaseColumn + 1, BottomRow), Brick);
        // The player's tank drives in from below onto this cell.
        EXPECT_EQ(CellOf(level, PlayerEntryColumn, BottomRow), Empty);
        // An enemy arrives above the field and must be able to drive in.
        for (int32_t column : EnemyEntryColumns) {
            const int32_t code = CellOf(level, column, 0);
            EXPECT_TRUE(code == Empty || code == Ice) << "column " << column;
        }
    }
}

TEST(BuiltInLevels, EveryEnemyEntryCanReachThePlayer) {
    for (int32_t level = 0; level < LevelCount; ++level) {
        const std::vector<bool> reached = ReachedFromThePlayer(level);
        for (int32_t column : EnemyEntryColumns)
            EXPECT_TRUE(reached[CellIndex(column, 0)])
                << "level " << level + 1 << ", entry column " << column;
    }
}

TEST(BuiltInLevels, NoTwoLevelsAreTheSame) {
    std::set<std::vector<int32_t>> seen;
    for (int32_t level = 0; level < LevelCount; ++level) {
        const auto first = BuiltInLevels().begin() + level * LevelCellCount;
        EXPECT_TRUE(seen.insert(std::vector<int32_t>(first, first + LevelCellCount)).second)
            << "level " << level + 1;
    }
}

TEST(BuiltInLevels, RestoringThemUndoesEveryEdit) {
    LevelSet.assign(LevelSetSize, Stone);
    RestoreBuiltInLevels();
    EXPECT_EQ(LevelSet, BuiltInLevels());
}
