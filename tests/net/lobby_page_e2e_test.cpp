// morvask-lobby as a real process on loopback with pages' WebSocket
// connections (a Beast client) beside programs' UDP sockets: a page hosts
// and a program joins, the other way round, two pages; relayed datagrams
// both ways across; a text, oversized or malformed message closing only
// its connection; upgrades refused for another path, a foreign origin, too many
// connections from one address; guesses counted per address however many
// connections; a feed uploaded by a program and watched by a page; the
// pages' counts when stopped.
#include <gtest/gtest.h>

#include <utility>  // Boost 1.74 misses it under C++20

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "lobby/lobby_client.h"
#include "lobby/lobby_messages.h"
#include "platform/host.h"
#include "tests/net/child_process.h"

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;

namespace {

// A page's connection: messages in arrive in `got`; messages out go in
// order, one write at a time. Its work holds it, so that it outlives a
// test's step that drops it.
struct Page : std::enable_shared_from_this<Page> {
    explicit Page(asio::io_context& io) : ws(io) {}
    websocket::stream<beast::tcp_stream> ws;
    beast::flat_buffer buffer;
    std::deque<std::string> got;
    std::deque<std::pair<bool, std::string>> outgoing;  // text?, bytes
    bool open = false, closed = false;
    websocket::response_type response;
};

void ReadOn(Page& page) {
    page.ws.async_read(page.buffer,
                       [&page, hold = page.shared_from_this()](beast::error_code error, size_t) {
                           if (error) {
                               page.closed = true;
                               return;
                           }
                           page.got.push_back(beast::buffers_to_string(page.buffer.data()));
                           page.buffer.consume(page.buffer.size());
                           ReadOn(page);
                       });
}

void WriteOn(Page& page) {
    page.ws.text(page.outgoing.front().first);
    page.ws.async_write(asio::buffer(page.outgoing.front().second),
                        [&page, hold = page.shared_from_this()](beast::error_code error, size_t) {
                            page.outgoing.pop_front();
                            if (!error && !page.outgoing.empty())
                                WriteOn(page);
                        });
}

void Send(Page& page, const std::string& bytes, bool text = false) {
    page.outgoing.emplace_back(text, bytes);
    if (page.outgoing.size() == 1)
        WriteOn(page);
}

// Ends a page's connection at once, without a closing handshake.
void Drop(Page& page) {
    beast::error_code ignored;
    beast::get_lowest_layer(page.ws).socket().close(ignored);
}

// One side of a game: a program's UDP socket or a page's connection.
struct Party {
    Party() = default;
    Party(Party&& other) noexcept
        : client(other.client),
          socket(std::exchange(other.socket, -1)),
          page(std::move(other.page)),
          relayed(std::move(other.relayed)) {}
    ~Party() {
        if (page)
            Drop(*page);
        if (socket >= 0)
            host::NetClose(socket);
    }
    LobbyClient client;
    int32_t socket = -1;
    std::shared_ptr<Page> page;
    std::vector<std::string> relayed;
};

void Take(Party& party, const uint8_t* bytes, int32_t size, const host::NetAddress& from) {
    host::NetDatagram datagram;
    datagram.from = from;
    datagram.size = size;
    std::memcpy(datagram.bytes, bytes, static_cast<size_t>(size));
    uint8_t payload[LobbyPayloadMax];
    int32_t payloadSize = 0;
    if (LobbyTake(party.client, datagram, payload, payloadSize) == LobbyDelivered)
        party.relayed.emplace_back(reinterpret_cast<char*>(payload), payloadSize);
}

void Put(Party& party, const uint8_t* bytes, int32_t size) {
    if (party.page)
        Send(*party.page, std::string(reinterpret_cast<const char*>(bytes), size));
    else
        host::NetSend(party.socket, party.client.lobby, bytes, size);
}

void Step(Party& party) {
    uint8_t bytes[host::NetDatagramMax];
    const int32_t size = LobbyDue(party.client, TestNowMs(), bytes);
    if (size > 0)
        Put(party, bytes, size);
    if (party.page) {
        // Whatever comes over the connection comes from the lobby.
        for (; !party.page->got.empty(); party.page->got.pop_front()) {
            const std::string& m = party.page->got.front();
            Take(party, reinterpret_cast<const uint8_t*>(m.data()), static_cast<int32_t>(m.size()),
                 party.client.lobby);
        }
        return;
    }
    host::NetDatagram datagram;
    while (host::NetReceive(party.socket, datagram))
        Take(party, datagram.bytes, datagram.size, datagram.from);
}

void Relay(Party& from, const std::string& text) {
    uint8_t bytes[host::NetDatagramMax];
    Put(from, bytes,
        LobbyWrap(from.client, reinterpret_cast<const uint8_t*>(text.data()),
                  static_cast<int32_t>(text.size()), bytes));
}

host::NetAddress Loopback(int32_t port) {
    host::NetAddress address;
    host::NetNumericAddress("127.0.0.1", port, address);
    return address;
}

struct LobbyPages : testing::Test {
    Child lobby;
    host::NetAddress lobbyAt;
    int webPort = 0;
    asio::io_context io;
    std::filesystem::path folder;
    std::vector<std::string> options;  // more of the lobby's

    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("morvask_pages_" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "index.html") << "<!doctype html><title>page</title>";
        std::vector<std::string> arguments = {MORVASK_LOBBY_PATH,
                                              "--bind",
                                              "127.0.0.1",
                                              "--port",
                                              "0",
                                              "--web",
                                              folder.string(),
                                              "--web-port",
                                              "0",
                                              "--origin",
                                              "http://friend.example"};
        arguments.insert(arguments.end(), options.begin(), options.end());
        lobby = Spawn(arguments);
        const std::string prefix = "morvask-lobby: listening on 127.0.0.1:";
        ASSERT_EQ(lobby.firstLine.rfind(prefix, 0), 0u) << lobby.firstLine;
        lobbyAt = Loopback(std::stoi(lobby.firstLine.substr(prefix.size())));
        std::string serving;
        for (int i = 0; i < 2 && webPort == 0; ++i) {
            serving = NextLine(lobby);
            std::sscanf(serving.c_str(), "morvask-lobby: serving %*s on http://127.0.0.1:%d/",
                        &webPort);
        }
        ASSERT_GT(webPort, 0) << serving;
    }

