// What the load test measured, said twice: for a reader, and as one line of
// JSON for scripts; and whether it passes as a check.
#include <unistd.h>

#include <cstdio>

#include "bench/lobby_load_run.h"

namespace {

// The delay in microseconds below which `fraction` of the delays fell.
int64_t Percentile(const LoadRun& run, double fraction) {
    const int64_t total = run.result.delays;
    if (total == 0)
        return -1;
    const int64_t wanted = static_cast<int64_t>(fraction * static_cast<double>(total) + 0.999999);
    int64_t seen = 0;
    for (int32_t us = 0; us < LoadFineUs; ++us)
        if ((seen += run.fineUs[static_cast<size_t>(us)]) >= wanted)
            return us;
    for (int32_t ms = 0; ms < LoadCoarseMs; ++ms)
        if ((seen += run.coarseMs[static_cast<size_t>(ms)]) >= wanted)
            return static_cast<int64_t>(ms) * 1000;
    return run.result.maxDelayUs;
}

double Share(double part, double whole) {
    return whole > 0 ? 100.0 * part / whole : 0;
}

// Sent (probes too) less delivered less what was counted as dropped on the
// way; 0 when every datagram is accounted for (needs the lobby's counts: -1
// without).
int64_t Unaccounted(const LoadResult& r) {
    if (r.lobbyDropped < 0)
        return -1;
    return r.sent + r.probesSent - r.delivered - r.probesDelivered - r.lobbySocketDrops -
           r.lobbyDropped - r.seatSocketDrops - r.probeSocketDrops;
}

// The lobby's CPU time over the datagrams that reached it (sent, not
// dropped at its socket) while relaying: its cost of one relayed datagram.
double LobbyUsPerDatagram(const LoadResult& r) {
    const double read = static_cast<double>(r.sent - r.lobbySocketDrops);
    return r.lobbyCpuSeconds >= 0 && read > 0 ? r.lobbyCpuSeconds * 1e6 / read : -1;
}

void PrintReadable(const LoadRun& run, int64_t p50, int64_t p99) {
    const LoadResult& r = run.result;
    const LoadOptions& o = run.options;
    std::printf("lobby load: %d rooms x 2 seats x %d datagrams/s x %d s, %d-byte payloads\n",
                o.rooms, o.rate, o.seconds, o.payload);
    std::printf(
        "  rooms: %d opened in %.2f s, %d lost (relay stopped or refused), %d with any datagram "
        "lost, %d ways with nothing of the last second delivered\n",
        r.roomsOpened, r.setupSeconds, r.roomsLost, r.roomsWithLoss, r.stalledWays);
    std::printf(
        "  datagrams: %lld sent (%.1f%% of those due; %lld skipped, over 1 ms late), "
        "%lld delivered, %lld lost (%.4f%%), %lld duplicated\n",
        static_cast<long long>(r.sent),
        Share(static_cast<double>(r.sent), static_cast<double>(r.sent + r.skipped)),
        static_cast<long long>(r.skipped), static_cast<long long>(r.delivered),
        static_cast<long long>(r.lost),
        Share(static_cast<double>(r.lost), static_cast<double>(r.sent)),
        static_cast<long long>(r.duplicates));
    std::printf(
        "  dropped at the lobby's socket %lld, by the lobby %lld, at the seats' sockets %lld; "
        "unaccounted %lld (probes after the run: %lld sent, %lld delivered, %lld dropped at "
        "sockets)\n",
        static_cast<long long>(r.lobbySocketDrops), static_cast<long long>(r.lobbyDropped),
        static_cast<long long>(r.seatSocketDrops), static_cast<long long>(Unaccounted(r)),
        static_cast<long long>(r.probesSent), static_cast<long long>(r.probesDelivered),
        static_cast<long long>(r.probeSocketDrops));
    std::printf("  relay delay: p50 %.3f ms, p99 %.3f ms, max %.3f ms\n", p50 / 1000.0,
                p99 / 1000.0, r.maxDelayUs / 1000.0);
    std::printf(
        "  lobby: CPU %.2f s (%.2f s in the kernel) in %.2f s (%.1f%% of a core), peak RSS %lld kB "
        "(now %lld kB)\n",
        r.lobbyCpuSeconds, r.lobbySystemSeconds, r.wallSeconds,
        Share(r.lobbyCpuSeconds, r.wallSeconds), static_cast<long long>(r.lobbyPeakKb),
        static_cast<long long>(r.lobbyRssKb));
    std::printf(
        "  this test: CPU %.2f s (%.1f%% of a core), sends up to %.3f ms late; %ld cores, "
        "load %s before\n",
        r.ownCpuSeconds, Share(r.ownCpuSeconds, r.wallSeconds), r.maxLagUs / 1000.0,
        ::sysconf(_SC_NPROCESSORS_ONLN), r.loadBefore.c_str());
    std::printf(
        "  the machine: %.2f of %ld cores busy while relaying: %.2f in softirq (the kernel's "
        "deferred network work), %.2f with other programs\n",
        r.machineBusyCores, ::sysconf(_SC_NPROCESSORS_ONLN), r.softirqCores, r.otherCores);
    std::printf(
        "  the lobby's CPU per datagram it read: %.2f us; it waited %.2f s for a core while "
        "ready to run\n",
        LobbyUsPerDatagram(r), r.lobbyWaitSeconds);
    if (r.misdelivered + r.corrupt + r.sendFailures + r.otherAnswers > 0)
        std::printf("  misdelivered %lld, corrupt %lld, send failures %lld, other answers %lld\n",
                    static_cast<long long>(r.misdelivered), static_cast<long long>(r.corrupt),
                    static_cast<long long>(r.sendFailures), static_cast<long long>(r.otherAnswers));
}

void PrintJson(const LoadRun& run, int64_t p50, int64_t p99) {
    const LoadResult& r = run.result;
    const LoadOptions& o = run.options;
    std::printf(
        "{\"rooms\":%d,\"rate\":%d,\"seconds\":%d,\"payload\":%d,\"rooms_opened\":%d,"
        "\"rooms_lost\":%d,\"rooms_with_loss\":%d,\"stalled_ways\":%d,\"skipped\":%lld,\"sent\":%"
        "lld,\"delivered\":%lld,"
        "\"lost\":%lld,\"duplicates\":%lld,\"misdelivered\":%lld,\"corrupt\":%lld,"
        "\"send_failures\":%lld,\"lobby_socket_drops\":%lld,\"lobby_dropped\":%lld,"
        "\"seat_socket_drops\":%lld,\"unaccounted\":%lld,\"delay_p50_ms\":%.3f,"
        "\"delay_p99_ms\":%.3f,\"delay_max_ms\":%.3f,\"wall_s\":%.2f,\"lobby_cpu_s\":%.2f,"
        "\"lobby_peak_rss_kb\":%lld,\"own_cpu_s\":%.2f,\"send_lag_max_ms\":%.3f,"
        "\"lobby_us_per_datagram\":%.2f,\"machine_busy_cores\":%.2f,"
        "\"softirq_cores\":%.2f,\"lobby_system_s\":%.2f,\"lobby_wait_s\":%.2f,\"other_cores\":%.2f,"
        "\"cores\":%ld,\"load_before\":%s}\n",
        o.rooms, o.rate, o.seconds, o.payload, r.roomsOpened, r.roomsLost, r.roomsWithLoss,
        r.stalledWays, static_cast<long long>(r.skipped), static_cast<long long>(r.sent),
        static_cast<long long>(r.delivered), static_cast<long long>(r.lost),
        static_cast<long long>(r.duplicates), static_cast<long long>(r.misdelivered),
        static_cast<long long>(r.corrupt), static_cast<long long>(r.sendFailures),
        static_cast<long long>(r.lobbySocketDrops), static_cast<long long>(r.lobbyDropped),
        static_cast<long long>(r.seatSocketDrops), static_cast<long long>(Unaccounted(r)),
        p50 / 1000.0, p99 / 1000.0, r.maxDelayUs / 1000.0, r.wallSeconds, r.lobbyCpuSeconds,
        static_cast<long long>(r.lobbyPeakKb), r.ownCpuSeconds, r.maxLagUs / 1000.0,
        LobbyUsPerDatagram(r), r.machineBusyCores, r.softirqCores, r.lobbySystemSeconds,
        r.lobbyWaitSeconds, r.otherCores, ::sysconf(_SC_NPROCESSORS_ONLN),
        r.loadBefore.empty() ? "null" : r.loadBefore.c_str());
}

}  // namespace

void PrintLoadResult(const LoadRun& run) {
    const int64_t p50 = Percentile(run, 0.50), p99 = Percentile(run, 0.99);
    PrintReadable(run, p50, p99);
    PrintJson(run, p50, p99);
    std::fflush(stdout);
}

bool LoadChecksPass(const LoadRun& run) {
    const LoadResult& r = run.result;
    bool pass = true;
    const auto expect = [&pass](bool holds, const char* what) {
        if (!holds)
            std::fprintf(stderr, "morvask-lobby-load: check failed: %s\n", what);
        pass = pass && holds;
    };
    expect(r.roomsOpened == run.options.rooms, "every room opened");
    expect(r.roomsLost == 0, "no room lost");
    expect(r.sent > 0 && r.delivered > 0, "datagrams sent and delivered");
    expect(r.misdelivered == 0 && r.corrupt == 0, "every datagram to its room's other seat, whole");
    expect(r.duplicates == 0, "no datagram delivered twice");
    expect(r.lost >= 0, "nothing delivered that was not sent");
    // The lobby's own drops are known only of a lobby this test started.
    if (r.lobbyDropped >= 0)
        expect(Unaccounted(r) == 0, "every datagram delivered or counted as dropped");
    return pass;
}
