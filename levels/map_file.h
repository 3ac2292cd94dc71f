// The custom map file: all 35 levels as text in "map.txt" in the working
// directory, the one file the game's rules read and write, with its last
// versions kept beside it as map.txt.1 to .3. (The programs also keep the
// settings, the records and replays: options/, replay/.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/share_code.h"

extern const char* const MapFileName;

// A saved level set takes 29,711 bytes; a file far larger than any map is
// refused at once rather than read.
inline constexpr size_t MaxMapFileBytes = 1 << 20;

// The map file's earlier versions kept on every save (map.txt.1 the newest).
inline constexpr int MapVersionsKept = 3;

// Writes LevelSet to the map file and says in a box whether it worked; true
// when it did. The file is replaced whole or not at all, its version so far
// kept first as map.txt.1 (platform::ReplaceKeepingVersions): a failed save
// leaves the old file as it was. A read-only file or directory is not written.
bool SaveCustomMap();

// The box of a failed save.
void ShowMapSaveFailed();

// Reads the map file into LevelSet; true when it did. A file that cannot be
// opened or read to its end, that is larger than MaxMapFileBytes, or that
// does not give a value for every cell is reported and changes nothing.
// Loaded, the levels are the player's own again (levels/level_origin.h).
bool LoadCustomMap();

// The reader of the map file's text: reads values into `levels` in order, up
// to its size, until the first failed read, and returns how many it read.
size_t ReadLevelValues(const std::string& text, std::vector<int32_t>& levels);

// Why a map file's text does not give every value: where the reader stopped
// (the line, from 1) and what it found there.
enum MapFaultKind : int32_t {
    MapFaultNone,        // every value is there
    MapFaultEndsEarly,   // the text ends after `valuesRead` values
    MapFaultNotANumber,  // `found` stands where a number belongs
    MapFaultTooLarge,    // a number past 32 bits
};
struct MapTextFault {
    MapFaultKind kind = MapFaultNone;
    int32_t line = 0;
    int32_t valuesRead = 0;
    std::string found;  // the word found, at most 24 bytes of it
};
// The first fault of the text as the reader meets it, for `count` values.
MapTextFault FindMapTextFault(const std::string& text, size_t count);

// The whole level set from the text: true, with `levels` filled, when the
// text gives a value for every cell of it; false, with `levels` as it was,
// otherwise. Text after the last value is not examined.
bool ReadLevelSetText(const std::string& text, std::vector<int32_t>& levels);

// The text of a level set in the map file's format: each value followed by
// its separator (none after the last), CR LF after every 15 values and a
// second one after every 165.
std::string FormatLevelSet(const std::vector<int32_t>& levels);

// The levels a map file's text holds for sharing: a whole set or a single
// level, no less and no more; false, with `error` saying why, otherwise.
bool LevelsOfMapText(const std::string& text, SharedContent& content, std::string& error);
