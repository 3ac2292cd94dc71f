// One reset of everything the game keeps from call to call, as at program
// start: for a program that runs the game again in its own process, and the
// tests between cases.
#pragma once

// Every module's state as at program start: the run's and the battle's
// records, the generator, the language, drawing, the frame layers, the start
// counters, the editor (session, clipboard, try-out, history, brush, share
// address), the keys and settings, the recorder, the playback, the run's
// share code, the records (and the Z keys' flag they watch), the intro and the level set last
// saved. Not the sheets, which every start-up makes anew, nor the host's own state (its window,
// bindings and clock), which is its backend's to reset.
void ResetProgram();
