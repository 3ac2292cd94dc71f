// What it costs to get a 960 x 704 frame to an SDL window, on SDL's offscreen
// video driver (no display needed), against the floor of one plain frame
// copy. The frame is a picture of the window's size; each iteration presents
// it. (The platform layer stands below the game, so the game's own frame is
// measured in bench/frame_bench.cpp.)
//
// BM_PresentFrameRenderer: the streaming texture of the software renderer:
//   SDL_UpdateTexture, RenderClear, RenderCopy, RenderPresent.
// BM_PresentFrameWindowSurface: one copy into the window's own surface, then
//   SDL_UpdateWindowSurface (with the offscreen driver that shows nothing, so
//   this is the copy the program itself pays).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>

#include "platform/software/surfaces.h"

namespace {

constexpr int Width = 960, Height = 704;

struct Desktop {
    SDL_Window* window = nullptr;          // presented through its own surface
    SDL_Window* rendererWindow = nullptr;  // presented through a renderer
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    bool started = false;
};

Desktop Screen;

bool StartScreen() {
    if (Screen.started)
        return Screen.window != nullptr;
    Screen.started = true;
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    Screen.window = SDL_CreateWindow("bench", 0, 0, Width, Height, SDL_WINDOW_HIDDEN);
    if (!Screen.window)
        return false;
    return true;
}

const platform::SurfaceData& Picture() {
    static platform::Surface picture = nullptr;
    if (!picture) {
        picture = software::NewSurface(Width, Height);
        for (size_t i = 0; i < picture->pixels.size(); ++i)
            picture->pixels[i] = uint32_t(i * 2654435761u) & 0xFFFFFF;
    }
    return *picture;
}

}  // namespace

static void BM_MemcpyFrame(benchmark::State& state) {
    software::Pixels from(Width * Height, 0x123456), to(Width * Height);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyFrame);

static void BM_PresentFrameRenderer(benchmark::State& state) {
    if (!StartScreen()) {
        state.SkipWithError("no SDL video");
        return;
    }
    if (!Screen.renderer) {
        Screen.rendererWindow = SDL_CreateWindow("bench", 0, 0, Width, Height, SDL_WINDOW_HIDDEN);
        Screen.renderer = SDL_CreateRenderer(Screen.rendererWindow, -1, SDL_RENDERER_SOFTWARE);
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

namespace {

// One copy of the frame into the window's surface, row by row when the
// surface's rows are longer than the frame's.
bool PresentToWindowSurface(const platform::SurfaceData& picture) {
    SDL_Surface* surface = SDL_GetWindowSurface(Screen.window);
    if (!surface || surface->format->BytesPerPixel != 4)
        return false;
    const uint8_t* from = reinterpret_cast<const uint8_t*>(picture.pixels.data());
    uint8_t* to = static_cast<uint8_t*>(surface->pixels);
    if (surface->pitch == Width * 4) {
        std::memcpy(to, from, size_t(Width) * Height * 4);
    } else {
        for (int y = 0; y < Height; ++y)
            std::memcpy(to + size_t(y) * surface->pitch, from + size_t(y) * Width * 4, Width * 4);
    }
    return SDL_UpdateWindowSurface(Screen.window) == 0;
}

}  // namespace

static void BM_PresentFrameWindowSurface(benchmark::State& state) {
    if (!StartScreen()) {
        state.SkipWithError("no SDL video");
        return;
    }
    const platform::SurfaceData& picture = Picture();
    for (auto _ : state)
        if (!PresentToWindowSurface(picture))
            state.SkipWithError("no window surface");
}
BENCHMARK(BM_PresentFrameWindowSurface);

int main(int argc, char** argv) {
    // No display needed; SDL_VIDEODRIVER in the environment still wins.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    SDL_Quit();
    return 0;
}
