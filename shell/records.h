// The player's records, kept from honest play: what the game does is
// watched after each message, recorded in the records file beside the
// settings, and shown (with a fresh game at the highest level reached on
// offer) in a box of its own. Without a records file nothing is kept, no box
// opens and the game is exactly the game.
#pragma once

#include <string>

#include "options/records_file.h"

// Keeps records in the file at `path` from now on, starting from what it
// holds. A file that cannot be read whole is kept aside under a name of its
// own (options/records_file.h), never over another, and a fresh file is
// started; one that cannot be moved either is left alone and nothing is
// recorded. Either is said on standard error. Call before StartUp.
void KeepRecordsIn(const std::string& path);
// What the player is told at start-up about the records file kept aside
// in this run, in the player's language; empty when none was.
std::string RecordsStartNotice();
// Keeps records starting from `records` without any file (a replay played
// back shows and changes them as the recorded run did).
void KeepRecordsInMemory(const RecordsRecord& records);

// Keeps no records because the file was refused for `why` (a replay of such
// a run shows the refusal as it did).
void KeepRecordsRefused(const std::string& why);

// Whether records are kept in this run (or their file was refused), and
// what they hold now.
bool RecordsKept();
bool RecordsRefused();
const std::string& RecordsRefusal();
// The records as they were when the run began (the replay's copy).
const RecordsRecord& RecordsAtStart();
const RecordsRecord& CurrentRecords();

// After every message the window procedure handles: notices games and
// levels starting, and the Z keys.
void WatchRecords();
// At the start of every tick, before the editor's and the mode's: also counts
// the tick of play and records the level cleared, the game lost or won.
void WatchRecordsBeforeTick();

// The records box (the R key in play): the records, why this game is not
// recorded if it is not, and the question whether to start a fresh game at
// the highest level reached. Does nothing when no records are kept.
void ShowRecordsBox();

// No records kept, nothing watched, as at program start.
void ResetRecords();
