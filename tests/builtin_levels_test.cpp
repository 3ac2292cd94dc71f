// The built-in levels: what each is made of, where the base and the tanks'
// entries lie, and that every enemy entry can reach the player's entry.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "levels/builtin_levels.h"
#include "levels/level_grid.h"

namespace {

// The cells of one level by kind, besides its one Base.
struct LevelMakeUp {
    int32_t empty;
    int32_t brick;
    int32_t stone;
    int32_t grass;
    int32_t ice;
    int32_t water;
};

constexpr LevelMakeUp MakeUps[LevelCount] = {
    {.empty = 101, .brick = 60, .stone = 3, .grass = 0, .ice = 0, .water = 0},    // 1
    {.empty = 88, .brick = 54, .stone = 12, .grass = 10, .ice = 0, .water = 0},   // 2
    {.empty = 92, .brick = 44, .stone = 10, .grass = 18, .ice = 0, .water = 0},   // 3
    {.empty = 97, .brick = 41, .stone = 7, .grass = 14, .ice = 0, .water = 5},    // 4
    {.empty = 103, .brick = 38, .stone = 8, .grass = 0, .ice = 0, .water = 15},   // 5
    {.empty = 91, .brick = 39, .stone = 11, .grass = 23, .ice = 0, .water = 0},   // 6
    {.empty = 106, .brick = 5, .stone = 46, .grass = 7, .ice = 0, .water = 0},    // 7
    {.empty = 76, .brick = 40, .stone = 8, .grass = 14, .ice = 0, .water = 26},   // 8
    {.empty = 106, .brick = 25, .stone = 18, .grass = 15, .ice = 0, .water = 0},  // 9
    {.empty = 69, .brick = 52, .stone = 10, .grass = 26, .ice = 0, .water = 7},   // 10
    {.empty = 86, .brick = 43, .stone = 9, .grass = 26, .ice = 0, .water = 0},    // 11
    {.empty = 99, .brick = 41, .stone = 8, .grass = 0, .ice = 0, .water = 16},    // 12
    {.empty = 85, .brick = 53, .stone = 10, .grass = 16, .ice = 0, .water = 0},   // 13
    {.empty = 96, .brick = 33, .stone = 10, .grass = 17, .ice = 0, .water = 8},   // 14
    {.empty = 71, .brick = 47, .stone = 5, .grass = 41, .ice = 0, .water = 0},    // 15
    {.empty = 100, .brick = 15, .stone = 11, .grass = 38, .ice = 0, .water = 0},  // 16
    {.empty = 62, .brick = 48, .stone = 9, .grass = 0, .ice = 45, .water = 0},    // 17
    {.empty = 83, .brick = 43, .stone = 25, .grass = 13, .ice = 0, .water = 0},   // 18
    {.empty = 80, .brick = 41, .stone = 13, .grass = 30, .ice = 0, .water = 0},   // 19
    {.empty = 97, .brick = 30, .stone = 9, .grass = 13, .ice = 0, .water = 15},   // 20
    {.empty = 57, .brick = 59, .stone = 13, .grass = 35, .ice = 0, .water = 0},   // 21
    {.empty = 91, .brick = 16, .stone = 7, .grass = 50, .ice = 0, .water = 0},    // 22
    {.empty = 112, .brick = 7, .stone = 24, .grass = 21, .ice = 0, .water = 0},   // 23
    {.empty = 64, .brick = 37, .stone = 7, .grass = 10, .ice = 46, .water = 0},   // 24
    {.empty = 97, .brick = 49, .stone = 18, .grass = 0, .ice = 0, .water = 0},    // 25
    {.empty = 84, .brick = 20, .stone = 26, .grass = 18, .ice = 0, .water = 16},  // 26
    {.empty = 92, .brick = 19, .stone = 42, .grass = 11, .ice = 0, .water = 0},   // 27
    {.empty = 61, .brick = 15, .stone = 10, .grass = 28, .ice = 50, .water = 0},  // 28
    {.empty = 90, .brick = 20, .stone = 10, .grass = 24, .ice = 0, .water = 20},  // 29
    {.empty = 51, .brick = 25, .stone = 13, .grass = 66, .ice = 0, .water = 9},   // 30
    {.empty = 73, .brick = 15, .stone = 1, .grass = 22, .ice = 0, .water = 53},   // 31
    {.empty = 41, .brick = 46, .stone = 6, .grass = 0, .ice = 71, .water = 0},    // 32
    {.empty = 90, .brick = 5, .stone = 41, .grass = 28, .ice = 0, .water = 0},    // 33
    {.empty = 86, .brick = 78, .stone = 0, .grass = 0, .ice = 0, .water = 0},     // 34
    {.empty = 45, .brick = 57, .stone = 2, .grass = 32, .ice = 0, .water = 28},   // 35
};

// All 35 levels together; the Base count is one per level.
constexpr LevelMakeUp Totals = {
    .empty = 2922, .brick = 1260, .stone = 462, .grass = 666, .ice = 212, .water = 218};
constexpr int32_t TotalBases = 35;

// The first level, cell for cell, written as codes rather than as a picture
// so that it does not share a mistake with the picture it checks.
// clang-format off
constexpr int32_t LevelOneCodes[GridRows][GridColumns] = {
    { 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0},
    { 0,  1,  0,  1,  1,  0,  1,  0,  1,  0,  1,  1,  0,  1,  0},
    { 0,  1,  0,  1,  1,  0,  1,  0,  1,  0,  1,  1,  0,  1,  0},
    { 0,  1,  0,  1,  1,  0,  1,  7,  1,  0,  1,  1,  0,  1,  0},
    { 0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0,  0},
    { 7,  0,  1,  1,  1,  0,  1,  0,  1,  0,  1,  1,  1,  0,  7},
    { 0,  0,  0,  0,  0,  0,  1,  1,  1,  0,  0,  0,  0,  0,  0},
    { 0,  1,  1,  0,  1,  0,  1,  0,  1,  0,  1,  0,  1,  1,  0},
    { 0,  1,  1,  0,  1,  0,  0,  0,  0,  0,  1,  0,  1,  1,  0},
    { 0,  1,  1,  0,  1,  0,  1,  1,  1,  0,  1,  0,  1,  1,  0},
    { 0,  0,  0,  0,  0,  0,  1, 10,  1,  0,  0,  0,  0,  0,  0},
};
// clang-format on

// The one level whose enemy entries lie on Ice instead of open ground.
constexpr int32_t IceEntryLevel = 31;  // level 32, counted from 0

constexpr int32_t EnemyEntryColumns[] = {0, 7, 14};
constexpr int32_t PlayerEntryColumn = 5;
constexpr int32_t BaseColumn = 7;
constexpr int32_t BottomRow = GridRows - 1;

using Faults = std::vector<std::string>;

constexpr int32_t AllLevels = -1;

void AddFault(Faults& faults, int32_t level, const std::string& what) {
    const std::string where =
        level == AllLevels ? "all levels" : "level " + std::to_string(level + 1);
    faults.push_back(where + ": " + what);
}

int32_t CellOf(const std::vector<int32_t>& levels, int32_t level, int32_t column, int32_t row) {
    return levels[level * LevelCellCount + CellIndex(column, row)];
}

struct KindTally {
    LevelMakeUp cells{};
    int32_t bases = 0;
    int32_t others = 0;  // codes that no built-in level may use
};

void TallyCode(KindTally& tally, int32_t code) {
    switch (code) {
        case Empty:
            ++tally.cells.empty;
            break;
        case Brick:
            ++tally.cells.brick;
            break;
        case Stone:
            ++tally.cells.stone;
            break;
        case Grass:
            ++tally.cells.grass;
            break;
        case Ice:
            ++tally.cells.ice;
            break;
        case Water:
            ++tally.cells.water;
            break;
        case Base:
            ++tally.bases;
            break;
        default:
            ++tally.others;
            break;
    }
}

KindTally TallyLevel(const std::vector<int32_t>& levels, int32_t level) {
    KindTally tally;
    for (int32_t i = 0; i < LevelCellCount; ++i)
        TallyCode(tally, levels[level * LevelCellCount + i]);
    return tally;
}

void CompareMakeUp(Faults& faults, int32_t level, const LevelMakeUp& found,
                   const LevelMakeUp& wanted) {
    const auto compare = [&](const char* kind, int32_t have, int32_t want) {
        if (have != want)
            AddFault(faults, level,
                     std::to_string(have) + " " + kind + " cells, not " + std::to_string(want));
    };
    compare("Empty", found.empty, wanted.empty);
    compare("Brick", found.brick, wanted.brick);
    compare("Stone", found.stone, wanted.stone);
    compare("Grass", found.grass, wanted.grass);
    compare("Ice", found.ice, wanted.ice);
    compare("Water", found.water, wanted.water);
}

// A level has its row of the make-up table, one Base and no other code.
void AddMakeUpFaults(Faults& faults, const std::vector<int32_t>& levels, int32_t level) {
    const KindTally tally = TallyLevel(levels, level);
    CompareMakeUp(faults, level, tally.cells, MakeUps[level]);
    if (tally.bases != 1)
        AddFault(faults, level, std::to_string(tally.bases) + " Base cells");
    if (tally.others != 0)
        AddFault(faults, level, std::to_string(tally.others) + " cells of a foreign code");
}

Faults TotalFaults(const std::vector<int32_t>& levels) {
    KindTally tally;
    for (int32_t code : levels)
        TallyCode(tally, code);
    Faults faults;
    CompareMakeUp(faults, AllLevels, tally.cells, Totals);
    if (tally.bases != TotalBases)
        AddFault(faults, AllLevels, std::to_string(tally.bases) + " Base cells in all");
    if (tally.others != 0)
        AddFault(faults, AllLevels,
                 std::to_string(tally.others) + " cells of a foreign code in all");
    return faults;
}

std::string Where(int32_t column, int32_t row) {
    return "row " + std::to_string(row) + " column " + std::to_string(column);
}

// The base with its five bricks, and the open cells where the tanks come in.
void AddBaseAndEntryFaults(Faults& faults, const std::vector<int32_t>& levels, int32_t level) {
    const auto expect = [&](int32_t column, int32_t row, int32_t code, const char* what) {
        if (CellOf(levels, level, column, row) != code)
            AddFault(faults, level, Where(column, row) + " is not " + what);
    };
    expect(BaseColumn, BottomRow, Base, "the Base");
    for (int32_t column = BaseColumn - 1; column <= BaseColumn + 1; ++column)
        expect(column, BottomRow - 1, Brick, "a Brick over the base");
    expect(BaseColumn - 1, BottomRow, Brick, "a Brick beside the base");
    expect(BaseColumn + 1, BottomRow, Brick, "a Brick beside the base");
    expect(PlayerEntryColumn, BottomRow, Empty, "the Empty player entry");
    for (int32_t column : EnemyEntryColumns) {
        const int32_t code = CellOf(levels, level, column, 0);
        const bool open = code == Empty || (level == IceEntryLevel && code == Ice);
        if (!open)
            AddFault(faults, level, Where(column, 0) + " is not an open enemy entry");
    }
}

// A tank gets through a cell that it may drive over or that its bullets can
// clear; Stone, Water and the Base stay in its way for good.
bool TankCanGetThrough(int32_t code) {
    const int32_t kind = CellKind(code);
    const bool drivable = kind == Empty || kind == Grass || kind == Ice || kind == Sand;
    const bool shootable = kind >= Brick && kind < Stone;  // a brick in any state of damage
    return drivable || shootable;
}

// Every enemy entry is joined to the player's entry by cells a tank gets
// through.
void AddReachFaults(Faults& faults, const std::vector<int32_t>& levels, int32_t level) {
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
            if (!InsideGrid(column, row) || reached[CellIndex(column, row)])
                continue;
            if (!TankCanGetThrough(CellOf(levels, level, column, row)))
                continue;
            reached[CellIndex(column, row)] = true;
            frontier.push_back(CellIndex(column, row));
        }
    }
    for (int32_t column : EnemyEntryColumns) {
        if (!reached[CellIndex(column, 0)])
            AddFault(faults, level,
                     "the enemy entry at " + Where(column, 0) + " cannot reach the player");
    }
}

