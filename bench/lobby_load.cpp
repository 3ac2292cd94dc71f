// morvask-lobby-load: many rooms relaying through one morvask-lobby on
// loopback at the game's datagram rate, measuring the relay's delay, what was
// lost and where, and the lobby's CPU time and peak memory. Every seat is its
// own socket on its own loopback address (127.20.x.y), as every player is its
// own address to a real lobby, so the lobby's per-address limits stay as
// they are and are never what the test runs into.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "bench/lobby_load_proc.h"
#include "bench/lobby_load_run.h"

namespace {

constexpr const char* Usage =
    "Usage: morvask-lobby-load [OPTION]...\n"
    "Opens rooms on a morvask-lobby on loopback (each seat its own socket on its\n"
    "own address 127.20.x.y) and relays datagrams between their seats through it.\n"
    "\n"
    "  --rooms N      rooms open at once (default 1000)\n"
    "  --rate R       datagrams a second each seat sends (default 100)\n"
    "  --seconds S    how long the rooms relay (default 60)\n"
    "  --payload B    bytes of each relayed datagram's payload (default 80, 32 to 1000)\n"
    "  --lobby PATH   start this morvask-lobby (on 127.0.0.1, a free port)\n"
    "  --port N       or use the lobby already listening on 127.0.0.1:N ...\n"
    "  --pid N        ... whose process is N (for its CPU time and memory)\n"
    "  --check        exit 1 unless every room kept relaying and every datagram\n"
    "                 was delivered or counted where it was dropped\n"
    "\n"
    "Prints a readable summary and one line of JSON. Relay delay: from just\n"
    "before a seat's send to the kernel's arrival stamp at the other seat. A send\n"
    "due over 1 ms ago (the test fell behind) is skipped and counted, not sent.\n";

bool Number(const char* text, int32_t lowest, int32_t highest, int32_t& value) {
    char* end = nullptr;
    const long read = std::strtol(text, &end, 10);
    if (!*text || *end || read < lowest || read > highest)
        return false;
    value = static_cast<int32_t>(read);
    return true;
}

// -1 to go on, else the exit status.
int ReadOptions(int argc, char** argv, LoadOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (option == "--check") {
            o.check = true;
            continue;
        }
        const char* value = i + 1 < argc ? argv[++i] : "";
        const bool fits = option == "--lobby"     ? (o.lobby = value, !o.lobby.empty())
                          : option == "--rooms"   ? Number(value, 1, LoadMaxRooms, o.rooms)
                          : option == "--rate"    ? Number(value, 1, 1000, o.rate)
                          : option == "--seconds" ? Number(value, 1, 3600, o.seconds)
                          : option == "--payload" ? Number(value, 32, 1000, o.payload)
                          : option == "--port"    ? Number(value, 1, 65535, o.port)
                          : option == "--pid"     ? Number(value, 1, 1 << 30, o.pid)
                                                  : false;
        if (!fits) {
            std::fprintf(stderr, "morvask-lobby-load: bad option %s %s\n%s", option.c_str(), value,
                         Usage);
            return 2;
        }
    }
    if (o.lobby.empty() == (o.port == 0)) {
        std::fprintf(stderr, "morvask-lobby-load: give either --lobby PATH or --port N\n");
        return 2;
    }
    return -1;
}

// Two sockets a room and a few over: the soft limit raised to the hard one.
bool EnoughFiles(int32_t rooms) {
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &limit);
    const rlim_t needed = static_cast<rlim_t>(rooms) * 2 + 64;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < needed) {
        std::fprintf(stderr,
                     "morvask-lobby-load: %d rooms need %llu open files; the limit is %llu\n",
                     rooms, static_cast<unsigned long long>(needed),
                     static_cast<unsigned long long>(limit.rlim_cur));
        return false;
    }
    return true;
}

// Seat k's address: 127.20.A.B with A and B from 1 to 250.
in_addr SeatAddress(int32_t k) {
    in_addr address{};
    const uint8_t bytes[4] = {127, LoadSeatNet, static_cast<uint8_t>(1 + k / 250),
                              static_cast<uint8_t>(1 + k % 250)};
    std::memcpy(&address.s_addr, bytes, 4);
    return address;
}

