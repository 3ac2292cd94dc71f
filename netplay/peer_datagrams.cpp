// Filling an inputs datagram from a session, and the session from one.
#include "netplay/peer_datagrams.h"

#include <algorithm>

Datagram InputsOf(const RollbackSession& session, uint32_t sessionId) {
    Datagram d;
    d.kind = InputsDatagram;
    d.sessionId = sessionId;
    d.side = session.localSide;
    d.tick = session.tick;
    d.advantage = std::clamp(FrameAdvantage(session), -0x7FFF, 0x7FFF);
    d.ack = session.remoteConfirmed;
    // The ring holds every input not acknowledged; older ones are gone.
    d.firstTick = std::max(session.remoteAcked, session.localInputEnd - InputRing + 1);
    d.inputCount = std::min(session.localInputEnd - d.firstTick, MaxInputsPerDatagram);
    for (int32_t i = 0; i < d.inputCount; ++i)
        d.inputs[size_t(i)] = LocalInputAt(session, d.firstTick + i);
    // The latest checksum goes in one datagram of every few, enough that
    // some reach the other before the next is due, loss or not.
    const TickChecksum checksum = LatestChecksum(session);
    if (checksum.tick >= 0 && session.tick % ChecksumEvery == 0) {
        d.checksumTick = checksum.tick;
        d.checksum = checksum.value;
    }
    return d;
}

void TakeInputs(RollbackSession& session, const Datagram& d) {
    for (int32_t i = 0; i < d.inputCount; ++i)
        AddRemoteInput(session, d.firstTick + i, d.inputs[size_t(i)]);
    // An acknowledgement of more than was sent is forged: it is held to what
    // this peer has.
    session.remoteAcked = std::max(session.remoteAcked, std::min(d.ack, session.localInputEnd));
    NoteRemoteProgress(session, d.tick, d.advantage);
    if (d.checksumTick >= 0)
        AddRemoteChecksum(session, {.tick = d.checksumTick, .value = d.checksum});
}
