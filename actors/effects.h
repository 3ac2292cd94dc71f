// Explosions: started wherever a bullet stops or a tank or the base is
// destroyed, shown for 24 ticks, eight pictures of three ticks each.
#pragma once

#include <cstdint>

// Appends an explosion whose 66 x 66 picture has its corner at (x, y).
void SpawnEffect(int32_t x, int32_t y);

// The explosion pass, last of every tick: draws each explosion, advances it,
// and removes it after its 24th picture.
void UpdateEffects();
