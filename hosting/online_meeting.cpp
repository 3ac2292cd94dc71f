// Before the window opens: the host waits for the other program, the joiner
// finds it (by the address and code the host printed, or by a lobby's room
// code) and greets it, and the host's welcome tells the seed both start with.
#include <cstdio>
#include <random>
#include <string>

#include "hosting/online_game.h"
#include "lobby/lobby_messages.h"

OnlineGame Online;
void (*OnlineRoomMade)(const std::string& code) = nullptr;

namespace {

// The greeting goes again at this pace until answered.
constexpr int64_t GreetEveryUs = 100000;

uint32_t FreshNumber() {
    std::random_device device;
    uint32_t value = 0;
    while (value == 0)
        value = device();
    return value;
}

// A lobby's room code names the session both sides use: no one outside the
// room can send into it by chance.
uint32_t SessionOfRoomCode(const char code[LobbyCodeLength]) {
    uint32_t hash = 2166136261u;
    for (int32_t i = 0; i < LobbyCodeLength; ++i)
        hash = (hash ^ uint8_t(code[i])) * 16777619u;
    return hash == 0 ? 1 : hash;
}

// ADDRESS:PORT/CODE, CODE the eight hex digits of the host's session.
bool ReadDirectJoin(const std::string& text, host::NetAddress& address, uint32_t& session,
                    std::string& error) {
    const size_t slash = text.rfind('/');
    const std::string code = slash == std::string::npos ? "" : text.substr(slash + 1);
    unsigned long value = 0;
    int used = 0;
    if (code.size() != 8 || std::sscanf(code.c_str(), "%8lx%n", &value, &used) != 1 || used != 8 ||
        value == 0) {
        error =
            "--join needs what the host printed, ADDRESS:PORT/CODE with a code of 8 "
            "letters and digits, or a lobby's room code; not \"" +
            text + "\"";
        return false;
    }
    session = uint32_t(value);
    return host::NetResolve(text.substr(0, slash), address, error);
}

// How the other joins: this program's port and the session's code, and the
// addresses this computer has (the player knows which network the other
// shares).
void PrintHowToJoin(uint32_t session) {
    const int port = int(host::NetBound(Online.transport.socket).port);
    std::string addresses;
    for (const host::NetAddress& address : host::NetLocalAddresses()) {
        char text[24];
        std::snprintf(text, sizeof text, "%s%d.%d.%d.%d", addresses.empty() ? "" : " or ",
                      address.bytes[0], address.bytes[1], address.bytes[2], address.bytes[3]);
        addresses += text;
    }
    std::printf(
        "morvask: hosting an online game on UDP port %d; the other player joins "
        "with\n  morvask --join ADDRESS:%d/%08x\n"
        "(ADDRESS: this computer's address on your network%s%s)\n",
        port, port, unsigned(session), addresses.empty() ? "" : ", here ", addresses.c_str());
    std::fflush(stdout);
}

void SendGreeting(int64_t nowUs) {
    uint8_t out[MaxDatagramBytes];
    if (nowUs - Online.lastSentUs < GreetEveryUs)
        return;
    const size_t size = OnlineDatagramToSend(Online.link, Online.session, out);
    if (size > 0)
        SendToPeer(Online.transport, out, size, nowUs);
    Online.lastSentUs = nowUs;
}

// One datagram while greeting; the host learns the other's address from the
// first greeting it accepts, and answers every one.
void TakeGreeting(const uint8_t* bytes, size_t size, const host::NetAddress& from, int64_t nowUs) {
    uint8_t reply[MaxDatagramBytes];
    const size_t replySize =
        TakeOnlineDatagram(Online.link, Online.session, bytes, size, nowUs, reply);
    if (Online.link.phase == OnlinePlaying && !Online.transport.peerKnown) {
        Online.transport.peer = from;
        Online.transport.peerKnown = true;
    }
    if (replySize > 0 && Online.transport.peerKnown)
        SendToPeer(Online.transport, reply, replySize, nowUs);
    else if (replySize > 0)
        host::NetSend(Online.transport.socket, from, reply, int32_t(replySize));
}

std::string LobbyProblem(const LobbyClient& lobby) {
    return LobbyRefusalText(lobby.refusal, lobby.lobby);
}

// The greetings until both play, with the lobby kept on the way.
bool Greet(std::string& error) {
    const int64_t start = host::NetClockMicroseconds();
    while (Online.link.phase == OnlineGreeting) {
        const int64_t now = host::NetClockMicroseconds();
        KeepLobby(Online.transport, now);
        if (Online.transport.throughLobby && Online.transport.lobby.stage == LobbyFailed) {
            error = LobbyProblem(Online.transport.lobby);
            return false;
        }
        uint8_t bytes[host::NetDatagramMax];
        size_t size = 0;
        host::NetAddress from;
        while (ReceiveFromPeer(Online.transport, now, bytes, size, from))
            TakeGreeting(bytes, size, from, now);
        SendGreeting(now);
        if (!Online.link.hosting && now - start > JoinPatienceUs &&
            Online.link.phase == OnlineGreeting) {
            error = "no answer from the host within 30 s: is it waiting, and is the code right?";
            return false;
        }
        host::NetWait(Online.transport.socket, 20);
    }
    if (Online.link.phase == OnlineStopped) {
        error = Online.link.message;
        return false;
    }
    return true;
}

void ShowRoomCode(const std::string& code) {
    if (OnlineRoomMade) {
        OnlineRoomMade(code);
        return;
    }
    std::printf(
        "morvask: hosting an online game; the other player joins with\n"
        "  morvask --join %s\n"
        "morvask: others watch it with morvask --watch %s\n",
        code.c_str(), code.c_str());
    std::fflush(stdout);
}

bool StartThroughLobby(const CommandLine& line, const std::string& lobbyText, std::string& error) {
    host::NetAddress lobby;
    if (!host::NetResolve(lobbyText, lobby, error)) {
        error = "the lobby " + lobbyText + ": " + error;
        return false;
    }
    Online.transport.throughLobby = true;
    Online.transport.relayOnly = line.relayOnly;
    if (line.hostOnline) {
        LobbyStartHosting(Online.transport.lobby, lobby, FreshNumber());
    } else if (!LobbyStartJoining(Online.transport.lobby, lobby, line.joinText, FreshNumber())) {
        error = "\"" + line.joinText + "\" is no room code (10 letters and digits)";
        return false;
    }
    std::printf("morvask: asking the lobby %s\n", host::NetAddressText(lobby).c_str());
    std::fflush(stdout);
    // The host's room code is printed once the lobby made it.
    bool codeShown = false;
    while (Online.transport.lobby.stage != LobbyPaired &&
           Online.transport.lobby.stage != LobbyFailed) {
        const int64_t now = host::NetClockMicroseconds();
        KeepLobby(Online.transport, now);
        uint8_t bytes[host::NetDatagramMax];
        size_t size = 0;
        host::NetAddress from;
        while (ReceiveFromPeer(Online.transport, now, bytes, size, from)) {
        }
        if (Online.transport.lobby.stage == LobbyHosting && !codeShown) {
            ShowRoomCode(LobbyCodeText(Online.transport.lobby.code));
            codeShown = true;
        }
        host::NetWait(Online.transport.socket, 20);
    }
    if (Online.transport.lobby.stage == LobbyFailed) {
        error = LobbyProblem(Online.transport.lobby);
        return false;
    }
    return true;
}

}  // namespace

