// The cost of one tick and of one frame of a busy battle, on the headless
// backend, against the floor of one plain frame copy.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "battle/compose.h"
#include "battle/frame_step.h"
#include "levels/level_grid.h"
#include "platform/headless/headless.h"
#include "platform/shared/surfaces.h"
#include "render/draw.h"
#include "shell/main_window.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "state/random.h"

namespace {

struct Snapshot {
    BattleStateRecord battle;
    PlayerSide players[2];
    std::vector<int32_t> grid;
    uint32_t random;
};

Snapshot Busy;

// 156 drawn cells of every kind, with lanes left open where the tanks drive;
// returns how many were drawn.
int PlaceCells() {
    const int32_t pattern[] = {Brick,       Stone,        Grass, Ice,   Water, Sand, CrackedBrick,
                               BrokenBrick, BurningBrick, 17,    Brick, Grass, Stone};
    WorkingGrid.assign(LevelCellCount, Empty);
    int drawn = 0;
    for (int i = 0; i < LevelCellCount; ++i) {
        int column = i % 15, row = i / 15;
        if ((column == 5 && row >= 6) || (row == 3 && column < 9))
            continue;
        WorkingGrid[i] = pattern[i % 13];
        ++drawn;
    }
    return drawn;
}

// The player, flashing and reloading, with two bullets in flight.
void PlacePlayer(PlayerSide& player) {
    player.tank = FreshPlayerRecord;
    player.tank.x = 320;
    player.tank.y = 448;
    player.tank.moveTicks = 6;
    player.tank.reloadTimer = 40;
    player.tank.flashTicks = 2;
    player.bullets.clear();
    for (int k = 0; k < 2; ++k)
        player.bullets.push_back({.band = 2,
                                  .spare = 100,
                                  .direction = Up,
                                  .x = 332,
                                  .y = 360 - 90 * k,
                                  .speed = 8,
                                  .damage = 10,
                                  .frame = 3});
    player.tank.bulletsInFlight = 2;
    player.tank.maxBullets = 2;
    player.destroyed = false;
}

// Four enemies, one of each class, with one or two bullets each.
void PlaceEnemies(BattleStateRecord& b) {
    b.EnemyList.clear();
    b.EnemyBulletLists.clear();
    for (int e = 0; e < 4; ++e) {
        TankRecord t = FreshPlayerRecord;
        t.band = 4 + e;
        t.hitPoints = 70;
        t.x = 64 * (2 * e);
        t.y = 192;
        t.moveDir = Right;
        t.turretDir = Down;
        t.speed = t.stepPixels = 2;
        t.moveTicks = 20;
        t.reloadRate = 4;
        t.reloadTimer = 60;
        t.flashTicks = e % 2 ? 2 : 0;
        t.maxBullets = 2;
        b.EnemyList.push_back(t);
        b.EnemyBulletLists.push_back({});
        for (int k = 0; k < 1 + (e % 2); ++k) {
            b.EnemyBulletLists.back().push_back({.band = t.bulletBand,
                                                 .spare = 100,
                                                 .direction = Right,
                                                 .x = 100 + 120 * e,
                                                 .y = 220 + 20 * k,
                                                 .speed = 6,
                                                 .damage = 10,
                                                 .frame = k});
            b.EnemyList.back().bulletsInFlight += 1;
        }
    }
    b.EnemiesOnField = 4;
    b.EnemiesToSpawn = 10;
    b.SpawnDelay = 50;
}

// A battle placed by hand: 156 drawn cells of every kind, the player and four
// enemies, eight bullets with their trails, six explosions and an item.
void PlaceBusyBattle() {
    static bool started = false;
    if (!started) {
        headless::SetSeed(77);
        StartUp(platform::SW_SHOWNORMAL);
        started = true;
    }
    SoundEnabled = false;
    BattleStateRecord& b = BattleState;
    b.PlayerCount = 1;
    const int drawn = PlaceCells();
    PlacePlayer(Players[0]);
    PlaceEnemies(b);
    b.Effects.clear();
    for (int k = 0; k < 6; ++k)
        b.Effects.push_back({.x = 60 + 140 * k, .y = 500, .frame = 3 * k, .finished = false});
    b.DroppedItem = SpeedItem;
    b.ItemX = 700;
    b.ItemY = 600;
    b.GameOverDelay = b.LevelClearDelay = 0;
    Busy = {b, {Players[0], Players[1]}, WorkingGrid, RandomState()};
    if (drawn < 150)
        std::abort();
}

void Restore() {
    BattleState = Busy.battle;
    for (int side = 0; side < 2; ++side)
        Players[side] = Busy.players[side];
    std::memcpy(WorkingGrid.data(), Busy.grid.data(), LevelCellCount * sizeof(int32_t));
    SetRandomState(Busy.random);
}

}  // namespace

