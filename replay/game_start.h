// A game's start as a game's replay holds it: taken from the state at the
// start of a game, and put in force again by the game's own start of a level.
#pragma once

#include "replay/game_start_section.h"

// Fills `start` from the state now and says whether the state is exactly
// what PutGameStartInForce(start) makes of it: true right after a game began
// (at the first message after its start), false when anything else in the
// state differs or a value is out of the section's ranges. The state is as
// it was afterwards.
bool TakeGameStart(ReplayGameStart& start);

// The state at the game's start: the levels, then the players' fresh tanks
// and the level's start at its level (as a new game has them, without the
// level's box), then the generator, the sound, the mouse, the lock latches,
// the editor's brush and the start counters; and, for the run, whether Esc
// opens the menu and N asks the players question.
void PutGameStartInForce(const ReplayGameStart& start);
