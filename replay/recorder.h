// Recording a run as a replay: the driver of the window (the desktop's event
// loop, morvask-sim) reports each outside message before the window procedure
// gets it, and each box answer; the recorder samples the keys and adds the
// state checksums.
#pragma once

#include <cstdint>
#include <string>

#include "options/records_file.h"

// Starts a recording of a run the generator of which gets `seed`: notes the
// built-in levels and what the map file holds now. Call before StartUp.
void BeginRecording(uint32_t seed);

// The records the run keeps, as the records key will show them (the
// recording takes the language of the boxes itself).
void NoteRecordedRecords(uint8_t kind, const RecordsRecord& records, const std::string& refusal);
// How the start-up opened: 0 with the game's boxes, 1 short with no sound, 2
// short with sound.
void NoteRecordedIntro(uint8_t intro);
// Where the status showed (a host::StatusPlace), kept in the replay.
void NoteRecordedStatusPlace(uint8_t place);

// An outside message about to be delivered: a tick of the battle timer, a key
// press, a mouse move, a size, activate or close message. Messages the game's
// own calls cause (a box's activation, the destroy message) are not reported.
void RecordMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
// The window procedure returned from that message.
void RecordMessageDone(uint32_t message, uintptr_t wParam);
// A message box got this answer (IDOK, IDYES, IDNO).
void RecordBoxAnswer(int answer);
// The game read this text from the clipboard or a drop (longer ones are cut
// to MaxReplayTextBytes by the platform before the game sees them).
void RecordTextRead(const std::string& text);

// Ends the recording and writes the file whole; false with the reason when
// it cannot be written.
bool FinishRecording(const std::string& path, std::string& error);

// The replay file of the run so far, ending here (empty when nothing is
// recorded); the recording goes on.
std::string RecordedRunSoFar();

// The replay of the game begun last, from its start to here (format version
// 6: the state at its start, then its events), as long however long the run
// before it was; empty when nothing is recorded, when no game began, or when
// the game's start does not tell all a playback needs (it went through the
// editor, or the state at its start was not a new game's alone).
std::string RecordedGameSoFar();

// Where the recorder finds the player's records as they are now (the shell
// keeps them): a game's replay begins with them.
void NoteRecordsSource(const RecordsRecord& (*current)());

// The replay file of the run so far as it is being written: header and the
// events that no later one changes (not a run of ticks that may go on), no
// end. Each call's bytes begin with the last call's, and the file written
// at the end begins with them too.
std::string RecordedRunSettled();

// Drops a recording under way without writing it, as at program start.
void ResetRecorder();
