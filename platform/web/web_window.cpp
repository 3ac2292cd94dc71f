// The browser window of the web backend: the canvas that shows the game, its
// message loop paced by the browser's animation frames, the window timers,
// the modal message boxes, the keyboard and the mouse. The page's script
// (page.js, as `Module.morvask`) owns the canvas and the input listeners; the
// program waits for it with Asyncify, so the game's blocking calls stay as
// they are.
#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "platform/input/key_map.h"
#include "platform/platform.h"
#include "platform/shared/changed_tiles.h"
#include "platform/shared/dialog.h"
#include "platform/shared/frame_scale.h"
#include "platform/shared/surfaces.h"
#include "platform/web/web_backend.h"
#include "platform/web/web_dialog.h"
#include "platform/web/web_page.h"

struct platform::WindowData {
    platform::WindowProcedure procedure = nullptr;
    bool destroyed = false;
    // The activation as last told to the window procedure.
    bool active = false;
};

// ---- The page's side -----------------------------------------------------

EM_ASYNC_JS(double, web_wait_frame, (), { return await Module.morvask.waitFrame(); });

EM_JS(int, web_next_event, (int32_t * values), {
    const event = Module.morvask.nextEvent();
    if (!event)
        return 0;
    for (let i = 1; i < event.length; ++i)
        HEAP32[(values >> 2) + i - 1] = event[i];
    return event[0];
});

EM_JS(int, web_key_down, (int virtualKey), { return Module.morvask.keyDown(virtualKey); });

// Shows the picture at `rgba`; only inside the `count` rectangles (x, y,
// width, height) when count > 0, where the rest is as last shown. `window`
// is the window's own picture, for the page's tests to check what it shows.
EM_JS(void, web_present,
      (const uint32_t* rgba, int width, int height, const int32_t* rects, int count,
       const uint32_t* window),
      { Module.morvask.present(rgba, width, height, rects, count, window); });

// The size in device pixels the page shows the field at, when it asks the
// game to scale it there (width, height, and the whole multiple the sharp
// pixels are first taken to); 0 when unchanged since last asked.
EM_JS(int, web_take_output, (int32_t * values), {
    const output = Module.morvask.takeOutput();
    if (!output)
        return 0;
    HEAP32[values >> 2] = output.width;
    HEAP32[(values >> 2) + 1] = output.height;
    HEAP32[(values >> 2) + 2] = output.whole;
    return 1;
});

// Whether the page's tests check the next presents against the picture.
EM_JS(int, web_checking_presents, (),
      { return window.morvaskPage && morvaskPage.checkPresents > 0 ? 1 : 0; });

EM_JS(void, web_note_tick, (double milliseconds, int dropped),
      { Module.morvask.noteTick(milliseconds, dropped); });

EM_JS(int, web_screen_size, (int index), { return index ? screen.height : screen.width; });

