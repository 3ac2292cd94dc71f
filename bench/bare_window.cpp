// The floor the desktop program's memory is compared with: a bare SDL window
// of the field's size (video, audio and game controllers started, and the
// window's pixels not backed by a texture, as the program does) that fills
// its window surface with a changing colour at 100 frames a second for the
// given seconds, then prints its peak resident memory. Run on the same display as the program (see
// bench/memory_measure.sh).
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

// The kernel's count of the peak resident memory, in kB (0 if unknown).
long PeakResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

void Fill(SDL_Surface* surface, uint32_t colour) {
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0)
        return;
    for (int row = 0; row < surface->h; ++row) {
        auto* pixels = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                                   size_t(row) * size_t(surface->pitch));
        for (int column = 0; column < surface->w; ++column)
            pixels[column] = colour;
    }
    if (SDL_MUSTLOCK(surface))
        SDL_UnlockSurface(surface);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    // Otherwise SDL opens an OpenGL context only to decide, which alone
    // holds several times the memory of everything else here.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO | SDL_INIT_GAMECONTROLLER) != 0) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("Bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          960, 704, SDL_WINDOW_SHOWN);
    if (!window) {
        std::fprintf(stderr, "SDL: %s\n", SDL_GetError());
        return 1;
    }
    const Uint64 end = SDL_GetTicks64() + Uint64(seconds) * 1000;
    uint32_t colour = 0;
    bool quit = false;
    while (!quit && SDL_GetTicks64() < end) {
        SDL_Event event;
        while (SDL_PollEvent(&event))
            quit = quit || event.type == SDL_QUIT;
        if (SDL_Surface* surface = SDL_GetWindowSurface(window)) {
            Fill(surface, colour += 0x010203);
            SDL_UpdateWindowSurface(window);
        }
        SDL_Delay(10);
    }
    std::printf("VmHWM: %ld kB\n", PeakResidentKb());
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
