// libFuzzer target of the datagram reader: any bytes from the network. A
// datagram the reader takes must write back to the very same bytes and hold
// only values an input can have; then a session takes it without harm.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "netplay/peer_datagrams.h"
#include "netplay/wire.h"

namespace {

void NoTick(const TickInput*) {}

// The bytes with the checksum the reader expects appended, so that the
// fuzzer reaches the fields behind it too.
size_t Sealed(const uint8_t* data, size_t size, uint8_t* out) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) {
        out[i] = data[i];
        hash = (hash ^ data[i]) * 16777619u;
    }
    for (int i = 0; i < 4; ++i)
        out[size + size_t(i)] = uint8_t(hash >> (8 * i));
    return size + 4;
}

void Check(const uint8_t* data, size_t size, uint32_t sessionId, int32_t fromSide) {
    Datagram d;
    if (!ReadDatagram(data, size, sessionId, fromSide, d))
        return;
    if (d.sessionId != sessionId || d.side != fromSide || d.inputCount > MaxInputsPerDatagram)
        std::abort();
    uint8_t again[MaxDatagramBytes];
    const size_t length = WriteDatagram(d, again);
    if (length != size || std::memcmp(again, data, size) != 0)
        std::abort();
    if (d.kind == InputsDatagram) {
        static RollbackSession session;
        StartSession(session, 1 - fromSide, 2, NoTick);
        TakeInputs(session, d);
        if (session.remoteAcked > session.localInputEnd || session.remoteConfirmed > InputRing)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The session number and the side expected come from the first bytes,
    // so that the fuzzer reaches both the right and the wrong ones.
    const uint32_t sessionId = size > 5 ? data[5] % 3 : 0;
    const int32_t fromSide = size > 9 ? data[9] % 2 : 0;
    Check(data, size, sessionId, fromSide);
    uint8_t sealed[MaxDatagramBytes + 8];
    if (size + 4 <= sizeof sealed)
        Check(sealed, Sealed(data, size, sealed), sessionId, fromSide);
    return 0;
}
