// The layered frame shows exactly what drawing everything every frame shows,
// over long random stretches of play: moves, shots, level changes, the editor,
// minimising and the upgrade keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string_view>
#include <vector>

#include "levels/level_grid.h"
#include "platform/headless/headless.h"
#include "platform/shared/surfaces.h"
#include "render/frame_layers.h"
#include "render/sheets.h"
#include "state/program_state.h"
#include "tests/unit/test_support.h"
#include "texts/texts.h"

namespace {

struct Shown {
    int64_t tick;
    uint64_t hash;
};

uint64_t Hash(const platform::SurfaceData& picture) {
    uint64_t hash = 1469598103934665603ull;
    for (size_t i = 0; i < picture.pixels.size(); ++i)
        hash = (hash ^ picture.pixels[i]) * 1099511628211ull;
    return hash;
}

// The grass of the art hides a tank whole; holes in it (see-through pixels and
// some that break the masking rule) let the tanks under it show, as other art
// may.
void PunchHolesInTheGrass() {
    int32_t kind = CellTerrain(Grass);
    int sx = 64 * (kind % 4), sy = 128 * (kind / 4);
    shared::ReadyPixels(CellSheet);
    shared::ReadyPixels(TankSheet);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            uint32_t* image = &CellSheet->pixels[size_t(sy + y) * CellSheet->width + sx + x];
            uint32_t* mask = image + size_t(64) * CellSheet->width;
            if ((x / 4 + y / 4) % 3 == 0) {
                *image = 0xFFFFFF;
                *mask = 0;
            } else if ((x + 2 * y) % 11 == 0) {
                *mask = 0x3060F0;
            }
        }
    }
    CellSheet->spriteRuns.clear();
    // And pixels of the tanks that break the masking rule, which the layered
    // frame draws over grass where the plain one draws them over the ground.
    for (size_t i = 0; i < TankSheet->pixels.size(); i += 7)
        if ((i / TankSheet->width / 64) % 2 == 1 && TankSheet->pixels[i] == 0xFFFFFF)
            TankSheet->pixels[i] = 0x0FC00F;
    TankSheet->spriteRuns.clear();
}

// A screen that takes from each frame only the parts its hint names, as the
// desktop window does, whenever the frame follows the one it shows.
struct HintedScreen {
    std::vector<uint32_t> pixels;
    uint64_t serial = 0;
    int framesByHint = 0;
    int framesWhole = 0;
    int wrongFrames = 0;
};
HintedScreen Screen;

void ShowOnScreen(const platform::SurfaceData& frame) {
    HintedScreen& screen = Screen;
    if (frame.changesKnown && frame.frameSerial == screen.serial + 1 && !screen.pixels.empty()) {
        for (const platform::Rect& r : frame.changes)
            for (int y = r.y; y < r.y + r.height; ++y)
                for (int x = r.x; x < r.x + r.width; ++x)
                    screen.pixels[size_t(y) * frame.width + x] =
                        frame.pixels[size_t(y) * frame.width + x];
        ++screen.framesByHint;
    } else {
        screen.pixels.assign(frame.pixels.begin(), frame.pixels.end());
        ++screen.framesWhole;
    }
    screen.serial = frame.frameSerial;
}

const int HeldKeys[] = {platform::VK_UP,
                        platform::VK_DOWN,
                        platform::VK_LEFT,
                        platform::VK_RIGHT,
                        'W',
                        'A',
                        'S',
                        'D',
                        platform::VK_SPACE,
                        'L',
                        'Z',
                        'F',
                        platform::VK_LBUTTON,
                        platform::VK_RBUTTON,
                        '3',
                        '7'};

// One tick's input out of the generator: keys pressed and let go, now and
// then the editor, a level change, minimising, the pause or the mouse.
void RandomInput(std::mt19937& random, int& minimisedFor) {
    uint32_t roll = random() % 1000;
    int key = HeldKeys[random() % (sizeof HeldKeys / sizeof HeldKeys[0])];
    // Keys go down and up often; Z stays rare, or the level restarts all
    // the time.
    if (key == 'Z' || key == 'F') {
        if (roll < 40)
            headless::SetKeyDown(key, roll < 15);
    } else if (roll < 300) {
        headless::SetKeyDown(key, roll < 160);
    }
    if (roll >= 990) {
        headless::Deliver(platform::WM_KEYDOWN, platform::VK_F1, 1);
    } else if (roll >= 985) {
        headless::Deliver(platform::WM_KEYDOWN, random() % 2 ? platform::VK_UP : platform::VK_DOWN,
                          1);
    } else if (roll >= 982 && minimisedFor == 0) {
        headless::Deliver(platform::WM_SIZE, platform::SIZE_MINIMIZED, 0);
        minimisedFor = 1 + int(random() % 20);
    } else if (roll >= 978) {
        headless::Deliver(platform::WM_KEYDOWN, 'P', 1);
    }
    if (roll % 7 == 0) {
        intptr_t x = random() % 1100, y = random() % 800;
        headless::Deliver(platform::WM_MOUSEMOVE, 0, intptr_t((y << 16) | (x - 50)));
    }
    if (minimisedFor > 0 && --minimisedFor == 0)
        headless::Deliver(platform::WM_SIZE, platform::SIZE_RESTORED, (704 << 16) | 960);
}

