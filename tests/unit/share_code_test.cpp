// Share codes: levels, sets and replays through a code and back value for
// value within their size budgets, one text per content, and every kind of
// malformed code refused with its own message and nothing changed. (Odd cell
// codes in a set and the pinned replays: tests/contract/share_codes_check.py.)
#include <gtest/gtest.h>

#include <iterator>
#include <set>

#include "formats/share_code.h"
#include "formats/share_packing.h"
#include "levels/builtin_levels.h"
#include "levels/level_grid.h"

static_assert(ShareLevelCells == LevelCellCount && ShareSetCells == LevelSetSize &&
              ShareColumns == GridColumns && ShareSetLevels == LevelCount);

namespace {

std::vector<int32_t> BuiltInLevel(int level) {
    const std::vector<int32_t>& all = BuiltInLevels();
    return {all.begin() + level * LevelCellCount, all.begin() + (level + 1) * LevelCellCount};
}

#define Read(...)                     \
    [&] {                             \
        SCOPED_TRACE(__LINE__);       \
        return ReadCode(__VA_ARGS__); \
    }()
SharedContent ReadCode(const std::string& text, uint32_t kinds = ShareAnyKind,
                       ShareReadResult expected = ShareRead) {
    SharedContent content;
    std::string error;
    EXPECT_EQ(ReadShareCode(text, kinds, content, error), expected) << error;
    EXPECT_EQ(error.empty(), expected == ShareRead) << error;
    return content;
}

// The code's bytes with the version and checksum made anew: a code another
// program could have written.
std::string Rewrapped(std::string bytes) {
    uint32_t hash = 2166136261u;
    for (size_t k = 0; k + 4 < bytes.size(); ++k) {
        hash ^= uint8_t(bytes[k]);
        hash *= 16777619u;
    }
    for (int i = 0; i < 4; ++i)
        bytes[bytes.size() - 4 + size_t(i)] = char((hash >> (8 * i)) & 0xFF);
    return Base64UrlEncode(bytes);
}

std::string BytesOf(const std::string& code) {
    std::string bytes;
    EXPECT_TRUE(Base64UrlDecode(code, bytes));
    return bytes;
}

}  // namespace

TEST(ShareCode, EveryBuiltInLevelRoundTripsWithinItsBudget) {
    for (int level = 0; level < LevelCount; ++level) {
        const std::vector<int32_t> cells = BuiltInLevel(level);
        const std::string code = LevelShareCode(cells);
        EXPECT_LE(code.size(), 120u) << "level " << level + 1;
        const SharedContent read = Read(code);
        EXPECT_EQ(read.kind, ShareLevelKind);
        EXPECT_EQ(read.cells, cells) << "level " << level + 1;
        // One text per level: the code of what was read is the code read.
        EXPECT_EQ(LevelShareCode(read.cells), code);
    }
}

TEST(ShareCode, TheWholeSetRoundTripsWithItsNames) {
    const std::string title = "Zweiundvierzig: 山と川";
    const std::string author = "Ana Ñ";
    const std::string code = SetShareCode(BuiltInLevels(), title, author);
    EXPECT_LE(code.size(), 4096u);
    const SharedContent read = Read(code, ShareLevels);
    EXPECT_EQ(read.kind, ShareSetKind);
    EXPECT_EQ(read.cells, BuiltInLevels());
    EXPECT_EQ(read.title, title);
    EXPECT_EQ(read.author, author);
    EXPECT_EQ(SetShareCode(read.cells, read.title, read.author), code);
}

TEST(ShareCode, OddCellCodesKeepTheirExactValues) {
    std::vector<int32_t> level = BuiltInLevel(4);
    const int32_t odd[] = {INT32_MIN, INT32_MAX, -1, 105, 23, 212, 99, 100, -100};
    for (size_t k = 0; k < std::size(odd); ++k)
        level[k * 17] = odd[k];
    EXPECT_EQ(Read(LevelShareCode(level)).cells, level);

    // Every cell different, and a level of one value.
    std::vector<int32_t> distinct(LevelCellCount);
    for (int32_t k = 0; k < LevelCellCount; ++k)
        distinct[size_t(k)] = k * 7919 - 600000;
    EXPECT_EQ(Read(LevelShareCode(distinct)).cells, distinct);
    const std::vector<int32_t> flat(LevelCellCount, -7);
    EXPECT_EQ(Read(LevelShareCode(flat)).cells, flat);
}

