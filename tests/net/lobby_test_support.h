// What the lobby's tests share: a seeded stand-in for the system's secure
// generator (so that codes and tokens repeat from run to run) and addresses
// from their text.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

#include "platform/host.h"

inline uint64_t Draws = 1;

inline void TestRandom(uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        Draws ^= Draws << 13;
        Draws ^= Draws >> 7;
        Draws ^= Draws << 17;
        bytes[i] = static_cast<uint8_t>(Draws >> 24);
    }
}

inline host::NetAddress At(const char* text, int32_t port) {
    host::NetAddress address;
    EXPECT_TRUE(host::NetNumericAddress(text, port, address));
    return address;
}
