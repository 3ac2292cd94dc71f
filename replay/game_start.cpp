// The start of a game taken from the state and put back in force.
#include "replay/game_start.h"

#include "battle/level_start.h"
#include "editor/painting.h"
#include "levels/builtin_levels.h"
#include "levels/level_grid.h"
#include "netplay/state_snapshot.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "state/random.h"

namespace {

// Whether the start's values read back as they were written: every one in
// the range a game's replay allows.
bool InRange(const ReplayGameStart& start) {
    std::string bytes;
    PutGameStart(bytes, start);
    ByteReader in{.bytes = bytes, .at = 0, .end = bytes.size()};
    ReplayGameStart read;
    return ReadGameStart(in, read) && in.at == in.end;
}

}  // namespace

bool TakeGameStart(ReplayGameStart& start) {
    start.escapeOpensMenu = EscapeOpensMenu;
    start.questionOffered = PlayersQuestionOffered;
    start.builtInLevels = LevelSet == BuiltInLevels();
    start.levels = start.builtInLevels ? std::vector<int32_t>() : LevelSet;
    start.levelIndex = BattleState.LevelIndex;
    start.players = uint8_t(BattleState.PlayerCount);
    start.generator = RandomState();
    start.sound = SoundEnabled;
    start.mouseX = MouseX;
    start.mouseY = MouseY;
    start.lockLatches[0] = Players[0].turretLockLatch;
    start.lockLatches[1] = Players[1].turretLockLatch;
    start.brush = Brush;
    start.gamesStarted = GamesStarted;
    start.levelsStarted = LevelsStarted;
    if (start.levels.size() != 0 && start.levels.size() != size_t(LevelSetSize))
        return false;
    if (GameMode != Playing || BattleState.PlayerCount != PlayersChosen || !InRange(start))
        return false;
    // Built again from the values alone, the state must be the same word for
    // word: then the values are all a playback needs.
    StateSnapshot now;
    SaveGameState(now);
    PutGameStartInForce(start);
    StateSnapshot built;
    SaveGameState(built);
    RestoreGameState(now);
    return built == now;
}

void PutGameStartInForce(const ReplayGameStart& start) {
    LevelSet = start.builtInLevels ? BuiltInLevels() : start.levels;
    PlayersChosen = start.players;
    ResetPlayers();
    BattleState.LevelIndex = start.levelIndex;
    GameMode = Playing;
    ResetLevel();
    SetRandomState(start.generator);
    SoundEnabled = start.sound;
    MouseX = start.mouseX;
    MouseY = start.mouseY;
    Players[0].turretLockLatch = start.lockLatches[0];
    Players[1].turretLockLatch = start.lockLatches[1];
    Brush = start.brush;
    GamesStarted = start.gamesStarted;
    LevelsStarted = start.levelsStarted;
    EscapeOpensMenu = start.escapeOpensMenu;
    PlayersQuestionOffered = start.questionOffered;
}
