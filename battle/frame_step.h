// One tick of play.
#pragma once

// Reads the player's keys, composes the frame (which moves and resolves
// everything else on the way), counts down the game-over, level-clear and
// respawn delays, and lets the next enemy arrive. The only place where play
// turns into GameOver or LevelCleared; the mode acts on the next tick.
void FrameStep();
