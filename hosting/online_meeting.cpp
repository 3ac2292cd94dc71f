// Meeting the other program: the host waits for it, the joiner finds it (by
// the address and code the host printed, or by a lobby's room code) and
// greets it, and the host's welcome tells the seed both start with. Before
// the window opens (--host, --join), or a step at a time under a box.
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
}  // namespace

void PrintRoomCode(const std::string& code) {
    std::printf(
        "morvask: hosting an online game; the other player joins with\n"
        "  morvask --join %s\n"
        "morvask: others watch it with morvask --watch %s\n",
        code.c_str(), code.c_str());
    std::fflush(stdout);
}

void PrintHowToJoin() {
    const std::string addresses = LocalAddressesText();
    std::printf(
        "morvask: hosting an online game on UDP port %d; the other player joins "
        "with\n  morvask --join %s\n"
        "(ADDRESS: this computer's address on your network%s%s)\n",
        int(host::NetBound(Online.transport.socket).port), HowToJoinDirectly().c_str(),
        addresses.empty() ? "" : ", here ", addresses.c_str());
    std::fflush(stdout);
}

namespace {

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

void ShowRoomCode(const std::string& code) {
    if (OnlineRoomMade)
        OnlineRoomMade(code);
    else
        PrintRoomCode(code);
}

// What the meeting's steps need across looks.
struct MeetingRecord {
    MeetingStage stage = MeetingFailed;
    int64_t greetingSinceUs = 0;
    std::string error;
    bool joining = false;
};
MeetingRecord Meeting;

void Fail(const std::string& error) {
    Meeting.stage = MeetingFailed;
    Meeting.error = error;
}

// The greeting begins once the other's way is known: the session named by
// the room's code through a lobby, the host's own otherwise.
void StartGreeting(uint32_t session, int64_t nowUs) {
    StartOnlineLink(Online.link, !Meeting.joining, session, nowUs);
    Online.link.punching = Online.transport.throughLobby;
    if (!Meeting.joining)
        Online.link.seed = FreshNumber();
    Meeting.stage = MeetingGreeting;
    Meeting.greetingSinceUs = nowUs;
}

void LookWhileAskingLobby(int64_t nowUs) {
    const LobbyStage stage = Online.transport.lobby.stage;
    if (stage == LobbyFailed)
        Fail(LobbyProblem(Online.transport.lobby));
    else if (stage == LobbyHosting)
        Meeting.stage = MeetingRoomMade;
    if (stage == LobbyPaired)
        StartGreeting(SessionOfRoomCode(Online.transport.lobby.code), nowUs);
}

void LookWhileGreeting(int64_t nowUs) {
    if (Online.transport.throughLobby && Online.transport.lobby.stage == LobbyFailed)
        return Fail(LobbyProblem(Online.transport.lobby));
    SendGreeting(nowUs);
    if (Online.link.phase == OnlineStopped)
        return Fail(Online.link.message);
    if (Online.link.phase != OnlineGreeting) {
        Meeting.stage = MeetingMet;
        Online.active = true;
        return;
    }
    if (Meeting.joining && nowUs - Meeting.greetingSinceUs > JoinPatienceUs)
        Fail("no answer from the host within 30 s: is it waiting, and is the code right?");
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
    Meeting.stage = MeetingAskingLobby;
    return true;
}

}  // namespace

bool BeginMeeting(const CommandLine& line, const std::string& lobbyText, std::string& error) {
    Online = OnlineGame{};
    Meeting = MeetingRecord{};
    Meeting.joining = !line.hostOnline;
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
        if (StartThroughLobby(line, lobbyText, error))
            return true;
        CloseOnlineTransport(Online.transport);
        return false;
    }
    if (line.hostOnline) {
        session = FreshNumber();
    } else {
        Online.transport.peer = hostAddress;
        Online.transport.peerKnown = true;
    }
    StartGreeting(session, host::NetClockMicroseconds());
    return true;
}

MeetingStage MeetingStep() {
    if (Meeting.stage == MeetingMet || Meeting.stage == MeetingFailed)
        return Meeting.stage;
    const int64_t now = host::NetClockMicroseconds();
    KeepLobby(Online.transport, now);
    uint8_t bytes[host::NetDatagramMax];
    size_t size = 0;
    host::NetAddress from;
    while (ReceiveFromPeer(Online.transport, now, bytes, size, from))
        if (Meeting.stage == MeetingGreeting)
            TakeGreeting(bytes, size, from, now);
    if (Meeting.stage == MeetingAskingLobby || Meeting.stage == MeetingRoomMade)
        LookWhileAskingLobby(now);
    else if (Meeting.stage == MeetingGreeting)
        LookWhileGreeting(now);
    return Meeting.stage;
}

const std::string& MeetingError() {
    return Meeting.error;
}

std::string HowToJoinDirectly() {
    char text[64];
    std::snprintf(text, sizeof text, "ADDRESS:%d/%08x",
                  int(host::NetBound(Online.transport.socket).port),
                  unsigned(Online.link.sessionId));
    return text;
}

std::string LocalAddressesText() {
    std::string addresses;
    for (const host::NetAddress& address : host::NetLocalAddresses()) {
        char text[24];
        std::snprintf(text, sizeof text, "%s%d.%d.%d.%d", addresses.empty() ? "" : " or ",
                      address.bytes[0], address.bytes[1], address.bytes[2], address.bytes[3]);
        addresses += text;
    }
    return addresses;
}

void StopMeeting() {
    CloseOnlineTransport(Online.transport);
    Online = OnlineGame{};
    Meeting = MeetingRecord{};
}

bool MeetOtherProgram(const CommandLine& line, const std::string& lobbyText, std::string& error) {
    if (!BeginMeeting(line, lobbyText, error))
        return false;
    if (Meeting.stage == MeetingAskingLobby) {
        std::printf("morvask: asking the lobby %s\n",
                    host::NetAddressText(Online.transport.lobby.lobby).c_str());
        std::fflush(stdout);
    } else if (line.hostOnline) {
        PrintHowToJoin();
    }
    bool codeShown = false;
    while (MeetingStep() != MeetingMet && Meeting.stage != MeetingFailed) {
        if (Meeting.stage == MeetingRoomMade && !codeShown) {
            ShowRoomCode(LobbyCodeText(Online.transport.lobby.code));
            codeShown = true;
        }
        host::NetWait(Online.transport.socket, 20);
    }
    error = Meeting.error;
    return Meeting.stage == MeetingMet;
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
