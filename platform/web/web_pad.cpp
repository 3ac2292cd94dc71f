// The gamepads and the language of the web edition: the page reads the
// Gamepad API and the player's choices; the keys a pad holds follow the
// desktop's layout (platform/input/pad_map.h) exactly, the second pad's
// going to the second player as on the desktop.
#include <emscripten.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/input/pad_map.h"
#include "platform/web/web_backend.h"

// Pad `index`'s buttons (in padmap's order, 0 or 1) and axes (-32768 to
// 32767); 0 when that pad is not attached. Pad 0 drives, pad 1 is the second
// player's.
EM_JS(int, web_read_pad,
      (int index, int32_t* buttons, int buttonCount, int32_t* axes, int axisCount), {
          const pad = Module.morvask.padState(index);
          if (!pad)
              return 0;
          for (let i = 0; i < buttonCount; ++i)
              HEAP32[(buttons >> 2) + i] = pad.buttons[i] ? 1 : 0;
          for (let i = 0; i < axisCount; ++i)
              HEAP32[(axes >> 2) + i] = pad.axes[i] | 0;
          return 1;
      });

EM_JS(int, web_page_language, (char* out, int size),
      { return stringToUTF8(Module.morvask.language(), out, size); });

namespace {

std::vector<int> HeldByPad;
// Start and Back of the driving pad, followed as the desktop follows them.
padmap::CommandButtons Commands;
void (*LanguageObserver)(const char*) = nullptr;
char Language[8] = "zh";

// The keys pad `index` holds, by the desktop's layout; none when it is not
// attached.
std::vector<int> PadKeys(int index) {
    int32_t buttons[padmap::ButtonCount] = {};
    int32_t axes[padmap::AxisCount] = {};
    if (!web_read_pad(index, buttons, padmap::ButtonCount, axes, padmap::AxisCount))
        return {};
    padmap::PadState pad;
    for (int b = 0; b < padmap::ButtonCount; ++b)
        pad.buttons[b] = buttons[b] != 0;
    for (int a = 0; a < padmap::AxisCount; ++a)
        pad.axes[a] = int16_t(axes[a] < -32768 ? -32768 : axes[a] > 32767 ? 32767 : axes[a]);
    // The desktop's dead zone, as long as the web edition has no settings file.
    return padmap::HeldKeys(pad, 25);
}

}  // namespace

namespace web {

const char* PageLanguage() {
    web_page_language(Language, sizeof Language);
    return Language;
}

void SetLanguageObserver(void (*observer)(const char* name)) {
    LanguageObserver = observer;
    PageLanguage();
}

void FollowPageLanguage() {
    char before[sizeof Language];
    std::memcpy(before, Language, sizeof Language);
    if (std::strcmp(PageLanguage(), before) != 0 && LanguageObserver)
        LanguageObserver(Language);
}

void FollowPad() {
    padmap::HoldKeysOfTwoPads(PadKeys(0), PadKeys(1), HeldByPad);
}

int PadCommandKey(int padButton, bool down) {
    if (padButton < 0 || padButton >= padmap::ButtonCount)
        return 0;
    const padmap::PadButton button = padmap::PadButton(padButton);
    return down ? padmap::CommandKeyDown(button, Commands) : padmap::CommandKeyUp(button, Commands);
}

}  // namespace web
