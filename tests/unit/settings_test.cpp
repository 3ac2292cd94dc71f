// The settings file and the player's keys: what a good file sets, how each
// kind of bad line is reported, skipped and told to the player, the file made
// on first start, how a choice is saved, the command line over the file, and
// how chosen keys reach the game through the platform.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "options/key_bindings.h"
#include "options/settings_file.h"
#include "platform/headless/headless.h"
#include "platform/input/key_map.h"
#include "shell/records.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "tests/unit/test_support.h"
#include "texts/texts.h"

namespace {

namespace fs = std::filesystem;

SettingsRecord Parse(const std::string& text, std::vector<std::string>& problems) {
    return ParseSettings(text, "s.ini", problems);
}

// Every setting but the keys and the share options, to compare at once.
auto Scalars(const SettingsRecord& s) {
    return std::tuple(s.language, s.fullscreen, s.scale, s.scaleMode, s.volume, s.padDeadzone,
                      s.shortIntro, s.startSound, s.statusPlace, s.players);
}

// A fresh folder under the build's temporary directory.
fs::path ScratchFolder(const char* name) {
    fs::path folder = fs::temp_directory_path() / ("morvask-settings-" + std::string(name));
    std::error_code error;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(folder, error);
    fs::create_directories(folder);
    return folder;
}

std::vector<int> Keys(std::initializer_list<int> keys) {
    return keys;
}

}  // namespace

TEST(SettingsFile, AGoodFileSetsEverything) {
    std::vector<std::string> problems;
    SettingsRecord s = Parse(
        "# mine\r\n"
        "lang = en\r\n"
        "  fullscreen=yes   ; after the value\n"
        "scale = 3\n"
        "scale_mode = FIT\n"
        "volume = 0\n"
        "pad_deadzone = 40\n"
        "intro = Short\n"
        "sound = Off\n"
        "set_title = Brick garden 2\n"
        "hud = Side\n"
        "players = 2\n"
        "fire = Space, J\n"
        "up = i\n"
        "gun_up = Up\n"  // the arrow is free: up moved to I
        "pause = Escape\n"
        "help = F10\n"
        "p2_fire = Enter, Keypad1\n"
        "p2_up = O\n",
        problems);
    EXPECT_TRUE(problems.empty()) << problems[0];
    EXPECT_EQ(Scalars(s), std::tuple(English, true, 3, host::ScaleFit, 0, 40, true, StartSoundOff,
                                     host::StatusSide, 2));
    EXPECT_EQ(s.setTitle, "Brick garden 2");
    EXPECT_EQ(s.keys.keys[Fire], Keys({platform::VK_SPACE, 'J'}));
    EXPECT_EQ(s.keys.keys[MoveUp], Keys({'I'}));
    EXPECT_EQ(s.keys.keys[GunUp], Keys({platform::VK_UP}));
    EXPECT_EQ(s.keys.keys[PauseGame], Keys({0x1B}));
    EXPECT_EQ(s.keys.keys[ShowHelp], Keys({platform::VK_F1 + 9}));
    EXPECT_EQ(s.keys.keys[LockGun], Keys({'L'}));
    EXPECT_EQ(s.keys.keys[Player2Fire], Keys({0x0D, 0x61}));
    EXPECT_EQ(s.keys.keys[Player2Up], Keys({'O'}));
    EXPECT_EQ(Parse("hud = title\nintro = full\n", problems).statusPlace, host::StatusTitle);
    EXPECT_EQ(Parse("hud = off\n", problems).statusPlace, host::StatusOff);
    EXPECT_TRUE(problems.empty());

    // An empty file, and the one written on first start, are the defaults.
    const SettingsRecord fresh;
    for (const SettingsRecord& d : {Parse("", problems), Parse(DefaultSettingsText(), problems)}) {
        EXPECT_EQ(Scalars(d), Scalars(fresh));
        for (int a = 0; a < PlayActionCount; ++a)
            EXPECT_EQ(d.keys.keys[a], fresh.keys.keys[a]) << PlayActions[a].name;
    }
    EXPECT_TRUE(problems.empty()) << problems[0];
    // The first player starts on the game's own keys; the second on the
    // keypad and the block above the arrows.
    for (int a = 0; a < Player2Up; ++a)
        EXPECT_EQ(fresh.keys.keys[a], Keys({PlayActions[a].gameKey}));
    EXPECT_EQ(std::vector<std::vector<int>>(fresh.keys.keys + Player2Up, std::end(fresh.keys.keys)),
              (std::vector<std::vector<int>>{
                  {0x68}, {0x65}, {0x64}, {0x66}, {0x24}, {0x23}, {0x2E}, {0x22}, {0x67}, {0x60}}));
}

