// Helpers for the unit tests: a fresh game on the headless backend, with its
// boxes and sound requests recorded.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "state/battle_state.h"
#include "state/state_fields.h"

struct RecordedBox {
    int64_t tick;
    std::string text;
    std::string caption;
    uint32_t type;
    int answer;
};

struct RecordedSound {
    int64_t tick;
    int id;
    bool interrupting;
    bool played;
};

extern std::vector<RecordedBox> Boxes;
extern std::vector<RecordedSound> Sounds;

// The headless backend and the program (ResetProgram), then records boxes and sounds
// from here on. Boxes get their default answers.
void ResetEverything();

// The bytes of a file, empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// ResetEverything, then the whole start-up with the given seed and sound
// answer, up to the first tick of level 1.
void StartGame(uint32_t seed = 1, bool sound = false);

// A level of nothing but empty ground, with the base and its bricks, as the
// working grid (for tests that place tanks and walls by hand).
void ClearWorkingGrid();
void SetCell(int32_t column, int32_t row, int32_t code);

// Steps n ticks of the virtual timer.
void Ticks(int n);

// A tank record for tests: an enemy of the given band standing at (x, y).
TankRecord TankAt(int32_t x, int32_t y, int32_t moveDir = Up);
// An enemy put on the field, with its list of bullets and counted there; the
// record as it stands in the list.
TankRecord& PutEnemy(const TankRecord& tank);
// The item `item` lying with its corner at (x, y).
void DropItem(int32_t item, int32_t x, int32_t y);
// A slow enemy of band 4 at (x, y) that never fires unless a test lets it.
TankRecord& PutPlainEnemy(int32_t x, int32_t y, int32_t moveDir);

// Walks fields through the field visitor (state/state_fields.h), calling
// onValue(path, field) for every number and bool and onList(path, list) for
// every list before its elements. A path names the field from the top:
// "Player.speed", "EnemyBulletLists.1.0.x".
template <typename OnValue, typename OnList>
struct FieldWalk {
    OnValue onValue;
    OnList onList;
    std::string path;

    template <typename Field>
    void operator()(const char* name, Field& field) {
        Enter(name, field);
    }
    template <typename Field>
    void Enter(const std::string& name, Field& field) {
        const size_t outer = path.size();
        path += path.empty() ? name : "." + name;
        if constexpr (std::is_integral_v<Field> || std::is_enum_v<Field>) {
            onValue(path, field);
        } else if constexpr (IsFieldList<Field>) {
            onList(path, field);
            for (size_t i = 0; i < field.size(); ++i)
                Enter(std::to_string(i), field[i]);
        } else {
            VisitFields(field, *this);
        }
        path.resize(outer);
    }
};
template <typename OnValue, typename OnList>
FieldWalk<OnValue, OnList> WalkWith(OnValue onValue, OnList onList) {
    return {onValue, onList, ""};
}

// Every number of BattleState and the lock key's latch by its path, and every
// list's length (path ".size").
std::map<std::string, int64_t> FlatBattleState();
// Changes every number of BattleState and the latch (one up; a bool flips)
// and adds an element to every list.
void ScrambleBattleState();
