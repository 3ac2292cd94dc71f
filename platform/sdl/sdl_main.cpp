// The process entry of the desktop program: prepares the locale that the
// message boxes draw their Chinese texts with, then runs the game.
#include <SDL.h>
#include <langinfo.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>

#include "app/main_window.h"
#include "app/settings_file.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/sdl/sdl_controls.h"

namespace {

bool LocaleIsUtf8(const char* name) {
    if (!std::setlocale(LC_CTYPE, name))
        return false;
    return std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
}

// SDL draws its message boxes on X11 with the server's core fonts, through
// a font set that Xlib builds from the character sets of the locale in the
// environment. Chinese needs a UTF-8 locale, and a Chinese one takes every
// ideograph from one Chinese font instead of a mix of Japanese, Korean and
// Chinese ones. The program's own locale stays "C".
void ChooseLocaleForBoxes() {
    const char* chosen = nullptr;
    for (const char* name : {"zh_CN.UTF-8", "zh_CN.utf8"}) {
        if (LocaleIsUtf8(name)) {
            chosen = name;
            break;
        }
    }
    if (!chosen && !LocaleIsUtf8("")) {
        for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
            if (LocaleIsUtf8(name)) {
                chosen = name;
                break;
            }
        }
    }
    std::setlocale(LC_CTYPE, "C");
    if (chosen)
        setenv("LC_ALL", chosen, 1);
}

// The volume the player set with + and - is the one of the next start.
void RememberVolume(int percent) {
    PlayerSettings.volume = percent;
    if (!PlayerSettingsPath.empty() &&
        !SaveSetting(PlayerSettingsPath, "volume", std::to_string(percent)))
        std::fprintf(stderr, "morvask: %s: could not save the volume\n",
                     PlayerSettingsPath.c_str());
}

}  // namespace

namespace platform {

uint32_t CalendarTimeSeconds() {
    return uint32_t(std::time(nullptr));
}

}  // namespace platform

int main(int, char**) {
    // Before SDL starts any thread: the environment is changed here only.
    ChooseLocaleForBoxes();
    if (!sdl::StartVideo())
        return 1;
    LoadPlayerSettings(UnixSettingsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")));
    ApplyPlayerSettings();
    sdl::SetVolume(PlayerSettings.volume);
    sdl::SetVolumeObserver(RememberVolume);
    sdl::SetPadDeadZone(PlayerSettings.padDeadzone);
    sdl::StartPads();
    int exitCode = MorvaskMain(platform::SW_SHOWNORMAL);
    sdl::StopAll();
    return exitCode;
}
