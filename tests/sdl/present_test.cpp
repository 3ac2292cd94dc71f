// How a frame reaches the desktop window's pixels: the one-pass nearest-
// neighbour scaling against a plain reference, and the window itself on
// SDL's dummy driver (field, bars painted only when they change, the box
// over the dimmed field).
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/host.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_desktop.h"
#include "platform/shared/dialog.h"
#include "platform/shared/frame_scale.h"
#include "platform/shared/surfaces.h"

namespace {

constexpr uint32_t Untouched = 0xDEADBEEF;

uint32_t Colour(int x, int y) {
    return uint32_t(x * 0x010203 + y * 0x0A0B0C + 0x404040) & 0xFFFFFF;
}

// The frame scaled into a rectangle of an output of 40 x 30, its rows 48
// long.
constexpr int OutWidth = 40, OutHeight = 30, OutPitch = 48;

struct Case {
    int frameWidth, frameHeight;
    int x, y, width, height;  // the rectangle in the output
    bool dim;
    uint32_t alpha;
};

const Case Cases[] = {
    {7, 5, 3, 2, 7, 5, false, 0},             // same size
    {7, 5, 0, 0, 14, 10, false, 0},           // 2x
    {7, 5, 1, 1, 21, 15, false, 0},           // 3x
    {7, 5, 2, 3, 17, 12, false, 0},           // fit: no whole factor
    {12, 10, 5, 5, 7, 5, false, 0},           // smaller than the frame
    {7, 5, 4, 4, 14, 10, true, 0},            // dimmed behind a box
    {7, 5, 0, 0, 17, 12, true, 0xFF000000u},  // dimmed, alpha on top
    {7, 5, 0, 0, 7, 5, false, 0xFF000000u},   // alpha alone
    {7, 5, -6, -4, 21, 15, false, 0},         // beyond the top left corner
    {7, 5, 30, 22, 17, 12, false, 0},         // beyond the bottom right
    {7, 5, 33, 25, 14, 10, false, 0},         // 2x, cut off on the right
};

// The case's frame, in rows longer than its width (as a pitch may be).
std::vector<uint32_t> TestFrame(const Case& c) {
    std::vector<uint32_t> frame(size_t(c.frameWidth + 3) * c.frameHeight, Untouched);
    for (int y = 0; y < c.frameHeight; ++y)
        for (int x = 0; x < c.frameWidth; ++x)
            frame[size_t(y) * (c.frameWidth + 3) + x] = Colour(x, y);
    return frame;
}

// The frame pixel an output pixel shows, or (-1, -1).
std::pair<int, int> Shows(const Case& c, int x, int y) {
    const int dx = x - c.x, dy = y - c.y;
    if (x >= OutWidth || dx < 0 || dx >= c.width || dy < 0 || dy >= c.height)
        return {-1, -1};
    return {dx * c.frameWidth / c.width, dy * c.frameHeight / c.height};
}

std::string Describe(const Case& c) {
    return std::to_string(c.frameWidth) + "x" + std::to_string(c.frameHeight) + " to " +
           std::to_string(c.width) + "x" + std::to_string(c.height) + " at " + std::to_string(c.x) +
           "," + std::to_string(c.y) + (c.dim ? " dim" : "");
}

TEST(ScaleFrame, EveryOutputPixelIsItsNearestFramePixelAndNothingElseIsWritten) {
    for (const Case& c : Cases) {
        const std::vector<uint32_t> frame = TestFrame(c);
        std::vector<uint32_t> out(size_t(OutPitch) * OutHeight, Untouched);
        shared::ScaleFrame({frame.data(), c.frameWidth, c.frameHeight, c.frameWidth + 3},
                           {out.data(), OutWidth, OutHeight, OutPitch}, c.x, c.y, c.width, c.height,
                           c.dim, c.alpha);
        int wrong = 0;
        for (int y = 0; y < OutHeight; ++y)
            for (int x = 0; x < OutPitch; ++x) {
                const auto [sx, sy] = Shows(c, x, y);
                uint32_t expected = Untouched;
                if (sx >= 0)
                    expected = (c.dim ? Colour(sx, sy) >> 1 & 0x7F7F7F : Colour(sx, sy)) | c.alpha;
                wrong += out[size_t(y) * OutPitch + x] != expected;
            }
        EXPECT_EQ(wrong, 0) << Describe(c);
    }
}

// A part of the frame alone (never dimmed) writes exactly the output pixels
// that show it, and tells which.
TEST(ScaleFrame, APartWritesExactlyTheOutputPixelsThatShowItsFramePixels) {
    // Parts of the frame, some reaching past its edges.
    const struct {
        int x, y, width, height;
    } parts[] = {{0, 0, 7, 5}, {2, 1, 3, 2},   {6, 4, 1, 1},
                 {0, 3, 1, 2}, {-2, -1, 4, 3}, {5, 2, 9, 9}};
    for (const Case& c : Cases) {
        if (c.dim)
            continue;
        const std::vector<uint32_t> frame = TestFrame(c);
        for (const auto& p : parts) {
            std::vector<uint32_t> out(size_t(OutPitch) * OutHeight, Untouched);
            const shared::OutputRect written = shared::ScaleFramePart(
                {frame.data(), c.frameWidth, c.frameHeight, c.frameWidth + 3},
                {out.data(), OutWidth, OutHeight, OutPitch}, c.x, c.y, c.width, c.height, c.alpha,
                p.x, p.y, p.width, p.height);
            int wrong = 0, shown = 0;
            for (int y = 0; y < OutHeight; ++y)
                for (int x = 0; x < OutPitch; ++x) {
                    const auto [sx, sy] = Shows(c, x, y);
                    const bool inPart = sx >= 0 && sx >= p.x && sx < p.x + p.width && sy >= p.y &&
                                        sy < p.y + p.height;
                    wrong += out[size_t(y) * OutPitch + x] !=
                             (inPart ? Colour(sx, sy) | c.alpha : Untouched);
                    wrong += inPart != (x >= written.x && x < written.x + written.width &&
                                        y >= written.y && y < written.y + written.height);
                    shown += inPart;
                }
            EXPECT_EQ(wrong, 0) << Describe(c) << ", part " << p.x << "," << p.y << " " << p.width
                                << "x" << p.height;
            if (shown == 0) {
                EXPECT_EQ(written.width * written.height, 0);
            }
        }
    }
}

intptr_t Procedure(platform::Window window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return platform::DefWindowProc(window, message, wParam, lParam);
}

uint32_t At(SDL_Surface* surface, int x, int y) {
    return static_cast<const uint32_t*>(surface->pixels)[size_t(y) * (surface->pitch / 4) + x] &
           0xFFFFFF;
}

// The window on the dummy driver: what its own pixels hold after a present.
// Each test sizes the window and copies the test frame into it first.
class DesktopPresent : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
        SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_TRUE(sdl::StartVideo());
        platform::RegisterClass("Test", 0, 110, Procedure);
        Window = platform::CreateWindow("Test", "Morvask V1.0", 0, 0, 0, 966, 732);
        ASSERT_NE(Window, nullptr);
        platform::ShowWindow(Window, platform::SW_SHOWNORMAL);
        Frame = shared::NewSurface(sdl::FieldWidth, sdl::FieldHeight);
    }

    void SetUp() override { ASSERT_NE(Window, nullptr); }

    // The window at this size of its pixels, the last frame shown again.
    static void Resize(int width, int height) {
        SDL_SetWindowSize(sdl::Desktop.window.sdlWindow, width, height);
        sdl::Redraw();
    }

    // Draws the test colours into the window's surface and copies a frame of
    // them in, as the game does; returns the window's pixels.
    static SDL_Surface* CopyTestFrame() {
        platform::Surface screen = platform::GetDC(Window);
        for (int y = 0; y < sdl::FieldHeight; ++y)
            for (int x = 0; x < sdl::FieldWidth; ++x)
                screen->pixels[size_t(y) * sdl::FieldWidth + x] = Colour(x, y);
        Frame->pixels = screen->pixels;
        platform::BitBlt(screen, 0, 0, sdl::FieldWidth, sdl::FieldHeight, Frame, 0, 0,
                         platform::SRCCOPY);
        return SDL_GetWindowSurface(sdl::Desktop.window.sdlWindow);
    }

    static inline platform::Window Window = nullptr;
    static inline platform::Surface Frame = nullptr;
};

