// The system clipboard and drops on the window for the SDL2 backend: what the
// game reads of them passes the recorder, and a playback answers it instead.
#include <SDL.h>

#include <algorithm>
#include <utility>

#include "platform/files.h"
#include "platform/sdl/sdl_desktop.h"

using sdl::Desktop;

namespace {

std::string Given(std::string text) {
    text.resize(std::min(text.size(), platform::MaxOutsideTextBytes));
    if (Desktop.replaying)
        text = Desktop.replay.textRead ? Desktop.replay.textRead() : std::string();
    if (Desktop.recorder.textRead)
        Desktop.recorder.textRead(text);
    return text;
}

void Drop(std::string text) {
    Desktop.droppedText = std::move(text);
    sdl::Deliver(platform::WM_KEYDOWN, platform::VK_DROP, 0);
}

}  // namespace

namespace sdl {

bool DiscardDropEvent(const SDL_Event& event) {
    if (event.type != SDL_DROPFILE && event.type != SDL_DROPTEXT && event.type != SDL_DROPBEGIN &&
        event.type != SDL_DROPCOMPLETE)
        return false;
    SDL_free(event.drop.file);
    return true;
}

void HandleDropEvent(const SDL_DropEvent& drop) {
    if (!drop.file)
        return;
    std::string text = drop.file;
    SDL_free(drop.file);
    // A file is dropped as its bytes: the game sees what the recording keeps.
    if (drop.type == SDL_DROPFILE) {
        std::string bytes;
        text = platform::ReadSmallFile(text.c_str(), platform::MaxOutsideTextBytes, bytes)
                   ? bytes
                   : std::string();
    }
    if (!Desktop.replaying)
        Drop(std::move(text));
}

void DropPendingText() {
    if (!Desktop.dropAtStart.empty())
        Drop(std::exchange(Desktop.dropAtStart, std::string()));
}

}  // namespace sdl

namespace host {

void DropAfterStart(const std::string& text) {
    sdl::Desktop.dropAtStart = text;
}

}  // namespace host

namespace platform {

bool HasSystemClipboard() {
    return true;
}

void SetClipboardText(const std::string& textUtf8) {
    // Watching a replay leaves the viewer's clipboard alone.
    if (!Desktop.replaying)
        SDL_SetClipboardText(textUtf8.c_str());
}

std::string ClipboardText() {
    std::string text;
    if (!Desktop.replaying && SDL_HasClipboardText()) {
        char* held = SDL_GetClipboardText();
        if (held)
            text = held;
        SDL_free(held);
    }
    return Given(std::move(text));
}

std::string DroppedText() {
    return Given(std::exchange(Desktop.droppedText, std::string()));
}

}  // namespace platform
