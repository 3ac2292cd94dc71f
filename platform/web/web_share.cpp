// The clipboard of the web edition: the page's own text, kept in memory (the
// browser's clipboard is the page's to reach, behind the user's permission);
// the page takes no drops yet.
#include <string>

#include "platform/platform.h"

namespace {

std::string PageClipboard;

}  // namespace

namespace platform {

bool HasSystemClipboard() {
    return false;
}

void SetClipboardText(const std::string& textUtf8) {
    PageClipboard = textUtf8.substr(0, MaxOutsideTextBytes);
}

std::string ClipboardText() {
    return PageClipboard;
}

std::string DroppedText() {
    return "";
}

}  // namespace platform
