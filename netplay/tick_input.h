// What one player does in one tick, as both peers apply it: the tank's keys
// and the shared commands (pause), polled from the keyboard as the rules poll
// it, and put back on the keys by the program that runs the tick.
#pragma once

#include <cstdint>

// Bits of TickInput.keys in this order: drive down, left, up, right; gun
// down, left, up, right; lock; fire; and for the first player Z and F (the
// level keys and the upgrade).
inline constexpr int32_t TickKeyCount = 12;
// Bits of TickInput.commands.
inline constexpr uint8_t PauseCommand = 1;

struct TickInput {
    uint16_t keys = 0;
    uint8_t commands = 0;

    bool operator==(const TickInput&) const = default;
};

// The virtual key of each key bit for a side (0 the first player, 1 the
// second); 0 for a bit that side has not.
int TickKeyCode(int32_t side, int32_t bit);

// The side's keys as they are down now.
TickInput PollTickInput(int32_t side);

// The shared commands of both sides, applied just before the tick runs: P
// asks for the pause as the key does in play.
void ApplyTickCommands(const TickInput inputs[2]);
