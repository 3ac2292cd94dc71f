// The menu's screens and what their rows do; the options screen has a file
// of its own (options_screen.cpp), and so has the drawing (menu_draw.cpp).
#include "shell/menu.h"

#include <cstdio>

#include "battle/level_start.h"
#include "battle/player_control.h"
#include "editor/commands.h"
#include "editor/mode_keys.h"
#include "editor/share_keys.h"
#include "levels/level_grid.h"
#include "shell/help_text.h"
#include "shell/main_window.h"
#include "shell/records.h"
#include "state/battle_state.h"
#include "state/key_poll.h"
#include "state/program_state.h"
#include "texts/extra_texts.h"
#include "texts/menu_texts.h"

MenuRecord Menu;
MenuHostRecord MenuHost;

namespace {

constexpr int VkEnter = 0x0D;

std::string Formatted(const char* format, int a, int b = 0) {
    char text[256];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

bool Ask(const std::string& question) {
    return platform::MessageBox(MainWindow, question.c_str(), "", platform::MB_YESNO) ==
           platform::IDYES;
}

void Resume(int32_t) {
    CloseMenu();
}

void OpenScreen(int32_t screen) {
    ShowMenuScreen(MenuScreen(screen));
}

// A new game for one or two players; from the editor, by way of its own
// question (and the save of unsaved edits) back to play.
void NewGame(int32_t players) {
    CloseMenu();
    if (GameMode == Editing) {
        const int32_t before = PlayersChosen;
        PlayersChosen = players;
        EditorModeKey(platform::VK_F1);
        if (GameMode == Editing)
            PlayersChosen = before;
        return;
    }
    PlayersChosen = players;
    StartNewGame();
}

// A level chosen in play is played as Z with Up or Down plays it: in this
// game, which the records then do not count; the question says so first.
void PlayLevel(int32_t level) {
    CloseMenu();
    const MenuTextId question = RecordsKept() ? MenuLevelQuestion : MenuLevelQuestionRecorded;
    if (!Ask(Formatted(MenuText(question), level + 1)))
        return;
    ZKeysUsed = true;
    BattleState.LevelIndex = level;
    StartLevel();
}

void Records(int32_t) {
    CloseMenu();
    ShowRecordsBox();
}

void Share(int32_t kind) {
    CloseMenu();
    if (kind == 2) {
        if (MenuHost.shareLastRun)
            MenuHost.shareLastRun();
        return;
    }
    EditorShareKey(kind == 0 ? 'C' : 'A');
}

void Editor(int32_t) {
    CloseMenu();
    EditorModeKey(platform::VK_F1);
}

// The game's help, then the keys it does not name.
void Help(int32_t) {
    CloseMenu();
    platform::MessageBox(MainWindow, CurrentHelpText(), Text(HelpCaption), platform::MB_OK);
    platform::MessageBox(MainWindow, MoreKeysHelpText(), ExtraText(MoreKeysCaption),
                         platform::MB_OK);
}

void Quit(int32_t) {
    CloseMenu();
    MainWindowProcedure(MainWindow, platform::WM_CLOSE, 0, 0);
}

MenuEntry Row(MenuTextId label, void (*choose)(int32_t), int32_t arg = 0) {
    return {.label = MenuText(label), .value = {}, .choose = choose, .arg = arg};
}

std::vector<MenuEntry> MainEntries() {
    const bool editing = GameMode == Editing;
    std::vector<MenuEntry> rows = {Row(MenuResume, Resume),
                                   Row(MenuNewGame, OpenScreen, MenuNewGameScreen)};
    if (!editing && (MenuHostRows & MenuRowOnline))
        rows.push_back(Row(MenuPlayOnline, OpenScreen, MenuOnlineScreen));
    if (!editing)
        rows.push_back(Row(MenuChooseLevel, OpenScreen, MenuLevels));
    if (RecordsKept() || RecordsRefused())
        rows.push_back(Row(MenuRecords, Records));
    rows.push_back(Row(MenuOptions, OpenScreen, MenuOptionsScreen));
    rows.push_back(Row(MenuShare, OpenScreen, MenuShareScreen));
    rows.push_back(Row(editing ? MenuLeaveEditor : MenuEditor, Editor));
    rows.push_back(Row(MenuHelp, Help));
    if (MenuHostRows & MenuRowQuit)
        rows.push_back(Row(MenuQuit, Quit));
    return rows;
}

std::vector<MenuEntry> LevelEntries() {
    std::vector<MenuEntry> rows;
    for (int32_t level = 0; level < LevelCount; ++level) {
        MenuEntry row = Row(MenuLevelRow, PlayLevel, level);
        row.label = Formatted(MenuText(MenuLevelRow), level + 1);
        if (RecordsKept()) {
            const int32_t best = CurrentRecords().levels[level].bestTicks;
            row.value = best > 0 ? Formatted(MenuText(MenuLevelBest), best / 100, best % 100)
                                 : MenuText(MenuLevelNotCleared);
        }
        rows.push_back(row);
    }
    return rows;
}

std::vector<MenuEntry> ShareEntries() {
    std::vector<MenuEntry> rows = {Row(MenuShareLevel, Share, 0), Row(MenuShareSet, Share, 1)};
    if (GameMode == Playing && MenuHost.shareLastRun)
        rows.push_back(Row(MenuShareRun, Share, 2));
    AddSetNameRows(rows);
    return rows;
}

int32_t RowCount() {
    return int32_t(MenuEntries().size());
}

// Keeps the row in focus among those shown.
void ScrollToFocus() {
    if (Menu.focus < Menu.top)
        Menu.top = Menu.focus;
    if (Menu.focus >= Menu.top + MenuRowsShown)
        Menu.top = Menu.focus - MenuRowsShown + 1;
}

void MoveFocus(int32_t step) {
    const int32_t count = RowCount();
    if (count == 0)
        return;
    Menu.focus = (Menu.focus + step + count) % count;
    ScrollToFocus();
}

void ChooseRow(int32_t row) {
    std::vector<MenuEntry> rows = MenuEntries();
    if (row < 0 || row >= int32_t(rows.size()))
        return;
    Menu.focus = row;
    if (rows[row].choose)
        rows[row].choose(rows[row].arg);
    else if (rows[row].change)
        rows[row].change(rows[row].arg, 1);
}

void ChangeRow(int32_t step) {
    std::vector<MenuEntry> rows = MenuEntries();
    if (Menu.focus < int32_t(rows.size()) && rows[Menu.focus].change)
        rows[Menu.focus].change(rows[Menu.focus].arg, step);
}

// Esc: a screen below the first goes back to it, the first closes.
void GoBack() {
    if (Menu.screen == MenuMain)
        CloseMenu();
    else
        ShowMenuScreen(MenuMain);
}

}  // namespace

bool MenuOpen() {
    return Menu.screen != MenuClosed;
}

bool MenuMayOpen() {
    return (GameMode == Playing || GameMode == Editing) && !TryingLevel();
}

void ShowMenuScreen(MenuScreen screen) {
    Menu.screen = screen;
    Menu.focus = 0;
    Menu.top = 0;
    Menu.capturing = -1;
    Menu.typing = -1;
    Menu.note = screen == MenuOnlineScreen ? OnlineScreenNote() : std::string();
    // The level being played is in focus among the levels.
    if (screen == MenuLevels) {
        Menu.focus = BattleState.LevelIndex;
        ScrollToFocus();
    }
    DrawMenu();
}

void OpenMenu() {
    MenusOpened += 1;
    KeepPictureUnderMenu();
    Menu.mouseX = MouseX;
    Menu.mouseY = MouseY;
    Menu.buttonDown = KeyIsDown(platform::VK_LBUTTON);
    Menu.pressedRow = -1;
    ShowMenuScreen(MenuMain);
}

void CloseMenu() {
    if (!MenuOpen())
        return;
    Menu.screen = MenuClosed;
    Menu.capturing = -1;
    Menu.typing = -1;
    RestorePictureUnderMenu();
}

std::vector<MenuEntry> MenuEntries() {
    switch (Menu.screen) {
        case MenuMain:
            return MainEntries();
        case MenuNewGameScreen:
            return {Row(MenuOnePlayer, NewGame, 1), Row(MenuTwoPlayers, NewGame, 2)};
        case MenuLevels:
            return LevelEntries();
        case MenuShareScreen:
            return ShareEntries();
        case MenuOptionsScreen:
            return OptionsEntries();
        case MenuOnlineScreen:
            return OnlineEntries();
        default:
            return {};
    }
}

std::string MenuCaptionText() {
    switch (Menu.screen) {
        case MenuNewGameScreen:
            return MenuText(MenuNewGame);
        case MenuLevels:
            return MenuText(MenuChooseLevel);
        case MenuShareScreen:
            return MenuText(MenuShare);
        case MenuOptionsScreen:
            return MenuText(OptionsCaption);
        case MenuOnlineScreen:
            return MenuText(MenuPlayOnline);
        default:
            return MenuText(MenuCaption);
    }
}

void MenuKey(int key) {
    if (Menu.typing == MenuTypingJoinCode) {
        MenuJoinCodeKey(key);
    } else if (Menu.typing >= 0) {
        MenuNameKey(key);
    } else if (Menu.capturing >= 0) {
        OptionsCaptureKey(key);
    } else if (key == platform::VK_ESCAPE) {
        GoBack();
        return;
    } else if (key == platform::VK_UP || key == platform::VK_DOWN) {
        MoveFocus(key == platform::VK_UP ? -1 : 1);
    } else if (key == platform::VK_LEFT || key == platform::VK_RIGHT) {
        ChangeRow(key == platform::VK_LEFT ? -1 : 1);
    } else if (key == VkEnter || key == platform::VK_SPACE) {
        ChooseRow(Menu.focus);
    } else {
        return;
    }
    if (MenuOpen())
        DrawMenu();
}

void MenuTick() {
    const bool moved = MouseX != Menu.mouseX || MouseY != Menu.mouseY;
    const bool down = KeyIsDown(platform::VK_LBUTTON);
    Menu.mouseX = MouseX;
    Menu.mouseY = MouseY;
    const int32_t row = MenuRowAt(MouseX, MouseY);
    const bool pressed = down && !Menu.buttonDown;
    const bool released = !down && Menu.buttonDown;
    Menu.buttonDown = down;
    if (Menu.capturing >= 0 || Menu.typing >= 0)
        return;
    if (moved && row >= 0 && row != Menu.focus) {
        Menu.focus = row;
        DrawMenu();
    }
    if (pressed)
        Menu.pressedRow = row;
    // A click is a press and a release on the same row.
    if (released && row >= 0 && row == Menu.pressedRow) {
        Menu.pressedRow = -1;
        ChooseRow(row);
        if (MenuOpen())
            DrawMenu();
    }
}

void ResetMenu() {
    ForgetMenuPicture();
    Menu = MenuRecord{};
    MenuHost = MenuHostRecord{};
}