TEST(SettingsFile, EachBadLineIsReportedWithItsNumberAndSkipped) {
    const std::pair<const char*, const char*> Cases[] = {
        {"volume 50", "s.ini:1: expected \"key = value\", not 'volume 50'"},
        {"[keys]", "s.ini:1: expected \"key = value\", not '[keys]'"},
        {" = 3", "s.ini:1: expected \"key = value\", not '= 3'"},
        {"volume =", "s.ini:1: volume has no value"},
        {"colour = red", "s.ini:1: unknown setting 'colour'"},
        {"lang = fr", "s.ini:1: lang must be zh or en, not 'fr'"},
        {"fullscreen = maybe", "s.ini:1: fullscreen must be yes or no, not 'maybe'"},
        {"scale = 9", "s.ini:1: scale must be auto or 1 to 8, not '9'"},
        {"scale = 0", "s.ini:1: scale must be auto or 1 to 8, not '0'"},
        {"scale_mode = stretch",
         "s.ini:1: scale_mode must be integer, fit, sharp or auto, not 'stretch'"},
        {"volume = 101", "s.ini:1: volume must be a whole number from 0 to 100, not '101'"},
        {"volume = -1", "s.ini:1: volume must be a whole number from 0 to 100, not '-1'"},
        {"volume = 5.5", "s.ini:1: volume must be a whole number from 0 to 100, not '5.5'"},
        {"volume = 99999999999",
         "s.ini:1: volume must be a whole number from 0 to 100, not '99999999999'"},
        {"pad_deadzone = 91",
         "s.ini:1: pad_deadzone must be a whole number from 0 to 90, not '91'"},
        {"intro = quick", "s.ini:1: intro must be full or short, not 'quick'"},
        {"sound = loud", "s.ini:1: sound must be ask, on or off, not 'loud'"},
        {"set_title = a\x01b", "s.ini:1: set_title must be UTF-8 text of at most 64 bytes"},
        {"hud = panel", "s.ini:1: hud must be auto, side, title or off, not 'panel'"},
        {"players = 3", "s.ini:1: players must be 1 or 2, not '3'"},
        {"fire = Spaec", "s.ini:1: unknown key name 'Spaec' for fire; it keeps Space"},
        {"fire = Space,", "s.ini:1: unknown key name '' for fire; it keeps Space"},
        {"fire = F13", "s.ini:1: unknown key name 'F13' for fire; it keeps Space"},
        {"fire = Z", "s.ini:1: Z is kept for its own command; fire keeps Space"},
        {"fire = F11", "s.ini:1: F11 is kept for its own command; fire keeps Space"},
        {"fire = J, Space, j", "s.ini:1: J is listed twice for fire; it keeps Space"},
        {"fire = W", "s.ini:1: W is also gun_up's key; fire keeps Space"},
        {"p2_fire = Space", "s.ini:1: Space is also fire's key; p2_fire keeps Keypad0"},
    };
    const SettingsRecord fresh;
    for (const auto& [line, report] : Cases) {
        std::vector<std::string> problems;
        SettingsRecord s = Parse(std::string(line) + "\n", problems);
        EXPECT_EQ(problems, std::vector<std::string>{report}) << line;
        // Every setting keeps its default.
        EXPECT_EQ(Scalars(s), Scalars(fresh)) << line;
        EXPECT_EQ(s.keys.keys[Fire], Keys({platform::VK_SPACE})) << line;
        EXPECT_EQ(s.keys.keys[Player2Fire], Keys({0x60})) << line;
    }

    // Lines around a bad one still count, and each problem names its line.
    std::vector<std::string> problems;
    SettingsRecord s = Parse("volume = 30\nvolume = 40\n\n# note\nnonsense\nlang = en\n", problems);
    EXPECT_EQ(s.volume, 30);
    EXPECT_EQ(s.language, English);
    EXPECT_EQ(problems, std::vector<std::string>(
                            {"s.ini:2: volume is set again (first on line 1); this line is ignored",
                             "s.ini:5: expected \"key = value\", not 'nonsense'"}));
}

