// The message boxes of the desktop program, drawn inside the game's window
// over the last frame: a modal loop that keeps the window painted, answers
// keys and the pointer, and delivers no tick while the box is open.
#include <SDL.h>

#include <algorithm>
#include <cstdio>

#include "platform/platform.h"
#include "platform/sdl/sdl_desktop.h"
#include "platform/shared/surfaces.h"
#include "platform/shared/tick_pacer.h"

namespace {

// How often a box of an online game looks at the network.
constexpr int LiveBoxLookMs = 10;

using sdl::Desktop;

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

// What one event did to the open box: its answer (0 while it stays open),
// and whether it must be drawn again.
struct DialogStep {
    int answer = 0;
    bool stale = false;
};

// The window closed, minimised, restored or uncovered while the box is open.
DialogStep DialogWindowEvent(const SDL_WindowEvent& event, const sdl::OpenDialog& open) {
    platform::WindowData& window = Desktop.window;
    switch (event.event) {
        case SDL_WINDOWEVENT_CLOSE:
            // Answered as Escape answers it; the close follows.
            Desktop.closeRequested = true;
            return {.answer = dialog::AnswerOfClose(open.box)};
        case SDL_WINDOWEVENT_MINIMIZED:
            if (!window.minimized) {
                window.minimized = true;
                sdl::Deliver(platform::WM_SIZE, platform::SIZE_MINIMIZED, 0);
            }
            return {};
        case SDL_WINDOWEVENT_RESTORED:
            if (window.minimized) {
                window.minimized = false;
                sdl::Deliver(platform::WM_SIZE, platform::SIZE_RESTORED,
                             platform::PointParam(sdl::FieldWidth, sdl::FieldHeight));
            }
            return {.stale = true};
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_SIZE_CHANGED:
        case SDL_WINDOWEVENT_MAXIMIZED:
            return {.stale = true};
        default:
            // Focus changes are not told: the window is inactive for as long
            // as its box is open.
            return {};
    }
}

DialogStep DialogKeyDown(const SDL_KeyboardEvent& key, sdl::OpenDialog& open, bool answering) {
    // A key held down since before the box opened answers nothing.
    if (key.repeat)
        return {};
    if (sdl::IsFullscreenKey(key)) {
        sdl::ToggleFullscreen();
        return {};
    }
    // The scale mode may change under a box: it is laid out again.
    if (sdl::IsScaleModeKey(key)) {
        sdl::StepScaleMode();
        return {.stale = true};
    }
    int volumeSteps = 0;
    if (sdl::IsVolumeKey(key.keysym, volumeSteps)) {
        host::StepVolume(volumeSteps);
        sdl::IndicateVolume(host::Volume());
        return {};
    }
    dialog::Key boxKey;
    if (!answering || !DialogKeyOf(key.keysym, boxKey))
        return {};
    int focus = open.box.focus;
    int answer = dialog::PressKey(open.box, boxKey);
    return {.answer = answer, .stale = open.box.focus != focus};
}

DialogStep DialogPointer(const SDL_Event& event, sdl::OpenDialog& open, bool answering) {
    if (!open.laidOut)
        return {};
    int x = 0, y = 0;
    if (event.type == SDL_MOUSEMOTION) {
        sdl::OutputPoint(sdl::CurrentView(), event.motion.x, event.motion.y, x, y);
        return {.stale = dialog::MovePointer(open.box, open.layout, x, y)};
    }
    // A press still in the reading pause starts no click, so its release
    // after the pause answers nothing either.
    if (!IsMainButton(event.button.button) || !answering)
        return {};
    sdl::OutputPoint(sdl::CurrentView(), event.button.x, event.button.y, x, y);
    int answer = event.type == SDL_MOUSEBUTTONDOWN
                     ? dialog::PressPointer(open.box, open.layout, x, y)
                     : dialog::ReleasePointer(open.box, open.layout, x, y);
    return {.answer = answer, .stale = true};
}

// The driving pad: south (A) presses the default button, east (B) answers
// as Escape does (No, or OK).
int DialogPadAnswer(const SDL_Event& event, const sdl::OpenDialog& open) {
    int pad = sdl::PadDialogAnswer(event);
    if (pad > 0)
        return open.box.yesNo ? platform::IDYES : platform::IDOK;
    if (pad < 0)
        return dialog::AnswerOfClose(open.box);
    return 0;
}

DialogStep DialogEvent(const SDL_Event& event, sdl::OpenDialog& open, bool answering) {
    switch (event.type) {
        case SDL_WINDOWEVENT:
            return DialogWindowEvent(event.window, open);
        case SDL_KEYDOWN:
            return DialogKeyDown(event.key, open, answering);
        case SDL_MOUSEMOTION:
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            return DialogPointer(event, open, answering);
        case SDL_CONTROLLERBUTTONDOWN: {
            int answer = answering ? DialogPadAnswer(event, open) : 0;
            // Start and Back give no command while a box is open.
            sdl::HandlePadEvent(event, nullptr);
            return {.answer = answer};
        }
        case SDL_CONTROLLERBUTTONUP:
        case SDL_CONTROLLERAXISMOTION:
        case SDL_CONTROLLERDEVICEADDED:
        case SDL_CONTROLLERDEVICEREMOVED:
            sdl::HandlePadEvent(event, nullptr);
            return {};
        default:
            return {};
    }
}

double NowMs() {
    return double(shared::MonotonicNanoseconds()) / 1e6;
}

// Runs the box until it is answered; returns the answer. For the reading
// pause after it opens it takes no answer; the tests' trace says when it
// starts to ("dialog: ready"), so that they never press into the pause.
int RunDialog(sdl::OpenDialog& open, bool (*stillOpen)() = nullptr) {
    bool stale = true;
    const double opened = NowMs();
    bool answering = false;
    while (true) {
        if (!answering && dialog::TakesAnswers(opened, NowMs())) {
            answering = true;
            if (Desktop.traceDialogs) {
                std::fprintf(stderr, "dialog: ready\n");
                std::fflush(stderr);
            }
            if (Desktop.dialogReady)
                Desktop.dialogReady();
        }
        // A signal ending the run closes the box as its close button would.
        if (sdl::StopSignal() != 0)
            return dialog::AnswerOfClose(open.box);
        if (stillOpen && !stillOpen())
            return 0;
        if (stale) {
            sdl::PresentFrame(nullptr);
            stale = false;
        }
        SDL_Event event;
        // While the player reads, the pictures still to be decoded are, one
        // between two looks at the events: the first frame after the box
        // then need not wait for them.
        int waitMs = shared::PrepareNextPicture() ? 0 : sdl::IndicatorWaitMs(500);
        if (!answering)
            waitMs = std::clamp(int(opened + dialog::ReadingPauseMs - NowMs()) + 1, 0, waitMs);
        if (stillOpen)
            waitMs = std::min(waitMs, LiveBoxLookMs);
        const bool got = SDL_WaitEventTimeout(&event, waitMs) != 0;
        sdl::ExpireIndicator();
        if (!got || sdl::DiscardDropEvent(event))
            continue;
        DialogStep step = DialogEvent(event, open, answering);
        if (step.answer != 0)
            return step.answer;
        stale = step.stale;
    }
}

bool LiveBoxWaits() {
    return Desktop.replay.liveBox(host::LiveBoxWaits);
}

// An online game's box: the player answers it here, or the other player's
// answer closes it; either way the game takes the session's answer.
void HoldLiveBox(sdl::OpenDialog& open) {
    Desktop.dialog = &open;
    const int answered = RunDialog(open, LiveBoxWaits);
    Desktop.dialog = nullptr;
    if (answered != 0)
        Desktop.replay.liveBox(host::LiveBoxAnsweredHere);
    else if (Desktop.traceDialogs)
        std::fprintf(stderr, "dialog: closed by the other player\n");
    // A window closed over the box ends the game as it does in play.
    if (Desktop.closeRequested)
        Desktop.replayStopped = true;
    sdl::PresentFrame(nullptr);
}

const char* AnswerName(int answer) {
    return answer == platform::IDYES ? "yes" : answer == platform::IDNO ? "no" : "ok";
}

}  // namespace

