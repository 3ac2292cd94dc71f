// The status the desktop windows show beside the field, from the game's
// status record and the game's sheets.
#include "programs/status/status_shown.h"

#include "render/sheets.h"
#include "shell/status.h"
#include "state/battle_state.h"
#include "texts/status_texts.h"

namespace {

// The sheets' layouts (render/draw.cpp): a tank sheet's band b, direction d
// starts at (64 d, 128 b); row 8 of a band holds the gun at rest. An item is
// cell sprite 24 + its number, four cells to a row.
software::SheetSprite TankPart(int32_t band, int32_t direction, int32_t row) {
    return {TankSheet, TankSprite * direction, 2 * TankSprite * (10 * band + row), TankSprite,
            TankSprite};
}

software::SheetSprite ItemPicture(int32_t item) {
    const int32_t n = 24 + item;
    return {CellSheet, CellSprite * (n % 4), 2 * CellSprite * (n / 4), CellSprite, CellSprite};
}

}  // namespace

void FillStatusShown(software::StatusShown& shown) {
    const StatusRecord status = CurrentStatus();
    shown = {};
    if (status.kind == NoStatus)
        return;
    shown.shown = true;
    shown.level = status.level;
    shown.titleSuffix = StatusTitleSuffix(status);
    shown.heading =
        StatusText(status.kind == EditorStatus ? StatusEditorHeading : StatusLevelHeading);
    if (status.kind != GameStatus)
        return;
    shown.game = true;
    shown.tanksLabel = StatusText(StatusTanksLabel);
    shown.enemiesLabel = StatusText(StatusEnemiesLabel);
    shown.upgradesLabel = StatusText(StatusUpgradesLabel);
    shown.tanks = status.tanks;
    shown.enemies = status.enemies;
    // The player's fresh tank facing up; the enemies' basic tank facing down,
    // as they come.
    shown.playerTank[0] = TankPart(FreshPlayerRecord.band, Up, 0);
    shown.playerTank[1] = TankPart(FreshPlayerRecord.band, Up, 8);
    shown.enemyTank[0] = TankPart(4, Down, 0);
    shown.enemyTank[1] = TankPart(4, Down, 8);
    shown.twoPlayers = status.twoPlayers;
    if (status.twoPlayers) {
        shown.player1Label = StatusText(StatusPlayer1Label);
        shown.player2Label = StatusText(StatusPlayer2Label);
        shown.tanks2 = status.tanks2;
        for (int p = 0; p < 2; ++p)
            shown.playerMark[p] = {MarkSheet, MarkSprite * p, 0, MarkSprite, MarkSprite};
    }
    for (int u = 0; u < UpgradeCount; ++u) {
        shown.upgrades2[u] = status.upgrades2[u];
        shown.upgrades[u] = status.upgrades[u];
        shown.upgradeCaps[u] = UpgradeCaps[u];
        shown.items[u] = ItemPicture(u);
    }
}
