// The state checksum of the replays: every field of the state
// (state/state_fields.h), in an order that stored replays fix.
#include "replay/checksum.h"

#include "editor/painting.h"
#include "state/state_fields.h"

namespace {

// FNV-1a over each value's four low bytes, low byte first. A list adds its
// length before its elements; a record adds its fields.
struct Fnv {
    uint32_t hash = 2166136261u;

    void Int(int64_t value) {
        for (int i = 0; i < 4; ++i) {
            hash ^= (uint32_t(value) >> (8 * i)) & 0xFF;
            hash *= 16777619u;
        }
    }
    template <typename Field>
    void Add(const Field& field) {
        if constexpr (std::is_integral_v<Field> || std::is_enum_v<Field>) {
            Int(int64_t(field));
        } else if constexpr (IsFieldList<Field>) {
            Int(int64_t(field.size()));
            for (const auto& element : field)
                Add(element);
        } else {
            VisitFields(field, *this);
        }
    }
    template <typename Field>
    void operator()(const char*, const Field& field) {
        Add(field);
    }
};

}  // namespace

uint32_t GameStateChecksum() {
    const BattleStateRecord& s = BattleState;
    Fnv f;
    VisitGameMode(f);
    VisitShellInputs(f);
    VisitBrush(f);
    VisitGenerator(f);
    VisitGameFields(s, f);
    VisitLevelFields(s, f);
    VisitLockLatch(f);
    VisitBattleRecords(s, f);
    VisitWorkingGrid(f);
    VisitLevelSet(f);
    VisitTwoPlayerFields(f);
    return f.hash;
}
