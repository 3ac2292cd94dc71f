// An online game in the page: a #host or #join=CODE link meets the other
// player through the lobby that served the page, then plays the game of two
// as the desktop programs do, relayed by the lobby.
#pragma once

#include <string>

// Whether the page's address asks for an online game (#host, #join=CODE) or
// to watch one (#watch=CODE); when it does, plays or shows it (the meeting,
// the game, its replay kept in the save folder) and returns true with the
// game's exit code. False, with nothing started, when
// it does not ask for one or the meeting failed (the page is told why).
bool PlayOnlineFromAddress(const std::string& address, int& exitCode);
