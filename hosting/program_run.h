// A program's run of the game, the same on every host: sharing a file's code,
// opening a shared code, recording, or playing a replay as the command line
// asks, else the game itself. A program's entry reads its own command line
// and environment and hands the rest here.
#pragma once

#include <string>

#include "options/command_line.h"

// Where a program keeps the player's files: the settings file's path (the
// records live beside it); empty when there is none.
struct ProgramPlaces {
    std::string settingsPath;
};

// Runs what `line` asks (its action is RunGame) and returns the process's
// exit status: 0 on success, 1 when the game could not be shown or a replay
// parted from its recording or could not be written, 2 for what was asked
// wrongly (a bad file, code or path).
int RunProgram(CommandLine& line, const ProgramPlaces& places, int showCommand);
