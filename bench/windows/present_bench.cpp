// What it costs the Windows program to get a 960 x 704 frame to its window,
// against the floor of one plain frame copy, as a timed loop (run it under
// Wine or on Windows, with the window on a screen):
//
//   copy           one 960 x 704 x 4-byte memcpy between two buffers
//   present WxH    the program's own way (the backend's BitBlt into the
//                  window's surface) into a client of W x H: the frame handed
//                  over, then a block copy at 1x, our own whole-multiple pass
//                  and a block copy at 2x, the system's stretch in between
//   changes WxH    the same for a frame of play told its changed parts
//   stretch WxH    the system's stretch (StretchBlt, COLORONCOLOR) of the
//                  whole frame into the window, at every scale
//   one-pass WxH   the desktop program's general one-pass scaling into a DIB
//                  section of the client's size, then one BitBlt
//
// Every presented frame is followed by the message loop's turn, in which
// Wine sends the window's pixels to the X server. Prints the median time of
// a present over rounds of frames and its ratio to the copy. With --paced it
// presents a frame of play's changes every 10 ms instead, as the game does.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/shared/frame_scale.h"
#include "platform/win32/backend.h"

namespace {

constexpr int Width = shared::FieldPixelsWide, Height = shared::FieldPixelsHigh;

double Now() {
    LARGE_INTEGER count, frequency;
    ::QueryPerformanceCounter(&count);
    ::QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) / double(frequency.QuadPart);
}

void Pump() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

double ThreadSeconds();

struct Time {
    double wall = 0;
    double cpu = 0;
};

// The mean time of one call of `step` over `frames` calls, in seconds.
template <typename Step>
Time MeanOf(int frames, Step step) {
    const double start = Now(), startCpu = ThreadSeconds();
    for (int k = 0; k < frames; ++k)
        step(k);
    return {(Now() - start) / frames, (ThreadSeconds() - startCpu) / frames};
}

intptr_t Procedure(platform::Window window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return platform::DefWindowProc(window, message, wParam, lParam);
}

void FillPicture(platform::Surface surface, uint32_t seed) {
    for (int i = 0; i < Width * Height; ++i)
        surface->pixels[i] = (uint32_t(i / 64) * 2654435761u + seed) & 0xFFFFFF;
}

void SetClient(HWND window, int width, int height) {
    RECT rect{0, 0, width, height};
    ::AdjustWindowRectEx(&rect, DWORD(::GetWindowLongW(window, GWL_STYLE)), FALSE, 0);
    ::SetWindowPos(window, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER);
    Pump();
}

// The other way: the desktop program's own one-pass scaling (the SDL2
// backend's ScaleFrame) into a DIB section of the client's size, then one
// block copy to the window.
struct OnePass {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    uint32_t* pixels = nullptr;
    int width = 0, height = 0;
};

