// The process entry of the Windows program: the game with the show-command
// the program was started with.
#include <cstdlib>

#include "app/main_window.h"
#include "app/settings_file.h"
#include "platform/win32/win32_api.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    LoadPlayerSettings(WindowsSettingsPath(std::getenv("APPDATA")));
    ApplyPlayerSettings();
    return MorvaskMain(showCommand);
}
