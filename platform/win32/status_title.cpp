// The status's compact form after the game's title on Windows: asked for
// with every frame shown, the caption set only when it changes.
#include <string>

#include "platform/win32/backend.h"
#include "platform/win32/win32_program.h"

namespace {

std::string (*TitleSuffix)() = nullptr;
std::wstring GameTitle;
bool GameTitleKept = false;
std::string ShownSuffix;

}  // namespace

namespace win32 {

void SetStatusTitle(std::string (*suffix)()) {
    TitleSuffix = suffix;
}

void ShowStatusTitle(HWND window) {
    if (!TitleSuffix || !window)
        return;
    if (!GameTitleKept) {
        // The game's own title, as the game gave it at creation.
        wchar_t text[256] = {};
        ::GetWindowTextW(window, text, 256);
        GameTitle = text;
        GameTitleKept = true;
    }
    const std::string suffix = TitleSuffix();
    if (suffix == ShownSuffix)
        return;
    ShownSuffix = suffix;
    const std::wstring title =
        suffix.empty() ? GameTitle : GameTitle + L" \u2014 " + Widen(suffix.c_str());
    ::DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
}

}  // namespace win32
