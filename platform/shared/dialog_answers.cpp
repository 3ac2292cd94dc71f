// The in-window box's answers: the rules of its keys, of the pointer over
// its buttons, and of closing the window.
#include <algorithm>

#include "platform/platform.h"
#include "platform/shared/dialog.h"

namespace dialog {
namespace {

bool Inside(Rect rect, int x, int y) {
    return x >= rect.x && y >= rect.y && x < rect.x + rect.width && y < rect.y + rect.height;
}

int ButtonAt(const Layout& layout, int x, int y) {
    for (int b = 0; b < layout.buttonCount; ++b)
        if (Inside(layout.buttons[b], x, y))
            return b;
    return -1;
}

int AnswerOf(const Box& box, int button) {
    if (!box.yesNo)
        return platform::IDOK;
    return button == 0 ? platform::IDYES : platform::IDNO;
}

}  // namespace

int PressKey(Box& box, Key key) {
    const int buttons = box.yesNo ? 2 : 1;
    switch (key) {
        case Key::Enter:
        case Key::Space:
            return AnswerOf(box, box.focus);
        case Key::Escape:
            return AnswerOfClose(box);
        case Key::Yes:
            return box.yesNo ? platform::IDYES : 0;
        case Key::No:
            return box.yesNo ? platform::IDNO : 0;
        case Key::Tab:
            box.focus = (box.focus + 1) % buttons;
            return 0;
        case Key::BackTab:
            box.focus = (box.focus + buttons - 1) % buttons;
            return 0;
        case Key::Left:
            box.focus = std::max(0, box.focus - 1);
            return 0;
        case Key::Right:
            box.focus = std::min(buttons - 1, box.focus + 1);
            return 0;
    }
    return 0;
}

bool MovePointer(Box& box, const Layout& layout, int x, int y) {
    int over = ButtonAt(layout, x, y);
    if (over == box.hover)
        return false;
    box.hover = over;
    return true;
}

int PressPointer(Box& box, const Layout& layout, int x, int y) {
    box.hover = ButtonAt(layout, x, y);
    box.pressed = box.hover;
    if (box.pressed >= 0)
        box.focus = box.pressed;
    return 0;
}

int ReleasePointer(Box& box, const Layout& layout, int x, int y) {
    int over = ButtonAt(layout, x, y);
    int started = box.pressed;
    box.pressed = -1;
    box.hover = over;
    return started >= 0 && started == over ? AnswerOf(box, over) : 0;
}

int AnswerOfClose(const Box& box) {
    return box.yesNo ? platform::IDNO : platform::IDOK;
}

}  // namespace dialog