TEST_F(DesktopPresent, AFrameIsShownAtOnceAndEveryFieldPixelIsABlockAtTwiceTheSize) {
    Resize(sdl::FieldWidth, sdl::FieldHeight);
    SDL_Surface* pixels = CopyTestFrame();
    ASSERT_NE(pixels, nullptr);
    ASSERT_EQ(pixels->w, sdl::FieldWidth);
    EXPECT_EQ(At(pixels, 0, 0), Colour(0, 0));
    EXPECT_EQ(At(pixels, 959, 703), Colour(959, 703));
    EXPECT_EQ(At(pixels, 480, 300), Colour(480, 300));

    Resize(1920, 1408);
    pixels = SDL_GetWindowSurface(sdl::Desktop.window.sdlWindow);
    ASSERT_EQ(pixels->w, 1920);
    int wrong = 0;
    for (int y = 0; y < 1408; y += 7)
        for (int x = 0; x < 1920; x += 5)
            wrong += At(pixels, x, y) != Colour(x / 2, y / 2);
    EXPECT_EQ(wrong, 0);
}

// A window wider than the field: black bars beside it, painted when the
// field's place changed and left alone by later frames.
TEST_F(DesktopPresent, BarsBesideTheFieldArePaintedOnlyWhenItsPlaceChanges) {
    CopyTestFrame();
    Resize(1500, 800);
    SDL_Surface* pixels = SDL_GetWindowSurface(sdl::Desktop.window.sdlWindow);
    ASSERT_EQ(sdl::CurrentView().field.x, 270);
    EXPECT_EQ(At(pixels, 0, 0), 0u);
    EXPECT_EQ(At(pixels, 269, 400), 0u);
    EXPECT_EQ(At(pixels, 1230, 400), 0u);
    EXPECT_EQ(At(pixels, 700, 799), 0u);
    EXPECT_EQ(At(pixels, 270, 48), Colour(0, 0));
    static_cast<uint32_t*>(pixels->pixels)[0] = 0x123456;
    sdl::PresentFrame(platform::GetDC(Window));
    EXPECT_EQ(At(pixels, 0, 0), 0x123456u) << "a bar was painted again without a change";
    EXPECT_EQ(At(pixels, 1229, 751), Colour(959, 703));
}

