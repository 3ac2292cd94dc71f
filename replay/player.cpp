// The replay player: the recorded run, message by message, with its checksums
// compared as it goes.
#include "replay/player.h"

#include <chrono>
#include <filesystem>
#include <system_error>

#include "levels/builtin_levels.h"
#include "levels/level_grid.h"
#include "levels/map_file.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "replay/checksum.h"
#include "replay/game_start.h"
#include "state/program_state.h"

namespace fs = std::filesystem;

namespace {

ReplayRecord Replay;
PlaybackHooks Hooks;
size_t NextEvent = 0;
uint32_t Ticks = 0;
uint32_t TicksLeftInRun = 0;
PlaybackStatus Status = PlaybackSame;
uint32_t DesyncTick = 0;
std::string DesyncReason;
fs::path Directory;
fs::path HomeDirectory;
// A game's replay: its start is put in force before its first event, once
// the program's own start-up (short, its boxes answered OK) is over.
bool StartPending = false;

void Desync(const std::string& reason) {
    if (Status == PlaybackDesync)
        return;
    Status = PlaybackDesync;
    DesyncTick = Ticks;
    DesyncReason = reason;
}

std::string Hex(uint32_t value) {
    char text[16];
    static const char digits[] = "0123456789abcdef";
    for (int i = 0; i < 8; ++i)
        text[i] = digits[(value >> (28 - 4 * i)) & 0xF];
    return std::string(text, 8);
}

void Deliver(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!Hooks.deliver(message, wParam, lParam))
        Desync("the battle timer was not running for a recorded tick");
}

}  // namespace

bool ReplayLevelsPresent(const ReplayRecord& replay, std::string& error) {
    if (replay.builtInLevelsHash != LevelSetHash(BuiltInLevels())) {
        error = "the replay needs a level set that is not here (its built-in levels differ)";
        return false;
    }
    return true;
}

bool EnterReplayDirectory(const ReplayRecord& replay, std::string& error) {
    std::error_code code;
    HomeDirectory = fs::current_path(code);
    fs::path base = fs::temp_directory_path(code);
    if (code) {
        error = "no directory for temporary files";
        return false;
    }
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate =
            base / ("morvask-replay-" + std::to_string(stamp) + "-" + std::to_string(attempt));
        if (fs::create_directory(candidate, code)) {
            Directory = candidate;
            break;
        }
    }
    if (Directory.empty()) {
        error = "cannot make a directory for the playback";
        return false;
    }
    std::string mapBytes;
    if (replay.mapFileKind == BuiltInMapFile)
        mapBytes = FormatLevelSet(BuiltInLevels());
    else if (replay.mapFileKind == LevelSetMapFile)
        mapBytes = FormatLevelSet(replay.mapLevels);
    else if (replay.mapFileKind == RawMapFile)
        mapBytes = replay.mapBytes;
    if (replay.mapFileKind != NoMapFile) {
        const std::string path = (Directory / MapFileName).string();
        if (!platform::ReplaceFileWhole(path.c_str(), mapBytes)) {
            error = "cannot write the replay's map file";
            LeaveReplayDirectory();
            return false;
        }
    }
    fs::current_path(Directory, code);
    if (code) {
        error = "cannot enter the playback's directory";
        LeaveReplayDirectory();
        return false;
    }
    return true;
}

void LeaveReplayDirectory() {
    std::error_code code;
    if (!HomeDirectory.empty())
        fs::current_path(HomeDirectory, code);
    if (!Directory.empty())
        fs::remove_all(Directory, code);
    Directory.clear();
}

void BeginPlayback(const ReplayRecord& replay, PlaybackHooks hooks) {
    Replay = replay;
    Hooks = hooks;
    NextEvent = 0;
    Ticks = 0;
    TicksLeftInRun = 0;
    Status = PlaybackGoing;
    DesyncTick = 0;
    DesyncReason.clear();
    // New games are for the players the run began with.
    PlayersChosen = replay.players == 2 ? 2 : 1;
    PlayersQuestionOffered = replay.formatVersion >= TwoPlayersReplayFormatVersion;
    // Esc opened the menu in the run when it did open there.
    EscapeOpensMenu = replay.formatVersion >= MenuReplayFormatVersion;
    if (replay.formatVersion >= MenuRowsReplayFormatVersion)
        MenuHostRows = replay.menuRows;
    StartPending = replay.formatVersion == GameReplayFormatVersion;
    if (StartPending) {
        PlayersChosen = replay.gameStart.players;
        PlayersQuestionOffered = replay.gameStart.questionOffered;
        EscapeOpensMenu = replay.gameStart.escapeOpensMenu;
    }
    InputReplayed = true;
    Hooks.setKeys(std::bitset<256>());
}

