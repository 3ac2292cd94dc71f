// The host interface with nothing behind it, for morvask-sim, the tests and
// the fuzzers: what the program asks is kept but nothing is shown or played;
// a replay's messages and keys go to the scripted window.
#include "platform/headless/headless.h"
#include "platform/host.h"

namespace {

// Kept so that a test can read back what the settings put in force; nothing
// is shown or played.
headless::HostRequests Kept;

}  // namespace

headless::HostRequests& headless::RequestedOfHost() {
    return Kept;
}

namespace host {

bool Start() {
    return true;
}

void Stop() {}

void SetWindowOptions(const WindowOptions& options) {
    Kept.window = options;
}

// The window never changes by itself here, so these observers are never told.
void SetFullscreenObserver(void (*)(bool)) {}
void SetScaleModeObserver(void (*)(ScaleMode)) {}
void ChooseFullscreen(bool fullscreen) {
    headless::RequestedOfHost().window.fullscreen = fullscreen;
}
void ChooseScaleMode(ScaleMode mode) {
    headless::RequestedOfHost().window.scaleMode = mode;
}
void SetIndicatorTexts(const IndicatorTexts&) {}

void SetVolume(int percent) {
    Kept.volume = percent < 0 ? 0 : percent > 100 ? 100 : percent;
}

int Volume() {
    return Kept.volume;
}

void StepVolume(int steps) {
    const int before = Kept.volume;
    SetVolume(before + steps * 10);
    if (Kept.volume != before && Kept.volumeObserver)
        Kept.volumeObserver(Kept.volume);
}

void SetVolumeObserver(void (*observer)(int)) {
    Kept.volumeObserver = observer;
}

void StartPads() {}

void SetPadDeadZone(int percent) {
    Kept.padDeadZone = percent;
}

void SetStatusDisplay(StatusPlace place, void (*)(StatusShown&)) {
    Kept.statusPlace = place;
}

// Recording and replay driving belong to the program's hooks here: the
// scripted window delivers what a replay plays.
void SetInputRecorder(const InputRecorder&) {}
void SetReplayDriver(const ReplayDriver&) {}

void SetReplayedKeys(const std::bitset<256>& keys) {
    for (int key = 1; key < 256; ++key)
        headless::SetKeyDown(key, keys.test(size_t(key)));
}

bool DeliverReplayed(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == platform::WM_TIMER && !headless::TimerIsSet(wParam))
        return false;
    headless::Deliver(message, wParam, lParam);
    return true;
}

bool ReplayStoppedByViewer() {
    return false;
}

bool PlayerKeyDown(int virtualKey) {
    return (platform::GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}

void ShowNotice(const char* textUtf8, const char* captionUtf8, bool) {
    headless::NoticeShown(textUtf8, captionUtf8);
}
// Told as a notice; no one waits in a headless run.
bool ShowWaitingNotice(const char* textUtf8, const char* captionUtf8, bool (*)()) {
    headless::NoticeShown(textUtf8, captionUtf8);
    return false;
}
void EndGameInWindow() {
    platform::PostQuitMessage(0);
}
void DropAfterStart(const std::string&) {}
void StopOnSignals() {}

}  // namespace host
