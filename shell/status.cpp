// The status display's record, read from the game's records, and its
// compact form for the window title.
#include "shell/status.h"

#include <algorithm>
#include <cstdio>

#include "battle/level_start.h"
#include "editor/commands.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "texts/status_texts.h"

namespace {

// What one item adds to the tank (the items' own table, actors/items.cpp):
// armour 10 hit points, the rate of fire 2 (with 4 of bullet speed), speed
// 1, bullets 1. Counted from the fresh tank, so a tank that lost armour to
// hits shows fewer.
constexpr int32_t ArmourStep = 10;
constexpr int32_t FireRateStep = 2;

int32_t Steps(int32_t value, int32_t fresh, int32_t step, int32_t cap) {
    return std::clamp((value - fresh) / step, 0, cap);
}

}  // namespace

const int32_t UpgradeCaps[UpgradeCount] = {
    (MaxPlayerHitPoints - FreshPlayerRecord.hitPoints) / ArmourStep,
    (MaxPlayerReloadRate - FreshPlayerRecord.reloadRate) / FireRateStep,
    MaxPlayerSpeed - FreshPlayerRecord.speed,
    MaxPlayerBullets - FreshPlayerRecord.maxBullets,
};

namespace {

void CountUpgrades(const TankRecord& tank, int32_t (&upgrades)[UpgradeCount]) {
    const TankRecord& fresh = FreshPlayerRecord;
    upgrades[0] = Steps(tank.hitPoints, fresh.hitPoints, ArmourStep, UpgradeCaps[0]);
    upgrades[1] = Steps(tank.reloadRate, fresh.reloadRate, FireRateStep, UpgradeCaps[1]);
    upgrades[2] = Steps(tank.speed, fresh.speed, 1, UpgradeCaps[2]);
    upgrades[3] = Steps(tank.maxBullets, fresh.maxBullets, 1, UpgradeCaps[3]);
}

}  // namespace

StatusRecord CurrentStatus() {
    StatusRecord status;
    const BattleStateRecord& battle = BattleState;
    status.level = std::clamp(battle.LevelIndex + 1, 1, 999);
    // The editor's try-out of a level is play.
    if (GameMode == Editing && !TryingLevel()) {
        status.kind = EditorStatus;
        return status;
    }
    if (GamesStarted == 0 && !TryingLevel()) {
        status.level = 0;
        return status;
    }
    status.kind = GameStatus;
    status.tanks = std::max(0, Players[0].lives);
    // Under the level's announcement the counters are still the last
    // level's; the level announced starts with all its enemies to come.
    status.enemies = AnnouncingLevel ? EnemiesPerLevel
                                     : std::max(0, battle.EnemiesToSpawn + battle.EnemiesOnField);
    CountUpgrades(Players[0].tank, status.upgrades);
    if (TwoPlayers()) {
        status.twoPlayers = true;
        status.tanks2 = std::max(0, Players[1].lives);
        CountUpgrades(Players[1].tank, status.upgrades2);
    }
    return status;
}

std::string StatusTitleSuffix(const StatusRecord& status) {
    char text[512];
    const int32_t* one = status.upgrades;
    const int32_t* two = status.upgrades2;
    if (status.kind == GameStatus && status.twoPlayers)
        std::snprintf(text, sizeof text, StatusText(StatusTitleTwoPlayers), int(status.level),
                      int(status.enemies), int(status.tanks), int(one[0]), int(one[1]), int(one[2]),
                      int(one[3]), int(status.tanks2), int(two[0]), int(two[1]), int(two[2]),
                      int(two[3]));
    else if (status.kind == GameStatus)
        std::snprintf(text, sizeof text, StatusText(StatusTitleGame), int(status.level),
                      int(status.tanks), int(status.enemies), int(status.upgrades[0]),
                      int(status.upgrades[1]), int(status.upgrades[2]), int(status.upgrades[3]));
    else if (status.kind == EditorStatus)
        std::snprintf(text, sizeof text, StatusText(StatusTitleEditor), int(status.level));
    else
        return {};
    return text;
}

std::string WindowTitleSuffix(const StatusRecord& status) {
    if (status.kind != GameStatus || !status.twoPlayers)
        return StatusTitleSuffix(status);
    char text[512];
    const int32_t* one = status.upgrades;
    const int32_t* two = status.upgrades2;
    std::snprintf(text, sizeof text, StatusText(StatusWindowTitleTwoPlayers), int(status.level),
                  int(status.enemies), int(status.tanks), int(one[0]), int(one[1]), int(one[2]),
                  int(one[3]), int(status.tanks2), int(two[0]), int(two[1]), int(two[2]),
                  int(two[3]));
    return text;
}

std::string StatusTitle(const std::string& gameTitle, const StatusRecord& status) {
    const std::string suffix = StatusTitleSuffix(status);
    return suffix.empty() ? gameTitle : gameTitle + " — " + suffix;
}
