// The records behind the layer's handles on Win32: a window is its HWND with
// the game's procedure, a surface is a device context with its bitmap.
#pragma once

#include "platform/win32/win32_api.h"

struct platform::WindowData {
    HWND handle = nullptr;
    platform::WindowProcedure procedure = nullptr;
};

struct platform::SurfaceData {
    HDC dc = nullptr;
    // Null for the window's own device context.
    HBITMAP bitmap = nullptr;
};