    void TearDown() override {
        Stop(lobby);
        std::filesystem::remove_all(folder);
    }

    // Runs the connections' work until `done` (asked once a round) or a
    // generous deadline.
    template <typename Done>
    bool RunUntil(Done done, int64_t limitMs = 20000) {
        const int64_t deadline = TestNowMs() + limitMs;
        bool finished = false;
        while (!(finished = done()) && TestNowMs() < deadline) {
            io.restart();
            io.run_for(std::chrono::milliseconds(2));
        }
        return finished;
    }

    // A page's connection to `target`, naming `origin` (and as a proxy
    // would, the visitor `realIp`) when not empty: its HTTP status (101 when
    // it opened; 0 when nothing answered).
    int Connect(Page& page, const std::string& target = "/lobby", const std::string& origin = "",
                const std::string& realIp = "") {
        page.ws.set_option(
            websocket::stream_base::decorator([origin, realIp](websocket::request_type& r) {
                if (!origin.empty())
                    r.set(http::field::origin, origin);
                if (!realIp.empty())
                    r.set("X-Real-IP", realIp);
            }));
        bool done = false;
        const asio::ip::tcp::endpoint at(asio::ip::make_address("127.0.0.1"),
                                         static_cast<uint16_t>(webPort));
        beast::get_lowest_layer(page.ws).async_connect(at, [&](beast::error_code error) {
            if (error) {
                done = true;
                return;
            }
            page.ws.async_handshake(page.response, "127.0.0.1:" + std::to_string(webPort), target,
                                    [&](beast::error_code handshake) {
                                        page.open = !handshake;
                                        done = true;
                                    });
        });
        if (!RunUntil([&] { return done; })) {
            Drop(page);
            RunUntil([&] { return done; });
        }
        if (page.open) {
            page.ws.binary(true);
            ReadOn(page);
        }
        return static_cast<int>(page.response.result_int());
    }

