// The status every window shows beside the field or in its title: the
// game's status record in the player's language, with the sprites of the
// game's sheets, handed to the host.
#pragma once

#include "platform/host.h"

// Fills `shown` from the status of the moment.
void FillStatusShown(host::StatusShown& shown);
// Shows the status where `place` says (the setting, or a replay's).
void ShowStatusAt(host::StatusPlace place);
