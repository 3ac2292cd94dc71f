// Dropping and picking up items.
#include "actors/items.h"

#include <cstdlib>

#include "render/draw.h"
#include "state/random.h"

namespace {

struct DropEntry {
    int32_t enemyKind;
    int32_t roll;  // the item drops when roll n gives 0
    int32_t item;
};

constexpr DropEntry DropTable[] = {
    {.enemyKind = 4, .roll = 7, .item = ArmourItem},       // BasicTank, green
    {.enemyKind = 5, .roll = 2, .item = SpeedItem},        // FastTank, blue
    {.enemyKind = 6, .roll = 2, .item = FireRateItem},     // TurretTank, red
    {.enemyKind = 7, .roll = 2, .item = ExtraBulletItem},  // HeavyTank, yellow
};

// Each item raises one value up to its cap; an item taken at the cap is used
// up without effect.
void ApplyItem(TankRecord& player, int32_t item) {
    switch (item) {
        case ArmourItem:
            if (player.hitPoints < MaxPlayerHitPoints) {
                player.hitPoints += 10;
                player.kind = player.hitPoints / 10 - 1;
            }
            break;
        case FireRateItem:
            if (player.bulletSpeed < MaxPlayerBulletSpeed) {
                player.reloadRate += 2;
                player.bulletSpeed += 4;
            }
            break;
        case SpeedItem:
            // stepPixels follows when the next move starts.
            if (player.speed < MaxPlayerSpeed)
                player.speed += 1;
            break;
        case ExtraBulletItem:
            if (player.maxBullets < MaxPlayerBullets)
                player.maxBullets += 1;
            break;
        default:
            break;
    }
}

}  // namespace

void RollItemDrop(const TankRecord& enemy) {
    for (const DropEntry& entry : DropTable) {
        if (entry.enemyKind != enemy.kind)
            continue;
        if (Roll(entry.roll) == 0) {
            BattleState.ItemKind = entry.item;
            BattleState.ItemX = enemy.x;
            BattleState.ItemY = enemy.y;
        }
        return;
    }
}

void UpdateItem() {
    BattleStateRecord& battle = BattleState;
    if (battle.ItemKind == NoItem)
        return;
    DrawItem();
    if (battle.PlayerDestroyed)
        return;
    if (std::abs(battle.Player.x - battle.ItemX) > 32 ||
        std::abs(battle.Player.y - battle.ItemY) > 32)
        return;
    ApplyItem(battle.Player, battle.ItemKind);
    battle.ItemKind = NoItem;
}
