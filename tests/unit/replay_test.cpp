// Replays: the file's bytes read back exactly and strictly, and a run played
// back is the same game, or parts from the recording at the checksum that
// first sees the difference.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/headless/headless.h"
#include "render/draw.h"
#include "replay/checksum.h"
#include "replay/file.h"
#include "replay/player.h"
#include "replay/recorder.h"
#include "shell/main_window.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "tests/unit/test_support.h"

namespace {

// An event of the kind `op` with its value.
ReplayEvent Event(uint8_t op, uint32_t value = 0) {
    ReplayEvent event;
    event.op = op;
    event.value = value;
    return event;
}

ReplayRecord SmallReplay() {
    ReplayRecord replay;
    replay.programVersion = "1.0.0";
    replay.seed = 77;
    replay.builtInLevelsHash = 0xDEADBEEF;
    AppendEvent(replay, Event(ReplayBox, 6));
    ReplayEvent keys = Event(ReplayKeys);
    keys.keys.set(0x20).set(0x26);
    AppendEvent(replay, keys);
    ReplayEvent mouse = Event(ReplayMouse);
    mouse.x = 65535;
    mouse.y = 3;
    AppendEvent(replay, mouse);
    AppendTicks(replay, 150);  // stops at the checksum's place
    ReplayEvent check = Event(ReplayCheck, 0x12345678);
    check.count = 100;
    AppendEvent(replay, check);
    AppendTicks(replay, 50);
    replay.finalChecksum = 42;
    return replay;
}

ReplayReadResult Decode(const std::string& bytes, std::string* error = nullptr) {
    ReplayRecord replay;
    std::string reason;
    ReplayReadResult result = DecodeReplay(bytes, replay, reason);
    if (error)
        *error = reason;
    return result;
}

// `bytes` with the byte at `at` replaced.
std::string With(std::string bytes, size_t at, char value) {
    bytes[at] = value;
    return bytes;
}

}  // namespace

// Every part of the record, in every version, reads back as written: the
// bytes of what was read are the bytes that were written.
TEST(ReplayFile, EveryPartReadsBackAsWritten) {
    std::vector<ReplayRecord> records(8, SmallReplay());
    records[1].formatVersion = 1;  // the first version: no shown options
    records[2].mapFileKind = LevelSetMapFile;
    records[2].mapLevels.assign(5775, 0);
    records[2].mapLevels[3] = -12;
    records[2].mapLevels[5774] = 2147483647;
    records[3].mapFileKind = RawMapFile;
    records[3].mapBytes = std::string("1 ,2\0x", 6);
    records[4].language = 1;
    records[4].intro = 2;
    records[4].statusPlace = 2;
    records[4].recordsKind = ReplayRecordsKept;
    records[4].records.highestLevel = 9;
    records[4].records.gamesPlayed = 300;
    records[4].records.gamesWon = 1;
    records[4].records.levels[8] = {.bestTicks = 123456, .fewestLost = 2};
    records[5].recordsKind = ReplayRecordsRefused;
    records[5].recordsRefusal = "records.txt: line 2: unknown key 'x'";
    records[6].formatVersion = SoundGivenReplayFormatVersion;
    records[6].players = 2;
    records[7].statusPlaceKept = false;  // version 2 from before the status's place
    for (size_t k = 0; k < records.size(); ++k) {
        const std::string bytes = EncodeReplay(records[k]);
        ReplayRecord read;
        std::string error;
        ASSERT_EQ(DecodeReplay(bytes, read, error), ReplayRead) << k << ": " << error;
        EXPECT_EQ(EncodeReplay(read), bytes) << k;
        EXPECT_EQ(read.events.size(), 6u) << k;
    }
}

