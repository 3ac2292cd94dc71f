// Two peers over a simulated link in one process: the game's state is
// switched between them, the link delays, drops, doubles, reorders and
// garbles datagrams by a seeded generator, and each peer's session sees only
// what the link hands it.
#include "programs/sim/sim_peers.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "netplay/peer_datagrams.h"
#include "platform/headless/headless.h"
#include "programs/sim/sim_replay.h"
#include "replay/checksum.h"
#include "replay/recorder.h"
#include "state/program_state.h"
#include "state/random.h"

namespace {

struct LinkProfile {
    const char* name;
    int32_t delayMs;  // each way
    int32_t jitterMs;
    int32_t lossPercent;
    int32_t duplicatePercent;
    int32_t reorderPercent;
    int32_t garbagePercent;  // garbled, forged and stray datagrams added
};

constexpr LinkProfile Profiles[] = {
    {"clean", 0, 0, 0, 0, 0, 0}, {"lan", 1, 1, 0, 0, 0, 1},      {"wifi", 15, 5, 1, 1, 2, 1},
    {"far", 75, 20, 3, 2, 5, 1}, {"lossy", 40, 20, 10, 3, 5, 2}, {"worst", 150, 20, 10, 5, 10, 2},
};
// Reordered datagrams are held back by up to this much more.
constexpr int64_t ReorderHoldUs = 30000;
constexpr uint32_t SessionId = 0x4D565331;

bool Active = false;
const LinkProfile* Profile = nullptr;
uint64_t LinkSeed = 1;
int32_t InputDelay = DefaultInputDelay;
// The tick at which the second peer's generator is disturbed (-1 never): the
// check that the checksum exchange finds a desync and stops.
int32_t DisturbAt = -1;

// What the script's ticks hold, side by side; the pause of the next tick.
std::vector<std::array<TickInput, 2>> Captured;
bool PauseNext = false;

// The link's own generator: the same faults for the same seed everywhere.
uint64_t LinkState = 1;
int32_t LinkRandom(int32_t below) {
    LinkState = LinkState * 6364136223846793005ULL + 1442695040888963407ULL;
    return below <= 0 ? 0 : int32_t((LinkState >> 33) % uint64_t(below));
}

struct Flight {
    int64_t arriveUs;
    int64_t order;
    int32_t to;
    std::vector<uint8_t> bytes;
};

struct Peer {
    RollbackSession session;
    StateSnapshot state;
    int64_t nextTickUs = 0;
    int32_t wall = 0;
    int64_t bytesSent = 0;
    int64_t datagramsSent = 0;
    int64_t dropped = 0;
    int64_t stretchedTicks = 0;
};

std::vector<Flight> InFlight;
int64_t FlightOrder = 0;
Peer Peers[2];

void Launch(int32_t to, std::vector<uint8_t> bytes, int64_t nowUs) {
    const LinkProfile& p = *Profile;
    int64_t delayUs = int64_t(p.delayMs) * 1000;
    if (p.jitterMs > 0)
        delayUs += int64_t(LinkRandom(2 * p.jitterMs * 1000 + 1)) - p.jitterMs * 1000;
    if (LinkRandom(100) < p.reorderPercent)
        delayUs += LinkRandom(int32_t(ReorderHoldUs));
    InFlight.push_back(
        {nowUs + std::max<int64_t>(delayUs, 0), FlightOrder++, to, std::move(bytes)});
}

// Garbage the receiver must drop whole: a flipped byte, a forged session,
// a datagram that claims the receiver's own side, or random bytes.
std::vector<uint8_t> Garbled(const std::vector<uint8_t>& bytes, int32_t to) {
    std::vector<uint8_t> bad = bytes;
    switch (LinkRandom(4)) {
        case 0:
            bad[size_t(LinkRandom(int32_t(bad.size())))] ^= uint8_t(1 + LinkRandom(255));
            break;
        case 1:
        case 2: {
            // Well formed, but of another session or claiming the receiver's
            // own side: not from its peer.
            Datagram forged;
            forged.sessionId = LinkRandom(2) == 0 ? SessionId + 1 : SessionId;
            forged.side = forged.sessionId == SessionId ? to : 1 - to;
            forged.inputCount = 1;
            forged.inputs[0].keys = 0xFFF;
            uint8_t out[MaxDatagramBytes];
            bad.assign(out, out + WriteDatagram(forged, out));
            break;
        }
        default:
            bad.resize(size_t(1 + LinkRandom(int32_t(MaxDatagramBytes) + 40)));
            for (uint8_t& byte : bad)
                byte = uint8_t(LinkRandom(256));
    }
    return bad;
}

void Send(int32_t from, const Datagram& datagram, int64_t nowUs) {
    uint8_t out[MaxDatagramBytes];
    const size_t size = WriteDatagram(datagram, out);
    Peers[from].bytesSent += int64_t(size);
    Peers[from].datagramsSent += 1;
    std::vector<uint8_t> bytes(out, out + size);
    const LinkProfile& p = *Profile;
    if (LinkRandom(100) < p.garbagePercent)
        Launch(1 - from, Garbled(bytes, 1 - from), nowUs);
    if (LinkRandom(100) < p.lossPercent)
        return;
    if (LinkRandom(100) < p.duplicatePercent)
        Launch(1 - from, bytes, nowUs);
    Launch(1 - from, std::move(bytes), nowUs);
}

void Receive(int32_t to, int64_t nowUs) {
    std::vector<Flight> arrived;
    for (size_t i = 0; i < InFlight.size();) {
        if (InFlight[i].to == to && InFlight[i].arriveUs <= nowUs) {
            arrived.push_back(std::move(InFlight[i]));
            InFlight[i] = std::move(InFlight.back());
            InFlight.pop_back();
        } else {
            ++i;
        }
    }
    std::sort(arrived.begin(), arrived.end(), [](const Flight& a, const Flight& b) {
        return a.arriveUs != b.arriveUs ? a.arriveUs < b.arriveUs : a.order < b.order;
    });
    for (const Flight& flight : arrived) {
        Datagram d;
        if (ReadDatagram(flight.bytes.data(), flight.bytes.size(), SessionId, 1 - to, d) &&
            d.kind == InputsDatagram)
            TakeInputs(Peers[to].session, d);
        else
            Peers[to].dropped += 1;
    }
}

// Both sides' keys where the rules poll them, then the tick, without
// counting a step of the run.
void RunPeerTick(const TickInput inputs[2]) {
    for (int32_t side = 0; side < 2; ++side)
        for (int32_t bit = 0; bit < TickKeyCount; ++bit)
            if (const int code = TickKeyCode(side, bit))
                headless::SetKeyDown(code, (inputs[side].keys >> bit) & 1);
    if (headless::TimerIsSet(BattleTimer))
        headless::Deliver(platform::WM_TIMER, BattleTimer, 0);
}

int32_t EndTick() {
    return int32_t(Captured.size());
}

// The inputs both peers agree on for a tick: each side's, its delay later.
void AgreedInputs(int32_t tick, TickInput inputs[2]) {
    for (int32_t side = 0; side < 2; ++side)
        inputs[side] = tick < InputDelay ? TickInput{} : Captured[size_t(tick - InputDelay)][side];
}

[[noreturn]] void Desync(int32_t side) {
    const RollbackSession& s = Peers[side].session;
    std::fflush(stdout);
    std::fprintf(stderr,
                 "morvask-sim: peers: desync: peer %d's state before tick %d differs from the "
                 "other's checksum; the session stops\n",
                 side + 1, s.desyncTick);
    std::exit(1);
}

void StepPeer(int32_t side, int64_t nowUs) {
    Peer& peer = Peers[side];
    RestoreGameState(peer.state);
    Receive(side, nowUs);
    if (peer.wall < EndTick() && AddLocalInput(peer.session, Captured[size_t(peer.wall)][side]))
        peer.wall += 1;
    AdvanceSession(peer.session);
    if (side == 1 && peer.session.tick == DisturbAt && DisturbAt >= 0) {
        SetRandomState(RandomState() ^ 1u);
        DisturbAt = -1;
    }
    if (peer.session.desyncTick >= 0)
        Desync(side);
    Send(side, InputsOf(peer.session, SessionId), nowUs);
    SaveGameState(peer.state);
    const int32_t length = RecommendedTickLengthUs(peer.session);
    peer.stretchedTicks += length > TickLengthUs;
    peer.nextTickUs = nowUs + length;
}

// Both peers from the same start, one tick each at its own pace, until both
// ran every tick with real inputs; false when they never get there.
bool RunLink(const StateSnapshot& start) {
    for (int32_t side = 0; side < 2; ++side) {
        Peers[side] = Peer{};
        Peers[side].state = start;
        StartSession(Peers[side].session, side, InputDelay, RunPeerTick);
        Peers[side].session.endTick = EndTick();
    }
    // The second peer starts a little later, as a joining program does.
    Peers[1].nextTickUs = 3700;
    const int64_t limitUs = (int64_t(EndTick()) + 2000) * TickLengthUs * 4;
    while (!SessionSettled(Peers[0].session) || !SessionSettled(Peers[1].session)) {
        const int32_t side = Peers[1].nextTickUs < Peers[0].nextTickUs ? 1 : 0;
        if (Peers[side].nextTickUs > limitUs)
            return false;
        StepPeer(side, Peers[side].nextTickUs);
    }
    return true;
}

// The plain run of the agreed inputs from the start, recorded as a replay
// when asked: the pause goes in as the key's press it stands for.
void RunAgreed(const StateSnapshot& start, bool record) {
    RestoreGameState(start);
    for (int32_t tick = 0; tick < EndTick(); ++tick) {
        TickInput inputs[2];
        AgreedInputs(tick, inputs);
        if (!record) {
            ApplyTickCommands(inputs);
            RunPeerTick(inputs);
            continue;
        }
        if ((inputs[0].commands | inputs[1].commands) & PauseCommand) {
            int messages[2];
            for (int k = 0, n = headless::KeyDownMessages('P', messages); k < n; ++k)
                SendRecorded(platform::WM_KEYDOWN, uintptr_t(messages[k]), 0);
        }
        for (int32_t side = 0; side < 2; ++side)
            for (int32_t bit = 0; bit < TickKeyCount; ++bit)
                if (const int code = TickKeyCode(side, bit))
                    headless::SetKeyDown(code, (inputs[side].keys >> bit) & 1);
        StepRecorded();
    }
}

std::string PeerJson(const Peer& peer, int32_t ticks) {
    const SessionStats& s = peer.session.stats;
    const int64_t bytesPerSecond = ticks > 0 ? peer.bytesSent * 100 / ticks : 0;
    char text[400];
    std::snprintf(text, sizeof text,
                  "{\"rollbacks\":%lld,\"deepestRollback\":%d,\"ticksRunAgain\":%lld,"
                  "\"waits\":%lld,\"stretchedTicks\":%lld,\"datagrams\":%lld,\"bytesPerSecond\":"
                  "%lld,\"dropped\":%lld}",
                  (long long)s.rollbacks, s.deepestRollback, (long long)s.ticksRunAgain,
                  (long long)s.waits, (long long)peer.stretchedTicks, (long long)peer.datagramsSent,
                  (long long)bytesPerSecond, (long long)peer.dropped);
    return text;
}

}  // namespace

