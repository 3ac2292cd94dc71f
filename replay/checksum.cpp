// The state checksum of the replays: every member that a tick reads or writes.
#include "replay/checksum.h"

#include <vector>

#include "editor/painting.h"
#include "levels/level_grid.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "state/random.h"

namespace {

struct Fnv {
    uint32_t hash = 2166136261u;

    void Int(int64_t value) {
        for (int i = 0; i < 4; ++i) {
            hash ^= (uint32_t(value) >> (8 * i)) & 0xFF;
            hash *= 16777619u;
        }
    }
    void Ints(const std::vector<int32_t>& values) {
        Int(int64_t(values.size()));
        for (int32_t value : values)
            Int(value);
    }
    void Tank(const TankRecord& t) {
        for (int64_t value : {int64_t(t.band),
                              int64_t(t.hitPoints),
                              int64_t(t.armour),
                              int64_t(t.moveDir),
                              int64_t(t.x),
                              int64_t(t.y),
                              int64_t(t.turretDir),
                              int64_t(t.turretLocked),
                              int64_t(t.reloadTimer),
                              int64_t(t.moveTicks),
                              int64_t(t.trackFrame),
                              int64_t(t.speed),
                              int64_t(t.stepPixels),
                              int64_t(t.flashTicks),
                              int64_t(t.reloadRate),
                              int64_t(t.bulletBand),
                              int64_t(t.bulletsInFlight),
                              int64_t(t.maxBullets),
                              int64_t(t.bulletDamage),
                              int64_t(t.bulletSpeed),
                              int64_t(t.waitTicks)})
            Int(value);
    }
    void Bullets(const std::vector<Bullet>& bullets) {
        Int(int64_t(bullets.size()));
        for (const Bullet& b : bullets)
            for (int32_t value :
                 {b.band, b.spare, b.direction, b.x, b.y, b.speed, b.damage, b.frame})
                Int(value);
    }
};

}  // namespace

uint32_t GameStateChecksum() {
    const BattleStateRecord& s = BattleState;
    Fnv f;
    for (int64_t value : {int64_t(GameMode),
                          int64_t(SoundEnabled),
                          int64_t(MouseX),
                          int64_t(MouseY),
                          int64_t(Brush),
                          int64_t(RandomState()),
                          int64_t(s.LevelIndex),
                          int64_t(s.Lives),
                          int64_t(s.PlayerDestroyed),
                          int64_t(s.RespawnDelay),
                          int64_t(s.GameOverDelay),
                          int64_t(s.LevelClearDelay),
                          int64_t(s.EnemiesToSpawn),
                          int64_t(s.EnemiesOnField),
                          int64_t(s.SpawnDelay),
                          int64_t(s.DroppedItem),
                          int64_t(s.ItemX),
                          int64_t(s.ItemY),
                          int64_t(s.TerrainPhaseA),
                          int64_t(s.TerrainPhaseB),
                          int64_t(TurretLockLatch)})
        f.Int(value);
    f.Tank(s.Player);
    f.Int(int64_t(s.EnemyList.size()));
    for (const TankRecord& enemy : s.EnemyList)
        f.Tank(enemy);
    f.Int(int64_t(s.EnemyBulletLists.size()));
    for (const std::vector<Bullet>& bullets : s.EnemyBulletLists)
        f.Bullets(bullets);
    f.Bullets(s.PlayerBullets);
    f.Int(int64_t(s.Effects.size()));
    for (const Effect& e : s.Effects)
        for (int64_t value : {int64_t(e.x), int64_t(e.y), int64_t(e.frame), int64_t(e.finished)})
            f.Int(value);
    f.Ints(WorkingGrid);
    f.Ints(LevelSet);
    return f.hash;
}
