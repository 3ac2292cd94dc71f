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

// Visits a record's members: as many as it has, each once, each inside it.
template <typename Record>
void ExpectEveryMemberVisited(const char* what) {
    Record record{};
    std::set<const void*> seen;
    size_t visits = 0;
    VisitFields(record, [&](const char* name, auto& field) {
        ++visits;
        auto* at = reinterpret_cast<const char*>(&field);
        auto* base = reinterpret_cast<const char*>(&record);
        EXPECT_TRUE(at >= base && at + sizeof field <= base + sizeof record) << what << "." << name;
        EXPECT_TRUE(seen.insert(&field).second) << what << "." << name << " twice";
    });
    EXPECT_EQ(visits, MemberCount<Record>()) << what;
}

// A state with two of every list, so that each element of a record list is
// there to be changed, and short grids: the consumers just run through them.
void BusyState(int32_t players = 1) {
    ResetProgram();
    BattleState.PlayerCount = players;
    if (players == 2)
        BattleState.Player2Bullets.resize(2);
    BattleState.EnemyList.resize(2);
    BattleState.EnemyBulletLists.assign(2, std::vector<Bullet>(2));
    BattleState.PlayerBullets.resize(2);
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

// BattleState's members of a game of two players: the count, the second
// tank, its lives, wreck, respawn delay and bullets.
constexpr int SecondPlayerMembers = 6;

TEST(StateFields, EveryFieldCountsInTheChecksumAndTheDump) {
    // Every section was walked: the run's 7 values, BattleState's own (all
    // but the tank, the 4 lists and the second player's), 3 tanks, 6
    // bullets, 2 explosions, 4 grid cells and 8 list lengths.
    EXPECT_EQ(CountFieldsThatCount(1),
              7 + int(MemberCount<BattleStateRecord>() - 5 - SecondPlayerMembers) +
                  3 * int(MemberCount<TankRecord>()) + 6 * int(MemberCount<Bullet>()) +
                  2 * int(MemberCount<Effect>()) + 4 + 8);
}

// With two players the second player's fields and lock latch count too: its
// 4 values besides the tank and the bullets, the tank, 2 bullets and their
// list's length.
TEST(StateFields, TheSecondPlayersFieldsCountOnlyInAGameOfTwo) {
    EXPECT_EQ(CountFieldsThatCount(2), 8 + int(MemberCount<BattleStateRecord>() - 5 - 2) +
                                           4 * int(MemberCount<TankRecord>()) +
                                           8 * int(MemberCount<Bullet>()) +
                                           2 * int(MemberCount<Effect>()) + 4 + 9);
    // One player: the same state with the second player's fields changed
    // gives the same checksum and dump.
    BusyState(1);
    const uint32_t checksum = GameStateChecksum();
    const std::string dump = Dump();
    BattleState.Player2.x += 64;
    BattleState.Lives2 += 1;
    BattleState.Player2Bullets.resize(3);
    TurretLockLatch2 = !TurretLockLatch2;
    EXPECT_EQ(GameStateChecksum(), checksum);
    EXPECT_EQ(Dump(), dump);
    EXPECT_EQ(dump.find("Player2"), std::string::npos);
}
