// The lobby's messages written and read: each kind is one fixed sequence of
// fields, walked the same way by the writer and by the bounded reader.
#include "lobby/lobby_messages.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr uint8_t Magic[3] = {'M', 'V', 'L'};

bool CodeLetter(char c) {
    return c != '\0' && std::strchr(LobbyCodeAlphabet, c) != nullptr;
}

bool CodeValid(const char code[LobbyCodeLength]) {
    for (int i = 0; i < LobbyCodeLength; ++i)
        if (!CodeLetter(code[i]))
            return false;
    return true;
}

bool EndpointValid(const host::NetAddress& address) {
    if (address.port < 1 || address.port > 65535)
        return false;
    if (address.family == 6)
        return true;
    if (address.family != 4)
        return false;
    for (int i = 4; i < 16; ++i)
        if (address.bytes[i] != 0)
            return false;
    return true;
}

// A position in the bytes being read or written; `failed` once a read ran
// past the end or found a value out of range.
struct Cursor {
    uint8_t* out = nullptr;
    const uint8_t* in = nullptr;
    int32_t size = 0;
    int32_t at = 0;
    bool failed = false;
};

void PutBytes(Cursor& c, const void* bytes, int32_t count) {
    std::memcpy(c.out + c.at, bytes, static_cast<size_t>(count));
    c.at += count;
}

void PutNumber(Cursor& c, uint64_t value, int32_t count) {
    for (int32_t i = count - 1; i >= 0; --i)
        c.out[c.at++] = static_cast<uint8_t>(value >> (8 * i));
}

const uint8_t* Take(Cursor& c, int32_t count) {
    if (c.failed || c.size - c.at < count) {
        c.failed = true;
        return nullptr;
    }
    const uint8_t* at = c.in + c.at;
    c.at += count;
    return at;
}

uint64_t TakeNumber(Cursor& c, int32_t count) {
    const uint8_t* at = Take(c, count);
    uint64_t value = 0;
    for (int32_t i = 0; at && i < count; ++i)
        value = value << 8 | at[i];
    return value;
}

void TakeCode(Cursor& c, char code[LobbyCodeLength]) {
    if (const uint8_t* at = Take(c, LobbyCodeLength))
        std::memcpy(code, at, LobbyCodeLength);
    if (!c.failed && !CodeValid(code))
        c.failed = true;
}

void TakeEndpoint(Cursor& c, host::NetAddress& address) {
    address.family = static_cast<int32_t>(TakeNumber(c, 1));
    if (const uint8_t* at = Take(c, 16))
        std::memcpy(address.bytes, at, 16);
    address.port = static_cast<int32_t>(TakeNumber(c, 2));
    if (!c.failed && !EndpointValid(address))
        c.failed = true;
}

// Zero padding up to `length`, exactly.
void TakePadding(Cursor& c, int32_t length) {
    if (c.failed || c.size != length || c.at > length) {
        c.failed = true;
        return;
    }
    for (; c.at < length; ++c.at)
        if (c.in[c.at] != 0)
            c.failed = true;
}

// The rest of the datagram as the payload: a relayed datagram (at least a
// byte) or a feed's piece (possibly empty), within its kind's most.
void TakePayload(Cursor& c, LobbyMessage& m, int32_t least, int32_t most) {
    const int32_t left = c.size - c.at;
    if (c.failed || left < least || left > most) {
        c.failed = true;
        return;
    }
    m.payloadSize = left;
    if (left > 0)
        std::memcpy(m.payload, Take(c, left), static_cast<size_t>(left));
}

bool Requested(LobbyKind kind) {
    return kind == LobbyHostRoom || kind == LobbyJoinRoom || kind == LobbyPoll;
}

bool Fed(LobbyKind kind) {
    return kind == LobbyFeedUp || kind == LobbyFeed;
}

