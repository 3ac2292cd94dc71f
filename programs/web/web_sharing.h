// Sharing in the web edition: the session recorded from the start, the page's
// own #replay= link played instead, and what the page's share buttons copy.
#pragma once

#include <string>

// The page's address, its fragment included.
std::string PageAddress();

// Before the game starts: a #replay= link in the page's address is set up to
// play (a refused one is told to the page, and the game starts as ever);
// otherwise the session is recorded, so that a finished game can be shared.
void StartWebSession();
// After the game's loop ended: a playback's result to the page.
void FinishWebSession();
// Whether this start plays a replay (a link's or a dropped one).
bool PlayingReplay();
// The menu's "the last run": the page copies its link, or says why it has
// none and offers the file.
void PageSharesLastRun();
