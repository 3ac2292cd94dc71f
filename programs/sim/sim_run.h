// Where a run of morvask-sim starts from and how it ends early. A program
// that runs many scripts in one process (the script reader's fuzz target)
// resets between them and links an ending of its own.
#pragma once

// The script's own state back to a fresh run's: its line, seed, answers,
// recording and start. The game's state is the game's to reset.
void ResetSimRun();

// Ends the run at once with the exit code: the process exits.
[[noreturn]] void EndSimRun(int code);
