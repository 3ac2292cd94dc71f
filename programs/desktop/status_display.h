// The status around the field in the desktop window: what it shows, made
// from the game's status record, and where the hud setting puts it.
#pragma once

#include <cstdint>

// Shows the status as `hud` (a HudMode: the setting, or a replay's) says.
void ShowStatusAs(int32_t hud);