// The next frame told where it changed: only those pixels are written; a
// frame copied without a hint is written whole.
TEST_F(DesktopPresent, AFrameToldWhereItChangedWritesOnlyThosePixels) {
    Resize(1500, 800);
    SDL_Surface* pixels = CopyTestFrame();
    ASSERT_EQ(sdl::CurrentView().field.x, 270);
    static_cast<uint32_t*>(pixels->pixels)[size_t(48) * (pixels->pitch / 4) + 270] = 0x123456;
    for (int y = 100; y < 110; ++y)
        for (int x = 200; x < 216; ++x)
            Frame->pixels[size_t(y) * sdl::FieldWidth + x] = 0xABCDEF;
    platform::Surface screen = platform::GetDC(Window);
    const platform::Rect changed{200, 100, 16, 10};
    platform::HintFrameChanges(screen, &changed, 1);
    platform::BitBlt(screen, 0, 0, sdl::FieldWidth, sdl::FieldHeight, Frame, 0, 0,
                     platform::SRCCOPY);
    EXPECT_EQ(At(pixels, 270 + 200, 48 + 100), 0xABCDEFu);
    EXPECT_EQ(At(pixels, 270 + 215, 48 + 109), 0xABCDEFu);
    EXPECT_EQ(At(pixels, 270 + 216, 48 + 109), Colour(216, 109));
    EXPECT_EQ(At(pixels, 270, 48), 0x123456u) << "a pixel outside the changes was written";

    CopyTestFrame();
    EXPECT_EQ(At(pixels, 270, 48), Colour(0, 0));
}

// An open box: the field dimmed around it, the box drawn at the output's
// resolution, and the bars painted again; closed, the field as it was.
TEST_F(DesktopPresent, AnOpenBoxDimsTheFieldAndClosedLeavesItAsItWas) {
    Resize(1500, 800);
    SDL_Surface* pixels = CopyTestFrame();
    static_cast<uint32_t*>(pixels->pixels)[0] = 0x123456;
    sdl::OpenDialog open;
    open.box = dialog::OpenBox("游戏暂停！休息一下！", "", platform::MB_OK);
    sdl::Desktop.dialog = &open;
    sdl::PresentFrame(nullptr);
    sdl::Desktop.dialog = nullptr;
    EXPECT_EQ(At(pixels, 0, 0), 0u);
    EXPECT_EQ(At(pixels, 270, 48), Colour(0, 0) >> 1 & 0x7F7F7F);
    const dialog::Rect& box = open.layout.frame;
    ASSERT_GT(box.width, 0);
    EXPECT_EQ(At(pixels, box.x, box.y + box.height / 2), 0xC9A84Cu) << "the box's border";

    sdl::PresentFrame(nullptr);
    EXPECT_EQ(At(pixels, 270, 48), Colour(0, 0));
    EXPECT_EQ(At(pixels, box.x, box.y + box.height / 2),
              Colour((box.x - 270), (box.y + box.height / 2 - 48)));
}

// The status the panel tests show: a game on level 3, enemies as set.
host::StatusShown TestStatus;

