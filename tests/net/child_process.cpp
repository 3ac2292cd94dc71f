// Child processes for the network tests: posix_spawn with standard output
// on a pipe, read byte by byte so that no line is read past.
#include "tests/net/child_process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

extern char** environ;

int64_t TestNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

Child Spawn(const std::vector<std::string>& arguments) {
    Child child;
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return child;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    child.output = pipeEnds[0];
    if (child.pid > 0)
        child.firstLine = NextLine(child);
    return child;
}

std::string NextLine(Child& child, int64_t limitMs) {
    std::string line;
    const int64_t deadline = TestNowMs() + limitMs;
    char c = 0;
    while (child.output >= 0 && TestNowMs() < deadline) {
        pollfd p{child.output, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0)
            continue;
        if (::read(child.output, &c, 1) != 1 || c == '\n')
            return line;
        line += c;
    }
    return line;
}

std::string Stop(Child& child) {
    std::string rest;
    if (child.pid > 0) {
        ::kill(child.pid, SIGTERM);
        // Its last words, until it closes its output (or a generous while).
        for (std::string line = NextLine(child, 10000); !line.empty();
             line = NextLine(child, 10000))
            rest += line + "\n";
        ::waitpid(child.pid, nullptr, 0);
    }
    if (child.output >= 0)
        ::close(child.output);
    child = Child{};
    return rest;
}
