// The program-wide reset: after a while of play, of the editor and a try-out,
// of a recording, a playback, records and settings, ResetProgram leaves every
// module as the program found it at its start, and a new editor session after
// it starts with nothing of the last one.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "battle/level_start.h"
#include "battle/player_control.h"
#include "editor/commands.h"
#include "editor/history.h"
#include "editor/mode_keys.h"
#include "editor/painting.h"
#include "editor/share_keys.h"
#include "hosting/program_reset.h"
#include "levels/level_grid.h"
#include "levels/level_origin.h"
#include "options/key_bindings.h"
#include "options/records_file.h"
#include "options/settings_file.h"
#include "platform/headless/headless.h"
#include "render/draw.h"
#include "render/frame_layers.h"
#include "replay/player.h"
#include "replay/recorder.h"
#include "replay/run_share.h"
#include "shell/main_window.h"
#include "shell/records.h"
#include "state/program_state.h"
#include "state/state_fields.h"
#include "tests/unit/test_support.h"
#include "texts/texts.h"

namespace {

using Picture = std::map<std::string, std::string>;

template <typename Value>
std::string Shown(const Value& value) {
    if constexpr (std::is_same_v<Value, std::string>) {
        return value;
    } else if constexpr (IsFieldList<Value> || std::is_same_v<Value, std::vector<int>>) {
        std::ostringstream text;
        for (const auto& element : value)
            text << Shown(element) << ',';
        return text.str();
    } else {
        return std::to_string(int64_t(value));
    }
}

void AddStateFields(Picture& picture) {
    auto walk = WalkWith(
        [&](const std::string& path, auto& value) { picture[path] = Shown(value); },
        [&](const std::string& path, auto& list) { picture[path + ".size"] = Shown(list.size()); });
    VisitStateFields(walk);
    // Walked by the state's list in a game of two only, and the run's records
    // it leaves out; with the grids whole, not just their sizes.
    VisitSecondPlayerFields(BattleState, walk);
    picture["TurretLockLatch2"] = Shown(Players[1].turretLockLatch);
    picture["PlayersChosen"] = Shown(PlayersChosen);
    picture["PlayersQuestionsAsked"] = Shown(PlayersQuestionsAsked);
    picture["PlayersQuestionOffered"] = Shown(PlayersQuestionOffered);
    picture["MainWindow"] = Shown(MainWindow != nullptr);
    picture["TickUnderWay"] = Shown(TickUnderWay);
    picture["WorkingGrid"] = Shown(WorkingGrid);
    picture["LevelSet"] = Shown(LevelSet);
}

void AddEditor(Picture& picture) {
    picture["TryingLevel"] = Shown(TryingLevel());
    for (int32_t level = 0; level < LevelCount; ++level)
        picture["Steps." + std::to_string(level)] =
            Shown(UndoStepCount(level)) + "/" + Shown(RedoStepCount(level));
    picture["Brush"] = Shown(Brush);
    picture["ShareBaseUrl"] = ShareBaseUrl;
    picture["ShareAuthor"] = ShareAuthor;
    picture["ShareTitle"] = ShareTitle;
    picture["LevelOrigin"] = Shown(std::vector<int>{LevelOrigin.shared, LevelOrigin.named}) +
                             LevelOrigin.savedAs + "," + LevelOrigin.title + "," +
                             LevelOrigin.author;
    picture["LevelSetAsSaved"] = Shown(LevelSetAsSaved());
}

void AddOptions(Picture& picture) {
    for (int32_t action = 0; action < PlayActionCount; ++action) {
        picture["PlayerKeys." + std::to_string(action)] = Shown(PlayerKeys.keys[action]);
        picture["SettingsKeys." + std::to_string(action)] = Shown(PlayerSettings.keys.keys[action]);
    }
    const SettingsRecord& s = PlayerSettings;
    picture["Settings"] =
        Shown(std::vector<int>{s.language, s.fullscreen, s.scale, s.scaleMode, s.volume,
                               s.padDeadzone, s.shortIntro, s.startSound, s.statusPlace,
                               s.players}) +
        s.shareUrl + "," + s.shareAuthor;
    picture["PlayerSettingsPath"] = PlayerSettingsPath;
    picture["PlayerSettingsProblems"] = Shown(PlayerSettingsProblems.size());
}

void AddReplays(Picture& picture) {
    picture["RecordedRunSoFar"] = RecordedRunSoFar();
    picture["Playback"] =
        Shown(std::vector<int>{PlaybackState(), int(PlaybackTicks()), int(PlaybackTotalTicks()),
                               int(PlaybackDesyncTick())}) +
        PlaybackDesyncReason();
    picture["RunShare"] = Shown(GamesEnded()) + "," + Shown(RunUnshared()) + "," + LastRunCode();
}

void AddShell(Picture& picture) {
    picture["Records"] = Shown(std::vector<int>{RecordsKept(), RecordsRefused()}) +
                         RecordsRefusal() + FormatRecords(RecordsAtStart()) +
                         FormatRecords(CurrentRecords());
    picture["Intro"] = Shown(std::vector<int>{Intro.shortIntro, Intro.sound, Intro.soundGiven});
    picture["GamesStarted"] = Shown(GamesStarted);
    picture["LevelsStarted"] = Shown(LevelsStarted);
    picture["ZKeysUsed"] = Shown(ZKeysUsed);
    picture["CurrentLanguage"] = Shown(CurrentLanguage);
    picture["DrawingEnabled"] = Shown(DrawingEnabled);
    picture["DrawFramesWhole"] = Shown(DrawFramesWhole);
}

// What every module keeps, as far as it shows from outside.
Picture ProgramPicture() {
    Picture picture;
    AddStateFields(picture);
    AddEditor(picture);
    AddOptions(picture);
    AddReplays(picture);
    AddShell(picture);
    return picture;
}

// The program as it was before any test ran.
Picture AtProgramStart;

struct ProgramStart : ::testing::Environment {
    void SetUp() override { AtProgramStart = ProgramPicture(); }
};
const ::testing::Environment* const Start = ::testing::AddGlobalTestEnvironment(new ProgramStart);

void Press(int key, bool control = false) {
    headless::SetKeyDown(platform::VK_CONTROL, control);
    headless::Deliver(platform::WM_KEYDOWN, uintptr_t(key), 0);
    headless::SetKeyDown(platform::VK_CONTROL, false);
}

void AnswerYes() {
    headless::SetBoxAnswerer([](const char*, const char*, uint32_t type) {
        return (type & 0xF) == platform::MB_YESNO ? platform::IDYES : platform::IDOK;
    });
}

// Settings from a file with a problem in it, put in force; records kept.
void TouchOptions() {
    const std::string path = ::testing::TempDir() + "program_reset_settings.txt";
    std::ofstream(path) << "lang = en\nvolume = 40\nfire = X\nsound = off\nshare_url = "
                           "https://example.org/\nno_such_key = 1\n";
    LoadPlayerSettings(path);
    ApplyPlayerSettings();
    ShareBaseUrl = PlayerSettings.shareUrl;
    ShareAuthor = "Tester";
    ShareTitle = "Brick garden";
    KeepRecordsIn(::testing::TempDir() + "program_reset_records.txt");
    Intro.shortIntro = true;
    Intro.soundGiven = true;
}

// Two players, a while of firing, a game's end seen by the run's share code.
void Play() {
    BeginRecording(4);
    AnswerYes();
    Press('N');
    headless::SetKeyDown(platform::VK_SPACE, true);
    Ticks(300);
    headless::SetKeyDown(platform::VK_SPACE, false);
    GameMode = GameOver;
    WatchedMessage(platform::WM_TIMER, BattleTimer, 0);
    Ticks(1);
    WatchedMessageDone(platform::WM_TIMER, BattleTimer);
    NoteMapReplacedOutside();
}

// Into the editor: a brush chosen, a cell painted, the level copied, tried.
void Edit() {
    Press(platform::VK_F1);
    Ticks(1);
    headless::SetKeyDown('7', true);
    Ticks(1);
    headless::SetKeyDown('7', false);
    PaintCellAt(0, 0, Brush);
    Ticks(1);
    Press('C', true);
    Press(platform::VK_F5);
}

}  // namespace