void MakeOnePass(OnePass& pass, HDC like, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    pass.bitmap = ::CreateDIBSection(like, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pass.dc = ::CreateCompatibleDC(like);
    ::SelectObject(pass.dc, pass.bitmap);
    pass.pixels = static_cast<uint32_t*>(bits);
    pass.width = width;
    pass.height = height;
}

void ScaleOnePass(const OnePass& pass, const uint32_t* frame, const shared::PixelRect& field,
                  HDC window) {
    shared::ScaleFrame({frame, Width, Height, Width},
                       {pass.pixels, pass.width, pass.height, pass.width}, field.x, field.y,
                       field.width, field.height, false, 0);
    ::BitBlt(window, 0, 0, pass.width, pass.height, pass.dc, 0, 0, SRCCOPY);
}

// The time this thread has run, in seconds.
double ThreadSeconds() {
    FILETIME created, ended, kernel, user;
    ::GetThreadTimes(::GetCurrentThread(), &created, &ended, &kernel, &user);
    auto seconds = [](FILETIME t) {
        return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
    };
    return seconds(kernel) + seconds(user);
}

struct Bench {
    platform::Window window = nullptr;
    platform::Surface screen = nullptr;
    platform::Surface back = nullptr;
    std::vector<uint32_t> from, to;
    int rounds = 7;
};

constexpr int Ways = 5;
const char* const WayNames[Ways] = {"copy", "present", "changes", "stretch", "one-pass"};

// Each way's median over the rounds, wall and CPU apart, printed with its
// ratios to the copy's.
void Report(std::vector<Time> (&times)[Ways], int width, int height) {
    Time median[Ways];
    for (int way = 0; way < Ways; ++way) {
        std::vector<double> wall, cpu;
        for (const Time& t : times[way]) {
            wall.push_back(t.wall);
            cpu.push_back(t.cpu);
        }
        std::sort(wall.begin(), wall.end());
        std::sort(cpu.begin(), cpu.end());
        median[way] = {wall[wall.size() / 2], cpu[cpu.size() / 2]};
    }
    for (int way = 0; way < Ways; ++way)
        std::printf("%-8s %4dx%-4d  wall %8.1f us  cpu %8.1f us  ratio %6.2f / %6.2f\n",
                    WayNames[way], width, height, median[way].wall * 1e6, median[way].cpu * 1e6,
                    median[way].wall / median[0].wall, median[way].cpu / median[0].cpu);
    std::fflush(stdout);
}

void MeasureAt(Bench& bench, int width, int height, bool fit) {
    win32::SetScaleMode(fit ? host::ScaleFit : host::ScaleInteger);
    SetClient(bench.window->handle, width, height);
    const shared::PixelRect field = shared::FieldPlace(width, height, fit);
    const int frames = width > 1500 ? 60 : 150;
    const platform::Rect changes[] = {{128, 64, 64, 64}, {320, 448, 96, 64}, {704, 0, 64, 640}};
    platform::Surface screen = bench.screen, back = bench.back;
    OnePass pass;
    HDC windowDc = ::GetDC(bench.window->handle);
    ::SetStretchBltMode(windowDc, COLORONCOLOR);
    MakeOnePass(pass, windowDc, width, height);
    // The ways take turns round by round, so that a busy machine slows them
    // alike.
    std::vector<Time> times[Ways];
    for (int round = 0; round < bench.rounds; ++round) {
        times[0].push_back(MeanOf(500, [&](int) {
            std::memcpy(bench.to.data(), bench.from.data(), size_t(Width) * Height * 4);
            ::GdiFlush();
        }));
        times[1].push_back(MeanOf(frames, [&](int) {
            platform::BitBlt(screen, 0, 0, Width, Height, back, 0, 0, SRCCOPY);
            Pump();
        }));
        times[2].push_back(MeanOf(frames, [&](int) {
            platform::HintFrameChanges(screen, changes, 3);
            platform::BitBlt(screen, 0, 0, Width, Height, back, 0, 0, SRCCOPY);
            Pump();
        }));
        times[3].push_back(MeanOf(frames, [&](int) {
            ::StretchBlt(windowDc, field.x, field.y, field.width, field.height, back->dc, 0, 0,
                         Width, Height, SRCCOPY);
            Pump();
        }));
        times[4].push_back(MeanOf(frames, [&](int) {
            ScaleOnePass(pass, back->pixels, field, windowDc);
            Pump();
        }));
    }
    Report(times, width, height);
}

// The anchor of the game under Wine: a bare program that only presents a
// frame of play's changes at the game's pace (a 10 ms timer), at 1x, for a
// while; its CPU is what Wine asks of any program that does that much.
void PacedPresent(Bench& bench, int seconds) {
    SetClient(bench.window->handle, Width, Height);
    const platform::Rect changes[] = {{128, 64, 64, 64}, {320, 448, 96, 64}, {704, 0, 64, 640}};
    ::SetTimer(bench.window->handle, 1, 10, nullptr);
    const double end = Now() + seconds;
    uint32_t presents = 0;
    MSG message;
    while (Now() < end && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::DispatchMessageW(&message);
        if (message.message != WM_TIMER)
            continue;
        for (const platform::Rect& changed : changes)
            bench.back->pixels[changed.y * Width + changed.x] = presents;
        platform::HintFrameChanges(bench.screen, changes, 3);
        platform::BitBlt(bench.screen, 0, 0, Width, Height, bench.back, 0, 0, SRCCOPY);
        presents += 1;
    }
    std::printf("paced: %u frames in %d s\n", unsigned(presents), seconds);
}

}  // namespace

// Usage: morvask-win32-bench [ROUNDS]  (7 when not given)
//        morvask-win32-bench --paced SECONDS
int main(int argumentCount, char** arguments) {
    Bench bench;
    const bool paced = argumentCount > 2 && std::strcmp(arguments[1], "--paced") == 0;
    if (argumentCount > 1 && !paced)
        bench.rounds = std::max(1, std::atoi(arguments[1]));
    bench.from.assign(Width * Height + 16, 0x123456);
    bench.to.assign(Width * Height + 16, 0);
    platform::RegisterClass("MorvaskBench", 0, 0, Procedure);
    bench.window = platform::CreateWindow("MorvaskBench", "present bench", 0x00CA0000, 0, 0,
                                          Width + 6, Height + 28);
    platform::ShowWindow(bench.window, SW_SHOWNORMAL);
    Pump();
    bench.screen = platform::GetDC(bench.window);
    bench.back = platform::CreateCompatibleSurface(bench.screen, Width, Height);
    FillPicture(bench.back, 1);
    FillPicture(bench.screen, 2);
    if (paced) {
        PacedPresent(bench, std::max(1, std::atoi(arguments[2])));
        return 0;
    }
    // 1x; the fit mode's 1091 x 800 in a window of 1500 x 800; 2x.
    MeasureAt(bench, Width, Height, false);
    MeasureAt(bench, 1500, 800, true);
    MeasureAt(bench, 2 * Width, 2 * Height, false);
    return 0;
}