namespace {

constexpr int ClientWidth = 960;
constexpr int ClientHeight = 704;

// The kinds of input event that the page queues.
constexpr int EventKeyDown = 1;
constexpr int EventMouseMove = 2;
constexpr int EventVisibility = 3;
constexpr int EventPadCommand = 4;
constexpr int EventDrop = 5;
constexpr int EventMenuKey = 6;

// Past this share of the field changed, the whole picture goes to the page
// at once.
constexpr int WholeShare = 2;  // half

// A frame that comes this late after a tick fell due is a stall (a busy
// page, a hidden tab): its tick is delivered once and the missed ones are
// not made up, as window timers do. Shorter gaps are caught up, so a 60 Hz
// display still sees 100 ticks a second.
constexpr double StallMs = 50.0;

struct WindowTimer {
    double periodMs = 10.0;
    double dueMs = 0.0;
};

struct WebState {
    platform::WindowProcedure classProcedure = nullptr;
    platform::WindowData window;
    bool windowCreated = false;
    platform::Surface windowSurface = nullptr;
    std::map<uintptr_t, WindowTimer> timers;
    bool quitPosted = false;
    // Once the message loop runs, a message delivered while the window
    // procedure is not running comes from outside (the page, the timer) and
    // is recorded; the rest follow from the game's own calls.
    bool loopRunning = false;
    int deliveryDepth = 0;
    int quitCode = 0;
    bool pageHidden = false;
    bool pictureChanged = true;
    // Where the pictures copied since the last one shown differ from it; all
    // of it when `wholeChanged`.
    bool wholeChanged = true;
    shared::ChangedTiles changed;
    std::vector<platform::Rect> sent;
    // The field scaled to the page's device pixels (sharp-bilinear), when the
    // page asks for it: the browser then shows the canvas as it is, with no
    // scaling of its own at every frame. Empty at 1x.
    int outputWidth = 0, outputHeight = 0, outputWhole = 1;
    std::vector<uint32_t> output;
    std::vector<platform::Rect> outputSent;
    std::vector<uint32_t> outputCheck;  // for the tests: the whole scaled afresh
    std::vector<uint32_t> rgba;
};

WebState Page;

bool WindowLive() {
    return Page.windowCreated && !Page.window.destroyed;
}

void Deliver(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!WindowLive() || !Page.window.procedure)
        return;
    const bool outside = Page.loopRunning && Page.deliveryDepth == 0;
    const host::InputRecorder& recorder = web::Recorder();
    if (outside && recorder.arriving)
        recorder.arriving(message, wParam, lParam);
    ++Page.deliveryDepth;
    Page.window.procedure(&Page.window, message, wParam, lParam);
    --Page.deliveryDepth;
    if (outside && recorder.done)
        recorder.done(message, wParam);
}

void SetActive(bool active) {
    if (!WindowLive() || Page.window.active == active)
        return;
    Page.window.active = active;
    Deliver(platform::WM_ACTIVATE, active ? platform::WA_ACTIVE : platform::WA_INACTIVE, 0);
}

platform::Surface WindowPicture() {
    if (!Page.windowSurface)
        Page.windowSurface = shared::WindowSurface(ClientWidth, ClientHeight);
    return Page.windowSurface;
}

bool PageKeyDown(int virtualKey) {
    return virtualKey >= 0 && virtualKey < 256 && web_key_down(virtualKey) != 0;
}

// Every frame copied into the window: what it changed, added up until the
// next animation frame shows them.
void NoteNewPicture(const platform::SurfaceData& window) {
    Page.pictureChanged = true;
    if (Page.wholeChanged)
        return;
    if (!window.changesKnown) {
        Page.wholeChanged = true;
        return;
    }
    if (Page.changed.width != window.width || Page.changed.height != window.height)
        shared::ResetChangedTiles(Page.changed, window.width, window.height);
    for (const platform::Rect& r : window.changes)
        shared::MarkChanged(Page.changed, r);
}

void MarkWholeChanged() {
    Page.pictureChanged = true;
    Page.wholeChanged = true;
}

// The pixels (0x00RRGGBB, `width` a row) inside `r` as the canvas's RGBA
// bytes.
void ConvertRect(const uint32_t* pixels, int width, const platform::Rect& r) {
    for (int y = r.y; y < r.y + r.height; ++y) {
        const uint32_t* from = pixels + size_t(y) * width + r.x;
        uint32_t* to = Page.rgba.data() + size_t(y) * width + r.x;
        for (int x = 0; x < r.width; ++x) {
            uint32_t p = from[x];
            to[x] = 0xFF000000u | (p & 0xFFu) << 16 | (p & 0xFF00u) | (p >> 16 & 0xFFu);
        }
    }
}

// Takes the size the page asks the field to be scaled to, if it asked for
// one since; true then, and everything is shown anew.
bool FollowOutputSize() {
    int32_t asked[3] = {};
    if (!web_take_output(asked))
        return false;
    const bool scaled =
        asked[0] > 0 && asked[1] > 0 && (asked[0] != ClientWidth || asked[1] != ClientHeight);
    Page.outputWidth = scaled ? asked[0] : 0;
    Page.outputHeight = scaled ? asked[1] : 0;
    Page.outputWhole = std::max(1, int(asked[2]));
    Page.output.assign(scaled ? size_t(asked[0]) * asked[1] : 0, 0);
    MarkWholeChanged();
    return true;
}

