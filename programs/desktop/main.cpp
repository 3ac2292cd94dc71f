// The process entry of the desktop program (SDL2): reads the command line
// and where the player's files live, then runs what it asks.
#include <cstdio>
#include <cstdlib>

#include "hosting/program_run.h"
#include "options/command_line.h"
#include "options/settings_file.h"
#include "platform/host.h"

int main(int argumentCount, char** arguments) {
    CommandLine line = ReadCommandLine(argumentCount - 1, arguments + 1);
    if (line.action == CommandLineAction::Exit) {
        std::fputs(line.output.c_str(), stdout);
        return 0;
    }
    if (line.action == CommandLineAction::BadUsage) {
        std::fputs(line.output.c_str(), stderr);
        return 2;
    }
    const ProgramPlaces places{
        .settingsPath = UnixSettingsPath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"))};
    return RunProgram(line, places, platform::SW_SHOWNORMAL);
}
