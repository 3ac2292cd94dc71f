// Recording and replaying a run on Win32: every message from outside reaches
// the game through one door that tells the recorder, the keyboard is read as
// it stood when the message arrived, and a replay drives the game at its own
// pace while the viewer's input reaches nothing of it.

#include <csignal>
#include <iterator>
#include <string>
#include <utility>

#include "platform/files.h"
#include "platform/win32/backend.h"

namespace win32 {

RunHooks Hooks;

namespace {

volatile LONG StopSignalNumber = 0;
HWND StopWindow = nullptr;

// Ctrl+C or Ctrl+Break in the console the program was started from, or
// the console closing: the message loop ends the run between two messages.
BOOL WINAPI NoteConsoleStop(DWORD event) {
    const LONG number = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    ::InterlockedExchange(&StopSignalNumber, number);
    if (StopWindow)
        ::PostMessageW(StopWindow, WM_NULL, 0, 0);
    return TRUE;
}

// The keyboard now, for the game's polls while this message is handled.
void TakeKeyboard() {
    for (int key = 1; key < 256; ++key)
        Hooks.keysAtArrival.set(size_t(key), (::GetAsyncKeyState(key) & 0x8000) != 0);
}

}  // namespace

LRESULT DeliverToGame(platform::WindowData* window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Once the message loop runs, a message that arrives while the game's
    // procedure is not running comes from outside: the player, the system or
    // the timer. The rest follow from the game's own calls.
    const bool outside = Hooks.loopRunning && Hooks.depth == 0;
    if (outside)
        TakeKeyboard();
    // From here on the game's polls, and the recorder's sampling of the
    // keys, read the keyboard as the message found it.
    ++Hooks.depth;
    if (outside && Hooks.recorder.arriving)
        Hooks.recorder.arriving(message, wParam, lParam);
    const LRESULT result = window->procedure(window, message, wParam, lParam);
    --Hooks.depth;
    if (outside && Hooks.recorder.done)
        Hooks.recorder.done(message, wParam);
    return result;
}

bool PhysicalKeyDown(int key) {
    if (key <= 0 || key >= 256)
        return false;
    // Inside the game's procedure the keyboard is the one the message found,
    // so that the recorder and the game's polls agree.
    if (Hooks.depth > 0)
        return Hooks.keysAtArrival.test(size_t(key));
    return (::GetAsyncKeyState(key) & 0x8000) != 0;
}

std::string GivenText(std::string text) {
    if (text.size() > platform::MaxOutsideTextBytes)
        text.resize(platform::MaxOutsideTextBytes);
    if (Hooks.replaying)
        text = Hooks.replay.textRead ? Hooks.replay.textRead() : std::string();
    if (Hooks.recorder.textRead)
        Hooks.recorder.textRead(text);
    return text;
}

void DropText(platform::WindowData* window, std::string text) {
    if (Hooks.replaying || !window || !window->procedure)
        return;
    Hooks.dropped = std::move(text);
    DeliverToGame(window, WM_KEYDOWN, platform::VK_DROP, 0);
}

void DropFiles(platform::WindowData* window, HDROP drop) {
    wchar_t name[MAX_PATH * 4];
    const UINT length = ::DragQueryFileW(drop, 0, name, UINT(std::size(name)));
    ::DragFinish(drop);
    if (length == 0 || length >= std::size(name))
        return;
    const std::string path = Narrow(name);
    // A file is dropped as its bytes: the game sees what the recording keeps.
    std::string bytes;
    if (!platform::ReadSmallFile(path.c_str(), platform::MaxOutsideTextBytes, bytes))
        bytes.clear();
    DropText(window, std::move(bytes));
}

void DropPendingText(platform::WindowData* window) {
    if (!Hooks.dropAtStart.empty())
        DropText(window, std::exchange(Hooks.dropAtStart, std::string()));
}

int StopSignal() {
    return int(StopSignalNumber);
}

void WatchStops(HWND window) {
    StopWindow = window;
}

}  // namespace win32

namespace host {

void SetInputRecorder(const InputRecorder& recorder) {
    win32::Hooks.recorder = recorder;
}

void SetReplayDriver(const ReplayDriver& driver) {
    win32::Hooks.replay = driver;
    win32::Hooks.replaying = driver.playTick != nullptr;
    if (win32::Hooks.replay.speed < 1)
        win32::Hooks.replay.speed = 1;
    if (win32::Hooks.replay.tickMs < 1)
        win32::Hooks.replay.tickMs = 10;
}

void SetReplayedKeys(const std::bitset<256>& keys) {
    win32::Hooks.replayedKeys = keys;
}

bool ReplayStoppedByViewer() {
    return win32::Hooks.stopped;
}

void DropAfterStart(const std::string& text) {
    win32::Hooks.dropAtStart = text;
}

void StopOnSignals() {
    ::SetConsoleCtrlHandler(win32::NoteConsoleStop, TRUE);
}

}  // namespace host
