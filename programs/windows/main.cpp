// The process entry of the Windows program: the command line shared with the
// desktop program (--help, --version; the window options are for scalable
// windows, and this one keeps its fixed size; replays are the SDL2 program's),
// then the game with the show-command the program was started with.
#include <cstdio>
#include <cstdlib>

#include "options/command_line.h"
#include "options/settings_file.h"
#include "platform/win32/backend.h"
#include "shell/main_window.h"

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
    if (!line.recordPath.empty() || !line.playPath.empty()) {
        WriteToConsole(
            "morvask: this program does not record or play replays; the SDL2 "
            "desktop program (morvask --record, --play) and morvask-sim do\n",
            true);
        return 2;
    }
    LoadPlayerSettings(WindowsSettingsPath(std::getenv("APPDATA")));
    ApplyPlayerSettings();
    int exitCode = MorvaskMain(showCommand);
    win32::ReleaseSurfaces();
    return exitCode;
}
