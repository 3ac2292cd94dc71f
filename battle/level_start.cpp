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

void StartNewGame() {
    GamesStarted += 1;
    platform::SetTimer(MainWindow, BattleTimer, BattleTimerPeriodMs);
    ResetPlayer();
    BattleState.LevelIndex = 0;
    BattleState.Lives = 3;
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
    TankRecord& player = BattleState.Player;
    player.moveDir = Up;
    player.turretDir = Up;
    player.x = FreshPlayerRecord.x;
    player.y = FreshPlayerRecord.y;
    player.moveTicks = CellSize / player.speed;
    player.stepPixels = player.speed;
    player.reloadTimer = 0;
    player.trackFrame = 0;
    player.flashTicks = 0;
    player.bulletsInFlight = 0;
    player.waitTicks = 0;

    BattleState.PlayerBullets.clear();
    BattleState.Effects.clear();
    BattleState.EnemyList.clear();
    BattleState.EnemyBulletLists.clear();

    BattleState.LevelClearDelay = 0;
    BattleState.GameOverDelay = 0;
    BattleState.PlayerDestroyed = false;
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
