// One peer's side of an online game: the handshake, the inputs, and what
// stops the game, independent of the sockets that carry the bytes.
#include "hosting/online_link.h"

#include <cstdio>

#include "netplay/peer_datagrams.h"
#include "texts/notice_texts.h"

void StartOnlineLink(OnlineLink& link, bool hosting, uint32_t sessionId, int64_t nowUs) {
    link = OnlineLink{};
    link.hosting = hosting;
    link.sessionId = sessionId;
    link.lastHeardUs = nowUs;
}

static int32_t OwnSide(const OnlineLink& link) {
    return link.hosting ? 0 : 1;
}

static Datagram Greeting(const OnlineLink& link, DatagramKind kind) {
    Datagram datagram;
    datagram.kind = kind;
    datagram.sessionId = link.sessionId;
    datagram.side = OwnSide(link);
    datagram.rulesHash = RulesHash();
    if (kind == WelcomeDatagram)
        datagram.seed = link.seed;
    return datagram;
}

size_t OnlineDatagramToSend(const OnlineLink& link, const RollbackSession& session, uint8_t* out) {
    if (link.phase == OnlinePlaying)
        return WriteDatagram(InputsOf(session, link.sessionId), out);
    if (link.phase == OnlineGreeting && (!link.hosting || link.punching))
        return WriteDatagram(Greeting(link, HelloDatagram), out);
    return 0;
}

// The host answers every hello (the joiner repeats it until answered), so a
// lost welcome is sent again.
static size_t AnswerHello(OnlineLink& link, const Datagram& hello, uint8_t* reply) {
    std::string why;
    if (!PeerAccepted(hello, why)) {
        link.phase = OnlineStopped;
        link.message = why;
        link.stop = OnlineOtherVersion;
        link.peerProtocol = hello.protocol;
        link.peerRules = hello.rulesHash;
        return WriteDatagram(Greeting(link, RefuseDatagram), reply);
    }
    if (link.phase == OnlineGreeting)
        link.phase = OnlinePlaying;
    return WriteDatagram(Greeting(link, WelcomeDatagram), reply);
}

size_t TakeOnlineDatagram(OnlineLink& link, RollbackSession& session, const uint8_t* data,
                          size_t size, int64_t nowUs, uint8_t* reply) {
    Datagram datagram;
    if (link.phase == OnlineStopped ||
        !ReadDatagram(data, size, link.sessionId, 1 - OwnSide(link), datagram))
        return 0;
    link.lastHeardUs = nowUs;
    if (datagram.kind == HelloDatagram && link.hosting)
        return AnswerHello(link, datagram, reply);
    if (datagram.kind == RefuseDatagram && !link.hosting) {
        std::string why;
        PeerAccepted(datagram, why);
        link.phase = OnlineStopped;
        link.message = why.empty() ? "The other player refused the game." : why;
        link.stop = OnlineOtherVersion;
        link.peerProtocol = datagram.protocol;
        link.peerRules = datagram.rulesHash;
    } else if (datagram.kind == WelcomeDatagram && !link.hosting && link.phase == OnlineGreeting) {
        link.phase = OnlinePlaying;
        link.seed = datagram.seed;
    } else if (datagram.kind == InputsDatagram && link.phase == OnlinePlaying &&
               !link.holdingInputs) {
        link.heardInputs = true;
        TakeInputs(session, datagram);
    } else if (datagram.kind == BoxesDatagram && link.phase == OnlinePlaying) {
        for (int32_t i = 0; i < datagram.boxCount; ++i)
            if (!BoxClosedThere(link, datagram.boxes[size_t(i)])) {
                link.closedThere[size_t(link.closedThereNext)] = datagram.boxes[size_t(i)];
                link.closedThereNext =
                    (link.closedThereNext + 1) % int32_t(link.closedThere.size());
            }
    }
    return 0;
}

void NoteBoxClosedHere(OnlineLink& link, BoxKey box, int64_t nowUs) {
    if (link.closedHereCount == MaxBoxesPerDatagram) {
        for (int32_t i = 1; i < MaxBoxesPerDatagram; ++i)
            link.closedHere[size_t(i - 1)] = link.closedHere[size_t(i)];
        link.closedHereCount -= 1;
    }
    link.closedHere[size_t(link.closedHereCount++)] = box;
    link.lastClosedHereUs = nowUs;
}

bool BoxClosedThere(const OnlineLink& link, BoxKey box) {
    for (const BoxKey& closed : link.closedThere)
        if (closed == box)
            return true;
    return false;
}

size_t BoxesDatagramToSend(const OnlineLink& link, int64_t nowUs, uint8_t* out) {
    if (link.phase != OnlinePlaying || link.closedHereCount == 0 ||
        nowUs - link.lastClosedHereUs >= SilentPeerUs)
        return 0;
    Datagram datagram;
    datagram.kind = BoxesDatagram;
    datagram.sessionId = link.sessionId;
    datagram.side = OwnSide(link);
    datagram.boxCount = link.closedHereCount;
    datagram.boxes = link.closedHere;
    return WriteDatagram(datagram, out);
}

bool OnlineLinkAlive(OnlineLink& link, const RollbackSession& session, int64_t nowUs) {
    if (link.phase == OnlineStopped)
        return false;
    char text[160];
    if (session.desyncTick >= 0) {
        link.stop = OnlineDesync;
        link.stopValue = session.desyncTick;
        std::snprintf(text, sizeof text, NoticeTextIn(English, OnlineDesyncText),
                      int(link.stopValue));
    } else if (!(link.hosting && link.phase == OnlineGreeting) &&
               nowUs - link.lastHeardUs >=
                   (link.heardInputs ? SilentPeerUs : FirstInputsPatienceUs)) {
        link.stop = OnlineSilentPeer;
        link.stopValue = int32_t((nowUs - link.lastHeardUs) / 1000000);
        std::snprintf(text, sizeof text, NoticeTextIn(English, OnlineSilentText),
                      int(link.stopValue));
    } else {
        return true;
    }
    link.phase = OnlineStopped;
    link.message = text;
    return false;
}
