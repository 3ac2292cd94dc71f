// The SDL2 backend's keyboard and mouse in the game's terms: an event's
// virtual key, a mouse message's buttons, the keys down for the game's polls.
#include <SDL.h>

#include "platform/input/key_map.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_desktop.h"

namespace {

using sdl::Desktop;

constexpr uintptr_t MK_LBUTTON = 0x0001;
constexpr uintptr_t MK_RBUTTON = 0x0002;
constexpr uintptr_t MK_SHIFT = 0x0004;
constexpr uintptr_t MK_CONTROL = 0x0008;
constexpr uintptr_t MK_MBUTTON = 0x0010;

struct KeyName {
    int virtualKey;
    SDL_Scancode scancode;
};

// The keys that do not depend on the keyboard layout. Letters go by the
// letter the key types, so they are not here.
constexpr KeyName FixedKeys[] = {
    {0x08, SDL_SCANCODE_BACKSPACE}, {0x09, SDL_SCANCODE_TAB},    {0x0D, SDL_SCANCODE_RETURN},
    {0x0D, SDL_SCANCODE_KP_ENTER},  {0x10, SDL_SCANCODE_LSHIFT}, {0x10, SDL_SCANCODE_RSHIFT},
    {0x11, SDL_SCANCODE_LCTRL},     {0x11, SDL_SCANCODE_RCTRL},  {0x12, SDL_SCANCODE_LALT},
    {0x12, SDL_SCANCODE_RALT},      {0x13, SDL_SCANCODE_PAUSE},  {0x1B, SDL_SCANCODE_ESCAPE},
    {0x20, SDL_SCANCODE_SPACE},     {0x21, SDL_SCANCODE_PAGEUP}, {0x22, SDL_SCANCODE_PAGEDOWN},
    {0x23, SDL_SCANCODE_END},       {0x24, SDL_SCANCODE_HOME},   {0x25, SDL_SCANCODE_LEFT},
    {0x26, SDL_SCANCODE_UP},        {0x27, SDL_SCANCODE_RIGHT},  {0x28, SDL_SCANCODE_DOWN},
    {0x2D, SDL_SCANCODE_INSERT},    {0x2E, SDL_SCANCODE_DELETE}, {'0', SDL_SCANCODE_0},
    {'1', SDL_SCANCODE_1},          {'2', SDL_SCANCODE_2},       {'3', SDL_SCANCODE_3},
    {'4', SDL_SCANCODE_4},          {'5', SDL_SCANCODE_5},       {'6', SDL_SCANCODE_6},
    {'7', SDL_SCANCODE_7},          {'8', SDL_SCANCODE_8},       {'9', SDL_SCANCODE_9},
    {0x60, SDL_SCANCODE_KP_0},      {0x61, SDL_SCANCODE_KP_1},   {0x62, SDL_SCANCODE_KP_2},
    {0x63, SDL_SCANCODE_KP_3},      {0x64, SDL_SCANCODE_KP_4},   {0x65, SDL_SCANCODE_KP_5},
    {0x66, SDL_SCANCODE_KP_6},      {0x67, SDL_SCANCODE_KP_7},   {0x68, SDL_SCANCODE_KP_8},
    {0x69, SDL_SCANCODE_KP_9},      {0x70, SDL_SCANCODE_F1},     {0x71, SDL_SCANCODE_F2},
    {0x72, SDL_SCANCODE_F3},        {0x73, SDL_SCANCODE_F4},     {0x74, SDL_SCANCODE_F5},
    {0x75, SDL_SCANCODE_F6},        {0x76, SDL_SCANCODE_F7},     {0x77, SDL_SCANCODE_F8},
    {0x78, SDL_SCANCODE_F9},        {0x79, SDL_SCANCODE_F10},    {0x7A, SDL_SCANCODE_F11},
    {0x7B, SDL_SCANCODE_F12},
};

bool LetterIsDown(int letter, const Uint8* keys) {
    SDL_Scancode typing = SDL_GetScancodeFromKey(SDL_Keycode(SDLK_a + (letter - 'A')));
    if (typing != SDL_SCANCODE_UNKNOWN)
        return keys[typing] != 0;
    return keys[SDL_SCANCODE_A + (letter - 'A')] != 0;
}

// A key of the keyboard or a mouse button as SDL sees it now.
bool KeyboardKeyDown(int virtualKey) {
    bool down = false;
    if (virtualKey == platform::VK_LBUTTON || virtualKey == platform::VK_RBUTTON ||
        virtualKey == 0x04) {
        uint32_t buttons = SDL_GetMouseState(nullptr, nullptr);
        uint32_t mask = virtualKey == platform::VK_LBUTTON   ? SDL_BUTTON_LMASK
                        : virtualKey == platform::VK_RBUTTON ? SDL_BUTTON_RMASK
                                                             : SDL_BUTTON_MMASK;
        down = (buttons & mask) != 0;
    } else {
        const Uint8* keys = SDL_GetKeyboardState(nullptr);
        if (virtualKey >= 'A' && virtualKey <= 'Z') {
            down = LetterIsDown(virtualKey, keys);
        } else {
            for (const KeyName& name : FixedKeys)
                if (name.virtualKey == virtualKey && keys[name.scancode])
                    down = true;
        }
    }
    return down;
}

}  // namespace

namespace sdl {

int VirtualKeyOf(const SDL_Keysym& key) {
    if (key.sym >= SDLK_a && key.sym <= SDLK_z)
        return 'A' + (key.sym - SDLK_a);
    for (const KeyName& name : FixedKeys)
        if (name.scancode == key.scancode)
            return name.virtualKey;
    // A key of a layout without Latin letters stands for the letter of its
    // place, as the layouts of Windows give their letter keys.
    if (key.scancode >= SDL_SCANCODE_A && key.scancode <= SDL_SCANCODE_Z)
        return 'A' + (key.scancode - SDL_SCANCODE_A);
    return 0;
}

uintptr_t MouseKeyFlags() {
    uint32_t buttons = SDL_GetMouseState(nullptr, nullptr);
    SDL_Keymod mods = SDL_GetModState();
    uintptr_t flags = 0;
    if (buttons & SDL_BUTTON_LMASK)
        flags |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK)
        flags |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK)
        flags |= MK_MBUTTON;
    if (mods & KMOD_SHIFT)
        flags |= MK_SHIFT;
    if (mods & KMOD_CTRL)
        flags |= MK_CONTROL;
    return flags;
}

}  // namespace sdl

namespace platform {

int16_t GetAsyncKeyState(int virtualKey) {
    // The keys of a replay are those the game saw, after the key bindings.
    if (Desktop.replaying)
        return virtualKey >= 0 && virtualKey < 256 && Desktop.replayedKeys.test(size_t(virtualKey))
                   ? int16_t(0x8000)
                   : int16_t(0);
    return keymap::GameKeyDown(virtualKey, KeyboardKeyDown) ? int16_t(0x8000) : int16_t(0);
}

}  // namespace platform

namespace host {

bool PlayerKeyDown(int virtualKey) {
    return keymap::PlayerKeyDown(virtualKey, KeyboardKeyDown);
}

}  // namespace host
