// The calendar time of the backends that run on a real clock, which a
// replay can fix to the value its run was seeded with.
#include <ctime>

#include "platform/platform.h"

namespace platform {

namespace {
bool Fixed = false;
uint32_t FixedSeconds = 0;
}  // namespace

uint32_t CalendarTimeSeconds() {
    if (Fixed)
        return FixedSeconds;
    return uint32_t(std::time(nullptr));
}

void FixCalendarTime(uint32_t seconds) {
    Fixed = true;
    FixedSeconds = seconds;
}

}  // namespace platform
