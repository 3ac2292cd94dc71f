// The message boxes of the desktop program, drawn inside the game's window
// over the last frame: a modal loop that keeps the window painted, answers
// keys and the pointer, and delivers no tick while the box is open.
#include <SDL.h>

#include <algorithm>
#include <cstdio>

#include "platform/platform.h"
#include "platform/sdl/sdl_controls.h"
#include "platform/sdl/sdl_desktop.h"
#include "platform/shared/surfaces.h"

namespace {

using sdl::Desktop;

// The buttons' labels, as the game's language gives them.
const char* OkText = "确定";
const char* YesText = "是";
const char* NoText = "否";

// The key of a box that an SDL key stands for; false for the others.
bool DialogKeyOf(const SDL_Keysym& key, dialog::Key& result) {
    switch (key.scancode) {
        case SDL_SCANCODE_RETURN:
        case SDL_SCANCODE_KP_ENTER:
            result = dialog::Key::Enter;
            return true;
        case SDL_SCANCODE_SPACE:
            result = dialog::Key::Space;
            return true;
        case SDL_SCANCODE_ESCAPE:
            result = dialog::Key::Escape;
            return true;
        case SDL_SCANCODE_TAB:
            result = (key.mod & KMOD_SHIFT) ? dialog::Key::BackTab : dialog::Key::Tab;
            return true;
        case SDL_SCANCODE_LEFT:
            result = dialog::Key::Left;
            return true;
        case SDL_SCANCODE_RIGHT:
            result = dialog::Key::Right;
            return true;
        default:
            break;
    }
    // Y and N by the letter they type, or by their place on a keyboard
    // without Latin letters.
    SDL_Keycode letter = key.sym;
    if (letter < SDLK_a || letter > SDLK_z)
        letter = key.scancode >= SDL_SCANCODE_A && key.scancode <= SDL_SCANCODE_Z
                     ? SDL_Keycode(SDLK_a + (key.scancode - SDL_SCANCODE_A))
                     : 0;
    if (letter == SDLK_y) {
        result = dialog::Key::Yes;
        return true;
    }
    if (letter == SDLK_n) {
        result = dialog::Key::No;
        return true;
    }
    return false;
}

bool IsMainButton(uint8_t button) {
    return button == SDL_BUTTON_LEFT;
}

// Runs the box until it is answered; returns the answer.
int RunDialog(sdl::OpenDialog& open) {
    platform::WindowData& window = Desktop.window;
    bool stale = true;
    while (true) {
        if (stale) {
            sdl::PresentFrame(nullptr);
            stale = false;
        }
        SDL_Event event;
        // While the player reads, the pictures still to be decoded are, one
        // between two looks at the events: the first frame after the box
        // then need not wait for them.
        const int waitMs = software::PrepareNextPicture() ? 0 : 500;
        if (!SDL_WaitEventTimeout(&event, waitMs))
            continue;
        int answer = 0;
        switch (event.type) {
            case SDL_WINDOWEVENT:
                switch (event.window.event) {
                    case SDL_WINDOWEVENT_CLOSE:
                        // Answered as Escape answers it; the close follows.
                        Desktop.closeRequested = true;
                        return dialog::AnswerOfClose(open.box);
                    case SDL_WINDOWEVENT_MINIMIZED:
                        if (!window.minimized) {
                            window.minimized = true;
                            sdl::Deliver(platform::WM_SIZE, platform::SIZE_MINIMIZED, 0);
                        }
                        break;
                    case SDL_WINDOWEVENT_RESTORED:
                        if (window.minimized) {
                            window.minimized = false;
                            sdl::Deliver(platform::WM_SIZE, platform::SIZE_RESTORED,
                                         sdl::PackPoint(sdl::FieldWidth, sdl::FieldHeight));
                        }
                        stale = true;
                        break;
                    case SDL_WINDOWEVENT_SHOWN:
                    case SDL_WINDOWEVENT_EXPOSED:
                    case SDL_WINDOWEVENT_SIZE_CHANGED:
                    case SDL_WINDOWEVENT_MAXIMIZED:
                        stale = true;
                        break;
                    default:
                        // Focus changes are not told: the window is inactive
                        // for as long as its box is open.
                        break;
                }
                break;
            case SDL_KEYDOWN: {
                // A key held down since before the box opened answers nothing.
                if (event.key.repeat)
                    break;
                if (sdl::IsFullscreenKey(event.key)) {
                    sdl::ToggleFullscreen();
                    break;
                }
                dialog::Key key;
                if (!DialogKeyOf(event.key.keysym, key))
                    break;
                int focus = open.box.focus;
                answer = dialog::PressKey(open.box, key);
                stale = open.box.focus != focus;
                break;
            }
            case SDL_MOUSEMOTION:
                if (open.laidOut) {
                    int x = 0, y = 0;
                    sdl::OutputPoint(sdl::CurrentView(), event.motion.x, event.motion.y, x, y);
                    stale = dialog::MovePointer(open.box, open.layout, x, y);
                }
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                if (open.laidOut && IsMainButton(event.button.button)) {
                    int x = 0, y = 0;
                    sdl::OutputPoint(sdl::CurrentView(), event.button.x, event.button.y, x, y);
                    answer = event.type == SDL_MOUSEBUTTONDOWN
                                 ? dialog::PressPointer(open.box, open.layout, x, y)
                                 : dialog::ReleasePointer(open.box, open.layout, x, y);
                    stale = true;
                }
                break;
            case SDL_CONTROLLERBUTTONDOWN: {
                // The driving pad: south (A) presses the default button,
                // east (B) answers as Escape does (No, or OK).
                int pad = sdl::PadDialogAnswer(event);
                if (pad > 0)
                    answer = open.box.yesNo ? platform::IDYES : platform::IDOK;
                else if (pad < 0)
                    answer = dialog::AnswerOfClose(open.box);
                // Start and Back give no command while a box is open.
                sdl::HandlePadEvent(event, nullptr);
                break;
            }
            case SDL_CONTROLLERBUTTONUP:
            case SDL_CONTROLLERAXISMOTION:
            case SDL_CONTROLLERDEVICEADDED:
            case SDL_CONTROLLERDEVICEREMOVED:
                sdl::HandlePadEvent(event, nullptr);
                break;
            default:
                break;
        }
        if (answer != 0)
            return answer;
    }
}

// A box of a replay: shown a moment (less at a higher speed, longer while
// paused) with the focus on the recorded answer, then closed with it. The
// viewer's keys and pointer answer nothing; closing the window stops the
// playback.
void ShowReplayedDialog(sdl::OpenDialog& open, int answer) {
    open.box.focus = answer == platform::IDNO ? 1 : 0;
    sdl::ShowWaitingFrame();
    const int64_t shown = 1'000'000'000 / Desktop.replay.speed;
    int64_t left = shown;
    int64_t last = software::MonotonicNanoseconds();
    bool stale = true;
    while (left > 0 && !Desktop.replayStopped) {
        if (stale) {
            sdl::PresentFrame(nullptr);
            stale = false;
        }
        SDL_Event event;
        int waitMs = Desktop.replayPaused ? 500 : int(std::max<int64_t>(left / 1'000'000, 1));
        if (SDL_WaitEventTimeout(&event, waitMs)) {
            if (event.type == SDL_WINDOWEVENT) {
                if (event.window.event == SDL_WINDOWEVENT_CLOSE)
                    Desktop.replayStopped = true;
                else if (event.window.event != SDL_WINDOWEVENT_FOCUS_GAINED &&
                         event.window.event != SDL_WINDOWEVENT_FOCUS_LOST)
                    stale = true;
            } else if (event.type == SDL_KEYDOWN && !event.key.repeat) {
                if (sdl::IsFullscreenKey(event.key)) {
                    sdl::ToggleFullscreen();
                } else if (event.key.keysym.sym == SDLK_p ||
                           event.key.keysym.scancode == SDL_SCANCODE_P) {
                    sdl::ToggleReplayPause();
                }
            } else {
                sdl::HandlePadEvent(event, nullptr);
            }
        }
        int64_t now = software::MonotonicNanoseconds();
        if (!Desktop.replayPaused)
            left -= now - last;
        last = now;
    }
    Desktop.replayClockStale = true;
}

const char* AnswerName(int answer) {
    return answer == platform::IDYES ? "yes" : answer == platform::IDNO ? "no" : "ok";
}

}  // namespace

