// Replay playback in the SDL2 window, the backend's hooks for replay/: the
// ticks' pace and speed, pause and stop, the keys, frames and boxes replayed.
#include <SDL.h>

#include <algorithm>
#include <string>

#include "platform/input/key_map.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_desktop.h"
#include "platform/shared/surfaces.h"

namespace {

using sdl::Desktop;

// A pad's command during a playback: Start pauses a replay as P does; in an
// online game it is the player's P, read with their keys.
void PadCommand(int virtualKey) {
    if (virtualKey != 'P')
        return;
    if (Desktop.replay.live)
        keymap::NotePadCommand('P');
    else
        sdl::ToggleReplayPause();
}

// What the viewer may do while a replay plays: nothing of it reaches the
// game. P pauses, closing the window stops, and the window's own keys (full
// screen, volume) work as ever.
void HandleReplayEvent(const SDL_Event& event) {
    if (sdl::HandlePadEvent(event, PadCommand) || sdl::DiscardDropEvent(event))
        return;
    switch (event.type) {
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
                case SDL_WINDOWEVENT_CLOSE:
                    Desktop.replayStopped = true;
                    break;
                case SDL_WINDOWEVENT_SHOWN:
                case SDL_WINDOWEVENT_EXPOSED:
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                case SDL_WINDOWEVENT_MAXIMIZED:
                case SDL_WINDOWEVENT_RESTORED:
                    sdl::Redraw();
                    break;
                default:
                    break;
            }
            break;
        case SDL_KEYDOWN: {
            if (event.key.repeat || sdl::HandleWindowKey(event.key))
                break;
            // In an online game P is the game's (read with the other keys).
            if (sdl::VirtualKeyOf(event.key.keysym) == 'P' && !Desktop.replay.live)
                sdl::ToggleReplayPause();
            break;
        }
        default:
            break;
    }
}

}  // namespace

