// The state checksum of the replays: every field of the state
// (state/state_fields.h), in an order that stored replays fix.
#include "replay/checksum.h"

#include "editor/painting.h"
#include "state/state_fields.h"

namespace {

// FNV-1a over each word's four bytes, low byte first.
void Hash(uint32_t& hash, int32_t word) {
    for (int i = 0; i < 4; ++i) {
        hash ^= (uint32_t(word) >> (8 * i)) & 0xFF;
        hash *= 16777619u;
    }
}

}  // namespace

uint32_t GameStateChecksum() {
    const BattleStateRecord& s = BattleState;
    uint32_t hash = 2166136261u;
    FieldWords f{[&hash](int32_t word) { Hash(hash, word); }};
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
    return hash;
}
