// Drawing: the masked copy, the cell animation, the ground layer, and where a
// tank's gun and flash, a wreck, an item, a bullet's trail and an explosion's
// picture go.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "battle/compose.h"
#include "levels/cell_animation.h"
#include "levels/level_grid.h"
#include "platform/headless/headless.h"
#include "platform/shared/surfaces.h"
#include "render/draw.h"
#include "render/sheets.h"
#include "tests/unit/test_support.h"

namespace {

uint32_t& Pixel(platform::Surface s, int x, int y) {
    return s->pixels[size_t(y) * s->width + x];
}

// The window's picture after drawing the ground and then `draw` over it.
template <typename Draw>
shared::Pixels Drawn(Draw draw) {
    DrawGround();
    draw();
    PresentFrame();
    return headless::WindowPicture()->pixels;
}

// A started game on an open field, with no enemy in it; its bare ground.
shared::Pixels PlainBattle() {
    StartGame();
    ClearWorkingGrid();
    BattleState.EnemyList.clear();
    BattleState.EnemyBulletLists.clear();
    BattleState.EnemiesToSpawn = 0;
    return Drawn([] {});
}

// A window picture with the size x size sprite of a sheet at (sx, sy) laid on
// at (x, y) by the masking rule.
shared::Pixels WithSprite(const shared::Pixels& under, platform::Surface sheet, int sx, int sy,
                          int x, int y, int size = 64) {
    platform::Surface picture = shared::NewSurface(960, 704);
    picture->pixels = under;
    platform::SpriteBlt(picture, x, y, size, size, sheet, sx, sy);
    shared::Pixels result = picture->pixels;
    return result;
}

}  // namespace

TEST(SpriteBlt, GivesTheImageWhereTheMaskIsWhiteAndKeepsTheRest) {
    std::mt19937 random(7);
    // A 5 x 4 sprite with every kind of pixel: the masking rule kept or broken.
    platform::Surface tiny = shared::NewSurface(5, 8);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 5; ++x) {
            int choice = (x + 3 * y) % 4;
            uint32_t image = random() & 0xFFFFFF;
            uint32_t mask = choice == 0 ? 0xFFFFFF : choice == 1 ? 0 : random() & 0xFFFFFF;
            if (choice == 1)
                image = 0xFFFFFF;  // transparent by the rule
            Pixel(tiny, x, y) = image;
            Pixel(tiny, x, y + 4) = mask;
        }
    }
    for (auto [dx, dy] : {std::pair{10, 10}, {-2, 3}, {28, 17}, {-4, -3}}) {
        platform::Surface fast = shared::NewSurface(32, 20);
        for (uint32_t& p : fast->pixels)
            p = random() & 0xFFFFFF;
        platform::Surface slow = shared::NewSurface(32, 20);
        slow->pixels = fast->pixels;
        platform::SpriteBlt(fast, dx, dy, 5, 4, tiny, 0, 0);
        platform::BitBlt(slow, dx, dy, 5, 4, tiny, 0, 4, platform::SRCPAINT);
        platform::BitBlt(slow, dx, dy, 5, 4, tiny, 0, 0, platform::SRCAND);
        EXPECT_EQ(fast->pixels, slow->pixels) << dx << "," << dy;
    }
}

TEST(CellAnimation, BurningBricksAndWaterFollowTheirCycles) {
    // Burning: 4, 5, 6, 4 on every sixth pass.
    int32_t code = 4;
    std::vector<int32_t> seen;
    for (int pass = 0; pass < 24; ++pass) {
        code = AnimateCell(code, pass % 6, pass % 4);
        seen.push_back(code);
    }
    EXPECT_EQ(seen, std::vector<int32_t>(
                        {4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 4, 4, 4, 4, 4, 4, 5}));
    // Water: 12 up to 22, then 123 down to 113, then 12, on every fourth pass.
    code = 12;
    std::vector<int32_t> steps;
    for (int pass = 0; pass < 4 * 23; ++pass) {
        int32_t next = AnimateCell(code, pass % 6, pass % 4);
        if (next != code)
            steps.push_back(next);
        code = next;
    }
    std::vector<int32_t> expected;
    for (int32_t c = 13; c <= 22; ++c)
        expected.push_back(c);
    for (int32_t c = 123; c >= 113; --c)
        expected.push_back(c);
    expected.push_back(12);
    expected.push_back(13);
    EXPECT_EQ(steps, expected);
    // Codes only a hand-edited map holds fall into the cycles too.
    EXPECT_EQ(AnimateCell(23, 0, 3), 123);
    EXPECT_EQ(AnimateCell(106, 5, 0), 105);
    EXPECT_EQ(AnimateCell(105, 5, 0), 4);
    EXPECT_EQ(AnimateCell(7, 5, 3), 7);
    EXPECT_EQ(AnimateCell(112, 0, 3), 111);
}

