// The message box of the web backend, drawn by the page over the canvas and
// answered there (Enter or Space takes the focused button, Escape the one
// that changes nothing, Y and N, the arrows and Tab move between buttons).
#include "platform/web/web_dialog.h"

#include <emscripten.h>

EM_ASYNC_JS(int, web_message_box,
            (const char* text, const char* caption, int yesNo, int warning, const char* ok,
             const char* yes, const char* no),
            {
                return await Module.morvask.messageBox(
                    UTF8ToString(text), UTF8ToString(caption), !!yesNo, !!warning,
                    [ UTF8ToString(ok), UTF8ToString(yes), UTF8ToString(no) ]);
            });

namespace {

const char* OkText = "确定";
const char* YesText = "是";
const char* NoText = "否";

}  // namespace

namespace web {

void SetDialogButtonTexts(const char* ok, const char* yes, const char* no) {
    OkText = ok;
    YesText = yes;
    NoText = no;
}

int ShowDialog(const char* textUtf8, const char* captionUtf8, uint32_t type) {
    bool yesNo = (type & 0xF) == platform::MB_YESNO;
    bool warning = (type & 0xF0) == platform::MB_ICONWARNING;
    int answer = web_message_box(textUtf8, captionUtf8, yesNo, warning, OkText, YesText, NoText);
    if (yesNo)
        return answer == platform::IDYES ? platform::IDYES : platform::IDNO;
    return platform::IDOK;
}

}  // namespace web