bool MeetOtherProgram(const CommandLine& line, const std::string& lobbyText, std::string& error) {
    Online = OnlineGame{};
    Online.inputDelay = line.inputDelay;
    Online.endTick = line.onlineTicks;
    const bool direct = lobbyText.empty() && line.hostOnline;
    host::NetAddress hostAddress;
    uint32_t session = 0;
    if (lobbyText.empty() && !line.hostOnline &&
        !ReadDirectJoin(line.joinText, hostAddress, session, error))
        return false;
    if (!OpenOnlineTransport(Online.transport, direct ? line.port : 0, error))
        return false;
    if (!lobbyText.empty()) {
        if (!StartThroughLobby(line, lobbyText, error))
            return false;
        session = SessionOfRoomCode(Online.transport.lobby.code);
    } else if (line.hostOnline) {
        session = FreshNumber();
        PrintHowToJoin(session);
    } else {
        Online.transport.peer = hostAddress;
        Online.transport.peerKnown = true;
    }
    StartOnlineLink(Online.link, line.hostOnline, session, host::NetClockMicroseconds());
    Online.link.punching = Online.transport.throughLobby;
    if (line.hostOnline)
        Online.link.seed = FreshNumber();
    if (!Greet(error))
        return false;
    Online.active = true;
    return true;
}

std::string LobbyRefusalText(int32_t refusal, const host::NetAddress& lobby) {
    switch (refusal) {
        case LobbyNoRoom:
            return "the lobby has no room of that code (or it expired)";
        case LobbyRoomFull:
            return "that room has its two players already";
        case LobbyTooFast:
            return "the lobby refused: too many attempts from this address; wait a minute";
        case LobbyFull:
            return "the lobby is full; try again later";
        case LobbyOldVersion:
            return "the lobby speaks another version";
        default:
            return "the lobby " + host::NetAddressText(lobby) + " does not answer";
    }
}
