// The process entry of the web edition: the page has mounted the save folder
// (the browser's storage) and unpacked the resources; the game runs in it in
// the language chosen on the page. It also answers the page's questions
// about the game: the mode (which controls a touch screen shows) and a probe
// of the player's tank for the page's tests.
#include <emscripten.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "editor/commands.h"
#include "hosting/host_settings.h"
#include "hosting/status_shown.h"
#include "options/key_bindings.h"
#include "platform/host.h"
#include "platform/web/web_page.h"
#include "programs/web/web_online.h"
#include "programs/web/web_sharing.h"
#include "shell/main_window.h"
#include "shell/menu.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "texts/texts.h"

namespace {

// The page's language for the boxes from now on (the one open keeps its own).
void UseLanguage(const char* name) {
    Language language = Chinese;
    if (!LanguageFromName(name, language))
        return;
    CurrentLanguage = language;
    platform::SetBoxButtonTexts(Text(OkButton), Text(YesButton), Text(NoButton));
}

}  // namespace

extern "C" {

// 0 playing (or paused, or between levels), 1 editing, 2 trying a level from
// the editor.
EMSCRIPTEN_KEEPALIVE int morvask_mode() {
    if (TryingLevel())
        return 2;
    return GameMode == Editing ? 1 : 0;
}

// The player's tank and bullets, the level and the mode, as JSON.
EMSCRIPTEN_KEEPALIVE const char* morvask_probe() {
    static char text[320];
    const TankRecord& player = Players[0].tank;
    const TankRecord& second = Players[1].tank;
    std::snprintf(text, sizeof text,
                  "{\"mode\":%d,\"gameMode\":%d,\"level\":%d,\"x\":%d,\"y\":%d,\"gun\":%d,"
                  "\"bullets\":%d,\"lives\":%d,\"players\":%d,\"x2\":%d,\"y2\":%d}",
                  morvask_mode(), int(GameMode), int(BattleState.LevelIndex), int(player.x),
                  int(player.y), int(player.turretDir), int(Players[0].bullets.size()),
                  int(Players[0].lives), int(BattleState.PlayerCount), int(second.x),
                  int(second.y));
    return text;
}

}  // extern "C"

int main() {
    // "map.txt" is read and written in the working folder, as on the desktop.
    if (chdir("/save") != 0)
        return 1;
    UseLanguage(web::PageLanguage());
    web::SetLanguageObserver(UseLanguage);
    // The default keys, so that a game of two players (N in play) reads the
    // second player's on the keypad and Home, End, Delete, PageDown; the
    // first player's keys stay their own.
    ApplyKeyBindings(DefaultKeyBindings());
    // The page shows the status's compact form beside the field.
    ShowStatusAt(host::StatusAuto);
    // A #host or #join= link plays online; when the meeting fails, the
    // player's own game starts as ever.
    int onlineExit = 0;
    if (PlayOnlineFromAddress(PageAddress(), onlineExit))
        return onlineExit;
    StartWebSession();
    // Esc, and the page's button for it, open the game's menu; a page cannot
    // quit, and meets the other player of an online game by its own line.
    OfferMenu(false, false);
    // The last run's link is the page's to copy, with the page's address.
    MenuHost.shareLastRun = PageSharesLastRun;
    EscapeOpensMenu = true;
    const int exitCode = MorvaskMain(platform::SW_SHOWNORMAL);
    FinishWebSession();
    return exitCode;
}