using LevelCheck = void (*)(Faults&, const std::vector<int32_t>&, int32_t level);

Faults FaultsOfLevel(LevelCheck check, const std::vector<int32_t>& levels, int32_t level) {
    Faults faults;
    check(faults, levels, level);
    return faults;
}

Faults FaultsOfAllLevels(LevelCheck check, const std::vector<int32_t>& levels) {
    Faults faults;
    for (int32_t level = 0; level < LevelCount; ++level)
        check(faults, levels, level);
    return faults;
}

Faults MakeUpFaults(const std::vector<int32_t>& levels) {
    return FaultsOfAllLevels(AddMakeUpFaults, levels);
}

Faults BaseAndEntryFaults(const std::vector<int32_t>& levels) {
    return FaultsOfAllLevels(AddBaseAndEntryFaults, levels);
}

Faults ReachFaults(const std::vector<int32_t>& levels) {
    return FaultsOfAllLevels(AddReachFaults, levels);
}

Faults LevelOneFaults(const std::vector<int32_t>& levels) {
    Faults faults;
    for (int32_t row = 0; row < GridRows; ++row) {
        for (int32_t column = 0; column < GridColumns; ++column) {
            const int32_t have = CellOf(levels, 0, column, row);
            if (have != LevelOneCodes[row][column])
                AddFault(faults, 0,
                         Where(column, row) + " holds " + std::to_string(have) + ", not " +
                             std::to_string(LevelOneCodes[row][column]));
        }
    }
    return faults;
}

