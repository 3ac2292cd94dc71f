// Bringing back an earlier version of the map file in the editor (F4): the
// versions every save keeps (map.txt.1 the newest), offered newest first.
#pragma once

// Offers each kept version in turn, newest first, until one is taken: the
// editor's levels become it (one undoable step per level), as the player's
// own levels, for F3 or the save question to write as the map file. Says so
// when none is kept.
void BringBackMapVersion();
