// The modal message box of the web backend, shown inside the game's canvas.
#pragma once

#include <vector>

#include <cstdint>

#include "platform/platform.h"

namespace web {

// Shows a box over the window's picture until it is answered with a key or a
// click; returns IDOK, IDYES or IDNO. The browser runs meanwhile. With
// `stillOpen` (an online game's box), it also closes when that says so, and
// returns 0.
int ShowDialog(const char* textUtf8, const char* captionUtf8, uint32_t type,
               bool (*stillOpen)() = nullptr);

// A box of a replay: shown a moment (less at a higher speed, on while the
// replay is paused) with the recorded answer's button focused; the viewer's
// keys and pointer answer nothing.
void ShowReplayedDialog(const char* textUtf8, const char* captionUtf8, uint32_t type, int answer);

// One turn of the message loop: input, due ticks, the newest picture.
void RunFrame();

// The picture the window shows now.
const platform::SurfaceData& CurrentPicture();

// Shows a picture other than the window's own (a box over the field; the
// window's size, 0x00RRGGBB) whole, as the window's frames are shown; the
// window's own picture is shown whole again at the next frame.
void PresentOtherPicture(const std::vector<uint32_t>& pixels);
// Whether the page asked for the field at a new size since last asked (a
// box is then shown again).
bool PageResized();

}  // namespace web
