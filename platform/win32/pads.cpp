// Gamepads through XInput, looked up at run time in the system's DLL (the
// program starts without it): plugged in and out at any time, the first one
// still attached drives, and its buttons and sticks become the keys of
// padmap's rules, as on the other desktop.
#include <xinput.h>

#include <algorithm>
#include <vector>

#include "platform/input/pad_map.h"
#include "platform/win32/backend.h"

namespace {

using GetStateCall = DWORD(WINAPI*)(DWORD, XINPUT_STATE*);

// A slot found empty is asked again only this often: asking about an empty
// slot is slow on some systems.
constexpr DWORD EmptySlotRetryMs = 2000;

struct Pads {
    bool looked = false;
    GetStateCall getState = nullptr;
    // The attached slots, in the order they were found: the first drives.
    std::vector<DWORD> attached;
    DWORD emptySince[XUSER_MAX_COUNT] = {};
    bool everAsked[XUSER_MAX_COUNT] = {};
    std::vector<int> heldKeys;
    int deadZonePercent = 25;
    // The driving pad's buttons at the last poll, for presses.
    DWORD driver = XUSER_MAX_COUNT;
    WORD lastButtons = 0;
    padmap::CommandButtons commands;
};

Pads PadsHeld;

GetStateCall GetState() {
    if (!PadsHeld.looked) {
        PadsHeld.looked = true;
        for (const wchar_t* name : {L"xinput1_4.dll", L"xinput1_3.dll", L"xinput9_1_0.dll"}) {
            HMODULE library = ::LoadLibraryW(name);
            if (!library)
                continue;
            PadsHeld.getState = reinterpret_cast<GetStateCall>(
                reinterpret_cast<void*>(::GetProcAddress(library, "XInputGetState")));
            if (PadsHeld.getState)
                break;
        }
    }
    return PadsHeld.getState;
}

bool IsAttached(DWORD slot) {
    return std::find(PadsHeld.attached.begin(), PadsHeld.attached.end(), slot) !=
           PadsHeld.attached.end();
}

// The second pad attached, which plays the second player.
struct {
    bool attached = false;
    XINPUT_STATE state = {};
} SecondPad;

// Reads every slot worth asking; gives the driving pad's state, or false
// when no pad is attached.
bool ReadDriver(XINPUT_STATE& driverState) {
    GetStateCall getState = GetState();
    if (!getState)
        return false;
    const DWORD now = ::GetTickCount();
    XINPUT_STATE states[XUSER_MAX_COUNT] = {};
    for (DWORD slot = 0; slot < XUSER_MAX_COUNT; ++slot) {
        const bool attached = IsAttached(slot);
        if (!attached && PadsHeld.everAsked[slot] &&
            now - PadsHeld.emptySince[slot] < EmptySlotRetryMs)
            continue;
        PadsHeld.everAsked[slot] = true;
        if (getState(slot, &states[slot]) != ERROR_SUCCESS) {
            PadsHeld.emptySince[slot] = now;
            if (attached)
                PadsHeld.attached.erase(
                    std::find(PadsHeld.attached.begin(), PadsHeld.attached.end(), slot));
        } else if (!attached) {
            PadsHeld.attached.push_back(slot);
        }
    }
    SecondPad.attached = PadsHeld.attached.size() >= 2;
    if (SecondPad.attached)
        SecondPad.state = states[PadsHeld.attached[1]];
    if (PadsHeld.attached.empty())
        return false;
    driverState = states[PadsHeld.attached.front()];
    return true;
}

int16_t Axis(SHORT value, bool flip) {
    if (!flip)
        return value;
    // XInput's sticks count up as positive; the game's rules, down.
    return value == -32768 ? int16_t(32767) : int16_t(-value);
}

padmap::PadState PadStateOf(const XINPUT_GAMEPAD& pad) {
    padmap::PadState state;
    const struct {
        WORD bit;
        padmap::PadButton button;
    } buttons[] = {
        {XINPUT_GAMEPAD_A, padmap::South},
        {XINPUT_GAMEPAD_B, padmap::East},
        {XINPUT_GAMEPAD_X, padmap::West},
        {XINPUT_GAMEPAD_Y, padmap::North},
        {XINPUT_GAMEPAD_BACK, padmap::Back},
        {XINPUT_GAMEPAD_START, padmap::Start},
        {XINPUT_GAMEPAD_LEFT_SHOULDER, padmap::LeftShoulder},
        {XINPUT_GAMEPAD_RIGHT_SHOULDER, padmap::RightShoulder},
        {XINPUT_GAMEPAD_DPAD_UP, padmap::DpadUp},
        {XINPUT_GAMEPAD_DPAD_DOWN, padmap::DpadDown},
        {XINPUT_GAMEPAD_DPAD_LEFT, padmap::DpadLeft},
        {XINPUT_GAMEPAD_DPAD_RIGHT, padmap::DpadRight},
    };
    for (const auto& b : buttons)
        state.buttons[b.button] = (pad.wButtons & b.bit) != 0;
    state.axes[padmap::LeftX] = Axis(pad.sThumbLX, false);
    state.axes[padmap::LeftY] = Axis(pad.sThumbLY, true);
    state.axes[padmap::RightX] = Axis(pad.sThumbRX, false);
    state.axes[padmap::RightY] = Axis(pad.sThumbRY, true);
    state.axes[padmap::LeftTrigger] = int16_t(pad.bLeftTrigger * 32767 / 255);
    state.axes[padmap::RightTrigger] = int16_t(pad.bRightTrigger * 32767 / 255);
    return state;
}

// The buttons pressed since the last poll on the driving pad, and those let
// go (`released`); none when the driver has just changed.
WORD Poll(padmap::PadState& state, bool& attached, WORD* released = nullptr) {
    XINPUT_STATE read = {};
    attached = ReadDriver(read);
    const DWORD driver = attached ? PadsHeld.attached.front() : XUSER_MAX_COUNT;
    const WORD buttons = attached ? read.Gamepad.wButtons : 0;
    const WORD pressed = driver == PadsHeld.driver ? WORD(buttons & ~PadsHeld.lastButtons) : 0;
    if (released)
        *released = driver == PadsHeld.driver ? WORD(PadsHeld.lastButtons & ~buttons) : 0;
    PadsHeld.driver = driver;
    PadsHeld.lastButtons = buttons;
    state = attached ? PadStateOf(read.Gamepad) : padmap::PadState{};
    return pressed;
}

}  // namespace

