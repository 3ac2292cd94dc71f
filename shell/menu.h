// The menu that Esc opens in play and in the editor (not in a try-out, where
// Esc ends the try): resume, a new game, a level to play, the records, the
// options screen, sharing, the editor, help and quitting, in the player's
// language. While it is open the game stands still (no tick of play or of
// the editor runs) and every key goes to it; it never opens by itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/host.h"

enum MenuScreen : int32_t {
    MenuClosed,
    MenuMain,
    MenuNewGameScreen,
    MenuLevels,
    MenuShareScreen,
    MenuOptionsScreen,
    MenuOnlineScreen,
};

// One row of a screen: what it says, the value it shows on its right, and
// what Enter (or a click) and Left or Right do with it.
struct MenuEntry {
    std::string label;
    std::string value = {};
    void (*choose)(int32_t arg) = nullptr;
    void (*change)(int32_t arg, int32_t step) = nullptr;
    int32_t arg = 0;
};

struct MenuRecord {
    MenuScreen screen = MenuClosed;
    int32_t focus = 0;
    // The first row shown, when a screen has more rows than fit.
    int32_t top = 0;
    // The play action whose new key the options screen waits for; -1 none.
    int32_t capturing = -1;
    // The set's name typed on the share screen (0 its title, 1 its author;
    // -1 none), and the text typed so far.
    int32_t typing = -1;
    std::string typed;
    // The code typed on the Play online screen (typing MenuTypingJoinCode).
    std::string joinCode;
    // A line under the rows: what the last choice did, or why it was refused.
    std::string note;
    // The pointer: where it was last seen, and whether the main button was
    // down then and went down on a row.
    int32_t mouseX = -1, mouseY = -1;
    bool buttonDown = false;
    int32_t pressedRow = -1;
};
extern MenuRecord Menu;

// What the program around the game lets the menu do (whether Esc opens it is
// EscapeOpensMenu, state/program_state.h): whether the program can quit, and
// the program's own parts the menu reaches.
struct MenuHostRecord {
    // Hosts a game over the network (`hosting`) or joins the one `code`
    // names; null where the program plays none (the row shows where
    // MenuHostRows says, so a replay's run has its rows).
    void (*playOnline)(bool hosting, const std::string& code) = nullptr;
    // Shares the run of the last game (as Ctrl+Shift+C after it); null: none.
    void (*shareLastRun)() = nullptr;
    // Puts the status's place into force.
    void (*showStatusAt)(host::StatusPlace place) = nullptr;
    // Full screen on or off, and the scale mode, for a host that has them.
    void (*setFullscreen)(bool fullscreen) = nullptr;
    void (*setScaleMode)(host::ScaleMode mode) = nullptr;
};
extern MenuHostRecord MenuHost;

bool MenuOpen();
// Whether Esc may open the menu now: in play or in the editor, not in a
// try-out.
bool MenuMayOpen();
// Opens the menu on its first screen over the picture shown now.
void OpenMenu();
// Closes it and shows the picture it covered again.
void CloseMenu();
// A key-down while the menu is open.
void MenuKey(int key);
// Each tick while the menu is open: the pointer's moves and clicks.
void MenuTick();

// The rows and caption of the screen open now.
std::vector<MenuEntry> MenuEntries();
std::string MenuCaptionText();
// Moves to another screen, its first row in focus.
void ShowMenuScreen(MenuScreen screen);

// The options screen's rows, and a key-down while it waits for a new key.
std::vector<MenuEntry> OptionsEntries();
void OptionsCaptureKey(int key);

// The share screen's rows of the set's title and author, and a key-down
// while one of them is typed.
void AddSetNameRows(std::vector<MenuEntry>& rows);
void MenuNameKey(int key);

// The Play online screen's rows, the line under them (where the game is
// met), and a key-down while the code to join is typed.
inline constexpr int32_t MenuTypingJoinCode = 2;
std::vector<MenuEntry> OnlineEntries();
std::string OnlineScreenNote();
void MenuJoinCodeKey(int key);

// The menu drawn over the picture it keeps; the row under a field point, -1
// none.
void KeepPictureUnderMenu();
void DrawMenu();
void RestorePictureUnderMenu();
int32_t MenuRowAt(int32_t x, int32_t y);
// The menu's surfaces forgotten (the host's reset gives every surface back).
void ForgetMenuPicture();
// How many rows show at once.
inline constexpr int32_t MenuRowsShown = 15;

// Closed, nothing captured, Esc opening nothing, as at program start.
void ResetMenu();
