// The generator must give the same values on every platform and compiler.
#include <gtest/gtest.h>

#include "state/random.h"

TEST(Random, GivesTheClassicSequenceForSeedOne) {
    SeedRandom(1);
    const int32_t expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int32_t value : expected)
        EXPECT_EQ(NextRandom(), value);
}

TEST(Random, StateWrapsModuloTwoToTheThirtyTwo) {
    SeedRandom(0xFFFFFFFFu);
    NextRandom();
    EXPECT_EQ(RandomState(), uint32_t(0xFFFFFFFFull * 214013u + 2531011u));
    SeedRandom(0);
    EXPECT_EQ(NextRandom(), int32_t((2531011u >> 16) & 0x7FFF));
}

TEST(Random, RollTakesOneValueModuloN) {
    SeedRandom(1);
    EXPECT_EQ(Roll(7), 41 % 7);
    EXPECT_EQ(Roll(10), 18467 % 10);
    EXPECT_EQ(Roll(3), 6334 % 3);
    EXPECT_EQ(Roll(100), 26500 % 100);
}
