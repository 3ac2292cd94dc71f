// The status panel beside the field: where it goes, and that the panel
// drawn alone in a buffer of its size (as the Windows window does) is the
// panel drawn in place in the whole output (as the SDL2 window does).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/shared/status_panel.h"

namespace {

using shared::PanelPixels;
using shared::PixelRect;
using shared::StatusShown;

// Any non-null sheet: the test's drawer paints a sprite's square itself.
const platform::SurfaceData* const SomeSheet = reinterpret_cast<const platform::SurfaceData*>(8);

// A sprite as a square of a colour made from where it was asked for on the
// sheet, clipped to the pixels given.
void SquareSprite(const PanelPixels& out, const shared::SheetSprite& sprite, int x, int y,
                  int size) {
    const uint32_t colour = 0x100000u + uint32_t(sprite.x * 7 + sprite.y);
    for (int row = std::max(0, y); row < std::min(out.height, y + size); ++row)
        for (int column = std::max(0, x); column < std::min(out.width, x + size); ++column)
            out.pixels[size_t(row) * size_t(out.pitch) + column] = colour;
}

StatusShown GameOfTwo() {
    StatusShown shown;
    shown.shown = true;
    shown.heading = "LEVEL";
    shown.level = 12;
    shown.game = true;
    shown.twoPlayers = true;
    shown.player1Label = "Player 1";
    shown.player2Label = "Player 2";
    shown.enemiesLabel = "Enemies";
    shown.tanks = 2;
    shown.tanks2 = 1;
    shown.enemies = 17;
    for (int u = 0; u < 4; ++u) {
        shown.upgradeCaps[u] = 4;
        shown.upgrades[u] = u;
        shown.upgrades2[u] = 3 - u;
        shown.items[u] = {SomeSheet, 64 * u, 128, 64, 64};
    }
    shown.playerTank[0] = {SomeSheet, 0, 0, 64, 64};
    shown.playerTank[1] = {SomeSheet, 0, 1024, 64, 64};
    shown.enemyTank[0] = {SomeSheet, 128, 512, 64, 64};
    shown.enemyTank[1] = {SomeSheet, 128, 1536, 64, 64};
    shown.playerMark[0] = {SomeSheet, 0, 0, 32, 32};
    shown.playerMark[1] = {SomeSheet, 32, 0, 32, 32};
    return shown;
}

TEST(StatusPanel, GoesInTheBarRightOfTheFieldWhereItHasRoom) {
    StatusShown shown = GameOfTwo();
    // Full screen at 1920 x 1080: the field at 1.5x, bars of 240.
    const PixelRect wide{240, 12, 1440, 1056};
    shared::StatusPanelPlace at = shared::PlaceStatusPanel(wide, 1920, 1080, shown);
    ASSERT_TRUE(at.fits);
    EXPECT_DOUBLE_EQ(at.unit, 1.5);  // as wide as the bar allows
    EXPECT_GE(at.rect.x, 1680);
    EXPECT_LE(at.rect.x + at.rect.width, 1920);
    EXPECT_EQ(at.rect.y, 12);
    EXPECT_LE(at.rect.y + at.rect.height, 1080);

    // A bar one pixel narrower than the room the panel needs: no panel.
    const PixelRect narrow{0, 0, 960, 704};
    EXPECT_TRUE(shared::PlaceStatusPanel(narrow, 960 + 160, 704, shown).fits);
    EXPECT_FALSE(shared::PlaceStatusPanel(narrow, 960 + 159, 704, shown).fits);
    // Never below one unit a pixel: a panel that would run past the bottom
    // does not show either.
    EXPECT_FALSE(shared::PlaceStatusPanel(narrow, 1200, 600, shown).fits);
    shown.twoPlayers = false;
    EXPECT_TRUE(shared::PlaceStatusPanel(narrow, 1200, 600, shown).fits);
}

TEST(StatusPanel, DrawnAloneItIsThePanelDrawnInPlace) {
    const StatusShown shown = GameOfTwo();
    const int width = 1500, height = 900;
    const PixelRect field{100, 50, 1200, 880 * 9 / 10};
    const shared::StatusPanelPlace at = shared::PlaceStatusPanel(field, width, height, shown);
    ASSERT_TRUE(at.fits);
    ASSERT_GT(at.unit, 1.0);

    std::vector<uint32_t> whole(size_t(width) * height, 0);
    shared::DrawStatusPanel({whole.data(), width, height, width}, 0, 0, at, shown, SquareSprite);
    const PixelRect r = at.rect;
    std::vector<uint32_t> alone(size_t(r.width) * r.height, 0);
    shared::DrawStatusPanel({alone.data(), r.width, r.height, r.width}, r.x, r.y, at, shown,
                            SquareSprite);

    int differ = 0, outside = 0, sprites = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t p = whole[size_t(y) * width + x];
            const bool in = x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
            if (!in) {
                outside += p != 0;
                continue;
            }
            differ += p != alone[size_t(y - r.y) * r.width + (x - r.x)];
            sprites += (p & 0xFF0000u) == 0x100000u;
        }
    }
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(outside, 0);
    // Tanks, plates and items were drawn, and the border is the outer line.
    EXPECT_GT(sprites, 1000);
    EXPECT_EQ(alone[0], 0x0B0E08u);
}

}  // namespace
