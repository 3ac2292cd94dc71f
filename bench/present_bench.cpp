// What it costs to get a 960 x 704 frame to an SDL window, on SDL's offscreen
// video driver (no display needed), against the floor of one plain frame
// copy. The frame is a picture of the field's size; each iteration presents
// it. (The platform layer stands below the game, so the game's own frame is
// measured in bench/frame_bench.cpp.)
//
// BM_PresentFrame/W/H: the desktop program's own way (sdl::PresentFrame):
//   one pass into the window's pixels, scaled to a window of W x H, then
//   SDL_UpdateWindowSurfaceRects (with the offscreen driver that shows
//   nothing, so this is what the program itself pays).
// BM_PresentFrameStatus/W/H/C: the same with the status panel beside the
//   field (hud = side): C = 0 shows the same status every frame (it is only
//   asked for and compared), C = 1 a new one every frame (the panel drawn
//   and sent again each time, the worst case).
// BM_PresentFrameRenderer: the earlier way, through the streaming texture of
//   the software renderer: SDL_UpdateTexture, RenderClear, RenderCopy,
//   RenderPresent.
// BM_PresentFrameMode/W/H/MODE: a whole frame in each scale mode;
// BM_PresentFrameChangesSharp: a frame of play in sharp at 1080p;
// BM_PresentSharpRendererLinear: sharp at 1080p the other way, a texture
//   scaled with linear filtering by the software renderer.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>

#include "platform/host.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_desktop.h"
#include "platform/shared/surfaces.h"

namespace {

constexpr int Width = 960, Height = 704;

struct RendererScreen {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
};

RendererScreen Screen;

const platform::SurfaceData& Picture() {
    static platform::Surface picture = nullptr;
    if (!picture) {
        picture = shared::NewSurface(Width, Height);
        for (size_t i = 0; i < picture->pixels.size(); ++i)
            picture->pixels[i] = uint32_t(i * 2654435761u) & 0xFFFFFF;
    }
    return *picture;
}

}  // namespace

static void BM_MemcpyFrame(benchmark::State& state) {
    shared::Pixels from(Width * Height, 0x123456), to(Width * Height);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyFrame);

static void BM_PresentFrameRenderer(benchmark::State& state) {
    if (!Screen.renderer) {
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            state.SkipWithError("no SDL video");
            return;
        }
        Screen.window = SDL_CreateWindow("bench", 0, 0, Width, Height, SDL_WINDOW_HIDDEN);
        Screen.renderer = SDL_CreateRenderer(Screen.window, -1, SDL_RENDERER_SOFTWARE);
        Screen.texture = SDL_CreateTexture(Screen.renderer, SDL_PIXELFORMAT_RGB888,
                                           SDL_TEXTUREACCESS_STREAMING, Width, Height);
    }
    const platform::SurfaceData& picture = Picture();
    for (auto _ : state) {
        SDL_UpdateTexture(Screen.texture, nullptr, picture.pixels.data(), Width * 4);
        SDL_SetRenderDrawColor(Screen.renderer, 0, 0, 0, 255);
        SDL_RenderClear(Screen.renderer);
        SDL_RenderCopy(Screen.renderer, Screen.texture, nullptr, nullptr);
        SDL_RenderPresent(Screen.renderer);
    }
}
BENCHMARK(BM_PresentFrameRenderer);

intptr_t Procedure(platform::Window window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return platform::DefWindowProc(window, message, wParam, lParam);
}

// The program's window on the offscreen driver, made once for all the
// benchmarks below; null when SDL has no video.
platform::Window BenchWindow(benchmark::State& state) {
    static platform::Window window = nullptr;
    if (!window) {
        if (!sdl::StartVideo()) {
            state.SkipWithError("no SDL video");
            return nullptr;
        }
        platform::RegisterClass("Bench", 0, 0, Procedure);
        window = platform::CreateWindow("Bench", "bench", 0, 0, 0, Width, Height);
        if (!window) {
            state.SkipWithError("no window");
            return nullptr;
        }
        platform::ShowWindow(window, platform::SW_SHOWNORMAL);
        platform::GetDC(window)->pixels = Picture().pixels;
    }
    return window;
}

