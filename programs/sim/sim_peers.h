// morvask-sim's two peers in one process (--peers PROFILE[:SEED[:DELAY]]):
// the script's two-player inputs split so that each peer owns one player's
// keys, both peers run rollback sessions over a simulated link with seeded
// faults, and their final states are compared with each other and with the
// plain run of the inputs they agreed on.
#pragma once

#include <string>

// Takes `--peers ...` when it comes first; false, with the reason on
// standard error, for a profile or number it does not take.
bool TakePeersOption(int& argc, char**& argv);
bool PeersMode();

// While the script is read: a tick's keys are taken, not run; P is the first
// player's pause command of the next tick. False for another key.
void PeersCaptureTick();
bool PeersPress(int virtualKey);
// Whether the script may use the command in this mode.
bool PeersCommandAllowed(const std::string& name);

// Runs the peers over the link from the state the script started, then the
// plain run of the agreed inputs (recorded as a replay when `record` is
// true); writes the summary and returns the exit code: 0 the same game
// everywhere, 1 a desync.
int RunPeers(bool record);
