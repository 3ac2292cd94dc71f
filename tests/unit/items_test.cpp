// Power-up items: the pickup distance, the caps, and when an item is seen.
#include <gtest/gtest.h>

#include <tuple>

#include "actors/items.h"
#include "battle/compose.h"
#include "battle/frame_step.h"
#include "levels/level_grid.h"
#include "platform/headless/headless.h"
#include "platform/shared/surfaces.h"
#include "render/sheets.h"
#include "tests/unit/test_support.h"

namespace {

class Items : public ::testing::Test {
protected:
    void SetUp() override {
        StartGame();
        Players[0].tank = FreshPlayerRecord;
        Players[0].tank.x = 320;
        Players[0].tank.y = 320;
        Players[0].tank.moveTicks = 0;
    }
};

}  // namespace

TEST_F(Items, TheCornersMayBeThirtyTwoPixelsApartOnEachAxis) {
    for (auto [dx, dy, taken] : {std::tuple{32, 32, true},
                                 {-32, 32, true},
                                 {33, 0, false},
                                 {0, -33, false},
                                 {0, 0, true}}) {
        DropItem(ExtraBulletItem, 320 + dx, 320 + dy);
        Players[0].tank.maxBullets = 1;
        UpdateItem();
        EXPECT_EQ(BattleState.DroppedItem == NoItem, taken) << dx << "," << dy;
        EXPECT_EQ(Players[0].tank.maxBullets, taken ? 2 : 1);
    }
}

TEST_F(Items, EachItemRaisesItsValueUpToItsCap) {
    TankRecord& p = Players[0].tank;
    auto takeAll = [&](int32_t item) {
        int taken = 0;
        for (int i = 0; i < 10; ++i) {
            auto values = [&] {
                return std::tuple{p.hitPoints,   p.band,  p.reloadRate,
                                  p.bulletSpeed, p.speed, p.maxBullets};
            };
            auto before = values();
            DropItem(item, 320, 320);
            UpdateItem();
            EXPECT_EQ(BattleState.DroppedItem, NoItem);  // used up, also at the cap
            if (values() != before)
                ++taken;
        }
        return taken;
    };
    EXPECT_EQ(takeAll(ArmourItem), 2);
    EXPECT_EQ(p.hitPoints, 40);
    EXPECT_EQ(p.band, 3);
    EXPECT_EQ(takeAll(FireRateItem), 4);
    EXPECT_EQ(p.reloadRate, 16);
    EXPECT_EQ(p.bulletSpeed, 24);
    EXPECT_EQ(takeAll(SpeedItem), 4);
    EXPECT_EQ(p.speed, 8);
    EXPECT_EQ(takeAll(ExtraBulletItem), 1);
    EXPECT_EQ(p.maxBullets, 2);
    // A tank worn down to 10 takes three armour items.
    p.hitPoints = 10;
    p.band = 0;
    EXPECT_EQ(takeAll(ArmourItem), 3);
}

TEST_F(Items, NothingIsTakenWhileTheTankIsDestroyed) {
    Players[0].destroyed = true;
    DropItem(SpeedItem, 320, 320);
    UpdateItem();
    EXPECT_EQ(BattleState.DroppedItem, SpeedItem);
    EXPECT_EQ(Players[0].tank.speed, 4);
}

TEST_F(Items, ASpeedItemTakenMidMoveActsFromTheNextMove) {
    TankRecord& p = Players[0].tank;
    p.moveDir = Up;
    p.moveTicks = 16;
    DropItem(SpeedItem, 320, 300);
    WorkingGrid.assign(165, 0);
    Ticks(1);
    EXPECT_EQ(BattleState.DroppedItem, NoItem);
    EXPECT_EQ(p.speed, 5);
    EXPECT_EQ(p.stepPixels, 4);
    Ticks(15);
    EXPECT_EQ(p.moveTicks, 0);
    EXPECT_EQ(p.y, 256);
    headless::SetKeyDown(platform::VK_UP, true);
    Ticks(1);
    EXPECT_EQ(p.stepPixels, 5);
    EXPECT_EQ(p.moveTicks, 11);  // 64 / 5 - 1
}

TEST_F(Items, AnItemIsDrawnInTheTickItIsTakenAndGoneAfter) {
    WorkingGrid.assign(165, 0);
    DropItem(ArmourItem, 128, 128);
    Players[0].tank.x = 128 + 32;  // close enough to take it
    Players[0].tank.y = 128 + 32;
    auto pixelAt = [](int x, int y) {
        // What the last frame shows at (x, y).
        return headless::WindowPicture()->pixels[y * 960 + x];
    };
    ComposeFrame();
    // The part of the item not covered by the tank shows this frame.
    uint32_t withItem = pixelAt(145, 150);
    EXPECT_EQ(BattleState.DroppedItem, NoItem);
    ComposeFrame();
    uint32_t without = pixelAt(145, 150);
    EXPECT_NE(withItem, without);
}
