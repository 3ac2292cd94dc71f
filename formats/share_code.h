// Share codes: one level, a whole set of levels or a replay as short URL-safe
// text (base64url) with a version, a kind and a checksum, and the links that
// carry them. docs/share-codes.md describes the bytes for other tools.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr uint8_t ShareCodeVersion = 1;

// The shape of the levels a code carries: a level is 15 by 11 cells, a set 35
// of them, row by row.
inline constexpr int32_t ShareColumns = 15;
inline constexpr int32_t ShareRows = 11;
inline constexpr int32_t ShareLevelCells = ShareColumns * ShareRows;
inline constexpr int32_t ShareSetLevels = 35;
inline constexpr int32_t ShareSetCells = ShareLevelCells * ShareSetLevels;

// A set's title and author: UTF-8 of at most this many bytes, no control
// characters.
inline constexpr size_t MaxShareNameBytes = 64;
// The longest code read (link text around it aside), refused before any of it
// is decoded; and the largest replay a code may unpack to.
inline constexpr size_t MaxShareCodeChars = 65536;
inline constexpr size_t MaxShareTextChars = MaxShareCodeChars + 4096;
inline constexpr size_t MaxSharedReplayBytes = size_t(1) << 20;

enum ShareKind : uint8_t {
    ShareLevelKind = 1,
    ShareSetKind = 2,
    ShareReplayKind = 3,
};
// Masks of the kinds a reader takes.
inline constexpr uint32_t ShareLevels = (1u << ShareLevelKind) | (1u << ShareSetKind);
inline constexpr uint32_t ShareReplays = 1u << ShareReplayKind;
inline constexpr uint32_t ShareAnyKind = ShareLevels | ShareReplays;

struct SharedContent {
    ShareKind kind = ShareLevelKind;
    std::vector<int32_t> cells;  // 165 for a level, 5775 for a set
    std::string title;           // a set's
    std::string author;          // a set's
    std::string replay;          // the replay file's bytes
};

// Whether a title or author may go into a code.
bool ShareNameValid(const std::string& name);

// The codes. A level needs ShareLevelCells cells, a set ShareSetCells and
// valid names, a replay at most MaxSharedReplayBytes; otherwise the result is
// empty.
std::string LevelShareCode(const std::vector<int32_t>& cells);
std::string SetShareCode(const std::vector<int32_t>& cells, const std::string& title,
                         const std::string& author);
std::string ReplayShareCode(const std::string& replay);

// The text a player passes on: `code` alone when `base` is empty, otherwise
// base#levels=CODE (a level or a set) or base#replay=CODE.
std::string ShareLink(const std::string& base, ShareKind kind, const std::string& code);

enum ShareReadResult {
    ShareRead = 0,
    ShareOversized,     // longer than MaxShareCodeChars
    ShareNotBase64,     // a character or length base64url does not have
    ShareTruncated,     // shorter than its header says
    ShareNotACode,      // no share code at all
    ShareWrongVersion,  // a format version this program does not read
    ShareBadChecksum,   // damaged on the way
    ShareWrongKind,     // a kind the caller did not ask for (or none known)
    ShareDamaged,       // well wrapped, but its content breaks the format
};

// Reads a code, or a link holding one (#levels=CODE or #replay=CODE; spaces
// and line ends around it are dropped), taking only the kinds in `kinds`.
// Anything else is refused with the reason in `error` and `content` as it was.
ShareReadResult ReadShareCode(const std::string& text, uint32_t kinds, SharedContent& content,
                              std::string& error);

// Whether the text looks like a code or a share link at all (a quick test for
// dropped text; ReadShareCode decides).
bool LooksLikeShareText(const std::string& text);
