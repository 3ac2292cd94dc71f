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

// The sections below walk the first player's side among BattleState's
// fields under the names the first player's fields have always had, and the
// second player's side, apart, under the same names with a 2.

// The scalars that live for a game (the player's tank aside).
template <RecordOf<BattleStateRecord> Battle, typename Visit>
void VisitGameFields(Battle& s, Visit&& visit) {
    visit("LevelIndex", s.LevelIndex);
    visit("Lives", Players[0].lives);
}

// The scalars that live for a level.
template <RecordOf<BattleStateRecord> Battle, typename Visit>
void VisitLevelFields(Battle& s, Visit&& visit) {
    visit("PlayerDestroyed", Players[0].destroyed);
    visit("RespawnDelay", Players[0].respawnDelay);
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

// The tanks, bullets and explosions.
template <RecordOf<BattleStateRecord> Battle, typename Visit>
void VisitBattleRecords(Battle& s, Visit&& visit) {
    visit("Player", Players[0].tank);
    visit("EnemyList", s.EnemyList);
    visit("EnemyBulletLists", s.EnemyBulletLists);
    visit("PlayerBullets", Players[0].bullets);
    visit("Effects", s.Effects);
}

// The fields of a game of two players: the player count, then the second
// player's side (its lock latch aside) as the first player's is walked above.
template <RecordOf<BattleStateRecord> Battle, typename Visit>
void VisitSecondPlayerFields(Battle& s, Visit&& visit) {
    visit("Players", s.PlayerCount);
    PlayerSide& second = Players[1];
    visit("Lives2", second.lives);
    visit("Player2Destroyed", second.destroyed);
    visit("Player2RespawnDelay", second.respawnDelay);
    visit("Player2", second.tank);
    visit("Player2Bullets", second.bullets);
}

// The whole of BattleState and of the sides, their lock latches aside.
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
    visit("TurretLockLatch", Players[0].turretLockLatch);
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
    visit("TurretLockLatch2", Players[1].turretLockLatch);
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

// A visitor that gives `word` every field as 32-bit words, in the visit's
// order: a value as itself, a list as its length and then its elements, a
// record as its fields (the snapshots of online play, the replay checksum).
template <typename Word>
struct FieldWords {
    Word word;

    template <typename Field>
    void Add(const Field& field) {
        if constexpr (std::is_integral_v<Field> || std::is_enum_v<Field>) {
            word(int32_t(field));
        } else if constexpr (IsFieldList<Field>) {
            word(int32_t(field.size()));
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

// Told the word's type by the function given (clang before 17 deduces no
// aggregate's).
template <typename Word>
FieldWords(Word) -> FieldWords<Word>;
