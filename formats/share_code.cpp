// Share codes: the envelope (magic, version, kind, length, checksum) around
// the levels' cells or a replay's packed bytes, in base64url.
#include "formats/share_code.h"

#include "formats/share_packing.h"

namespace {

constexpr uint8_t Magic = 'M';

uint32_t Fnv1a(const std::string& bytes, size_t count) {
    uint32_t hash = 2166136261u;
    for (size_t k = 0; k < count; ++k) {
        hash ^= uint8_t(bytes[k]);
        hash *= 16777619u;
    }
    return hash;
}

std::string Wrap(ShareKind kind, const std::string& payload) {
    std::string bytes;
    bytes += char(Magic);
    bytes += char(ShareCodeVersion);
    bytes += char(kind);
    PutVarint(bytes, uint32_t(payload.size()));
    bytes += payload;
    const uint32_t sum = Fnv1a(bytes, bytes.size());
    for (int i = 0; i < 4; ++i)
        bytes += char((sum >> (8 * i)) & 0xFF);
    return Base64UrlEncode(bytes);
}

// One code point of UTF-8 at `at`; false for a malformed, overlong or
// surrogate sequence.
bool NextCodePoint(const std::string& text, size_t& at, uint32_t& point) {
    const uint8_t lead = uint8_t(text[at]);
    int length = lead < 0x80         ? 1
                 : (lead >> 5) == 6  ? 2
                 : (lead >> 4) == 14 ? 3
                 : (lead >> 3) == 30 ? 4
                                     : 0;
    if (length == 0 || at + size_t(length) > text.size())
        return false;
    point = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        const uint8_t next = uint8_t(text[at + size_t(k)]);
        if ((next & 0xC0) != 0x80)
            return false;
        point = (point << 6) | (next & 0x3F);
    }
    static constexpr uint32_t Least[5] = {0, 0, 0x80, 0x800, 0x10000};
    at += size_t(length);
    return point >= Least[length] && point <= 0x10FFFF && (point < 0xD800 || point > 0xDFFF);
}

const char* KindName(uint32_t kind) {
    switch (kind) {
        case ShareLevelKind:
            return "a level code";
        case ShareSetKind:
            return "a level set code";
        case ShareReplayKind:
            return "a replay code";
        default:
            return "a code";
    }
}

std::string WantedKinds(uint32_t kinds) {
    if ((kinds & ShareAnyKind) == ShareAnyKind)
        return "a level, level set or replay code";
    if ((kinds & ShareLevels) == ShareLevels)
        return "a level or level set code";
    for (uint32_t kind = ShareLevelKind; kind <= ShareReplayKind; ++kind)
        if (kinds & (1u << kind))
            return KindName(kind);
    return "no code at all";
}

bool ReadName(ByteReader& in, std::string& name) {
    uint32_t length = 0;
    if (!in.Varint(length))
        return false;
    if (length > MaxShareNameBytes)
        return in.Fail("a name is too long");
    if (!in.Bytes(length, name))
        return false;
    return ShareNameValid(name) || in.Fail("a name is not clean UTF-8 text");
}

bool ReadPayload(ByteReader& in, ShareKind kind, SharedContent& content) {
    content.kind = kind;
    if (kind == ShareLevelKind)
        return ReadCells(in, ShareColumns, ShareRows, 1, content.cells);
    if (kind == ShareSetKind)
        return ReadName(in, content.title) && ReadName(in, content.author) &&
               ReadCells(in, ShareColumns, ShareRows, ShareSetLevels, content.cells);
    uint32_t size = 0;
    if (!in.Varint(size))
        return false;
    if (size == 0 || size > MaxSharedReplayBytes)
        return in.Fail("the replay's size is out of range");
    return UnpackRepeats(in, size, content.replay);
}

struct Refusal {
    ShareReadResult result;
    std::string& error;

    ShareReadResult operator()(ShareReadResult why, const std::string& what) {
        result = why;
        error = what;
        return why;
    }
};

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// The code out of a link's fragment, narrowing the kinds to the fragment's;
// false when the text holds a fragment of neither kind.
bool CodeOfText(const std::string& text, uint32_t& kinds, std::string& code) {
    size_t first = 0, last = text.size();
    while (first < last && IsSpace(text[first]))
        ++first;
    while (last > first && IsSpace(text[last - 1]))
        --last;
    code.assign(text, first, last - first);
    const size_t hash = code.find('#');
    if (hash == std::string::npos)
        return true;
    const std::string fragment = code.substr(hash + 1);
    if (fragment.rfind("levels=", 0) == 0)
        kinds &= ShareLevels | ~ShareAnyKind;
    else if (fragment.rfind("replay=", 0) == 0)
        kinds &= ShareReplays | ~ShareAnyKind;
    else
        return false;
    code = fragment.substr(7);
    return true;
}

}  // namespace

