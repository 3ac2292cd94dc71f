// The directory of rooms in Redis: one key per room, "morvask-lobby:room:CODE",
// whose value names the lobby that holds it ("ADDRESS:PORT WEBPORT") and which
// runs out unless that lobby renews it. Commands are short and synchronous,
// with a short timeout: a Redis that stops answering costs the lobby its
// directory (rooms stay in their process), never its loop.
#include "programs/lobby/redis_directory.h"

#include <hiredis/hiredis.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* KeyPrefix = "morvask-lobby:room:";
// Only the lobby whose claim it is lets a room go.
constexpr const char* ReleaseScript =
    "if redis.call('get', KEYS[1]) == ARGV[1] then return redis.call('del', KEYS[1]) end "
    "return 0";
constexpr int64_t ReconnectEveryMs = 1000;

struct RedisState {
    redisContext* context = nullptr;
    std::string host;
    int port = 0;
    std::string unixPath;
    std::string self;  // this lobby's value
    host::NetAddress selfAddress;
    int64_t lastConnectMs = 0;
    RedisCounts counts;
};

RedisState Redis;

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string KeyOf(const char code[LobbyCodeLength]) {
    return KeyPrefix + std::string(code, LobbyCodeLength);
}

bool Connect(std::string& error) {
    Redis.lastConnectMs = NowMs();
    const timeval patience{1, 0};
    redisContext* context = Redis.unixPath.empty()
                                ? redisConnectWithTimeout(Redis.host.c_str(), Redis.port, patience)
                                : redisConnectUnixWithTimeout(Redis.unixPath.c_str(), patience);
    if (context == nullptr || context->err) {
        error = context ? context->errstr : "out of memory";
        if (context)
            redisFree(context);
        return false;
    }
    const timeval commandPatience{0, 200000};
    redisSetTimeout(context, commandPatience);
    Redis.context = context;
    return true;
}

// A dropped connection is made again, at most once a second.
bool Connected() {
    if (Redis.context)
        return true;
    if (NowMs() - Redis.lastConnectMs < ReconnectEveryMs)
        return false;
    std::string error;
    if (!Connect(error))
        return false;
    ++Redis.counts.reconnected;
    return true;
}

void Drop() {
    if (Redis.context)
        redisFree(Redis.context);
    Redis.context = nullptr;
}

// One command's reply (to be freed), or null when Redis could not be asked.
redisReply* Run(const char* format, ...) {
    if (!Connected())
        return nullptr;
    ++Redis.counts.commands;
    va_list arguments;
    va_start(arguments, format);
    void* reply = redisvCommand(Redis.context, format, arguments);
    va_end(arguments);
    if (reply == nullptr) {
        ++Redis.counts.failed;
        Drop();
        return nullptr;
    }
    return static_cast<redisReply*>(reply);
}

// "ADDRESS:PORT WEBPORT" back to its parts.
bool ReadValue(const std::string& value, host::NetAddress& lobby, int32_t& webPort) {
    const size_t space = value.rfind(' ');
    std::string name;
    int32_t port = 0;
    if (space == std::string::npos || !host::SplitHostPort(value.substr(0, space), name, port) ||
        !host::NetNumericAddress(name, port, lobby))
        return false;
    char* end = nullptr;
    const long web = std::strtol(value.c_str() + space + 1, &end, 10);
    if (*end != '\0' || web < 0 || web > 65535)
        return false;
    webPort = static_cast<int32_t>(web);
    return true;
}

bool Claim(const char code[LobbyCodeLength]) {
    const std::string key = KeyOf(code);
    redisReply* reply =
        Run("SET %s %s NX EX %d", key.c_str(), Redis.self.c_str(), RedisClaimSeconds);
    // Without an answer the code is this process's alone: it was drawn from
    // 31^10 by the secure generator.
    if (reply == nullptr)
        return true;
    const bool taken = reply->type == REDIS_REPLY_NIL;
    freeReplyObject(reply);
    return !taken;
}

