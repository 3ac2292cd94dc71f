// New game and level start.
#include "battle/level_start.h"

#include <cstdio>

#include "levels/level_grid.h"
#include "render/sound_cues.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "texts/texts.h"

int32_t GamesStarted = 0;
int32_t LevelsStarted = 0;

namespace {

// A tank carried into the next level: at its start below the field, facing
// up, reloaded, with its upgrades and damage.
void CarryOver(TankRecord& player, int32_t startX) {
    player.moveDir = Up;
    player.turretDir = Up;
    player.x = startX;
    player.y = FreshPlayerRecord.y;
    player.moveTicks = CellSize / player.speed;
    player.stepPixels = player.speed;
    player.reloadTimer = 0;
    player.trackFrame = 0;
    player.flashTicks = 0;
    player.bulletsInFlight = 0;
    player.waitTicks = 0;
}

}  // namespace

void ResetPlayers() {
    ResetPlayer();
    BattleState.Lives = 3;
    // The second player's tank and tanks left are set only for a game of two.
    BattleState.PlayerCount = PlayersChosen == 2 ? 2 : 1;
    BattleState.Player2 = TankRecord{};
    BattleState.Lives2 = 0;
    BattleState.Player2Destroyed = false;
    if (TwoPlayers()) {
        ResetPlayer2();
        BattleState.Lives2 = 3;
    }
}

void StartNewGame() {
    GamesStarted += 1;
    platform::SetTimer(MainWindow, BattleTimer, BattleTimerPeriodMs);
    ResetPlayers();
    BattleState.LevelIndex = 0;
    GameMode = Playing;
    StartLevel();
}

void StartLevel() {
    char text[64];
    if (GameMode == Editing) {
        std::snprintf(text, sizeof text, Text(LevelEditText), int(BattleState.LevelIndex + 1));
    } else {
        std::snprintf(text, sizeof text, Text(LevelStartText), int(BattleState.LevelIndex + 1));
        // The music starts before the box and plays on under it.
        PlayCue(LevelStartCue);
    }
    platform::MessageBox(MainWindow, text, "", platform::MB_OK);
    LevelsStarted += 1;

    // The tank keeps its upgrades and its damage, and drives in from below
    // the field at column 5 again.
    const bool firstStaysOut =
        TwoPlayers() && BattleState.PlayerDestroyed && BattleState.Lives == 0;
    CarryOver(BattleState.Player, FreshPlayerRecord.x);
    // So does the second player's, at column 9. A player out of tanks stays
    // out; a wreck with tanks left comes in at once, as the first player's
    // does.
    BattleStateRecord& battle = BattleState;
    if (TwoPlayers())
        CarryOver(battle.Player2, SecondPlayerStartX);
    battle.Player2Bullets.clear();
    battle.Player2Destroyed = TwoPlayers() && battle.Player2Destroyed && battle.Lives2 == 0;
    battle.Player2RespawnDelay = 0;

    BattleState.PlayerBullets.clear();
    BattleState.Effects.clear();
    BattleState.EnemyList.clear();
    BattleState.EnemyBulletLists.clear();

    BattleState.LevelClearDelay = 0;
    BattleState.GameOverDelay = 0;
    BattleState.PlayerDestroyed = firstStaysOut;
    BattleState.RespawnDelay = 0;
    BattleState.EnemiesOnField = 0;
    BattleState.EnemiesToSpawn = EnemiesPerLevel;
    BattleState.SpawnDelay = 1;
    BattleState.TerrainPhaseA = 0;
    BattleState.TerrainPhaseB = 0;
    BattleState.DroppedItem = NoItem;

    const int32_t* level = LevelSet.data() + BattleState.LevelIndex * LevelCellCount;
    WorkingGrid.assign(level, level + LevelCellCount);
}

void ResetStartCounters() {
    GamesStarted = 0;
    LevelsStarted = 0;
}
