// The child processes of the kill tests and their tracing.
#include "tests/unit/kill_harness.h"

#include <signal.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Stops the child at its next system call's entry or exit; false, with its
// status, when it ended instead.
bool NextSyscallStop(pid_t child, int& status) {
    if (ptrace(PTRACE_SYSCALL, child, nullptr, nullptr) != 0)
        return false;
    return waitpid(child, &status, 0) == child && WIFSTOPPED(status);
}

void KillAndReap(pid_t child) {
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
}

}  // namespace

KillOutcome KillAtSystemCall(int stop, const std::function<bool()>& write, bool& succeeded) {
    succeeded = false;
    const pid_t child = fork();
    if (child < 0)
        return CannotTrace;
    if (child == 0) {
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
            _exit(3);
        raise(SIGSTOP);
        _exit(write() ? 0 : 1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFSTOPPED(status))
        return CannotTrace;
    int reached = 0;
    while (reached < stop && NextSyscallStop(child, status))
        ++reached;
    if (reached < stop) {
        succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        return EndedBefore;
    }
    KillAndReap(child);
    return KilledThere;
}

void KillAfter(useconds_t micros, const std::function<void()>& loop) {
    const pid_t child = fork();
    if (child < 0)
        return;
    if (child == 0) {
        loop();
        _exit(0);
    }
    usleep(micros);
    KillAndReap(child);
}