// The picture's RGBA copy (as converted) scaled to the page's device pixels:
// all of it, or only the output pixels that show the changed rectangles.
void PresentScaled(int width, int height, bool whole) {
    const shared::FramePixels from{Page.rgba.data(), width, height, width};
    const shared::OutputPixels to{Page.output.data(), Page.outputWidth, Page.outputHeight,
                                  Page.outputWidth};
    // The RGBA copy is opaque already, and the blends keep it so: no alpha
    // is added (a pass over every output row fewer).
    constexpr uint32_t KeepAlpha = 0;
    if (whole) {
        shared::ScaleFrameSmooth(from, to, 0, 0, to.width, to.height, Page.outputWhole, false,
                                 KeepAlpha);
        web_present(to.pixels, to.width, to.height, nullptr, 0, to.pixels);
        return;
    }
    Page.outputSent.clear();
    for (const platform::Rect& r : Page.sent) {
        const shared::OutputRect o =
            shared::ScaleFrameSmoothPart(from, to, 0, 0, to.width, to.height, Page.outputWhole,
                                         KeepAlpha, r.x, r.y, r.width, r.height);
        if (o.width > 0)
            Page.outputSent.push_back({o.x, o.y, o.width, o.height});
    }
    // For the tests, the changed parts are checked against the whole picture
    // scaled afresh.
    const uint32_t* check = nullptr;
    if (web_checking_presents()) {
        Page.outputCheck.resize(Page.output.size());
        shared::ScaleFrameSmooth(from, {Page.outputCheck.data(), to.width, to.height, to.width}, 0,
                                 0, to.width, to.height, Page.outputWhole, false, KeepAlpha);
        check = Page.outputCheck.data();
    }
    web_present(to.pixels, to.width, to.height,
                reinterpret_cast<const int32_t*>(Page.outputSent.data()),
                int(Page.outputSent.size()), check);
}

// All of a picture (0x00RRGGBB) to the page, scaled where the page asks.
void PresentWhole(const uint32_t* pixels, int width, int height) {
    Page.rgba.resize(size_t(width) * height);
    ConvertRect(pixels, width, {0, 0, width, height});
    if (!Page.output.empty())
        PresentScaled(width, height, true);
    else
        web_present(Page.rgba.data(), width, height, nullptr, 0, pixels);
}

// At most once per shown frame: the parts of the newest picture that changed
// since the last one shown, and nothing when nothing changed.
void PresentIfChanged() {
    FollowOutputSize();
    if (!Page.pictureChanged)
        return;
    Page.pictureChanged = false;
    const platform::SurfaceData& picture = *WindowPicture();
    const uint32_t* pixels = picture.pixels.data();
    Page.sent.clear();
    shared::TakeChangedRects(Page.changed, Page.sent);
    int64_t area = 0;
    for (const platform::Rect& r : Page.sent)
        area += int64_t(r.width) * r.height;
    if (Page.wholeChanged || area * WholeShare > int64_t(picture.width) * picture.height) {
        PresentWhole(pixels, picture.width, picture.height);
    } else if (!Page.sent.empty()) {
        for (const platform::Rect& r : Page.sent)
            ConvertRect(pixels, picture.width, r);
        if (!Page.output.empty())
            PresentScaled(picture.width, picture.height, false);
        else
            web_present(Page.rgba.data(), picture.width, picture.height,
                        reinterpret_cast<const int32_t*>(Page.sent.data()), int(Page.sent.size()),
                        pixels);
    }
    Page.wholeChanged = false;
}

