// The Windows headers as the Win32 backend sees them: after platform.h, and
// without the A/W macros that would rename the layer's own functions.
#pragma once

// platform.h names its constants as Windows does (WM_TIMER, SRCCOPY, VK_UP);
// once windows.h has made those names macros, platform.h cannot be read.
#ifdef WM_DESTROY
#error "include platform/win32/win32_api.h before any Windows header"
#endif

#include "platform/platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// Lean windows.h leaves the wave player out.
#include <mmsystem.h>
// Files dropped on the window.
#include <shellapi.h>

// These macros pick MessageBoxA or MessageBoxW and so on; the layer's
// functions of the same names must keep them.
#undef CreateWindow
#undef DefWindowProc
#undef MessageBox
#undef PlaySound
#undef RegisterClass

// From here on the constants are the Windows macros, with the same values as
// platform.h gives them; the backend writes them unqualified.
