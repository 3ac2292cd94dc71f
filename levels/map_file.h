// The custom map file: all 35 levels as text in "map.txt" in the working
// directory, the only file the game reads or writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern const char* const MapFileName;

// A saved level set takes 29,711 bytes; a file far larger than any map is
// refused at once rather than read.
inline constexpr size_t MaxMapFileBytes = 1 << 20;

// Writes LevelSet to the map file and says in a box whether it worked. The
// file is replaced whole or not at all: a failed save leaves the old file as
// it was. A read-only file or directory is not written.
void SaveCustomMap();

// Reads the map file into LevelSet. A file that cannot be opened or read to
// its end, or that is larger than MaxMapFileBytes, is reported and changes
// nothing. Otherwise values are read until the first one that fails, and
// every cell from there on keeps its value; that is not reported.
void LoadCustomMap();

// The reader of the map file's text: stores the values it reads into
// `levels` in order, up to its size, and stops at the first failed read.
// Returns how many values it stored.
size_t ReadLevelSetText(const std::string& text, std::vector<int32_t>& levels);

// The text of a level set in the map file's format: each value followed by
// its separator (none after the last), CR LF after every 15 values and a
// second one after every 165.
std::string FormatLevelSet(const std::vector<int32_t>& levels);
