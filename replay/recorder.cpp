// The replay recorder: outside messages, the keys in force when each arrives,
// box answers, and a state checksum every 100 ticks.
#include "replay/recorder.h"

#include <bitset>
#include <cctype>
#include <iterator>

#include "battle/level_start.h"
#include "levels/builtin_levels.h"
#include "levels/level_grid.h"
#include "levels/map_file.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "replay/checksum.h"
#include "replay/file.h"
#include "replay/game_start.h"
#include "state/program_state.h"
#include "texts/texts.h"

#ifndef MORVASK_VERSION
#define MORVASK_VERSION "1.0.0"
#endif

namespace {

bool Recording = false;
ReplayRecord Replay;
// The players question's and the menu's counts when the recording began.
int32_t QuestionsBefore = 0;
int32_t MenusBefore = 0;

// A run of two players, or one that asked the players question, needs a
// reader that knows them, and one in which the menu opened a reader in which
// Esc opens it, and one whose sound question the settings answered a
// reader that knows that start; a menu that offered Play online needs a
// reader that shows that row too. Any other is written as before.
ReplayRecord Finished(ReplayRecord replay) {
    const bool twoPlayers = replay.players == 2 || PlayersQuestionsAsked != QuestionsBefore;
    const bool menuOpened = MenusOpened != MenusBefore;
    replay.formatVersion = menuOpened && (MenuHostRows & MenuRowOnline)
                               ? MenuRowsReplayFormatVersion
                           : replay.intro > 2 ? SoundGivenReplayFormatVersion
                           : menuOpened       ? MenuReplayFormatVersion
                           : twoPlayers       ? TwoPlayersReplayFormatVersion
                                              : OnePlayerReplayFormatVersion;
    replay.menuRows = uint8_t(MenuHostRows);
    replay.finalChecksum = GameStateChecksum();
    return replay;
}
std::bitset<256> KeysInForce;

// The 5775 values of a map file, when it is exactly in the game's own format.
bool CanonicalLevels(const std::string& bytes, std::vector<int32_t>& levels) {
    levels.clear();
    size_t at = 0;
    while (at < bytes.size() && levels.size() < size_t(LevelSetSize)) {
        unsigned char c = bytes[at];
        if (std::isdigit(c) || c == '-') {
            size_t end = at + 1;
            while (end < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[end])))
                ++end;
            if (end - at > 10)
                return false;
            long long value = std::stoll(bytes.substr(at, end - at));
            if (value < INT32_MIN || value > INT32_MAX)
                return false;
            levels.push_back(int32_t(value));
            at = end;
        } else {
            ++at;
        }
    }
    return levels.size() == size_t(LevelSetSize) && FormatLevelSet(levels) == bytes;
}

void NoteMapFile(ReplayRecord& replay) {
    // A file the game cannot load (missing, unreadable, too large) fails the
    // same way as no file at all, so the replay names none.
    std::string bytes;
    replay.mapLevels.clear();
    replay.mapBytes.clear();
    if (!platform::ReadSmallFile(MapFileName, MaxMapFileBytes, bytes)) {
        replay.mapFileKind = NoMapFile;
        return;
    }
    std::vector<int32_t> levels;
    if (bytes == FormatLevelSet(BuiltInLevels())) {
        replay.mapFileKind = BuiltInMapFile;
    } else if (CanonicalLevels(bytes, levels)) {
        replay.mapFileKind = LevelSetMapFile;
        replay.mapLevels = levels;
    } else {
        replay.mapFileKind = RawMapFile;
        replay.mapBytes = bytes;
    }
}

// The game begun last, while its start tells all a playback needs: its
// header (the map file, language and records as they were when it began, its
// start), where its events begin and the keys held then.
struct GameKept {
    bool kept = false;
    ReplayRecord header;
    size_t firstEvent = 0;
    // A run of ticks just before the start may go on into the game: its
    // ticks then were the session's before it.
    uint32_t ticksBefore = 0;
    std::bitset<256> keys;
};
GameKept Game;
int32_t GamesSeen = 0;
const RecordsRecord& (*RecordsNow)() = nullptr;