void GiveTestStatus(host::StatusShown& shown) {
    shown = TestStatus;
}

// Lit pixels (not black) of the window in columns [x0, x1).
int LitPixels(SDL_Surface* pixels, int x0, int x1) {
    int lit = 0;
    for (int y = 0; y < pixels->h; ++y)
        for (int x = x0; x < x1; ++x)
            lit += At(pixels, x, y) != 0;
    return lit;
}

// The status panel: in the bar right of the field where it has room, never
// over the field's pixels, drawn again only when what it says changes, gone
// with the status; where the bar is too narrow, the title says it instead.
// A status at level 3, shown by the panel where there is room.
void ShowTestStatus() {
    TestStatus = {};
    TestStatus.shown = true;
    TestStatus.heading = "LEVEL";
    TestStatus.level = 3;
    TestStatus.game = true;
    TestStatus.tanksLabel = "Tanks";
    TestStatus.enemiesLabel = "Enemies";
    TestStatus.upgradesLabel = "Upgrades";
    TestStatus.tanks = 2;
    TestStatus.enemies = 14;
    TestStatus.upgrades[1] = 2;
    TestStatus.upgradeCaps[0] = 2;
    TestStatus.upgradeCaps[1] = 4;
    TestStatus.titleSuffix = "Level 3";
    host::SetStatusDisplay(host::StatusAuto, GiveTestStatus);
}

TEST_F(DesktopPresent, TheStatusPanelSitsInTheBarAndIsDrawnOnlyWhenItChanges) {
    ShowTestStatus();
    // Whole multiples: the field at 1x in the middle, bars of 480 pixels.
    sdl::Desktop.options.scaleMode = host::ScaleInteger;
    Resize(1920, 1080);
    SDL_Surface* pixels = CopyTestFrame();
    ASSERT_EQ(sdl::CurrentView().field.x, 480);
    int wrong = 0;
    for (int y = 188; y < 188 + 704; y += 3)
        for (int x = 480; x < 1440; x += 3)
            wrong += At(pixels, x, y) != Colour(x - 480, y - 188);
    EXPECT_EQ(wrong, 0) << "the panel reached into the field";
    EXPECT_EQ(LitPixels(pixels, 0, 480), 0);
    EXPECT_EQ(LitPixels(pixels, 1440, 1456) + LitPixels(pixels, 1904, 1920), 0)
        << "the panel keeps its margins";
    EXPECT_GT(LitPixels(pixels, 1456, 1904), 20000);
    EXPECT_STREQ(SDL_GetWindowTitle(sdl::Desktop.window.sdlWindow), "Morvask V1.0");

    // Its heading's border, marked: a new frame with the same status leaves
    // it; a new status draws the panel again.
    int borderX = 1456;
    while (borderX < 1904 && At(pixels, borderX, 300) != 0xC9A84C)
        ++borderX;
    ASSERT_LT(borderX, 1904);
    uint32_t& mark =
        static_cast<uint32_t*>(pixels->pixels)[size_t(300) * (pixels->pitch / 4) + size_t(borderX)];
    mark = 0x123456;
    CopyTestFrame();
    EXPECT_EQ(At(pixels, borderX, 300), 0x123456u) << "the panel was drawn again unchanged";
    TestStatus.enemies = 13;
    CopyTestFrame();
    EXPECT_EQ(At(pixels, borderX, 300), 0xC9A84Cu);

    // No status: the bar is black again.
    TestStatus = {};
    CopyTestFrame();
    EXPECT_EQ(LitPixels(pixels, 1440, 1920), 0);
    host::SetStatusDisplay(host::StatusOff, nullptr);
    sdl::Desktop.options.scaleMode = host::ScaleAuto;
}

TEST_F(DesktopPresent, WhereTheBarIsTooNarrowTheTitleTellsTheStatus) {
    ShowTestStatus();
    sdl::Desktop.options.scaleMode = host::ScaleInteger;
    Resize(1200, 800);
    EXPECT_EQ(LitPixels(SDL_GetWindowSurface(sdl::Desktop.window.sdlWindow), 1080, 1200), 0);
    EXPECT_STREQ(SDL_GetWindowTitle(sdl::Desktop.window.sdlWindow),
                 "Morvask V1.0 \xE2\x80\x94 Level 3");
    TestStatus = {};
    sdl::Redraw();
    EXPECT_STREQ(SDL_GetWindowTitle(sdl::Desktop.window.sdlWindow), "Morvask V1.0");
    host::SetStatusDisplay(host::StatusOff, nullptr);
    sdl::Desktop.options.scaleMode = host::ScaleAuto;
}

}  // namespace
