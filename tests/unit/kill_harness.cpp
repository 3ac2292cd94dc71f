// The child processes of the kill tests.
#include "tests/unit/kill_harness.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

void KillAfter(useconds_t micros, const std::function<void()>& loop) {
    const pid_t child = fork();
    if (child < 0)
        return;
    if (child == 0) {
        loop();
        _exit(0);
    }
    usleep(micros);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
}
