// The one list of the state's fields: it names every member of the records,
// and every field it names counts in the replay checksum and the sim's dump.
#include <gtest/gtest.h>

#include <set>

#include "editor/painting.h"
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
void BusyState() {
    ResetProgramState();
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

TEST(StateFields, EveryFieldCountsInTheChecksumAndTheDump) {
    BusyState();
    const uint32_t checksum = GameStateChecksum();
    const std::string dump = Dump();
    int fields = 0;
    for (;; ++fields) {
        BusyState();
        std::string changed = ChangeField(fields);
        if (changed.empty())
            break;
        EXPECT_NE(GameStateChecksum(), checksum) << changed;
        EXPECT_NE(Dump(), dump) << changed;
    }
    // Every section was walked: the run's 7 values, BattleState's own (all
    // but the tank and the 4 lists), 3 tanks, 6 bullets, 2 explosions, 4 grid
    // cells and 8 list lengths.
    EXPECT_EQ(fields, 7 + int(MemberCount<BattleStateRecord>() - 5) +
                          3 * int(MemberCount<TankRecord>()) + 6 * int(MemberCount<Bullet>()) +
                          2 * int(MemberCount<Effect>()) + 4 + 8);
}