Faults AllFaults(const std::vector<int32_t>& levels) {
    Faults faults;
    for (const Faults& part :
         {MakeUpFaults(levels), TotalFaults(levels), BaseAndEntryFaults(levels),
          ReachFaults(levels), LevelOneFaults(levels)})
        faults.insert(faults.end(), part.begin(), part.end());
    return faults;
}

::testing::AssertionResult NoFaults(const Faults& faults) {
    if (faults.empty())
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult result = ::testing::AssertionFailure();
    for (const std::string& fault : faults)
        result << "\n  " << fault;
    return result;
}

bool MentionsLevel(const Faults& faults, int32_t level) {
    const std::string prefix = "level " + std::to_string(level + 1) + ":";
    for (const std::string& fault : faults) {
        if (fault.rfind(prefix, 0) == 0)
            return true;
    }
    return false;
}

void FillRow(std::vector<int32_t>& levels, int32_t level, int32_t row, int32_t code) {
    for (int32_t column = 0; column < GridColumns; ++column)
        levels[level * LevelCellCount + CellIndex(column, row)] = code;
}

}  // namespace

TEST(BuiltInLevels, FillTheWholeLevelSet) {
    EXPECT_EQ(BuiltInLevels().size(), static_cast<size_t>(LevelSetSize));
}