bool Find(const char code[LobbyCodeLength], host::NetAddress& lobby, int32_t& webPort) {
    const std::string key = KeyOf(code);
    redisReply* reply = Run("GET %s", key.c_str());
    if (reply == nullptr)
        return false;
    const bool found = reply->type == REDIS_REPLY_STRING &&
                       ReadValue(std::string(reply->str, reply->len), lobby, webPort) &&
                       !(lobby == Redis.selfAddress);
    freeReplyObject(reply);
    return found;
}

void Release(const char code[LobbyCodeLength]) {
    const std::string key = KeyOf(code);
    if (redisReply* reply = Run("EVAL %s 1 %s %s", ReleaseScript, key.c_str(), Redis.self.c_str()))
        freeReplyObject(reply);
}

// The claims renewed in one round trip.
void Keep(const std::vector<std::string>& codes) {
    if (!Connected())
        return;
    for (const std::string& code : codes)
        redisAppendCommand(Redis.context, "EXPIRE %s%s %d", KeyPrefix, code.c_str(),
                           RedisClaimSeconds);
    for (size_t i = 0; i < codes.size(); ++i) {
        void* reply = nullptr;
        ++Redis.counts.commands;
        if (redisGetReply(Redis.context, &reply) != REDIS_OK) {
            ++Redis.counts.failed;
            Drop();
            return;
        }
        freeReplyObject(reply);
    }
}

// The claims a lobby of this name left before it restarted: its rooms are
// gone, and a joiner is better told so by the lobby it asked.
void ForgetOldClaims() {
    std::string cursor = "0";
    const std::string pattern = std::string(KeyPrefix) + "*";
    do {
        redisReply* reply = Run("SCAN %s MATCH %s COUNT 1000", cursor.c_str(), pattern.c_str());
        if (reply == nullptr || reply->type != REDIS_REPLY_ARRAY || reply->elements != 2) {
            if (reply)
                freeReplyObject(reply);
            return;
        }
        cursor.assign(reply->element[0]->str, reply->element[0]->len);
        const redisReply* keys = reply->element[1];
        for (size_t i = 0; i < keys->elements; ++i) {
            const std::string key(keys->element[i]->str, keys->element[i]->len);
            if (redisReply* gone =
                    Run("EVAL %s 1 %s %s", ReleaseScript, key.c_str(), Redis.self.c_str()))
                freeReplyObject(gone);
        }
        freeReplyObject(reply);
    } while (cursor != "0");
}

bool ReadWhere(const std::string& where, std::string& error) {
    const std::string text = where.rfind("redis://", 0) == 0 ? where.substr(8) : where;
    if (text.rfind("unix:", 0) == 0 && text.size() > 5) {
        Redis.unixPath = text.substr(5);
        return true;
    }
    int32_t port = 0;
    if (!host::SplitHostPort(text, Redis.host, port)) {
        error = "--redis takes HOST:PORT, redis://HOST:PORT or unix:PATH, not \"" + where + "\"";
        return false;
    }
    Redis.port = port;
    return true;
}

}  // namespace

bool OpenRedisDirectory(const std::string& where, const host::NetAddress& self, int32_t webPort,
                        std::string& error) {
    Redis = RedisState{};
    if (!ReadWhere(where, error))
        return false;
    Redis.selfAddress = self;
    Redis.self = host::NetAddressText(self) + " " + std::to_string(webPort);
    if (!Connect(error)) {
        error = "cannot reach Redis at " + where + ": " + error;
        return false;
    }
    redisReply* reply = Run("PING");
    const bool answered = reply && reply->type != REDIS_REPLY_ERROR;
    if (!answered)
        error = "Redis at " + where +
                " does not answer: " + (reply ? std::string(reply->str, reply->len) : "no reply");
    if (reply)
        freeReplyObject(reply);
    if (!answered) {
        Drop();
        return false;
    }
    ForgetOldClaims();
    return true;
}

LobbyDirectory RedisDirectory() {
    return LobbyDirectory{.claim = Claim,
                          .find = Find,
                          .release = Release,
                          .keep = Keep,
                          .keepEveryMs = RedisKeepEveryMs};
}

void CloseRedisDirectory() {
    Drop();
}

const RedisCounts& RedisDirectoryCounts() {
    return Redis.counts;
}
