// The headless backend: no window, no audio device, a virtual 10 ms timer and
// message boxes answered by whoever drives it. Everything the game asks of
// the platform happens in memory, in the same order as on the desktop.
#include "platform/headless/headless.h"

#include <bitset>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "platform/input/key_map.h"
#include "platform/shared/resources.h"
#include "platform/shared/surfaces.h"

struct platform::WindowData {
    platform::WindowProcedure procedure = nullptr;
    bool destroyed = false;
    bool active = false;
};

namespace {

constexpr int ClientWidth = 960;
constexpr int ClientHeight = 704;

struct HeadlessState {
    platform::WindowProcedure classProcedure = nullptr;
    platform::WindowData window;
    bool windowCreated = false;
    platform::Surface windowSurface = nullptr;
    std::set<uintptr_t> timers;
    std::bitset<256> keys;
    int64_t ticks = 0;
    uint32_t seed = 1;
    bool quitPosted = false;
    int quitCode = 0;
    // The one sound channel, in virtual milliseconds.
    bool soundStarted = false;
    int64_t soundStartMs = 0;
    int64_t soundLengthMs = 0;
    headless::BoxAnswerer answerer;
    headless::BoxObserver boxObserver;
    headless::SoundObserver soundObserver;
    headless::NoticeObserver noticeObserver;
    std::string clipboard;
    std::string dropped;
    headless::TextObserver textObserver;
    headless::TextAnswerer textAnswerer;
};

HeadlessState Run;

int64_t NowMs() {
    return Run.ticks * 10;
}

// The length of each wave, read from its header once.
int64_t WaveLengthMs(int resourceId) {
    static std::map<int, int64_t> lengths;
    auto found = lengths.find(resourceId);
    if (found != lengths.end())
        return found->second;
    shared::WaveInfo info = shared::ReadWaveInfo(shared::FindResource(resourceId));
    int64_t length = info.valid ? info.sampleCount * 1000 / info.sampleRate : 0;
    lengths[resourceId] = length;
    return length;
}

bool ScriptedKeyDown(int virtualKey) {
    return virtualKey >= 0 && virtualKey < 256 && Run.keys[virtualKey];
}

}  // namespace

namespace headless {

void SetBoxAnswerer(BoxAnswerer answerer) {
    Run.answerer = std::move(answerer);
}
void SetBoxObserver(BoxObserver observer) {
    Run.boxObserver = std::move(observer);
}
void SetSoundObserver(SoundObserver observer) {
    Run.soundObserver = std::move(observer);
}
void SetNoticeObserver(NoticeObserver observer) {
    Run.noticeObserver = std::move(observer);
}
void NoticeShown(const char* text, const char* caption) {
    if (Run.noticeObserver)
        Run.noticeObserver(text, caption);
}
void SetSeed(uint32_t seed) {
    Run.seed = seed;
}

int64_t TickCount() {
    return Run.ticks;
}

void StepTick() {
    ++Run.ticks;
    if (Run.timers.count(1))
        Deliver(platform::WM_TIMER, 1, 0);
}

bool TimerIsSet(uintptr_t timerId) {
    return Run.timers.count(timerId) != 0;
}

void Deliver(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!Run.windowCreated || Run.window.destroyed || !Run.window.procedure)
        return;
    Run.window.procedure(&Run.window, message, wParam, lParam);
}

bool WindowExists() {
    return Run.windowCreated && !Run.window.destroyed;
}

void SetKeyDown(int virtualKey, bool down) {
    if (virtualKey >= 0 && virtualKey < 256)
        Run.keys[virtualKey] = down;
}

bool KeyHeld(int virtualKey) {
    return virtualKey >= 0 && virtualKey < 256 && Run.keys[virtualKey];
}

void ReleaseAllKeys() {
    Run.keys.reset();
}

void PressKey(int virtualKey) {
    int messages[2];
    int count = keymap::KeyDownMessages(virtualKey, messages);
    for (int k = 0; k < count; ++k)
        Deliver(platform::WM_KEYDOWN, uintptr_t(messages[k]), 0);
}

int KeyDownMessages(int virtualKey, int messages[2]) {
    return keymap::KeyDownMessages(virtualKey, messages);
}

const platform::SurfaceData* WindowPicture() {
    if (!Run.windowSurface)
        Run.windowSurface = shared::WindowSurface(ClientWidth, ClientHeight);
    return Run.windowSurface;
}

bool QuitPosted() {
    return Run.quitPosted;
}
int QuitCode() {
    return Run.quitCode;
}

void SetClipboard(const std::string& text) {
    Run.clipboard = text.substr(0, platform::MaxOutsideTextBytes);
}

const std::string& Clipboard() {
    return Run.clipboard;
}

void SetDroppedText(const std::string& text) {
    Run.dropped = text.substr(0, platform::MaxOutsideTextBytes);
}

void SetTextObserver(TextObserver observer) {
    Run.textObserver = std::move(observer);
}

