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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The session number and the side expected come from the first bytes,
    // so that the fuzzer reaches both the right and the wrong ones.
    const uint32_t sessionId = size > 0 ? data[0] % 3 : 0;
    const int32_t fromSide = size > 1 ? data[1] % 2 : 0;
    Datagram d;
    if (!ReadDatagram(data, size, sessionId, fromSide, d))
        return 0;
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
    return 0;
}
