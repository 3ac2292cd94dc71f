// Gamepads through SDL's game-controller layer: plugged in and out at any
// time; the first one still attached drives, and its buttons and sticks
// become the keys of padmap's rules; the second plays the second player.
#include <algorithm>
#include <vector>

#include "platform/input/pad_map.h"
#include "platform/sdl/sdl_desktop.h"

namespace {

struct Pads {
    bool started = false;
    // In the order they were opened: the first drives.
    std::vector<SDL_GameController*> open;
    std::vector<int> heldKeys;
    int deadZonePercent = 25;
    padmap::CommandButtons commands;
};

Pads PadsHeld;

SDL_GameController* Driver() {
    return PadsHeld.open.empty() ? nullptr : PadsHeld.open.front();
}

bool IsDriver(SDL_JoystickID id) {
    SDL_GameController* driver = Driver();
    return driver && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(driver)) == id;
}

void OpenPad(int deviceIndex) {
    if (!SDL_IsGameController(deviceIndex))
        return;
    SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    for (SDL_GameController* pad : PadsHeld.open)
        if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad)) == id)
            return;
    if (SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex))
        PadsHeld.open.push_back(pad);
}

void ClosePad(SDL_JoystickID id) {
    for (size_t k = 0; k < PadsHeld.open.size(); ++k) {
        if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(PadsHeld.open[k])) == id) {
            SDL_GameControllerClose(PadsHeld.open[k]);
            PadsHeld.open.erase(PadsHeld.open.begin() + long(k));
            return;
        }
    }
}

padmap::PadButton ButtonOf(int button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_A:
            return padmap::South;
        case SDL_CONTROLLER_BUTTON_B:
            return padmap::East;
        case SDL_CONTROLLER_BUTTON_X:
            return padmap::West;
        case SDL_CONTROLLER_BUTTON_Y:
            return padmap::North;
        case SDL_CONTROLLER_BUTTON_BACK:
            return padmap::Back;
        case SDL_CONTROLLER_BUTTON_START:
            return padmap::Start;
        case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
            return padmap::LeftShoulder;
        case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
            return padmap::RightShoulder;
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return padmap::DpadUp;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return padmap::DpadDown;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return padmap::DpadLeft;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return padmap::DpadRight;
        default:
            return padmap::ButtonCount;
    }
}

// The keys a pad holds, read whole.
std::vector<int> PadKeys(SDL_GameController* pad) {
    padmap::PadState state;
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
        padmap::PadButton button = ButtonOf(b);
        if (button != padmap::ButtonCount)
            state.buttons[button] =
                SDL_GameControllerGetButton(pad, SDL_GameControllerButton(b)) != 0;
    }
    const SDL_GameControllerAxis axes[padmap::AxisCount] = {
        SDL_CONTROLLER_AXIS_LEFTX,       SDL_CONTROLLER_AXIS_LEFTY,
        SDL_CONTROLLER_AXIS_RIGHTX,      SDL_CONTROLLER_AXIS_RIGHTY,
        SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT};
    for (int a = 0; a < padmap::AxisCount; ++a)
        state.axes[a] = SDL_GameControllerGetAxis(pad, axes[a]);
    return padmap::HeldKeys(state, PadsHeld.deadZonePercent);
}

// Hands the keys of the driving pad, and those of the second pad as the
// second player's, to the key state.
void FollowDriver() {
    SDL_GameController* driver = Driver();
    padmap::HoldKeysOfTwoPads(
        driver ? PadKeys(driver) : std::vector<int>{},
        PadsHeld.open.size() >= 2 ? PadKeys(PadsHeld.open[1]) : std::vector<int>{},
        PadsHeld.heldKeys);
}

}  // namespace

namespace host {

// Without SDL's pad support the game goes on without pads.
void StartPads() {
    sdl::OpenPads();
}

void SetPadDeadZone(int percent) {
    PadsHeld.deadZonePercent = std::clamp(percent, 0, 90);
}

}  // namespace host

namespace sdl {

bool OpenPads() {
    if (PadsHeld.started)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
        return false;
    PadsHeld.started = true;
    for (int k = 0; k < SDL_NumJoysticks(); ++k)
        OpenPad(k);
    FollowDriver();
    return true;
}

void StopPads() {
    if (!PadsHeld.started)
        return;
    for (SDL_GameController* pad : PadsHeld.open)
        SDL_GameControllerClose(pad);
    PadsHeld.open.clear();
    FollowDriver();
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    PadsHeld.started = false;
}

bool HandlePadEvent(const SDL_Event& event, void (*command)(int virtualKey)) {
    switch (event.type) {
        case SDL_CONTROLLERDEVICEADDED:
            OpenPad(event.cdevice.which);
            break;
        case SDL_CONTROLLERDEVICEREMOVED:
            ClosePad(event.cdevice.which);
            break;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            // Start and Back give their commands when let go, and Esc (the
            // menu) together; under a box they give none, but are followed.
            if (IsDriver(event.cbutton.which)) {
                const padmap::PadButton button = ButtonOf(event.cbutton.button);
                const int key = event.type == SDL_CONTROLLERBUTTONDOWN
                                    ? padmap::CommandKeyDown(button, PadsHeld.commands)
                                    : padmap::CommandKeyUp(button, PadsHeld.commands);
                if (key != 0 && command)
                    command(key);
            }
            break;
        case SDL_CONTROLLERAXISMOTION:
            break;
        default:
            return false;
    }
    FollowDriver();
    return true;
}

int PadDialogAnswer(const SDL_Event& event) {
    if (event.type != SDL_CONTROLLERBUTTONDOWN || !IsDriver(event.cbutton.which))
        return 0;
    if (event.cbutton.button == SDL_CONTROLLER_BUTTON_A)
        return 1;
    if (event.cbutton.button == SDL_CONTROLLER_BUTTON_B)
        return -1;
    return 0;
}

}  // namespace sdl
