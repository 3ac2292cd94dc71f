// Saving the levels in force where they belong: the player's own to the map
// file, levels that came from a share to a new file beside it, never over it.
#pragma once

#include <string>

#include "levels/level_origin.h"

// The file shared levels are saved to: the one they were saved to before, or
// the first "map-shared-N.txt" (N from 1) that does not exist yet.
std::string SharedSavePath();

// The save question for the levels in force: the game's own for the player's
// levels, one naming the new file for shared ones.
std::string SaveQuestionText();

// Saves the levels in force where they belong: the map file (its earlier
// versions kept) for the player's own, the file of SharedSavePath for shared
// ones; says in a box whether it worked, and is true when it did.
bool SaveLevelsInForce();
