// Writing and reading the datagrams: little-endian fields, the inputs in runs
// of equal ones, and an FNV-1a checksum of the body at the end. There is one
// way to write each datagram, and the reader takes no other.
#include "netplay/wire.h"

#include <cstdio>

#include "texts/notice_texts.h"

namespace {

constexpr uint8_t Magic[4] = {'M', 'V', 'N', 'P'};
// Magic, kind, session, side.
constexpr size_t HeaderBytes = 4 + 1 + 4 + 1;
// Tick, advantage, ack and first tick (each as its distance below the tick:
// the peers are never far apart), runs (the top bit: a checksum follows);
// then each run: its length, keys and commands; then the checksum, if any.
constexpr size_t InputsHeadBytes = 4 + 2 + 2 + 2 + 1;
constexpr int32_t MaxTickDistance = 0x7FFF;
constexpr size_t InputBytes = 4;
constexpr size_t ChecksumBytes = 4 + 4;
constexpr uint32_t ChecksumFollows = 0x80;
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
    if (d.advantage < -0x7FFF || d.advantage > 0x7FFF || (d.checksumTick < 0 && d.checksum != 0))
        return false;
    for (int32_t other : {d.ack, d.firstTick})
        if (d.tick - other < -MaxTickDistance || d.tick - other > MaxTickDistance)
            return false;
    for (int32_t i = 0; i < d.inputCount; ++i)
        if ((d.inputs[size_t(i)].keys & ~KeyMask) != 0 ||
            (d.inputs[size_t(i)].commands & ~PauseCommand) != 0)
            return false;
    return true;
}

bool BoxesValid(const Datagram& d) {
    if (d.boxCount < 1 || d.boxCount > MaxBoxesPerDatagram)
        return false;
    for (int32_t i = 0; i < d.boxCount; ++i) {
        const BoxKey& box = d.boxes[size_t(i)];
        if (box.tick < 0 || box.tick > MaxTick || box.ordinal < 0 || box.ordinal > MaxBoxOrdinal)
            return false;
    }
    return true;
}

// The runs of equal inputs, each at most MaxInputsPerDatagram long.
int32_t Runs(const Datagram& d, int32_t* lengths) {
    int32_t runs = 0;
    for (int32_t i = 0; i < d.inputCount; ++i) {
        if (i > 0 && d.inputs[size_t(i)] == d.inputs[size_t(i - 1)]) {
            lengths[runs - 1] += 1;
            continue;
        }
        lengths[runs++] = 1;
    }
    return runs;
}

void WriteInputs(const Datagram& d, Writer& w) {
    w.Bytes(uint32_t(d.tick), 4);
    w.Bytes(uint32_t(d.advantage), 2);
    w.Bytes(uint32_t(d.tick - d.ack), 2);
    w.Bytes(uint32_t(d.tick - d.firstTick), 2);
    int32_t lengths[MaxInputsPerDatagram];
    const int32_t runs = Runs(d, lengths);
    w.Bytes(uint32_t(runs) | (d.checksumTick >= 0 ? ChecksumFollows : 0), 1);
    for (int32_t run = 0, at = 0; run < runs; at += lengths[run++]) {
        w.Bytes(uint32_t(lengths[run]), 1);
        w.Bytes(d.inputs[size_t(at)].keys, 2);
        w.Bytes(d.inputs[size_t(at)].commands, 1);
    }
    if (d.checksumTick >= 0) {
        w.Bytes(uint32_t(d.checksumTick), 4);
        w.Bytes(d.checksum, 4);
    }
}

// The runs back into inputs: none empty, none equal to the one before (that
// would be one run), not more inputs than a datagram carries.
void ReadRuns(Reader& r, Datagram& d, uint32_t runs) {
    TickInput last;
    for (uint32_t run = 0; run < runs && r.ok; ++run) {
        const int32_t length = int32_t(r.Bytes(1));
        TickInput input;
        input.keys = uint16_t(r.Bytes(2));
        input.commands = uint8_t(r.Bytes(1));
        if (length == 0 || length > MaxInputsPerDatagram - d.inputCount ||
            (run > 0 && input == last)) {
            r.ok = false;
            return;
        }
        for (int32_t i = 0; i < length; ++i)
            d.inputs[size_t(d.inputCount++)] = input;
        last = input;
    }
}

