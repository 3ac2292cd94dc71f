// Keeping the player's records: the watch over games and levels, the records
// box and the fresh game it offers.
#include "shell/records.h"

#include <cstdio>
#include <filesystem>

#include "battle/level_start.h"
#include "battle/player_control.h"
#include "editor/commands.h"
#include "levels/builtin_levels.h"
#include "levels/level_grid.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "texts/extra_texts.h"
#include "texts/notice_texts.h"

namespace {

enum Keeping { NotKept, KeptInFile, KeptInMemory, FileRefused };

Keeping Kept = NotKept;
std::string Path;
std::string Refusal;
// The name a damaged file was kept aside under in this run (empty: none
// was), and what was wrong with it.
std::string KeptAside;
std::string AsideProblem;
RecordsRecord Start;
RecordsRecord Now;

// The game in play as the watch follows it.
struct GameWatch {
    int32_t gamesSeen = 0;   // GamesStarted when last looked at
    int32_t levelsSeen = 0;  // LevelsStarted when last looked at
    bool inGame = false;     // a game is in play (not the editor, not a try-out)
    bool usedZKeys = false;
    bool ownMap = false;
    int32_t level = 0;
    int32_t ticks = 0;  // ticks of play since the level started
    int32_t livesAtStart = 0;
};
GameWatch Watch;

bool Honest() {
    return (Kept == KeptInFile || Kept == KeptInMemory) && Watch.inGame && !Watch.usedZKeys &&
           !Watch.ownMap;
}

void Save() {
    if (Kept == KeptInFile && !SaveRecordsFile(Path, Now))
        std::fprintf(stderr, "morvask: %s: could not save the records\n", Path.c_str());
}

void RecordLevelStart() {
    BattleStateRecord& battle = BattleState;
    Watch.level = battle.LevelIndex;
    Watch.ticks = 0;
    Watch.livesAtStart = Players[0].lives;
    Watch.ownMap = Watch.ownMap || LevelSet != BuiltInLevels();
    if (Honest() && battle.LevelIndex + 1 > Now.highestLevel) {
        Now.highestLevel = battle.LevelIndex + 1;
        Save();
    }
}

void RecordClear() {
    LevelRecordEntry& entry = Now.levels[Watch.level];
    const int32_t ticks = Watch.ticks > 0 ? Watch.ticks : 1;
    int32_t lost = Watch.livesAtStart - Players[0].lives;
    lost = lost < 0 ? 0 : lost > MaxRecordedTanksLost ? MaxRecordedTanksLost : lost;
    // The fastest clear and the clear with the fewest tanks lost, each on
    // its own: the first clear sets both.
    const bool first = entry.bestTicks == 0;
    LevelRecordEntry next = entry;
    if (first || ticks < entry.bestTicks)
        next.bestTicks = ticks;
    if (first || lost < entry.fewestLost)
        next.fewestLost = lost;
    if (next == entry)
        return;
    entry = next;
    Save();
}

void GameEnded(bool won) {
    Now.gamesPlayed += 1;
    Now.gamesWon += won ? 1 : 0;
    Save();
    Watch.inGame = false;
}

std::string Formatted(const char* format, int32_t a, int32_t b = 0, int32_t c = 0, int32_t d = 0,
                      int32_t e = 0) {
    char text[512];
    std::snprintf(text, sizeof text, format, int(a), int(b), int(c), int(d), int(e));
    return text;
}

std::string RecordsText() {
    if (Kept == FileRefused) {
        char text[1024];
        std::snprintf(text, sizeof text, ExtraText(RecordsFileRefusedText), Refusal.c_str());
        return text;
    }
    std::string text =
        Now.highestLevel == 0
            ? std::string(ExtraText(RecordsNone))
            : Formatted(ExtraText(RecordsSummary), Now.highestLevel, Now.gamesPlayed, Now.gamesWon);
    const int32_t level = BattleState.LevelIndex;
    const LevelRecordEntry& entry = Now.levels[level];
    text += "\n";
    text += entry.bestTicks > 0
                ? Formatted(ExtraText(RecordsLevelBest), level + 1, entry.bestTicks / 100,
                            entry.bestTicks % 100, entry.bestTicks, entry.fewestLost)
                : Formatted(ExtraText(RecordsLevelNotCleared), level + 1);
    if (Watch.usedZKeys)
        text += std::string("\n\n") + ExtraText(RecordsNotThisGameZ);
    else if (Watch.ownMap)
        text += std::string("\n\n") + ExtraText(RecordsNotThisGameMap);
    return text;
}

// A fresh game at `level` (0 for the first), as the level select starts one.
void StartFreshGameAt(int32_t level) {
    ResetPlayers();
    BattleState.LevelIndex = level;
    GameMode = Playing;
    GamesStarted += 1;
    StartLevel();
}

}  // namespace