TEST(ProgramReset, LeavesEveryModuleAsAtProgramStart) {
    StartGame(4);
    TouchOptions();
    Play();
    Edit();
    ReplayRecord replay;
    replay.totalTicks = 50;
    replay.players = 2;
    BeginPlayback(replay, {.setKeys = [](const std::bitset<256>&) {},
                           .deliver = [](uint32_t, uintptr_t, intptr_t) { return true; }});
    // What a tick leaves for the records to see, and a headless run's drawing.
    ZKeysUsed = true;
    DrawFramesWhole = true;
    DrawingEnabled = false;
    // A shared set, named, in force.
    MarkLevelsShared();
    NameSharedSet("Their set", "Them");
    const Picture played = ProgramPicture();

    ResetProgram();
    const Picture now = ProgramPicture();
    ASSERT_EQ(now.size(), AtProgramStart.size());
    for (const auto& [name, value] : AtProgramStart)
        EXPECT_EQ(now.at(name), value) << name;
    // Each module was away from its start, or the comparison proves nothing.
    const std::vector<std::string> touched = {"PlayerKeys." + std::to_string(Fire),
                                              "RngState",
                                              "Player.x",
                                              "Player2.x",
                                              "WorkingGrid",
                                              "LevelSet",
                                              "Steps.0",
                                              "TryingLevel",
                                              "Brush",
                                              "ShareBaseUrl",
                                              "ShareTitle",
                                              "LevelOrigin",
                                              "LevelSetAsSaved",
                                              "Settings",
                                              "RecordedRunSoFar",
                                              "Playback",
                                              "RunShare",
                                              "Records",
                                              "Intro",
                                              "GamesStarted",
                                              "ZKeysUsed",
                                              "CurrentLanguage",
                                              "DrawingEnabled",
                                              "DrawFramesWhole",
                                              "PlayersChosen"};
    for (const std::string& name : touched)
        EXPECT_NE(played.at(name), AtProgramStart.at(name)) << name;
}

TEST(ProgramReset, ANewEditorSessionStartsWithNothingOfTheLast) {
    StartGame(4);
    AnswerYes();
    Press(platform::VK_F1);
    Ticks(1);
    const int32_t builtIn = LevelSet[0];
    LevelSet[0] = builtIn == Water ? Ice : Water;
    Press('C', true);

    ResetEverything();
    StartGame(4);
    AnswerYes();
    Press(platform::VK_F1);
    Ticks(1);
    Press('V', true);
    EXPECT_EQ(LevelSet[0], builtIn);
    LevelSet[0] = builtIn == Stone ? Ice : Stone;
    CommitEditorChanges();
    EXPECT_EQ(UndoStepCount(0), 1u);
}
