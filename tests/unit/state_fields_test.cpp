// The one list of the state's fields: it names every member of the records,
// and every field it names counts in the replay checksum and the sim's dump.
#include <gtest/gtest.h>

#include <set>

#include "editor/painting.h"
#include "hosting/program_reset.h"
#include "levels/level_grid.h"
#include "programs/sim/state_json.h"
#include "replay/checksum.h"
#include "state/state_fields.h"
#include "tests/unit/test_support.h"

namespace {

// Converts to any member's type, so that `T{AnyField{}, ...}` compiles for as
// many initializers as the aggregate T has members, and no more.
struct AnyField {
    template <typename T>
    operator T() const;
};

template <typename T, typename... Fields>
constexpr size_t MemberCount() {
    if constexpr (requires { T{Fields{}..., AnyField{}}; })
        return MemberCount<T, Fields..., AnyField>();
    else
        return sizeof...(Fields);
}

// Where one walk's visits land.
struct Landing {
    const char* name;
    const char* at;
    size_t size;
};

template <typename Walk>
std::vector<Landing> Landings(Walk&& walk) {
    std::vector<Landing> landings;
    walk([&](const char* name, auto& field) {
        landings.push_back({name, reinterpret_cast<const char*>(&field), sizeof field});
    });
    return landings;
}

// The visits that touch the record: as many as it has members, each once,
// each inside it.
template <typename Record>
void ExpectEveryMemberVisited(const Record& record, const std::vector<Landing>& landings,
                              const std::string& what) {
    auto* base = reinterpret_cast<const char*>(&record);
    std::set<const char*> seen;
    size_t visits = 0;
    for (const Landing& field : landings) {
        if (field.at + field.size <= base || field.at >= base + sizeof record)
            continue;
        ++visits;
        EXPECT_TRUE(field.at >= base && field.at + field.size <= base + sizeof record)
            << what << "." << field.name;
        EXPECT_TRUE(seen.insert(field.at).second) << what << "." << field.name << " twice";
    }
    EXPECT_EQ(visits, MemberCount<Record>()) << what;
}

template <typename Record>
void ExpectEveryMemberVisited(const char* what) {
    Record record{};
    ExpectEveryMemberVisited(record, Landings([&](auto&& visit) { VisitFields(record, visit); }),
                             what);
}

// A state with two of every list, so that each element of a record list is
// there to be changed, and short grids: the consumers just run through them.
void BusyState(int32_t players = 1) {
    ResetProgram();
    BattleState.PlayerCount = players;
    if (players == 2)
        Players[1].bullets.resize(2);
    BattleState.EnemyList.resize(2);
    BattleState.EnemyBulletLists.assign(2, std::vector<Bullet>(2));
    Players[0].bullets.resize(2);
    BattleState.Effects.resize(2);
    WorkingGrid = {Brick, Stone};
    LevelSet = {Grass, Water};
}

// Changes the n-th number, bool or list length of the whole state (a list
// grows by one) and says which; empty when there are fewer than n + 1.
std::string ChangeField(int n) {
    int seen = 0;
    std::string changed;
    auto walk = WalkWith(
        [&](const std::string& path, auto& value) {
            using Value = std::remove_reference_t<decltype(value)>;
            if (seen++ == n) {
                value = std::is_same_v<Value, bool> ? Value(!value) : Value(value + 1);
                changed = path;
            }
        },
        [&](const std::string& path, auto& list) {
            if (seen++ == n) {
                list.emplace_back();
                changed = path + ".size";
            }
        });
    VisitStateFields(walk);
    VisitBrush(walk);
    return changed;
}

std::string Dump() {
    return StateLine(0) + LevelsLine(0);
}

}  // namespace

TEST(StateFields, TheVisitorsNameEveryMemberOfTheRecords) {
    ExpectEveryMemberVisited<TankRecord>("TankRecord");
    ExpectEveryMemberVisited<Bullet>("Bullet");
    ExpectEveryMemberVisited<Effect>("Effect");
    ExpectEveryMemberVisited<BattleStateRecord>("BattleStateRecord");
    // The sides are walked among the sections of the whole state.
    ResetProgram();
    BattleState.PlayerCount = 2;
    const std::vector<Landing> landings = Landings([](auto&& visit) { VisitStateFields(visit); });
    for (int side = 0; side < 2; ++side)
        ExpectEveryMemberVisited(Players[side], landings, "Players[" + std::to_string(side) + "]");
}

// Changes each field walked in turn; how many there were.
int CountFieldsThatCount(int32_t players) {
    BusyState(players);
    const uint32_t checksum = GameStateChecksum();
    const std::string dump = Dump();
    int fields = 0;
    for (;; ++fields) {
        BusyState(players);
        std::string changed = ChangeField(fields);
        if (changed.empty())
            break;
        EXPECT_NE(GameStateChecksum(), checksum) << changed;
        EXPECT_NE(Dump(), dump) << changed;
    }
    return fields;
}

TEST(StateFields, EveryFieldCountsInTheChecksumAndTheDump) {
    // Every section was walked: the run's 6 values, BattleState's own (all
    // but the 3 lists and the player count), the first side's (all but the
    // tank and the bullets), 3 tanks, 6 bullets, 2 explosions, 4 grid cells
    // and 8 list lengths.
    EXPECT_EQ(CountFieldsThatCount(1),
              6 + int(MemberCount<BattleStateRecord>() - 4) + int(MemberCount<PlayerSide>() - 2) +
                  3 * int(MemberCount<TankRecord>()) + 6 * int(MemberCount<Bullet>()) +
                  2 * int(MemberCount<Effect>()) + 4 + 8);
}

// With two players the player count and the second side count too: its
// values besides the tank and the bullets, the tank, 2 bullets and their
// list's length.
TEST(StateFields, TheSecondPlayersFieldsCountOnlyInAGameOfTwo) {
    EXPECT_EQ(CountFieldsThatCount(2),
              6 + int(MemberCount<BattleStateRecord>() - 3) +
                  2 * int(MemberCount<PlayerSide>() - 2) + 4 * int(MemberCount<TankRecord>()) +
                  8 * int(MemberCount<Bullet>()) + 2 * int(MemberCount<Effect>()) + 4 + 9);
    // One player: the same state with the second player's fields changed
    // gives the same checksum and dump.
    BusyState(1);
    const uint32_t checksum = GameStateChecksum();
    const std::string dump = Dump();
    Players[1].tank.x += 64;
    Players[1].lives += 1;
    Players[1].bullets.resize(3);
    Players[1].turretLockLatch = !Players[1].turretLockLatch;
    EXPECT_EQ(GameStateChecksum(), checksum);
    EXPECT_EQ(Dump(), dump);
    EXPECT_EQ(dump.find("Player2"), std::string::npos);
}
