// The headless backend's own controls, for morvask-sim, the tests and the
// benchmarks: virtual time, scripted key state, message delivery, and the
// message boxes and sound requests as events.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/host.h"
#include "platform/platform.h"
#include "platform/shared/surfaces.h"

namespace headless {

// Answers a message box: returns IDOK, IDYES or IDNO. Without an answerer an
// OK box is answered IDOK and a Yes/No box IDNO.
using BoxAnswerer = std::function<int(const char* text, const char* caption, uint32_t type)>;
using BoxObserver =
    std::function<void(const char* text, const char* caption, uint32_t type, int answer)>;
using SoundObserver = std::function<void(int resourceId, bool interrupting, bool played)>;

void SetBoxAnswerer(BoxAnswerer answerer);
void SetBoxObserver(BoxObserver observer);
void SetSoundObserver(SoundObserver observer);

// The program's own notices (host::ShowNotice), which need no answer and
// reach neither the game nor a recording: told to the observer, if any.
using NoticeObserver = std::function<void(const char* text, const char* caption)>;
void SetNoticeObserver(NoticeObserver observer);
void NoticeShown(const char* text, const char* caption);

// The seed that stands in for the calendar time (1 unless set).
void SetSeed(uint32_t seed);

// Tick steps taken so far; a step adds 1, then delivers WM_TIMER when the
// window's timer 1 is set.
int64_t TickCount();
void StepTick();
bool TimerIsSet(uintptr_t timerId);

// Delivers one message to the window procedure (nothing once the window is
// destroyed or before it exists).
void Deliver(uint32_t message, uintptr_t wParam, intptr_t lParam);
bool WindowExists();

void SetKeyDown(int virtualKey, bool down);
// Whether the key of the keyboard itself is held (no binding applied).
bool KeyHeld(int virtualKey);
void ReleaseAllKeys();
// A key of the keyboard goes down: the window procedure gets the key-down
// messages the player's key choices make of it.
void PressKey(int virtualKey);
// The key-down messages the player's key choices make of a key of the
// keyboard (at most two), as PressKey delivers them; their count.
int KeyDownMessages(int virtualKey, int messages[2]);

// The clipboard of the run, which the game reads and writes; and the text of
// a drop on the window, which the game reads after the key-down of VK_DROP.
void SetClipboard(const std::string& text);
const std::string& Clipboard();
void SetDroppedText(const std::string& text);
// Where the game's reads of the clipboard and drops go: a recording sees what
// they returned, a playback answers them.
using TextObserver = std::function<void(const std::string& text)>;
using TextAnswerer = std::function<std::string()>;
void SetTextObserver(TextObserver observer);
void SetTextAnswerer(TextAnswerer answerer);

// The window's picture: the last frame copied to it, black before the first.
const platform::SurfaceData* WindowPicture();

// What the program asked of the host: the window's options, the volume, the
// pads' dead zone and the status's place, as last set.
struct HostRequests {
    host::WindowOptions window;
    int volume = 100;
    int padDeadZone = 0;
    host::StatusPlace statusPlace = host::StatusAuto;
    void (*volumeObserver)(int) = nullptr;
};
HostRequests& RequestedOfHost();

bool QuitPosted();
int QuitCode();

// The network here is a link in memory: a datagram sent to the address of a
// socket of this process waits in that socket's queue (every socket answers
// as 127.0.0.1 at its port; port 0 takes the next free one from 40000).
// Faults, drawn from their own seeded generator: each datagram is lost,
// delivered twice, or put before the one queued last, at these percentages.
struct NetFaults {
    uint32_t seed = 1;
    int32_t lossPercent = 0;
    int32_t duplicatePercent = 0;
    int32_t reorderPercent = 0;
};
void SetNetFaults(const NetFaults& faults);
// Datagrams the faults dropped, and those sent to no socket.
int64_t NetLost();
int64_t NetUndeliverable();
// Closes every socket of the link and clears its faults (Reset does too).
void ResetNetLink();

// Forgets the window, timers, keys, time, sound channel, hooks and the
// network's sockets, so that a test can start over in the same process.
void Reset();

}  // namespace headless
