// Recording the run and playing a replay in the window, the same way on every
// host: the replay read and checked before anything shows, its options put in
// force, the host driven by it, and how it ended told.
#pragma once

#include <string>

#include "options/command_line.h"
#include "platform/host.h"
#include "replay/file.h"

// Reads the replay to play (a file for --play; a code, link or file for
// --open when `shared`); false, with the reason on standard error, when it
// is not one this program can play as recorded.
bool ReadReplayToPlay(const std::string& path, bool shared, ReplayRecord& replay);
// Records the run in memory from start-up (what Ctrl+Shift+C shares and
// --record writes).
void StartRecordingRun();
// Sets the replay up to play in the window, in a directory holding the map
// file it began with; false, with the reason on standard error, when that
// directory cannot be made.
bool StartPlayingReplay(const CommandLine& line, const ReplayRecord& replay);
// The replay's options put in force and its playback begun: the host driven
// by `driver` (its pace, its end), with the playback's ticks, box answers and
// texts.
void PlayOnHost(const ReplayRecord& replay, host::ReplayDriver driver);

// What the run was recorded with, put in force for its playback: the seed,
// the intro, the status's place, the boxes' language and the records R
// showed. Every host plays a replay with these, whatever the viewer's.
void ApplyRecordedOptions(const ReplayRecord& replay);
// How the playback ended, on standard output and, for a desync, in a notice;
// the exit status: 0 when the replay played to its end or the viewer
// stopped it, 1 when the game parted from the recording.
int ReportPlayback(const std::string& shownName);
// Writes the recorded run to `path`; the program's exit status, which says
// a replay that could not be written.
int FinishRecordedRun(const std::string& path, int exitCode);
// Whether a replay can be written at `path` when the game ends (a new file
// in its folder, moved over the old one); the reason when not, so that the
// player learns it before playing rather than after the whole game.
bool ReplayPathWritable(const std::string& path, std::string& why);
