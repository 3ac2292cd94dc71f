// The replay file: what a recorded run holds (seed, levels, the outside
// messages, the keys held and the box answers, in order, with state checksums)
// and its byte format, written and read strictly. docs/replay-format.md
// describes the bytes for other tools.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "options/records_file.h"
#include "replay/game_start_section.h"

// The newest version read and written: 3, with the number of players among
// the shown options, is written for a run that needs it (a game of two
// players at the start, or the players question asked during the run), so
// that older programs refuse it; any other run is written as version 2.
// Version 1 (without the shown options) is read too.
inline constexpr uint32_t ReplayFormatVersion = 7;
// Version 7: the replay of one game (what a run's share code holds), laid out
// as version 6 with a short start, then the state at the game's start
// (ReplayGameStart), and the game's events from there. A session is never
// written as version 7.
inline constexpr uint32_t GameReplayFormatVersion = 7;
// Version 6: a run in which the menu opened with rows only some programs
// offer (Play online): the shown options add which (key 6), so that a reader
// shows the rows the run had; laid out and played as version 5 otherwise.
inline constexpr uint32_t MenuRowsReplayFormatVersion = 6;
// Version 5: a run whose sound question was answered by the settings (`sound
// = on|off`: the start 3 or 4, which older programs do not know), laid out
// and played as version 4. Version 4: a run in which Esc opened the menu (the
// same file as version 3), which older programs, where Esc opened none,
// refuse; version 3 one of two players.
inline constexpr uint32_t SoundGivenReplayFormatVersion = 5;
inline constexpr uint32_t MenuReplayFormatVersion = 4;
inline constexpr uint32_t TwoPlayersReplayFormatVersion = 3;
inline constexpr uint32_t OnePlayerReplayFormatVersion = 2;
inline constexpr uint32_t OldestReplayFormatVersion = 1;
// A checksum of the game's state follows every this many ticks.
inline constexpr uint32_t ReplayCheckInterval = 100;

enum ReplayOpValue : uint8_t {
    ReplayEnd = 0,
    ReplayTicks = 1,     // count: timer messages delivered with the keys in force
    ReplayKeys = 2,      // keys: the keys down from now on
    ReplayKeyDown = 3,   // value: the virtual key of a key-down message
    ReplayMouse = 4,     // x, y: a mouse-move message at that client position
    ReplaySize = 5,      // value: a size message's kind (restored, minimised, ...)
    ReplayActivate = 6,  // value: an activate message's state
    ReplayClose = 7,     // the close message
    ReplayBox = 8,       // value: the answer a message box got (IDOK, IDYES, IDNO)
    ReplayCheck = 9,     // value: the state checksum after the last tick
    ReplayText = 10,     // text: what the game read from the clipboard or a drop
};

// The longest text a replay keeps of one read of the clipboard or a drop.
inline constexpr uint32_t MaxReplayTextBytes = 2u << 20;

// What the map file in the working directory held when the run began: the
// game may load it (and save over it) during the run.
enum ReplayMapFileValue : uint8_t {
    NoMapFile = 0,        // there was none
    BuiltInMapFile = 1,   // the built-in levels in the game's own text format
    LevelSetMapFile = 2,  // some other 5775 values in the game's own text format
    RawMapFile = 3,       // any other bytes, kept as they were
};

// The shown options of a version 2 file, each a key, then its value.
enum ReplayOptionKey : uint8_t {
    ReplayLanguageOption = 1,  // u8: 0 Simplified Chinese, 1 English
    ReplayRecordsOption = 2,   // u8 kind, then its data (ReplayRecordsKind)
    ReplayIntroOption = 3,     // u8: 0 the game's boxes, 1 short with no sound, 2 short with sound
    ReplayStatusPlaceOption = 4,  // u8: where the status showed, 0 auto, 1 side, 2 title, 3 off
    ReplayPlayersOption = 5,      // version 3 on: u8 1 or 2, the players of a new game at the start
    ReplayMenuRowsOption = 6,     // version 6 on: u8, the menu's MenuHostRow bits the run offered
};
// The status's place in a file recorded before the status display existed: none showed.
inline constexpr uint8_t ReplayStatusOff = 3;

