// The lobby's token buckets: per source address, refilled by the clock the
// caller passes in, so that the tests run them without waiting.
#include "programs/lobby/rate_limit.h"

#include <algorithm>

namespace {

// The tokens in thousandths a bucket holds at `nowMs`, refilled.
int64_t Level(const LobbyBucket& bucket, int64_t nowMs, int64_t perMinute, int64_t burst) {
    const int64_t full = burst * 1000;
    if (bucket.milliTokens < 0)
        return full;
    const int64_t elapsed = std::max<int64_t>(0, nowMs - bucket.lastMs);
    // Guarded against overflow after a long quiet spell.
    const int64_t gained = elapsed > 1000 * 60 * 60 ? full : elapsed * perMinute / 60;
    return std::min(full, bucket.milliTokens + gained);
}

}  // namespace

std::string LobbyLimitKey(const host::NetAddress& address) {
    const int length = address.family == 6 ? 16 : 4;
    std::string key(1, static_cast<char>(address.family));
    key.append(reinterpret_cast<const char*>(address.bytes), static_cast<size_t>(length));
    return key;
}

bool LobbyTakeToken(LobbyBucket& bucket, int64_t nowMs, int64_t perMinute, int64_t burst) {
    const int64_t level = Level(bucket, nowMs, perMinute, burst);
    if (level < 1000)
        return false;
    bucket.milliTokens = level - 1000;
    bucket.lastMs = nowMs;
    return true;
}

void LobbyForgetIdle(LobbyLimitTable& table, const LobbyRates& rates, int64_t nowMs) {
    for (auto at = table.begin(); at != table.end();) {
        const LobbyAddressLimits& limits = at->second;
        const bool full = Level(limits.messages, nowMs, rates.messagesPerSecond * 60,
                                rates.messagesBurst) == rates.messagesBurst * 1000 &&
                          Level(limits.joins, nowMs, rates.joinsPerMinute, rates.joinsBurst) ==
                              rates.joinsBurst * 1000 &&
                          Level(limits.relayed, nowMs, rates.relayedPerSecond * 60,
                                rates.relayedBurst) == rates.relayedBurst * 1000;
        if (full && limits.roomsHeld == 0)
            at = table.erase(at);
        else
            ++at;
    }
}
