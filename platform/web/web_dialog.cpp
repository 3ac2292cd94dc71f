// The message box of the web backend, drawn by the page over the canvas and
// answered there (Enter or Space takes the focused button, Escape the one
// that changes nothing, Y and N, the arrows and Tab move between buttons).
#include "platform/web/web_dialog.h"

#include <emscripten.h>

EM_ASYNC_JS(int, web_message_box, (const char* text, const char* caption, int yesNo, int warning), {
    return await Module.morvask.messageBox(UTF8ToString(text), UTF8ToString(caption), !!yesNo,
                                           !!warning);
});

namespace web {

int ShowDialog(const char* textUtf8, const char* captionUtf8, uint32_t type) {
    bool yesNo = (type & 0xF) == platform::MB_YESNO;
    bool warning = (type & 0xF0) == platform::MB_ICONWARNING;
    int answer = web_message_box(textUtf8, captionUtf8, yesNo, warning);
    if (yesNo)
        return answer == platform::IDYES ? platform::IDYES : platform::IDNO;
    return platform::IDOK;
}

}  // namespace web
