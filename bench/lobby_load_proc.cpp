// The lobby's process seen from outside by the load test: spawned, measured
// through /proc, and stopped with its counts read.
#include "bench/lobby_load_proc.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

extern char** environ;

namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Reads what the child wrote until `stop` is found in it or `deadline`
// passes; false at the deadline or at the end of its output.
bool ReadUntil(int fd, std::string& text, const char* stop, int64_t deadline) {
    while (text.find(stop) == std::string::npos) {
        const int64_t left = deadline - NowMs();
        pollfd p{fd, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
            return false;
        char chunk[512];
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got <= 0)
            return false;
        text.append(chunk, static_cast<size_t>(got));
    }
    return true;
}

}  // namespace

bool StartLoadLobby(const std::string& path, LoadLobbyProcess& lobby) {
    int ends[2];
    if (::pipe(ends) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
    posix_spawn_file_actions_addclose(&actions, ends[0]);
    std::vector<std::string> words = {path, "--bind", "127.0.0.1", "--port", "0"};
    std::vector<char*> argv;
    for (std::string& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    if (posix_spawn(&lobby.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        lobby.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    lobby.output = ends[0];
    if (lobby.pid < 0) {
        std::fprintf(stderr, "morvask-lobby-load: cannot start %s\n", path.c_str());
        return false;
    }
    std::string text;
    const char* said = "listening on 127.0.0.1:";
    const bool listening = ReadUntil(lobby.output, text, said, NowMs() + 20000) &&
                           ReadUntil(lobby.output, text, "\n", NowMs() + 20000);
    const size_t at = text.find(said);
    lobby.port = listening ? std::atoi(text.c_str() + at + std::strlen(said)) : 0;
    if (lobby.port <= 0) {
        std::fprintf(stderr, "morvask-lobby-load: %s did not say where it listens\n", path.c_str());
        StopLoadLobby(lobby);
        return false;
    }
    return true;
}

void StopLoadLobby(LoadLobbyProcess& lobby) {
    if (lobby.pid > 0) {
        ::kill(lobby.pid, SIGTERM);
        std::string text;
        ReadUntil(lobby.output, text, "relayed", NowMs() + 10000);
        ReadUntil(lobby.output, text, "\n", NowMs() + 1000);
        const size_t at = text.find("morvask-lobby: stopped;");
        if (at != std::string::npos)
            lobby.stoppedLine = text.substr(at, text.find('\n', at) - at);
        int status = 0;
        if (::waitpid(lobby.pid, &status, WNOHANG) == 0) {
            ::usleep(200 * 1000);
            if (::waitpid(lobby.pid, &status, WNOHANG) == 0) {
                ::kill(lobby.pid, SIGKILL);
                ::waitpid(lobby.pid, &status, 0);
            }
        }
        lobby.pid = -1;
    }
    if (lobby.output >= 0)
        ::close(lobby.output);
    lobby.output = -1;
}

int64_t LoadLobbyCount(const LoadLobbyProcess& lobby, const char* word) {
    const std::string& line = lobby.stoppedLine;
    const size_t at = line.find(std::string(" ") + word);
    if (at == std::string::npos)
        return -1;
    size_t start = line.rfind(' ', at - 1);
    start = start == std::string::npos ? 0 : start + 1;
    return std::atoll(line.c_str() + start);
}

double ProcessCpuSeconds(pid_t pid, double* system) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The command's name may hold spaces: the fields are counted after it.
    const size_t close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number == 14)
            utime = std::atoll(field.c_str());
        if (number == 15)
            stime = std::atoll(field.c_str());
    }
    const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
    if (system)
        *system = static_cast<double>(stime) / tick;
    return static_cast<double>(utime + stime) / tick;
}

double ProcessWaitSeconds(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/schedstat");
    long long running = 0, waiting = -1;
    file >> running >> waiting;
    return waiting < 0 ? -1 : static_cast<double>(waiting) / 1e9;
}

int64_t ProcessStatusKb(pid_t pid, const char* field) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/status");
    const std::string wanted = std::string(field) + ":";
    for (std::string line; std::getline(file, line);)
        if (line.compare(0, wanted.size(), wanted) == 0)
            return std::atoll(line.c_str() + wanted.size());
    return -1;
}

double OwnCpuSeconds() {
    rusage use{};
    ::getrusage(RUSAGE_SELF, &use);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(use.ru_utime) + seconds(use.ru_stime);
}

int64_t UdpSocketDrops(uint32_t address, uint32_t mask, int32_t port) {
    std::ifstream file("/proc/net/udp");
    std::string line;
    std::getline(file, line);  // the heading
    int64_t drops = 0;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        std::string slot, local, last, field;
        fields >> slot >> local;
        while (fields >> field)
            last = field;
        // The address is printed as the 32 bits held in network order.
        unsigned int bound = 0, boundPort = 0;
        if (std::sscanf(local.c_str(), "%8X:%4X", &bound, &boundPort) != 2)
            continue;
        if ((bound & mask) == (address & mask) &&
            (port == 0 || static_cast<int32_t>(boundPort) == port))
            drops += std::atoll(last.c_str());
    }
    return drops;
}