    Party PageParty() {
        Party party;
        party.page = std::make_shared<Page>(io);
        EXPECT_EQ(Connect(*party.page), 101);
        return party;
    }

    Party UdpParty() {
        Party party;
        std::string error;
        party.socket = host::NetOpen(Loopback(0), error);
        EXPECT_GE(party.socket, 0) << error;
        return party;
    }

    template <typename Done>
    bool StepUntil(Party& a, Party& b, Done done) {
        return RunUntil([&] {
            Step(a);
            Step(b);
            return done();
        });
    }

    void Pair(Party& host, Party& guest) {
        LobbyStartHosting(host.client, lobbyAt, 1);
        ASSERT_TRUE(StepUntil(host, guest, [&] { return host.client.stage == LobbyHosting; }));
        ASSERT_TRUE(LobbyStartJoining(guest.client, lobbyAt, LobbyCodeText(host.client.code), 2));
        ASSERT_TRUE(StepUntil(
            host, guest,
            [&] { return host.client.stage == LobbyPaired && guest.client.stage == LobbyPaired; }))
            << "host " << host.client.stage << ", guest " << guest.client.stage << " refusal "
            << guest.client.refusal;
    }

    void RelayBothWays(Party& a, Party& b) {
        Relay(a, "from a");
        Relay(b, "from b");
        ASSERT_TRUE(StepUntil(a, b, [&] { return !a.relayed.empty() && !b.relayed.empty(); }));
        EXPECT_EQ(b.relayed[0], "from a");
        EXPECT_EQ(a.relayed[0], "from b");
    }
};

