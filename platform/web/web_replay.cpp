// Recording and playing runs in the web backend: the recorder's hooks, and a
// replay played at the page's speed (its controls set the speed and pause),
// the recorded keys and box answers standing in for the player's.
#include <emscripten.h>

#include <algorithm>

#include "platform/web/web_backend.h"
#include "platform/web/web_dialog.h"

// The speed the page's replay controls ask for: ticks per 10 ms of the
// page's time, 0 while paused.
EM_JS(int, web_replay_speed, (), { return Module.morvask.replaySpeed(); });
// How far the playback is, for the page's bar.
EM_JS(void, web_replay_progress, (int ticks), { Module.morvask.replayProgress(ticks); });
EM_ASYNC_JS(double, web_replay_frame, (), { return await Module.morvask.waitFrame(); });

namespace {

host::InputRecorder TheRecorder;
host::ReplayDriver Driver;
bool Playing = false;
std::bitset<256> ReplayedKeys;
int TicksPlayed = 0;
bool Minimized = false;

// A frame plays at most this many of the game's periods of ticks at a time
// (times the speed), so a frame that came late does not make up a stall.
constexpr double MostPeriodsAtOnce = 5.0;
// A hidden page is given a frame every 200 ms.
constexpr double MostLivePeriodsAtOnce = 25.0;
constexpr double TickMs = 10.0;

bool LiveBoxWaits() {
    return Driver.liveBox(host::LiveBoxWaits);
}

}  // namespace

namespace web {

const host::InputRecorder& Recorder() {
    return TheRecorder;
}

bool Replaying() {
    return Playing;
}

bool ReplayLive() {
    return Playing && Driver.live;
}

bool ReplayedMinimized() {
    return Minimized;
}

bool ReplayedKeyDown(int virtualKey) {
    return virtualKey >= 0 && virtualKey < 256 && ReplayedKeys.test(size_t(virtualKey));
}

// Each frame plays the ticks that fell due since the last one at the speed
// asked for; the page's input is read and dropped (it reaches no game). An
// online game plays at the game's pace, its keys polled by the driver, and
// makes up more after a slow frame: the other player's program goes on.
int RunReplayLoop() {
    double last = emscripten_get_now();
    double owed = 0.0;
    bool going = true;
    const double mostAtOnce = Driver.live ? MostLivePeriodsAtOnce : MostPeriodsAtOnce;
    while (going && !QuitPosted()) {
        const double now = web_replay_frame();
        FollowPageInput();
        const int speed = Driver.live ? 1 : web_replay_speed();
        owed += std::min(now - last, mostAtOnce * TickMs) / TickMs * speed;
        last = now;
        while (going && owed >= 1.0 && !QuitPosted()) {
            owed -= 1.0;
            going = Driver.playTick();
            ++TicksPlayed;
        }
        if (speed == 0)
            owed = 0.0;
        PresentNow();
        if (!Driver.live)
            web_replay_progress(TicksPlayed);
    }
    PresentNow();
    if (Driver.finished)
        Driver.finished();
    Playing = false;
    return QuitCode();
}

int ReplayedBox(const char* textUtf8, const char* captionUtf8, uint32_t type) {
    const int answer = PlaybackAnswer(type);
    // A box of a tick run again in an online game is answered unseen.
    if (Driver.boxShown && !Driver.boxShown())
        return answer;
    if (Driver.liveBox && Driver.liveBox(host::LiveBoxOpens)) {
        // Either player's answer goes on with the session's.
        if (ShowDialog(textUtf8, captionUtf8, type, LiveBoxWaits) != 0)
            Driver.liveBox(host::LiveBoxAnsweredHere);
        return answer;
    }
    ShowReplayedDialog(textUtf8, captionUtf8, type, answer);
    return answer;
}

int PlaybackAnswer(uint32_t type) {
    return Driver.boxAnswer ? Driver.boxAnswer(type) : platform::IDOK;
}

std::string PlaybackText() {
    return Driver.textRead ? Driver.textRead() : std::string();
}

}  // namespace web

namespace host {

void SetInputRecorder(const InputRecorder& recorder) {
    TheRecorder = recorder;
}

void SetReplayDriver(const ReplayDriver& driver) {
    Driver = driver;
    Playing = driver.playTick != nullptr;
}

void SetReplayedKeys(const std::bitset<256>& keys) {
    ReplayedKeys = keys;
}

bool DeliverReplayed(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == platform::WM_TIMER && !web::TimerSet(wParam))
        return false;
    // The game's own calls look at what it was told last, as they did when
    // the run was recorded.
    if (message == platform::WM_ACTIVATE)
        web::NoteWindowActive(wParam != platform::WA_INACTIVE);
    if (message == platform::WM_SIZE)
        Minimized = wParam == platform::SIZE_MINIMIZED;
    web::DeliverToWindow(message, wParam, lParam);
    return true;
}

// The page stops a playback with its own controls.
bool ReplayStoppedByViewer() {
    return false;
}

}  // namespace host
