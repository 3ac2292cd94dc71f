// The clipboard and drops of the web edition: the clipboard is the page's own
// text, kept in memory (the browser's clipboard is the page's to reach, behind
// the player's permission: its share buttons do that); a drop is text the
// page hands over (a link opened, a code or file dropped on the field). What
// the game reads of them passes the recorder, and a playback answers instead.
#include <emscripten.h>

#include <algorithm>
#include <string>

#include "platform/platform.h"
#include "platform/web/web_backend.h"

// The text the page dropped last (UTF-8, at most `limit` bytes), taken: the
// page forgets it. Returns its length.
EM_JS(int, web_take_drop, (char* buffer, int limit), {
    const text = Module.morvask.takeDrop();
    return text ? stringToUTF8(text, buffer, limit) : 0;
});
EM_JS(int, web_drop_bytes, (), { return Module.morvask.dropBytes(); });

namespace {

std::string PageClipboard;

std::string Given(std::string text) {
    text.resize(std::min(text.size(), platform::MaxOutsideTextBytes));
    if (web::Replaying())
        text = web::PlaybackText();
    if (web::Recorder().textRead)
        web::Recorder().textRead(text);
    return text;
}

}  // namespace

namespace platform {

bool HasSystemClipboard() {
    return false;
}

void SetClipboardText(const std::string& textUtf8) {
    if (!web::Replaying())
        PageClipboard = textUtf8.substr(0, MaxOutsideTextBytes);
}

std::string ClipboardText() {
    return Given(web::Replaying() ? std::string() : PageClipboard);
}

std::string DroppedText() {
    std::string text;
    if (!web::Replaying()) {
        // The page cuts a drop to the most the game is given.
        const int bytes = std::max(0, web_drop_bytes());
        text.resize(size_t(bytes) + 1);
        text.resize(size_t(web_take_drop(text.data(), bytes + 1)));
    }
    return Given(std::move(text));
}

}  // namespace platform