void KeepRecordsIn(const std::string& path) {
    ResetRecords();
    Path = path;
    RecordsRecord records;
    std::string problem;
    switch (LoadRecordsFile(path, records, problem)) {
        case RecordsFileRefused:
            // Kept aside whole, never overwritten, and a fresh file started:
            // the records go on. Only a file that cannot be moved is left
            // where it is, with nothing recorded.
            if (KeepDamagedRecordsAside(path, KeptAside)) {
                Kept = KeptInFile;
                AsideProblem = problem;
                std::fprintf(stderr, "morvask: %s; it is kept as %s and a fresh one is started\n",
                             problem.c_str(), KeptAside.c_str());
                Save();
                return;
            }
            Kept = FileRefused;
            Refusal = problem;
            std::fprintf(stderr, "morvask: %s; it is left as it is and nothing is recorded\n",
                         problem.c_str());
            return;
        case RecordsFileRead:
        case RecordsFileMissing:
            Kept = KeptInFile;
            Start = Now = records;
            return;
    }
}

void KeepRecordsInMemory(const RecordsRecord& records) {
    ResetRecords();
    Kept = KeptInMemory;
    Start = Now = records;
}

void KeepRecordsRefused(const std::string& why) {
    ResetRecords();
    Kept = FileRefused;
    Refusal = why;
}

bool RecordsKept() {
    return Kept != NotKept;
}

bool RecordsRefused() {
    return Kept == FileRefused;
}

const std::string& RecordsRefusal() {
    return Refusal;
}

const RecordsRecord& RecordsAtStart() {
    return Start;
}

const RecordsRecord& CurrentRecords() {
    return Now;
}

void WatchRecords() {
    if (Kept == NotKept)
        return;
    if (TryingLevel()) {
        // A try-out is the editor's, never a game of its own.
        Watch.gamesSeen = GamesStarted;
        Watch.levelsSeen = LevelsStarted;
        ZKeysUsed = false;
        Watch.inGame = false;
        return;
    }
    // The Z keys first: a level they chose is not reached honestly.
    Watch.usedZKeys = Watch.usedZKeys || (ZKeysUsed && Watch.inGame);
    ZKeysUsed = false;
    if (GamesStarted != Watch.gamesSeen) {
        Watch.gamesSeen = GamesStarted;
        Watch.inGame = true;
        Watch.usedZKeys = false;
        Watch.ownMap = false;
    }
    if (GameMode == Editing)
        Watch.inGame = false;
    if (LevelsStarted != Watch.levelsSeen) {
        Watch.levelsSeen = LevelsStarted;
        if (GameMode == Playing && Watch.inGame)
            RecordLevelStart();
    }
}

void WatchRecordsBeforeTick() {
    WatchRecords();
    if (Kept == NotKept || TryingLevel() || !Watch.inGame)
        return;
    // Each of these modes lasts one tick, which acts on it.
    switch (GameMode) {
        case Playing:
            Watch.ticks += Watch.ticks < INT32_MAX ? 1 : 0;
            break;
        case LevelCleared:
            if (Honest())
                RecordClear();
            break;
        case GameOver:
        case AllCleared:
            if (Honest())
                GameEnded(GameMode == AllCleared);
            Watch.inGame = false;
            break;
        default:
            break;
    }
}

void ShowRecordsBox() {
    WatchRecords();
    if (Kept == NotKept || TryingLevel() || GameMode != Playing)
        return;
    std::string text = RecordsText();
    const bool offer = Kept != FileRefused && Now.highestLevel >= 2;
    if (!offer) {
        platform::MessageBox(MainWindow, text.c_str(), ExtraText(RecordsCaption), platform::MB_OK);
        return;
    }
    text += "\n\n" + Formatted(ExtraText(RecordsContinueQuestion), Now.highestLevel);
    if (platform::MessageBox(MainWindow, text.c_str(), ExtraText(RecordsCaption),
                             platform::MB_YESNO) == platform::IDYES)
        StartFreshGameAt(Now.highestLevel - 1);
}

std::string RecordsStartNotice() {
    if (KeptAside.empty())
        return {};
    // The problem as the file's reader put it, without the folder: "line 2: ...".
    const std::string where = AsideProblem.rfind(Path + ": ", 0) == 0
                                  ? AsideProblem.substr(Path.size() + 2)
                                  : AsideProblem;
    const std::string name = std::filesystem::path(KeptAside).filename().string();
    char text[2048];
    std::snprintf(text, sizeof text, NoticeText(RecordsKeptAsideText), where.c_str(), name.c_str());
    return text;
}

void ResetRecords() {
    Kept = NotKept;
    Path.clear();
    Refusal.clear();
    KeptAside.clear();
    AsideProblem.clear();
    Start = Now = RecordsRecord{};
    Watch = GameWatch{};
    ZKeysUsed = false;
}
