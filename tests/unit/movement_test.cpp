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

TEST(TankBlocks, StandingStillAhead) {
    TankRecord mover = TankAt(320, 320, Up);
    EXPECT_TRUE(TankBlocks(mover, TankAt(320, 256)));   // the next cell
    EXPECT_TRUE(TankBlocks(mover, TankAt(320, 193)));   // on its way through the one after
    EXPECT_FALSE(TankBlocks(mover, TankAt(320, 192)));  // two cells ahead
    EXPECT_FALSE(TankBlocks(mover, TankAt(320, 384)));  // behind
    EXPECT_FALSE(TankBlocks(mover, TankAt(320, 320)));  // level with it
    EXPECT_FALSE(TankBlocks(mover, TankAt(320, 300)));  // already overlapping
}

TEST(TankBlocks, SidewaysAndDiagonal) {
    TankRecord mover = TankAt(320, 320, Right);
    EXPECT_TRUE(TankBlocks(mover, TankAt(384, 320 + 63)));  // crossing the cell ahead
    EXPECT_TRUE(TankBlocks(mover, TankAt(384, 320 - 63)));
    EXPECT_FALSE(TankBlocks(mover, TankAt(384, 320 + 64)));  // diagonally ahead
    EXPECT_FALSE(TankBlocks(mover, TankAt(384, 320 - 64)));
    EXPECT_FALSE(TankBlocks(mover, TankAt(400, 320 + 8)));  // a cell and more ahead, to the side
}

TEST(TankBlocks, EveryDirectionMeasuresAlongItself) {
    TankRecord other = TankAt(320, 320);
    EXPECT_TRUE(TankBlocks(TankAt(320, 256, Down), other));
    EXPECT_TRUE(TankBlocks(TankAt(384, 320, Left), other));
    EXPECT_TRUE(TankBlocks(TankAt(320, 384, Up), other));
    EXPECT_TRUE(TankBlocks(TankAt(256, 320, Right), other));
    EXPECT_FALSE(TankBlocks(TankAt(320, 256, Up), other));
    EXPECT_FALSE(TankBlocks(TankAt(256, 320, 9), other));
}

TEST(TankBlocks, FaceToFaceAtTwoCells) {
    TankRecord left = TankAt(128, 320, Right);
    TankRecord right = TankAt(256, 320, Left);
    // At 128 pixels neither blocks: the first to move goes.
    EXPECT_FALSE(TankBlocks(left, right));
    left.x += 4;  // its first step
    // Now the other finds it less than two cells ahead.
    EXPECT_TRUE(TankBlocks(right, left));
    left.x = 192;  // and at the end of the move, in the next cell
    EXPECT_TRUE(TankBlocks(right, left));
}

TEST(TankBlocks, TwoTanksEnteringOneCell) {
    // Both stand next to cell (5, 5): one above it, one left of it.
    TankRecord fromAbove = TankAt(320, 256, Down);
    TankRecord fromLeft = TankAt(256, 320, Right);
    EXPECT_FALSE(TankBlocks(fromAbove, fromLeft));
    fromAbove.y += 2;  // the first one takes its first step
    // The second finds it one cell ahead and less than a cell to the side.
    EXPECT_TRUE(TankBlocks(fromLeft, fromAbove));
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