TEST(AnimateTerrain, StepsTheCellsInTheWorkingGridAndThePhases) {
    StartGame();
    ClearWorkingGrid();
    SetCell(0, 0, 4);
    SetCell(1, 0, 12);
    SetCell(2, 0, Grass);
    std::vector<int32_t> burning, water;
    for (int pass = 0; pass < 12; ++pass) {
        AnimateTerrain();
        burning.push_back(WorkingGrid[0]);
        water.push_back(WorkingGrid[1]);
    }
    // The first step in the 6th and the 4th pass after a level start.
    EXPECT_EQ(burning, std::vector<int32_t>({4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5, 6}));
    EXPECT_EQ(water, std::vector<int32_t>({12, 12, 12, 13, 13, 13, 13, 14, 14, 14, 14, 15}));
    EXPECT_EQ(WorkingGrid[2], Grass);
    EXPECT_EQ(BattleState.TerrainPhaseA, 0);
    EXPECT_EQ(BattleState.TerrainPhaseB, 0);
}

TEST(AnimateTerrain, StepsEveryCodeAsItsCellWouldAlone) {
    // Codes of every kind a map can hold, hand-edited ones included: negative,
    // the reversed water and fire codes, and past any the game writes.
    StartGame();
    std::vector<int32_t> codes(LevelCellCount);
    for (int32_t i = 0; i < LevelCellCount; ++i)
        codes[i] = i < 130 ? i - 2 : 100 * (i - 128) + i % 30;
    WorkingGrid = codes;
    for (int pass = 0; pass < 24; ++pass) {
        const int32_t phaseA = BattleState.TerrainPhaseA, phaseB = BattleState.TerrainPhaseB;
        AnimateTerrain();
        for (int32_t i = 0; i < LevelCellCount; ++i) {
            if (codes[i] != Empty && codes[i] != Grass)
                codes[i] = AnimateCell(codes[i], phaseA, phaseB);
        }
        ASSERT_EQ(WorkingGrid, codes) << "pass " << pass;
    }
}

TEST(DrawGround, MatchesTheBackgroundWithEveryCellDrawnOverIt) {
    StartGame();
    std::mt19937 random(11);
    const int32_t codes[] = {0,  1,  2,  3,  4,   5,   6,  7,  8,  9,  10,
                             11, 12, 17, 23, 108, 123, 24, 27, 28, -3, 999};
    platform::Surface expected = shared::NewSurface(960, 704);
    for (int frame = 0; frame < 12; ++frame) {
        // Change a few cells, or all of them, between frames.
        int changes = frame == 0 ? 165 : int(random() % 20);
        for (int k = 0; k < changes; ++k)
            WorkingGrid[random() % 165] = codes[random() % (sizeof codes / sizeof codes[0])];
        DrawGround();
        PresentFrame();
        platform::BitBlt(expected, 0, 0, 960, 704, BackgroundImage, 0, 0, platform::SRCCOPY);
        for (int i = 0; i < 165; ++i) {
            int32_t code = WorkingGrid[i], terrain = CellTerrain(code);
            if (code == 0 || code == 8 || terrain < 0 || terrain >= 28)
                continue;
            int x = 64 * (i % 15), y = 64 * (i / 15);
            platform::BitBlt(expected, x, y, 64, 64, CellSheet, 64 * (terrain % 4),
                             128 * (terrain / 4) + 64, platform::SRCPAINT);
            platform::BitBlt(expected, x, y, 64, 64, CellSheet, 64 * (terrain % 4),
                             128 * (terrain / 4), platform::SRCAND);
        }
        ASSERT_TRUE(headless::WindowPicture()->pixels == expected->pixels) << "frame " << frame;
    }
}

// The tank is drawn as its hull and then its gun, the gun's picture taken
// from the recoil row of the reload and pushed back against the way it
// points: a step of bulletDamage / 10 pixels for every 20 of reload left.
TEST(DrawTank, TheGunIsPushedBackByItsRecoil) {
    const shared::Pixels bare = PlainBattle();
    struct Case {
        int32_t reload, damage, row, back;
    };
    const Case cases[] = {{100, 10, 3, 5}, {99, 10, 4, 4}, {80, 10, 4, 4},
                          {79, 10, 5, 3},  {40, 10, 6, 2}, {19, 10, 8, 0},
                          {0, 10, 8, 0},   {60, 20, 5, 6}, {99, 30, 4, 12}};
    const int32_t along[][2] = {{0, 1}, {-1, 0}, {0, -1}, {1, 0}};  // down, left, up, right
    for (int32_t d = 0; d < 4; ++d)
        for (const Case& c : cases) {
            TankRecord tank = TankAt(200, 300, Up);
            tank.turretDir = d;
            tank.reloadTimer = c.reload;
            tank.bulletDamage = c.damage;
            const int band = 10 * tank.band;
            const shared::Pixels hull =
                WithSprite(bare, TankSheet, TankSprite * Up, 2 * TankSprite * band, 200, 300);
            EXPECT_TRUE(Drawn([&] { DrawTank(tank, false); }) ==
                        WithSprite(hull, TankSheet, TankSprite * d, 2 * TankSprite * (band + c.row),
                                   200 - along[d][0] * c.back, 300 - along[d][1] * c.back))
                << "direction " << d << " reload " << c.reload << " damage " << c.damage;
        }
}

