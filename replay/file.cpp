// The replay file's bytes: a strict writer and reader (see
// docs/replay-format.md).
#include "replay/file.h"

#include "formats/byte_reader.h"
#include "levels/level_grid.h"
#include "platform/files.h"

namespace {

constexpr char Magic[4] = {'M', 'V', 'R', 'P'};
constexpr size_t MaxProgramVersionLength = 64;
constexpr uint32_t MaxRawMapBytes = 1u << 20;
constexpr uint32_t MaxRecordsRefusalBytes = 4096;

void PutRecords(std::string& out, const RecordsRecord& records) {
    PutVarint(out, uint32_t(records.highestLevel));
    PutVarint(out, uint32_t(records.gamesPlayed));
    PutVarint(out, uint32_t(records.gamesWon));
    for (const LevelRecordEntry& entry : records.levels) {
        PutVarint(out, uint32_t(entry.bestTicks));
        PutVarint(out, uint32_t(entry.fewestLost));
    }
}

// The shown options a file gives: version 3 all five; version 2 the status's
// place too, unless written before the status display existed.
uint32_t ShownOptionCount(const ReplayRecord& replay) {
    if (replay.formatVersion >= MenuRowsReplayFormatVersion)
        return 6;
    if (replay.formatVersion >= 3)
        return 5;
    return replay.statusPlaceKept ? 4 : 3;
}

void PutShownOptions(std::string& out, const ReplayRecord& replay) {
    PutVarint(out, ShownOptionCount(replay));
    PutVarint(out, ReplayLanguageOption);
    out += char(replay.language);
    PutVarint(out, ReplayRecordsOption);
    out += char(replay.recordsKind);
    if (replay.recordsKind == ReplayRecordsKept) {
        PutRecords(out, replay.records);
    } else if (replay.recordsKind == ReplayRecordsRefused) {
        PutVarint(out, uint32_t(replay.recordsRefusal.size()));
        out += replay.recordsRefusal;
    }
    PutVarint(out, ReplayIntroOption);
    out += char(replay.intro);
    if (replay.statusPlaceKept || replay.formatVersion >= 3) {
        PutVarint(out, ReplayStatusPlaceOption);
        out += char(replay.statusPlace);
    }
    if (replay.formatVersion >= 3) {
        PutVarint(out, ReplayPlayersOption);
        out += char(replay.players);
    }
    if (replay.formatVersion >= MenuRowsReplayFormatVersion) {
        PutVarint(out, ReplayMenuRowsOption);
        out += char(replay.menuRows);
    }
}

using Reader = ByteReader;

std::string Fault(const Reader& in) {
    return in.fault + " (at byte " + std::to_string(in.faultAt) + ")";
}

// A number of the records: at most `high`.
bool ReadBounded(Reader& in, uint32_t high, int32_t& value) {
    uint32_t raw = 0;
    if (!in.Varint(raw))
        return false;
    if (raw > high)
        return in.Fail("a record out of its range");
    value = int32_t(raw);
    return true;
}

// The records as the records file would hold them, with one form each.
bool ReadRecords(Reader& in, RecordsRecord& records) {
    if (!ReadBounded(in, LevelCount, records.highestLevel) ||
        !ReadBounded(in, INT32_MAX, records.gamesPlayed) ||
        !ReadBounded(in, INT32_MAX, records.gamesWon))
        return false;
    if (records.gamesWon > records.gamesPlayed)
        return in.Fail("more games won than played");
    for (int32_t level = 0; level < LevelCount; ++level) {
        LevelRecordEntry& entry = records.levels[level];
        if (!ReadBounded(in, INT32_MAX, entry.bestTicks) ||
            !ReadBounded(in, MaxRecordedTanksLost, entry.fewestLost))
            return false;
        if (entry.bestTicks == 0 ? entry.fewestLost != 0 : level + 1 > records.highestLevel)
            return in.Fail("a level's record that cannot be");
    }
    return true;
}

bool ReadRecordsOption(Reader& in, ReplayRecord& replay) {
    if (!in.Byte(replay.recordsKind))
        return false;
    if (replay.recordsKind == ReplayRecordsKept)
        return ReadRecords(in, replay.records);
    if (replay.recordsKind != ReplayRecordsRefused)
        return replay.recordsKind == ReplayNoRecords || in.Fail("an unknown kind of records");
    uint32_t length = 0;
    if (!in.Varint(length))
        return false;
    if (length > MaxRecordsRefusalBytes || in.Left() < length)
        return in.Fail("the records' refusal does not fit");
    replay.recordsRefusal = in.bytes.substr(in.at, length);
    in.at += length;
    return true;
}

// The shown options of a version 2 or 3 file: every key its version knows, in
// increasing order (so that one run has one file). Version 2 files written
// before the status display existed stop after the start (key 3): they
// showed none.
bool ReadShownOptions(Reader& in, ReplayRecord& replay) {
    uint32_t count = 0;
    if (!in.Varint(count))
        return false;
    const uint32_t expected = replay.formatVersion >= 3 ? ShownOptionCount(replay) : 4;
    if (count != expected && (replay.formatVersion >= 3 || count != 3))
        return in.Fail("not every shown option is given");
    replay.statusPlaceKept = count >= 4;
    replay.statusPlace = ReplayStatusOff;
    uint32_t previous = 0;
    for (uint32_t k = 0; k < count; ++k) {
        uint32_t key = 0;
        if (!in.Varint(key))
            return false;
        if (key <= previous)
            return in.Fail("shown options out of order");
        if (key != k + 1)
            return in.Fail("not every shown option is given");
        previous = key;
        if (key == ReplayLanguageOption) {
            if (!in.Byte(replay.language))
                return false;
            if (replay.language > 1)
                return in.Fail("an unknown language");
        } else if (key == ReplayRecordsOption) {
            if (!ReadRecordsOption(in, replay))
                return false;
        } else if (key == ReplayIntroOption) {
            if (!in.Byte(replay.intro))
                return false;
            const uint8_t known = replay.formatVersion >= SoundGivenReplayFormatVersion ? 4 : 2;
            if (replay.intro > known)
                return in.Fail("an unknown kind of start");
            // A game's replay starts short: its state is put in force after.
            if (replay.formatVersion == GameReplayFormatVersion && replay.intro != 1 &&
                replay.intro != 2)
                return in.Fail("a game's replay that does not start short");
        } else if (key == ReplayStatusPlaceOption) {
            if (!in.Byte(replay.statusPlace))
                return false;
            if (replay.statusPlace > 3)
                return in.Fail("an unknown place of the status");
        } else if (key == ReplayPlayersOption && replay.formatVersion >= 3) {
            if (!in.Byte(replay.players))
                return false;
            if (replay.players != 1 && replay.players != 2)
                return in.Fail("an unknown number of players");
        } else if (key == ReplayMenuRowsOption &&
                   replay.formatVersion >= MenuRowsReplayFormatVersion) {
            if (!in.Byte(replay.menuRows))
                return false;
            if (replay.menuRows > 3)
                return in.Fail("unknown rows of the menu");
        } else {
            return in.Fail("an unknown shown option");
        }
    }
    return true;
}

// The map file's data, by its kind.
bool ReadMapFile(Reader& in, ReplayRecord& replay) {
    if (replay.mapFileKind == LevelSetMapFile) {
        replay.mapLevels.resize(LevelSetSize);
        for (int32_t& value : replay.mapLevels)
            if (!in.Signed(value))
                return false;
    }
    if (replay.mapFileKind == RawMapFile) {
        uint32_t length = 0;
        if (!in.Varint(length))
            return false;
        if (length > MaxRawMapBytes)
            return in.Fail("the stored map file does not fit");
        if (in.Left() < length)
            return in.Fail(in.endsEarly);
        replay.mapBytes = in.bytes.substr(in.at, length);
        in.at += length;
    }
    return true;
}

std::string OpName(uint8_t op) {
    return "event " + std::to_string(op);
}

// What the events read so far say about those still to come.
struct RunSoFar {
    uint32_t first = 0;     // the session's ticks before a game's replay
    uint32_t ticks = 0;     // the session's ticks so far
    bool checkDue = false;  // a checksum must come next (after any box answers)
    int32_t mouseX = 0;     // mouse positions are told as moves from the last
    int32_t mouseY = 0;
};

// A run of ticks never passes a checksum's place.
bool ReadTicks(Reader& in, RunSoFar& run, ReplayEvent& event) {
    if (!in.Varint(event.count))
        return false;
    uint32_t toCheck = ReplayCheckInterval - run.ticks % ReplayCheckInterval;
    if (event.count == 0 || event.count > toCheck)
        return in.Fail("a run of " + std::to_string(event.count) + " ticks after tick " +
                       std::to_string(run.ticks));
    run.ticks += event.count;
    run.checkDue = run.ticks % ReplayCheckInterval == 0;
    return true;
}

bool ReadKeys(Reader& in, ReplayEvent& event) {
    uint32_t count = 0;
    if (!in.Varint(count))
        return false;
    if (count > 256)
        return in.Fail("too many keys");
    int previous = -1;
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t key = 0;
        if (!in.Byte(key))
            return false;
        if (int(key) <= previous)
            return in.Fail("keys out of order");
        previous = key;
        event.keys.set(key);
    }
    return true;
}

