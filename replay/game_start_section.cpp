// The bytes of a game's start in a game's replay: a strict writer and reader.
#include "replay/game_start_section.h"

#include "levels/level_grid.h"

namespace {

enum : uint8_t { MenuFlag = 1, QuestionFlag = 2 };
enum : uint8_t { BuiltInLevelsKind = 0, OwnLevelsKind = 1 };

// The brushes the editor's digit keys choose; no other brush can be in force.
bool KnownBrush(int32_t brush) {
    for (int32_t code : {Brick, Stone, Grass, Ice, Base, Sand, Water})
        if (brush == code)
            return true;
    return false;
}

bool ReadUpTo(ByteReader& in, uint32_t low, uint32_t high, int32_t& value, const char* what) {
    uint32_t raw = 0;
    if (!in.Varint(raw))
        return false;
    if (raw < low || raw > high)
        return in.Fail(std::string(what) + " out of its range");
    value = int32_t(raw);
    return true;
}

bool ReadFlags(ByteReader& in, ReplayGameStart& start) {
    uint8_t flags = 0;
    if (!in.Byte(flags))
        return false;
    if (flags > (MenuFlag | QuestionFlag))
        return in.Fail("unknown flags of a game's start");
    start.escapeOpensMenu = flags & MenuFlag;
    start.questionOffered = flags & QuestionFlag;
    return true;
}

bool ReadLevels(ByteReader& in, ReplayGameStart& start) {
    uint8_t kind = 0;
    if (!in.Byte(kind))
        return false;
    if (kind > OwnLevelsKind)
        return in.Fail("an unknown kind of levels");
    start.builtInLevels = kind == BuiltInLevelsKind;
    start.levels.clear();
    if (start.builtInLevels)
        return true;
    // Any values, as a map file may give them: the rules take every code.
    if (in.Left() < size_t(LevelSetSize))
        return in.Fail(in.endsEarly);
    start.levels.resize(LevelSetSize);
    for (int32_t& value : start.levels)
        if (!in.Signed(value))
            return false;
    return true;
}

bool ReadGameValues(ByteReader& in, ReplayGameStart& start) {
    if (!ReadUpTo(in, 0, LevelCount - 1, start.levelIndex, "the level of a game's start") ||
        !in.Byte(start.players))
        return false;
    if (start.players != 1 && start.players != 2)
        return in.Fail("an unknown number of players");
    uint8_t sound = 0;
    if (!in.U32(start.generator) || !in.Byte(sound))
        return false;
    if (sound > 1)
        return in.Fail("a sound that is neither on nor off");
    start.sound = sound == 1;
    return true;
}

bool ReadRunValues(ByteReader& in, ReplayGameStart& start) {
    uint8_t latches = 0;
    if (!ReadUpTo(in, 0, 0xFFFF, start.mouseX, "the mouse") ||
        !ReadUpTo(in, 0, 0xFFFF, start.mouseY, "the mouse") || !in.Byte(latches))
        return false;
    if (latches > 3)
        return in.Fail("unknown lock latches");
    start.lockLatches[0] = latches & 1;
    start.lockLatches[1] = latches & 2;
    if (!ReadUpTo(in, 0, INT32_MAX, start.brush, "the brush"))
        return false;
    if (!KnownBrush(start.brush))
        return in.Fail("a brush the editor has not");
    // Far below the top, so that the counts go on rising without wrapping.
    return ReadUpTo(in, 1, MaxStartCount, start.gamesStarted, "the games started") &&
           ReadUpTo(in, 1, MaxStartCount, start.levelsStarted, "the levels started");
}

}  // namespace

void PutGameStart(std::string& out, const ReplayGameStart& start) {
    PutVarint(out, start.tick);
    out +=
        char((start.escapeOpensMenu ? MenuFlag : 0) | (start.questionOffered ? QuestionFlag : 0));
    out += char(start.builtInLevels ? BuiltInLevelsKind : OwnLevelsKind);
    if (!start.builtInLevels)
        for (int32_t value : start.levels)
            PutSigned(out, value);
    PutVarint(out, uint32_t(start.levelIndex));
    out += char(start.players);
    PutU32(out, start.generator);
    out += char(start.sound ? 1 : 0);
    PutVarint(out, uint32_t(start.mouseX));
    PutVarint(out, uint32_t(start.mouseY));
    out += char((start.lockLatches[0] ? 1 : 0) | (start.lockLatches[1] ? 2 : 0));
    PutVarint(out, uint32_t(start.brush));
    PutVarint(out, uint32_t(start.gamesStarted));
    PutVarint(out, uint32_t(start.levelsStarted));
}

bool ReadGameStart(ByteReader& in, ReplayGameStart& start) {
    start = ReplayGameStart{};
    if (!in.Varint(start.tick))
        return false;
    if (start.tick > MaxGameStartTick)
        return in.Fail("a game's start after too many ticks");
    return ReadFlags(in, start) && ReadLevels(in, start) && ReadGameValues(in, start) &&
           ReadRunValues(in, start);
}