TEST(BuiltInLevels, LevelOneIsExactlyItsTable) {
    EXPECT_TRUE(NoFaults(LevelOneFaults(BuiltInLevels())));
}

TEST(BuiltInLevels, EachLevelHasItsMakeUp) {
    EXPECT_TRUE(NoFaults(MakeUpFaults(BuiltInLevels())));
}

TEST(BuiltInLevels, TotalsOverAllLevels) {
    EXPECT_TRUE(NoFaults(TotalFaults(BuiltInLevels())));
}

TEST(BuiltInLevels, BaseAndEntriesAreInPlace) {
    EXPECT_TRUE(NoFaults(BaseAndEntryFaults(BuiltInLevels())));
}

TEST(BuiltInLevels, EveryEnemyEntryCanReachThePlayer) {
    EXPECT_TRUE(NoFaults(ReachFaults(BuiltInLevels())));
}

// The make-up table and the totals come from different places; each row
// must fill its level, and the rows must add up to the totals.
TEST(BuiltInLevels, MakeUpTableAgreesWithTheTotals) {
    LevelMakeUp sum{};
    for (int32_t level = 0; level < LevelCount; ++level) {
        const LevelMakeUp& m = MakeUps[level];
        EXPECT_EQ(m.empty + m.brick + m.stone + m.grass + m.ice + m.water + 1, LevelCellCount)
            << "level " << level + 1;
        sum.empty += m.empty;
        sum.brick += m.brick;
        sum.stone += m.stone;
        sum.grass += m.grass;
        sum.ice += m.ice;
        sum.water += m.water;
    }
    Faults faults;
    CompareMakeUp(faults, AllLevels, sum, Totals);
    EXPECT_TRUE(NoFaults(faults));
}

