// Polling the keyboard and the mouse buttons as a tick sees them.
#pragma once

#include "platform/platform.h"

// True while the key or button is down at the moment of the call.
inline bool KeyIsDown(int virtualKey) {
    return (platform::GetAsyncKeyState(virtualKey) & 0x8000) != 0;
}