bool ShareNameValid(const std::string& name) {
    if (name.size() > MaxShareNameBytes)
        return false;
    for (size_t at = 0; at < name.size();) {
        uint32_t point = 0;
        if (!NextCodePoint(name, at, point) || point < 0x20 || (point >= 0x7F && point < 0xA0))
            return false;
    }
    return true;
}

std::string LevelShareCode(const std::vector<int32_t>& cells) {
    if (cells.size() != size_t(ShareLevelCells))
        return "";
    std::string payload;
    PutCells(payload, cells, ShareColumns, ShareRows);
    return Wrap(ShareLevelKind, payload);
}

std::string SetShareCode(const std::vector<int32_t>& cells, const std::string& title,
                         const std::string& author) {
    if (cells.size() != size_t(ShareSetCells) || !ShareNameValid(title) || !ShareNameValid(author))
        return "";
    std::string payload;
    PutVarint(payload, uint32_t(title.size()));
    payload += title;
    PutVarint(payload, uint32_t(author.size()));
    payload += author;
    PutCells(payload, cells, ShareColumns, ShareRows);
    return Wrap(ShareSetKind, payload);
}

std::string ReplayShareCode(const std::string& replay) {
    if (replay.empty() || replay.size() > MaxSharedReplayBytes)
        return "";
    std::string payload;
    PutVarint(payload, uint32_t(replay.size()));
    payload += PackRepeats(replay);
    return Wrap(ShareReplayKind, payload);
}

std::string ShareLink(const std::string& base, ShareKind kind, const std::string& code) {
    if (base.empty())
        return code;
    return base + (kind == ShareReplayKind ? "#replay=" : "#levels=") + code;
}

bool LooksLikeShareText(const std::string& text) {
    uint32_t kinds = ShareAnyKind;
    std::string code;
    if (text.size() > MaxShareTextChars || !CodeOfText(text, kinds, code) || code.size() < 4)
        return false;
    std::string bytes;
    return Base64UrlDecode(code.substr(0, 4), bytes) && uint8_t(bytes[0]) == Magic;
}

ShareReadResult ReadShareCode(const std::string& text, uint32_t kinds, SharedContent& content,
                              std::string& error) {
    Refusal refuse{ShareRead, error};
    std::string code;
    if (text.size() > MaxShareTextChars)
        return refuse(ShareOversized, "the code is too long (at most 65536 characters)");
    if (!CodeOfText(text, kinds, code))
        return refuse(ShareNotACode, "a link without #levels= or #replay=");
    if (code.size() > MaxShareCodeChars)
        return refuse(ShareOversized, "the code is too long (at most 65536 characters)");
    if (code.empty())
        return refuse(ShareNotACode, "no code at all");
    std::string bytes;
    if (!Base64UrlDecode(code, bytes))
        return refuse(ShareNotBase64,
                      "not a share code: it is not base64url text (A-Z a-z 0-9 - _)");
    if (bytes.size() < 3)
        return refuse(ShareTruncated, "the code is cut short");
    if (uint8_t(bytes[0]) != Magic)
        return refuse(ShareNotACode, "not a Morvask share code");
    if (uint8_t(bytes[1]) != ShareCodeVersion)
        return refuse(ShareWrongVersion, "a share code of format version " +
                                             std::to_string(uint8_t(bytes[1])) +
                                             "; this program reads version 1");
    ByteReader in{bytes, 3, bytes.size()};
    uint32_t length = 0;
    if (!in.Varint(length) || size_t(length) + 4 > bytes.size() - in.at)
        return refuse(ShareTruncated, "the code is cut short");
    if (size_t(length) + 4 < bytes.size() - in.at)
        return refuse(ShareDamaged, "the code is damaged (it goes on past its end)");
    const size_t sumAt = in.at + length;
    uint32_t sum = 0;
    for (int i = 0; i < 4; ++i)
        sum |= uint32_t(uint8_t(bytes[sumAt + size_t(i)])) << (8 * i);
    if (sum != Fnv1a(bytes, sumAt))
        return refuse(ShareBadChecksum, "the code is damaged (its checksum does not match)");
    const uint8_t kind = uint8_t(bytes[2]);
    if (kind < ShareLevelKind || kind > ShareReplayKind)
        return refuse(ShareWrongKind, "an unknown kind of code (" + std::to_string(kind) + ")");
    if (!(kinds & (1u << kind)))
        return refuse(ShareWrongKind,
                      std::string(KindName(kind)) + ", where " + WantedKinds(kinds) + " is wanted");
    SharedContent read;
    in.end = sumAt;
    if (!ReadPayload(in, ShareKind(kind), read) ||
        (in.at != in.end && !in.Fail("bytes are left over")))
        return refuse(ShareDamaged, "the code is damaged (" + in.fault + ")");
    content = std::move(read);
    return ShareRead;
}
