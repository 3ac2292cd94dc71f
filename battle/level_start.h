// Starting a game and starting a level: the two operations that put the
// battle into a known state.
#pragma once

#include <cstdint>

// The fresh tank and three lives of a new game, for PlayersChosen players:
// with two, the second player's tank and three lives as well.
void ResetPlayers();

// A new game: the timer set, a fresh tank, level 1, three lives, then the
// level's start. The level set stays as it is (a loaded map stays in force).
void StartNewGame();

// Announces level LevelIndex in a box (with the level music in play), then
// carries the player's tank over, empties every list, resets the counters and
// copies the level into WorkingGrid. Called only in Playing or Editing.
void StartLevel();
// The level start after its box: the tanks carried over, the lists emptied,
// the counters reset and the level copied into WorkingGrid. (A game's replay
// builds the start of its game with it; it opens no box.)
void ResetLevel();

// Games and levels started since program start, for the shell's records to
// notice; they are no part of the game's state and no rule reads them.
extern int32_t GamesStarted;
extern int32_t LevelsStarted;
// Whether the box announcing a level is open: the status then shows the
// level about to start (its enemies still all to come), not the one before.
// No rule reads it.
extern bool AnnouncingLevel;
// The counters back to none, as at program start.
void ResetStartCounters();