// The start a run had: the game's boxes, short with the sound off or on, or
// the boxes with the question answered by the settings (3 and 4), which only
// version 5 holds: an older version with them is refused, as is a kind past 4.
TEST(ReplayFile, TheSoundAnsweredBySettingsIsAStartOfVersion5) {
    for (uint8_t recorded = 0; recorded <= 4; ++recorded)
        EXPECT_EQ(RecordedIntro(IntroOfRecorded(recorded)), recorded);
    EXPECT_EQ(RecordedIntro(IntroChoice{}), 0);
    EXPECT_EQ(RecordedIntro({.shortIntro = true, .sound = false, .soundGiven = true}), 1);
    const IntroChoice on = IntroOfRecorded(4);
    EXPECT_TRUE(!on.shortIntro && on.sound && on.soundGiven);

    ReplayRecord written = SmallReplay();
    written.formatVersion = SoundGivenReplayFormatVersion;
    written.players = 2;
    written.intro = 3;
    const std::string five = EncodeReplay(written);
    EXPECT_EQ(five[4], 5);
    ReplayRecord read;
    std::string error;
    ASSERT_EQ(DecodeReplay(five, read, error), ReplayRead) << error;
    EXPECT_EQ(read.intro, 3);
    EXPECT_EQ(EncodeReplay(read), five);
    written.formatVersion = MenuReplayFormatVersion;
    EXPECT_EQ(DecodeReplay(EncodeReplay(written), read, error), ReplayNotAReplay);
    EXPECT_NE(error.find("unknown kind of start"), std::string::npos) << error;
    written.formatVersion = SoundGivenReplayFormatVersion;
    written.intro = 5;
    EXPECT_EQ(DecodeReplay(EncodeReplay(written), read, error), ReplayNotAReplay);
}

// Version 1 has no shown options, version 3 adds the players to them (and
// version 4 nothing more); a
// version 2 record never holds the players, so a run of one player is
// written as before. Records that cannot be are refused: a level cleared
// past the highest.
TEST(ReplayFile, TheVersionsHoldTheirOwnOptions) {
    ReplayRecord written = SmallReplay();
    written.formatVersion = 1;
    EXPECT_EQ(EncodeReplay(written)[4], 1);
    written.formatVersion = OnePlayerReplayFormatVersion;
    written.players = 2;
    const std::string two = EncodeReplay(written);
    written.formatVersion = TwoPlayersReplayFormatVersion;
    const std::string three = EncodeReplay(written);
    EXPECT_EQ(two[4], 2);
    EXPECT_EQ(three[4], 3);
    EXPECT_EQ(three.size(), two.size() + 2);
    // Version 4 (the menu opened in the run) holds what version 3 holds.
    written.formatVersion = MenuReplayFormatVersion;
    const std::string four = EncodeReplay(written);
    EXPECT_EQ(four[4], 4);
    EXPECT_EQ(four.substr(5), three.substr(5));
    ReplayRecord read;
    std::string error;
    ASSERT_EQ(DecodeReplay(three, read, error), ReplayRead) << error;
    EXPECT_EQ(read.players, 2);
    ASSERT_EQ(DecodeReplay(two, read, error), ReplayRead) << error;
    EXPECT_EQ(read.players, 1);
    written.players = 3;
    EXPECT_EQ(DecodeReplay(EncodeReplay(written), read, error), ReplayNotAReplay);
    EXPECT_NE(error.find("number of players"), std::string::npos) << error;

    written = SmallReplay();
    written.recordsKind = ReplayRecordsKept;
    written.records.highestLevel = 9;
    written.records.levels[20].bestTicks = 5;
    EXPECT_EQ(DecodeReplay(EncodeReplay(written), read, error), ReplayNotAReplay);
}

