// The system clipboard over the Win32 calls, as UTF-16 text, and the text of
// the last drop: what the game reads of them passes the recorder, and a
// playback answers it instead.
#include <algorithm>
#include <string>
#include <utility>

#include "platform/platform.h"
#include "platform/win32/backend.h"

namespace platform {

bool HasSystemClipboard() {
    return true;
}

void SetClipboardText(const std::string& textUtf8) {
    const std::wstring wide = win32::Widen(textUtf8.c_str());
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    if (!memory)
        return;
    if (void* place = ::GlobalLock(memory)) {
        std::copy(wide.c_str(), wide.c_str() + wide.size() + 1, static_cast<wchar_t*>(place));
        ::GlobalUnlock(memory);
    }
    if (!::OpenClipboard(nullptr)) {
        ::GlobalFree(memory);
        return;
    }
    ::EmptyClipboard();
    if (!::SetClipboardData(CF_UNICODETEXT, memory))
        ::GlobalFree(memory);
    ::CloseClipboard();
}

std::string ClipboardText() {
    std::string text;
    if (win32::Hooks.replaying || !::OpenClipboard(nullptr))
        return win32::GivenText(std::move(text));
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const wchar_t* wide = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = win32::Narrow(wide);
            if (text.size() >= MaxOutsideTextBytes)
                text.clear();
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return win32::GivenText(std::move(text));
}

std::string DroppedText() {
    return win32::GivenText(win32::Hooks.dropped);
}

}  // namespace platform
