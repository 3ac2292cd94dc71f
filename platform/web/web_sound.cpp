// The one sound channel of the web backend: the page plays the game's waves
// through Web Audio, with the channel's rules (a cue cuts off what plays; a
// yielding cue is dropped while a sound plays).
#include <emscripten.h>

#include "platform/platform.h"

EM_JS(void, web_play_sound, (int resourceId, int yielding),
      { Module.morvask.playSound(resourceId, !!yielding); });

namespace platform {

void PlaySound(int resourceId, uint32_t flags) {
    web_play_sound(resourceId, (flags & SND_NOSTOP) != 0);
}

}  // namespace platform
