// What the desktop windows (SDL2 and Win32) show of the status beside the
// field: the game's status record in the player's language, with the
// sprites of the game's sheets.
#pragma once

#include "platform/shared/status_panel.h"

// Fills `shown` from the status of the moment.
void FillStatusShown(software::StatusShown& shown);