// Key choices are judged after the other lines, yet their problems are told
// where they stand.
TEST(SettingsFile, ProblemsComeInTheOrderOfTheirLines) {
    const std::string text =
        "lang = fr\n"        // 1: a bad value
        "fire = Space, Q\n"  // 2: fine
        "up = Nowhere\n"     // 3: an unknown key name
        "volume = 300\n"     // 4: out of range
        "pause = Q\n"        // 5: Q is fire's already
        "lock = F1\n"        // 6: reserved
        "colour = red\n";    // 7: unknown setting
    std::vector<std::string> problems;
    Parse(text, problems);
    std::vector<std::string> lines;
    for (const std::string& problem : problems)
        lines.push_back(problem.substr(0, problem.find(':', 6)));
    EXPECT_EQ(lines, std::vector<std::string>(
                         {"s.ini:1", "s.ini:3", "s.ini:4", "s.ini:5", "s.ini:6", "s.ini:7"}));
}

TEST(KeyBindings, AKeyOnTwoActionsGivesWayOnTheLaterLine) {
    std::vector<std::string> problems;
    // Both lines are fine alone; together J is on two actions.
    KeyBindings keys = ResolveKeyBindings(
        {{.action = Fire, .keys = "J", .line = 3}, {.action = LockGun, .keys = "K, J", .line = 7}},
        "s.ini", problems);
    EXPECT_EQ(keys.keys[Fire], Keys({'J'}));
    EXPECT_EQ(keys.keys[LockGun], Keys({'L'}));
    EXPECT_EQ(problems, std::vector<std::string>{"s.ini:7: J is also fire's key; lock keeps L"});

    // A line whose action falls back to its default can clash with another
    // line in turn: that one gives way too.
    problems.clear();
    keys = ResolveKeyBindings({{.action = GunUp, .keys = "I", .line = 1},
                               {.action = MoveUp, .keys = "W", .line = 2},
                               {.action = GunUp, .keys = "K", .line = 4}},
                              "s.ini", problems);
    EXPECT_EQ(keys.keys[GunUp], Keys({'I'}));
    EXPECT_EQ(keys.keys[MoveUp], Keys({'W'}));
    EXPECT_EQ(problems,
              std::vector<std::string>{
                  "s.ini:4: gun_up is set again (first on line 1); this line is ignored"});

    problems.clear();
    keys = ResolveKeyBindings(
        {{.action = MoveUp, .keys = "W", .line = 1}, {.action = GunUp, .keys = "Up, Z", .line = 2}},
        "s.ini", problems);
    // gun_up's line is refused (Z), so W is gun_up's again and up gives way.
    EXPECT_EQ(keys.keys[GunUp], Keys({'W'}));
    EXPECT_EQ(keys.keys[MoveUp], Keys({platform::VK_UP}));
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[1], "s.ini:1: W is also gun_up's key; up keeps Up");
}

TEST(KeyBindings, KeyNamesGoBothWays) {
    for (int key = 1; key < 256; ++key) {
        const char* name = KeyName(key);
        if (std::string(name) != "?") {
            EXPECT_EQ(KeyFromName(name), key) << name;
        }
    }
    EXPECT_EQ(KeyFromName("space"), platform::VK_SPACE);
    EXPECT_EQ(KeyFromName("RETURN"), 0x0D);
    EXPECT_EQ(KeyFromName("keypad7"), 0x67);
    EXPECT_EQ(KeyFromName("f1"), platform::VK_F1);
    EXPECT_EQ(KeyFromName("F12"), platform::VK_F12);
    for (const char* unknown : {"", "F0", "F01", "F13", "Keypad", "Keypad10", "+", "Spacebar", "é"})
        EXPECT_EQ(KeyFromName(unknown), 0) << unknown;
    EXPECT_EQ(KeyListText({'J'}), "J");
    EXPECT_EQ(KeyListText({platform::VK_SPACE, 'J', 0x1B}), "Space, J or Escape");
}