// Whether the writer may write `m` as it is: what the reader would refuse is
// never sent.
bool Writable(const LobbyMessage& m) {
    const bool coded =
        m.kind != LobbyHostRoom && m.kind != LobbyRefused && m.kind != LobbyRelayDown;
    const bool tokened = m.kind == LobbyPoll || m.kind == LobbyLeave || m.kind == LobbyRelayUp ||
                         m.kind == LobbyRoomMade || m.kind == LobbyPeerFound ||
                         m.kind == LobbyFeedUp;
    const bool carries = m.kind == LobbyRelayUp || m.kind == LobbyRelayDown;
    if ((coded && !CodeValid(m.code)) || (tokened && m.token == 0))
        return false;
    if (carries && (m.payloadSize < 1 || m.payloadSize > LobbyPayloadMax))
        return false;
    if (Fed(m.kind) && (m.payloadSize < 0 || m.payloadSize > LobbyFeedPieceMax ||
                        uint64_t(m.offset) + uint64_t(m.payloadSize) > UINT32_MAX))
        return false;
    if (m.kind == LobbyFeed && uint64_t(m.offset) + uint64_t(m.payloadSize) > m.feedSize)
        return false;
    if (m.kind == LobbyPeerFound && ((m.seat != 0 && m.seat != 1) || !EndpointValid(m.peer)))
        return false;
    if (m.kind == LobbyElsewhere && (!EndpointValid(m.peer) || m.webPort < 0 || m.webPort > 65535))
        return false;
    if (m.kind == LobbyRefused &&
        (m.refusal < 1 || m.refusal > LobbyRefusalLast || m.version < 0 || m.version > 255))
        return false;
    return m.kind == LobbyHostRoom || m.kind == LobbyJoinRoom || m.kind == LobbyPoll ||
           m.kind == LobbyLeave || m.kind == LobbyRelayUp || m.kind == LobbyRoomMade ||
           m.kind == LobbyPeerFound || m.kind == LobbyRefused || m.kind == LobbyWaiting ||
           m.kind == LobbyRelayDown || m.kind == LobbyElsewhere || m.kind == LobbyFeedUp ||
           m.kind == LobbyWatch || m.kind == LobbyFeedHeld || m.kind == LobbyFeed;
}

void WriteFields(const LobbyMessage& m, Cursor& c) {
    const LobbyKind k = m.kind;
    if (k == LobbyHostRoom || k == LobbyJoinRoom || k == LobbyRoomMade || k == LobbyPeerFound ||
        k == LobbyRefused || k == LobbyElsewhere || k == LobbyWatch || k == LobbyFeed)
        PutNumber(c, m.nonce, 4);
    if (k != LobbyHostRoom && k != LobbyRefused && k != LobbyRelayDown)
        PutBytes(c, m.code, LobbyCodeLength);
    if (k == LobbyPeerFound)
        PutNumber(c, static_cast<uint64_t>(m.seat), 1);
    if (k == LobbyPoll || k == LobbyLeave || k == LobbyRelayUp || k == LobbyRoomMade ||
        k == LobbyPeerFound || k == LobbyFeedUp)
        PutNumber(c, m.token, 8);
    if (k == LobbyPeerFound || k == LobbyElsewhere) {
        PutNumber(c, static_cast<uint64_t>(m.peer.family), 1);
        PutBytes(c, m.peer.bytes, 16);
        PutNumber(c, static_cast<uint64_t>(m.peer.port), 2);
    }
    if (k == LobbyElsewhere)
        PutNumber(c, static_cast<uint64_t>(m.webPort), 2);
    if (k == LobbyRefused) {
        PutNumber(c, static_cast<uint64_t>(m.refusal), 1);
        PutNumber(c, static_cast<uint64_t>(m.version), 1);
    }
    if (k == LobbyFeedUp || k == LobbyWatch || k == LobbyFeedHeld || k == LobbyFeed)
        PutNumber(c, m.offset, 4);
    if (k == LobbyFeed)
        PutNumber(c, m.feedSize, 4);
    if (k == LobbyFeedUp || k == LobbyFeedHeld || k == LobbyFeed)
        PutNumber(c, m.ended ? 1 : 0, 1);
    if (k == LobbyRelayUp || k == LobbyRelayDown || Fed(k))
        PutBytes(c, m.payload, m.payloadSize);
    const int32_t padded = Requested(k)      ? LobbyRequestSize
                           : k == LobbyWatch ? LobbyWatchRequestSize
                                             : 0;
    while (c.at < padded)
        c.out[c.at++] = 0;
}

void ReadFeedFields(Cursor& c, LobbyMessage& m) {
    const LobbyKind k = m.kind;
    if (k == LobbyFeedUp || k == LobbyWatch || k == LobbyFeedHeld || k == LobbyFeed)
        m.offset = static_cast<uint32_t>(TakeNumber(c, 4));
    if (k == LobbyFeed)
        m.feedSize = static_cast<uint32_t>(TakeNumber(c, 4));
    if (k == LobbyFeedUp || k == LobbyFeedHeld || k == LobbyFeed) {
        const uint64_t ended = TakeNumber(c, 1);
        c.failed = c.failed || ended > 1;
        m.ended = ended == 1;
    }
}

