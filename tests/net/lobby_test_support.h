// What the lobby's tests share: a seeded stand-in for the system's secure
// generator (so that codes and tokens repeat from run to run), addresses
// from their text, and a lobby driven in one process.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "lobby/lobby_messages.h"
#include "platform/host.h"
#include "programs/lobby/rooms.h"

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

// A message of `kind` about the room of `code`, with `token` (a seat's) and
// `nonce`.
inline LobbyMessage RoomMessage(LobbyKind kind, const char* code, uint64_t token = 0,
                                uint32_t nonce = 0) {
    LobbyMessage m;
    m.kind = kind;
    m.nonce = nonce;
    std::memcpy(m.code, code, LobbyCodeLength);
    m.token = token;
    return m;
}

// A lobby driven in one process: its record, its clock, and what it sent
// last, never longer than what drew it (nothing amplified).
struct LobbyDriven : testing::Test {
    LobbyServer lobby;
    int64_t now = 1000000;
    std::vector<LobbyOutgoing> out;

    void SetUp() override {
        Draws = 12345;
        lobby.randomBytes = TestRandom;
    }

    void Deliver(const host::NetAddress& from, const uint8_t* bytes, int32_t size) {
        out.clear();
        LobbyReceive(lobby, from, bytes, size, now, out);
        for (const LobbyOutgoing& o : out)
            EXPECT_LE(o.size, size);
    }
    void Deliver(const host::NetAddress& from, const LobbyMessage& m) {
        uint8_t bytes[host::NetDatagramMax];
        const int32_t size = WriteLobbyMessage(m, bytes);
        ASSERT_GT(size, 0) << "kind " << m.kind;
        Deliver(from, bytes, size);
    }

    // The answer sent to `to`, read (kind LobbyNone when there is none).
    LobbyMessage AnswerTo(const host::NetAddress& to) const {
        LobbyMessage read;
        read.kind = LobbyNone;
        for (const LobbyOutgoing& o : out)
            if (o.to == to) {
                EXPECT_TRUE(ReadLobbyMessage(o.bytes, o.size, read));
            }
        return read;
    }
};