bool PageEndpoint(const host::NetAddress& address) {
    const uint8_t prefix[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    return address.family == 6 && std::memcmp(address.bytes, prefix, 8) == 0 && address.port == 1;
}

TEST_F(LobbyPages, APageHostsAProgramJoinsOverUdpAndTheRelayCarriesBothWays) {
    Party page = PageParty(), program = UdpParty();
    Pair(page, program);
    EXPECT_EQ(page.client.peer, host::NetBound(program.socket));
    EXPECT_TRUE(PageEndpoint(program.client.peer));
    RelayBothWays(page, program);
    const std::string counts = Stop(lobby);
    EXPECT_NE(counts.find("morvask-lobby: pages: 1 connections, 0 refused,"), std::string::npos)
        << counts;
}

TEST_F(LobbyPages, AProgramHostsOverUdpAndAPageJoins) {
    Party program = UdpParty(), page = PageParty();
    Pair(program, page);
    EXPECT_TRUE(PageEndpoint(program.client.peer));
    EXPECT_EQ(page.client.peer, host::NetBound(program.socket));
    RelayBothWays(program, page);
}

// The largest feed's piece goes up from a program as a whole datagram, and a
// page's Watch, itself a whole datagram, draws it back as one.
TEST_F(LobbyPages, APageWatchesTheFeedAProgramUploads) {
    Party program = UdpParty(), viewer = PageParty();
    LobbyStartHosting(program.client, lobbyAt, 1);
    ASSERT_TRUE(StepUntil(program, viewer, [&] { return program.client.stage == LobbyHosting; }));
    LobbyMessage up;
    up.kind = LobbyFeedUp;
    std::memcpy(up.code, program.client.code, LobbyCodeLength);
    up.token = program.client.token;
    up.ended = true;
    up.payloadSize = LobbyFeedPieceMax;
    for (int32_t i = 0; i < up.payloadSize; ++i)
        up.payload[i] = static_cast<uint8_t>(i * 7 + 3);
    uint8_t bytes[host::NetDatagramMax];
    ASSERT_EQ(WriteLobbyMessage(up, bytes), host::NetDatagramMax);
    LobbyMessage held;
    ASSERT_TRUE(RunUntil([&] {
        host::NetSend(program.socket, lobbyAt, bytes, host::NetDatagramMax);
        host::NetDatagram datagram;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        while (host::NetReceive(program.socket, datagram))
            if (ReadLobbyMessage(datagram.bytes, datagram.size, held) && held.kind == LobbyFeedHeld)
                return true;
        return false;
    }));
    EXPECT_EQ(held.offset, static_cast<uint32_t>(LobbyFeedPieceMax));
    EXPECT_TRUE(held.ended);
    LobbyMessage watch;
    watch.kind = LobbyWatch;
    watch.nonce = 5;
    std::memcpy(watch.code, program.client.code, LobbyCodeLength);
    const int32_t size = WriteLobbyMessage(watch, bytes);
    ASSERT_EQ(size, host::NetDatagramMax);
    Send(*viewer.page, std::string(reinterpret_cast<const char*>(bytes), size));
    ASSERT_TRUE(RunUntil([&] { return !viewer.page->got.empty() || viewer.page->closed; }));
    ASSERT_FALSE(viewer.page->got.empty());
    const std::string& answer = viewer.page->got.front();
    LobbyMessage feed;
    ASSERT_TRUE(ReadLobbyMessage(reinterpret_cast<const uint8_t*>(answer.data()),
                                 static_cast<int32_t>(answer.size()), feed));
    EXPECT_EQ(feed.kind, LobbyFeed);
    EXPECT_EQ(feed.nonce, 5u);
    EXPECT_EQ(feed.feedSize, static_cast<uint32_t>(LobbyFeedPieceMax));
    EXPECT_TRUE(feed.ended);
    ASSERT_EQ(feed.payloadSize, up.payloadSize);
    EXPECT_EQ(std::memcmp(feed.payload, up.payload, static_cast<size_t>(up.payloadSize)), 0);
    const std::string counts = Stop(lobby);
    EXPECT_NE(counts.find(" 1 fed, 1 watched\n"), std::string::npos) << counts;
}

TEST_F(LobbyPages, TwoPagesPairEachSeenAtItsOwnEndpoint) {
    Party first = PageParty(), second = PageParty();
    Pair(first, second);
    EXPECT_TRUE(PageEndpoint(first.client.peer));
    EXPECT_TRUE(PageEndpoint(second.client.peer));
    EXPECT_NE(first.client.peer, second.client.peer);
    RelayBothWays(first, second);
}

TEST_F(LobbyPages, ATextOversizedOrMalformedMessageClosesOnlyItsConnection) {
    Party page = PageParty(), program = UdpParty();
    Pair(page, program);
    auto text = std::make_shared<Page>(io), oversized = std::make_shared<Page>(io);
    Party garbage = PageParty();
    ASSERT_EQ(Connect(*text), 101);
    ASSERT_EQ(Connect(*oversized), 101);
    Send(*text, std::string(48, 'x'), true);
    Send(*oversized, std::string(2000, 'x'));
    Send(*garbage.page, std::string(host::NetDatagramMax, 'x'));
    // A frame of a kind WebSocket has not (opcode 3), masked and empty, as
    // no client library would send it.
    auto malformed = std::make_shared<Page>(io);
    ASSERT_EQ(Connect(*malformed), 101);
    const uint8_t frame[] = {0x83, 0x80, 1, 2, 3, 4};
    asio::write(beast::get_lowest_layer(malformed->ws).socket(), asio::buffer(frame));
    ASSERT_TRUE(RunUntil([&] { return text->closed && oversized->closed && malformed->closed; }));
    EXPECT_EQ(text->ws.reason().code, websocket::close_code::unknown_data);
    EXPECT_EQ(oversized->ws.reason().code, websocket::close_code::too_big);
    EXPECT_EQ(malformed->ws.reason().code, websocket::close_code::protocol_error);
    // A datagram-sized message that is no lobby message is dropped, as over
    // UDP, and its connection stays.
    LobbyStartHosting(garbage.client, lobbyAt, 5);
    ASSERT_TRUE(StepUntil(garbage, page, [&] { return garbage.client.stage == LobbyHosting; }));
    EXPECT_FALSE(garbage.page->closed);
    RelayBothWays(page, program);
}

TEST_F(LobbyPages, UpgradesAreRefusedForAnotherPathOrAForeignOrigin) {
    const std::string own = "http://127.0.0.1:" + std::to_string(webPort);
    const std::vector<std::pair<std::string, std::string>> asked = {
        {"/other", ""},
        {"/index.html", ""},
        {"/lobby", "http://evil.example"},
        {"/lobby", "null"},
        {"/lobby", own},
        {"/lobby", "http://friend.example"},
        {"/lobby", "http://FRIEND.example:80"}};
    const std::vector<int> expected = {404, 404, 403, 403, 101, 101, 101};
    for (size_t i = 0; i < asked.size(); ++i) {
        auto page = std::make_shared<Page>(io);
        EXPECT_EQ(Connect(*page, asked[i].first, asked[i].second), expected[i])
            << asked[i].first << " from " << asked[i].second;
    }
}

TEST_F(LobbyPages, TooManyConnectionsFromOneAddressAreRefusedUntilOneCloses) {
    std::vector<std::shared_ptr<Page>> open;
    for (int i = 0; i < 8; ++i) {
        open.push_back(std::make_shared<Page>(io));
        ASSERT_EQ(Connect(*open.back()), 101) << i;
    }
    // Only a proxy of --real-ip-from names the visitor.
    auto ninth = std::make_shared<Page>(io);
    EXPECT_EQ(Connect(*ninth, "/lobby", "", "192.0.2.1"), 429);
    bool closed = false;
    open[0]->ws.async_close(websocket::close_code::normal,
                            [&closed](beast::error_code) { closed = true; });
    ASSERT_TRUE(RunUntil([&] { return closed; }));
    // The lobby counts it gone once it has seen the close through.
    int status = 0;
    RunUntil([&] {
        open.push_back(std::make_shared<Page>(io));
        status = Connect(*open.back());
        return status == 101;
    });
    EXPECT_EQ(status, 101);
}

TEST_F(LobbyPages, GuessesCountPerAddressHoweverManyConnectionsAPageOpens) {
    int32_t noRoom = 0, tooFast = 0;
    for (int i = 0; i < 15; ++i) {
        Party guesser = PageParty(), idle = UdpParty();
        ASSERT_TRUE(
            LobbyStartJoining(guesser.client, lobbyAt, "ABCDEFGHJK", static_cast<uint32_t>(i)));
        StepUntil(guesser, idle, [&] { return guesser.client.stage == LobbyFailed; });
        noRoom += guesser.client.refusal == LobbyNoRoom;
        tooFast += guesser.client.refusal == LobbyTooFast;
    }
    EXPECT_LE(noRoom, 6);
    EXPECT_GE(tooFast, 9);
    // A program from the same address has no guesses left either.
    Party program = UdpParty(), idle = UdpParty();
    ASSERT_TRUE(LobbyStartJoining(program.client, lobbyAt, "ABCDEFGHJK", 99));
    StepUntil(program, idle, [&] { return program.client.stage == LobbyFailed; });
    EXPECT_EQ(program.client.refusal, LobbyTooFast);
}

struct LobbyPagesBehindAProxy : LobbyPages {
    void SetUp() override {
        options = {"--real-ip-from", "127.0.0.1"};
        LobbyPages::SetUp();
    }
};

TEST_F(LobbyPagesBehindAProxy, EachVisitorTheProxyNamesIsCountedApart) {
    std::vector<std::shared_ptr<Page>> open;
    for (int i = 0; i < 12; ++i) {
        open.push_back(std::make_shared<Page>(io));
        ASSERT_EQ(Connect(*open.back(), "/lobby", "", "192.0.2." + std::to_string(i + 1)), 101)
            << i;
    }
    for (int i = 0; i < 8; ++i) {
        open.push_back(std::make_shared<Page>(io));
        ASSERT_EQ(Connect(*open.back(), "/lobby", "", "2001:db8::7"), 101) << i;
    }
    open.push_back(std::make_shared<Page>(io));
    EXPECT_EQ(Connect(*open.back(), "/lobby", "", "2001:db8::7"), 429);
}

}  // namespace
