// A fresh headless game for each unit test.
#include "tests/unit/test_support.h"

#include <fstream>
#include <sstream>

#include "hosting/program_reset.h"
#include "levels/level_grid.h"
#include "platform/headless/headless.h"
#include "shell/main_window.h"

std::vector<RecordedBox> Boxes;
std::vector<RecordedSound> Sounds;

void ResetEverything() {
    headless::Reset();
    ResetProgram();
    Boxes.clear();
    Sounds.clear();
    headless::SetBoxObserver([](const char* text, const char* caption, uint32_t type, int answer) {
        Boxes.push_back({headless::TickCount(), text, caption, type, answer});
    });
    headless::SetSoundObserver([](int id, bool interrupting, bool played) {
        Sounds.push_back({headless::TickCount(), id, interrupting, played});
    });
}

void StartGame(uint32_t seed, bool sound) {
    ResetEverything();
    headless::SetSeed(seed);
    headless::SetBoxAnswerer([sound](const char*, const char*, uint32_t type) {
        if ((type & 0xF) == platform::MB_YESNO)
            return sound ? platform::IDYES : platform::IDNO;
        return platform::IDOK;
    });
    StartUp(platform::SW_SHOWNORMAL);
    // Later boxes take their defaults unless a test says otherwise.
    headless::SetBoxAnswerer(nullptr);
}

void ClearWorkingGrid() {
    WorkingGrid.assign(LevelCellCount, Empty);
    SetCell(7, 10, Base);
    for (int32_t column : {6, 7, 8})
        SetCell(column, 9, Brick);
    SetCell(6, 10, Brick);
    SetCell(8, 10, Brick);
}

void SetCell(int32_t column, int32_t row, int32_t code) {
    WorkingGrid[CellIndex(column, row)] = code;
}

void Ticks(int n) {
    for (int i = 0; i < n; ++i)
        headless::StepTick();
}

TankRecord TankAt(int32_t x, int32_t y, int32_t moveDir) {
    TankRecord tank = FreshPlayerRecord;
    tank.x = x;
    tank.y = y;
    tank.moveDir = moveDir;
    tank.turretDir = moveDir;
    tank.moveTicks = 0;
    return tank;
}

void DropItem(int32_t item, int32_t x, int32_t y) {
    BattleState.DroppedItem = item;
    BattleState.ItemX = x;
    BattleState.ItemY = y;
}

TankRecord& PutEnemy(const TankRecord& tank) {
    BattleState.EnemyList.push_back(tank);
    BattleState.EnemyBulletLists.emplace_back();
    BattleState.EnemiesOnField += 1;
    return BattleState.EnemyList.back();
}

TankRecord& PutPlainEnemy(int32_t x, int32_t y, int32_t moveDir) {
    TankRecord tank = TankAt(x, y, moveDir);
    tank.band = 4;
    tank.speed = 2;
    tank.stepPixels = 2;
    tank.reloadRate = 4;
    tank.maxBullets = 0;
    return PutEnemy(tank);
}

std::map<std::string, int64_t> FlatBattleState() {
    std::map<std::string, int64_t> flat;
    auto walk = WalkWith(
        [&](const std::string& path, auto& value) { flat[path] = int64_t(value); },
        [&](const std::string& path, auto& list) { flat[path + ".size"] = int64_t(list.size()); });
    VisitFields(BattleState, walk);
    VisitLockLatch(walk);
    return flat;
}

void ScrambleBattleState() {
    auto walk = WalkWith(
        [](const std::string&, auto& value) {
            using Value = std::remove_reference_t<decltype(value)>;
            value = std::is_same_v<Value, bool> ? Value(!value) : Value(value + 1);
        },
        [](const std::string&, auto& list) { list.emplace_back(); });
    VisitFields(BattleState, walk);
    VisitLockLatch(walk);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}
