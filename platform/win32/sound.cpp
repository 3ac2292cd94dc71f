// Sound cues: the program's own WAVE resources through the system's wave
// player, one sound at a time.
#include "platform/win32/backend.h"

namespace platform {

void PlaySound(int resourceId, uint32_t flags) {
    // The flags come from the game: SND_NOSTOP makes a cue give way to a
    // sound that is still playing.
    ::PlaySoundA(MAKEINTRESOURCEA(resourceId), ::GetModuleHandleA(nullptr), flags);
}

}  // namespace platform
