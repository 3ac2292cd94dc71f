// The process entry of the Windows program: the command line shared with the
// desktop program (--help, --version, the window's options; replays are the
// SDL2 program's), the player's settings (the window, the volume, the pads),
// then the game with the show-command the program was started with.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "options/command_line.h"
#include "options/records_file.h"
#include "options/settings_file.h"
#include "platform/win32/backend.h"
#include "platform/win32/win32_program.h"
#include "programs/status/status_shown.h"
#include "shell/main_window.h"
#include "shell/records.h"
#include "shell/status.h"

namespace {

// A GUI program has no console of its own: it writes to the one of the
// command prompt that started it, if any.
void WriteToConsole(const std::string& text, bool error) {
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::FILE* stream = std::freopen("CONOUT$", "w", error ? stderr : stdout);
        if (stream) {
            std::fputs(text.c_str(), stream);
            std::fflush(stream);
        }
    }
}

void Remember(const char* key, const std::string& value) {
    // A GUI program has nowhere to say that the file could not be written;
    // the choice holds for this run anyway.
    if (!PlayerSettingsPath.empty())
        SaveSetting(PlayerSettingsPath, key, value);
}

// The volume the player set with + and -, and the full screen of F11, are
// those of the next start.
void RememberVolume(int percent) {
    PlayerSettings.volume = percent;
    Remember("volume", std::to_string(percent));
}

void RememberFullscreen(bool fullscreen) {
    PlayerSettings.fullscreen = fullscreen;
    Remember("fullscreen", fullscreen ? "yes" : "no");
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    CommandLine line = ReadCommandLine(__argc - 1, __argv + 1);
    if (line.action == CommandLineAction::Exit) {
        WriteToConsole(line.output, false);
        return 0;
    }
    if (line.action == CommandLineAction::BadUsage) {
        WriteToConsole(line.output, true);
        return 2;
    }
    // Replays are recorded and played by the SDL2 desktop program; this one
    // would run an ordinary game instead, which is not what was asked.
    if (!line.recordPath.empty() || !line.playPath.empty() || !line.sharePath.empty() ||
        !line.openText.empty()) {
        WriteToConsole(
            "morvask: this program does not record, play or share replays and codes; the "
            "SDL2 desktop program (morvask --record, --play, --share, --open) and "
            "morvask-sim do\n",
            true);
        return 2;
    }
    LoadPlayerSettings(WindowsSettingsPath(std::getenv("APPDATA")));
    ApplyCommandLine(line, PlayerSettings);
    ApplyPlayerSettings();
    win32::SetWindowOptions({.fullscreen = PlayerSettings.fullscreen,
                             .scale = PlayerSettings.scale,
                             .fitMode = PlayerSettings.scaleMode == ScaleFit});
    win32::SetFullscreenObserver(RememberFullscreen);
    win32::SetVolume(PlayerSettings.volume);
    win32::SetVolumeObserver(RememberVolume);
    win32::SetPadDeadZone(PlayerSettings.padDeadzone);
    constexpr software::StatusPlace Places[] = {
        software::StatusPlace::Auto, software::StatusPlace::Side, software::StatusPlace::Title,
        software::StatusPlace::Off};
    const int32_t hud = PlayerSettings.hud;
    win32::SetStatusDisplay(Places[hud >= HudAuto && hud <= HudOff ? hud : HudAuto],
                            FillStatusShown);
    Intro = {.shortIntro = PlayerSettings.shortIntro, .sound = PlayerSettings.volume > 0};
    if (!PlayerSettingsPath.empty())
        KeepRecordsIn(RecordsPathBeside(PlayerSettingsPath));
    int exitCode = MorvaskMain(showCommand);
    win32::ReleaseSurfaces();
    return exitCode;
}
