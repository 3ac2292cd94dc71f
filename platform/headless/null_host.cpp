// The host interface with nothing behind it, for morvask-sim, the tests and
// the fuzzers: no window options, sound or pads to set, no status to draw,
// no notices; a replay's messages and keys go to the scripted window.
#include "platform/headless/headless.h"
#include "platform/host.h"

namespace host {

bool Start() {
    return true;
}

void Stop() {}

void SetWindowOptions(const WindowOptions&) {}
void SetFullscreenObserver(void (*)(bool)) {}
void SetScaleModeObserver(void (*)(ScaleMode)) {}
void SetIndicatorTexts(const IndicatorTexts&) {}
void SetVolume(int) {}
int Volume() {
    return 0;
}
void StepVolume(int) {}
void SetVolumeObserver(void (*)(int)) {}
void StartPads() {}
void SetPadDeadZone(int) {}
void SetStatusDisplay(StatusPlace, void (*)(StatusShown&)) {}
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

void ShowNotice(const char*, const char*) {}
void DropAfterStart(const std::string&) {}
void StopOnSignals() {}

}  // namespace host
