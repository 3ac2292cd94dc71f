// The lobby's process as the load test sees it from outside: started with
// its port read from its first line, its CPU time and peak memory from /proc,
// the datagrams the kernel dropped at full sockets, and its counts when stopped.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

struct LoadLobbyProcess {
    pid_t pid = -1;
    int output = -1;  // its standard output, read for the first line and the counts
    int32_t port = 0;
    std::string stoppedLine;  // "morvask-lobby: stopped; ..." once stopped
};

// Starts `path` on 127.0.0.1 with a free port; false, said on standard
// error, when it does not say where it listens within 20 s.
bool StartLoadLobby(const std::string& path, LoadLobbyProcess& lobby);
// SIGTERM, then its last lines read (up to 10 s) and the process reaped.
void StopLoadLobby(LoadLobbyProcess& lobby);
// The number after `word` in the stopped line ("dropped", "relayed"); -1
// when there is none.
int64_t LoadLobbyCount(const LoadLobbyProcess& lobby, const char* word);

// User plus system CPU time of a process in seconds (/proc/PID/stat), and
// the system part in `system` when given; -1 when it cannot be read.
double ProcessCpuSeconds(pid_t pid, double* system = nullptr);
// The time a process was ready to run but waited for a core, in seconds
// (/proc/PID/schedstat); -1 when it cannot be read.
double ProcessWaitSeconds(pid_t pid);
// A line's number of kB from /proc/PID/status ("VmHWM", "VmRSS"); -1.
int64_t ProcessStatusKb(pid_t pid, const char* field);
// This process's own CPU time in seconds.
double OwnCpuSeconds();

// The datagrams dropped by the kernel at the UDP sockets bound to addresses
// that match `address` in the bytes where `mask` is set (network order, as
// in sin_addr) and, when `port` is not 0, to that port (/proc/net/udp).
int64_t UdpSocketDrops(uint32_t address, uint32_t mask, int32_t port);