// Version 6 adds the menu's rows the run offered to version 5's options, and
// its reader gives them back; a kind of row no program offers, or the key in
// a file of version 5, is refused.
TEST(ReplayFile, Version6HoldsTheMenusRows) {
    ReplayRecord written = SmallReplay();
    written.formatVersion = SoundGivenReplayFormatVersion;
    written.intro = 4;
    const std::string five = EncodeReplay(written);
    written.formatVersion = MenuRowsReplayFormatVersion;
    written.menuRows = MenuRowQuit | MenuRowOnline;
    const std::string six = EncodeReplay(written);
    EXPECT_EQ(six[4], 6);
    EXPECT_EQ(six.size(), five.size() + 2);
    ReplayRecord read;
    std::string error;
    ASSERT_EQ(DecodeReplay(six, read, error), ReplayRead) << error;
    EXPECT_EQ(read.menuRows, 3);
    EXPECT_EQ(read.intro, 4);
    EXPECT_EQ(EncodeReplay(read), six);
    written.menuRows = 4;
    EXPECT_EQ(DecodeReplay(EncodeReplay(written), read, error), ReplayNotAReplay);
    EXPECT_NE(error.find("rows of the menu"), std::string::npos) << error;
    std::string sixAsFive = six;
    sixAsFive[4] = 5;
    EXPECT_EQ(DecodeReplay(sixAsFive, read, error), ReplayNotAReplay);
    std::string fiveAsSix = five;
    fiveAsSix[4] = 6;
    EXPECT_EQ(DecodeReplay(fiveAsSix, read, error), ReplayNotAReplay);
}

// A version 2 file from before the status's place (three shown options)
// reads with no status shown.
TEST(ReplayFile, OlderFilesShowNoStatus) {
    ReplayRecord written = SmallReplay();
    written.statusPlaceKept = false;
    const std::string older = EncodeReplay(written);
    ASSERT_EQ(older.substr(20, 7), std::string("\x03\x01\x00\x02\x00\x03\x00", 7));
    ReplayRecord read;
    std::string error;
    ASSERT_EQ(DecodeReplay(older, read, error), ReplayRead) << error;
    EXPECT_EQ(read.statusPlace, ReplayStatusOff);
    EXPECT_FALSE(read.statusPlaceKept);
    // Three options must be the first three.
    std::string skipped = older;
    skipped[25] = 4;
    EXPECT_EQ(DecodeReplay(skipped, read, error), ReplayNotAReplay);
}

TEST(ReplayFile, AHeaderOutOfPlaceIsRefused) {
    const std::string good = EncodeReplay(SmallReplay());
    // The header: magic, version, seed and hash take bytes 0 to 18; the map
    // kind is byte 19, the shown options bytes 20 to 28 (four of them: the
    // language, no records, the full start, the status's place) and the
    // events start at 29 (the box).
    ASSERT_EQ(good.substr(20, 9), std::string("\x04\x01\x00\x02\x00\x03\x00\x04\x00", 9));
    ASSERT_EQ(good[29], char(ReplayBox));
    // (An empty file, text, version 4, version 3 without the players and a
    // byte after the end: tests/replays/check_replays.py.)
    auto with = [&](size_t at, char value) { return With(good, at, value); };
    EXPECT_EQ(Decode("MVR"), ReplayNotAReplay);
    EXPECT_EQ(Decode(with(4, 0)), ReplayWrongVersion);
    EXPECT_EQ(Decode(with(19, 4)), ReplayNotAReplay);     // no such map kind
    EXPECT_EQ(Decode(with(20, 2)), ReplayNotAReplay);     // an option left out
    EXPECT_EQ(Decode(with(21, 4)), ReplayNotAReplay);     // no such option
    EXPECT_EQ(Decode(with(22, 2)), ReplayNotAReplay);     // no such language
    EXPECT_EQ(Decode(with(23, 1)), ReplayNotAReplay);     // options out of order
    EXPECT_EQ(Decode(with(24, 3)), ReplayNotAReplay);     // no such kind of records
    EXPECT_EQ(Decode(with(26, 3)), ReplayNotAReplay);     // no such start
    EXPECT_EQ(Decode(with(27, 5)), ReplayNotAReplay);     // no such option
    EXPECT_EQ(Decode(with(28, 4)), ReplayNotAReplay);     // no such place of the status
    EXPECT_EQ(Decode(with(30, 2)), ReplayNotAReplay);     // a box answered 2
    EXPECT_EQ(Decode(with(29, 0x0B)), ReplayNotAReplay);  // no such event
    std::string error;
    EXPECT_EQ(Decode(good.substr(0, good.size() - 1), &error), ReplayNotAReplay);
    EXPECT_NE(error.find("ends too early (at byte " + std::to_string(good.size() - 1) + ")"),
              std::string::npos)
        << error;
}