// A socket on the seat's own address, connected to the lobby, its arrivals
// stamped by the kernel.
int OpenSeat(int32_t k, int32_t lobbyPort) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr = SeatAddress(k);
    sockaddr_in lobby{};
    lobby.sin_family = AF_INET;
    lobby.sin_port = htons(static_cast<uint16_t>(lobbyPort));
    lobby.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        ::connect(fd, reinterpret_cast<sockaddr*>(&lobby), sizeof lobby) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool OpenSeats(LoadRun& run, int32_t lobbyPort) {
    run.epoll = ::epoll_create1(EPOLL_CLOEXEC);
    const int32_t count = run.options.rooms * 2;
    run.seats.resize(static_cast<size_t>(count));
    run.rooms.resize(static_cast<size_t>(run.options.rooms));
    const size_t scheduled = static_cast<size_t>(run.options.rate) * run.options.seconds + 64;
    for (int32_t k = 0; k < count; ++k) {
        LoadSeat& seat = run.seats[static_cast<size_t>(k)];
        seat.fd = OpenSeat(k, lobbyPort);
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u32 = static_cast<uint32_t>(k);
        if (seat.fd < 0 || ::epoll_ctl(run.epoll, EPOLL_CTL_ADD, seat.fd, &event) != 0) {
            std::fprintf(stderr, "morvask-lobby-load: cannot open seat %d's socket: %s\n", k,
                         std::strerror(errno));
            return false;
        }
        seat.heard.assign(scheduled, 0);
    }
    return true;
}

void CloseSeats(LoadRun& run) {
    for (LoadSeat& seat : run.seats)
        if (seat.fd >= 0)
            ::close(seat.fd);
    if (run.epoll >= 0)
        ::close(run.epoll);
}

std::string LoadAverage() {
    char text[64] = {};
    if (FILE* file = std::fopen("/proc/loadavg", "r")) {
        if (!std::fgets(text, sizeof text, file))
            text[0] = 0;
        std::fclose(file);
    }
    std::string average(text);
    return average.substr(0, average.find(' '));
}

// The ticks every core spent busy (not idle nor waiting) and in all.
void MachineTicks(int64_t& busy, int64_t& softirq, int64_t& all) {
    busy = softirq = all = 0;
    FILE* file = std::fopen("/proc/stat", "r");
    long long t[8] = {};
    if (!file)
        return;
    if (std::fscanf(file, "cpu %lld %lld %lld %lld %lld %lld %lld %lld", &t[0], &t[1], &t[2], &t[3],
                    &t[4], &t[5], &t[6], &t[7]) == 8) {
        for (long long ticks : t)
            all += ticks;
        busy = all - t[3] - t[4];
        softirq = t[6];
    }
    std::fclose(file);
}

// The lobby's CPU time and the test's own, and the kernel's drops at the
// lobby's socket, when the relay starts and when it ends.
struct LoadSample {
    double lobbyCpu = -1, lobbySystem = 0, lobbyWait = 0, ownCpu = 0;
    int64_t lobbyDrops = 0, seatDrops = 0;
    // Clock ticks of every core, from /proc/stat: busy, in the kernel's
    // deferred network work (softirq: loopback delivery, partly), and in all.
    int64_t machineBusy = 0, machineSoftirq = 0, machineAll = 0;
    int64_t atNs = 0;
};

LoadSample Sample(pid_t lobbyPid, int32_t lobbyPort) {
    LoadSample s;
    s.lobbyCpu = lobbyPid > 0 ? ProcessCpuSeconds(lobbyPid, &s.lobbySystem) : -1;
    s.lobbyWait = lobbyPid > 0 ? ProcessWaitSeconds(lobbyPid) : -1;
    s.ownCpu = OwnCpuSeconds();
    s.lobbyDrops = LobbySocketDrops(lobbyPort);
    s.seatDrops = SeatSocketDrops();
    MachineTicks(s.machineBusy, s.machineSoftirq, s.machineAll);
    s.atNs = LoadClockNs();
    return s;
}

