// The status the desktop window shows around the field (level, tanks,
// enemies, upgrades): a panel drawn into the black bar beside the field, or
// a compact form after the game's title. The game's code computes what it
// says; the window only draws it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace sdl {

// Where the status shows: the panel where the bar beside the field has
// room for it and the title elsewhere (Auto), only the panel (Side), only
// the title (Title), or nowhere (Off).
enum class StatusPlace { Auto, Side, Title, Off };

// A sprite of one of the game's sheets: its image at (x, y), its mask
// directly below, as platform::SpriteBlt draws it.
struct SheetSprite {
    const platform::SurfaceData* sheet = nullptr;
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const SheetSprite&) const = default;
};

// What the status says now, in the player's language.
struct StatusShown {
    bool shown = false;   // false: no panel, and the game's own title
    std::string heading;  // over the number: "LEVEL", or the editor's name
    int32_t level = 0;
    bool game = false;  // the rows of tanks, enemies and upgrades
    std::string tanksLabel, enemiesLabel, upgradesLabel;
    int32_t tanks = 0, enemies = 0;
    int32_t upgrades[4] = {};
    int32_t upgradeCaps[4] = {};
    // A game of two players: each player's tanks and upgrades under its label.
    bool twoPlayers = false;
    std::string player1Label, player2Label;
    int32_t tanks2 = 0;
    int32_t upgrades2[4] = {};
    // The pictures: the player's and an enemy's tank (hull, then gun), and
    // the four items.
    SheetSprite playerTank[2], enemyTank[2], items[4];
    // In a game of two, each player's plate, shown on its tank as in play.
    SheetSprite playerMark[2];
    // The compact form that follows the game's title.
    std::string titleSuffix;
    bool operator==(const StatusShown&) const = default;
};

// The panel's width in its own units (at 1x, output pixels), margins
// beside it included: the bar beside the field must be at least this wide
// for the panel to show.
inline constexpr int StatusPanelRoom = 160;

// Before the window shows: where the status goes, and where it comes from
// (asked before every frame shown; it is drawn again only when it changed).
// With MORVASK_STATUS_FILE set, each change of what shows is written to that
// file as one line (the tests read it): "panel level=3 tanks=2 enemies=14
// upgrades=1/0/2/0" (with " tanks2=3 upgrades2=0/0/0/0" for two players),
// "title TITLE" or "none".
void SetStatusDisplay(StatusPlace place, void (*source)(StatusShown& shown));

}  // namespace sdl
