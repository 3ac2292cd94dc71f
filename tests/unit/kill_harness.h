// Kills a child process that writes a file, at each of its system calls or
// after a while, for the tests that a killed game leaves its files whole.
#pragma once

#include <sys/types.h>

#include <functional>

enum KillOutcome {
    KilledThere,  // stopped at that system call and killed
    EndedBefore,  // the write made fewer system calls and ended
    CannotTrace,  // no tracing here (a sandbox without ptrace)
};

// Runs `write` in a child that is stopped at the entry and the exit of each of
// its system calls in turn and killed at stop number `stop` (from 1): every
// moment at which the file system can see anything of the write. When the
// child ends first, `succeeded` says whether `write` returned true.
KillOutcome KillAtSystemCall(int stop, const std::function<bool()>& write, bool& succeeded);

// Runs `loop`, which never returns, in a child and kills it after `micros`.
void KillAfter(useconds_t micros, const std::function<void()>& loop);
