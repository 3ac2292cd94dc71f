// The window, its messages, timers and message boxes, and the keyboard, over
// the real USER calls. The game's procedure sees every message of the window.
#include <string>

#include "platform/input/key_map.h"
#include "platform/win32/backend.h"

namespace win32 {

std::wstring Widen(const char* utf8) {
    if (!utf8 || !*utf8)
        return std::wstring();
    int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(size_t(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), length);
    wide.resize(size_t(length) - 1);
    return wide;
}

}  // namespace win32

using win32::Widen;

namespace {

platform::WindowProcedure ClassProcedure = nullptr;
// What the game's outer size allows for the caption and borders: the client
// area is the outer size less these.
constexpr int ClassicFrameWidth = 6;
constexpr int ClassicFrameHeight = 28;
// The record of the window being created: messages arrive before
// CreateWindowExA returns its handle (WM_GETMINMAXINFO, WM_NCCREATE, WM_CREATE,
// WM_SIZE), and the game must see those too.
platform::WindowData* WindowBeingCreated = nullptr;

bool IsAscii(const char* text) {
    for (const char* c = text; *c; ++c)
        if (static_cast<unsigned char>(*c) >= 0x80)
            return false;
    return true;
}

platform::WindowData* WindowOf(HWND handle) {
    auto* window =
        reinterpret_cast<platform::WindowData*>(::GetWindowLongPtrA(handle, GWLP_USERDATA));
    if (!window && WindowBeingCreated) {
        window = WindowBeingCreated;
        window->handle = handle;
        ::SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    return window;
}

LRESULT CALLBACK ClassWindowProcedure(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    platform::WindowData* window = WindowOf(handle);
    if (!window || !window->procedure)
        return ::DefWindowProcA(handle, message, wParam, lParam);
    if (message == WM_KEYDOWN) {
        // The player's own keys arrive as the keys the game knows.
        int keys[2];
        int count = keymap::KeyDownMessages(int(wParam), keys);
        LRESULT result = 0;
        for (int k = 0; k < count; ++k)
            result = window->procedure(window, message, WPARAM(keys[k]), lParam);
        return result;
    }
    return window->procedure(window, message, wParam, lParam);
}

}  // namespace

namespace win32 {

void Fail(const char* textUtf8) {
    std::wstring text = Widen(textUtf8);
    ::MessageBoxW(nullptr, text.c_str(), L"错误", MB_OK | MB_ICONERROR);
    ::ExitProcess(1);
}

}  // namespace win32

namespace platform {

void RegisterClass(const char* className, uint32_t classStyle, int iconResource,
                   WindowProcedure procedure) {
    ClassProcedure = procedure;
    HINSTANCE module = ::GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    // The window's device context is fetched once and drawn into for the
    // whole run: a class DC of its own keeps it valid between messages.
    windowClass.style = classStyle | CS_OWNDC;
    windowClass.lpfnWndProc = ClassWindowProcedure;
    windowClass.hInstance = module;
    windowClass.hIcon = ::LoadIconA(module, MAKEINTRESOURCEA(iconResource));
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_CROSS);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = className;
    if (!::RegisterClassA(&windowClass))
        win32::Fail("无法注册窗口类。");
}

int GetSystemMetrics(int index) {
    return ::GetSystemMetrics(index);
}

Window CreateWindow(const char* className, const char* titleUtf8, uint32_t style, int x, int y,
                    int width, int height) {
    auto* window = new WindowData;
    window->procedure = ClassProcedure;
    // The game gives the outer size for the classic frame; the frame of this
    // system may be thicker or thinner, and the client area must be the whole
    // field whatever it is.
    RECT frame{0, 0, width - ClassicFrameWidth, height - ClassicFrameHeight};
    if (::AdjustWindowRectEx(&frame, style, FALSE, 0)) {
        x += (width - (frame.right - frame.left)) / 2;
        width = frame.right - frame.left;
        height = frame.bottom - frame.top;
    }
    WindowBeingCreated = window;
    // An ANSI window can carry only the ANSI code page's characters in its
    // title; any other title is stored in UTF-16 straight after creation.
    const bool ascii = IsAscii(titleUtf8);
    HWND handle = ::CreateWindowExA(0, className, ascii ? titleUtf8 : "", style, x, y, width,
                                    height, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    WindowBeingCreated = nullptr;
    if (!handle)
        win32::Fail("无法创建窗口。");
    window->handle = handle;
    if (!ascii) {
        std::wstring title = Widen(titleUtf8);
        ::DefWindowProcW(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
    }
    return window;
}

void ShowWindow(Window window, int showCommand) {
    ::ShowWindow(window->handle, showCommand);
}

void UpdateWindow(Window window) {
    ::UpdateWindow(window->handle);
}

int RunMessageLoop() {
    MSG message = {};
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return int(message.wParam);
}

void PostQuitMessage(int exitCode) {
    ::PostQuitMessage(exitCode);
}

intptr_t DefWindowProc(Window window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return ::DefWindowProcA(window->handle, message, wParam, lParam);
}

void SetTimer(Window window, uintptr_t timerId, uint32_t periodMs) {
    ::SetTimer(window->handle, timerId, periodMs, nullptr);
}

void KillTimer(Window window, uintptr_t timerId) {
    ::KillTimer(window->handle, timerId);
}

int MessageBox(Window owner, const char* textUtf8, const char* captionUtf8, uint32_t type) {
    // The texts are Chinese: the wide box shows them whatever the system's
    // ANSI code page is.
    std::wstring text = Widen(textUtf8);
    std::wstring caption = Widen(captionUtf8);
    return ::MessageBoxW(owner ? owner->handle : nullptr, text.c_str(), caption.c_str(), type);
}

// The system's boxes label their buttons in the system's language.
void SetBoxButtonTexts(const char*, const char*, const char*) {}

int16_t GetAsyncKeyState(int virtualKey) {
    bool down = keymap::GameKeyDown(
        virtualKey, [](int key) { return (::GetAsyncKeyState(key) & 0x8000) != 0; });
    return down ? int16_t(0x8000) : int16_t(0);
}

}  // namespace platform