bool ReadKeyDown(Reader& in, ReplayEvent& event) {
    uint8_t key = 0;
    if (!in.Byte(key))
        return false;
    if (key == 0 || key == 0xFF)
        return in.Fail("a key-down of no key");
    event.value = key;
    return true;
}

bool ReadMouse(Reader& in, RunSoFar& run, ReplayEvent& event) {
    int32_t dx = 0, dy = 0;
    if (!in.Signed(dx) || !in.Signed(dy))
        return false;
    int64_t x = int64_t(run.mouseX) + dx;
    int64_t y = int64_t(run.mouseY) + dy;
    if (x < 0 || x > 0xFFFF || y < 0 || y > 0xFFFF)
        return in.Fail("a mouse position off the 16-bit range");
    run.mouseX = event.x = int32_t(x);
    run.mouseY = event.y = int32_t(y);
    return true;
}

// A size or an activate message's value.
bool ReadWindowValue(Reader& in, ReplayEvent& event) {
    uint8_t value = 0;
    if (!in.Byte(value))
        return false;
    if ((event.op == ReplaySize && value > 4) || (event.op == ReplayActivate && value > 2))
        return in.Fail("a window message of no known kind");
    event.value = value;
    return true;
}

bool ReadBoxAnswer(Reader& in, ReplayEvent& event) {
    uint8_t answer = 0;
    if (!in.Byte(answer))
        return false;
    if (answer != 1 && answer != 6 && answer != 7)
        return in.Fail("a box answer that is not OK, Yes or No");
    event.value = answer;
    return true;
}

