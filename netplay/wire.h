// The datagrams two peers exchange, as bytes: pure functions, no sockets.
// Every datagram is bounded, carries the session's number, the sender's side
// and a checksum of its body, and is read whole or not at all.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "netplay/tick_input.h"

inline constexpr uint16_t ProtocolVersion = 2;
inline constexpr size_t MaxDatagramBytes = 320;
// The most inputs one datagram carries: the oldest not yet acknowledged.
inline constexpr int32_t MaxInputsPerDatagram = 64;

enum DatagramKind : uint8_t {
    HelloDatagram = 1,    // the joining peer's protocol and rules
    WelcomeDatagram = 2,  // the host's answer: the same, accepted
    RefuseDatagram = 3,   // the host's answer: the same, refused
    InputsDatagram = 4,   // inputs, the acknowledgement, progress, a checksum
    BoxesDatagram = 5,    // the boxes the sender's player closed of late
};

// A box of the game as both programs name it: the tick it opens in and its
// place among the boxes of that tick.
struct BoxKey {
    int32_t tick = -1;
    int32_t ordinal = 0;
    bool operator==(const BoxKey&) const = default;
};
inline constexpr int32_t MaxBoxesPerDatagram = 4;
inline constexpr int32_t MaxBoxOrdinal = 255;

struct Datagram {
    DatagramKind kind = InputsDatagram;
    uint32_t sessionId = 0;
    int32_t side = 0;  // the sender's
    // Hello, welcome and refuse.
    uint16_t protocol = ProtocolVersion;
    uint32_t rulesHash = 0;
    // The welcome's: the seed both programs start the game with (0 in the
    // others).
    uint32_t seed = 0;
    // Inputs: the sender's tick and lead, the first of the receiver's ticks
    // it has not had, and its inputs from firstTick on.
    int32_t tick = 0;
    int32_t advantage = 0;
    int32_t ack = 0;
    int32_t firstTick = 0;
    int32_t inputCount = 0;
    std::array<TickInput, MaxInputsPerDatagram> inputs{};
    // The sender's checksum of the state before checksumTick (-1 none, and
    // the checksum 0).
    int32_t checksumTick = -1;
    uint32_t checksum = 0;
    // Boxes: the keys, newest last.
    int32_t boxCount = 0;
    std::array<BoxKey, MaxBoxesPerDatagram> boxes{};
};

// The bytes of a datagram (at most MaxDatagramBytes); 0 when it holds values
// no reader takes (so that a writer never sends what the other drops).
size_t WriteDatagram(const Datagram& datagram, uint8_t* out);
// True when the bytes are one well-formed datagram of the session from the
// side expected; otherwise false and the datagram is dropped whole.
bool ReadDatagram(const uint8_t* data, size_t size, uint32_t sessionId, int32_t fromSide,
                  Datagram& out);

// The rules this program was built with, as a hash of their sources.
uint32_t RulesHash();
// Whether a peer's hello is one this program plays with; when not, the
// message names both sides' protocol and rules.
bool PeerAccepted(const Datagram& hello, std::string& message);