void HandleEvent(int kind, const int32_t* values) {
    switch (kind) {
        case EventKeyDown: {
            // A repeat count of 1, and bit 30 set when the key was down before.
            intptr_t lParam = 1 | (values[1] ? intptr_t(1) << 30 : 0);
            int gameKeys[2];
            int count = keymap::KeyDownMessages(values[0], gameKeys);
            for (int k = 0; k < count; ++k)
                Deliver(platform::WM_KEYDOWN, uintptr_t(gameKeys[k]), lParam);
            break;
        }
        case EventMouseMove:
            Deliver(platform::WM_MOUSEMOVE, uintptr_t(values[2]),
                    platform::PointParam(values[0], values[1]));
            break;
        case EventPadCommand: {
            // Under a box the buttons are followed but give nothing.
            const int key = web::PadCommandKey(values[0], values[1] != 0);
            if (key != 0 && values[2] == 0)
                Deliver(platform::WM_KEYDOWN, uintptr_t(key), 1);
            break;
        }
        case EventMenuKey:
            // The touch menu's rows: the key itself, whatever the player's
            // keys are bound to (the menu reads the keys themselves).
            Deliver(platform::WM_KEYDOWN, uintptr_t(values[0]), 1);
            break;
        case EventDrop:
            // The game reads the text from the page (web_share.cpp).
            Deliver(platform::WM_KEYDOWN, platform::VK_DROP, 0);
            break;
        case EventVisibility:
            // A hidden tab is an inactive window: the game stands still.
            Page.pageHidden = values[0] != 0;
            SetActive(!Page.pageHidden);
            break;
        default:
            break;
    }
}

void PumpEvents() {
    int32_t values[4] = {};
    while (!Page.quitPosted) {
        int kind = web_next_event(values);
        if (kind == 0)
            break;
        // The page's input reaches no replayed game; in an online game a
        // pad's Start is the player's P, read with their keys.
        if (!web::Replaying())
            HandleEvent(kind, values);
        else if (kind == EventPadCommand && web::ReplayLive() && values[2] == 0)
            keymap::NotePadCommand(web::PadCommandKey(values[0], values[1] != 0));
    }
}

void DeliverDueTimers(double now) {
    std::vector<uintptr_t> ids;
    for (const auto& [id, timer] : Page.timers)
        ids.push_back(id);
    for (uintptr_t id : ids) {
        for (;;) {
            auto found = Page.timers.find(id);
            if (found == Page.timers.end() || Page.quitPosted)
                break;
            WindowTimer& timer = found->second;
            if (now < timer.dueMs)
                break;
            int dropped = 0;
            if (now - timer.dueMs >= StallMs) {
                dropped = int((now - timer.dueMs) / timer.periodMs);
                timer.dueMs = now + timer.periodMs;
            } else {
                timer.dueMs += timer.periodMs;
            }
            // What a tick costs in the page, and the ticks a stall dropped,
            // told to the page for the curious.
            double started = emscripten_get_now();
            Deliver(platform::WM_TIMER, id, 0);
            web_note_tick(emscripten_get_now() - started, dropped);
        }
    }
}

}  // namespace

namespace web {

void RunFrame() {
    FollowPageLanguage();
    FollowPad();
    PumpEvents();
    if (!Page.quitPosted)
        DeliverDueTimers(emscripten_get_now());
    PresentIfChanged();
}

// A frame of a replay or an online game: the pad is followed (an online
// game polls it with the keys) and the page's input taken, reaching nothing.
void FollowPageInput() {
    FollowPad();
    PumpEvents();
}

const platform::SurfaceData& CurrentPicture() {
    return *WindowPicture();
}

bool TimerSet(uintptr_t timerId) {
    return Page.timers.count(timerId) != 0;
}

void DeliverToWindow(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    Deliver(message, wParam, lParam);
}

void NoteWindowActive(bool active) {
    Page.window.active = active;
}

bool QuitPosted() {
    return Page.quitPosted;
}

int QuitCode() {
    return Page.quitCode;
}

void PresentNow() {
    PresentIfChanged();
}

bool PageResized() {
    return FollowOutputSize();
}

void PresentOtherPicture(const std::vector<uint32_t>& pixels) {
    FollowOutputSize();
    PresentWhole(pixels.data(), ClientWidth, ClientHeight);
    MarkWholeChanged();
}

}  // namespace web