bool ReadCheck(Reader& in, RunSoFar& run, ReplayEvent& event) {
    if (!run.checkDue)
        return in.Fail("a checksum out of place after tick " + std::to_string(run.ticks));
    run.checkDue = false;
    if (!in.U32(event.value))
        return false;
    event.count = run.ticks - run.first;
    return true;
}

// The end names the run's ticks and the final checksum, and nothing follows.
bool ReadEnd(Reader& in, const RunSoFar& run, ReplayRecord& replay) {
    uint32_t total = 0;
    if (!in.Varint(total) || !in.U32(replay.finalChecksum))
        return false;
    const uint32_t ticks = run.ticks - run.first;
    if (total != ticks)
        return in.Fail("the end names " + std::to_string(total) + " ticks, the run has " +
                       std::to_string(ticks));
    replay.totalTicks = total;
    if (in.at != in.end)
        return in.Fail("bytes follow the end");
    return true;
}

bool ReadText(Reader& in, ReplayEvent& event) {
    uint32_t length = 0;
    if (!in.Varint(length))
        return false;
    if (length > MaxReplayTextBytes || length > in.Left())
        return in.Fail(length > MaxReplayTextBytes ? "a text is too long"
                                                   : "the file ends too early");
    event.text.assign(in.bytes, in.at, length);
    in.at += length;
    return true;
}

// What follows an event's op byte.
bool ReadEventBody(Reader& in, RunSoFar& run, ReplayEvent& event) {
    switch (event.op) {
        case ReplayTicks:
            return ReadTicks(in, run, event);
        case ReplayKeys:
            return ReadKeys(in, event);
        case ReplayKeyDown:
            return ReadKeyDown(in, event);
        case ReplayMouse:
            return ReadMouse(in, run, event);
        case ReplaySize:
        case ReplayActivate:
            return ReadWindowValue(in, event);
        case ReplayClose:
            return true;
        case ReplayBox:
            return ReadBoxAnswer(in, event);
        case ReplayCheck:
            return ReadCheck(in, run, event);
        case ReplayText:
            return ReadText(in, event);
        default:
            return in.Fail("unknown " + OpName(event.op));
    }
}

