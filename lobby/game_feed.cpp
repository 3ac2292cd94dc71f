// The two ends of a game's feed as small state machines: the host's pieces
// sent from where the lobby says it stands, and the viewer's asks from where
// its own bytes end, so that a lost datagram costs only a repeat.
#include "lobby/game_feed.h"

#include <algorithm>
#include <cstring>

namespace {

bool SameCode(const char code[LobbyCodeLength], const LobbyMessage& m) {
    return std::memcmp(code, m.code, LobbyCodeLength) == 0;
}

bool Due(bool sentOnce, int64_t lastSentMs, int64_t nowMs, int64_t every) {
    return !sentOnce || nowMs - lastSentMs >= every;
}

}  // namespace

void FeedGrow(FeedUpload& feed, const std::string& soFar) {
    if (feed.broken || feed.ended || soFar.size() <= feed.bytes.size())
        return;
    if (soFar.compare(0, feed.bytes.size(), feed.bytes) != 0 || soFar.size() > UINT32_MAX) {
        feed.broken = true;
        return;
    }
    feed.bytes = soFar;
}

void FeedEnd(FeedUpload& feed, const std::string& whole) {
    if (feed.ended)
        return;
    FeedGrow(feed, whole);
    if (!feed.broken && feed.bytes == whole)
        feed.ended = true;
}

int32_t FeedUpDue(FeedUpload& feed, const LobbyClient& client, int64_t nowMs, uint8_t* out) {
    const bool more = feed.held < feed.bytes.size() || (feed.ended && !feed.heldEnded);
    if (feed.broken || !more || client.seat != 0 ||
        (client.stage != LobbyHosting && client.stage != LobbyPaired) ||
        !Due(feed.sentOnce, feed.lastSentMs, nowMs, FeedUpEveryMs))
        return 0;
    LobbyMessage m;
    m.kind = LobbyFeedUp;
    std::memcpy(m.code, client.code, LobbyCodeLength);
    m.token = client.token;
    m.offset = std::min<uint32_t>(feed.held, uint32_t(feed.bytes.size()));
    const size_t left = feed.bytes.size() - m.offset;
    m.payloadSize = int32_t(std::min<size_t>(left, size_t(LobbyFeedPieceMax)));
    std::memcpy(m.payload, feed.bytes.data() + m.offset, size_t(m.payloadSize));
    m.ended = feed.ended && size_t(m.payloadSize) == left;
    feed.sentOnce = true;
    feed.lastSentMs = nowMs;
    return WriteLobbyMessage(m, out);
}

bool FeedTakeHeld(FeedUpload& feed, const LobbyClient& client, const LobbyMessage& m) {
    if (m.kind != LobbyFeedHeld || !SameCode(client.code, m))
        return false;
    // The lobby cannot hold more than was sent; an answer that says so is
    // not taken.
    if (m.offset > feed.bytes.size())
        return true;
    feed.held = m.offset;
    feed.heldEnded = m.ended && m.offset == feed.bytes.size() && feed.ended;
    // The lobby ended the feed short of ours (it holds no more of one game
    // than its cap): nothing more would be taken.
    if (m.ended && !feed.heldEnded)
        feed.broken = true;
    return true;
}

bool FeedDelivered(const FeedUpload& feed) {
    return feed.ended && feed.heldEnded;
}

bool FeedStartWatching(FeedWatch& watch, const host::NetAddress& lobby, const std::string& codeText,
                       uint32_t nonce) {
    char code[LobbyCodeLength];
    if (!LobbyCodeOfText(codeText, code))
        return false;
    watch = FeedWatch{};
    watch.stage = FeedWatching;
    watch.lobby = lobby;
    watch.nonce = nonce;
    std::memcpy(watch.code, code, LobbyCodeLength);
    return true;
}

int32_t FeedAskDue(FeedWatch& watch, int64_t nowMs, uint8_t* out) {
    if (watch.stage != FeedWatching)
        return 0;
    const bool behind = watch.lobbyHolds > watch.bytes.size();
    if (!Due(watch.sentOnce, watch.lastSentMs, nowMs, behind ? FeedCatchUpEveryMs : FeedAskEveryMs))
        return 0;
    if (watch.unanswered >= FeedTriesMax) {
        watch.stage = FeedFailed;
        watch.refusal = LobbyNoAnswer;
        return 0;
    }
    LobbyMessage m;
    m.kind = LobbyWatch;
    m.nonce = watch.nonce;
    std::memcpy(m.code, watch.code, LobbyCodeLength);
    m.offset = uint32_t(watch.bytes.size());
    watch.sentOnce = true;
    watch.lastSentMs = nowMs;
    ++watch.unanswered;
    return WriteLobbyMessage(m, out);
}

namespace {

void TakeFeed(FeedWatch& watch, const LobbyMessage& m) {
    watch.unanswered = 0;
    watch.lobbyHolds = m.feedSize;
    if (m.offset == watch.bytes.size())
        watch.bytes.append(reinterpret_cast<const char*>(m.payload), size_t(m.payloadSize));
    if (m.ended && watch.bytes.size() == m.feedSize)
        watch.stage = FeedWhole;
}

// Another lobby of the same directory holds the game; a game that moved
// more than LobbyMovesMax times is taken for gone.
void TakeElsewhere(FeedWatch& watch, const LobbyMessage& m) {
    if (++watch.moves > LobbyMovesMax) {
        watch.stage = FeedFailed;
        watch.refusal = LobbyNoRoom;
        return;
    }
    watch.lobby = m.peer;
    watch.webPort = m.webPort;
    watch.sentOnce = false;
    watch.unanswered = 0;
}

}  // namespace

bool FeedTake(FeedWatch& watch, const host::NetDatagram& datagram) {
    LobbyMessage m;
    if (watch.stage != FeedWatching || !(datagram.from == watch.lobby) ||
        !ReadLobbyMessage(datagram.bytes, datagram.size, m) || m.nonce != watch.nonce)
        return false;
    if (m.kind == LobbyFeed && SameCode(watch.code, m)) {
        TakeFeed(watch, m);
        return true;
    }
    if (m.kind == LobbyElsewhere && SameCode(watch.code, m)) {
        TakeElsewhere(watch, m);
        return true;
    }
    if (m.kind == LobbyRefused) {
        watch.stage = FeedFailed;
        watch.refusal = m.refusal;
        return true;
    }
    return false;
}