TEST(ReplayFile, EventsOutOfPlaceAreRefused) {
    const std::string good = EncodeReplay(SmallReplay());
    auto with = [&](size_t at, char value) { return With(good, at, value); };
    std::string error;
    // Keys must come in order,
    size_t keys = good.find(std::string("\x02\x02\x20\x26", 4));
    ASSERT_NE(keys, std::string::npos);
    EXPECT_EQ(Decode(with(keys + 2, 0x30), &error), ReplayNotAReplay);
    EXPECT_NE(error.find("order"), std::string::npos) << error;
    // and each at most once.
    EXPECT_EQ(Decode(with(keys + 3, 0x20), &error), ReplayNotAReplay);
    EXPECT_NE(error.find("order"), std::string::npos) << error;
    // A run of ticks may not pass a checksum's place, nor a checksum stand
    // anywhere else.
    size_t run = good.find(std::string("\x01\x64\x09", 3));
    ASSERT_NE(run, std::string::npos);
    EXPECT_EQ(Decode(with(run + 1, 0x65), &error), ReplayNotAReplay);
    EXPECT_EQ(Decode(with(run + 1, 0x63), &error), ReplayNotAReplay);
    EXPECT_NE(error.find("checksum"), std::string::npos) << error;
    // Nor may the checksum be left out where it is due.
    std::string unchecked = good;
    unchecked.erase(run + 2, 5);
    EXPECT_EQ(Decode(unchecked, &error), ReplayNotAReplay);
    EXPECT_NE(error.find("missing"), std::string::npos) << error;
    // The end names the run's own number of ticks (150: 0x96 0x01), no more
    // and no fewer.
    const size_t end = good.size() - 7;
    ASSERT_EQ(good.substr(end, 3), std::string("\x00\x96\x01", 3));
    EXPECT_EQ(Decode(with(end + 1, char(0x97)), &error), ReplayNotAReplay);
    EXPECT_NE(error.find("151 ticks"), std::string::npos) << error;
    EXPECT_EQ(Decode(with(end + 1, char(0x95)), &error), ReplayNotAReplay);
    // Numbers only in their shortest form.
    std::string longer = good;
    longer.replace(run + 1, 1, std::string("\xE4\x00", 2));
    EXPECT_EQ(Decode(longer, &error), ReplayNotAReplay);
    EXPECT_NE(error.find("shortest"), std::string::npos) << error;
}

namespace {

// A run of the real game, recorded as the desktop would: boxes, keys, ticks.
ReplayRecord RecordRun() {
    ResetEverything();
    DrawingEnabled = false;
    headless::SetSeed(1234);
    headless::SetBoxObserver(
        [](const char*, const char*, uint32_t, int answer) { RecordBoxAnswer(answer); });
    BeginRecording(1234);
    StartUp(platform::SW_SHOWNORMAL);
    auto tick = [] {
        RecordMessage(platform::WM_TIMER, BattleTimer, 0);
        headless::StepTick();
        RecordMessageDone(platform::WM_TIMER, BattleTimer);
    };
    const int keys[] = {platform::VK_LEFT, platform::VK_SPACE, platform::VK_UP, 'D'};
    for (int i = 0; i < 420; ++i) {
        headless::ReleaseAllKeys();
        headless::SetKeyDown(keys[(i / 37) % 4], true);
        tick();
    }
    std::string path = ::testing::TempDir() + "replay_test_run.mvr";
    std::string error;
    EXPECT_TRUE(FinishRecording(path, error)) << error;
    std::string bytes;
    EXPECT_TRUE(ReadReplayFile(path, bytes));
    ReplayRecord replay;
    EXPECT_EQ(DecodeReplay(bytes, replay, error), ReplayRead) << error;
    return replay;
}

// Tick at which a "rule change" alters the game, or 0 for none.
uint32_t ChangeAtTick = 0;

void SetKeys(const std::bitset<256>& keys) {
    headless::ReleaseAllKeys();
    for (int key = 0; key < 256; ++key)
        if (keys.test(key))
            headless::SetKeyDown(key, true);
}

bool Deliver(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message != platform::WM_TIMER) {
        headless::Deliver(message, wParam, lParam);
        return true;
    }
    if (!headless::TimerIsSet(BattleTimer))
        return false;
    headless::StepTick();
    if (PlaybackTicks() == ChangeAtTick)
        Players[0].tank.reloadRate += 1;
    return true;
}

