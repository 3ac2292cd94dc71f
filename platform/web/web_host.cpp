// The host interface in the page: the page keeps its own controls for the
// view and full screen (its menu band and touch buttons), so the window's
// options and observers have nothing to act on here; the volume is the
// page's; the status
// goes to the page beside the field, and notices are boxes of the page.
#include <emscripten.h>

#include <string>

#include "platform/host.h"
#include "platform/web/web_dialog.h"

EM_JS(void, web_set_volume, (int percent), { Module.morvask.setVolume(percent); });
EM_JS(int, web_volume, (), { return Module.morvask.volume(); });
EM_JS(void, web_choose_fullscreen, (int on), { Module.morvask.setFullscreen(!!on); });

namespace {

void (*StatusSource)(host::StatusShown& shown) = nullptr;
host::StatusPlace Place = host::StatusAuto;
// The status's compact form as the page shows it.
std::string ShownStatus;

}  // namespace

namespace host {

bool Start() {
    return true;
}

void Stop() {}

void SetWindowOptions(const WindowOptions&) {}
void SetFullscreenObserver(void (*)(bool)) {}
void SetScaleModeObserver(void (*)(ScaleMode)) {}
// The page fits the field to the screen; full screen is the page's, which
// the options screen asks for too.
void ChooseFullscreen(bool fullscreen) {
    web_choose_fullscreen(fullscreen ? 1 : 0);
}
void ChooseScaleMode(ScaleMode) {}
void SetIndicatorTexts(const IndicatorTexts&) {}
// The volume is the page's (its slider, + and -, remembered by the browser).
void SetVolume(int percent) {
    web_set_volume(percent);
}
int Volume() {
    return web_volume();
}
void StepVolume(int) {}
void SetVolumeObserver(void (*)(int)) {}
void StartPads() {}
void SetPadDeadZone(int) {}

void SetStatusDisplay(StatusPlace place, void (*source)(StatusShown& shown)) {
    Place = place;
    StatusSource = source;
}

void ShowNotice(const char* textUtf8, const char* captionUtf8, bool warning) {
    web::ShowDialog(textUtf8, captionUtf8,
                    platform::MB_OK | (warning ? platform::MB_ICONWARNING : 0));
}

// The page meets the other player itself (its own online line): the menu
// offers no Play online here.
bool ShowWaitingNotice(const char*, const char*, bool (*)()) {
    return false;
}
void EndGameInWindow() {}

// The page hands a link's levels over as a drop itself.
void DropAfterStart(const std::string&) {}

// A page is not sent signals.
void StopOnSignals() {}

}  // namespace host

extern "C" {

// The status's compact form in the player's language ("Level 3 · Tanks 2 ·
// ..."; empty before the first game), when it changed since the page last
// asked, else null: the page asks at every frame and writes into the
// document only then.
EMSCRIPTEN_KEEPALIVE const char* morvask_status_if_changed() {
    host::StatusShown shown;
    if (StatusSource && Place != host::StatusOff)
        StatusSource(shown);
    std::string now = shown.shown ? shown.titleSuffix : std::string();
    if (now == ShownStatus)
        return nullptr;
    ShownStatus = std::move(now);
    return ShownStatus.c_str();
}

}  // extern "C"
