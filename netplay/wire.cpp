// Writing and reading the datagrams: little-endian fields, a length fixed by
// the kind and the input count, and an FNV-1a checksum of the body at the end.
#include "netplay/wire.h"

#include <cstdio>

namespace {

constexpr uint8_t Magic[4] = {'M', 'V', 'N', 'P'};
// Magic, kind, session, side.
constexpr size_t HeaderBytes = 4 + 1 + 4 + 1;
constexpr size_t HelloBytes = 2 + 4;
// Tick, advantage, ack, first tick, count; then the inputs; then the checksum.
constexpr size_t InputsHeadBytes = 4 + 4 + 4 + 4 + 1;
constexpr size_t InputBytes = 3;
constexpr size_t ChecksumBytes = 4 + 4;
constexpr size_t TrailerBytes = 4;
// A tick beyond this is never reached (about 248 days at 100 ticks/s).
constexpr int32_t MaxTick = 0x7FFFFFFF - 4 * MaxInputsPerDatagram;
constexpr uint16_t KeyMask = (1u << TickKeyCount) - 1;
static_assert(HeaderBytes + InputsHeadBytes + MaxInputsPerDatagram * InputBytes + ChecksumBytes +
                  TrailerBytes <=
              MaxDatagramBytes);

uint32_t Fnv(const uint8_t* data, size_t size) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) {
        hash ^= data[i];
        hash *= 16777619u;
    }
    return hash;
}

struct Writer {
    uint8_t* out;
    size_t at = 0;

    void Bytes(uint32_t value, int count) {
        for (int i = 0; i < count; ++i)
            out[at++] = uint8_t(value >> (8 * i));
    }
};

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool ok = true;

    uint32_t Bytes(int count) {
        if (size - at < size_t(count)) {
            ok = false;
            return 0;
        }
        uint32_t value = 0;
        for (int i = 0; i < count; ++i)
            value |= uint32_t(data[at++]) << (8 * i);
        return value;
    }
    int32_t Tick() {
        const int32_t value = int32_t(Bytes(4));
        ok = ok && value >= -1 && value <= MaxTick;
        return value;
    }
};

bool InputsValid(const Datagram& d) {
    if (d.inputCount < 0 || d.inputCount > MaxInputsPerDatagram)
        return false;
    if (d.tick < 0 || d.tick > MaxTick || d.ack < 0 || d.ack > MaxTick || d.firstTick < 0 ||
        d.firstTick > MaxTick || d.checksumTick < -1 || d.checksumTick > MaxTick)
        return false;
    if (d.advantage < -0x7FFF || d.advantage > 0x7FFF)
        return false;
    for (int32_t i = 0; i < d.inputCount; ++i)
        if ((d.inputs[size_t(i)].keys & ~KeyMask) != 0 ||
            (d.inputs[size_t(i)].commands & ~PauseCommand) != 0)
            return false;
    return true;
}

void WriteInputs(const Datagram& d, Writer& w) {
    w.Bytes(uint32_t(d.tick), 4);
    w.Bytes(uint32_t(d.advantage), 4);
    w.Bytes(uint32_t(d.ack), 4);
    w.Bytes(uint32_t(d.firstTick), 4);
    w.Bytes(uint32_t(d.inputCount), 1);
    for (int32_t i = 0; i < d.inputCount; ++i) {
        w.Bytes(d.inputs[size_t(i)].keys, 2);
        w.Bytes(d.inputs[size_t(i)].commands, 1);
    }
    w.Bytes(uint32_t(d.checksumTick), 4);
    w.Bytes(d.checksum, 4);
}

void ReadInputs(Reader& r, Datagram& d) {
    d.tick = r.Tick();
    d.advantage = int32_t(r.Bytes(4));
    d.ack = r.Tick();
    d.firstTick = r.Tick();
    d.inputCount = int32_t(r.Bytes(1));
    if (d.inputCount > MaxInputsPerDatagram) {
        r.ok = false;
        return;
    }
    for (int32_t i = 0; i < d.inputCount; ++i) {
        d.inputs[size_t(i)].keys = uint16_t(r.Bytes(2));
        d.inputs[size_t(i)].commands = uint8_t(r.Bytes(1));
    }
    d.checksumTick = r.Tick();
    d.checksum = r.Bytes(4);
}

}  // namespace

size_t WriteDatagram(const Datagram& d, uint8_t* out) {
    if (d.side < 0 || d.side > 1 || d.kind < HelloDatagram || d.kind > InputsDatagram)
        return 0;
    if (d.kind == InputsDatagram && !InputsValid(d))
        return 0;
    Writer w{out};
    for (uint8_t byte : Magic)
        w.Bytes(byte, 1);
    w.Bytes(d.kind, 1);
    w.Bytes(d.sessionId, 4);
    w.Bytes(uint32_t(d.side), 1);
    if (d.kind == InputsDatagram) {
        WriteInputs(d, w);
    } else {
        w.Bytes(d.protocol, 2);
        w.Bytes(d.rulesHash, 4);
    }
    w.Bytes(Fnv(out, w.at), 4);
    return w.at;
}

bool ReadDatagram(const uint8_t* data, size_t size, uint32_t sessionId, int32_t fromSide,
                  Datagram& out) {
    if (size < HeaderBytes + TrailerBytes || size > MaxDatagramBytes)
        return false;
    if (Fnv(data, size - TrailerBytes) != Reader{data + size - TrailerBytes, 4}.Bytes(4))
        return false;
    Reader r{data, size - TrailerBytes};
    for (uint8_t byte : Magic)
        if (r.Bytes(1) != byte)
            return false;
    Datagram d;
    const uint32_t kind = r.Bytes(1);
    if (kind < HelloDatagram || kind > InputsDatagram)
        return false;
    d.kind = DatagramKind(kind);
    d.sessionId = r.Bytes(4);
    d.side = int32_t(r.Bytes(1));
    if (d.sessionId != sessionId || d.side != fromSide)
        return false;
    if (d.kind == InputsDatagram) {
        ReadInputs(r, d);
    } else {
        d.protocol = uint16_t(r.Bytes(2));
        d.rulesHash = r.Bytes(4);
    }
    // Every byte is accounted for: a longer datagram is not this one.
    if (!r.ok || r.at != r.size || (d.kind == InputsDatagram && !InputsValid(d)))
        return false;
    out = d;
    return true;
}

uint32_t RulesHash() {
    return uint32_t(MORVASK_RULES_HASH);
}

bool PeerAccepted(const Datagram& hello, std::string& message) {
    if (hello.protocol == ProtocolVersion && hello.rulesHash == RulesHash())
        return true;
    char text[200];
    std::snprintf(text, sizeof text,
                  "The other player's program is of another version: this one speaks protocol %u "
                  "with rules %08x, the other protocol %u with rules %08x.",
                  unsigned(ProtocolVersion), unsigned(RulesHash()), unsigned(hello.protocol),
                  unsigned(hello.rulesHash));
    message = text;
    return false;
}
