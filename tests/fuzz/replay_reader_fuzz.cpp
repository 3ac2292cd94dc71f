// libFuzzer target of the replay file's reader: any bytes as a .mvr file
// from another player. A file the reader takes must write back to the very
// same bytes, a refused one must say why; and a replay made from the same
// bytes by the recorder's own calls must write a file that reads back equal.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "levels/level_grid.h"
#include "replay/file.h"

namespace {

bool SameEvent(const ReplayEvent& a, const ReplayEvent& b) {
    return a.op == b.op && a.count == b.count && a.value == b.value && a.x == b.x && a.y == b.y &&
           a.keys == b.keys && a.text == b.text;
}

bool SameReplay(const ReplayRecord& a, const ReplayRecord& b) {
    if (a.events.size() != b.events.size())
        return false;
    for (size_t k = 0; k < a.events.size(); ++k)
        if (!SameEvent(a.events[k], b.events[k]))
            return false;
    const ReplayGameStart& x = a.gameStart;
    const ReplayGameStart& y = b.gameStart;
    if (x.tick != y.tick || x.escapeOpensMenu != y.escapeOpensMenu ||
        x.questionOffered != y.questionOffered || x.builtInLevels != y.builtInLevels ||
        x.levels != y.levels || x.levelIndex != y.levelIndex || x.players != y.players ||
        x.generator != y.generator || x.sound != y.sound || x.mouseX != y.mouseX ||
        x.mouseY != y.mouseY || x.lockLatches[0] != y.lockLatches[0] ||
        x.lockLatches[1] != y.lockLatches[1] || x.brush != y.brush ||
        x.gamesStarted != y.gamesStarted || x.levelsStarted != y.levelsStarted)
        return false;
    return a.formatVersion == b.formatVersion && a.programVersion == b.programVersion &&
           a.seed == b.seed && a.builtInLevelsHash == b.builtInLevelsHash &&
           a.mapFileKind == b.mapFileKind && a.mapLevels == b.mapLevels &&
           a.mapBytes == b.mapBytes && a.totalTicks == b.totalTicks && a.menuRows == b.menuRows &&
           a.finalChecksum == b.finalChecksum;
}

// A game's start within its ranges: the state it stands for can only be a
// new game's (docs/replay-format.md, "A game's replay").
bool GameStartRecordable(const ReplayRecord& replay) {
    const ReplayGameStart& start = replay.gameStart;
    const bool brush = start.brush == 1 || (start.brush >= 7 && start.brush <= 12);
    return (replay.intro == 1 || replay.intro == 2) && start.tick <= MaxGameStartTick &&
           start.levels.size() == (start.builtInLevels ? 0u : size_t(LevelSetSize)) &&
           start.levelIndex >= 0 && start.levelIndex < LevelCount &&
           (start.players == 1 || start.players == 2) && start.mouseX >= 0 &&
           start.mouseX <= 0xFFFF && start.mouseY >= 0 && start.mouseY <= 0xFFFF && brush &&
           start.gamesStarted >= 1 && start.levelsStarted >= 1 &&
           uint32_t(start.gamesStarted) <= MaxStartCount &&
           uint32_t(start.levelsStarted) <= MaxStartCount;
}

// What the format allows (docs/replay-format.md), checked of a replay that
// was read: a reader that lets a value slip past its range is wrong even
// when the value writes back to the same bytes.
bool Recordable(const ReplayRecord& replay) {
    if (replay.programVersion.size() > 64 || replay.mapFileKind > RawMapFile ||
        replay.mapBytes.size() > (1u << 20) ||
        replay.mapLevels.size() != (replay.mapFileKind == LevelSetMapFile ? 5775u : 0u))
        return false;
    for (char c : replay.programVersion)
        if (c < 0x20 || c > 0x7E)
            return false;
    const bool game = replay.formatVersion == GameReplayFormatVersion;
    if (game && !GameStartRecordable(replay))
        return false;
    // A game's checksums stand where its session had them.
    const uint32_t first = game ? replay.gameStart.tick : 0;
    uint32_t ticks = first;
    bool checkDue = false;
    for (const ReplayEvent& e : replay.events) {
        // A checksum follows every 100th tick (after the answers of the boxes
        // that tick opened), and stands nowhere else.
        if (checkDue ? e.op != ReplayCheck && e.op != ReplayBox : e.op == ReplayCheck)
            return false;
        checkDue = checkDue && e.op == ReplayBox;
        bool fits = e.op == ReplayKeys || e.op == ReplayClose ||
                    (e.op == ReplayText && e.text.size() <= MaxReplayTextBytes);
        if (e.op != ReplayText && !e.text.empty())
            return false;
        if (e.op == ReplayTicks) {
            fits = e.count >= 1 && e.count <= 100 - ticks % 100;
            ticks += e.count;
            checkDue = ticks % 100 == 0;
        } else if (e.op == ReplayCheck) {
            fits = e.count == ticks - first;
        } else if (e.op == ReplayKeyDown) {
            fits = e.value >= 1 && e.value <= 254;
        } else if (e.op == ReplayMouse) {
            fits = e.x >= 0 && e.x <= 0xFFFF && e.y >= 0 && e.y <= 0xFFFF;
        } else if (e.op == ReplaySize || e.op == ReplayActivate) {
            fits = e.value <= (e.op == ReplaySize ? 4u : 2u);
        } else if (e.op == ReplayBox) {
            fits = e.value == 1 || e.value == 6 || e.value == 7;
        }
        if (!fits)
            return false;
    }
    return !checkDue && ticks - first == replay.totalTicks;
}

ReplayEvent MakeEvent(uint8_t op, FuzzedDataProvider& in) {
    ReplayEvent event;
    event.op = op;
    switch (op) {
        case ReplayKeys:
            for (int n = in.ConsumeIntegralInRange(0, 8); n > 0; --n)
                event.keys.set(in.ConsumeIntegral<uint8_t>());
            if (in.ConsumeBool())
                event.keys.set(in.PickValueInArray({0, 255}));
            break;
        case ReplayKeyDown:
            event.value = in.ConsumeIntegralInRange(1, 254);
            break;
        case ReplayMouse:
            event.x = in.ConsumeIntegralInRange(0, 0xFFFF);
            event.y = in.ConsumeIntegralInRange(0, 0xFFFF);
            break;
        case ReplaySize:
            event.value = in.ConsumeIntegralInRange(0, 4);
            break;
        case ReplayActivate:
            event.value = in.ConsumeIntegralInRange(0, 2);
            break;
        case ReplayBox:
            event.value = in.PickValueInArray({1, 6, 7});
            break;
        case ReplayText:
            event.text = in.ConsumeRandomLengthString(64);
            break;
        default:
            break;
    }
    return event;
}

// Ticks as the recorder adds them, each run that reaches a checksum's place
// followed by the boxes its last tick opened and its checksum.
void AddTicks(ReplayRecord& replay, uint32_t count, FuzzedDataProvider& in) {
    while (count > 0) {
        const uint32_t before = replay.totalTicks;
        AppendTicks(replay, count);
        count -= replay.totalTicks - before;
        if (replay.totalTicks % ReplayCheckInterval == 0) {
            for (int boxes = in.ConsumeIntegralInRange(0, 3) - 1; boxes > 0; --boxes)
                AppendEvent(replay, MakeEvent(ReplayBox, in));
            ReplayEvent check;
            check.op = ReplayCheck;
            check.value = in.ConsumeIntegral<uint32_t>();
            check.count = replay.totalTicks;
            AppendEvent(replay, check);
        }
    }
}

// A replay the game could have recorded, its choices taken from the bytes.
ReplayRecord MadeReplay(FuzzedDataProvider& in) {
    ReplayRecord replay;
    const size_t versionLength = in.ConsumeIntegralInRange<size_t>(0, 64);
    for (size_t k = 0; k < versionLength; ++k)
        replay.programVersion += char(in.ConsumeIntegralInRange(0x20, 0x7E));
    replay.seed = in.ConsumeIntegral<uint32_t>();
    replay.builtInLevelsHash = in.ConsumeIntegral<uint32_t>();
    replay.mapFileKind = in.ConsumeIntegralInRange<uint8_t>(NoMapFile, RawMapFile);
    if (replay.mapFileKind == LevelSetMapFile) {
        // A few values, repeated over the whole set, the extremes among them.
        const int32_t values[4] = {in.ConsumeIntegral<int32_t>(), in.ConsumeIntegral<int32_t>(),
                                   INT32_MIN, INT32_MAX};
        replay.mapLevels.resize(LevelSetSize);
        for (size_t k = 0; k < replay.mapLevels.size(); ++k)
            replay.mapLevels[k] = values[k * 7 % 11 % 4];
    } else if (replay.mapFileKind == RawMapFile) {
        replay.mapBytes = in.ConsumeRandomLengthString(4096);
    }
    // A game's replay, begun at a checksum's place so that the recorder's
    // runs of ticks fall as the session's did.
    // A run whose menu had Play online names the rows it had.
    if (in.ConsumeBool()) {
        replay.formatVersion = MenuRowsReplayFormatVersion;
        replay.menuRows = in.ConsumeIntegralInRange<uint8_t>(0, 3);
    }
    if (in.ConsumeBool()) {
        replay.formatVersion = GameReplayFormatVersion;
        replay.intro = in.ConsumeIntegralInRange<uint8_t>(1, 2);
        ReplayGameStart& start = replay.gameStart;
        start.tick = in.ConsumeIntegralInRange<uint32_t>(0, 1000) * ReplayCheckInterval;
        start.builtInLevels = in.ConsumeBool();
        if (!start.builtInLevels)
            start.levels.assign(LevelSetSize, in.ConsumeIntegral<int32_t>());
        start.levelIndex = in.ConsumeIntegralInRange(0, LevelCount - 1);
        start.players = in.ConsumeIntegralInRange<uint8_t>(1, 2);
        start.generator = in.ConsumeIntegral<uint32_t>();
        start.mouseX = in.ConsumeIntegralInRange(0, 0xFFFF);
        start.brush = in.PickValueInArray({1, 7, 8, 9, 10, 11, 12});
        start.gamesStarted = in.ConsumeIntegralInRange(1, int32_t(MaxStartCount));
    }
    // A few hundred events meet every rule of the file; more only cost time.
    while (in.remaining_bytes() > 0 && replay.events.size() < 300) {
        uint8_t op = in.ConsumeIntegralInRange<uint8_t>(ReplayTicks, ReplayText);
        if (op == ReplayCheck)
            op = ReplayText;  // checksums come only with their ticks
        if (op == ReplayTicks)
            AddTicks(replay, in.ConsumeIntegralInRange<uint32_t>(1, 1000), in);
        else
            AppendEvent(replay, MakeEvent(op, in));
    }
    replay.finalChecksum = in.ConsumeIntegral<uint32_t>();
    return replay;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ReplayRecord replay;
    std::string error;
    if (DecodeReplay(bytes, replay, error) == ReplayRead) {
        if (EncodeReplay(replay) != bytes || !Recordable(replay))
            std::abort();
    } else if (error.empty()) {
        std::abort();
    }

    // Read as a file still being written, it is refused with a reason or
    // reads as whole events that write back as the bytes they took.
    size_t used = 0;
    error.clear();
    if (DecodeReplayStart(bytes, replay, used, error) == ReplayRead) {
        if (used > bytes.size() ||
            (used > 0 && EncodeReplayStart(replay, replay.events.size()) != bytes.substr(0, used)))
            std::abort();
    } else if (error.empty()) {
        std::abort();
    }

    FuzzedDataProvider in(data, size);
    const ReplayRecord made = MadeReplay(in);
    ReplayRecord read;
    if (DecodeReplay(EncodeReplay(made), read, error) != ReplayRead || !SameReplay(made, read))
        std::abort();
    const size_t cut = made.events.size() / 2;
    if (DecodeReplayStart(EncodeReplayStart(made, cut), read, used, error) != ReplayRead ||
        read.events.size() != cut)
        std::abort();
    return 0;
}
