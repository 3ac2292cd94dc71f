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
bool AnnouncingLevel = false;

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
    BattleState.PlayerCount = PlayersChosen == 2 ? 2 : 1;
    // The second side's tank and tanks left are set only for a game of two.
    for (int32_t side = 0; side < 2; ++side) {
        const bool playing = side < SidesInGame();
        Players[side].tank = playing ? FreshPlayerTank(side) : TankRecord{};
        Players[side].lives = playing ? 3 : 0;
    }
    // The first player's wreck stays until the level start clears it, the
    // second's goes here: a tick that the level start's box runs (in its
    // message loop) sees them so, as recorded replays have it.
    Players[1].destroyed = false;
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
    AnnouncingLevel = GameMode != Editing;
    platform::MessageBox(MainWindow, text, "", platform::MB_OK);
    AnnouncingLevel = false;
    LevelsStarted += 1;
    ResetLevel();
}

void ResetLevel() {
    // Each tank keeps its upgrades and its damage, and drives in from below
    // the field at its start again. A player out of tanks stays out; a wreck
    // with tanks left comes in at once. With one player the second side's
    // tank is left as it is.
    for (int32_t side = 0; side < 2; ++side) {
        PlayerSide& player = Players[side];
        if (side < SidesInGame())
            CarryOver(player.tank, PlayerStartX[side]);
        player.bullets.clear();
        player.destroyed = TwoPlayers() && player.destroyed && player.lives == 0;
        player.respawnDelay = 0;
    }

    BattleState.Effects.clear();
    BattleState.EnemyList.clear();
    BattleState.EnemyBulletLists.clear();

    BattleState.LevelClearDelay = 0;
    BattleState.GameOverDelay = 0;
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
    AnnouncingLevel = false;
}
