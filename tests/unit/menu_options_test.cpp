// The sharp rules of the menu's options screen: a key another action or the
// game's own commands hold is refused, the presets are whole and free of
// clashes, and a choice saved from the game keeps the rest of the player's
// settings file as it was written.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "options/key_presets.h"
#include "options/settings_file.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "shell/menu.h"
#include "state/program_state.h"
#include "tests/unit/fresh_directory.h"
#include "tests/unit/test_support.h"

namespace {

constexpr int VkEnter = 0x0D;

TEST(KeyChoice, RefusesKeysOthersHoldAndTheGameKeeps) {
    const KeyBindings defaults = DefaultKeyBindings();
    // W turns the first player's gun up: the second player cannot drive with it.
    const KeyChoice taken = CheckKeyChoice(defaults, Player2Up, 'W');
    EXPECT_EQ(taken.outcome, KeyChoice::Taken);
    EXPECT_EQ(taken.holder, GunUp);
    // The second player's keypad fire is taken for the first player's fire too.
    EXPECT_EQ(CheckKeyChoice(defaults, Fire, 0x60).holder, Player2Fire);
    // Z (the level keys), the mode keys, F11 and Esc (the menu) are the game's.
    for (int key : {int('Z'), platform::VK_F1, platform::VK_F2, platform::VK_F3,
                    platform::VK_F1 + 10, platform::VK_ESCAPE})
        EXPECT_EQ(CheckKeyChoice(defaults, Fire, key).outcome, KeyChoice::Reserved) << key;
    // A key the settings file cannot name could not be saved.
    EXPECT_EQ(CheckKeyChoice(defaults, Fire, 0xBA).outcome, KeyChoice::Unnamed);
    // The action's own key, and a key nobody has, are free.
    EXPECT_EQ(CheckKeyChoice(defaults, Fire, platform::VK_SPACE).outcome, KeyChoice::Free);
    EXPECT_EQ(CheckKeyChoice(defaults, Player2Fire, 'J').outcome, KeyChoice::Free);
}

TEST(KeyPresets, LaptopPresetFitsOneKeyboardWithoutKeypad) {
    const KeyBindings laptop = PresetKeyBindings(LaptopKeysPreset);
    std::set<int> seen;
    for (int action = 0; action < PlayActionCount; ++action) {
        ASSERT_EQ(laptop.keys[action].size(), 1u) << PlayActions[action].name;
        const int key = laptop.keys[action][0];
        EXPECT_TRUE(seen.insert(key).second) << KeyName(key) << " twice";
        EXPECT_FALSE(key >= 0x60 && key <= 0x69) << KeyName(key) << " is on the keypad";
        EXPECT_EQ(CheckKeyChoice(laptop, PlayAction(action), key).outcome, KeyChoice::Free);
        // None of the letters of the commands around the game (records, keys
        // box, players) is taken from them.
        EXPECT_TRUE(key != 'R' && key != 'K' && key != 'N' && key != 'F') << KeyName(key);
    }
    // The first player keeps the arrows; the second drives with W, S, A, D.
    EXPECT_EQ(laptop.keys[MoveUp][0], platform::VK_UP);
    EXPECT_EQ(laptop.keys[MoveLeft][0], platform::VK_LEFT);
    EXPECT_EQ(laptop.keys[Player2Up][0], 'W');
    EXPECT_EQ(laptop.keys[Player2Down][0], 'S');
    EXPECT_EQ(laptop.keys[Player2Left][0], 'A');
    EXPECT_EQ(laptop.keys[Player2Right][0], 'D');
    EXPECT_EQ(PresetKeyBindings(DefaultKeysPreset).keys[Player2Up],
              DefaultKeyBindings().keys[Player2Up]);
}

TEST(KeyPresets, SettingsLinesReadBackAsTheSameKeys) {
    const KeyBindings laptop = PresetKeyBindings(LaptopKeysPreset);
    std::vector<BindingLine> lines;
    for (const PlayActionInfo& info : PlayActions)
        lines.push_back(
            {info.action, KeyListSetting(laptop.keys[info.action]), int(info.action) + 1});
    std::vector<std::string> problems;
    const KeyBindings read = ResolveKeyBindings(lines, "settings.ini", problems);
    EXPECT_TRUE(problems.empty()) << problems[0];
    for (int action = 0; action < PlayActionCount; ++action)
        EXPECT_EQ(read.keys[action], laptop.keys[action]) << PlayActions[action].name;
    EXPECT_EQ(KeyListSetting({'J', platform::VK_SPACE}), "J, Space");
}

class MenuSettingsFile : public InTempFolder {
protected:
    void SetUp() override {
        ResetEverything();
        InTempFolder::SetUp();
    }
    const std::string& path = settingsPath;
};

TEST_F(MenuSettingsFile, SavingChoicesKeepsCommentsAndUnknownLines) {
    const std::string text =
        "# my own note\nvolume = 40  # quieter at night\nmy_tool_key = 7\nfire = J\n";
    std::ofstream(path, std::ios::binary) << text;
    ASSERT_TRUE(SaveSettings(path, {{"fire", "Space"}, {"p2_up", "J"}, {"volume", "60"}}));
    const std::string saved = ReadWholeFile(path);
    EXPECT_NE(saved.find("# my own note\n"), std::string::npos);
    EXPECT_NE(saved.find("my_tool_key = 7\n"), std::string::npos);
    EXPECT_NE(saved.find("# quieter at night"), std::string::npos);
    EXPECT_EQ(saved.find("fire = J"), std::string::npos);
    std::vector<std::string> problems;
    const SettingsRecord read = ParseSettings(saved, "settings.ini", problems);
    EXPECT_EQ(read.volume, 60);
    EXPECT_EQ(read.keys.keys[Fire], std::vector<int>{platform::VK_SPACE});
    EXPECT_EQ(read.keys.keys[Player2Up], std::vector<int>{'J'});
    // The line the game does not know is still told, as before the save.
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("my_tool_key"), std::string::npos) << problems[0];
}