// The events to the end event; or, for a file still being written (`open`),
// as many whole events as there are, the run's ticks so far in totalTicks
// and where they end in `used`.
bool ReadEvents(Reader& in, ReplayRecord& replay, bool open, size_t* used) {
    RunSoFar run;
    if (replay.formatVersion == GameReplayFormatVersion)
        run.first = run.ticks = replay.gameStart.tick;
    for (;;) {
        const size_t start = in.at;
        if (open) {
            *used = start;
            replay.totalTicks = run.ticks - run.first;
            if (in.Left() == 0)
                return true;
        }
        uint8_t op = 0;
        if (!in.Byte(op))
            return false;
        // The checksum is of the state after the whole tick: the answers of the
        // boxes that tick opened come before it.
        if (run.checkDue && op != ReplayCheck && op != ReplayBox)
            return in.Fail("a checksum is missing after tick " + std::to_string(run.ticks));
        if (op == ReplayEnd && !open)
            return ReadEnd(in, run, replay);
        if (op == ReplayEnd)
            return in.Fail("a file still being written has an end");
        ReplayEvent event;
        event.op = op;
        if (!ReadEventBody(in, run, event))
            return open && in.fault == in.endsEarly;
        replay.events.push_back(event);
    }
}

}  // namespace

uint32_t LevelSetHash(const std::vector<int32_t>& levels) {
    uint32_t hash = 2166136261u;
    for (int32_t value : levels) {
        for (int i = 0; i < 4; ++i) {
            hash ^= (uint32_t(value) >> (8 * i)) & 0xFF;
            hash *= 16777619u;
        }
    }
    return hash;
}

void AppendTicks(ReplayRecord& replay, uint32_t count) {
    while (count > 0) {
        uint32_t room = ReplayCheckInterval - replay.totalTicks % ReplayCheckInterval;
        uint32_t step = count < room ? count : room;
        bool merge = !replay.events.empty() && replay.events.back().op == ReplayTicks &&
                     replay.totalTicks % ReplayCheckInterval != 0;
        if (merge) {
            replay.events.back().count += step;
        } else {
            ReplayEvent event;
            event.op = ReplayTicks;
            event.count = step;
            replay.events.push_back(event);
        }
        replay.totalTicks += step;
        count -= step;
        // The caller adds the checksum; more ticks may follow only after it.
        if (count > 0 && replay.totalTicks % ReplayCheckInterval == 0)
            break;
    }
}

void AppendEvent(ReplayRecord& replay, const ReplayEvent& event) {
    replay.events.push_back(event);
}

std::string EncodeReplayStart(const ReplayRecord& replay, size_t eventCount) {
    std::string out(Magic, sizeof Magic);
    PutVarint(out, replay.formatVersion);
    PutVarint(out, uint32_t(replay.programVersion.size()));
    out += replay.programVersion;
    PutU32(out, replay.seed);
    PutU32(out, replay.builtInLevelsHash);
    out += char(replay.mapFileKind);
    if (replay.mapFileKind == LevelSetMapFile) {
        for (int32_t value : replay.mapLevels)
            PutSigned(out, value);
    } else if (replay.mapFileKind == RawMapFile) {
        PutVarint(out, uint32_t(replay.mapBytes.size()));
        out += replay.mapBytes;
    }
    if (replay.formatVersion >= 2)
        PutShownOptions(out, replay);
    if (replay.formatVersion == GameReplayFormatVersion)
        PutGameStart(out, replay.gameStart);
    int32_t mouseX = 0;
    int32_t mouseY = 0;
    for (size_t i = 0; i < eventCount && i < replay.events.size(); ++i) {
        const ReplayEvent& event = replay.events[i];
        out += char(event.op);
        switch (event.op) {
            case ReplayTicks:
                PutVarint(out, event.count);
                break;
            case ReplayKeys:
                PutVarint(out, uint32_t(event.keys.count()));
                for (int key = 0; key < 256; ++key)
                    if (event.keys.test(key))
                        out += char(key);
                break;
            case ReplayKeyDown:
            case ReplaySize:
            case ReplayActivate:
            case ReplayBox:
                out += char(event.value);
                break;
            case ReplayMouse:
                PutSigned(out, event.x - mouseX);
                PutSigned(out, event.y - mouseY);
                mouseX = event.x;
                mouseY = event.y;
                break;
            case ReplayCheck:
                PutU32(out, event.value);
                break;
            case ReplayText:
                PutVarint(out, uint32_t(event.text.size()));
                out += event.text;
                break;
            default:
                break;
        }
    }
    return out;
}