namespace platform {

void SetBoxButtonTexts(const char* ok, const char* yes, const char* no) {
    dialog::SetButtonLabels(ok, yes, no);
}

int MessageBox(Window owner, const char* textUtf8, const char* captionUtf8, uint32_t type) {
    sdl::OpenDialog open;
    open.box = dialog::OpenBox(textUtf8, captionUtf8, type);
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
    // A box of a tick run again in an online game is answered unseen.
    const bool shown = !Desktop.replaying || !Desktop.replay.boxShown || Desktop.replay.boxShown();
    if (Desktop.traceDialogs && shown)
        std::fprintf(stderr, "dialog: open \"%s\" \"%s\"\n", open.box.caption.c_str(),
                     open.box.text.substr(0, open.box.text.find('\n')).c_str());

    // The owner is inactive while its box is open, and active again after:
    // the game's timer stops, and the loop below delivers no tick either.
    sdl::SetActive(false);
    int answer = 0;
    if (Desktop.replaying) {
        answer = Desktop.replay.boxAnswer(type);
        if (shown && Desktop.replay.liveBox && Desktop.replay.liveBox(host::LiveBoxOpens)) {
            HoldLiveBox(open);
        } else if (shown) {
            Desktop.dialog = &open;
            sdl::ShowReplayedDialog(open, answer);
            Desktop.dialog = nullptr;
            sdl::PresentFrame(nullptr);
        }
    } else if (Desktop.closeRequested) {
        answer = dialog::AnswerOfClose(open.box);
    } else {
        Desktop.dialog = &open;
        answer = RunDialog(open);
        Desktop.dialog = nullptr;
        sdl::PresentFrame(nullptr);
    }
    if (Desktop.traceDialogs && shown) {
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

namespace host {

using sdl::Desktop;
using sdl::OpenDialog;

// A notice of the program's own; 0 when `waiting` closed it.
int HoldNotice(const char* textUtf8, const char* captionUtf8, uint32_t type, bool (*waiting)()) {
    OpenDialog open;
    open.box = dialog::OpenBox(textUtf8, captionUtf8, type);
    sdl::ShowWaitingFrame();
    if (Desktop.traceDialogs)
        std::fprintf(stderr, "dialog: open \"%s\" \"%s\"\n", open.box.caption.c_str(),
                     open.box.text.substr(0, open.box.text.find('\n')).c_str());
    Desktop.dialog = &open;
    int answer = RunDialog(open, waiting);
    Desktop.dialog = nullptr;
    if (Desktop.traceDialogs) {
        std::fprintf(stderr, answer == 0 ? "dialog: closed by waiting\n" : "dialog: answer %s\n",
                     AnswerName(answer));
        std::fflush(stderr);
    }
    return answer;
}

void ShowNotice(const char* textUtf8, const char* captionUtf8, bool warning) {
    // A window being closed shows no more notices: its close goes on.
    if (!sdl::WindowLive() || Desktop.closeRequested)
        return;
    HoldNotice(textUtf8, captionUtf8, platform::MB_OK | (warning ? platform::MB_ICONWARNING : 0),
               nullptr);
}

bool ShowWaitingNotice(const char* textUtf8, const char* captionUtf8, bool (*waiting)()) {
    if (!sdl::WindowLive() || Desktop.closeRequested)
        return false;
    const bool closedByWaiting = HoldNotice(textUtf8, captionUtf8, platform::MB_OK, waiting) == 0;
    sdl::PresentFrame(nullptr);
    return closedByWaiting;
}

}  // namespace host
