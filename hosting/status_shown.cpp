// The status every window shows beside the field, from the game's status
// record and the game's sheets.
#include "hosting/status_shown.h"

#include "render/draw.h"
#include "render/sheets.h"
#include "shell/status.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "texts/menu_texts.h"
#include "texts/status_texts.h"

namespace {

// A tank's sprite of the tank sheet, as play draws it.
host::SheetSprite TankPart(int32_t band, int32_t direction, int32_t row) {
    int x = 0, y = 0;
    TankSpriteSource(band, direction, row, x, y);
    return {TankSheet, x, y, TankSprite, TankSprite};
}

// An item's picture; none where the cell sheet has no such sprite.
host::SheetSprite ItemPicture(int32_t item) {
    int x = 0, y = 0;
    if (!CellSpriteSource(24 + item, x, y))
        return {};
    return {CellSheet, x, y, CellSprite, CellSprite};
}

}  // namespace

void FillStatusShown(host::StatusShown& shown) {
    const StatusRecord status = CurrentStatus();
    shown = {};
    if (status.kind == NoStatus)
        return;
    shown.shown = true;
    shown.level = status.level;
    shown.titleSuffix = WindowTitleSuffix(status);
    shown.heading =
        StatusText(status.kind == EditorStatus ? StatusEditorHeading : StatusLevelHeading);
    if (EscapeOpensMenu)
        shown.hint = MenuText(MenuStatusHint);
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

void ShowStatusAt(host::StatusPlace place) {
    const bool known = place >= host::StatusAuto && place <= host::StatusOff;
    host::SetStatusDisplay(known ? place : host::StatusAuto, FillStatusShown);
}
