// The frame built over two cached layers: the sprites of a frame are listed as
// they are drawn and put into the back buffer when it is presented, after only
// the parts that changed since the back buffer's last frames are restored.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// On: every frame is drawn whole, the background, every cell and every sprite
// straight into the back buffer, instead of only what changed over the layers
// (the tests compare the two). Whether anything is drawn at all is
// DrawingEnabled (render/draw.h).
extern bool DrawFramesWhole;

// Makes the still layer, at start-up rather than in the first frame of play.
void MakeLayers();
// A new frame: the layers take the cells of WorkingGrid whose code changed and
// the list of the frame's sprites starts empty.
void BeginLayeredFrame();
// The back buffer was drawn another way: the next two frames are drawn whole.
void ForgetLayeredFrames();
// One transparent sprite of the frame, drawn after those listed before it.
void ListSprite(platform::Surface sheet, int sx, int sy, int w, int h, int x, int y);
// The grass cells of WorkingGrid, over everything listed before.
void ListGrass();
// Puts the listed frame into the back buffer.
void FinishLayeredFrame();

// Forgets the layers, the marks and the way of drawing, as at program start;
// the still layer's surface is kept for the next frames (surfaces live for
// the run).
void ResetFrameLayers();
