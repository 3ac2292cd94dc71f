// morvask-sim's sync test (--sync-test N): every tick of the script, once
// run, is rolled back N ticks and those run again; the output is the plain
// run's, and the first tick that comes out otherwise fails the run.
#pragma once

#include <string>

#include "platform/headless/headless.h"

// Takes `--sync-test N` when it comes first; false, with the reason on
// standard error, for a depth it does not take.
bool TakeSyncTestOption(int& argc, char**& argv);
bool SyncTesting();

// The script's own box answerer and reporter, which ticks run again leave
// alone: those get the answers of their first run and show nothing.
void InstallSyncTestHooks(headless::BoxAnswerer answerer, headless::BoxObserver observer);
// One tick of the script, with its rollback; ends the run (exit code 1) at a
// mismatch, naming the tick.
void SyncTestStep();
// A command of the script: one that changes the state besides the ticks
// keeps the rollbacks from reaching before it.
void SyncTestCommand(const std::string& name);
// The summary on standard error.
void EndSyncTest();
