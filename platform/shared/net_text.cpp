// The network's addresses as text and its clock, the same for every host: "host:port"
// split, numeric IPv4 and IPv6 addresses read and written without the
// system's socket headers (the browser's build has none of its own).
#include <chrono>
#include <cstdio>
#include <string>

#include "platform/host.h"
#include "platform/shared/net_resolve.h"

namespace {

// A decimal number of at most `digits` digits, nothing else.
bool Decimal(const std::string& text, int digits, int32_t& value) {
    if (text.empty() || static_cast<int>(text.size()) > digits)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

bool ReadV4(const std::string& text, uint8_t bytes[16]) {
    size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        const size_t dot = part < 3 ? text.find('.', start) : text.size();
        if (dot == std::string::npos)
            return false;
        int32_t value = 0;
        if (!Decimal(text.substr(start, dot - start), 3, value) || value > 255)
            return false;
        bytes[part] = static_cast<uint8_t>(value);
        start = dot + 1;
    }
    return start == text.size() + 1;
}

// Hexadecimal groups separated by ':' into `groups` (at most `room`); false
// when one is not 1 to 4 hex digits.
bool ReadGroups(const std::string& text, uint16_t* groups, int room, int& count) {
    count = 0;
    if (text.empty())
        return true;
    size_t start = 0;
    while (true) {
        const size_t colon = text.find(':', start);
        const std::string group = text.substr(start, colon - start);
        if (group.empty() || group.size() > 4 || count == room)
            return false;
        uint32_t value = 0;
        for (char c : group) {
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0)
                return false;
            value = value * 16 + static_cast<uint32_t>(digit);
        }
        groups[count++] = static_cast<uint16_t>(value);
        if (colon == std::string::npos)
            return true;
        start = colon + 1;
    }
}

bool ReadV6(const std::string& text, uint8_t bytes[16]) {
    uint16_t head[8] = {}, tail[8] = {};
    int headCount = 0, tailCount = 0;
    const size_t gap = text.find("::");
    if (gap == std::string::npos) {
        if (!ReadGroups(text, head, 8, headCount) || headCount != 8)
            return false;
    } else if (text.find("::", gap + 1) != std::string::npos ||
               !ReadGroups(text.substr(0, gap), head, 7, headCount) ||
               !ReadGroups(text.substr(gap + 2), tail, 7 - headCount, tailCount)) {
        return false;
    }
    uint16_t groups[8] = {};
    for (int i = 0; i < headCount; ++i)
        groups[i] = head[i];
    for (int i = 0; i < tailCount; ++i)
        groups[8 - tailCount + i] = tail[i];
    for (int i = 0; i < 8; ++i) {
        bytes[2 * i] = static_cast<uint8_t>(groups[i] >> 8);
        bytes[2 * i + 1] = static_cast<uint8_t>(groups[i] & 0xFF);
    }
    return true;
}

std::string V6Text(const uint8_t bytes[16]) {
    int groups[8];
    for (int i = 0; i < 8; ++i)
        groups[i] = bytes[2 * i] << 8 | bytes[2 * i + 1];
    // The longest run of two or more zero groups is written "::".
    int bestAt = -1, bestLength = 1;
    for (int i = 0; i < 8;) {
        int j = i;
        while (j < 8 && groups[j] == 0)
            ++j;
        if (j - i > bestLength) {
            bestAt = i;
            bestLength = j - i;
        }
        i = j == i ? i + 1 : j;
    }
    std::string text;
    char group[8];
    for (int i = 0; i < 8; ++i) {
        if (i == bestAt) {
            text += "::";
            i += bestLength - 1;
            continue;
        }
        if (!text.empty() && text.back() != ':')
            text += ':';
        std::snprintf(group, sizeof group, "%x", groups[i]);
        text += group;
    }
    return text;
}

}  // namespace

bool host::SplitHostPort(const std::string& text, std::string& hostName, int32_t& port) {
    size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0)
        return false;
    if (text[0] == '[') {
        if (text[colon - 1] != ']' || colon < 3)
            return false;
        hostName = text.substr(1, colon - 2);
    } else {
        hostName = text.substr(0, colon);
        // An IPv6 address is written in brackets, so that its port is plain.
        if (hostName.find(':') != std::string::npos)
            return false;
    }
    return !hostName.empty() && Decimal(text.substr(colon + 1), 5, port) && port >= 1 &&
           port <= 65535;
}

bool host::NetNumericAddress(const std::string& hostName, int32_t port, NetAddress& address) {
    NetAddress read;
    read.port = port;
    if (ReadV4(hostName, read.bytes))
        read.family = 4;
    else if (hostName.find(':') != std::string::npos && ReadV6(hostName, read.bytes))
        read.family = 6;
    else
        return false;
    address = read;
    return true;
}

bool shared::ResolveHostPort(const std::string& hostPort, host::NetAddress& address,
                             std::string& error, NameLookUp lookUp) {
    std::string name;
    int32_t port = 0;
    if (!host::SplitHostPort(hostPort, name, port)) {
        error = "\"" + hostPort + "\" is not HOST:PORT (a port of 1 to 65535)";
        return false;
    }
    return host::NetNumericAddress(name, port, address) || lookUp(name, port, address, error);
}

std::string host::NetAddressText(const NetAddress& address) {
    if (address.family == 4) {
        char text[32];
        std::snprintf(text, sizeof text, "%d.%d.%d.%d:%d", address.bytes[0], address.bytes[1],
                      address.bytes[2], address.bytes[3], static_cast<int>(address.port));
        return text;
    }
    if (address.family != 6)
        return "none";
    // Appended piece by piece: GCC 12 warns falsely of a prefix added to a
    // temporary string.
    std::string text(1, '[');
    text += V6Text(address.bytes);
    text += "]:";
    text += std::to_string(address.port);
    return text;
}

int64_t host::NetClockMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
