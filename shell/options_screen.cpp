// The options screen of the menu: each play action's key for both players,
// set by pressing it (a key another action or the game's own commands have is
// refused, and the row says so), the key presets, the language, the window's
// scale mode and full screen, the volume, the intro, the start-up's sound
// question and the status's place.
// Every change is in force at once and saved to the settings file at once.
#include <algorithm>
#include <cstdio>

#include "options/key_presets.h"
#include "options/settings_file.h"
#include "platform/host.h"
#include "shell/menu.h"
#include "state/program_state.h"
#include "texts/extra_texts.h"
#include "texts/menu_texts.h"

namespace {

// The first player's twelve actions, then the second player's ten, named
// as the first's ten are.
MenuTextId ActionNameText(int32_t action) {
    const int32_t own = action >= Player2Up ? action - Player2Up : action;
    return MenuTextId(ActionUpName + own);
}

std::string ActionLabel(int32_t action) {
    const MenuTextId player = action >= Player2Up ? OptionsPlayer2 : OptionsPlayer1;
    return std::string(MenuText(player)) + " · " + MenuText(ActionNameText(action));
}

std::string Filled(MenuTextId format, const std::string& a, const std::string& b = "") {
    char text[512];
    std::snprintf(text, sizeof text, MenuText(format), a.c_str(), b.c_str());
    return text;
}

// The keys in force (the settings' too), and every action's keys saved. A
// replay's keys are the game keys the run polled: they stay as they are.
void PutKeysInForce(const KeyBindings& bindings) {
    PlayerSettings.keys = bindings;
    if (InputReplayed) {
        PlayerKeys = bindings;
        return;
    }
    ApplyKeyBindings(bindings);
    std::vector<std::pair<std::string, std::string>> changes;
    for (const PlayActionInfo& info : PlayActions)
        changes.emplace_back(info.name, KeyListSetting(bindings.keys[info.action]));
    RememberPlayerSettings(changes);
}

void UsePreset(int32_t preset) {
    PutKeysInForce(PresetKeyBindings(KeyPreset(preset)));
    Menu.note = MenuText(OptionsPresetSet);
}

void WaitForKey(int32_t action) {
    Menu.capturing = action;
    Menu.note = Filled(OptionsPressKey, ActionLabel(action));
}

// The language in force is the one shown (the command line may have chosen it).
void ChangeLanguage(int32_t, int32_t) {
    CurrentLanguage = CurrentLanguage == English ? Chinese : English;
    PlayerSettings.language = CurrentLanguage;
    platform::SetBoxButtonTexts(Text(OkButton), Text(YesButton), Text(NoButton));
    RememberPlayerSettings({{"lang", LanguageName(CurrentLanguage)}});
}

void ChangeScaleMode(int32_t, int32_t step) {
    const int32_t mode =
        (int32_t(PlayerSettings.scaleMode) + step + host::ScaleModeCount) % host::ScaleModeCount;
    PlayerSettings.scaleMode = host::ScaleMode(mode);
    if (MenuHost.setScaleMode)
        MenuHost.setScaleMode(PlayerSettings.scaleMode);
    RememberPlayerSettings({{"scale_mode", host::ScaleModeName(PlayerSettings.scaleMode)}});
}

void ChangeFullscreen(int32_t, int32_t) {
    PlayerSettings.fullscreen = !PlayerSettings.fullscreen;
    if (MenuHost.setFullscreen)
        MenuHost.setFullscreen(PlayerSettings.fullscreen);
    RememberPlayerSettings({{"fullscreen", PlayerSettings.fullscreen ? "yes" : "no"}});
}

void ChangeVolume(int32_t, int32_t step) {
    PlayerSettings.volume = std::min(100, std::max(0, PlayerSettings.volume + 10 * step));
    host::SetVolume(PlayerSettings.volume);
    RememberPlayerSettings({{"volume", std::to_string(PlayerSettings.volume)}});
}

void ChangeIntro(int32_t, int32_t) {
    PlayerSettings.shortIntro = !PlayerSettings.shortIntro;
    RememberPlayerSettings({{"intro", PlayerSettings.shortIntro ? "short" : "full"}});
}

// The start-up's sound question: asked, or answered by the setting; in
// force from the next start, the sound of this one as it was answered.
void ChangeStartSound(int32_t, int32_t step) {
    const int32_t sound =
        (int32_t(PlayerSettings.startSound) + step + StartSoundCount) % StartSoundCount;
    PlayerSettings.startSound = StartSound(sound);
    RememberPlayerSettings({{"sound", StartSoundName(PlayerSettings.startSound)}});
}

std::string StartSoundText() {
    constexpr MenuTextId Names[] = {OptionsAsk, OptionsOn, OptionsOff};
    return MenuText(Names[int32_t(PlayerSettings.startSound) % StartSoundCount]);
}

void ChangeStatusPlace(int32_t, int32_t step) {
    const int32_t place = (int32_t(PlayerSettings.statusPlace) + step + 4) % 4;
    PlayerSettings.statusPlace = host::StatusPlace(place);
    if (MenuHost.showStatusAt)
        MenuHost.showStatusAt(PlayerSettings.statusPlace);
    RememberPlayerSettings({{"hud", host::StatusPlaceName(PlayerSettings.statusPlace)}});
}

void Back(int32_t) {
    ShowMenuScreen(MenuMain);
}

MenuEntry Choice(MenuTextId label, const std::string& value, void (*change)(int32_t, int32_t)) {
    return {.label = MenuText(label), .value = value, .change = change};
}

std::string ScaleModeText() {
    constexpr ExtraTextId Names[] = {ScaleModeIntegerName, ScaleModeFitName, ScaleModeSharpName,
                                     ScaleModeAutoName};
    return ExtraText(Names[int32_t(PlayerSettings.scaleMode) % 4]);
}

std::string StatusPlaceText() {
    constexpr MenuTextId Names[] = {OptionsStatusAuto, OptionsStatusSide, OptionsStatusTitle,
                                    OptionsStatusOff};
    return MenuText(Names[int32_t(PlayerSettings.statusPlace) % 4]);
}

void AddWindowRows(std::vector<MenuEntry>& rows) {
    rows.push_back(Choice(OptionsLanguage, LanguageName(CurrentLanguage), ChangeLanguage));
    rows.push_back(Choice(OptionsScaleMode, ScaleModeText(), ChangeScaleMode));
    rows.push_back(Choice(OptionsFullscreen,
                          MenuText(PlayerSettings.fullscreen ? OptionsYes : OptionsNo),
                          ChangeFullscreen));
    rows.push_back(
        Choice(OptionsVolume, std::to_string(PlayerSettings.volume) + "%", ChangeVolume));
    rows.push_back(Choice(
        OptionsIntro, MenuText(PlayerSettings.shortIntro ? OptionsIntroShort : OptionsIntroFull),
        ChangeIntro));
    rows.push_back(Choice(OptionsStartSound, StartSoundText(), ChangeStartSound));
    rows.push_back(Choice(OptionsStatusPlace, StatusPlaceText(), ChangeStatusPlace));
}

}  // namespace