bool TakePeersOption(int& argc, char**& argv) {
    if (argc < 2 || std::string(argv[1]) != "--peers")
        return true;
    const std::string value = argc >= 3 ? argv[2] : "";
    const std::string name = value.substr(0, value.find(':'));
    for (const LinkProfile& profile : Profiles)
        if (name == profile.name)
            Profile = &profile;
    unsigned long long seed = 1;
    int delay = DefaultInputDelay;
    int disturb = -1;
    const size_t colon = value.find(':');
    const int numbers =
        colon == std::string::npos
            ? 0
            : std::sscanf(value.c_str() + colon + 1, "%llu:%d:%d", &seed, &delay, &disturb);
    if (!Profile || (colon != std::string::npos && numbers < 1) || delay < 0 ||
        delay > MaxInputDelay) {
        std::fprintf(stderr,
                     "morvask-sim: --peers takes PROFILE[:SEED[:DELAY]], the profile clean, lan, "
                     "wifi, far, lossy or worst and a delay of 0 to %d ticks\n",
                     MaxInputDelay);
        return false;
    }
    Active = true;
    LinkSeed = seed;
    InputDelay = delay;
    DisturbAt = disturb;
    argv += 2;
    argc -= 2;
    return true;
}

bool PeersMode() {
    return Active;
}

