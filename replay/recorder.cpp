// The replay recorder: outside messages, the keys in force when each arrives,
// box answers, and a state checksum every 100 ticks.
#include "replay/recorder.h"

#include <bitset>
#include <cctype>
#include <iterator>

#include "levels/builtin_levels.h"
#include "levels/level_grid.h"
#include "levels/map_file.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "replay/checksum.h"
#include "replay/file.h"
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

void NoteMapFile() {
    // A file the game cannot load (missing, unreadable, too large) fails the
    // same way as no file at all, so the replay names none.
    std::string bytes;
    if (!platform::ReadSmallFile(MapFileName, MaxMapFileBytes, bytes)) {
        Replay.mapFileKind = NoMapFile;
        return;
    }
    std::vector<int32_t> levels;
    if (bytes == FormatLevelSet(BuiltInLevels())) {
        Replay.mapFileKind = BuiltInMapFile;
    } else if (CanonicalLevels(bytes, levels)) {
        Replay.mapFileKind = LevelSetMapFile;
        Replay.mapLevels = levels;
    } else {
        Replay.mapFileKind = RawMapFile;
        Replay.mapBytes = bytes;
    }
}

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

}  // namespace

void BeginRecording(uint32_t seed) {
    Replay = ReplayRecord{};
    Replay.programVersion = MORVASK_VERSION;
    Replay.seed = seed;
    Replay.builtInLevelsHash = LevelSetHash(BuiltInLevels());
    NoteMapFile();
    Replay.language = uint8_t(CurrentLanguage);
    Replay.players = PlayersChosen == 2 ? 2 : 1;
    QuestionsBefore = PlayersQuestionsAsked;
    MenusBefore = MenusOpened;
    KeysInForce.reset();
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
