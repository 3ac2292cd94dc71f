// The whole game state as one flat list of words, saved before a tick and
// put back for a rollback or to switch between peers in one process.
#pragma once

#include <cstdint>
#include <vector>

// Every field the field visitor walks (the second player's side and both lock
// latches always, whatever the player count), the editor's brush and the
// player count chosen, and the start counters the player's records watch:
// all that a tick of play reads and writes.
using StateSnapshot = std::vector<int32_t>;

void SaveGameState(StateSnapshot& into);
// False when the snapshot is not one that SaveGameState wrote (too short, too
// long, or a list longer than the words left); the state is then partly
// written. Snapshots never come from outside the process.
bool RestoreGameState(const StateSnapshot& from);
// FNV-1a over the snapshot's words: the checksum peers exchange.
uint32_t SnapshotChecksum(const StateSnapshot& snapshot);
