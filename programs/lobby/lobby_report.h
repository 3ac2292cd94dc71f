// What morvask-lobby tells on standard output once stopped: its counts of
// rooms and datagrams, and of its web side and directory when it has them.
#pragma once

#include "programs/lobby/rooms.h"

void PrintLobbyCounts(const LobbyCounts& counts, bool web, bool directory);
