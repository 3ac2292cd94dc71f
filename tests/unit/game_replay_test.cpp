// A game's replay (format version 7): its start section read back exactly and
// strictly, every cut and forged value refused, and a state that is not a
// new game's start never taken as one.
#include <gtest/gtest.h>

#include "battle/level_start.h"
#include "netplay/state_snapshot.h"
#include "replay/file.h"
#include "replay/game_start.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "tests/unit/test_support.h"

namespace {

// A game begun after 150 ticks of the session: its first checksum is at the
// session's tick 200, 50 ticks in.
ReplayRecord GameReplay() {
    ReplayRecord replay;
    replay.formatVersion = GameReplayFormatVersion;
    replay.programVersion = "1.0.0";
    replay.seed = 5;
    replay.intro = 2;
    replay.players = 2;
    replay.gameStart.tick = 150;
    replay.gameStart.levelIndex = 4;
    replay.gameStart.players = 2;
    replay.gameStart.generator = 0xCAFEF00D;
    replay.gameStart.sound = true;
    replay.gameStart.mouseX = 7;
    replay.gameStart.mouseY = 9;
    replay.gameStart.gamesStarted = 3;
    replay.gameStart.levelsStarted = 8;
    ReplayEvent ticks;
    ticks.op = ReplayTicks;
    ticks.count = 50;
    replay.events.push_back(ticks);
    ReplayEvent check;
    check.op = ReplayCheck;
    check.value = 0x1234;
    replay.events.push_back(check);
    ticks.count = 20;
    replay.events.push_back(ticks);
    replay.totalTicks = 70;
    replay.finalChecksum = 99;
    return replay;
}

ReplayReadResult Decode(const std::string& bytes, std::string* error = nullptr) {
    ReplayRecord read;
    std::string reason;
    const ReplayReadResult result = DecodeReplay(bytes, read, reason);
    if (error != nullptr)
        *error = reason;
    return result;
}

// Where the start section begins: after the header a session's file has.
size_t SectionAt(const ReplayRecord& replay) {
    ReplayRecord session = replay;
    session.formatVersion = MenuRowsReplayFormatVersion;
    return EncodeReplayStart(session, 0).size();
}

}  // namespace

TEST(GameReplayFile, ReadsBackAsWritten) {
    ReplayRecord own = GameReplay();
    own.gameStart.builtInLevels = false;
    own.gameStart.levels.assign(LevelSetSize, 1);
    own.gameStart.levels[17] = -40000;
    own.gameStart.escapeOpensMenu = true;
    own.gameStart.lockLatches[1] = false;
    for (const ReplayRecord& replay : {GameReplay(), own}) {
        const std::string bytes = EncodeReplay(replay);
        ReplayRecord read;
        std::string error;
        ASSERT_EQ(DecodeReplay(bytes, read, error), ReplayRead) << error;
        EXPECT_EQ(EncodeReplay(read), bytes);
        EXPECT_EQ(read.gameStart.levels, replay.gameStart.levels);
        EXPECT_EQ(read.gameStart.generator, 0xCAFEF00Du);
        EXPECT_EQ(read.totalTicks, 70u);
    }
}

TEST(GameReplayFile, EveryCutIsRefused) {
    ReplayRecord own = GameReplay();
    own.gameStart.builtInLevels = false;
    own.gameStart.levels.assign(LevelSetSize, 300);
    for (const ReplayRecord& replay : {GameReplay(), own}) {
        const std::string bytes = EncodeReplay(replay);
        for (size_t size = 0; size < bytes.size(); ++size)
            ASSERT_NE(Decode(bytes.substr(0, size)), ReplayRead) << size;
    }
}

// The checksums stay at the session's every 100th tick, and the end counts
// the game's ticks alone.
TEST(GameReplayFile, ChecksumsStandWhereTheSessionHadThem) {
    ReplayRecord replay = GameReplay();
    replay.gameStart.tick = 100;  // the checksum after 50 ticks is out of place
    EXPECT_NE(Decode(EncodeReplay(replay)), ReplayRead);
    replay = GameReplay();
    replay.totalTicks = 220;  // the session's count, not the game's
    EXPECT_NE(Decode(EncodeReplay(replay)), ReplayRead);
}

TEST(GameReplayFile, ForgedValuesAreRefused) {
    std::vector<ReplayRecord> forged(9, GameReplay());
    forged[0].gameStart.levelIndex = LevelCount;
    forged[1].gameStart.players = 3;
    forged[2].gameStart.mouseX = 0x10000;
    forged[3].gameStart.brush = 13;  // a water frame no key chooses
    forged[4].gameStart.gamesStarted = 0;
    forged[5].gameStart.tick = MaxGameStartTick + 100;
    forged[6].intro = 0;  // a game's replay starts short
    forged[7].intro = 3;
    forged[8].gameStart.levelsStarted = INT32_MAX;  // the next level's count would wrap
    for (size_t k = 0; k < forged.size(); ++k)
        EXPECT_EQ(Decode(EncodeReplay(forged[k])), ReplayNotAReplay) << k;
    // The bytes the writer never writes: flags, the kind of levels, the sound
    // and the lock latches, each one past what it may be.
    const std::string bytes = EncodeReplay(GameReplay());
    const size_t at = SectionAt(GameReplay()) + 2;  // past the tick's two bytes
    for (size_t offset : {size_t(0), size_t(1), size_t(8), size_t(11)}) {
        std::string bad = bytes;
        bad[at + offset] = char(4);
        std::string error;
        EXPECT_EQ(Decode(bad, &error), ReplayNotAReplay) << offset;
        EXPECT_NE(error.find("at byte"), std::string::npos) << error;
    }
}

// Only the state right after a new game began is a game's start; a game
// under way is not, and taking it leaves the state as it was.
TEST(GameReplayStart, OnlyANewGamesStateIsTaken) {
    ResetEverything();
    LevelSet.assign(LevelSetSize, 1);
    PlayersChosen = 1;
    ReplayGameStart start;
    start.levelIndex = 2;
    start.gamesStarted = 4;
    start.levelsStarted = 6;
    start.generator = 77;
    start.brush = 1;
    start.builtInLevels = false;
    start.levels.assign(LevelSetSize, 1);
    PutGameStartInForce(start);
    ReplayGameStart taken;
    EXPECT_TRUE(TakeGameStart(taken));
    EXPECT_EQ(taken.levelIndex, 2);
    EXPECT_EQ(taken.generator, 77u);
    Players[0].tank.x += 4;  // the tank moved: the game is under way
    StateSnapshot before;
    SaveGameState(before);
    EXPECT_FALSE(TakeGameStart(taken));
    StateSnapshot after;
    SaveGameState(after);
    EXPECT_EQ(after, before);
}