namespace platform {

void SetBoxButtonTexts(const char* ok, const char* yes, const char* no) {
    OkText = ok;
    YesText = yes;
    NoText = no;
}

int MessageBox(Window owner, const char* textUtf8, const char* captionUtf8, uint32_t type) {
    sdl::OpenDialog open;
    open.box = dialog::OpenBox(textUtf8, captionUtf8, type);
    open.box.okLabel = OkText;
    open.box.yesLabel = YesText;
    open.box.noLabel = NoText;
    if (owner != &Desktop.window || !sdl::WindowLive()) {
        // No window to show it in: the game never asks that. Take the answer
        // that changes nothing, and say so where it can be read.
        std::fprintf(stderr, "morvask: a message box without its window: %s\n",
                     open.box.text.c_str());
        int answer =
            Desktop.replaying ? Desktop.replay.boxAnswer(type) : dialog::AnswerOfClose(open.box);
        if (Desktop.recorder.boxAnswered)
            Desktop.recorder.boxAnswered(answer);
        return answer;
    }
    if (Desktop.traceDialogs)
        std::fprintf(stderr, "dialog: open \"%s\" \"%s\"\n", open.box.caption.c_str(),
                     open.box.text.substr(0, open.box.text.find('\n')).c_str());

    // The owner is inactive while its box is open, and active again after:
    // the game's timer stops, and the loop below delivers no tick either.
    sdl::SetActive(false);
    int answer = 0;
    if (Desktop.replaying) {
        answer = Desktop.replay.boxAnswer(type);
        Desktop.dialog = &open;
        ShowReplayedDialog(open, answer);
        Desktop.dialog = nullptr;
        sdl::PresentFrame(nullptr);
    } else if (Desktop.closeRequested) {
        answer = dialog::AnswerOfClose(open.box);
    } else {
        Desktop.dialog = &open;
        answer = RunDialog(open);
        Desktop.dialog = nullptr;
        sdl::PresentFrame(nullptr);
    }
    if (Desktop.traceDialogs) {
        std::fprintf(stderr, "dialog: answer %s\n", AnswerName(answer));
        std::fflush(stderr);
    }
    if (Desktop.recorder.boxAnswered)
        Desktop.recorder.boxAnswered(answer);
    if (sdl::WindowLive() && !sdl::GameSeesMinimized())
        sdl::SetActive(true);
    return answer;
}

}  // namespace platform

namespace sdl {

void ShowNotice(const char* textUtf8, const char* captionUtf8) {
    if (!WindowLive())
        return;
    OpenDialog open;
    open.box = dialog::OpenBox(textUtf8, captionUtf8, platform::MB_OK | platform::MB_ICONWARNING);
    open.box.okLabel = OkText;
    ShowWaitingFrame();
    if (Desktop.traceDialogs)
        std::fprintf(stderr, "dialog: open \"%s\" \"%s\"\n", open.box.caption.c_str(),
                     open.box.text.substr(0, open.box.text.find('\n')).c_str());
    Desktop.dialog = &open;
    int answer = RunDialog(open);
    Desktop.dialog = nullptr;
    if (Desktop.traceDialogs) {
        std::fprintf(stderr, "dialog: answer %s\n", AnswerName(answer));
        std::fflush(stderr);
    }
}

}  // namespace sdl
