// Kills a child process that writes a file after a while, for the tests that
// a killed game leaves its files whole.
#pragma once

#include <sys/types.h>

#include <functional>

// Runs `loop`, which never returns, in a child and kills it after `micros`.
void KillAfter(useconds_t micros, const std::function<void()>& loop);
