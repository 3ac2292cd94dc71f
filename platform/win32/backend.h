// The records behind the layer's handles on Win32: a window is its HWND with
// the game's procedure, a surface is a device context with its bitmap.
#pragma once

#include <string>

#include "platform/win32/win32_api.h"

struct platform::WindowData {
    HWND handle = nullptr;
    platform::WindowProcedure procedure = nullptr;
};

struct platform::SurfaceData {
    HDC dc = nullptr;
    // Null for the window's own device context.
    HBITMAP bitmap = nullptr;
    // What SelectObject swapped out of a new memory DC: put back before the
    // DC is deleted, so that the DC never deletes our bitmap or leaks its own.
    HGDIOBJ original = nullptr;
    // The window whose DC this is (the window's own surface only).
    HWND window = nullptr;
};

namespace win32 {

// UTF-8 (the game's texts and file names) as the UTF-16 that the wide Windows
// calls take; empty for a null or empty text.
std::wstring Widen(const char* utf8);

// A resource the program cannot run without is missing: says so in a box
// and ends the process with exit code 1.
[[noreturn]] void Fail(const char* textUtf8);

// Gives every device context and bitmap of the surfaces back to the system;
// called once, after the message loop has ended.
void ReleaseSurfaces();

}  // namespace win32