void ReadFields(Cursor& c, LobbyMessage& m) {
    const LobbyKind k = m.kind;
    if (k == LobbyHostRoom || k == LobbyJoinRoom || k == LobbyRoomMade || k == LobbyPeerFound ||
        k == LobbyRefused || k == LobbyElsewhere || k == LobbyWatch || k == LobbyFeed)
        m.nonce = static_cast<uint32_t>(TakeNumber(c, 4));
    if (k != LobbyHostRoom && k != LobbyRefused && k != LobbyRelayDown)
        TakeCode(c, m.code);
    if (k == LobbyPeerFound)
        m.seat = static_cast<int32_t>(TakeNumber(c, 1));
    if (k == LobbyPoll || k == LobbyLeave || k == LobbyRelayUp || k == LobbyRoomMade ||
        k == LobbyPeerFound || k == LobbyFeedUp)
        m.token = TakeNumber(c, 8);
    if (k == LobbyPeerFound || k == LobbyElsewhere)
        TakeEndpoint(c, m.peer);
    if (k == LobbyElsewhere)
        m.webPort = static_cast<int32_t>(TakeNumber(c, 2));
    if (k == LobbyRefused) {
        m.refusal = static_cast<int32_t>(TakeNumber(c, 1));
        m.version = static_cast<int32_t>(TakeNumber(c, 1));
    }
    ReadFeedFields(c, m);
    if (k == LobbyRelayUp || k == LobbyRelayDown)
        TakePayload(c, m, 1, LobbyPayloadMax);
    else if (Fed(k))
        TakePayload(c, m, 0, LobbyFeedPieceMax);
    else if (Requested(k))
        TakePadding(c, LobbyRequestSize);
    else if (k == LobbyWatch)
        TakePadding(c, LobbyWatchRequestSize);
    else if (c.at != c.size)
        c.failed = true;
}

}  // namespace

int32_t WriteLobbyMessage(const LobbyMessage& message, uint8_t* out) {
    if (!Writable(message))
        return 0;
    Cursor c;
    c.out = out;
    PutBytes(c, Magic, 3);
    PutNumber(c, LobbyVersion, 1);
    PutNumber(c, static_cast<uint64_t>(message.kind), 1);
    WriteFields(message, c);
    return c.at;
}

int32_t LobbyVersionOf(const uint8_t* bytes, int32_t size) {
    if (size < LobbyHeaderSize || std::memcmp(bytes, Magic, 3) != 0)
        return -1;
    return bytes[3];
}

bool ReadLobbyMessage(const uint8_t* bytes, int32_t size, LobbyMessage& message) {
    if (size < LobbyHeaderSize || size > host::NetDatagramMax ||
        LobbyVersionOf(bytes, size) != LobbyVersion)
        return false;
    // Read into a fresh record, so that a refused datagram leaves nothing.
    LobbyMessage read;
    read.kind = static_cast<LobbyKind>(bytes[4]);
    // Only the kinds the writer writes: the probe has every field in range.
    LobbyMessage probe;
    probe.kind = read.kind;
    std::memcpy(probe.code, LobbyCodeAlphabet, LobbyCodeLength);
    probe.token = 1;
    probe.peer.family = 4;
    probe.peer.port = 1;
    probe.refusal = 1;
    probe.payloadSize = 1;
    probe.feedSize = 1;
    if (!Writable(probe))
        return false;
    Cursor c;
    c.in = bytes;
    c.size = size;
    c.at = LobbyHeaderSize;
    ReadFields(c, read);
    if (c.failed || (read.kind == LobbyPeerFound && read.seat != 0 && read.seat != 1) ||
        (read.kind == LobbyFeed &&
         uint64_t(read.offset) + uint64_t(read.payloadSize) > read.feedSize) ||
        (Fed(read.kind) && uint64_t(read.offset) + uint64_t(read.payloadSize) > UINT32_MAX) ||
        (read.kind == LobbyRefused && (read.refusal < 1 || read.refusal > LobbyRefusalLast)) ||
        ((read.kind == LobbyPoll || read.kind == LobbyLeave || read.kind == LobbyRelayUp ||
          read.kind == LobbyRoomMade || read.kind == LobbyPeerFound || read.kind == LobbyFeedUp) &&
         read.token == 0))
        return false;
    message = read;
    return true;
}

bool LobbyCodeOfText(const std::string& text, char code[LobbyCodeLength]) {
    char read[LobbyCodeLength];
    int32_t count = 0;
    for (char c : text) {
        if (c == ' ' || c == '-')
            continue;
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (!CodeLetter(upper) || count == LobbyCodeLength)
            return false;
        read[count++] = upper;
    }
    if (count != LobbyCodeLength)
        return false;
    std::memcpy(code, read, LobbyCodeLength);
    return true;
}

std::string LobbyCodeText(const char code[LobbyCodeLength]) {
    return std::string(code, 5) + "-" + std::string(code + 5, LobbyCodeLength - 5);
}
