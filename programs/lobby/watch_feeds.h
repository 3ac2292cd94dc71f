// The feeds of games watched: the host (seat 0) of a room uploads its game's
// feed, the replay being recorded, in pieces, and viewers who know the code
// read it from any offset, a few seconds behind the players. A feed outlives
// its room for a while, so that viewers behind can still read its end.
#pragma once

#include <cstdint>
#include <vector>

#include "lobby/lobby_messages.h"
#include "platform/host.h"
#include "programs/lobby/lobby_server.h"

// A FeedUp: its piece is taken when it starts where the feed ends and the
// feed is not whole; a feed that would pass the lobby's cap of one feed
// takes what fits and is whole from then on (cut). Seat 0's FeedUp from its
// endpoint is answered FeedHeld (the bytes held, whether whole) whatever it
// carried, so the uploader knows where to go on; anything else is dropped,
// and a wrong code or token costs a guess.
void LobbyTakeFeed(LobbyServer& lobby, const host::NetAddress& from, const LobbyMessage& m,
                   int64_t nowMs, std::vector<LobbyOutgoing>& out);
// A Watch: answered Feed with the piece of the code's feed at its offset
// (empty at or past the end, with offset and feedSize the bytes held); a
// room not yet fed answers an empty feed; an unknown code costs a guess and
// is sent on to the lobby of the shared directory that holds it, else
// refused.
void LobbyAnswerWatch(LobbyServer& lobby, const host::NetAddress& from, const LobbyMessage& m,
                      int64_t nowMs, std::vector<LobbyOutgoing>& out);
// Keeps the feeds of open rooms, drops the others feedKeepMs after they were
// last fed or their room was last seen open, and lets the directory's claim
// of their code go then.
void LobbySweepFeeds(LobbyServer& lobby, int64_t nowMs);
// Codes of feeds kept after their room closed: still claimed in the shared
// directory, so that a viewer asking another lobby is sent here.
void LobbyKeptFeedCodes(const LobbyServer& lobby, std::vector<std::string>& codes);
