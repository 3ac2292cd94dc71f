// The process entry of the Windows program: the command line and where the
// player's files live, output to the console the program was started from
// (a GUI program has none of its own), then what the command line asks.
#include <cstdio>
#include <cstdlib>

#include "hosting/program_run.h"
#include "options/command_line.h"
#include "options/settings_file.h"
#include "platform/win32/win32_api.h"

namespace {

// Standard output and error go to the command prompt that started the
// program, if any; otherwise they go nowhere, as a GUI program's do.
void UseParentConsole() {
    if (!::AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
    UseParentConsole();
    CommandLine line = ReadCommandLine(__argc - 1, __argv + 1);
    if (line.action == CommandLineAction::Exit) {
        std::fputs(line.output.c_str(), stdout);
        std::fflush(stdout);
        return 0;
    }
    if (line.action == CommandLineAction::BadUsage) {
        std::fputs(line.output.c_str(), stderr);
        std::fflush(stderr);
        return 2;
    }
    const ProgramPlaces places{.settingsPath = WindowsSettingsPath(std::getenv("APPDATA"))};
    const int exitCode = RunProgram(line, places, showCommand);
    std::fflush(stdout);
    return exitCode;
}