TEST(KeyBindings, ChosenKeysReachTheGameAsItsOwnKeys) {
    StartGame();
    KeepRecordsInMemory(RecordsRecord{});
    KeyBindings keys = DefaultKeyBindings();
    keys.keys[Fire] = {'J', 'K'};
    keys.keys[PauseGame] = {0x1B};
    keys.keys[MoveUp] = {'I'};
    keys.keys[LockGun] = {'R'};
    ApplyKeyBindings(keys);
    // R and K give way to the play actions put on them: no box opens.
    Boxes.clear();
    headless::Deliver(platform::WM_KEYDOWN, 'R', 0);
    headless::Deliver(platform::WM_KEYDOWN, 'K', 0);
    EXPECT_TRUE(Boxes.empty());

    // Polled keys read the keys chosen for them, and no longer their own.
    headless::SetKeyDown('K', true);
    EXPECT_NE(platform::GetAsyncKeyState(platform::VK_SPACE) & 0x8000, 0);
    headless::SetKeyDown('K', false);
    headless::SetKeyDown(platform::VK_SPACE, true);
    EXPECT_EQ(platform::GetAsyncKeyState(platform::VK_SPACE), 0);
    headless::SetKeyDown(platform::VK_SPACE, false);
    // Keys no action has are themselves.
    headless::SetKeyDown('Z', true);
    EXPECT_NE(platform::GetAsyncKeyState('Z') & 0x8000, 0);
    headless::ReleaseAllKeys();

    // The chosen fire key fires a shot in the real game.
    headless::SetKeyDown('J', true);
    Ticks(1);
    EXPECT_EQ(Players[0].bullets.size(), 1u);
    headless::ReleaseAllKeys();

    // Escape pauses; P no longer does; the arrows still reach the window
    // procedure (the editor's keys stay), and the chosen up key moves the tank.
    headless::PressKey('P');
    EXPECT_EQ(GameMode, Playing);
    headless::PressKey(0x1B);
    EXPECT_EQ(GameMode, PauseRequested);
    Ticks(1);
    EXPECT_EQ(GameMode, Playing);
    int messages[2];
    ASSERT_EQ(keymap::KeyDownMessages(platform::VK_UP, messages), 1);
    EXPECT_EQ(messages[0], platform::VK_UP);
    // Escape still arrives as itself too, as a chosen arrow must in the editor.
    ASSERT_EQ(keymap::KeyDownMessages(0x1B, messages), 2);
    EXPECT_EQ(messages[0], 'P');
    EXPECT_EQ(messages[1], 0x1B);
    EXPECT_EQ(keymap::KeyDownMessages('P', messages), 0);
    ASSERT_EQ(keymap::KeyDownMessages('H', messages), 1);
    EXPECT_EQ(messages[0], 'H');

    // A gamepad's key reads down beside the keyboard's.
    keymap::SetPadKey(platform::VK_LEFT, true);
    EXPECT_NE(platform::GetAsyncKeyState(platform::VK_LEFT) & 0x8000, 0);
    keymap::SetPadKey(platform::VK_LEFT, false);
    EXPECT_EQ(platform::GetAsyncKeyState(platform::VK_LEFT), 0);
}

