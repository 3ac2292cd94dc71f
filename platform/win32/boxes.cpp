// The message boxes over the window: the system's own box, answered also by
// the driving pad, with a reading pause before a key or click answers it; an
// online game's box, which the other player's answer closes; and the boxes
// of a replay, which only show their first line.
#include <string>

#include "platform/shared/dialog.h"
#include "platform/win32/backend.h"

using win32::Widen;

namespace {

// The backend's own timer: it reads the gamepads while a box is open.
constexpr UINT_PTR BoxPadTimer = 0x4D50;
constexpr UINT BoxPadPeriodMs = 16;

struct OpenBox {
    HWND owner = nullptr;
    uint32_t type = 0;
    HHOOK keys = nullptr;
    DWORD openedMs = 0;  // GetTickCount when it opened: the reading pause
};
OpenBox Box;
// A box that something outside it closes (an online game's, which the
// other player's answer closes; a notice waiting on the network): asked at
// each look whether it still waits; whether it said no, and the box was
// told to close.
bool (*OutsideWaits)() = nullptr;
bool ClosedOutside = false, ClosePosted = false;

bool IsQuestion(uint32_t type) {
    return (type & 0xF) == MB_YESNO;
}

// The box open over the window, found among the thread's dialogs.
BOOL CALLBACK FindBox(HWND candidate, LPARAM found) {
    wchar_t name[16];
    if (::GetWindow(candidate, GW_OWNER) == Box.owner && ::IsWindowVisible(candidate) &&
        ::GetClassNameW(candidate, name, 16) && std::wstring(name) == L"#32770") {
        *reinterpret_cast<HWND*>(found) = candidate;
        return FALSE;
    }
    return TRUE;
}

// Presses a button of the open box; false when none is shown yet.
bool PressBoxButton(int button) {
    HWND box = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
    return box && ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}

bool BoxReading() {
    return !dialog::TakesAnswers(0.0, double(::GetTickCount() - Box.openedMs));
}

// The driving pad answers the open box: south presses the default button,
// east answers No (or OK).
void AnswerBoxFromPad() {
    // A button pressed in the reading pause is read, so it answers nothing
    // later either.
    const int answer = win32::PollPadsForBox();
    if (answer == 0 || BoxReading())
        return;
    PressBoxButton(IsQuestion(Box.type) ? (answer > 0 ? IDYES : IDNO) : IDOK);
}

// What waits outside closes the box here as its close button would (an
// online game takes the session's answer whatever the button).
void CloseBoxClosedOutside() {
    if (!OutsideWaits || ClosePosted)
        return;
    if (!ClosedOutside && !OutsideWaits())
        ClosedOutside = true;
    // None shown yet: the next look closes it.
    if (ClosedOutside && PressBoxButton(IsQuestion(Box.type) ? IDNO : IDOK))
        ClosePosted = true;
}

void WaitOutside(bool (*waits)()) {
    OutsideWaits = waits;
    ClosedOutside = false;
    ClosePosted = false;
}

// True when the box was closed from outside.
bool EndWaitingOutside() {
    OutsideWaits = nullptr;
    return ClosedOutside;
}

// The keys and clicks that would answer the box: dropped in its reading
// pause, and a key held down (repeating) never answers it.
bool DroppedAnswer(const MSG& message) {
    const bool repeat = (message.lParam & (LPARAM(1) << 30)) != 0;
    switch (message.message) {
        case WM_KEYDOWN:
        case WM_CHAR:
            return repeat || BoxReading();
        case WM_KEYUP:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONUP:
        case WM_NCLBUTTONDBLCLK:
            return BoxReading();
        default:
            return false;
    }
}

// The window's own keys work while a box has the keyboard, too. Alt+Enter's
// key-down still reaches the box, so that the system knows Alt was not
// pressed alone (which would open the box's menu); the character it makes is
// dropped (it would beep).
LRESULT CALLBACK BoxKeyHook(int code, WPARAM removed, LPARAM data) {
    auto* message = reinterpret_cast<MSG*>(data);
    if (code == HC_ACTION && removed == PM_REMOVE && Box.owner) {
        if (message->message == WM_SYSCHAR && message->wParam == VK_RETURN)
            message->message = WM_NULL;
        else if (win32::WindowKey(Box.owner, message->message, message->wParam, message->lParam) &&
                 message->message != WM_SYSKEYDOWN)
            message->message = WM_NULL;
        else if (DroppedAnswer(*message))
            message->message = WM_NULL;
    }
    return ::CallNextHookEx(nullptr, code, removed, data);
}

// The box's keyboard hook and pad timer, over the box of `owner`; the outer
// box's put back by EndBox.
OpenBox BeginBox(HWND owner, uint32_t type) {
    // A box opened from within a box (none does now) keeps the outer one's.
    const OpenBox outer = Box;
    Box = {owner, type,
           ::SetWindowsHookExW(WH_GETMESSAGE, BoxKeyHook, nullptr, ::GetCurrentThreadId()),
           ::GetTickCount()};
    ::SetTimer(owner, BoxPadTimer, BoxPadPeriodMs, nullptr);
    // A button held when the box opens is no answer to it.
    win32::PollPadsForBox();
    return outer;
}

void EndBox(HWND owner, const OpenBox& outer) {
    ::KillTimer(owner, BoxPadTimer);
    if (Box.keys)
        ::UnhookWindowsHookEx(Box.keys);
    Box = outer;
    if (Box.owner)
        ::SetTimer(Box.owner, BoxPadTimer, BoxPadPeriodMs, nullptr);
}

int ShowBox(platform::Window owner, const char* textUtf8, const char* captionUtf8, uint32_t type) {
    // The texts are Chinese: the wide box shows them whatever the system's
    // ANSI code page is.
    std::wstring text = Widen(textUtf8);
    std::wstring caption = Widen(captionUtf8);
    HWND ownerHandle = owner ? owner->handle : nullptr;
    const OpenBox outer = ownerHandle ? BeginBox(ownerHandle, type) : Box;
    int answer = ::MessageBoxW(ownerHandle, text.c_str(), caption.c_str(), type);
    // A box the system could not show, or closed some other way, answers
    // as its close button does: the game and a recording know no other.
    const bool question = IsQuestion(type);
    if (question ? answer != IDYES && answer != IDNO : answer != IDOK)
        answer = question ? IDNO : IDOK;
    win32::BoxClosed(owner);
    if (ownerHandle)
        EndBox(ownerHandle, outer);
    return answer;
}

// An online game's box: a real box, which the player answers here or the
// other player's answer closes.
bool LiveBoxWaits() {
    return win32::Hooks.replay.liveBox(host::LiveBoxWaits);
}

void HoldLiveBox(platform::Window owner, const char* textUtf8, const char* captionUtf8,
                 uint32_t type) {
    WaitOutside(LiveBoxWaits);
    ShowBox(owner, textUtf8, captionUtf8, type);
    if (!EndWaitingOutside())
        win32::Hooks.replay.liveBox(host::LiveBoxAnsweredHere);
}

// A box of the replay: not shown (the viewer answers nothing of it) but for
// its first line in the caption; the game is told the window's activation
// around it as a real box tells it.
int ReplayedBox(platform::Window owner, const char* textUtf8, const char* captionUtf8,
                uint32_t type) {
    const bool told = owner && owner->procedure;
    if (told)
        win32::DeliverToGame(owner, WM_ACTIVATE, WA_INACTIVE, 0);
    const int answer = win32::Hooks.replay.boxAnswer ? win32::Hooks.replay.boxAnswer(type) : IDOK;
    std::string first = textUtf8 ? textUtf8 : "";
    const bool shown = !win32::Hooks.replay.boxShown || win32::Hooks.replay.boxShown();
    if (shown && win32::Hooks.replay.liveBox && win32::Hooks.replay.liveBox(host::LiveBoxOpens))
        HoldLiveBox(owner, textUtf8, captionUtf8, type);
    else if (shown)
        win32::ShowIndicator(first.substr(0, first.find('\n')));
    if (told && !win32::Hooks.replayedMinimized)
        win32::DeliverToGame(owner, WM_ACTIVATE, WA_ACTIVE, 0);
    return answer;
}

}  // namespace

