// What the web edition's page tells its program besides input: the language
// the player chose on the page, the gamepad as the page reads it, and when
// the pictures are all there.
#pragma once

namespace web {

// The language chosen on the page, "zh" or "en" (remembered by the browser).
const char* PageLanguage();
// `observer` hears the page's language whenever the player changes it: it is
// told between ticks and when a box closes, so the next box speaks it.
void SetLanguageObserver(void (*observer)(const char* name));
// Tells the observer of a change since the last call.
void FollowPageLanguage();

// Reads the driving gamepad as the page saw it at this animation frame and
// holds the keys the desktop's layout gives it; the page queues Start and
// Back as commands.
void FollowPad();
// The key-down a command of the pad gives (P for Start, H for Back), or 0.
int PadCommandKey(int padButton);

// The page hands the game its pictures' sizes at start and their pixels
// later (from the call on): true once every picture is filled in.
void UsePagePictures();
bool PicturesReady();
// Waits (the browser runs meanwhile) until PicturesReady; nothing draws
// from a picture before.
void WaitForPictures();

}  // namespace web

#include <bitset>
#include <cstdint>
#include <string>

namespace web {

// ---- Recording and playing runs (web_replay.cpp) ----------------------------

// Told of every message from outside (the page's input, the timer) before
// and after the window procedure has it, every box answer, and every text
// the game reads from the clipboard or a drop: the program records the
// session with these.
struct InputRecorder {
    void (*arriving)(uint32_t message, uintptr_t wParam, intptr_t lParam) = nullptr;
    void (*done)(uint32_t message, uintptr_t wParam) = nullptr;
    void (*boxAnswered)(int answer) = nullptr;
    void (*textRead)(const std::string& text) = nullptr;
};
void SetInputRecorder(const InputRecorder& recorder);
const InputRecorder& Recorder();

// A replay played instead of the player's input: every animation frame plays
// the ticks due at the speed the page asks for (none while paused); the
// game's boxes show a moment and close with `boxAnswer`'s answer; the page's
// keys and pointer reach nothing of the game.
struct ReplayDriver {
    // Plays the recorded messages up to and including the next tick; false
    // once the playback is over.
    bool (*playTick)() = nullptr;
    int (*boxAnswer)(uint32_t boxType) = nullptr;
    std::string (*textRead)() = nullptr;
    // Called once the playback is over, before the message loop returns.
    void (*finished)() = nullptr;
};
void SetReplayDriver(const ReplayDriver& driver);
bool Replaying();
// The keys the game's polls see down from now on.
void SetReplayedKeys(const std::bitset<256>& keys);
bool ReplayedKeyDown(int virtualKey);
// Delivers one recorded message as it was delivered when recorded; false for
// a tick while the game's timer `wParam` is not set.
bool DeliverReplayed(uint32_t message, uintptr_t wParam, intptr_t lParam);
// Whether the game was last told, in the replay, that its window is
// minimized (it then stays inactive after a box).
bool ReplayedMinimized();
// The message loop of a playback; returns the game's exit code.
int RunReplayLoop();
// The recorded answer of the box opening now, and the recorded text of the
// game's read of the clipboard or a drop.
int PlaybackAnswer(uint32_t boxType);
std::string PlaybackText();

// ---- What web_window.cpp lends the playback ----------------------------------

bool TimerSet(uintptr_t timerId);
void DeliverToWindow(uint32_t message, uintptr_t wParam, intptr_t lParam);
// The window's activation as the game was last told it.
void NoteWindowActive(bool active);
bool QuitPosted();
int QuitCode();
void PresentNow();

}  // namespace web
