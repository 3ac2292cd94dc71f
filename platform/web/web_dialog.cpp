// The message box of the web backend: the desktop's in-window box, drawn over
// the field's picture and shown on the canvas, answered with the keys and the
// pointer that the page passes on while it is open (Enter or Space takes the
// focused button, Escape the one that changes nothing, Y and N, the arrows and
// Tab move the focus, a click takes a button). The browser runs meanwhile.
#include "platform/web/web_dialog.h"

#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "platform/shared/dialog.h"
#include "platform/shared/surfaces.h"
#include "platform/web/web_backend.h"

// The page hears what the box says and its buttons' labels (a touch screen
// shows them in a size that can be tapped).
EM_JS(void, web_dialog_opened,
      (const char* text, const char* caption, int yesNo, const char* ok, const char* yes,
       const char* no),
      {
          Module.morvask.dialogOpened(UTF8ToString(text), UTF8ToString(caption), !!yesNo,
                                      [ UTF8ToString(ok), UTF8ToString(yes), UTF8ToString(no) ]);
      });
EM_JS(void, web_dialog_closed, (), { Module.morvask.dialogClosed(); });
// The page's tests press a box's buttons only once it takes answers.
EM_JS(void, web_dialog_ready, (), {
    if (Module.morvask.dialogReady)
        Module.morvask.dialogReady();
});
EM_JS(int, web_next_dialog_event, (int32_t * values), {
    const event = Module.morvask.nextDialogEvent();
    if (!event)
        return 0;
    for (let i = 1; i < event.length; ++i)
        HEAP32[(values >> 2) + i - 1] = event[i];
    return event[0];
});
// Waits for the player's next answer to the box (a key, a click, a tap) or
// `milliseconds`, whichever comes first; no animation frames are asked for
// while the box stands, so an open box costs the browser next to nothing.
EM_ASYNC_JS(double, web_wait_dialog_input, (int milliseconds),
            { return await Module.morvask.waitDialogInput(milliseconds); });

namespace {

constexpr int ClientWidth = 960;
constexpr int ClientHeight = 704;

// What the page passes on while a box is open.
constexpr int DialogKey = 1;
constexpr int DialogPointerMove = 2;
constexpr int DialogPointerDown = 3;
constexpr int DialogPointerUp = 4;

// How often an open box looks for input that does not wake it (a gamepad).
constexpr int IdleWaitMs = 100;
// How often an online game's box looks whether the other player answered it
// (and keeps the link to the other alive).
constexpr int LiveBoxLookMs = 10;

void Show(const std::vector<uint32_t>& behind, const dialog::Box& box, const dialog::Layout& layout,
          std::vector<uint32_t>& pixels) {
    pixels = behind;
    dialog::Draw(box, layout, pixels.data(), ClientWidth, ClientHeight, ClientWidth, 0, 0);
    web::PresentOtherPicture(pixels);
}

}  // namespace

namespace web {

// The replay's speed as the page asks for it (0 while paused).
EM_JS(int, web_dialog_replay_speed, (), { return Module.morvask.replaySpeed(); });

void ShowReplayedDialog(const char* textUtf8, const char* captionUtf8, uint32_t type, int answer) {
    dialog::Box box = dialog::OpenBox(textUtf8, captionUtf8, type);
    box.focus = answer == platform::IDNO ? 1 : 0;
    const dialog::Layout layout =
        dialog::Arrange(box, dialog::Rect{0, 0, ClientWidth, ClientHeight}, 1.0);
    const auto& picture = CurrentPicture().pixels;
    std::vector<uint32_t> behind(picture.begin(), picture.end());
    behind.resize(size_t(ClientWidth) * ClientHeight);
    std::vector<uint32_t> shown;
    web_dialog_opened(textUtf8, captionUtf8, (type & 0xF) == platform::MB_YESNO,
                      box.okLabel.c_str(), box.yesLabel.c_str(), box.noLabel.c_str());
    Show(behind, box, layout, shown);
    // A second at the normal speed, less when faster, and on while paused;
    // what the viewer presses reaches nothing.
    double left = 1000.0;
    double last = emscripten_get_now();
    int32_t values[3] = {};
    while (left > 0.0) {
        const int speed = web_dialog_replay_speed();
        web_wait_dialog_input(speed ? std::max(1, int(left / speed)) : IdleWaitMs);
        while (web_next_dialog_event(values) != 0) {
        }
        const double now = emscripten_get_now();
        left -= (now - last) * speed;
        last = now;
    }
    web_dialog_closed();
}

int ShowDialog(const char* textUtf8, const char* captionUtf8, uint32_t type, bool (*stillOpen)()) {
    dialog::Box box = dialog::OpenBox(textUtf8, captionUtf8, type);
    const dialog::Layout layout =
        dialog::Arrange(box, dialog::Rect{0, 0, ClientWidth, ClientHeight}, 1.0);
    const auto& picture = CurrentPicture().pixels;
    std::vector<uint32_t> behind(picture.begin(), picture.end());
    behind.resize(size_t(ClientWidth) * ClientHeight);
    std::vector<uint32_t> shown;
    bool yesNo = (type & 0xF) == platform::MB_YESNO;
    web_dialog_opened(textUtf8, captionUtf8, yesNo, box.okLabel.c_str(), box.yesLabel.c_str(),
                      box.noLabel.c_str());
    Show(behind, box, layout, shown);
    const double opened = emscripten_get_now();
    bool answering = false;
    int answer = 0;
    while (answer == 0) {
        // While the player reads, the pictures still waiting are decoded one
        // at a time, as the desktop does; the level after the box starts
        // without that pause.
        const bool decoded = web::PicturesReady() && shared::PrepareNextPicture();
        web_wait_dialog_input(decoded ? 0 : stillOpen ? LiveBoxLookMs : IdleWaitMs);
        // An online game's box closes when the other player answered it.
        if (stillOpen && !stillOpen())
            break;
        // Keys, clicks and taps of the reading pause are dropped unanswered.
        const bool wasAnswering = answering;
        answering = dialog::TakesAnswers(opened, emscripten_get_now());
        if (answering && !wasAnswering)
            web_dialog_ready();
        bool redraw = false;
        int32_t values[3] = {};
        while (answer == 0) {
            int kind = web_next_dialog_event(values);
            if (kind == 0)
                break;
            if (!answering && kind != DialogPointerMove)
                continue;
            if (kind == DialogKey) {
                answer = dialog::PressKey(box, dialog::Key(values[0]));
                redraw = true;
            } else if (kind == DialogPointerMove) {
                redraw |= dialog::MovePointer(box, layout, values[0], values[1]);
            } else if (kind == DialogPointerDown) {
                answer = dialog::PressPointer(box, layout, values[0], values[1]);
                redraw = true;
            } else if (kind == DialogPointerUp) {
                answer = dialog::ReleasePointer(box, layout, values[0], values[1]);
                redraw = true;
            }
        }
        // A new size of the field shows the box anew in it.
        redraw |= PageResized();
        if (redraw && answer == 0)
            Show(behind, box, layout, shown);
    }
    web_dialog_closed();
    return answer;
}

}  // namespace web
