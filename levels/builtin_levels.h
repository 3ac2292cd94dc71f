// The game's 35 built-in levels.
#pragma once

#include <cstdint>
#include <vector>

// The 5775 cell codes of the built-in levels in the layout of LevelSet, made
// from the level pictures once, on first use.
const std::vector<int32_t>& BuiltInLevels();

// The picture characters and the codes they stand for.
int32_t CellCodeOfPictureChar(char c);

// LevelSet becomes the built-in levels again, discarding edits and loaded maps.
void RestoreBuiltInLevels();
