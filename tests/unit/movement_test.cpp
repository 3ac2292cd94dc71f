// The ground ahead and the tanks in the way decide every move when it starts.
#include <gtest/gtest.h>

#include "actors/movement.h"
#include "levels/level_grid.h"
#include "tests/unit/test_support.h"

namespace {

struct TerrainCase {
    int32_t code;
    bool refused;
    int32_t step;  // for speed 5; the old step (3) when refused
};

class Terrain : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEverything();
        ClearWorkingGrid();
    }
    // A tank with speed 5 and an odd old step, at (4, 4), about to move right.
    TankRecord Mover(int32_t direction = Right) {
        TankRecord tank = TankAt(4 * 64, 4 * 64, direction);
        tank.speed = 5;
        tank.stepPixels = 3;
        return tank;
    }
};

}  // namespace

TEST_F(Terrain, EveryKindAdmitsOrRefusesTheTank) {
    const TerrainCase cases[] = {
        {Empty, false, 5},      {Brick, true, 5}, {CrackedBrick, true, 5},
        {BrokenBrick, true, 5}, {4, true, 5},     {5, true, 5},
        {6, true, 5},           {Stone, true, 5}, {Grass, false, 5},
        {Ice, false, 10},       {Base, true, 5},  {Sand, false, 1},
        {12, true, 5},          {23, true, 5},    {24, true, 5},
        {99, true, 5},          {-1, true, 5},    {-100, false, 5},
        {108, false, 5},        {109, false, 10}, {111, false, 1},
        {123, true, 5},         {200, false, 5},
    };
    for (const TerrainCase& c : cases) {
        SetCell(5, 4, c.code);
        TankRecord tank = Mover();
        EXPECT_EQ(TerrainRefusesMove(tank), c.refused) << "code " << c.code;
        EXPECT_EQ(tank.stepPixels, c.step) << "code " << c.code;
    }
}

TEST_F(Terrain, OnlyTheCellAheadMatters) {
    SetCell(4, 4, Water);  // the tank's own cell
    SetCell(3, 4, Stone);  // behind it
    TankRecord tank = Mover();
    EXPECT_FALSE(TerrainRefusesMove(tank));
    EXPECT_EQ(tank.stepPixels, 5);
    // Leaving ice for empty ground is at normal speed.
    SetCell(4, 4, Ice);
    EXPECT_FALSE(TerrainRefusesMove(tank));
    EXPECT_EQ(tank.stepPixels, 5);
}

TEST_F(Terrain, TheFieldsEdgesRefuseAndKeepTheOldStep) {
    struct EdgeCase {
        int32_t x, y, direction;
    };
    for (EdgeCase c : {EdgeCase{0, 128, Left}, EdgeCase{896, 128, Right}, EdgeCase{128, 0, Up},
                       EdgeCase{128, 640, Down}}) {
        TankRecord tank = Mover(c.direction);
        tank.x = c.x;
        tank.y = c.y;
        EXPECT_TRUE(TerrainRefusesMove(tank)) << c.x << "," << c.y;
        EXPECT_EQ(tank.stepPixels, 3);
    }
    // One cell inside the edge is fine.
    TankRecord tank = Mover(Left);
    tank.x = 64;
    EXPECT_FALSE(TerrainRefusesMove(tank));
}

TEST_F(Terrain, ADirectionOutsideTheFourLooksAtTheTanksOwnCell) {
    TankRecord tank = Mover(7);
    SetCell(4, 4, Ice);
    EXPECT_FALSE(TerrainRefusesMove(tank));
    EXPECT_EQ(tank.stepPixels, 10);
    SetCell(4, 4, Stone);
    EXPECT_TRUE(TerrainRefusesMove(tank));
}

// Whether a tank about to move is blocked by another standing still: only one
// straight ahead within two cells (not overlapping it), or one crossing the
// cell ahead; every direction measures along itself.
TEST(TankBlocks, AheadWithinTwoCellsOrCrossingTheCellAhead) {
    struct Case {
        int32_t x, y, direction, otherX, otherY;
        bool blocks;
    };
    const Case cases[] = {
        {320, 320, Up, 320, 256, true},     // the next cell
        {320, 320, Up, 320, 193, true},     // on its way through the one after
        {320, 320, Up, 320, 192, false},    // two cells ahead
        {320, 320, Up, 320, 384, false},    // behind
        {320, 320, Up, 320, 320, false},    // level with it
        {320, 320, Up, 320, 300, false},    // already overlapping
        {320, 320, Right, 384, 383, true},  // crossing the cell ahead
        {320, 320, Right, 384, 257, true},
        {320, 320, Right, 384, 384, false},  // diagonally ahead
        {320, 320, Right, 384, 256, false},
        {320, 320, Right, 400, 328, false},  // a cell and more ahead, to the side
        {320, 256, Down, 320, 320, true},
        {384, 320, Left, 320, 320, true},
        {320, 384, Up, 320, 320, true},
        {256, 320, Right, 320, 320, true},
        {320, 256, Up, 320, 320, false},
        {256, 320, 9, 320, 320, false},  // no direction at all
        // Face to face at two cells neither blocks: the first to move goes,
        // and after its first step the other finds it less than two cells
        // ahead, as at the end of the move, in the next cell.
        {128, 320, Right, 256, 320, false},
        {256, 320, Left, 132, 320, true},
        {256, 320, Left, 192, 320, true},
        // Two entering one cell, (5, 5), from above and from the left: once
        // the first has taken its first step, the second finds it one cell
        // ahead and less than a cell to the side.
        {320, 256, Down, 256, 320, false},
        {256, 320, Right, 320, 258, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TankBlocks(TankAt(c.x, c.y, c.direction), TankAt(c.otherX, c.otherY)), c.blocks)
            << c.x << "," << c.y << " facing " << c.direction << " and " << c.otherX << ","
            << c.otherY;
}

TEST(TurnTank, TurnsTheGunUnlessLockedAndRollsTheTracks) {
    TankRecord tank = TankAt(0, 0, Up);
    tank.trackFrame = 2;
    TurnTank(tank, Left);
    EXPECT_EQ(tank.moveDir, Left);
    EXPECT_EQ(tank.turretDir, Left);
    EXPECT_EQ(tank.trackFrame, 0);
    tank.turretLocked = true;
    TurnTank(tank, Down);
    EXPECT_EQ(tank.moveDir, Down);
    EXPECT_EQ(tank.turretDir, Left);
    EXPECT_EQ(tank.trackFrame, 1);
}
