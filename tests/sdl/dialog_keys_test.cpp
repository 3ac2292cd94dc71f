// The desktop program's message boxes through the real SDL2 backend, on SDL's
// dummy video driver: the answers of the keys and the pointer, the owner's
// deactivation, no tick while a box is open, and a close asked for meanwhile.
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "platform/host.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_desktop.h"
#include "platform/shared/dialog.h"

namespace {

struct Message {
    uint32_t message;
    uintptr_t wParam;
};

std::vector<Message> Received;
// A close ends the message loop but keeps the window.
bool QuitOnClose = false;

intptr_t RecordingProcedure(platform::Window window, uint32_t message, uintptr_t wParam,
                            intptr_t lParam) {
    Received.push_back({message, wParam});
    if (message == platform::WM_CLOSE && QuitOnClose) {
        platform::PostQuitMessage(0);
        return 0;
    }
    if (message == platform::WM_DESTROY)
        platform::PostQuitMessage(0);
    return platform::DefWindowProc(window, message, wParam, lParam);
}

platform::Window Window = nullptr;

void PushKey(SDL_Scancode scancode, SDL_Keycode sym, uint16_t mod = KMOD_NONE, uint8_t repeat = 0) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.repeat = repeat;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = sym;
    event.key.keysym.mod = mod;
    SDL_PushEvent(&event);
    event.type = SDL_KEYUP;
    event.key.state = SDL_RELEASED;
    SDL_PushEvent(&event);
}

void PushMouse(uint32_t type, int x, int y) {
    SDL_Event event{};
    event.type = type;
    if (type == SDL_MOUSEMOTION) {
        event.motion.x = x;
        event.motion.y = y;
    } else {
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.x = x;
        event.button.y = y;
    }
    SDL_PushEvent(&event);
}

const char* const Question = "是否保存自制地图？";

// The answer of a box to the events `push` makes once the box takes answers:
// a box takes none in its reading pause after it opens, so they come from
// another thread a generous while after the box is up.
int AnswerAfterPause(const char* text, uint32_t type, const std::function<void()>& push) {
    std::thread late([&push] {
        while (sdl::Desktop.dialog == nullptr)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::this_thread::sleep_for(std::chrono::milliseconds(dialog::ReadingPauseMs + 500));
        push();
    });
    const int answer = platform::MessageBox(Window, text, "", type);
    late.join();
    return answer;
}

class SdlDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
        SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_TRUE(sdl::StartVideo());
        platform::RegisterClass("Test", 0, 110, RecordingProcedure);
        Window = platform::CreateWindow("Test", "Morvask V1.0", 0, 0, 0, 966, 732);
        ASSERT_NE(Window, nullptr);
        platform::ShowWindow(Window, platform::SW_SHOWNORMAL);
    }
    void SetUp() override {
        SDL_PumpEvents();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        Received.clear();
    }
};

TEST_F(SdlDialog, KeysAnswerAYesNoBox) {
    struct Case {
        const char* what;
        std::vector<std::pair<SDL_Scancode, SDL_Keycode>> keys;
        int answer;
    };
    const Case cases[] = {
        {"Enter", {{SDL_SCANCODE_RETURN, SDLK_RETURN}}, platform::IDYES},
        {"keypad Enter", {{SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER}}, platform::IDYES},
        {"Space", {{SDL_SCANCODE_SPACE, SDLK_SPACE}}, platform::IDYES},
        {"Escape", {{SDL_SCANCODE_ESCAPE, SDLK_ESCAPE}}, platform::IDNO},
        {"Y", {{SDL_SCANCODE_Y, SDLK_y}}, platform::IDYES},
        {"N", {{SDL_SCANCODE_N, SDLK_n}}, platform::IDNO},
        {"Tab Enter",
         {{SDL_SCANCODE_TAB, SDLK_TAB}, {SDL_SCANCODE_RETURN, SDLK_RETURN}},
         platform::IDNO},
        {"Right Space",
         {{SDL_SCANCODE_RIGHT, SDLK_RIGHT}, {SDL_SCANCODE_SPACE, SDLK_SPACE}},
         platform::IDNO},
        // Keys that are not the box's change nothing.
        {"P H Enter",
         {{SDL_SCANCODE_P, SDLK_p}, {SDL_SCANCODE_H, SDLK_h}, {SDL_SCANCODE_RETURN, SDLK_RETURN}},
         platform::IDYES},
    };
    for (const Case& c : cases) {
        SetUp();
        EXPECT_EQ(AnswerAfterPause(Question, platform::MB_YESNO,
                                   [&c] {
                                       for (auto [scancode, sym] : c.keys)
                                           PushKey(scancode, sym);
                                   }),
                  c.answer)
            << c.what;
    }
}

