// The checksum of the game's state that a replay stores every 100 ticks, so
// that a run played back differently is caught where it parts.
#pragma once

#include <cstdint>

// FNV-1a over the shell's and the battle's state, the generator, the level
// in play and the whole level set.
uint32_t GameStateChecksum();
