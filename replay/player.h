// Playing a replay back: the recorded outside messages go to the window
// procedure through the driver, the recorded keys stand in for the keyboard
// and the recorded answers close the boxes; every stored checksum is compared
// with the state, and the first difference stops the playback (a desync).
#pragma once

#include <bitset>
#include <cstdint>
#include <string>

#include "replay/file.h"

// What the driver of the window does for the player.
struct PlaybackHooks {
    // From now on these keys are down, as the game's polls see them.
    void (*setKeys)(const std::bitset<256>& keys);
    // Delivers one message to the window procedure; false when it cannot be
    // (a tick while the battle timer is not set).
    bool (*deliver)(uint32_t message, uintptr_t wParam, intptr_t lParam);
};

// Whether this program has what the replay needs: its built-in levels must
// be the ones it was recorded with.
bool ReplayLevelsPresent(const ReplayRecord& replay, std::string& error);

// Playback runs in a fresh directory of its own holding the map file the run
// began with, so loads and saves behave as recorded and no user file is
// touched. Leaving it goes back and removes it.
bool EnterReplayDirectory(const ReplayRecord& replay, std::string& error);
void LeaveReplayDirectory();

// Starts playing; call before StartUp, with PlaybackBoxAnswer answering the
// boxes and the replay's seed seeding the generator.
void BeginPlayback(const ReplayRecord& replay, PlaybackHooks hooks);

// A replay still being written, read again longer (the same events first,
// more after them): playing goes on into the new events. The end is the
// longer one's. Play a tick only while the replay holds a tick after it, so
// that the boxes it opens find their answers.
void ExtendPlayback(const ReplayRecord& longer);

enum PlaybackStatus { PlaybackGoing, PlaybackSame, PlaybackDesync };
// Plays the recorded messages up to and including the next tick (or to the
// end of the replay).
PlaybackStatus PlayNextTick();
PlaybackStatus PlaybackState();

// The answer of the box the game opens now, from the replay.
int PlaybackBoxAnswer(uint32_t boxType);

// The text the game reads now from the clipboard or a drop, from the replay.
std::string PlaybackTextRead();

// Ticks played so far, and where and how the run parted from the recording.
uint32_t PlaybackTicks();
uint32_t PlaybackTotalTicks();
uint32_t PlaybackDesyncTick();
const std::string& PlaybackDesyncReason();

// Forgets the replay and its playback, as at program start, leaving a
// playback directory still entered.
void ResetPlayback();