TEST(ShareCode, NamesMustBeShortCleanText) {
    const std::vector<int32_t>& set = BuiltInLevels();
    EXPECT_NE(SetShareCode(set, std::string(64, 'x'), "é"), "");
    EXPECT_EQ(SetShareCode(set, std::string(65, 'x'), ""), "");
    EXPECT_EQ(SetShareCode(set, "bell\a", ""), "");
    EXPECT_EQ(SetShareCode(set, "delete\x7F", ""), "");
    EXPECT_EQ(SetShareCode(set, "", "next line\xC2\x85"), "");  // U+0085, a C1 control
    EXPECT_EQ(SetShareCode(set, "", "\xC2\x9F"), "");           // U+009F, the last
    EXPECT_NE(SetShareCode(set, "", "\xC2\xA0"), "");           // U+00A0, a space
    EXPECT_EQ(SetShareCode(set, "", "\xC0\xAF"), "");           // overlong '/'
    EXPECT_EQ(SetShareCode(set, "", "\xED\xA0\x80"), "");       // a surrogate
    EXPECT_EQ(SetShareCode(set, "", "\xE5\xB1"), "");           // cut short
    EXPECT_EQ(LevelShareCode(std::vector<int32_t>(164, 0)), "");
    EXPECT_EQ(SetShareCode(BuiltInLevel(0), "", ""), "");
}

// (The pinned replays through their codes, within 10 KB: the share_codes
// check.)
TEST(ShareCode, ReplaysRoundTripByteForByte) {
    // Long repeats, and bytes with none.
    std::string repeats(300000, 'a');
    repeats += "abcabcabcXabc";
    EXPECT_EQ(Read(ReplayShareCode(repeats)).replay, repeats);
    std::string noise;
    for (uint32_t k = 0, x = 1; k < 5000; ++k, x = x * 1103515245u + 12345u)
        noise += char(x >> 23);
    EXPECT_EQ(Read(ReplayShareCode(noise)).replay, noise);
    EXPECT_EQ(ReplayShareCode(std::string(MaxSharedReplayBytes + 1, 'a')), "");
}

// A repeat may reach back to the first byte unpacked, and not one byte
// further: the distance is stored less one, after the literals it follows.
TEST(ShareCode, ARepeatReachesBackToTheFirstByteAndNoFurther) {
    struct Case {
        std::string packed;
        size_t size;
        const char* unpacked;  // nullptr: refused
    };
    const Case cases[] = {
        {std::string("\x10M\x00", 3), 4, "MMMM"},    // one literal, back 1
        {std::string("\x10M\x01", 3), 4, nullptr},   // back 2 of 1
        {std::string("\x20MV\x01", 4), 5, "MVMVM"},  // two literals, back 2
        {std::string("\x20MV\x02", 4), 5, nullptr},  // back 3 of 2
    };
    for (const Case& c : cases) {
        ByteReader in{.bytes = c.packed, .at = 0, .end = c.packed.size()};
        std::string bytes;
        const bool ok = UnpackRepeats(in, c.size, bytes);
        EXPECT_EQ(ok, c.unpacked != nullptr) << c.size << " " << in.fault;
        if (c.unpacked)
            EXPECT_EQ(bytes, c.unpacked);
        else
            EXPECT_EQ(in.fault, "a repeat reaches before the start");
    }
}

TEST(ShareCode, LinksCarryTheCodeAndNarrowItsKind) {
    const std::string level = LevelShareCode(BuiltInLevel(0));
    EXPECT_EQ(ShareLink("", ShareLevelKind, level), level);
    const std::string link = ShareLink("https://example.org/morvask/", ShareLevelKind, level);
    EXPECT_EQ(link, "https://example.org/morvask/#levels=" + level);
    EXPECT_EQ(Read("  " + link + "\r\n").cells, BuiltInLevel(0));
    EXPECT_TRUE(LooksLikeShareText(link));
    EXPECT_TRUE(LooksLikeShareText(level));
    EXPECT_FALSE(LooksLikeShareText("/home/someone/map.txt"));

    // A level code behind #replay= is not a replay.
    Read("https://example.org/#replay=" + level, ShareAnyKind, ShareWrongKind);
    Read("https://example.org/#start", ShareAnyKind, ShareNotACode);
}

