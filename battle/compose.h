// The frame of a tick of play, which is also the order in which everything
// but the player's controls acts within the tick.
#pragma once

// Background, cells, the item, the enemies, the player's tank, grass, the
// enemies' bullets and flashes, the player's bullets and flash, explosions;
// then the picture goes to the window.
void ComposeFrame();
