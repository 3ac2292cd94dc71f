// Saving and restoring the game state through the field visitor.
#include "netplay/state_snapshot.h"

#include <type_traits>

#include "battle/level_start.h"
#include "editor/painting.h"
#include "state/state_fields.h"

namespace {

// Reads the words back in the order SaveGameState wrote them; a list whose length
// does not fit the words left stops the reading (ok false).
struct Loader {
    const StateSnapshot& in;
    size_t at = 0;
    bool ok = true;

    int32_t Next() {
        if (at >= in.size()) {
            ok = false;
            return 0;
        }
        return in[at++];
    }
    template <typename Field>
    void Take(Field& field) {
        if constexpr (std::is_same_v<Field, bool>) {
            field = Next() != 0;
        } else if constexpr (std::is_integral_v<Field> || std::is_enum_v<Field>) {
            field = Field(Next());
        } else if constexpr (IsFieldList<Field>) {
            const int32_t size = Next();
            if (!ok || size < 0 || size_t(size) > in.size() - at) {
                ok = false;
                return;
            }
            field.resize(size_t(size));
            for (auto& element : field)
                Take(element);
        } else {
            VisitFields(field, *this);
        }
    }
    template <typename Field>
    void operator()(const char*, Field& field) {
        if (ok)
            Take(field);
    }
};

// One fixed order for saving and loading alike. The two-player section is
// walked whatever the player count, so that a snapshot of either count
// restores over the other.
template <typename Visit>
void VisitSnapshot(Visit& visit) {
    VisitGameMode(visit);
    VisitShellInputs(visit);
    VisitLockLatch(visit);
    visit("TurretLockLatch2", Players[1].turretLockLatch);
    visit("PlayersChosen", PlayersChosen);
    VisitGenerator(visit);
    VisitFields(BattleState, visit);
    VisitWorkingGrid(visit);
    VisitLevelSet(visit);
    VisitBrush(visit);
    // The counters the player's records watch: a rollback takes them back,
    // so that a level started again is not counted twice. (The Z keys' flag
    // is the watch's to clear after each tick, so it stays out: a tick run
    // again can only raise it for a game that used the keys already.)
    visit("GamesStarted", GamesStarted);
    visit("LevelsStarted", LevelsStarted);
}

}  // namespace

void SaveGameState(StateSnapshot& into) {
    into.clear();
    FieldWords saver{[&into](int32_t word) { into.push_back(word); }};
    VisitSnapshot(saver);
}

bool RestoreGameState(const StateSnapshot& from) {
    Loader loader{from};
    VisitSnapshot(loader);
    return loader.ok && loader.at == from.size();
}

uint32_t SnapshotChecksum(const StateSnapshot& snapshot) {
    uint32_t hash = 2166136261u;
    for (int32_t word : snapshot)
        for (int i = 0; i < 4; ++i) {
            hash ^= (uint32_t(word) >> (8 * i)) & 0xFF;
            hash *= 16777619u;
        }
    return hash;
}
