// What the status display around the field shows, computed in one place
// from the game's records: the level, the player's tanks, the enemies left
// and the four upgrades. The display only reads; nothing here changes play.
#pragma once

#include <cstdint>
#include <string>

enum StatusKind : int32_t {
    NoStatus = 0,      // no game yet (the start-up boxes): nothing to show
    GameStatus = 1,    // a game runs (paused, between levels, trying a level too)
    EditorStatus = 2,  // the editor: only the level edited
};

// The four upgrades in the order of the items: armour, rate of fire, speed,
// bullets.
inline constexpr int UpgradeCount = 4;

struct StatusRecord {
    StatusKind kind = NoStatus;
    int32_t level = 0;    // 1 to 35
    int32_t tanks = 0;    // the player's tanks left, the one on the field included
    int32_t enemies = 0;  // still to come plus on the field
    // Items taken that still count, 0 up to UpgradeCaps.
    int32_t upgrades[UpgradeCount] = {};
    // A game of two players: the second player's tanks and upgrades too.
    bool twoPlayers = false;
    int32_t tanks2 = 0;
    int32_t upgrades2[UpgradeCount] = {};

    bool operator==(const StatusRecord&) const = default;
};

// How many of each item the tank can take before it is used up in vain.
extern const int32_t UpgradeCaps[UpgradeCount];

// The status now.
StatusRecord CurrentStatus();

// The compact form that follows the game's title in the player's language
// ("Level 3 · Tanks 2 · ..."); empty when there is nothing to show.
std::string StatusTitleSuffix(const StatusRecord& status);
// The form the window's title shows: the same, but for two players the
// shorter one (each player's upgrades as four numbers), which a window on a
// screen 1366 pixels wide shows whole.
std::string WindowTitleSuffix(const StatusRecord& status);
// The window's title: the game's own, followed by the compact form after a
// dash when there is one.
std::string StatusTitle(const std::string& gameTitle, const StatusRecord& status);
