// The status around the field in the desktop window: what it shows, made
// from the game's status record, and where the hud setting puts it.
#include "programs/desktop/status_display.h"

#include "options/settings_file.h"
#include "platform/sdl/sdl_status.h"
#include "programs/status/status_shown.h"

void ShowStatusAs(int32_t hud) {
    constexpr sdl::StatusPlace Places[] = {sdl::StatusPlace::Auto, sdl::StatusPlace::Side,
                                           sdl::StatusPlace::Title, sdl::StatusPlace::Off};
    sdl::SetStatusDisplay(Places[hud >= HudAuto && hud <= HudOff ? hud : HudAuto], FillStatusShown);
}
