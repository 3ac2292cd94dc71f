// A replay read while it is still being written (a game watched as it is
// played): every start of a real file reads as the events it wholly holds,
// its bytes are the file's first bytes, and anything damaged or an end is
// refused rather than taken.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "replay/file.h"

namespace {

std::string Pinned(const char* name) {
    std::string bytes;
    const auto path = std::filesystem::path(MORVASK_SOURCE_DIR) / "tests/replays" / name;
    EXPECT_TRUE(ReadReplayFile(path.string(), bytes)) << path;
    return bytes;
}

class ReplayStart : public ::testing::TestWithParam<const char*> {};

// Each longer start begins with the shorter, and the whole file with all of
// them: a feed sent piece by piece ends as the very file.
TEST_P(ReplayStart, EachStartIsTheFilesFirstBytes) {
    ReplayRecord replay;
    std::string error;
    const std::string file = Pinned(GetParam());
    ASSERT_EQ(DecodeReplay(file, replay, error), ReplayRead) << error;
    ASSERT_GT(replay.events.size(), 3u);
    for (size_t n = 0; n <= replay.events.size(); ++n) {
        const std::string start = EncodeReplayStart(replay, n);
        ASSERT_EQ(file.compare(0, start.size(), start), 0) << n;
        ReplayRecord read;
        size_t used = 0;
        ASSERT_EQ(DecodeReplayStart(start, read, used, error), ReplayRead) << n << ": " << error;
        EXPECT_EQ(used, start.size());
        EXPECT_EQ(read.events.size(), n);
        EXPECT_EQ(EncodeReplayStart(read, n), start);
    }
}

// Cut anywhere (a piece ends where it will), the file reads as the whole
// events before the cut, with the ticks they hold; the header cut short
// reads as nothing yet.
TEST_P(ReplayStart, ACutAnywhereReadsAsTheWholeEventsBeforeIt) {
    ReplayRecord replay;
    std::string error;
    const std::string file = Pinned(GetParam());
    ASSERT_EQ(DecodeReplay(file, replay, error), ReplayRead);
    const std::string open = EncodeReplayStart(replay, replay.events.size());
    const size_t header = EncodeReplayStart(replay, 0).size();
    size_t lastEvents = 0;
    uint32_t lastTicks = 0;
    // Every cut through the header and the first events, then every 13th
    // byte (each cut reads the file again).
    for (size_t cut = 0; cut <= open.size();
         cut += cut < header + 400 || cut + 13 > open.size() ? 1 : 13) {
        ReplayRecord read;
        size_t used = 0;
        ASSERT_EQ(DecodeReplayStart(open.substr(0, cut), read, used, error), ReplayRead)
            << cut << ": " << error;
        if (cut < header) {
            EXPECT_EQ(used, 0u) << cut;
            continue;
        }
        ASSERT_LE(used, cut);
        EXPECT_EQ(EncodeReplayStart(read, read.events.size()), open.substr(0, used)) << cut;
        EXPECT_GE(read.events.size(), lastEvents);
        EXPECT_GE(read.totalTicks, lastTicks);
        lastEvents = read.events.size();
        lastTicks = read.totalTicks;
    }
    EXPECT_EQ(lastEvents, replay.events.size());
    EXPECT_EQ(lastTicks, replay.totalTicks);
}

INSTANTIATE_TEST_SUITE_P(Pinned, ReplayStart,
                         ::testing::Values("level1_cleared.mvr", "two_players.mvr",
                                           "editor_session.mvr"));

TEST(ReplayStartRefuses, AnEndDamageOrAnotherFile) {
    ReplayRecord replay;
    std::string error;
    const std::string file = Pinned("game_over.mvr");
    ASSERT_EQ(DecodeReplay(file, replay, error), ReplayRead);
    ReplayRecord read;
    size_t used = 0;
    // A whole file is read as a file, never as one being written.
    EXPECT_EQ(DecodeReplayStart(file, read, used, error), ReplayNotAReplay);
    // An unknown event is damage, not bytes still to come.
    std::string damaged = EncodeReplayStart(replay, 2);
    damaged += char(77);
    EXPECT_EQ(DecodeReplayStart(damaged, read, used, error), ReplayNotAReplay);
    EXPECT_NE(error.find("unknown"), std::string::npos) << error;
    EXPECT_EQ(DecodeReplayStart("MVRX", read, used, error), ReplayNotAReplay);
    // The magic's first letters are a file whose header is still to come.
    EXPECT_EQ(DecodeReplayStart("MV", read, used, error), ReplayRead);
    EXPECT_EQ(used, 0u);
}

}  // namespace