namespace sdl {

// Plays the replay at its speed on the monotonic clock: the n-th tick after
// a start falls due n periods after it. Ticks that fell behind are made up a
// few at a time, so a fast playback keeps its speed when a frame takes
// longer than a period, and the window still answers between them; after a
// pause or a box, or when far behind, the count starts again from now.
int RunReplayLoop() {
    const int64_t period = int64_t(Desktop.replay.tickMs) * 1'000'000 / Desktop.replay.speed;
    constexpr int MostTicksAtOnce = 8;
    int64_t start = shared::MonotonicNanoseconds();
    int64_t played = 0;
    bool going = true;
    while (going && !Desktop.replayStopped && sdl::StopSignal() == 0) {
        sdl::ExpireIndicator();
        if (Desktop.replayPaused) {
            sdl::ShowWaitingFrame();
            SDL_Event event;
            if (SDL_WaitEventTimeout(&event, sdl::IndicatorWaitMs(500)))
                HandleReplayEvent(event);
            Desktop.replayClockStale = true;
            continue;
        }
        int64_t now = shared::MonotonicNanoseconds();
        if (Desktop.replayClockStale ||
            now - (start + played * period) > 20 * period + 100'000'000) {
            start = now - period;
            played = 0;
            Desktop.replayClockStale = false;
        }
        SDL_Event event;
        int64_t due = start + (played + 1) * period;
        if (due - now > 2'000'000) {
            sdl::ShowWaitingFrame();
            if (SDL_WaitEventTimeout(&event, int((due - now) / 1'000'000 - 1)))
                HandleReplayEvent(event);
            continue;
        }
        while (SDL_PollEvent(&event))
            HandleReplayEvent(event);
        if (Desktop.replayStopped || Desktop.replayPaused)
            continue;
        shared::SleepUntil(due);
        for (int n = 0; n < MostTicksAtOnce && going; ++n) {
            going = Desktop.replay.playTick();
            ++played;
            if (Desktop.replayClockStale ||
                start + (played + 1) * period > shared::MonotonicNanoseconds())
                break;
        }
        if (shared::MonotonicNanoseconds() - Desktop.lastFrameShownNs >=
            int64_t(Desktop.replay.tickMs) * 1'000'000)
            sdl::ShowWaitingFrame();
    }
    sdl::ShowWaitingFrame();
    return Desktop.quitCode;
}

void PresentGameFrame(const platform::SurfaceData& frame) {
    // A fast playback shows frames as often as the game does at its own
    // pace: drawing every tick's frame would cost the speed asked for.
    if (Desktop.replaying && Desktop.replay.speed > 1) {
        int64_t now = shared::MonotonicNanoseconds();
        if (now - Desktop.lastFrameShownNs < int64_t(Desktop.replay.tickMs) * 1'000'000) {
            Desktop.frameWaiting = &frame;
            return;
        }
        Desktop.lastFrameShownNs = now;
    }
    Desktop.frameWaiting = nullptr;
    PresentFrame(&frame);
}

void ShowWaitingFrame() {
    if (!Desktop.frameWaiting)
        return;
    const platform::SurfaceData* frame = Desktop.frameWaiting;
    Desktop.frameWaiting = nullptr;
    Desktop.lastFrameShownNs = shared::MonotonicNanoseconds();
    PresentFrame(frame);
}

bool GameSeesMinimized() {
    return Desktop.replaying ? Desktop.replayedMinimized : Desktop.window.minimized;
}

void ToggleReplayPause() {
    Desktop.replayPaused = !Desktop.replayPaused;
    ShowReplayTitle();
}

void ShowReplayTitle() {
    if (!WindowLive())
        return;
    std::string title = TitleWithStatus();
    if (Desktop.replayPaused)
        title += " - replay paused (P goes on)";
    else if (Desktop.replay.live)
        title += " - online";
    else if (Desktop.replay.titleTag)
        title += Desktop.replay.titleTag;
    else if (Desktop.replay.speed > 1)
        title += " - replay x" + std::to_string(Desktop.replay.speed);
    else
        title += " - replay";
    SetCaption(title);
}

// A box of a replay: shown a moment (less at a higher speed, longer while
// paused) with the focus on the recorded answer, then closed with it. The
// viewer's keys and pointer answer nothing (P pauses, and full screen, the
// scale mode and the volume work); closing the window stops the playback.
void ShowReplayedDialog(OpenDialog& open, int answer) {
    open.box.focus = answer == platform::IDNO ? 1 : 0;
    ShowWaitingFrame();
    const int64_t shown = 1'000'000'000 / Desktop.replay.speed;
    int64_t left = shown;
    int64_t last = shared::MonotonicNanoseconds();
    bool stale = true;
    while (left > 0 && !Desktop.replayStopped) {
        if (stale) {
            PresentFrame(nullptr);
            stale = false;
        }
        SDL_Event event;
        int waitMs = Desktop.replayPaused ? 500 : int(std::max<int64_t>(left / 1'000'000, 1));
        if (SDL_WaitEventTimeout(&event, waitMs) && !sdl::DiscardDropEvent(event)) {
            if (event.type == SDL_WINDOWEVENT) {
                if (event.window.event == SDL_WINDOWEVENT_CLOSE)
                    Desktop.replayStopped = true;
                else if (event.window.event != SDL_WINDOWEVENT_FOCUS_GAINED &&
                         event.window.event != SDL_WINDOWEVENT_FOCUS_LOST)
                    stale = true;
            } else if (event.type == SDL_KEYDOWN && !event.key.repeat) {
                // The window's own keys work as while the replay plays; a
                // new scale mode lays the box out again.
                if (HandleWindowKey(event.key)) {
                    stale = true;
                } else if ((event.key.keysym.sym == SDLK_p ||
                            event.key.keysym.scancode == SDL_SCANCODE_P) &&
                           !Desktop.replay.live) {
                    ToggleReplayPause();
                }
            } else {
                HandlePadEvent(event, nullptr);
            }
        }
        int64_t now = shared::MonotonicNanoseconds();
        if (!Desktop.replayPaused)
            left -= now - last;
        last = now;
    }
    Desktop.replayClockStale = true;
}

}  // namespace sdl

namespace host {

using sdl::Desktop;

void SetReplayDriver(const ReplayDriver& driver) {
    Desktop.replay = driver;
    Desktop.replaying = driver.playTick != nullptr;
    if (Desktop.replay.speed < 1)
        Desktop.replay.speed = 1;
}

void SetReplayedKeys(const std::bitset<256>& keys) {
    Desktop.replayedKeys = keys;
}

bool DeliverReplayed(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == platform::WM_TIMER && Desktop.timers.count(wParam) == 0)
        return false;
    // The game's own calls look at what it was told last, as they did when
    // the run was recorded.
    if (message == platform::WM_ACTIVATE)
        Desktop.window.active = wParam != platform::WA_INACTIVE;
    if (message == platform::WM_SIZE)
        Desktop.replayedMinimized = wParam == platform::SIZE_MINIMIZED;
    sdl::Deliver(message, wParam, lParam);
    return true;
}

bool ReplayStoppedByViewer() {
    return Desktop.replayStopped;
}

}  // namespace host
