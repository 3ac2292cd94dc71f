// The feeds of games watched: the host's pieces taken in order, viewers'
// requests answered from any offset, and feeds kept a while after their room.
#include "programs/lobby/watch_feeds.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "programs/lobby/room_access.h"

namespace {

// Room for `more` bytes past the feed's end, growing its store at least
// twofold (up to one feed's cap) and counting what it reserves against the
// lobby's cap of all feeds; false when the lobby holds as much as it may.
bool MakeRoomFor(LobbyServer& lobby, LobbyGameFeed& feed, size_t more) {
    const size_t had = feed.bytes.capacity();
    const size_t wanted = feed.bytes.size() + more;
    if (wanted <= had)
        return true;
    const size_t grown = std::min(std::max({wanted, had * 2, size_t(16384)}),
                                  static_cast<size_t>(lobby.settings.feedMaxBytes));
    if (lobby.feedBytes + static_cast<int64_t>(grown - had) > lobby.settings.feedsMaxBytes)
        return false;
    feed.bytes.reserve(grown);
    lobby.feedBytes += static_cast<int64_t>(feed.bytes.capacity() - had);
    return true;
}

// A whole feed takes nothing more: its store shrinks to what it holds.
void EndFeed(LobbyServer& lobby, LobbyGameFeed& feed) {
    feed.ended = true;
    const size_t had = feed.bytes.capacity();
    std::vector<uint8_t>(feed.bytes).swap(feed.bytes);
    lobby.feedBytes -= static_cast<int64_t>(had - feed.bytes.capacity());
}

// Appends `m`'s piece when it starts at the feed's end. Past one feed's cap
// only what fits is taken, and the feed ends there: its viewers play what
// there is. Past the lobby's cap of all feeds nothing is taken, for now.
void Append(LobbyServer& lobby, LobbyGameFeed& feed, const LobbyMessage& m, int64_t nowMs) {
    const size_t held = feed.bytes.size();
    if (feed.ended || m.offset != held)
        return;
    const size_t fits = static_cast<size_t>(lobby.settings.feedMaxBytes) - held;
    const size_t taken = std::min(static_cast<size_t>(m.payloadSize), fits);
    if (!MakeRoomFor(lobby, feed, taken))
        return;
    feed.bytes.insert(feed.bytes.end(), m.payload, m.payload + taken);
    feed.keptMs = nowMs;
    if (taken > 0 || m.ended)
        ++lobby.counts.fed;
    if (m.ended || taken < static_cast<size_t>(m.payloadSize))
        EndFeed(lobby, feed);
}

void TellHeld(std::vector<LobbyOutgoing>& out, const host::NetAddress& to, const LobbyMessage& m,
              const LobbyGameFeed& feed) {
    LobbyMessage held;
    held.kind = LobbyFeedHeld;
    std::memcpy(held.code, m.code, LobbyCodeLength);
    held.offset = static_cast<uint32_t>(feed.bytes.size());
    held.ended = feed.ended;
    LobbySend(out, to, held);
}

// The piece of `feed` at the viewer's offset (none: a room not yet fed).
void SendPiece(LobbyServer& lobby, const host::NetAddress& to, const LobbyMessage& m,
               const LobbyGameFeed* feed, std::vector<LobbyOutgoing>& out) {
    LobbyMessage piece;
    piece.kind = LobbyFeed;
    piece.nonce = m.nonce;
    std::memcpy(piece.code, m.code, LobbyCodeLength);
    const uint32_t held = feed ? static_cast<uint32_t>(feed->bytes.size()) : 0;
    piece.feedSize = held;
    piece.offset = std::min(m.offset, held);
    piece.ended = feed && feed->ended;
    piece.payloadSize =
        static_cast<int32_t>(std::min<uint32_t>(held - piece.offset, LobbyFeedPieceMax));
    if (piece.payloadSize > 0)
        std::memcpy(piece.payload, feed->bytes.data() + piece.offset,
                    static_cast<size_t>(piece.payloadSize));
    ++lobby.counts.watched;
    LobbySend(out, to, piece);
}

}  // namespace

void LobbyTakeFeed(LobbyServer& lobby, const host::NetAddress& from, const LobbyMessage& m,
                   int64_t nowMs, std::vector<LobbyOutgoing>& out) {
    // The game ended and the other seat left first, closing the room: its
    // feeder still sends the end.
    const std::string code = LobbyCodeKey(m.code);
    auto kept = lobby.feeds.find(code);
    if (kept != lobby.feeds.end() && lobby.rooms.count(code) == 0 &&
        kept->second.token == m.token && kept->second.feeder == from) {
        Append(lobby, kept->second, m, nowMs);
        return TellHeld(out, from, m, kept->second);
    }
    LobbyRoomAt room;
    int32_t seat = 0;
    if (!LobbySeatSpeaking(lobby, from, m, nowMs, room, seat))
        return;
    if (seat != 0) {
        ++lobby.counts.dropped;
        return;
    }
    room->second.heardMs = nowMs;
    auto made = lobby.feeds.try_emplace(LobbyCodeKey(m.code));
    LobbyGameFeed& feed = made.first->second;
    if (made.second)
        feed.keptMs = nowMs;
    feed.token = m.token;
    feed.feeder = from;
    Append(lobby, feed, m, nowMs);
    TellHeld(out, from, m, feed);
}

void LobbyAnswerWatch(LobbyServer& lobby, const host::NetAddress& from, const LobbyMessage& m,
                      int64_t nowMs, std::vector<LobbyOutgoing>& out) {
    const std::string code = LobbyCodeKey(m.code);
    auto feed = lobby.feeds.find(code);
    if (feed != lobby.feeds.end())
        return SendPiece(lobby, from, m, &feed->second, out);
    if (lobby.rooms.count(code) != 0)
        return SendPiece(lobby, from, m, nullptr, out);
    if (!LobbyMayGuess(lobby, from, nowMs))
        return LobbyRefuse(lobby, out, from, m.nonce, LobbyTooFast);
    LobbySendOnOrRefuse(lobby, from, m, out);
}

void LobbySweepFeeds(LobbyServer& lobby, int64_t nowMs) {
    for (auto feed = lobby.feeds.begin(); feed != lobby.feeds.end();) {
        LobbyGameFeed& f = feed->second;
        if (lobby.rooms.count(feed->first) != 0)
            f.keptMs = std::max(f.keptMs, nowMs);
        if (nowMs - f.keptMs <= lobby.settings.feedKeepMs) {
            ++feed;
            continue;
        }
        lobby.feedBytes -= static_cast<int64_t>(f.bytes.capacity());
        if (lobby.directory.release)
            lobby.directory.release(feed->first.data());
        feed = lobby.feeds.erase(feed);
    }
}

void LobbyKeptFeedCodes(const LobbyServer& lobby, std::vector<std::string>& codes) {
    for (const auto& [code, feed] : lobby.feeds)
        if (lobby.rooms.count(code) == 0)
            codes.push_back(code);
}