PlaybackStatus PlayBack(const ReplayRecord& replay, uint32_t changeAt) {
    ResetEverything();
    DrawingEnabled = false;
    ChangeAtTick = changeAt;
    headless::SetSeed(replay.seed);
    headless::SetBoxAnswerer(
        [](const char*, const char*, uint32_t type) { return PlaybackBoxAnswer(type); });
    BeginPlayback(replay, PlaybackHooks{.setKeys = SetKeys, .deliver = Deliver});
    StartUp(platform::SW_SHOWNORMAL);
    PlaybackStatus status;
    while ((status = PlayNextTick()) == PlaybackGoing) {
    }
    return status;
}

}  // namespace

// A recorded run plays back the same (as the pinned replays and
// tests/replays/check_replays.py show); a change of the rules is caught at the
// next checksum.
TEST(ReplayPlayback, AChangedRuleIsCaughtAtTheNextChecksum) {
    ReplayRecord replay = RecordRun();
    EXPECT_EQ(replay.totalTicks, 420u);
    EXPECT_EQ(PlayBack(replay, 0), PlaybackSame) << PlaybackDesyncReason();
    // A change within tick 100 is seen by that tick's own checksum.
    EXPECT_EQ(PlayBack(replay, 100), PlaybackDesync);
    EXPECT_EQ(PlaybackDesyncTick(), 100u);
    EXPECT_EQ(PlayBack(replay, 101), PlaybackDesync);
    EXPECT_EQ(PlaybackDesyncTick(), 200u);
    // After the last checksum only the end's checksum can see it.
    EXPECT_EQ(PlayBack(replay, 410), PlaybackDesync);
    EXPECT_EQ(PlaybackDesyncTick(), 420u);
}

// Every box of the playback must be one the recording answered, and in its
// kind; every box the recording answered must open.
TEST(ReplayPlayback, TheBoxesMustBeTheRecordingsOwn) {
    const ReplayRecord recorded = RecordRun();
    // A press of H opens the help box, which the recording never answered.
    ReplayRecord replay = recorded;
    replay.events.insert(replay.events.begin() + 10, Event(ReplayKeyDown, 'H'));
    EXPECT_EQ(PlayBack(replay, 0), PlaybackDesync);
    EXPECT_NE(PlaybackDesyncReason().find("box"), std::string::npos);
    auto box = std::find_if(recorded.events.begin(), recorded.events.end(),
                            [](const ReplayEvent& e) { return e.op == ReplayBox; });
    ASSERT_NE(box, recorded.events.end()) << "the start-up box was recorded";
    ASSERT_EQ(box->value, uint32_t(platform::IDOK));
    // An OK box answered Yes in the recording.
    replay = recorded;
    replay.events[size_t(box - recorded.events.begin())].value = platform::IDYES;
    EXPECT_EQ(PlayBack(replay, 0), PlaybackDesync);
    EXPECT_NE(PlaybackDesyncReason().find("answered it otherwise"), std::string::npos)
        << PlaybackDesyncReason();
    // An answer among the ticks, to a box that never opens.
    replay = recorded;
    replay.events.insert(replay.events.end() - 3, Event(ReplayBox, platform::IDOK));
    EXPECT_EQ(PlayBack(replay, 0), PlaybackDesync);
    EXPECT_NE(PlaybackDesyncReason().find("did not open"), std::string::npos)
        << PlaybackDesyncReason();
}
