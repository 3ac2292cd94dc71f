// A linear congruential generator with the classic constants, returning the
// upper 15 bits of its 32-bit state.
#include "state/random.h"

namespace {
uint32_t GeneratorState = 1;
}

void SeedRandom(uint32_t seed) {
    GeneratorState = seed;
}

int32_t NextRandom() {
    GeneratorState = GeneratorState * 214013u + 2531011u;
    return int32_t((GeneratorState >> 16) & 0x7FFF);
}

int32_t Roll(int32_t n) {
    return NextRandom() % n;
}

uint32_t RandomState() {
    return GeneratorState;
}

void SetRandomState(uint32_t state) {
    GeneratorState = state;
}
