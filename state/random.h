// The game's own pseudo-random generator: the same seed gives the same game on
// every platform and compiler. Only the battle's rules roll it; drawing and
// sound never do.
#pragma once

#include <cstdint>

void SeedRandom(uint32_t seed);
// One value of the generator, 0 to 32767.
int32_t NextRandom();
// Roll n: one value taken modulo n.
int32_t Roll(int32_t n);
// The generator's whole state, for dumps and for benchmarks that replay a tick.
uint32_t RandomState();
void SetRandomState(uint32_t state);
