// The custom map file: all 35 levels as text in "map.txt" in the working
// directory, the only file the game reads or writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

extern const char* const MapFileName;

// Writes LevelSet to the map file and says in a box whether it worked. The
// file is replaced whole or not at all: a failed save leaves the old file as
// it was. A read-only file or directory is not written.
void SaveCustomMap();

// Reads the map file into LevelSet; only a file that cannot be opened is
// reported. Values are read until the first one that fails, and every cell
// from there on keeps its value.
void LoadCustomMap();

// Writes the text beside the target and moves it over the target only once
// it is whole on disk, keeping the target's permissions; false (and the
// target untouched) when any step fails or the directory is write-protected.
// The settings file is saved the same way.
bool ReplaceFileWhole(const std::filesystem::path& target, const std::string& text);

// The text of a level set in the map file's format: each value followed by
// its separator (none after the last), CR LF after every 15 values and a
// second one after every 165.
std::string FormatLevelSet(const std::vector<int32_t>& levels);