namespace platform {

void RegisterClass(const char*, uint32_t, int, WindowProcedure procedure) {
    Page.classProcedure = procedure;
}

int GetSystemMetrics(int index) {
    if (index == SM_CXSCREEN || index == SM_CYSCREEN)
        return web_screen_size(index);
    return 0;
}

Window CreateWindow(const char*, const char*, uint32_t, int, int, int, int) {
    Page.window = WindowData{};
    Page.window.procedure = Page.classProcedure;
    Page.windowCreated = true;
    shared::SetPresentHook(NoteNewPicture);
    // The game loads its pictures next: their pixels come while it runs.
    web::UsePagePictures();
    return &Page.window;
}

void ShowWindow(Window window, int) {
    if (window != &Page.window || !WindowLive())
        return;
    Deliver(WM_SIZE, SIZE_RESTORED, platform::PointParam(ClientWidth, ClientHeight));
    SetActive(true);
    MarkWholeChanged();
}

void UpdateWindow(Window window) {
    if (window == &Page.window)
        PresentIfChanged();
}

int RunMessageLoop() {
    web::WaitForPictures();
    Page.loopRunning = true;
    if (web::Replaying())
        return web::RunReplayLoop();
    while (!Page.quitPosted) {
        web_wait_frame();
        web::RunFrame();
    }
    return Page.quitCode;
}

void PostQuitMessage(int exitCode) {
    Page.quitPosted = true;
    Page.quitCode = exitCode;
}

intptr_t DefWindowProc(Window window, uint32_t message, uintptr_t, intptr_t) {
    if (message == WM_CLOSE && window == &Page.window && WindowLive()) {
        Page.timers.clear();
        Deliver(WM_DESTROY, 0, 0);
        window->destroyed = true;
    }
    return 0;
}

void SetTimer(Window window, uintptr_t timerId, uint32_t periodMs) {
    if (window != &Page.window || window->destroyed)
        return;
    double period = periodMs < 10 ? 10.0 : double(periodMs);
    Page.timers[timerId] = WindowTimer{.periodMs = period, .dueMs = emscripten_get_now() + period};
}

void KillTimer(Window, uintptr_t timerId) {
    Page.timers.erase(timerId);
}

void SetBoxButtonTexts(const char* ok, const char* yes, const char* no) {
    dialog::SetButtonLabels(ok, yes, no);
}

int MessageBox(Window owner, const char* textUtf8, const char* captionUtf8, uint32_t type) {
    bool owned = owner == &Page.window && WindowLive();
    // The owner is inactive while its box is open, and active again after.
    if (owned)
        SetActive(false);
    PresentIfChanged();
    const char* text = textUtf8 ? textUtf8 : "";
    const char* caption = captionUtf8 ? captionUtf8 : "";
    const int answer = web::Replaying() ? web::ReplayedBox(text, caption, type)
                                        : web::ShowDialog(text, caption, type);
    if (web::Recorder().boxAnswered)
        web::Recorder().boxAnswered(answer);
    // A language chosen while the box was open speaks from the next box on,
    // also when that one follows at once (the start-up boxes).
    web::FollowPageLanguage();
    // What follows a box may draw (the first level after the start-up boxes).
    web::WaitForPictures();
    // The box is gone from the canvas with the next frame shown.
    MarkWholeChanged();
    const bool hidden = web::Replaying() ? web::ReplayedMinimized() : Page.pageHidden;
    if (owned && WindowLive() && !hidden)
        SetActive(true);
    return answer;
}

int16_t GetAsyncKeyState(int virtualKey) {
    // The keys of a replay are those the game saw, after the recording
    // player's key bindings: the viewer's bindings must not map them again.
    if (web::Replaying())
        return web::ReplayedKeyDown(virtualKey) ? int16_t(0x8000) : int16_t(0);
    return keymap::GameKeyDown(virtualKey, PageKeyDown) ? int16_t(0x8000) : int16_t(0);
}

}  // namespace platform

namespace host {

bool PlayerKeyDown(int virtualKey) {
    return keymap::PlayerKeyDown(virtualKey, PageKeyDown);
}

}  // namespace host

namespace platform {

Surface GetDC(Window) {
    return WindowPicture();
}

}  // namespace platform
