// Watching an online game through the lobby: the game's feed (the replay its
// host records, as it grows) fetched and played in the window a few seconds
// behind the players, as a replay plays, and kept whole at the end.
#pragma once

#include <cstdint>
#include <string>

#include "options/command_line.h"
#include "replay/file.h"

// How many ticks behind the newest one the feed holds the window plays
// (three seconds of ticks of 10 ms): the feed comes in bursts, twice a
// second or so.
inline constexpr int32_t WatchBehindTicks = 300;
// A viewer further behind than this (it came late, or paused) skips ahead,
// undrawn, to WatchBehindTicks behind; at most this many ticks at a time.
inline constexpr int32_t WatchSkipAfterTicks = 1000;
inline constexpr int32_t WatchSkipMostTicks = 20000;
// How long a viewer waits for the game's start.
inline constexpr int64_t WatchPatienceUs = 30000000;

// Asks the lobby `lobbyText` for the game of the room `line.watchText` and
// waits until its start (the replay's header) arrived; false with why.
bool MeetWatchedGame(const CommandLine& line, const std::string& lobbyText, std::string& error);
// The replay as it stands: what the window's playback starts from.
const ReplayRecord& WatchedReplay();
// Sets the window's host to play the feed as it comes (the replay driver;
// `live`: at the game's pace, as an online game, rather than a replay's,
// which the viewer may pause). Call before start-up, with the replay's
// directory entered and its options in force.
void StartWatchRun(int speed, bool live);
// How the watching stands: the feed came whole, and why it stopped early
// (empty when it did not).
bool WatchedWhole();
const std::string& WatchProblem();
// After the message loop: the replay written to `path` when it came whole,
// and how the watching ended on standard output (a notice when the game
// parted from its feed, or the feed stopped); the exit status.
int FinishWatchRun(const std::string& path, int exitCode);
