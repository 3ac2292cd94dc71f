// The player's records file beside the settings: the highest level reached,
// each level's best clear, games played and won. Read strictly (a file that
// is not whole and right is refused, never half taken) and written whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "levels/level_grid.h"

// A records file holds about 1,500 bytes; a larger one is refused unread.
inline constexpr size_t MaxRecordsFileBytes = 16 * 1024;
// The tanks a level may be recorded as lost in: far more than any game has.
inline constexpr int32_t MaxRecordedTanksLost = 999;

struct LevelRecordEntry {
    // The fewest ticks from the level's start to its end when cleared; 0
    // when it never was.
    int32_t bestTicks = 0;
    // The fewest of the player's tanks lost in a clear of the level.
    int32_t fewestLost = 0;
    bool operator==(const LevelRecordEntry&) const = default;
};

struct RecordsRecord {
    // The highest level (1 to 35) reached in a recorded game; 0 before any.
    int32_t highestLevel = 0;
    // Recorded games that ended, lost or won, and those won.
    int32_t gamesPlayed = 0;
    int32_t gamesWon = 0;
    LevelRecordEntry levels[LevelCount];
    bool operator==(const RecordsRecord&) const = default;
};

// records.txt in the folder of the settings file at `settingsPath` (empty
// when that is empty).
std::string RecordsPathBeside(const std::string& settingsPath);

// The file's text: comments saying what it is, then every value recorded.
std::string FormatRecords(const RecordsRecord& records);

// Reads a records file's text. False, with "line N: what is wrong" in
// `problem` and `records` as it was, unless every line is a comment, a blank
// or a known key with a value in its range, given once, the first being
// "records = 1", and the values agree with each other.
bool ParseRecords(const std::string& text, RecordsRecord& records, std::string& problem);

enum RecordsFileState {
    RecordsFileMissing,  // none yet: the records start empty
    RecordsFileRead,
    RecordsFileRefused,  // there, but unreadable or not right: left as it is
};
// Reads the file at `path`; when refused, `problem` says why ("PATH: ...").
RecordsFileState LoadRecordsFile(const std::string& path, RecordsRecord& records,
                                 std::string& problem);

// The name a damaged records file at `path` is kept aside under, the
// `number`th (from 1) of its kind: "records.txt" gives "records-damaged.txt",
// then "records-damaged-2.txt" and so on.
std::string DamagedRecordsPath(const std::string& path, int32_t number);
// The most damaged records files kept beside each other; with all those
// names taken a damaged file is left where it is.
inline constexpr int32_t MaxDamagedRecordsKept = 99;

// Moves the damaged records file at `path` to the first of its aside names
// that nothing has; never over an earlier one. True, with `keptAs` the new
// name, when it moved.
bool KeepDamagedRecordsAside(const std::string& path, std::string& keptAs);

// Replaces the file at `path` whole with the records (creating its folder);
// false when it could not be written.
bool SaveRecordsFile(const std::string& path, const RecordsRecord& records);