// Each malformed kind is refused with its own reason, and what the reader was
// given to fill stays as it was.
TEST(ShareCode, MalformedCodesAreRefusedEachWithItsOwnMessage) {
    const std::string level = LevelShareCode(BuiltInLevel(2));
    const std::string replay = ReplayShareCode("MVRP tiny");
    std::string wrongVersion = BytesOf(level);
    wrongVersion[1] = 2;
    std::string badChecksum = level;
    badChecksum[level.size() / 2] = badChecksum[level.size() / 2] == 'A' ? 'B' : 'A';
    std::string unknownKind = BytesOf(level);
    unknownKind[2] = 9;
    std::string notMorvask = BytesOf(level);
    notMorvask[0] = 'X';

    const struct {
        std::string text;
        uint32_t kinds;
        ShareReadResult result;
    } cases[] = {
        {replay, ShareLevels, ShareWrongKind},
        {level, ShareReplays, ShareWrongKind},
        {Rewrapped(unknownKind), ShareAnyKind, ShareWrongKind},
        {Rewrapped(wrongVersion), ShareAnyKind, ShareWrongVersion},
        {badChecksum, ShareAnyKind, ShareBadChecksum},
        {level.substr(0, level.size() / 4 * 4 - 8), ShareAnyKind, ShareTruncated},
        {level.substr(0, 3), ShareAnyKind, ShareTruncated},
        {std::string(MaxShareCodeChars + 1, 'A'), ShareAnyKind, ShareOversized},
        {std::string(MaxShareTextChars + 1, ' '), ShareAnyKind, ShareOversized},
        {level.substr(0, 20) + "!" + level.substr(21), ShareAnyKind, ShareNotBase64},
        {level + "==", ShareAnyKind, ShareNotBase64},
        {Rewrapped(notMorvask), ShareAnyKind, ShareNotACode},
        {"", ShareAnyKind, ShareNotACode},
    };
    std::set<std::string> messages;
    for (const auto& test : cases) {
        SharedContent content;
        content.cells = {1, 2, 3};
        content.title = "kept";
        std::string error;
        EXPECT_EQ(ReadShareCode(test.text, test.kinds, content, error), test.result)
            << test.text.substr(0, 60) << ": " << error;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(content.cells, (std::vector<int32_t>{1, 2, 3}));
        EXPECT_EQ(content.title, "kept");
        messages.insert(error);
    }
    // Refusals of one kind may share a message; the kinds never do.
    EXPECT_GE(messages.size(), 9u);
}

// The reader takes only the one form the writer makes: a palette out of
// order, a value no cell has, bytes after the cells, a replay longer or
// shorter than it says.
TEST(ShareCode, ContentOutsideTheOneWrittenFormIsDamaged) {
    auto wrapped = [](ShareKind kind, const std::string& payload) {
        std::string bytes = {'M', char(ShareCodeVersion), char(kind)};
        PutVarint(bytes, uint32_t(payload.size()));
        return Rewrapped(bytes + payload + "....");
    };
    std::string flat;  // one value, every cell repeating its neighbour
    PutVarint(flat, 1);
    PutSigned(flat, 0);
    flat += std::string(21, '\0');
    Read(wrapped(ShareLevelKind, flat));
    Read(wrapped(ShareLevelKind, flat + '\0'), ShareAnyKind, ShareDamaged);
    std::string stray = flat;  // the padding after the last cell is not zero
    stray.back() = 1;
    Read(wrapped(ShareLevelKind, stray), ShareAnyKind, ShareDamaged);

    std::string unused;  // a second value that no cell has
    PutVarint(unused, 2);
    PutSigned(unused, 0);
    PutSigned(unused, 5);
    Read(wrapped(ShareLevelKind, unused + '\0' + std::string(20, '\0')), ShareAnyKind,
         ShareDamaged);
    std::string unordered;
    PutVarint(unordered, 2);
    PutSigned(unordered, 5);
    PutSigned(unordered, 0);
    Read(wrapped(ShareLevelKind, unordered + std::string(21, '\0')), ShareAnyKind, ShareDamaged);

    std::string longer;
    PutVarint(longer, 3);
    longer += "\x40MVRP";  // four literals for three bytes
    Read(wrapped(ShareReplayKind, longer), ShareAnyKind, ShareDamaged);
    std::string shorter;
    PutVarint(shorter, 5);
    shorter += "\x40MVRP";
    Read(wrapped(ShareReplayKind, shorter), ShareAnyKind, ShareDamaged);
    std::string before;  // a repeat from before the start
    PutVarint(before, 8);
    before += "\x11MV\x05";
    Read(wrapped(ShareReplayKind, before), ShareAnyKind, ShareDamaged);
}
