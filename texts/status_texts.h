// The texts of the status display around the field (the side panel and the
// window title's compact form), in each language.
#pragma once

#include "texts/texts.h"

enum StatusTextId : int32_t {
    // The panel's headings.
    StatusLevelHeading,
    StatusEditorHeading,
    StatusTanksLabel,
    StatusEnemiesLabel,
    StatusUpgradesLabel,
    // The compact form after the game's title. printf formats: the level,
    // the tanks, the enemies, then the four upgrades.
    StatusTitleGame,
    // printf format: the level.
    StatusTitleEditor,
    // A game of two players: the panel's labels of each player's tanks and
    // upgrades, and the title's compact form. printf formats: the level, the
    // enemies, then each player's tanks and four upgrades.
    StatusPlayer1Label,
    StatusPlayer2Label,
    StatusTitleTwoPlayers,
    // The same, shorter, for the window's title, which a window on a screen
    // 1366 pixels wide shows whole: each player's upgrades as four numbers.
    StatusWindowTitleTwoPlayers,
    StatusTextCount,
};

// The text in the current language (UTF-8).
const char* StatusText(StatusTextId id);
const char* StatusTextIn(Language language, StatusTextId id);