// The trail is drawn behind the shell, 36, 28, 20, 12, 20, 28 and 36 pixels
// back over its seven frames, and the shell over it.
TEST(DrawBullet, TheTrailFollowsTheBulletAtItsSevenDistances) {
    const shared::Pixels bare = PlainBattle();
    const int32_t distance[] = {36, 28, 20, 12, 20, 28, 36};
    const int32_t behind[][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};
    for (int32_t d = 0; d < 4; ++d)
        for (int32_t f = 0; f < 7; ++f) {
            const Bullet bullet{.band = 2,
                                .spare = 100,
                                .direction = d,
                                .x = 300,
                                .y = 200,
                                .speed = 8,
                                .damage = 10,
                                .frame = f};
            const shared::Pixels trail = WithSprite(
                bare, BulletSheet, BulletSprite * d, 8 * BulletSprite,
                300 + behind[d][0] * distance[f], 200 + behind[d][1] * distance[f], BulletSprite);
            EXPECT_TRUE(Drawn([&] { DrawBullet(bullet); }) ==
                        WithSprite(trail, BulletSheet, BulletSprite * d, 2 * BulletSprite * 2, 300,
                                   200, BulletSprite))
                << "direction " << d << " frame " << f;
        }
}

// A flash, a tank's and an item's sprite are checked against the picture
// without them with the sheet's sprite laid on by the masking rule.
TEST(DrawTank, TheFlashShowsFortyEightPixelsBeyondTheGunForThreeTicks) {
    PlainBattle();
    TankRecord& p = Players[0].tank;
    p = TankAt(448, 384, Right);
    p.turretDir = Right;
    p.reloadTimer = 100;
    p.flashTicks = 3;
    const int flashRow = 2 * TankSprite * (10 * p.band + 9);
    for (int tick = 0; tick < 4; ++tick) {
        SCOPED_TRACE("tick " + std::to_string(tick));
        const TankRecord before = p;
        ComposeFrame();
        const shared::Pixels shown = headless::WindowPicture()->pixels;
        const TankRecord after = p;
        p = before;
        p.flashTicks = 0;
        ComposeFrame();
        const shared::Pixels plain = headless::WindowPicture()->pixels;
        p = after;
        // 48 pixels beyond the gun, which the reload's recoil pushes back.
        const int32_t gunX = 448 - before.reloadTimer / 20;
        if (tick < 3) {
            EXPECT_TRUE(shown ==
                        WithSprite(plain, TankSheet, TankSprite * Right, flashRow, gunX + 48, 384));
            EXPECT_FALSE(shown == plain);
        } else {
            EXPECT_TRUE(shown == plain);
        }
    }
    EXPECT_EQ(p.flashTicks, 0);
}

// The wreck of the player's tank is not drawn at all until the respawn; a
// flash under way still shows where the gun was.
TEST(DrawTank, ADestroyedTankLeavesNothingButItsFlash) {
    PlainBattle();
    TankRecord& p = Players[0].tank;
    p = TankAt(448, 384, Right);
    p.turretDir = Right;
    Players[0].destroyed = true;
    const shared::Pixels bare = Drawn([] {});
    ComposeFrame();
    EXPECT_TRUE(headless::WindowPicture()->pixels == bare);

    // A reload of 60 pushes the gun 3 pixels back.
    p.reloadTimer = 60;
    p.flashTicks = 2;
    ComposeFrame();
    EXPECT_TRUE(headless::WindowPicture()->pixels == WithSprite(bare, TankSheet, TankSprite * Right,
                                                                2 * TankSprite * (10 * p.band + 9),
                                                                445 + 48, 384));
}

