// Between a rollback session and its datagrams: what a peer sends each tick
// and what it takes from one that arrived.
#pragma once

#include "netplay/session.h"
#include "netplay/wire.h"

// The latest checksum rides on the datagrams of every this many ticks.
inline constexpr int32_t ChecksumEvery = 8;

// The datagram a peer sends now: its inputs from the first the other has not
// acknowledged (at most MaxInputsPerDatagram), its acknowledgement of the
// other's, its progress and its latest checksum.
Datagram InputsOf(const RollbackSession& session, uint32_t sessionId);

// Takes an inputs datagram read from the other: its new inputs, its
// acknowledgement, its progress and its checksum. Anything already known or
// out of reach changes nothing, so duplicates and late ones are harmless.
void TakeInputs(RollbackSession& session, const Datagram& datagram);