// The time, CPU and drops of the relay, and the drops of the probes after it.
void FillMeasures(LoadRun& run, const LoadSample& before, const LoadSample& relayed,
                  const LoadSample& after, pid_t lobbyPid) {
    LoadResult& r = run.result;
    r.wallSeconds = static_cast<double>(relayed.atNs - before.atNs) / 1e9;
    r.lobbyCpuSeconds = before.lobbyCpu < 0 ? -1 : relayed.lobbyCpu - before.lobbyCpu;
    r.lobbySystemSeconds = relayed.lobbySystem - before.lobbySystem;
    r.lobbyWaitSeconds = before.lobbyWait < 0 ? -1 : relayed.lobbyWait - before.lobbyWait;
    r.ownCpuSeconds = relayed.ownCpu - before.ownCpu;
    // What the machine's cores did besides the lobby and the test (other
    // programs, and the kernel's deferred network work), in cores.
    const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
    const double cores = static_cast<double>(::sysconf(_SC_NPROCESSORS_ONLN));
    const double all = static_cast<double>(relayed.machineAll - before.machineAll) / tick;
    const double busy = static_cast<double>(relayed.machineBusy - before.machineBusy) / tick;
    r.machineBusyCores = all > 0 ? busy / all * cores : -1;
    const double softirq =
        static_cast<double>(relayed.machineSoftirq - before.machineSoftirq) / tick;
    r.softirqCores = all > 0 ? softirq / all * cores : -1;
    // The ticks are of 10 ms: a short run's estimate may fall below 0.
    const double ours = (std::max(0.0, r.lobbyCpuSeconds) + r.ownCpuSeconds) / r.wallSeconds;
    r.otherCores = all > 0 ? std::max(0.0, r.machineBusyCores - r.softirqCores - ours) : -1;
    r.lobbySocketDrops = relayed.lobbyDrops - before.lobbyDrops;
    r.seatSocketDrops = relayed.seatDrops - before.seatDrops;
    r.probeSocketDrops =
        after.lobbyDrops + after.seatDrops - relayed.lobbyDrops - relayed.seatDrops;
    r.lobbyPeakKb = lobbyPid > 0 ? ProcessStatusKb(lobbyPid, "VmHWM") : -1;
    r.lobbyRssKb = lobbyPid > 0 ? ProcessStatusKb(lobbyPid, "VmRSS") : -1;
}

int Run(LoadRun& run) {
    LoadLobbyProcess lobby;
    if (!run.options.lobby.empty() && !StartLoadLobby(run.options.lobby, lobby))
        return 1;
    const int32_t port = run.options.lobby.empty() ? run.options.port : lobby.port;
    const pid_t pid = run.options.lobby.empty() ? run.options.pid : lobby.pid;
    run.result.loadBefore = LoadAverage();
    if (!OpenSeats(run, port)) {
        StopLoadLobby(lobby);
        return 1;
    }
    OpenRooms(run);
    const LoadSample before = Sample(pid, port);
    run.lobbyPort = port;
    run.dropsAtStart = before.lobbyDrops + before.seatDrops;
    RelayFor(run);
    const LoadSample relayed = Sample(pid, port);
    ProbeRooms(run);
    FillMeasures(run, before, relayed, Sample(pid, port), pid);
    CloseSeats(run);
    StopLoadLobby(lobby);
    run.result.lobbyDropped = LoadLobbyCount(lobby, "dropped");
    run.result.lobbyRelayed = LoadLobbyCount(lobby, "relayed");
    CountLosses(run);
    PrintLoadResult(run);
    return run.options.check && !LoadChecksPass(run) ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    static LoadRun run;
    const int early = ReadOptions(argc, argv, run.options);
    if (early >= 0)
        return early;
    if (!EnoughFiles(run.options.rooms))
        return 1;
    return Run(run);
}