// In a game of two each tank wears its player's numbered plate over its
// hull and gun, two pixels in from its top-left and its bottom-right corner
// (so one shows whichever way it faces); grass hides it with
// the tank, a wreck has none, and a game of one shows no plate at all.
TEST(DrawPlayerMark, InAGameOfTwoEachTankShowsItsPlayersPlate) {
    const shared::Pixels bare = PlainBattle();
    TankRecord& p1 = Players[0].tank;
    TankRecord& p2 = Players[1].tank;
    p1 = TankAt(192, 384, Right);
    p2 = TankAt(576, 256, Left);
    auto tank = [](const shared::Pixels& under, const TankRecord& t) {
        const int row = 2 * TankSprite * 10 * t.band;
        return WithSprite(WithSprite(under, TankSheet, TankSprite * t.moveDir, row, t.x, t.y),
                          TankSheet, TankSprite * t.turretDir, row + 2 * TankSprite * 8, t.x, t.y);
    };
    auto plate = [](const shared::Pixels& under, const TankRecord& t, int player) {
        const int far = TankSprite - 2 - MarkSprite;
        return WithSprite(
            WithSprite(under, MarkSheet, MarkSprite * player, 0, t.x + 2, t.y + 2, MarkSprite),
            MarkSheet, MarkSprite * player, 0, t.x + far, t.y + far, MarkSprite);
    };
    BattleState.PlayerCount = 1;
    ComposeFrame();
    EXPECT_TRUE(headless::WindowPicture()->pixels == tank(bare, p1))
        << "a game of one draws the first tank alone and unmarked";

    BattleState.PlayerCount = 2;
    ComposeFrame();
    EXPECT_TRUE(headless::WindowPicture()->pixels ==
                plate(tank(plate(tank(bare, p1), p1, 0), p2), p2, 1));
    EXPECT_FALSE(plate(bare, p1, 0) == plate(bare, p1, 1)) << "the two plates differ";

    Players[1].destroyed = true;
    ComposeFrame();
    EXPECT_TRUE(headless::WindowPicture()->pixels == plate(tank(bare, p1), p1, 0));

    // Under grass the tank and its plate are both hidden: the frame is that
    // of the field without the second tank.
    WorkingGrid[4 * GridColumns + 9] = Grass;
    ComposeFrame();
    const shared::Pixels without = headless::WindowPicture()->pixels;
    Players[1].destroyed = false;
    ComposeFrame();
    EXPECT_TRUE(headless::WindowPicture()->pixels == without);
}

// Each item is its own ball of the cell sheet's item row, drawn with its
// corner where it lies, also off the grid.
TEST(DrawItem, EachItemShowsItsOwnBallWhereItLies) {
    const shared::Pixels bare = PlainBattle();
    const int itemRow = 2 * CellSprite * 6;
    std::vector<shared::Pixels> pictures;
    for (int32_t item : {ArmourItem, FireRateItem, SpeedItem, ExtraBulletItem}) {
        BattleState.DroppedItem = item;
        BattleState.ItemX = 130 + 150 * item;
        BattleState.ItemY = 200 - 7 * item;
        const shared::Pixels shown = Drawn(DrawItem);
        EXPECT_TRUE(shown == WithSprite(bare, CellSheet, CellSprite * item, itemRow,
                                        BattleState.ItemX, BattleState.ItemY))
            << "item " << item;
        EXPECT_FALSE(shown == bare) << "item " << item;
        // The same place for every item: the pictures must differ.
        BattleState.ItemX = 300;
        BattleState.ItemY = 300;
        pictures.push_back(Drawn(DrawItem));
    }
    for (size_t a = 0; a < pictures.size(); ++a)
        for (size_t b = a + 1; b < pictures.size(); ++b)
            EXPECT_FALSE(pictures[a] == pictures[b]) << "items " << a << " and " << b;
    BattleState.DroppedItem = NoItem;
    EXPECT_TRUE(Drawn(DrawItem) == bare);
}

// An explosion shows each of its eight pictures for three ticks, with its
// corner where it was spawned.
TEST(DrawEffect, EachFrameShowsItsPicture) {
    const shared::Pixels bare = PlainBattle();
    for (int32_t frame = 0; frame < 24; ++frame) {
        const Effect effect{.x = 300 - frame, .y = 200 + frame, .frame = frame, .finished = false};
        EXPECT_TRUE(Drawn([&] { DrawEffect(effect); }) ==
                    WithSprite(bare, EffectSheet, EffectSprite * (frame / 3), 0, effect.x, effect.y,
                               EffectSprite))
            << "frame " << frame;
    }
}

// The editor's brush is its block's picture centred on the mouse, also where
// it hangs over the field's edges.
TEST(DrawBrush, TheBlockIsCentredOnThePointer) {
    const shared::Pixels bare = PlainBattle();
    struct Case {
        int32_t code, x, y, sx, sy;
    };
    for (Case c : {Case{Brick, 100, 200, 64, 0}, Case{Stone, 5, 3, 192, 128},
                   Case{Water, 950, 700, 0, 384}, Case{Base, 333, 444, 128, 256}}) {
        EXPECT_TRUE(Drawn([&] { DrawBrush(c.code, c.x, c.y); }) ==
                    WithSprite(bare, CellSheet, c.sx, c.sy, c.x - 32, c.y - 32))
            << "code " << c.code;
    }
}