std::vector<MenuEntry> OptionsEntries() {
    std::vector<MenuEntry> rows;
    rows.push_back(
        {.label = MenuText(OptionsPresetDefault), .choose = UsePreset, .arg = DefaultKeysPreset});
    rows.push_back(
        {.label = MenuText(OptionsPresetLaptop), .choose = UsePreset, .arg = LaptopKeysPreset});
    for (int32_t action = 0; action < PlayActionCount; ++action)
        rows.push_back({.label = ActionLabel(action),
                        .value = KeyListText(PlayerKeys.keys[action]),
                        .choose = WaitForKey,
                        .arg = action});
    AddWindowRows(rows);
    rows.push_back({.label = MenuText(MenuBack), .choose = Back});
    return rows;
}

void OptionsCaptureKey(int key) {
    const auto action = PlayAction(Menu.capturing);
    Menu.capturing = -1;
    const std::string name = KeyName(key);
    if (key == platform::VK_ESCAPE) {
        Menu.note.clear();
        return;
    }
    const KeyChoice choice = CheckKeyChoice(PlayerKeys, action, key);
    if (choice.outcome == KeyChoice::Unnamed) {
        Menu.note = MenuText(OptionsKeyUnnamed);
        return;
    }
    if (choice.outcome == KeyChoice::Reserved) {
        Menu.note = Filled(OptionsKeyKept, name);
        return;
    }
    if (choice.outcome == KeyChoice::Taken) {
        Menu.note = Filled(OptionsKeyTaken, name, ActionLabel(choice.holder));
        return;
    }
    KeyBindings bindings = PlayerKeys;
    bindings.keys[action] = {key};
    PutKeysInForce(bindings);
    Menu.note = Filled(OptionsKeySet, name, ActionLabel(action));
}