// The keys down now, as the game's polls would see them; a change is written
// before whatever the game does next.
void SampleKeys() {
    std::bitset<256> keys;
    for (int key = 1; key < 255; ++key)
        if (platform::GetAsyncKeyState(key) & 0x8000)
            keys.set(key);
    if (keys == KeysInForce)
        return;
    KeysInForce = keys;
    ReplayEvent event;
    event.op = ReplayKeys;
    event.keys = keys;
    AppendEvent(Replay, event);
}

// At a message's arrival, before its keys are sampled: a game begun in the
// message before starts here. A game that went through the editor no longer
// starts from its start alone (the editor's history and unsaved edits live
// outside the game's state), so it is not kept.
void WatchGameStart() {
    if (GameMode == Editing)
        Game.kept = false;
    if (GamesStarted == GamesSeen)
        return;
    GamesSeen = GamesStarted;
    Game.kept = TakeGameStart(Game.header.gameStart);
    if (!Game.kept)
        return;
    ReplayRecord& header = Game.header;
    header.gameStart.tick = Replay.totalTicks;
    header.formatVersion = GameReplayFormatVersion;
    header.programVersion = Replay.programVersion;
    header.seed = Replay.seed;
    header.builtInLevelsHash = Replay.builtInLevelsHash;
    NoteMapFile(header);
    header.language = uint8_t(CurrentLanguage);
    header.recordsKind = Replay.recordsKind;
    header.records = RecordsNow != nullptr ? RecordsNow() : Replay.records;
    header.recordsRefusal = Replay.recordsRefusal;
    header.intro = header.gameStart.sound ? 2 : 1;
    header.statusPlace = Replay.statusPlace;
    header.players = header.gameStart.players;
    // The menu's rows too, as version 6's: the game's keys choose the same.
    header.menuRows = uint8_t(MenuHostRows);
    Game.firstEvent = Replay.events.size();
    const bool runBefore = Game.firstEvent > 0 && Replay.events.back().op == ReplayTicks;
    Game.ticksBefore = runBefore ? Replay.events.back().count : 0;
    Game.keys = KeysInForce;
}

}  // namespace

void NoteRecordsSource(const RecordsRecord& (*current)()) {
    RecordsNow = current;
}

void BeginRecording(uint32_t seed) {
    Replay = ReplayRecord{};
    Replay.programVersion = MORVASK_VERSION;
    Replay.seed = seed;
    Replay.builtInLevelsHash = LevelSetHash(BuiltInLevels());
    NoteMapFile(Replay);
    Replay.language = uint8_t(CurrentLanguage);
    Replay.players = PlayersChosen == 2 ? 2 : 1;
    QuestionsBefore = PlayersQuestionsAsked;
    MenusBefore = MenusOpened;
    KeysInForce.reset();
    Game = GameKept{};
    GamesSeen = GamesStarted;
    Recording = true;
}

void NoteRecordedIntro(uint8_t intro) {
    Replay.intro = intro;
}

void NoteRecordedStatusPlace(uint8_t place) {
    Replay.statusPlace = place;
}

void NoteRecordedRecords(uint8_t kind, const RecordsRecord& records, const std::string& refusal) {
    Replay.recordsKind = kind;
    Replay.records = records;
    Replay.recordsRefusal = refusal.substr(0, 4096);
}

void RecordMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!Recording)
        return;
    WatchGameStart();
    ReplayEvent event;
    switch (message) {
        case platform::WM_TIMER:
            if (wParam != BattleTimer)
                return;
            SampleKeys();
            AppendTicks(Replay, 1);
            return;
        case platform::WM_KEYDOWN:
            if (wParam == 0 || wParam >= 0xFF)
                return;
            event.op = ReplayKeyDown;
            event.value = uint32_t(wParam);
            break;
        case platform::WM_MOUSEMOVE:
            event.op = ReplayMouse;
            event.x = int32_t(lParam & 0xFFFF);
            event.y = int32_t((lParam >> 16) & 0xFFFF);
            break;
        case platform::WM_SIZE:
            if (wParam > 4)
                return;
            event.op = ReplaySize;
            event.value = uint32_t(wParam);
            break;
        case platform::WM_ACTIVATE:
            event.op = ReplayActivate;
            event.value = uint32_t(wParam & 0xFFFF) > 2 ? 1 : uint32_t(wParam & 0xFFFF);
            break;
        case platform::WM_CLOSE:
            event.op = ReplayClose;
            break;
        default:
            return;
    }
    SampleKeys();
    AppendEvent(Replay, event);
}

void RecordMessageDone(uint32_t message, uintptr_t wParam) {
    if (!Recording || message != platform::WM_TIMER || wParam != BattleTimer)
        return;
    if (Replay.totalTicks % ReplayCheckInterval == 0) {
        ReplayEvent event;
        event.op = ReplayCheck;
        event.value = GameStateChecksum();
        event.count = Replay.totalTicks;
        AppendEvent(Replay, event);
    }
}

void RecordBoxAnswer(int answer) {
    if (!Recording)
        return;
    ReplayEvent event;
    event.op = ReplayBox;
    event.value = uint32_t(answer);
    // No key is polled between a box and the end of the message that opened
    // it, so the keys are sampled only when the next message arrives.
    AppendEvent(Replay, event);
}

void RecordTextRead(const std::string& text) {
    if (!Recording)
        return;
    ReplayEvent event;
    event.op = ReplayText;
    event.text = text.substr(0, MaxReplayTextBytes);
    AppendEvent(Replay, event);
}

bool FinishRecording(const std::string& path, std::string& error) {
    if (!Recording) {
        error = "nothing was recorded";
        return false;
    }
    Recording = false;
    if (!platform::ReplaceFileWhole(path.c_str(), EncodeReplay(Finished(Replay)))) {
        error = "cannot write the replay " + path;
        return false;
    }
    return true;
}

void ResetRecorder() {
    Recording = false;
    Replay = ReplayRecord{};
    KeysInForce.reset();
    MenusBefore = 0;
    Game = GameKept{};
    GamesSeen = 0;
    RecordsNow = nullptr;
}

std::string RecordedRunSoFar() {
    if (!Recording)
        return "";
    return EncodeReplay(Finished(Replay));
}

std::string RecordedRunSettled() {
    if (!Recording)
        return "";
    // A run of ticks at the end may still grow; the checksum's place ends one.
    size_t settled = Replay.events.size();
    if (settled > 0 && Replay.events.back().op == ReplayTicks &&
        Replay.totalTicks % ReplayCheckInterval != 0)
        --settled;
    return EncodeReplayStart(Finished(Replay), settled);
}

std::string RecordedGameSoFar() {
    if (!Recording || !Game.kept || GameMode == Editing)
        return "";
    ReplayRecord game = Game.header;
    if (Game.keys.any()) {
        ReplayEvent keys;
        keys.op = ReplayKeys;
        keys.keys = Game.keys;
        game.events.push_back(keys);
    }
    if (Game.ticksBefore > 0 && Replay.events[Game.firstEvent - 1].count > Game.ticksBefore) {
        ReplayEvent ticks;
        ticks.op = ReplayTicks;
        ticks.count = Replay.events[Game.firstEvent - 1].count - Game.ticksBefore;
        game.events.push_back(ticks);
    }
    game.events.insert(game.events.end(), Replay.events.begin() + std::ptrdiff_t(Game.firstEvent),
                       Replay.events.end());
    game.totalTicks = Replay.totalTicks - game.gameStart.tick;
    game.finalChecksum = GameStateChecksum();
    return EncodeReplay(game);
}
