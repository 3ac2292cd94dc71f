// Dropping and picking up items.
#include "actors/items.h"

#include <cstdlib>

#include "render/draw.h"
#include "state/random.h"

namespace {

// The player takes the item when the two corners are at most this far apart
// on both axes.
constexpr int32_t PickupReach = 32;

// Which item each enemy class may leave, and its odds.
struct DropEntry {
    int32_t enemyBand;
    int32_t roll;  // the item drops when roll n gives 0
    int32_t item;
};

constexpr DropEntry DropTable[] = {
    {.enemyBand = 4, .roll = 7, .item = ArmourItem},       // BasicTank, green
    {.enemyBand = 5, .roll = 2, .item = SpeedItem},        // FastTank, blue
    {.enemyBand = 6, .roll = 2, .item = FireRateItem},     // TurretTank, red
    {.enemyBand = 7, .roll = 2, .item = ExtraBulletItem},  // HeavyTank, yellow
};

// What taking each item does. While the capped value is below its cap, every
// raise adds its step, in the order listed; at the cap the item is used up
// without effect. Armour also moves the tank to the sprite band of its new
// hit points. The speed item's stepPixels follows when the next move starts.
struct ItemRaise {
    int32_t TankRecord::*value;
    int32_t step;
};
struct ItemEffect {
    int32_t item;
    int32_t TankRecord::*capped;
    int32_t cap;
    ItemRaise raises[2];  // an unused raise has no value
    bool bandFollowsHitPoints;
};
constexpr ItemEffect ItemEffects[] = {
    {.item = ArmourItem,
     .capped = &TankRecord::hitPoints,
     .cap = MaxPlayerHitPoints,
     .raises = {{.value = &TankRecord::hitPoints, .step = 10}, {}},
     .bandFollowsHitPoints = true},
    {.item = FireRateItem,
     .capped = &TankRecord::bulletSpeed,
     .cap = MaxPlayerBulletSpeed,
     .raises = {{.value = &TankRecord::reloadRate, .step = 2},
                {.value = &TankRecord::bulletSpeed, .step = 4}},
     .bandFollowsHitPoints = false},
    {.item = SpeedItem,
     .capped = &TankRecord::speed,
     .cap = MaxPlayerSpeed,
     .raises = {{.value = &TankRecord::speed, .step = 1}, {}},
     .bandFollowsHitPoints = false},
    {.item = ExtraBulletItem,
     .capped = &TankRecord::maxBullets,
     .cap = MaxPlayerBullets,
     .raises = {{.value = &TankRecord::maxBullets, .step = 1}, {}},
     .bandFollowsHitPoints = false},
};

void ApplyItem(TankRecord& player, int32_t item) {
    for (const ItemEffect& effect : ItemEffects) {
        if (effect.item != item)
            continue;
        if (player.*effect.capped >= effect.cap)
            return;
        for (const ItemRaise& raise : effect.raises) {
            if (raise.value != nullptr)
                player.*raise.value += raise.step;
        }
        if (effect.bandFollowsHitPoints)
            player.band = player.hitPoints / 10 - 1;
        return;
    }
}

}  // namespace

void RollItemDrop(const TankRecord& enemy) {
    for (const DropEntry& entry : DropTable) {
        if (entry.enemyBand != enemy.band)
            continue;
        if (Roll(entry.roll) == 0) {
            BattleState.DroppedItem = entry.item;
            BattleState.ItemX = enemy.x;
            BattleState.ItemY = enemy.y;
        }
        return;
    }
}

namespace {

// The side's tank in play whose corner is at most PickupReach from the
// item's on both axes takes it; true when it did.
bool TakenBy(int32_t side) {
    BattleStateRecord& battle = BattleState;
    TankRecord& player = Players[side].tank;
    if (!SideInPlay(side) || std::abs(player.x - battle.ItemX) > PickupReach ||
        std::abs(player.y - battle.ItemY) > PickupReach)
        return false;
    ApplyItem(player, battle.DroppedItem);
    battle.DroppedItem = NoItem;
    return true;
}

}  // namespace

void UpdateItem() {
    BattleStateRecord& battle = BattleState;
    if (battle.DroppedItem == NoItem)
        return;
    DrawItem();
    // The first player's tank is tested first; the second's only when the
    // item is still there.
    for (int32_t side = 0; side < SidesInGame(); ++side)
        if (TakenBy(side))
            return;
}