namespace host {

// XInput is read once a tick: a pad plugged in later drives from then on.
void StartPads() {}

void SetPadDeadZone(int percent) {
    PadsHeld.deadZonePercent = std::clamp(percent, 0, 90);
}

}  // namespace host

namespace win32 {

void PollPads(HWND window, void (*command)(HWND window, int virtualKey)) {
    padmap::PadState state;
    bool attached = false;
    WORD released = 0;
    const WORD pressed = Poll(state, attached, &released);
    const int deadZone = PadsHeld.deadZonePercent;
    padmap::HoldKeysOfTwoPads(attached ? padmap::HeldKeys(state, deadZone) : std::vector<int>{},
                              SecondPad.attached
                                  ? padmap::HeldKeys(PadStateOf(SecondPad.state.Gamepad), deadZone)
                                  : std::vector<int>{},
                              PadsHeld.heldKeys);
    // Start and Back give their commands when let go, and Esc (the menu)
    // together.
    constexpr struct {
        WORD bit;
        padmap::PadButton button;
    } Commands[] = {{XINPUT_GAMEPAD_START, padmap::Start}, {XINPUT_GAMEPAD_BACK, padmap::Back}};
    for (const auto& c : Commands) {
        int key = 0;
        if (pressed & c.bit)
            key = padmap::CommandKeyDown(c.button, PadsHeld.commands);
        else if (released & c.bit)
            key = padmap::CommandKeyUp(c.button, PadsHeld.commands);
        if (key != 0)
            command(window, key);
    }
}

int PollPadsForBox() {
    padmap::PadState state;
    bool attached = false;
    WORD released = 0;
    const WORD pressed = Poll(state, attached, &released);
    // Start and Back give no command under a box, but are followed.
    if (pressed & XINPUT_GAMEPAD_START)
        padmap::CommandKeyDown(padmap::Start, PadsHeld.commands);
    if (pressed & XINPUT_GAMEPAD_BACK)
        padmap::CommandKeyDown(padmap::Back, PadsHeld.commands);
    if (released & XINPUT_GAMEPAD_START)
        padmap::CommandKeyUp(padmap::Start, PadsHeld.commands);
    if (released & XINPUT_GAMEPAD_BACK)
        padmap::CommandKeyUp(padmap::Back, PadsHeld.commands);
    if (pressed & XINPUT_GAMEPAD_A)
        return 1;
    if (pressed & XINPUT_GAMEPAD_B)
        return -1;
    return 0;
}

}  // namespace win32