std::string EncodeReplay(const ReplayRecord& replay) {
    std::string out = EncodeReplayStart(replay, replay.events.size());
    out += char(ReplayEnd);
    PutVarint(out, replay.totalTicks);
    PutU32(out, replay.finalChecksum);
    return out;
}

namespace {

// The magic, versions, seed, levels, map file and shown options; `in` is
// then at the first event.
ReplayReadResult ReadHeader(Reader& in, ReplayRecord& replay, std::string& error) {
    const std::string& bytes = in.bytes;
    if (bytes.size() < sizeof Magic || bytes.compare(0, sizeof Magic, Magic, sizeof Magic) != 0) {
        error = "not a replay file";
        return ReplayNotAReplay;
    }
    in.at = sizeof Magic;
    if (!in.Varint(replay.formatVersion)) {
        error = "not a replay file: " + Fault(in);
        return ReplayNotAReplay;
    }
    if (replay.formatVersion < OldestReplayFormatVersion ||
        replay.formatVersion > ReplayFormatVersion) {
        error = "a replay of format version " + std::to_string(replay.formatVersion) +
                "; this program reads versions " + std::to_string(OldestReplayFormatVersion) +
                " to " + std::to_string(ReplayFormatVersion);
        return ReplayWrongVersion;
    }
    bool ok = true;
    uint32_t length = 0;
    ok = in.Varint(length);
    if (ok && length > MaxProgramVersionLength)
        ok = in.Fail("the program version is too long");
    if (ok && in.Left() < length)
        ok = in.Fail(in.endsEarly);
    if (ok) {
        replay.programVersion = bytes.substr(in.at, length);
        in.at += length;
        for (char c : replay.programVersion)
            if (c < 0x20 || c > 0x7E)
                ok = in.Fail("the program version is not plain text");
    }
    ok = ok && in.U32(replay.seed) && in.U32(replay.builtInLevelsHash) &&
         in.Byte(replay.mapFileKind);
    if (ok && replay.mapFileKind > RawMapFile)
        ok = in.Fail("an unknown kind of map file");
    ok = ok && ReadMapFile(in, replay);
    if (ok && replay.formatVersion >= 2)
        ok = ReadShownOptions(in, replay);
    if (ok && replay.formatVersion == GameReplayFormatVersion)
        ok = ReadGameStart(in, replay.gameStart);
    if (!ok) {
        error = "a damaged replay: " + Fault(in);
        return ReplayNotAReplay;
    }
    return ReplayRead;
}

}  // namespace

ReplayReadResult DecodeReplay(const std::string& bytes, ReplayRecord& replay, std::string& error) {
    replay = ReplayRecord{};
    Reader in{.bytes = bytes, .at = 0, .end = bytes.size(), .endsEarly = "the file ends too early"};
    const ReplayReadResult header = ReadHeader(in, replay, error);
    if (header != ReplayRead)
        return header;
    if (!ReadEvents(in, replay, false, nullptr)) {
        error = "a damaged replay: " + Fault(in);
        return ReplayNotAReplay;
    }
    return ReplayRead;
}

ReplayReadResult DecodeReplayStart(const std::string& bytes, ReplayRecord& replay, size_t& used,
                                   std::string& error) {
    replay = ReplayRecord{};
    used = 0;
    Reader in{.bytes = bytes, .at = 0, .end = bytes.size(), .endsEarly = "the file ends too early"};
    // Too few bytes yet to tell: the magic's first bytes, or a header cut short.
    if (bytes.size() < sizeof Magic && bytes.compare(0, bytes.size(), Magic, bytes.size()) == 0)
        return ReplayRead;
    const ReplayReadResult header = ReadHeader(in, replay, error);
    if (header == ReplayNotAReplay && in.fault == in.endsEarly) {
        error.clear();
        replay = ReplayRecord{};
        return ReplayRead;
    }
    if (header != ReplayRead)
        return header;
    if (!ReadEvents(in, replay, true, &used)) {
        error = "a damaged replay: " + Fault(in);
        return ReplayNotAReplay;
    }
    return ReplayRead;
}

bool ReadReplayFile(const std::string& path, std::string& bytes) {
    return platform::ReadSmallFile(path.c_str(), MaxReplayFileBytes, bytes);
}