// Whatever single cell of whatever level changes, to whatever kind, the
// make-up and placement checks notice it in that level. (Reach is left out:
// most changes keep every entry reachable.)
TEST(BuiltInLevelChecks, CatchAnyOneChangedCell) {
    const std::vector<int32_t>& original = BuiltInLevels();
    const int32_t kinds[] = {Empty, Brick, Stone, Grass, Ice, Water, Base, Sand, CrackedBrick};
    std::vector<int32_t> levels = original;
    int32_t changes = 0;
    int32_t missed = 0;
    for (int32_t index = 0; index < LevelSetSize; ++index) {
        const int32_t level = index / LevelCellCount;
        for (int32_t code : kinds) {
            if (code == original[index])
                continue;
            levels[index] = code;
            ++changes;
            if (FaultsOfLevel(AddMakeUpFaults, levels, level).empty() &&
                FaultsOfLevel(AddBaseAndEntryFaults, levels, level).empty())
                ++missed;
            levels[index] = original[index];
        }
    }
    EXPECT_EQ(changes, LevelSetSize * 8);
    EXPECT_EQ(missed, 0);
    EXPECT_TRUE(NoFaults(AllFaults(levels)));  // every change was put back
}

TEST(BuiltInLevelChecks, LevelOneTableCatchesASwapThatKeepsTheCounts) {
    std::vector<int32_t> levels = BuiltInLevels();
    // Swapping two cells of different kinds keeps every count.
    std::swap(levels[CellIndex(0, 0)], levels[CellIndex(1, 1)]);
    EXPECT_TRUE(NoFaults(MakeUpFaults(levels)));
    EXPECT_FALSE(NoFaults(LevelOneFaults(levels)));
}

TEST(BuiltInLevelChecks, CatchAClosedEntryOrABaseOutOfPlace) {
    for (int32_t level = 0; level < LevelCount; ++level) {
        const int32_t first = level * LevelCellCount;
        const int32_t cells[] = {CellIndex(0, 0),
                                 CellIndex(7, 0),
                                 CellIndex(14, 0),
                                 CellIndex(5, BottomRow),
                                 CellIndex(7, BottomRow),
                                 CellIndex(6, BottomRow),
                                 CellIndex(8, BottomRow),
                                 CellIndex(6, BottomRow - 1),
                                 CellIndex(7, BottomRow - 1),
                                 CellIndex(8, BottomRow - 1)};
        for (int32_t cell : cells) {
            std::vector<int32_t> levels = BuiltInLevels();
            levels[first + cell] = Grass;
            EXPECT_TRUE(MentionsLevel(BaseAndEntryFaults(levels), level))
                << "level " << level + 1 << " cell " << cell;
        }
    }
}

TEST(BuiltInLevelChecks, OnlyLevel32MayEnterOnIce) {
    std::vector<int32_t> levels = BuiltInLevels();
    for (int32_t level = 0; level < LevelCount; ++level)
        for (int32_t column : EnemyEntryColumns)
            levels[level * LevelCellCount + CellIndex(column, 0)] = Ice;
    const Faults faults = BaseAndEntryFaults(levels);
    for (int32_t level = 0; level < LevelCount; ++level)
        EXPECT_EQ(MentionsLevel(faults, level), level != IceEntryLevel) << "level " << level + 1;
}

// A full row across the field cuts every enemy entry off when tanks cannot
// get through it, and only then.
TEST(BuiltInLevelChecks, ReachStopsAtStoneWaterAndBaseButNotAtBrick) {
    const struct {
        int32_t code;
        bool cutsOff;
    } rows[] = {{Stone, true},  {Water, true},  {Water + 100, true}, {Base, true},
                {Brick, false}, {Grass, false}, {Ice, false},        {Empty, false}};
    for (const auto& wall : rows) {
        for (int32_t level = 0; level < LevelCount; ++level) {
            std::vector<int32_t> levels = BuiltInLevels();
            FillRow(levels, level, 5, wall.code);
            const Faults faults = FaultsOfLevel(AddReachFaults, levels, level);
            EXPECT_EQ(MentionsLevel(faults, level), wall.cutsOff)
                << "level " << level + 1 << " with a row of code " << wall.code;
            EXPECT_EQ(faults.size(), wall.cutsOff ? 3u : 0u);
        }
    }
}

TEST(BuiltInLevelChecks, ReachNoticesTheLastGapClosing) {
    std::vector<int32_t> levels = BuiltInLevels();
    FillRow(levels, 0, 5, Stone);
    levels[CellIndex(3, 5)] = Empty;
    EXPECT_TRUE(NoFaults(ReachFaults(levels)));
    levels[CellIndex(3, 5)] = Water;
    EXPECT_TRUE(MentionsLevel(ReachFaults(levels), 0));
}