static void BM_MemcpyFrame(benchmark::State& state) {
    std::vector<uint32_t> from(960 * 704, 0x123456), to(960 * 704);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyFrame);

static void BM_ComposeFrameBusy(benchmark::State& state) {
    PlaceBusyBattle();
    DrawingEnabled = true;
    for (auto _ : state) {
        Restore();
        ComposeFrame();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ComposeFrameBusy);

// The same battle in a game of two: the second tank beside the first, firing
// as well, and each tank with its player's plate.
static void BM_ComposeFrameBusyTwoPlayers(benchmark::State& state) {
    PlaceBusyBattle();
    BattleStateRecord& b = BattleState;
    b.PlayerCount = 2;
    PlayerSide& second = Players[1];
    second = Players[0];
    second.tank.x = 576;
    for (Bullet& bullet : second.bullets)
        bullet.x += 256;
    Busy.battle = b;
    Busy.players[1] = second;
    DrawingEnabled = true;
    for (auto _ : state) {
        Restore();
        ComposeFrame();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ComposeFrameBusyTwoPlayers);

// Ticks of the busy battle played on, drawing on: the tanks, bullets and
// explosions move between frames as in play, so each frame restores and draws
// what moved. The battle starts over every 64 ticks.
static void BM_FrameStepBusyPlaying(benchmark::State& state) {
    PlaceBusyBattle();
    DrawingEnabled = true;
    int tick = 0;
    for (auto _ : state) {
        if (tick++ % 64 == 0)
            Restore();
        FrameStep();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FrameStepBusyPlaying);

static void BM_FrameStepNoDraw(benchmark::State& state) {
    PlaceBusyBattle();
    DrawingEnabled = false;
    int32_t tick = 0;
    for (auto _ : state) {
        Restore();
        // The terrain's phases go round as in play: burning bricks and water
        // step on some ticks only.
        BattleState.TerrainPhaseA = tick % 6;
        BattleState.TerrainPhaseB = tick % 4;
        ++tick;
        FrameStep();
        benchmark::ClobberMemory();
    }
    DrawingEnabled = true;
}
BENCHMARK(BM_FrameStepNoDraw);

// What restoring the battle costs inside the two benchmarks above.
static void BM_RestoreBattle(benchmark::State& state) {
    PlaceBusyBattle();
    for (auto _ : state) {
        Restore();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RestoreBattle);

// The background stretched from its stored size to the field's, once when
// the first level is drawn.
static void BM_ScaleBackground(benchmark::State& state) {
    std::vector<uint32_t> stored(580 * 320);
    for (size_t i = 0; i < stored.size(); ++i)
        stored[i] = uint32_t(i * 2654435761u) & 0xFFFFFF;
    std::vector<uint32_t> field(960 * 704);
    for (auto _ : state) {
        shared::ScalePictureInto(stored, 580, 320, 960, 704, field.data());
        benchmark::DoNotOptimize(field.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ScaleBackground);

BENCHMARK_MAIN();