TEST_F(SdlDialog, ARepeatOfAKeyHeldBeforeTheBoxOpenedDoesNotAnswerIt) {
    // A held Enter that opened nothing, then a real Escape: the answer is No.
    EXPECT_EQ(AnswerAfterPause(Question, platform::MB_YESNO,
                               [] {
                                   PushKey(SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_NONE, 1);
                                   PushKey(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
                               }),
              platform::IDNO);
}

TEST_F(SdlDialog, FullScreenKeysSwitchTheWindowAndLeaveTheBoxOpen) {
    SDL_Window* window = sdl::Desktop.window.sdlWindow;
    auto fullscreen = [window] {
        return (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
    };
    ASSERT_FALSE(fullscreen());
    EXPECT_EQ(AnswerAfterPause(Question, platform::MB_YESNO,
                               [] {
                                   PushKey(SDL_SCANCODE_F11, SDLK_F11);
                                   PushKey(SDL_SCANCODE_N, SDLK_n);
                               }),
              platform::IDNO);
    EXPECT_TRUE(fullscreen());
    // Alt+Enter is not the box's Enter.
    SetUp();
    EXPECT_EQ(AnswerAfterPause(Question, platform::MB_YESNO,
                               [] {
                                   PushKey(SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT);
                                   PushKey(SDL_SCANCODE_N, SDLK_n);
                               }),
              platform::IDNO);
    EXPECT_FALSE(fullscreen());
}

TEST_F(SdlDialog, ThePointerClicksTheButtonItIsOver) {
    // The box lies where the layout puts it for the field's place in the
    // window (the window's units are its pixels on this driver).
    const sdl::View view = sdl::CurrentView();
    dialog::Box box = dialog::OpenBox(Question, "", platform::MB_YESNO);
    dialog::Layout layout =
        dialog::Arrange(box, {view.field.x, view.field.y, view.field.w, view.field.h}, view.scale);
    const dialog::Rect no = layout.buttons[1], yes = layout.buttons[0];
    EXPECT_EQ(AnswerAfterPause(Question, platform::MB_YESNO,
                               [no] {
                                   PushMouse(SDL_MOUSEMOTION, no.x + 5, no.y + 5);
                                   PushMouse(SDL_MOUSEBUTTONDOWN, no.x + 5, no.y + 5);
                                   PushMouse(SDL_MOUSEBUTTONUP, no.x + 6, no.y + 6);
                               }),
              platform::IDNO);

    // Pressed on Yes and let go beside it clicks nothing; then N answers.
    SetUp();
    EXPECT_EQ(AnswerAfterPause(Question, platform::MB_YESNO,
                               [yes] {
                                   PushMouse(SDL_MOUSEBUTTONDOWN, yes.x + 5, yes.y + 5);
                                   PushMouse(SDL_MOUSEBUTTONUP, yes.x - 50, yes.y + 5);
                                   PushKey(SDL_SCANCODE_N, SDLK_n);
                               }),
              platform::IDNO);

    // A click already under way as the box opens answers nothing: its press
    // came in the reading pause. Only the N after the pause does.
    SetUp();
    PushMouse(SDL_MOUSEBUTTONDOWN, yes.x + 5, yes.y + 5);
    EXPECT_EQ(AnswerAfterPause(Question, platform::MB_YESNO,
                               [yes] {
                                   PushMouse(SDL_MOUSEBUTTONUP, yes.x + 5, yes.y + 5);
                                   PushKey(SDL_SCANCODE_N, SDLK_n);
                               }),
              platform::IDNO);
}

TEST_F(SdlDialog, TheOwnerIsInactiveAndGetsNoTickWhileTheBoxIsOpen) {
    platform::SetTimer(Window, 1, 10);
    Received.clear();
    // The answer comes a while after the box opened: ticks fell due meanwhile.
    const int answer = AnswerAfterPause("准备进入第1关", platform::MB_OK,
                                        [] { PushKey(SDL_SCANCODE_RETURN, SDLK_RETURN); });
    EXPECT_EQ(answer, platform::IDOK);
    ASSERT_EQ(Received.size(), 2u);
    EXPECT_EQ(Received[0].message, platform::WM_ACTIVATE);
    EXPECT_EQ(Received[0].wParam, platform::WA_INACTIVE);
    EXPECT_EQ(Received[1].message, platform::WM_ACTIVATE);
    EXPECT_EQ(Received[1].wParam, platform::WA_ACTIVE);
    platform::KillTimer(Window, 1);
}

void PushClose() {
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&close);
}

TEST_F(SdlDialog, FullScreenKeysNeverReachTheWindowProcedure) {
    PushKey(SDL_SCANCODE_F11, SDLK_F11);
    PushKey(SDL_SCANCODE_RETURN, SDLK_RETURN, KMOD_LALT);
    PushKey(SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, KMOD_RALT);
    PushKey(SDL_SCANCODE_P, SDLK_p);
    PushClose();
    QuitOnClose = true;
    EXPECT_EQ(platform::RunMessageLoop(), 0);
    QuitOnClose = false;
    sdl::Desktop.quitPosted = false;
    std::vector<uintptr_t> keys;
    for (const Message& m : Received)
        if (m.message == platform::WM_KEYDOWN)
            keys.push_back(m.wParam);
    EXPECT_EQ(keys, std::vector<uintptr_t>{'P'});
}

// The pointer's field pixel for a position in the window.
std::pair<int, int> FieldPixel(int x, int y) {
    int fieldX = 0, fieldY = 0;
    sdl::FieldPoint(sdl::CurrentView(), x, y, fieldX, fieldY);
    return {fieldX, fieldY};
}

TEST_F(SdlDialog, ThePointerIsMappedToFieldPixelsInBothScaleModes) {
    SDL_Window* window = sdl::Desktop.window.sdlWindow;
    SDL_SetWindowFullscreen(window, 0);
    SDL_SetWindowSize(window, 1920, 1408);
    sdl::Redraw();
    EXPECT_EQ(FieldPixel(258, 258), std::make_pair(129, 129));
    EXPECT_EQ(FieldPixel(1919, 1407), std::make_pair(959, 703));

    // Integer: the field at scale 1, centred at (270, 48), with bars around
    // it; beside the field the positions are outside 0..959 and 0..703.
    SDL_SetWindowSize(window, 1500, 800);
    sdl::Redraw();
    EXPECT_EQ(FieldPixel(270, 48), std::make_pair(0, 0));
    EXPECT_EQ(FieldPixel(269, 47), std::make_pair(-1, -1));
    EXPECT_EQ(FieldPixel(1229, 751), std::make_pair(959, 703));
    EXPECT_EQ(FieldPixel(1230, 752), std::make_pair(960, 704));

    // Fit: as large as the height allows, the aspect kept: 1091 x 800 at
    // (204, 0).
    sdl::Desktop.options.scaleMode = host::ScaleFit;
    EXPECT_EQ(FieldPixel(204 + 546, 400), std::make_pair(480, 352));
    EXPECT_EQ(FieldPixel(204 + 1090, 799), std::make_pair(959, 703));
    EXPECT_EQ(FieldPixel(203, 0).first, -1);
    EXPECT_EQ(FieldPixel(204 + 1091, 0).first, 960);
    sdl::Desktop.options.scaleMode = host::ScaleInteger;
    SDL_SetWindowSize(window, 960, 704);
    sdl::Redraw();
}

// Last: it ends the window.
TEST_F(SdlDialog, ClosingTheWindowAnswersTheBoxAsEscapeThenTheCloseRuns) {
    PushClose();
    EXPECT_EQ(platform::MessageBox(Window, Question, "", platform::MB_YESNO), platform::IDNO);
    // A box opened before the close has run is answered the same way at once.
    EXPECT_EQ(platform::MessageBox(Window, "游戏暂停！休息一下！", "", platform::MB_OK),
              platform::IDOK);
    Received.clear();
    EXPECT_EQ(platform::RunMessageLoop(), 0);
    ASSERT_GE(Received.size(), 2u);
    EXPECT_EQ(Received.front().message, platform::WM_CLOSE);
    EXPECT_EQ(Received.back().message, platform::WM_DESTROY);
    sdl::StopAll();
}

}  // namespace