// The tick less a distance written in two bytes; -1, which no reader
// takes, when either is out of range.
int32_t BelowTick(int32_t tick, uint32_t distance) {
    const int64_t value = int64_t(tick) - int16_t(distance);
    return tick < 0 || value < 0 || value > MaxTick ? -1 : int32_t(value);
}

// Boxes: their count (u8), then each box's tick (i32) and ordinal (u8).
void WriteBoxes(const Datagram& d, Writer& w) {
    w.Bytes(uint32_t(d.boxCount), 1);
    for (int32_t i = 0; i < d.boxCount; ++i) {
        w.Bytes(uint32_t(d.boxes[size_t(i)].tick), 4);
        w.Bytes(uint32_t(d.boxes[size_t(i)].ordinal), 1);
    }
}

void ReadBoxes(Reader& r, Datagram& d) {
    d.boxCount = int32_t(r.Bytes(1));
    if (d.boxCount > MaxBoxesPerDatagram) {
        r.ok = false;
        return;
    }
    for (int32_t i = 0; i < d.boxCount; ++i) {
        d.boxes[size_t(i)].tick = r.Tick();
        d.boxes[size_t(i)].ordinal = int32_t(r.Bytes(1));
    }
}

bool BodyValid(const Datagram& d) {
    if (d.kind == InputsDatagram)
        return InputsValid(d);
    if (d.kind == BoxesDatagram)
        return BoxesValid(d);
    return true;
}

void ReadInputs(Reader& r, Datagram& d) {
    d.tick = r.Tick();
    d.advantage = int32_t(int16_t(r.Bytes(2)));
    d.ack = BelowTick(d.tick, r.Bytes(2));
    d.firstTick = BelowTick(d.tick, r.Bytes(2));
    const uint32_t runs = r.Bytes(1);
    d.inputCount = 0;
    ReadRuns(r, d, runs & ~ChecksumFollows);
    d.checksumTick = -1;
    d.checksum = 0;
    if ((runs & ChecksumFollows) != 0) {
        d.checksumTick = r.Tick();
        d.checksum = r.Bytes(4);
        r.ok = r.ok && d.checksumTick >= 0;
    }
}

}  // namespace

size_t WriteDatagram(const Datagram& d, uint8_t* out) {
    if (d.side < 0 || d.side > 1 || d.kind < HelloDatagram || d.kind > BoxesDatagram)
        return 0;
    if (!BodyValid(d))
        return 0;
    Writer w{out};
    for (uint8_t byte : Magic)
        w.Bytes(byte, 1);
    w.Bytes(d.kind, 1);
    w.Bytes(d.sessionId, 4);
    w.Bytes(uint32_t(d.side), 1);
    if (d.kind == InputsDatagram) {
        WriteInputs(d, w);
    } else if (d.kind == BoxesDatagram) {
        WriteBoxes(d, w);
    } else {
        w.Bytes(d.protocol, 2);
        w.Bytes(d.rulesHash, 4);
        w.Bytes(d.seed, 4);
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
    if (kind < HelloDatagram || kind > BoxesDatagram)
        return false;
    d.kind = DatagramKind(kind);
    d.sessionId = r.Bytes(4);
    d.side = int32_t(r.Bytes(1));
    if (d.sessionId != sessionId || d.side != fromSide)
        return false;
    if (d.kind == InputsDatagram) {
        ReadInputs(r, d);
    } else if (d.kind == BoxesDatagram) {
        ReadBoxes(r, d);
    } else {
        d.protocol = uint16_t(r.Bytes(2));
        d.rulesHash = r.Bytes(4);
        d.seed = r.Bytes(4);
    }
    // Every byte is accounted for: a longer datagram is not this one.
    if (!r.ok || r.at != r.size || !BodyValid(d))
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
    std::snprintf(text, sizeof text, NoticeTextIn(English, OnlineVersionText),
                  unsigned(ProtocolVersion), unsigned(RulesHash()), unsigned(hello.protocol),
                  unsigned(hello.rulesHash));
    message = text;
    return false;
}