// Whether the run kept the player's records, which the records key (R)
// shows and the fresh game it offers starts from.
enum ReplayRecordsKind : uint8_t {
    ReplayNoRecords = 0,       // none kept: R does nothing
    ReplayRecordsKept = 1,     // kept, starting from the records stored
    ReplayRecordsRefused = 2,  // the records file was refused, for the reason stored
};

struct ReplayEvent {
    uint8_t op = ReplayEnd;
    uint32_t count = 0;
    uint32_t value = 0;
    int32_t x = 0;
    int32_t y = 0;
    std::bitset<256> keys;
    std::string text;
};

struct ReplayRecord {
    uint32_t formatVersion = OnePlayerReplayFormatVersion;
    std::string programVersion;
    uint32_t seed = 0;
    // The hash of the built-in levels the run began with (LevelSetHash).
    uint32_t builtInLevelsHash = 0;
    uint8_t mapFileKind = NoMapFile;
    std::vector<int32_t> mapLevels;  // LevelSetMapFile
    std::string mapBytes;            // RawMapFile
    // What the run showed besides the game's state (version 2 on): the
    // language of its boxes and the records R showed.
    uint8_t language = 0;
    uint8_t recordsKind = ReplayNoRecords;
    RecordsRecord records;       // ReplayRecordsKept: as they were at the start
    std::string recordsRefusal;  // ReplayRecordsRefused
    uint8_t intro = 0;
    // Where the status showed (a host::StatusPlace). A file from before the
    // status display has no such key (statusPlaceKept false) and showed none.
    uint8_t statusPlace = 0;
    bool statusPlaceKept = true;
    // Players of a new game when the run began (version 3 on; 1 before).
    uint8_t players = 1;
    // The menu's rows that only some programs offer (MenuHostRow bits,
    // version 6 on; before, the playing program's own).
    uint8_t menuRows = 0;
    // Version 7: the game's start.
    ReplayGameStart gameStart;
    std::vector<ReplayEvent> events;
    // Timer ticks in the whole run (in a game's replay, of the game) and the checksum of the state
    // at its end.
    uint32_t totalTicks = 0;
    uint32_t finalChecksum = 0;
};

// FNV-1a over the values, each as four little-endian bytes.
uint32_t LevelSetHash(const std::vector<int32_t>& levels);

// Appends events as the recorder sees them; runs of ticks are merged, and a
// run never passes a checksum's place.
void AppendTicks(ReplayRecord& replay, uint32_t count);
void AppendEvent(ReplayRecord& replay, const ReplayEvent& event);

// The file's bytes.
std::string EncodeReplay(const ReplayRecord& replay);
// The file as it is while being written: the header and the first
// `eventCount` events, no end. Each longer start begins with the shorter.
std::string EncodeReplayStart(const ReplayRecord& replay, size_t eventCount);

enum ReplayReadResult {
    ReplayRead = 0,
    ReplayNotAReplay = 1,   // not a replay file, or a damaged one
    ReplayWrongVersion = 2  // a replay of another format version
};
// Reads the bytes of a replay file strictly: anything out of place refuses
// the whole file, with the reason in `error`.
ReplayReadResult DecodeReplay(const std::string& bytes, ReplayRecord& replay, std::string& error);
// Reads a file still being written (a game watched as it is played) as
// strictly, up to where its bytes end: the header and every whole event,
// the ticks so far in totalTicks, and in `used` the bytes those take (0
// while the header is not whole yet, with ReplayRead). An end event is
// refused: a whole file is read by DecodeReplay.
ReplayReadResult DecodeReplayStart(const std::string& bytes, ReplayRecord& replay, size_t& used,
                                   std::string& error);

// A replay file holds at most this many bytes: hours of editing with the
// mouse moving all the time, a few hundred kilobytes an hour of play.
inline constexpr size_t MaxReplayFileBytes = size_t(64) << 20;
// What to tell when ReadReplayFile fails.
inline constexpr char ReplayFileUnreadable[] =
    "cannot read the file (missing, unreadable, or no regular file of at most 64 MiB)";
// Reads a whole replay file; false when it cannot be read or is too large
// (refused before any of it is read). The recorder writes one with
// platform::ReplaceFileWhole, as the map file is written.
bool ReadReplayFile(const std::string& path, std::string& bytes);
