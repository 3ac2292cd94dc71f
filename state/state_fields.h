// The one list of the fields the game's state is made of, for whatever must
// see every one of them: the replay checksum, morvask-sim's dump, the tests.
//
// Each visitor calls `visit(name, field)` once per field, in declaration
// order, with the field by reference (const when the record is). A field is a
// 32-bit value, a bool, an enum, a record (visit it with VisitFields) or a
// vector of those. The checksum and the dump each call the sections below in
// an order of their own that stored replays and readers of the dump rely on.
// The editor's brush lives in the editor (VisitBrush, editor/painting.h).
#pragma once

#include <concepts>
#include <type_traits>
#include <vector>

#include "state/battle_state.h"
#include "state/program_state.h"
#include "state/random.h"

template <typename Record, typename Plain>
concept RecordOf = std::same_as<std::remove_const_t<Record>, Plain>;

// True for the fields that are lists of fields.
template <typename Field>
inline constexpr bool IsFieldList = false;
template <typename Element>
inline constexpr bool IsFieldList<std::vector<Element>> = true;

template <RecordOf<TankRecord> Tank, typename Visit>
void VisitFields(Tank& t, Visit&& visit) {
    visit("band", t.band);
    visit("hitPoints", t.hitPoints);
    visit("armour", t.armour);
    visit("moveDir", t.moveDir);
    visit("x", t.x);
    visit("y", t.y);
    visit("turretDir", t.turretDir);
    visit("turretLocked", t.turretLocked);
    visit("reloadTimer", t.reloadTimer);
    visit("moveTicks", t.moveTicks);
    visit("trackFrame", t.trackFrame);
    visit("speed", t.speed);
    visit("stepPixels", t.stepPixels);
    visit("flashTicks", t.flashTicks);
    visit("reloadRate", t.reloadRate);
    visit("bulletBand", t.bulletBand);
    visit("bulletsInFlight", t.bulletsInFlight);
    visit("maxBullets", t.maxBullets);
    visit("bulletDamage", t.bulletDamage);
    visit("bulletSpeed", t.bulletSpeed);
    visit("waitTicks", t.waitTicks);
}

template <RecordOf<Bullet> Shell, typename Visit>
void VisitFields(Shell& b, Visit&& visit) {
    visit("band", b.band);
    visit("spare", b.spare);
    visit("direction", b.direction);
    visit("x", b.x);
    visit("y", b.y);
    visit("speed", b.speed);
    visit("damage", b.damage);
    visit("frame", b.frame);
}

template <RecordOf<Effect> Explosion, typename Visit>
void VisitFields(Explosion& e, Visit&& visit) {
    visit("x", e.x);
    visit("y", e.y);
    visit("frame", e.frame);
    visit("finished", e.finished);
}

// BattleState's scalars that live for a game (the player's tank aside).
template <RecordOf<BattleStateRecord> Battle, typename Visit>
void VisitGameFields(Battle& s, Visit&& visit) {
    visit("LevelIndex", s.LevelIndex);
    visit("Lives", s.Lives);
}

// BattleState's scalars that live for a level.
template <RecordOf<BattleStateRecord> Battle, typename Visit>
void VisitLevelFields(Battle& s, Visit&& visit) {
    visit("PlayerDestroyed", s.PlayerDestroyed);
    visit("RespawnDelay", s.RespawnDelay);
    visit("GameOverDelay", s.GameOverDelay);
    visit("LevelClearDelay", s.LevelClearDelay);
    visit("EnemiesToSpawn", s.EnemiesToSpawn);
    visit("EnemiesOnField", s.EnemiesOnField);
    visit("SpawnDelay", s.SpawnDelay);
    visit("DroppedItem", s.DroppedItem);
    visit("ItemX", s.ItemX);
    visit("ItemY", s.ItemY);
    visit("TerrainPhaseA", s.TerrainPhaseA);
    visit("TerrainPhaseB", s.TerrainPhaseB);
}

// BattleState's tanks, bullets and explosions.
template <RecordOf<BattleStateRecord> Battle, typename Visit>
void VisitBattleRecords(Battle& s, Visit&& visit) {
    visit("Player", s.Player);
    visit("EnemyList", s.EnemyList);
    visit("EnemyBulletLists", s.EnemyBulletLists);
    visit("PlayerBullets", s.PlayerBullets);
    visit("Effects", s.Effects);
}

// BattleState's fields of a game of two players: the player count, then the
// second player's as the first player's are walked above.
template <RecordOf<BattleStateRecord> Battle, typename Visit>
void VisitSecondPlayerFields(Battle& s, Visit&& visit) {
    visit("Players", s.PlayerCount);
    visit("Lives2", s.Lives2);
    visit("Player2Destroyed", s.Player2Destroyed);
    visit("Player2RespawnDelay", s.Player2RespawnDelay);
    visit("Player2", s.Player2);
    visit("Player2Bullets", s.Player2Bullets);
}

// The whole of BattleState.
template <RecordOf<BattleStateRecord> Battle, typename Visit>
void VisitFields(Battle& s, Visit&& visit) {
    VisitGameFields(s, visit);
    VisitLevelFields(s, visit);
    VisitBattleRecords(s, visit);
    VisitSecondPlayerFields(s, visit);
}

// The run's mode.
template <typename Visit>
void VisitGameMode(Visit&& visit) {
    visit("GameMode", GameMode);
}

// The sound answer and the mouse.
template <typename Visit>
void VisitShellInputs(Visit&& visit) {
    visit("SoundEnabled", SoundEnabled);
    visit("MouseX", MouseX);
    visit("MouseY", MouseY);
}

template <typename Visit>
void VisitLockLatch(Visit&& visit) {
    visit("TurretLockLatch", TurretLockLatch);
}

// The generator's state, by value: whatever the visitor leaves in it is set.
template <typename Visit>
void VisitGenerator(Visit&& visit) {
    uint32_t state = RandomState();
    visit("RngState", state);
    if (state != RandomState())
        SetRandomState(state);
}

// In a game of two players only, the second player's fields and lock latch;
// with one player nothing, so that its state is walked as it always was.
template <typename Visit>
void VisitTwoPlayerFields(Visit&& visit) {
    if (!TwoPlayers())
        return;
    VisitSecondPlayerFields(BattleState, visit);
    visit("TurretLockLatch2", TurretLockLatch2);
}

template <typename Visit>
void VisitWorkingGrid(Visit&& visit) {
    visit("WorkingGrid", WorkingGrid);
}

template <typename Visit>
void VisitLevelSet(Visit&& visit) {
    visit("LevelSet", LevelSet);
}

// Every section above; with VisitBrush, the whole state that a tick reads
// and writes. Left out: MainWindow, a handle, TickUnderWay, which is false
// whenever a tick is not under way, and PlayersChosen, which only a new game
// reads (it is set before start-up and by the players command, which a
// replay holds).
template <typename Visit>
void VisitStateFields(Visit&& visit) {
    VisitGameMode(visit);
    VisitShellInputs(visit);
    VisitLockLatch(visit);
    VisitGenerator(visit);
    VisitGameFields(BattleState, visit);
    VisitLevelFields(BattleState, visit);
    VisitBattleRecords(BattleState, visit);
    VisitWorkingGrid(visit);
    VisitLevelSet(visit);
    VisitTwoPlayerFields(visit);
}