static void BM_PresentFrame(benchmark::State& state) {
    platform::Window window = BenchWindow(state);
    if (!window)
        return;
    SDL_SetWindowSize(sdl::Desktop.window.sdlWindow, int(state.range(0)), int(state.range(1)));
    sdl::Redraw();
    const platform::SurfaceData* screen = platform::GetDC(window);
    for (auto _ : state)
        sdl::PresentFrame(screen);
}
BENCHMARK(BM_PresentFrame)
    ->Args({Width, Height})
    ->Args({2 * Width, 2 * Height})
    ->Args({1500, 800})
    ->Args({1920, 1080});

// A status as the game's: a sheet of the game's layout (tanks up to band 4,
// the items' row of the cell sheet), the enemies counting down when asked to.
bool StatusChanges = false;
int32_t StatusEnemies = 20;

void BenchStatus(host::StatusShown& shown) {
    static platform::Surface sheet = nullptr;
    if (!sheet) {
        sheet = shared::NewSurface(256, 2 * 64 * 50);
        for (size_t i = 0; i < sheet->pixels.size(); ++i)
            sheet->pixels[i] = uint32_t(i * 2246822519u) & 0xFFFFFF;
    }
    if (StatusChanges)
        StatusEnemies = StatusEnemies == 0 ? 20 : StatusEnemies - 1;
    shown = {.shown = true,
             .heading = "LEVEL",
             .level = 3,
             .game = true,
             .tanksLabel = "Tanks",
             .enemiesLabel = "Enemies",
             .upgradesLabel = "Upgrades",
             .tanks = 2,
             .enemies = StatusEnemies,
             .upgrades = {1, 2, 0, 1},
             .upgradeCaps = {2, 4, 4, 1},
             .twoPlayers = false,
             .player1Label = {},
             .player2Label = {},
             .tanks2 = 0,
             .upgrades2 = {},
             .playerTank = {{sheet, 128, 1280, 64, 64}, {sheet, 128, 2304, 64, 64}},
             .enemyTank = {{sheet, 0, 5120, 64, 64}, {sheet, 0, 6144, 64, 64}},
             .items = {{sheet, 0, 768, 64, 64},
                       {sheet, 64, 768, 64, 64},
                       {sheet, 128, 768, 64, 64},
                       {sheet, 192, 768, 64, 64}},
             .playerMark = {},
             .titleSuffix = "Level 3"};
}

static void BM_PresentFrameStatus(benchmark::State& state) {
    platform::Window window = BenchWindow(state);
    if (!window)
        return;
    host::SetStatusDisplay(host::StatusSide, BenchStatus);
    SDL_SetWindowSize(sdl::Desktop.window.sdlWindow, int(state.range(0)), int(state.range(1)));
    StatusChanges = false;
    sdl::Redraw();
    StatusChanges = state.range(2) != 0;
    const platform::SurfaceData* screen = platform::GetDC(window);
    for (auto _ : state)
        sdl::PresentFrame(screen);
    host::SetStatusDisplay(host::StatusOff, nullptr);
}
BENCHMARK(BM_PresentFrameStatus)->Args({1920, 1080, 0})->Args({1920, 1080, 1});

// A frame of busy play as the game presents it: told where it changed (here
// twenty sprite-sized rectangles, about a seventh of the field, as the moving
// tanks, bullets and explosions of the busy battle make), it writes and sends
// only those.
static void BM_PresentFrameChanges(benchmark::State& state) {
    platform::Window window = BenchWindow(state);
    if (!window)
        return;
    SDL_SetWindowSize(sdl::Desktop.window.sdlWindow, Width, Height);
    platform::Surface screen = platform::GetDC(window);
    platform::Surface frame = shared::NewSurface(Width, Height);
    frame->pixels = Picture().pixels;
    sdl::Redraw();
    platform::Rect changes[20];
    for (int i = 0; i < 20; ++i)
        changes[i] = {(i * 173) % (Width - 72), (i * 97) % (Height - 64), 72, 64};
    for (auto _ : state) {
        platform::HintFrameChanges(screen, changes, 20);
        platform::BitBlt(screen, 0, 0, Width, Height, frame, 0, 0, platform::SRCCOPY);
    }
}
BENCHMARK(BM_PresentFrameChanges);