void PeersCaptureTick() {
    std::array<TickInput, 2> inputs = {PollTickInput(0), PollTickInput(1)};
    if (PauseNext)
        inputs[0].commands = PauseCommand;
    PauseNext = false;
    Captured.push_back(inputs);
}

bool PeersPress(int virtualKey) {
    if (virtualKey != 'P')
        return false;
    PauseNext = true;
    return true;
}

bool PeersCommandAllowed(const std::string& name) {
    for (const char* allowed : {"seed", "players", "answer", "start", "hold", "release", "tick",
                                "press", "close", "draw"})
        if (name == allowed)
            return true;
    return false;
}

int RunPeers(bool record) {
    headless::SetBoxAnswerer([](const char*, const char*, uint32_t type) {
        return (type & 0xF) == platform::MB_YESNO ? platform::IDNO : platform::IDOK;
    });
    headless::SetBoxObserver(nullptr);
    headless::SetSoundObserver([](int, bool, bool) {});
    StateSnapshot start;
    SaveGameState(start);
    LinkState = LinkSeed;
    if (!RunLink(start)) {
        std::fprintf(stderr, "morvask-sim: peers: the session never settled\n");
        return 1;
    }
    uint32_t peerSums[2];
    for (int32_t side = 0; side < 2; ++side) {
        RestoreGameState(Peers[side].state);
        peerSums[side] = GameStateChecksum();
    }
    // Only the plain run's boxes go into the replay.
    headless::SetBoxObserver([record](const char*, const char*, uint32_t, int answer) {
        if (record)
            RecordBoxAnswer(answer);
    });
    RunAgreed(start, record);
    const uint32_t agreed = GameStateChecksum();
    const bool same = peerSums[0] == agreed && peerSums[1] == agreed;
    std::printf(
        "{\"type\":\"peers\",\"profile\":\"%s\",\"seed\":%llu,\"inputDelay\":%d,\"ticks\":%d,"
        "\"checksums\":[%u,%u],\"agreedChecksum\":%u,\"result\":\"%s\",\"peers\":[%s,%s]}\n",
        Profile->name, (unsigned long long)LinkSeed, InputDelay, EndTick(), peerSums[0],
        peerSums[1], agreed, same ? "same" : "differ", PeerJson(Peers[0], EndTick()).c_str(),
        PeerJson(Peers[1], EndTick()).c_str());
    if (!same)
        std::fprintf(stderr, "morvask-sim: peers: the final states differ\n");
    return same ? 0 : 1;
}
