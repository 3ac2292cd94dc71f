// What the files of the web backend share among themselves: the page's
// gamepad and pictures, the recording and playback of runs, and what the
// window lends the playback.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>

#include "platform/host.h"

namespace web {

// Reads the driving gamepad as the page saw it at this animation frame and
// holds the keys the desktop's layout gives it; the page queues Start's and
// Back's presses and releases.
void FollowPad();
// The key-down a press or release of Start or Back gives, as on the desktop:
// P or H as one is let go alone, Esc (the menu) as the second of the two
// goes down; 0 for none.
int PadCommandKey(int padButton, bool down);

// The page hands the game its pictures' sizes at start and their pixels
// later (from the call on): true once every picture is filled in.
void UsePagePictures();
bool PicturesReady();
// Waits (the browser runs meanwhile) until PicturesReady; nothing draws
// from a picture before.
void WaitForPictures();

// ---- Recording and playing runs (web_replay.cpp) ----------------------------

// A replay plays at the page's speed (its controls set the speed and pause)
// instead of the player's input: every animation frame plays the ticks due;
// the page's keys and pointer reach nothing of the game.
const host::InputRecorder& Recorder();
bool Replaying();
// Whether what plays is an online game (the driver reads the player's keys).
bool ReplayLive();
bool ReplayedKeyDown(int virtualKey);
// Whether the game was last told, in the replay, that its window is
// minimized (it then stays inactive after a box).
bool ReplayedMinimized();
// The message loop of a playback or an online game; returns the game's exit
// code.
int RunReplayLoop();
// A box opened in a playback (shown a moment with its recorded answer) or
// in an online game (held until either player answers it); the answer.
int ReplayedBox(const char* textUtf8, const char* captionUtf8, uint32_t type);
// The recorded answer of the box opening now, and the recorded text of the
// game's read of the clipboard or a drop.
int PlaybackAnswer(uint32_t boxType);
std::string PlaybackText();

// ---- What web_window.cpp lends the playback ----------------------------------

bool TimerSet(uintptr_t timerId);
// The pad followed and the page's input taken, none of it for the game.
void FollowPageInput();
void DeliverToWindow(uint32_t message, uintptr_t wParam, intptr_t lParam);
// The window's activation as the game was last told it.
void NoteWindowActive(bool active);
bool QuitPosted();
int QuitCode();
void PresentNow();

}  // namespace web