// The scale modes of a full 1080p screen, and sharp at 2.5x and below 1x:
// a whole frame, as after a box or a resize.
static void BM_PresentFrameMode(benchmark::State& state) {
    platform::Window window = BenchWindow(state);
    if (!window)
        return;
    sdl::Desktop.options.scaleMode = host::ScaleMode(state.range(2));
    SDL_SetWindowSize(sdl::Desktop.window.sdlWindow, int(state.range(0)), int(state.range(1)));
    sdl::Redraw();
    const platform::SurfaceData* screen = platform::GetDC(window);
    for (auto _ : state)
        sdl::PresentFrame(screen);
    state.SetLabel(host::ScaleModeName(sdl::Desktop.options.scaleMode));
    sdl::Desktop.options.scaleMode = host::ScaleAuto;
}
BENCHMARK(BM_PresentFrameMode)
    ->Args({1920, 1080, host::ScaleInteger})
    ->Args({1920, 1080, host::ScaleFit})
    ->Args({1920, 1080, host::ScaleSharp})
    ->Args({2400, 1760, host::ScaleSharp})
    ->Args({853, 626, host::ScaleSharp});

// A frame of busy play (the twenty rectangles above) in sharp at 1080p.
static void BM_PresentFrameChangesSharp(benchmark::State& state) {
    platform::Window window = BenchWindow(state);
    if (!window)
        return;
    sdl::Desktop.options.scaleMode = host::ScaleSharp;
    SDL_SetWindowSize(sdl::Desktop.window.sdlWindow, 1920, 1080);
    platform::Surface screen = platform::GetDC(window);
    platform::Surface frame = shared::NewSurface(Width, Height);
    frame->pixels = Picture().pixels;
    sdl::Redraw();
    platform::Rect changes[20];
    for (int i = 0; i < 20; ++i)
        changes[i] = {(i * 173) % (Width - 72), (i * 97) % (Height - 64), 72, 64};
    for (auto _ : state) {
        platform::HintFrameChanges(screen, changes, 20);
        platform::BitBlt(screen, 0, 0, Width, Height, frame, 0, 0, platform::SRCCOPY);
    }
    sdl::Desktop.options.scaleMode = host::ScaleAuto;
}
BENCHMARK(BM_PresentFrameChangesSharp);

// The other way to sharp at 1080p: the frame (1x, the largest whole
// multiple there) in a texture scaled with linear filtering by SDL's
// software renderer into a 1920 x 1080 window.
static void BM_PresentSharpRendererLinear(benchmark::State& state) {
    static SDL_Window* window = nullptr;
    static SDL_Renderer* renderer = nullptr;
    static SDL_Texture* texture = nullptr;
    if (!renderer) {
        SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            state.SkipWithError("no SDL video");
            return;
        }
        window = SDL_CreateWindow("bench", 0, 0, 1920, 1080, SDL_WINDOW_HIDDEN);
        renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
        texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                    Width, Height);
        SDL_SetTextureScaleMode(texture, SDL_ScaleModeLinear);
    }
    const platform::SurfaceData& picture = Picture();
    const SDL_Rect field{223, 0, 1473, 1080};
    for (auto _ : state) {
        SDL_UpdateTexture(texture, nullptr, picture.pixels.data(), Width * 4);
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, &field);
        SDL_RenderPresent(renderer);
    }
}
BENCHMARK(BM_PresentSharpRendererLinear);

int main(int argc, char** argv) {
    // No display needed; SDL_VIDEODRIVER in the environment still wins.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    SDL_Quit();
    return 0;
}
