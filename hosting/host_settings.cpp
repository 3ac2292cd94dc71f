// The settings on the host: what the file and the command line say, put in
// force once, and what the player changes in the window saved at once.
#include "hosting/host_settings.h"

#include <cstdio>
#include <string>

#include "editor/share_keys.h"
#include "hosting/run_share_key.h"
#include "hosting/status_shown.h"
#include "options/settings_file.h"
#include "platform/host.h"
#include "shell/main_window.h"
#include "shell/menu.h"
#include "state/program_state.h"
#include "texts/extra_texts.h"

namespace {

void Remember(const char* key, const std::string& value) {
    if (!PlayerSettingsPath.empty() && !SaveSetting(PlayerSettingsPath, key, value))
        std::fprintf(stderr, "morvask: %s: could not save %s\n", PlayerSettingsPath.c_str(), key);
}

// The volume the player set with + and -, the full screen of F11 and the
// scale mode of F10 are those of the next start.
void RememberVolume(int percent) {
    PlayerSettings.volume = percent;
    Remember("volume", std::to_string(percent));
}

void RememberFullscreen(bool fullscreen) {
    PlayerSettings.fullscreen = fullscreen;
    Remember("fullscreen", fullscreen ? "yes" : "no");
}

void RememberScaleMode(host::ScaleMode mode) {
    PlayerSettings.scaleMode = mode;
    Remember("scale_mode", host::ScaleModeName(mode));
}

std::string VolumeIndicatorText(int percent) {
    char text[64];
    std::snprintf(text, sizeof text, ExtraText(VolumeIndicator), percent);
    return text;
}

// "Scale: sharp"; auto says what it chose, "Scale: auto (sharp)".
std::string ScaleIndicatorText(host::ScaleMode mode, host::ScaleMode shownAs) {
    constexpr ExtraTextId Names[] = {ScaleModeIntegerName, ScaleModeFitName, ScaleModeSharpName,
                                     ScaleModeAutoName};
    const bool automatic = mode == host::ScaleAuto;
    std::string text = ExtraText(automatic ? ScaleAutoIndicator : ScaleIndicator);
    return text.replace(text.find("%s"), 2, ExtraText(Names[int(automatic ? shownAs : mode) % 4]));
}

}  // namespace

void PutSettingsInForce(const CommandLine& line, const std::string& path) {
    LoadPlayerSettings(path);
    ApplyCommandLine(line, PlayerSettings);
    ApplyPlayerSettings();
    host::SetWindowOptions({.fullscreen = PlayerSettings.fullscreen,
                            .scale = PlayerSettings.scale,
                            .scaleMode = PlayerSettings.scaleMode});
    host::SetFullscreenObserver(RememberFullscreen);
    host::SetScaleModeObserver(RememberScaleMode);
    host::SetIndicatorTexts({.volume = VolumeIndicatorText, .scaleMode = ScaleIndicatorText});
    host::SetVolume(PlayerSettings.volume);
    host::SetVolumeObserver(RememberVolume);
    host::SetPadDeadZone(PlayerSettings.padDeadzone);
    const StartSound start = PlayerSettings.startSound;
    Intro = {.shortIntro = PlayerSettings.shortIntro,
             .sound = start == StartSoundAsk ? PlayerSettings.volume > 0 : start == StartSoundOn,
             .soundGiven = start != StartSoundAsk};
    ShowStatusAt(PlayerSettings.statusPlace);
    host::StartPads();
    ShareBaseUrl = PlayerSettings.shareUrl;
    ShareTitle = PlayerSettings.setTitle;
    ShareAuthor = PlayerSettings.shareAuthor;
}

void OfferMenu(bool canQuit, bool online) {
    MenuHostRows = (canQuit ? MenuRowQuit : 0) | (online ? MenuRowOnline : 0);
    MenuHost.shareLastRun = ShareLastRun;
    MenuHost.showStatusAt = ShowStatusAt;
    MenuHost.setFullscreen = host::ChooseFullscreen;
    MenuHost.setScaleMode = host::ChooseScaleMode;
}