namespace win32 {

bool BoxTimerTick(WPARAM timer) {
    if (timer != BoxPadTimer)
        return false;
    AnswerBoxFromPad();
    CloseBoxClosedOutside();
    return true;
}

void Fail(const char* textUtf8) {
    std::wstring text = Widen(textUtf8);
    ::MessageBoxW(nullptr, text.c_str(), L"错误", MB_OK | MB_ICONERROR);
    ::ExitProcess(1);
}

}  // namespace win32

namespace platform {

int MessageBox(Window owner, const char* textUtf8, const char* captionUtf8, uint32_t type) {
    int answer = win32::Hooks.replaying ? ReplayedBox(owner, textUtf8, captionUtf8, type)
                                        : ShowBox(owner, textUtf8, captionUtf8, type);
    if (win32::Hooks.recorder.boxAnswered)
        win32::Hooks.recorder.boxAnswered(answer);
    return answer;
}

// The system's boxes label their buttons in the system's language.
void SetBoxButtonTexts(const char*, const char*, const char*) {}

}  // namespace platform

namespace host {

void ShowNotice(const char* textUtf8, const char* captionUtf8, bool warning) {
    platform::WindowData* window = win32::Hooks.window;
    if (!window || !window->handle || !::IsWindow(window->handle))
        return;
    const std::wstring text = Widen(textUtf8);
    const std::wstring caption = Widen(captionUtf8);
    ::MessageBoxW(window->handle, text.c_str(), caption.c_str(),
                  MB_OK | (warning ? MB_ICONWARNING : 0));
}

// Looked at with the box's pad timer, as an online game's box is.
bool ShowWaitingNotice(const char* textUtf8, const char* captionUtf8, bool (*waiting)()) {
    platform::WindowData* window = win32::Hooks.window;
    if (!window || !window->handle || !::IsWindow(window->handle))
        return false;
    const std::wstring text = Widen(textUtf8);
    const std::wstring caption = Widen(captionUtf8);
    WaitOutside(waiting);
    const OpenBox outer = BeginBox(window->handle, MB_OK);
    ::MessageBoxW(window->handle, text.c_str(), caption.c_str(), MB_OK);
    EndBox(window->handle, outer);
    return EndWaitingOutside();
}

}  // namespace host
