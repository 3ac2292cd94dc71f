// How morvask-sim ends a run early: the process exits with the code.
#include <cstdlib>

#include "programs/sim/sim_run.h"

void EndSimRun(int code) {
    std::exit(code);
}
