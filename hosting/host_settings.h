// The player's settings put in force on the host, and the player's changes
// made in the window (full screen, scale mode, volume) remembered in them.
#pragma once

#include <string>

#include "options/command_line.h"

// Reads the settings file at `path` (empty: none), lays the command line
// over it, and hands the host the window's options, the volume, the pads,
// the status's place and the indicator's texts; the host's observers save
// each change the player makes back to the file.
void PutSettingsInForce(const CommandLine& line, const std::string& path);

// The menu reaches the program's own parts through these hooks; `canQuit`
// for a program that can end itself, `online` for one that plays over the
// network from the menu. Whether Esc opens it is the program's
// (EscapeOpensMenu), or a replay's.
void OfferMenu(bool canQuit, bool online);