// Through the game: Esc, down to the options, a key refused and one taken,
// the laptop preset, each saved at once.
TEST_F(MenuSettingsFile, OptionsScreenRefusesATakenKeyAndSavesAFreeOne) {
    std::ofstream(path, std::ios::binary) << "# kept\nlang = zh\n";
    StartGame();
    PlayerSettingsPath = path;
    EscapeOpensMenu = true;
    auto press = [](int key) { headless::Deliver(platform::WM_KEYDOWN, uintptr_t(key), 0); };
    press(platform::VK_ESCAPE);
    ASSERT_TRUE(MenuOpen());
    const std::vector<MenuEntry> main = MenuEntries();
    const auto options = std::find_if(main.begin(), main.end(), [](const MenuEntry& e) {
        return e.choose && e.arg == MenuOptionsScreen;
    });
    ASSERT_NE(options, main.end());
    for (auto row = main.begin(); row != options; ++row)
        press(platform::VK_DOWN);
    press(VkEnter);
    ASSERT_EQ(Menu.screen, MenuOptionsScreen);
    // Row 2 + action: the first player's fire, set to the second player's key.
    for (int k = 0; k < 2 + Fire; ++k)
        press(platform::VK_DOWN);
    press(VkEnter);
    EXPECT_EQ(Menu.capturing, int32_t(Fire));
    press(0x60);
    EXPECT_EQ(Menu.capturing, -1);
    EXPECT_NE(Menu.note.find("Keypad0"), std::string::npos) << Menu.note;
    EXPECT_EQ(PlayerKeys.keys[Fire], std::vector<int>{platform::VK_SPACE});
    EXPECT_EQ(ReadWholeFile(path).find("fire ="), std::string::npos);
    press(VkEnter);
    press('J');
    EXPECT_EQ(PlayerKeys.keys[Fire], std::vector<int>{'J'});
    const std::string saved = ReadWholeFile(path);
    EXPECT_NE(saved.find("fire = J"), std::string::npos);
    EXPECT_NE(saved.find("# kept\n"), std::string::npos);
    // The game stands still under the menu.
    const int32_t spawn = BattleState.SpawnDelay;
    Ticks(20);
    EXPECT_EQ(BattleState.SpawnDelay, spawn);
    press(platform::VK_ESCAPE);
    press(platform::VK_ESCAPE);
    EXPECT_FALSE(MenuOpen());
}

}  // namespace