PlaybackStatus PlayNextTick() {
    if (StartPending && Status == PlaybackGoing) {
        StartPending = false;
        PutGameStartInForce(Replay.gameStart);
    }
    while (Status == PlaybackGoing) {
        if (TicksLeftInRun > 0) {
            --TicksLeftInRun;
            ++Ticks;
            Deliver(platform::WM_TIMER, BattleTimer, 0);
            return Status;
        }
        if (NextEvent == Replay.events.size()) {
            uint32_t sum = GameStateChecksum();
            if (sum != Replay.finalChecksum)
                Desync("the state at the end differs (checksum " + Hex(sum) + ", recorded " +
                       Hex(Replay.finalChecksum) + ")");
            else
                Status = PlaybackSame;
            return Status;
        }
        const ReplayEvent& event = Replay.events[NextEvent++];
        switch (event.op) {
            case ReplayTicks:
                TicksLeftInRun = event.count;
                break;
            case ReplayKeys:
                Hooks.setKeys(event.keys);
                break;
            case ReplayKeyDown:
                Deliver(platform::WM_KEYDOWN, event.value, 0);
                break;
            case ReplayMouse:
                Deliver(platform::WM_MOUSEMOVE, 0,
                        intptr_t((uint32_t(event.y) << 16) | uint32_t(event.x)));
                break;
            case ReplaySize:
                Deliver(platform::WM_SIZE, event.value, 0);
                break;
            case ReplayActivate:
                Deliver(platform::WM_ACTIVATE, event.value, 0);
                break;
            case ReplayClose:
                Deliver(platform::WM_CLOSE, 0, 0);
                break;
            case ReplayBox:
                Desync("a box that the recording answered did not open");
                break;
            case ReplayText:
                Desync("the game did not read the text the recording gave it");
                break;
            case ReplayCheck: {
                uint32_t sum = GameStateChecksum();
                if (sum != event.value)
                    Desync("the state differs (checksum " + Hex(sum) + ", recorded " +
                           Hex(event.value) + ")");
                break;
            }
            default:
                break;
        }
    }
    return Status;
}

void ExtendPlayback(const ReplayRecord& longer) {
    for (size_t i = Replay.events.size(); i < longer.events.size(); ++i)
        Replay.events.push_back(longer.events[i]);
    Replay.totalTicks = longer.totalTicks;
    Replay.finalChecksum = longer.finalChecksum;
}

PlaybackStatus PlaybackState() {
    return Status;
}

int PlaybackBoxAnswer(uint32_t boxType) {
    bool yesNo = (boxType & 0xF) == platform::MB_YESNO;
    int fallback = yesNo ? platform::IDNO : platform::IDOK;
    if (Status != PlaybackGoing || StartPending)
        return fallback;
    if (NextEvent == Replay.events.size() || Replay.events[NextEvent].op != ReplayBox) {
        Desync("a box opened that the recording does not have");
        return fallback;
    }
    int answer = int(Replay.events[NextEvent++].value);
    if (yesNo != (answer != platform::IDOK)) {
        Desync(std::string("a box asks ") + (yesNo ? "yes or no" : "for OK") +
               " but the recording answered it otherwise");
        return fallback;
    }
    return answer;
}

std::string PlaybackTextRead() {
    if (Status != PlaybackGoing || StartPending)
        return "";
    if (NextEvent == Replay.events.size() || Replay.events[NextEvent].op != ReplayText) {
        Desync("the game read a text (the clipboard, a drop) that the recording does not have");
        return "";
    }
    return Replay.events[NextEvent++].text;
}

uint32_t PlaybackTicks() {
    return Ticks;
}
uint32_t PlaybackTotalTicks() {
    return Replay.totalTicks;
}
uint32_t PlaybackDesyncTick() {
    return DesyncTick;
}
const std::string& PlaybackDesyncReason() {
    return DesyncReason;
}

void ResetPlayback() {
    if (!Directory.empty())
        LeaveReplayDirectory();
    HomeDirectory.clear();
    Replay = ReplayRecord{};
    Hooks = PlaybackHooks{};
    NextEvent = 0;
    Ticks = 0;
    TicksLeftInRun = 0;
    Status = PlaybackSame;
    DesyncTick = 0;
    DesyncReason.clear();
    StartPending = false;
}