// Plays `ticks` ticks driven by a generator of the seed, drawing the layered
// way or the plain way, and gives the hash of the window after every tick.
std::vector<Shown> Play(uint32_t seed, int ticks, bool everything) {
    Screen = {};
    shared::SetPresentHook(ShowOnScreen);
    StartGame(seed);
    DrawFramesWhole = everything;  // after the reset of a game's start
    PunchHolesInTheGrass();
    // Every question is answered yes (into the editor and back, a new game)
    // but whether to save the edits: a saved map would reach the next run.
    headless::SetBoxAnswerer([](const char* text, const char*, uint32_t type) {
        if ((type & 0xF) != platform::MB_YESNO)
            return platform::IDOK;
        return std::string_view(text) == Text(AskSaveMap) ? platform::IDNO : platform::IDYES;
    });
    std::mt19937 random(seed);
    std::vector<Shown> shown;
    int minimisedFor = 0;
    for (int tick = 0; tick < ticks; ++tick) {
        RandomInput(random, minimisedFor);
        headless::StepTick();
        if (headless::QuitPosted())
            break;
        const platform::SurfaceData& window = *headless::WindowPicture();
        shown.push_back({tick, Hash(window)});
        if (!std::equal(Screen.pixels.begin(), Screen.pixels.end(), window.pixels.begin()) &&
            Screen.wrongFrames++ < 3)
            ADD_FAILURE() << "seed " << seed << ": the screen kept from hints differs after tick "
                          << tick;
    }
    shared::SetPresentHook(nullptr);
    DrawFramesWhole = false;
    return shown;
}

}  // namespace

TEST(LayeredFrame, ShowsWhatDrawingEverythingShowsOverRandomPlay) {
    for (uint32_t seed : {3u, 1234u}) {
        std::vector<Shown> layered = Play(seed, 1500, false);
        // Nearly every frame reaches the screen by its hint alone.
        EXPECT_GT(Screen.framesByHint, 10 * Screen.framesWhole) << "seed " << seed;
        EXPECT_EQ(Screen.wrongFrames, 0) << "seed " << seed;
        std::vector<Shown> plain = Play(seed, 1500, true);
        ASSERT_EQ(layered.size(), plain.size());
        int differing = 0;
        for (size_t i = 0; i < layered.size(); ++i) {
            if (layered[i].hash != plain[i].hash && differing++ < 5)
                ADD_FAILURE() << "seed " << seed << ": frame after tick " << layered[i].tick
                              << " differs";
        }
        EXPECT_EQ(differing, 0);
    }
}

TEST(LayeredFrame, ShowsTheEditorsChangesAndTheGrassOverTanks) {
    // A level full of grass and animated cells with the player driving under
    // the grass, then the editor painting over the tanks' old places.
    std::vector<uint64_t> seen[2];
    for (int way = 0; way < 2; ++way) {
        Screen = {};
        shared::SetPresentHook(ShowOnScreen);
        StartGame(5);
        DrawFramesWhole = way == 1;
        PunchHolesInTheGrass();
        for (int i = 0; i < LevelCellCount; ++i) {
            int column = i % GridColumns, row = i / GridColumns;
            if (row >= 9 && column >= 6 && column <= 8)
                continue;  // the base and its bricks stay
            // Grass everywhere the tanks drive, with water and burning bricks
            // along the top and right edges.
            bool edge = row == 0 || column == GridColumns - 1;
            WorkingGrid[i] = !edge ? Grass : (column + row) % 2 ? Water : 4;
        }
        for (int i = 0; i < 60; ++i) {
            headless::SetKeyDown(i < 30 ? platform::VK_LEFT : platform::VK_UP, true);
            headless::SetKeyDown(platform::VK_SPACE, i % 9 == 0);
            headless::StepTick();
            seen[way].push_back(Hash(*headless::WindowPicture()));
            EXPECT_EQ(Screen.pixels,
                      std::vector<uint32_t>(headless::WindowPicture()->pixels.begin(),
                                            headless::WindowPicture()->pixels.end()))
                << "the screen kept from hints, tick " << i;
            headless::ReleaseAllKeys();
        }
        shared::SetPresentHook(nullptr);
        DrawFramesWhole = false;
    }
    EXPECT_EQ(seen[0], seen[1]);
}