void SetTextAnswerer(TextAnswerer answerer) {
    Run.textAnswerer = std::move(answerer);
}

void Reset() {
    platform::Surface surface = Run.windowSurface;
    Run = HeadlessState{};
    RequestedOfHost() = HostRequests{};
    keymap::Reset();
    ResetNetLink();
    // The window's surface is kept (the game holds it), but shows black again.
    if (surface) {
        std::fill(surface->pixels.begin(), surface->pixels.end(), 0u);
        Run.windowSurface = surface;
    }
}

}  // namespace headless

namespace {

std::string OutsideText(const std::string& text) {
    const std::string given = Run.textAnswerer ? Run.textAnswerer() : text;
    if (Run.textObserver)
        Run.textObserver(given);
    return given;
}

}  // namespace

namespace platform {

bool HasSystemClipboard() {
    return false;
}

void SetClipboardText(const std::string& textUtf8) {
    // A playback leaves the run's clipboard as the script set it.
    if (!Run.textAnswerer)
        Run.clipboard = textUtf8.substr(0, MaxOutsideTextBytes);
}

std::string ClipboardText() {
    return OutsideText(Run.clipboard);
}

std::string DroppedText() {
    return OutsideText(std::exchange(Run.dropped, std::string()));
}

void RegisterClass(const char*, uint32_t, int, WindowProcedure procedure) {
    Run.classProcedure = procedure;
}

int GetSystemMetrics(int index) {
    // A 1920 x 1080 screen: the window is centred on it as on a desktop.
    if (index == SM_CXSCREEN)
        return 1920;
    if (index == SM_CYSCREEN)
        return 1080;
    return 0;
}

Window CreateWindow(const char*, const char*, uint32_t, int, int, int, int) {
    Run.window = WindowData{};
    Run.window.procedure = Run.classProcedure;
    Run.windowCreated = true;
    return &Run.window;
}

void ShowWindow(Window window, int) {
    // A new top-level window is shown restored and becomes the active one.
    window->active = true;
    headless::Deliver(WM_SIZE, SIZE_RESTORED, (ClientHeight << 16) | ClientWidth);
    headless::Deliver(WM_ACTIVATE, WA_ACTIVE, 0);
}

void UpdateWindow(Window) {}

int RunMessageLoop() {
    return Run.quitCode;
}

void PostQuitMessage(int exitCode) {
    Run.quitPosted = true;
    Run.quitCode = exitCode;
}

intptr_t DefWindowProc(Window window, uint32_t message, uintptr_t, intptr_t) {
    if (message == WM_CLOSE && !window->destroyed) {
        // Destroying the window sends WM_DESTROY before it returns.
        Run.timers.clear();
        headless::Deliver(WM_DESTROY, 0, 0);
        window->destroyed = true;
    }
    return 0;
}

void SetTimer(Window, uintptr_t timerId, uint32_t) {
    Run.timers.insert(timerId);
}

void KillTimer(Window, uintptr_t timerId) {
    Run.timers.erase(timerId);
}

int MessageBox(Window owner, const char* textUtf8, const char* captionUtf8, uint32_t type) {
    // The owner is inactive while its box is open, and active again after.
    if (owner) {
        owner->active = false;
        headless::Deliver(WM_ACTIVATE, WA_INACTIVE, 0);
    }
    bool yesNo = (type & 0xF) == MB_YESNO;
    int answer = yesNo ? IDNO : IDOK;
    if (Run.answerer)
        answer = Run.answerer(textUtf8, captionUtf8, type);
    if (Run.boxObserver)
        Run.boxObserver(textUtf8, captionUtf8, type, answer);
    if (owner) {
        owner->active = true;
        headless::Deliver(WM_ACTIVATE, WA_ACTIVE, 0);
    }
    return answer;
}

// Headless boxes have no buttons to label: they are answered by script.
void SetBoxButtonTexts(const char*, const char*, const char*) {}

int16_t GetAsyncKeyState(int virtualKey) {
    return keymap::GameKeyDown(virtualKey, ScriptedKeyDown) ? int16_t(0x8000) : int16_t(0);
}

Surface GetDC(Window) {
    return const_cast<Surface>(headless::WindowPicture());
}

void PlaySound(int resourceId, uint32_t flags) {
    bool interrupting = (flags & SND_NOSTOP) == 0;
    int64_t now = NowMs();
    bool playing = Run.soundStarted && now - Run.soundStartMs < Run.soundLengthMs;
    bool played = interrupting || !playing;
    if (played) {
        Run.soundStarted = true;
        Run.soundStartMs = now;
        Run.soundLengthMs = WaveLengthMs(resourceId);
    }
    if (Run.soundObserver)
        Run.soundObserver(resourceId, interrupting, played);
}

uint32_t CalendarTimeSeconds() {
    return Run.seed;
}

void FixCalendarTime(uint32_t seconds) {
    Run.seed = seconds;
}

}  // namespace platform
