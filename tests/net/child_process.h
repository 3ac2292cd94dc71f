// The programs the network tests run as real processes (morvask-lobby, the
// impairment relay): started with their output piped back, lines read with
// a deadline, stopped politely.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

int64_t TestNowMs();

// A child process whose first line of output says where it listens.
struct Child {
    pid_t pid = -1;
    int output = -1;
    std::string firstLine;
};

// Starts `arguments` (a path first) and waits for its first line.
Child Spawn(const std::vector<std::string>& arguments);
// Its next line of output; empty when none came within `limitMs`.
std::string NextLine(Child& child, int64_t limitMs = 20000);
// Stops it with SIGTERM; what it wrote from then on until it ended.
std::string Stop(Child& child);
