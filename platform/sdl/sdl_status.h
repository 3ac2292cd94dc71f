// The status the desktop window shows around the field (level, tanks,
// enemies, upgrades): a panel drawn into the black bar beside the field, or
// a compact form after the game's title. The game's code computes what it
// says; the window only draws it.
#pragma once

#include "platform/shared/status_panel.h"

namespace sdl {

using software::SheetSprite;
using software::StatusPanelRoom;
using software::StatusPlace;
using software::StatusShown;

// Before the window shows: where the status goes, and where it comes from
// (asked before every frame shown; it is drawn again only when it changed).
// With MORVASK_STATUS_FILE set, each change of what shows is written to that
// file as one line (the tests read it): "panel level=3 tanks=2 enemies=14
// upgrades=1/0/2/0" (with " tanks2=3 upgrades2=0/0/0/0" for two players),
// "title TITLE" or "none".
void SetStatusDisplay(StatusPlace place, void (*source)(StatusShown& shown));

}  // namespace sdl