TEST(SettingsFile, TheFirstStartWritesTheCommentedDefaults) {
    fs::path folder = ScratchFolder("first");
    fs::path path = folder / "config" / "morvask" / "settings.ini";
    std::vector<std::string> problems;
    SettingsRecord s = LoadSettingsFile(path.string(), problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(s.volume, 100);
    std::string text = ReadWholeFile(path);
    EXPECT_EQ(text, DefaultSettingsText());
    // Every setting is there, each explained by a comment above it.
    for (const char* key : {"lang = zh", "fullscreen = no", "scale = auto", "scale_mode = auto",
                            "volume = 100", "fire = Space", "gun_left = A", "pad_deadzone = 25",
                            "intro = full", "sound = ask", "hud = auto"})
        EXPECT_NE(text.find(std::string("\n") + key + "\n"), std::string::npos) << key;
    EXPECT_EQ(text.rfind("#", 0), 0u);

    // Read again, the file is used as it is.
    std::ofstream(path) << "volume = 70\n";
    EXPECT_EQ(LoadSettingsFile(path.string(), problems).volume, 70);

    // A folder that cannot be written is reported, and the game goes on.
    fs::path locked = folder / "locked";
    fs::create_directories(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    s = LoadSettingsFile((locked / "settings.ini").string(), problems);
    EXPECT_EQ(s.volume, 100);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("could not be written"), std::string::npos);
    fs::permissions(locked, fs::perms::owner_all);
    fs::remove_all(folder);
}

TEST(SettingsFile, ASavedChoiceChangesOnlyItsLine) {
    EXPECT_EQ(WithSetting("# top\nvolume = 50  # loud\nlang = en\n", "volume", "60"),
              "# top\nvolume = 60  # loud\nlang = en\n");
    EXPECT_EQ(WithSetting("lang = en", "fullscreen", "yes"), "lang = en\nfullscreen = yes\n");
    // An empty value (a name cleared) is no line at all, which reads back as
    // the default: "key =" would be refused.
    EXPECT_EQ(WithSetting("a = 1\nset_title = X  # mine\nb = 2\nset_title=Y\n", "set_title", ""),
              "a = 1\n# mine\nb = 2\n");
    EXPECT_EQ(WithSetting("a = 1\n", "share_author", ""), "a = 1\n");
    // A commented-out line is not the setting.
    EXPECT_EQ(WithSetting("# volume = 1\n", "volume", "20"), "# volume = 1\nvolume = 20\n");

    fs::path folder = ScratchFolder("save");
    fs::path path = folder / "settings.ini";
    // With no file yet, the saved one is the default file with the choice.
    ASSERT_TRUE(SaveSetting(path.string(), "fullscreen", "yes"));
    EXPECT_EQ(ReadWholeFile(path), WithSetting(DefaultSettingsText(), "fullscreen", "yes"));
    ASSERT_TRUE(SaveSetting(path.string(), "volume", "40"));
    std::vector<std::string> problems;
    SettingsRecord s = ParseSettings(ReadWholeFile(path), "x", problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_TRUE(s.fullscreen);
    EXPECT_EQ(s.volume, 40);

    // A write-protected folder keeps the file as it was.
    std::string before = ReadWholeFile(path);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(SaveSetting(path.string(), "volume", "10"));
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_EQ(ReadWholeFile(path), before);
    fs::remove_all(folder);
}

// The start-up's sound question: asked by default, answered by `sound`; a
// bad answer is reported and leaves it asked; the options screen's save
// rewrites the line in place, its comment and the unknown lines kept.
TEST(SettingsFile, TheSoundQuestionIsAskedOrAnsweredBeforehand) {
    std::vector<std::string> problems;
    EXPECT_EQ(Parse("", problems).startSound, StartSoundAsk);
    EXPECT_EQ(Parse(DefaultSettingsText(), problems).startSound, StartSoundAsk);
    EXPECT_EQ(Parse("sound = on\n", problems).startSound, StartSoundOn);
    EXPECT_EQ(Parse("Sound =  OFF  # quiet\n", problems).startSound, StartSoundOff);
    EXPECT_TRUE(problems.empty());
    for (const char* bad : {"sound = yes\n", "sound = on off\n"}) {
        problems.clear();
        EXPECT_EQ(Parse(std::string("volume = 30\n") + bad, problems).startSound, StartSoundAsk);
        ASSERT_EQ(problems.size(), 1u) << bad;
        EXPECT_EQ(problems[0].rfind("s.ini:2: sound must be ask, on or off", 0), 0u) << problems[0];
    }

    const std::string hand = "# mine\nsound = ask  # asked\nmystery = 7\nvolume = 50\n";
    std::string rewritten;
    ASSERT_TRUE(RewriteSetting(hand, "sound", StartSoundName(StartSoundOff), rewritten));
    EXPECT_EQ(rewritten, "# mine\nsound = off  # asked\nmystery = 7\nvolume = 50\n");
    problems.clear();
    EXPECT_EQ(Parse(rewritten, problems).startSound, StartSoundOff);
    // Every answer's name reads back as itself; the default file says ask.
    for (StartSound sound : {StartSoundAsk, StartSoundOn, StartSoundOff}) {
        StartSound read = StartSoundAsk;
        ASSERT_TRUE(StartSoundOfName(StartSoundName(sound), read));
        EXPECT_EQ(read, sound);
    }
    EXPECT_NE(DefaultSettingsText().find("\nsound = ask\n"), std::string::npos);
}

TEST(SettingsFile, ItsPlaceFollowsTheSystemsConventions) {
    EXPECT_EQ(UnixSettingsPath("/x/cfg", "/home/p"), "/x/cfg/morvask/settings.ini");
    EXPECT_EQ(UnixSettingsPath(nullptr, "/home/p"), "/home/p/.config/morvask/settings.ini");
    EXPECT_EQ(UnixSettingsPath("", "/home/p"), "/home/p/.config/morvask/settings.ini");
    EXPECT_EQ(UnixSettingsPath("relative", "/home/p"), "/home/p/.config/morvask/settings.ini");
    EXPECT_EQ(UnixSettingsPath(nullptr, nullptr), "");
    EXPECT_EQ(WindowsSettingsPath("C:\\Users\\p\\AppData\\Roaming"),
              "C:\\Users\\p\\AppData\\Roaming\\Morvask\\settings.ini");
    EXPECT_EQ(WindowsSettingsPath(nullptr), "");
}

TEST(SettingsFile, TheCommandLineWinsOverTheFile) {
    std::vector<std::string> problems;
    const SettingsRecord file =
        Parse("lang = en\nfullscreen = yes\nscale = 3\nscale_mode = fit\nhud = off\n", problems);
    auto applied = [&](std::vector<const char*> arguments) {
        const CommandLine line = ReadCommandLine(int(arguments.size()), arguments.data());
        EXPECT_EQ(line.action, CommandLineAction::RunGame) << line.output;
        SettingsRecord s = file;
        ApplyCommandLine(line, s);
        return std::tuple(s.language, s.fullscreen, s.scale, s.scaleMode, s.statusPlace);
    };
    // Options not given leave the file's choices alone.
    EXPECT_EQ(applied({}), std::tuple(English, true, 3, host::ScaleFit, host::StatusOff));
    EXPECT_EQ(applied({"--lang", "zh", "--windowed", "--scale", "2", "--scale-mode=integer",
                       "--hud", "title"}),
              std::tuple(Chinese, false, 2, host::ScaleInteger, host::StatusTitle));
    EXPECT_EQ(std::get<0>(applied({"--lang=en"})), English);

    const char* bad[] = {"--lang", "fr"};
    CommandLine line = ReadCommandLine(2, bad);
    EXPECT_EQ(line.action, CommandLineAction::BadUsage);
    EXPECT_NE(line.output.find("--lang is zh or en, not \"fr\""), std::string::npos);
    const char* wrong[] = {"--hud=left"};
    EXPECT_EQ(ReadCommandLine(1, wrong).output,
              "morvask: --hud is auto, side, title or off, not \"left\"\n"
              "Try 'morvask --help' for more.\n");
    // --help says where the settings live.
    EXPECT_NE(UsageText().find("~/.config/morvask/settings.ini"), std::string::npos);
    EXPECT_NE(UsageText().find("--lang LANG"), std::string::npos);
}

TEST(SettingsFile, TheLobbyIsHostAndPortFromTheFileOrTheCommandLine) {
    std::vector<std::string> problems;
    EXPECT_EQ(Parse("lobby = lobby.example.org:41700\n", problems).lobby,
              "lobby.example.org:41700");
    EXPECT_EQ(Parse("lobby = [2001:db8::1]:9\n", problems).lobby, "[2001:db8::1]:9");
    EXPECT_TRUE(problems.empty());
    for (const char* bad : {"lobby = example.org\n", "lobby = example.org:0\n", "lobby = a b:80\n",
                            "lobby = 2001:db8::1:80\n"}) {
        problems.clear();
        EXPECT_EQ(Parse(bad, problems).lobby, "") << bad;
        ASSERT_EQ(problems.size(), 1u) << bad;
        EXPECT_NE(problems[0].find("lobby must be HOST:PORT"), std::string::npos);
    }
    SettingsRecord settings = Parse("lobby = a.example:1\n", problems);
    const char* given[] = {"--lobby", "127.0.0.1:41700"};
    ApplyCommandLine(ReadCommandLine(2, given), settings);
    EXPECT_EQ(settings.lobby, "127.0.0.1:41700");
    const char* none[] = {"--players", "2"};
    settings = Parse("lobby = a.example:1\n", problems);
    ApplyCommandLine(ReadCommandLine(2, none), settings);
    EXPECT_EQ(settings.lobby, "a.example:1");
    const char* bad[] = {"--lobby=nowhere"};
    EXPECT_EQ(ReadCommandLine(1, bad).output,
              "morvask: --lobby is HOST:PORT (a port of 1 to 65535), not \"nowhere\"\n"
              "Try 'morvask --help' for more.\n");
    // The default file tells of the key without choosing a lobby.
    problems.clear();
    EXPECT_EQ(Parse(DefaultSettingsText(), problems).lobby, "");
    EXPECT_NE(DefaultSettingsText().find("# lobby = "), std::string::npos);
}
