// Replays in morvask-sim: checking a replay file at full speed with no
// window, and recording a script's run as a replay.
#pragma once

#include <cstdint>
#include <string>

// Plays the replay of a file, or of a share code or link, back on the
// headless backend and says how it went: 0 the same game to the end, 1 a
// desync (at the tick named), 2 a file or code refused (not a replay, another
// format version, a level set that is not here).
int VerifyReplay(const std::string& source);

// Recording a script's run: the sim reports what it delivers through these.
// `statusPlace` is where the status showed (a host::StatusPlace), kept in
// the replay.
void StartRecordedRun(uint32_t seed, uint8_t statusPlace);
void SendRecorded(uint32_t message, uintptr_t wParam, intptr_t lParam);
void StepRecorded();
// Writes the replay; false (with a message on standard error) when it fails.
bool EndRecordedRun(const std::string& path);
// `--share-run FILE` after --record: the file's name, taken off the command
// line (empty without the option).
std::string TakeShareRunOption(int& argc, char**& argv);
// Writes what the run's share key would give now (--share-run): the code of
// the game ended last on one line, or why there is none; false (with a
// message on standard error) when the file cannot be written.
bool WriteRunCode(const std::string& path);
