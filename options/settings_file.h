// The player's settings file: where it lives, what it may say, how it is read
// (a bad line is reported and skipped, never fatal), written on first start
// with every default explained, and updated when the player changes a choice
// while playing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "options/command_line.h"
#include "options/key_bindings.h"
#include "texts/texts.h"

// The status's place of a name (auto, side, title, off: the `hud` key's
// values); false for any other.
bool StatusPlaceOfName(const std::string& name, host::StatusPlace& place);

// Far more than any settings file needs; a larger file is neither read nor
// written.
inline constexpr size_t MaxSettingsFileBytes = 64 * 1024;

// Whether start-up asks whether to play sound (the `sound` key): ask (the
// game's own question), or on or off, the answer given beforehand.
enum StartSound : int32_t { StartSoundAsk, StartSoundOn, StartSoundOff };
inline constexpr int32_t StartSoundCount = 3;
const char* StartSoundName(StartSound sound);
// The answer of a name (ask, on, off); false for any other.
bool StartSoundOfName(const std::string& name, StartSound& sound);

struct SettingsRecord {
    Language language = Chinese;
    bool fullscreen = false;
    // 1 to 8; 0 lets the window pick the largest that fits the screen.
    int32_t scale = 0;
    host::ScaleMode scaleMode = host::ScaleAuto;
    // Percent of every sound's loudness; 0 opens no audio device at all.
    int32_t volume = 100;
    // Percent of the stick's travel that counts as resting.
    int32_t padDeadzone = 25;
    // intro = short: no about and help boxes at start-up, and the sound
    // answer taken from the volume instead of asked.
    bool shortIntro = false;
    // The sound question's answer given beforehand, or ask.
    StartSound startSound = StartSoundAsk;
    // Where the status shows (the file's key is `hud`).
    host::StatusPlace statusPlace = host::StatusAuto;
    // Players of every new game: 1, or 2 for a game of two players.
    int32_t players = 1;
    KeyBindings keys = DefaultKeyBindings();
    // The web edition's address that share links lead to (empty: the bare
    // code), the name a shared level set carries as its author, and the
    // title of the player's own set (the map file's, which cannot hold it).
    std::string shareUrl;
    std::string shareAuthor;
    std::string setTitle;
    // The lobby where online games find each other, as HOST:PORT (empty:
    // none chosen).
    std::string lobby;
};

// The settings in force, and the file they came from and are saved to
// (empty when there is none, as in the tests).
extern SettingsRecord PlayerSettings;
extern std::string PlayerSettingsPath;
// What was wrong with the player's file at start-up, in the order of its
// lines (told on standard error, and once in a box after start-up).
extern std::vector<std::string> PlayerSettingsProblems;
// The default settings, no file and no problems, as at program start.
void ResetPlayerSettings();

// The box telling PlayerSettingsProblems in the player's language; empty
// when there were none.
std::string SettingsProblemsNotice();

// Reads the player's file at start-up (writing the default one when there is
// none) and reports each of its problems on standard error.
void LoadPlayerSettings(const std::string& path);

// What the command line gives wins over what the file says.
void ApplyCommandLine(const CommandLine& line, SettingsRecord& settings);

// Puts the language and the keys of PlayerSettings into force.
void ApplyPlayerSettings();

// Where the file lives: $XDG_CONFIG_HOME/morvask/settings.ini, else
// $HOME/.config/morvask/settings.ini (empty when neither is set); on Windows
// %APPDATA%\Morvask\settings.ini.
std::string UnixSettingsPath(const char* xdgConfigHome, const char* home);
std::string WindowsSettingsPath(const char* appData);

// The file written on first start: every setting at its default, commented.
std::string DefaultSettingsText();

// Reads settings text; each line it cannot use is reported as
// "FILE:LINE: what" in `problems`, in the order of the lines, and leaves that
// setting at its default.
SettingsRecord ParseSettings(const std::string& text, const std::string& fileName,
                             std::vector<std::string>& problems);

// Reads the file at `path`; when there is none, writes the default file
// there first (creating its folder). Problems, including a file that could
// not be written, are added to `problems`; the game starts regardless.
SettingsRecord LoadSettingsFile(const std::string& path, std::vector<std::string>& problems);

// Sets one key's value in the settings text: the line that sets it is
// rewritten in place (its comment kept) or, when none does, a line is added.
// An empty value (a name cleared) takes away the lines that set the key,
// keeping their comments.
std::string WithSetting(const std::string& text, const std::string& key, const std::string& value);

// The text the game writes back when one choice changes (WithSetting's);
// false when it would be too large to be read again.
bool RewriteSetting(const std::string& text, const std::string& key, const std::string& value,
                    std::string& rewritten);

// Remembers one choice in the file at `path`, replacing the file whole, so
// that a kill at any moment leaves the old file or the new one and two games
// saving at once leave one of their two files; false when it could not be
// written.
bool SaveSetting(const std::string& path, const std::string& key, const std::string& value);
// The same for several choices at once (a preset of keys), in one replacement.
bool SaveSettings(const std::string& path,
                  const std::vector<std::pair<std::string, std::string>>& changes);
// Saves choices made in the game to the player's file at once (nothing
// without one); a failure is told on standard error and the game goes on.
void RememberPlayerSettings(const std::vector<std::pair<std::string, std::string>>& changes);
