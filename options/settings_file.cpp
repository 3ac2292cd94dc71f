// Reading, writing and updating the player's settings file.
#include "options/settings_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "formats/share_code.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "state/program_state.h"
#include "texts/notice_texts.h"
#include "texts/settings_problem_texts.h"

SettingsRecord PlayerSettings;
std::string PlayerSettingsPath;
std::vector<std::string> PlayerSettingsProblems;

namespace {

namespace fs = std::filesystem;

std::string Trimmed(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first])))
        ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1])))
        --last;
    return text.substr(first, last - first);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// The part of a line before its comment ('#' or ';' to the end of the line).
std::string WithoutComment(const std::string& line) {
    return line.substr(0, line.find_first_of("#;"));
}

bool ParseWholeNumber(const std::string& text, int32_t low, int32_t high, int32_t& value) {
    if (text.empty() || text.size() > 9)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    int32_t number = std::stoi(text);
    if (number < low || number > high)
        return false;
    value = number;
    return true;
}

bool ParseSwitch(const std::string& text, bool& value) {
    std::string word = Lower(text);
    if (word == "yes" || word == "true" || word == "on" || word == "1") {
        value = true;
        return true;
    }
    if (word == "no" || word == "false" || word == "off" || word == "0") {
        value = false;
        return true;
    }
    return false;
}

// Splits "key = value"; false when the line has no '=' or no key.
bool SplitSetting(const std::string& line, std::string& key, std::string& value) {
    size_t equals = line.find('=');
    if (equals == std::string::npos)
        return false;
    key = Lower(Trimmed(line.substr(0, equals)));
    value = Trimmed(line.substr(equals + 1));
    return !key.empty();
}

bool ShareUrlValid(const std::string& url) {
    if (url.empty())
        return true;
    if (url.size() > 512 || (url.rfind("https://", 0) != 0 && url.rfind("http://", 0) != 0))
        return false;
    return std::none_of(url.begin(), url.end(),
                        [](char c) { return uint8_t(c) <= 0x20 || c == 0x7F || c == '#'; });
}

// Applies one setting of the start, the pads or sharing; the text of the
// problem when its value is bad or the key is none of them.
bool ApplyOtherValue(SettingsRecord& settings, const std::string& key, const std::string& value,
                     std::string& problem) {
    if (key == "sound") {
        if (StartSoundOfName(Lower(value), settings.startSound))
            return true;
        problem = "sound must be ask, on or off, not '" + value + "'";
    } else if (key == "pad_deadzone") {
        if (ParseWholeNumber(value, 0, 90, settings.padDeadzone))
            return true;
        problem = "pad_deadzone must be a whole number from 0 to 90, not '" + value + "'";
    } else if (key == "share_url") {
        if (ShareUrlValid(value)) {
            settings.shareUrl = value;
            return true;
        }
        problem = "share_url must be empty or an http:// or https:// address without spaces";
    } else if (key == "lobby") {
        if (LobbyAddressValid(value)) {
            settings.lobby = value;
            return true;
        }
        problem = "lobby must be HOST:PORT (a port of 1 to 65535), not '" + value + "'";
    } else if (key == "share_author") {
        if (ShareNameValid(value)) {
            settings.shareAuthor = value;
            return true;
        }
        problem = "share_author must be UTF-8 text of at most 64 bytes";
    } else if (key == "set_title") {
        if (ShareNameValid(value)) {
            settings.setTitle = value;
            return true;
        }
        problem = "set_title must be UTF-8 text of at most 64 bytes";
    } else {
        problem = "unknown setting '" + key + "'";
    }
    return false;
}

// Applies one general setting; the text of the problem when its value is bad.
bool ApplyValue(SettingsRecord& settings, const std::string& key, const std::string& value,
                std::string& problem) {
    if (key == "lang") {
        if (LanguageFromName(Lower(value).c_str(), settings.language))
            return true;
        problem = "lang must be zh or en, not '" + value + "'";
    } else if (key == "fullscreen") {
        if (ParseSwitch(value, settings.fullscreen))
            return true;
        problem = "fullscreen must be yes or no, not '" + value + "'";
    } else if (key == "scale") {
        if (Lower(value) == "auto") {
            settings.scale = 0;
            return true;
        }
        if (ParseWholeNumber(value, 1, 8, settings.scale))
            return true;
        problem = "scale must be auto or 1 to 8, not '" + value + "'";
    } else if (key == "scale_mode") {
        if (ScaleModeOfName(Lower(value), settings.scaleMode))
            return true;
        problem = "scale_mode must be integer, fit, sharp or auto, not '" + value + "'";
    } else if (key == "volume") {
        if (ParseWholeNumber(value, 0, 100, settings.volume))
            return true;
        problem = "volume must be a whole number from 0 to 100, not '" + value + "'";
    } else if (key == "intro") {
        std::string intro = Lower(value);
        if (intro == "full" || intro == "short") {
            settings.shortIntro = intro == "short";
            return true;
        }
        problem = "intro must be full or short, not '" + value + "'";
    } else if (key == "hud") {
        if (StatusPlaceOfName(Lower(value), settings.statusPlace))
            return true;
        problem = "hud must be auto, side, title or off, not '" + value + "'";
    } else if (key == "players") {
        if (value == "1" || value == "2") {
            settings.players = value[0] - '0';
            return true;
        }
        problem = "players must be 1 or 2, not '" + value + "'";
    } else {
        return ApplyOtherValue(settings, key, value, problem);
    }
    return false;
}

// The line a problem of ParseSettings names ("FILE:LINE: ...").
long ProblemLine(const std::string& problem, const std::string& fileName) {
    return std::strtol(problem.c_str() + fileName.size() + 1, nullptr, 10);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

bool StatusPlaceOfName(const std::string& name, host::StatusPlace& place) {
    for (host::StatusPlace p :
         {host::StatusAuto, host::StatusSide, host::StatusTitle, host::StatusOff})
        if (name == host::StatusPlaceName(p)) {
            place = p;
            return true;
        }
    return false;
}

const char* StartSoundName(StartSound sound) {
    constexpr const char* Names[] = {"ask", "on", "off"};
    return Names[(int32_t(sound) % StartSoundCount + StartSoundCount) % StartSoundCount];
}

bool StartSoundOfName(const std::string& name, StartSound& sound) {
    for (StartSound s : {StartSoundAsk, StartSoundOn, StartSoundOff})
        if (name == StartSoundName(s)) {
            sound = s;
            return true;
        }
    return false;
}

std::string UnixSettingsPath(const char* xdgConfigHome, const char* home) {
    // The XDG base directory rules ignore a relative XDG_CONFIG_HOME.
    if (xdgConfigHome && xdgConfigHome[0] == '/')
        return std::string(xdgConfigHome) + "/morvask/settings.ini";
    if (home && home[0] != '\0')
        return std::string(home) + "/.config/morvask/settings.ini";
    return "";
}

std::string WindowsSettingsPath(const char* appData) {
    if (appData && appData[0] != '\0')
        return std::string(appData) + "\\Morvask\\settings.ini";
    return "";
}

namespace {

// The default file's text around the play keys' lines.
constexpr const char* SettingsBeforeKeys =
    "# Morvask settings: one \"key = value\" a line; '#' starts a comment.\n"
    "# A line the game cannot use is reported when it starts and skipped.\n"
    "# Options given on the command line win over this file.\n"
    "\n"
    "# Language of the message boxes and the help: zh (Simplified Chinese) or en.\n"
    "lang = zh\n"
    "\n"
    "# Start in fullscreen: yes or no. F11 switches, and the choice is kept here.\n"
    "fullscreen = no\n"
    "\n"
    "# Window size as a multiple of 960 x 704: 1 to 8, or auto (the largest\n"
    "# that fits the screen, at most 2).\n"
    "scale = auto\n"
    "\n"
    "# How the picture fills a larger window: integer (whole multiples, black\n"
    "# bars around), fit (as large as fits, proportions kept), sharp (a whole\n"
    "# multiple, then smoothly to fill) or auto (integer where it fills 80 % of\n"
    "# the window, else sharp). F10 switches, and the choice is kept here.\n"
    "scale_mode = auto\n"
    "\n"
    "# Loudness of every sound in percent, 0 to 100; 0 leaves the sound device\n"
    "# closed. The + and - keys change it in steps of 10 while playing.\n"
    "volume = 100\n"
    "\n"
    "# The start: full (the about and help boxes and the sound question) or\n"
    "# short (none of them; the sound is on when the volume is above 0).\n"
    "intro = full\n"
    "\n"
    "# The sound question at start-up: ask (the game asks), on or off (the\n"
    "# answer given here, the question not shown). With intro = short, on and\n"
    "# off choose the sound; ask leaves it to the volume.\n"
    "sound = ask\n"
    "\n"
    "# The status (level, tanks, enemies left, upgrades): auto (a panel beside the\n"
    "# field where the window has room, else in the window's title), side (only\n"
    "# the panel), title (only the title) or off.\n"
    "hud = auto\n"
    "\n"
    "# Players of a new game: 1, or 2 for a game of two players (the second on\n"
    "# the p2_ keys below or the second gamepad). N in play asks to switch.\n"
    "players = 1\n"
    "\n"
    "# Play keys: one or more key names separated by commas, e.g. fire = Space, J\n"
    "# Names: A to Z, 0 to 9, Up, Down, Left, Right, Space, Enter, Tab, Backspace,\n"
    "# Escape, Shift, Ctrl, Alt, Break, Insert, Delete, Home, End, PageUp, PageDown,\n"
    "# Keypad0 to Keypad9, F4 to F10, F12. Z, F1, F2, F3 and F11 keep their own\n"
    "# commands; the editor's keys do not change.\n";
constexpr const char* SettingsAfterKeys =
    "\n"
    "# How far a gamepad's stick must be pushed to count, in percent of its\n"
    "# travel, 0 to 90.\n"
    "pad_deadzone = 25\n"
    "\n"
    "# The web edition's address that the editor's share links lead to; without\n"
    "# it the bare code is copied. For example:\n"
    "# share_url = https://example.org/morvask/\n"
    "\n"
    "# Your name in the level sets you share (at most 64 bytes), for example:\n"
    "# share_author = Lin\n"
    "\n"
    "# The title of your own level set (map.txt) in the codes you share, at\n"
    "# most 64 bytes; the menu's Share screen sets it too. For example:\n"
    "# set_title = Brick garden\n"
    "\n"
    "# The lobby where online games find each other, as host:port (./scripts/lobby\n"
    "# runs one), for example:\n"
    "# lobby = lobby.example.org:41700\n";

}  // namespace

std::string DefaultSettingsText() {
    std::string text = SettingsBeforeKeys;
    KeyBindings defaults = DefaultKeyBindings();
    for (const PlayActionInfo& info : PlayActions) {
        if (info.action == Player2Up)
            text += "# The second player's keys, in a game of two players:\n";
        text += info.name;
        text += " = ";
        text += KeyName(defaults.keys[info.action][0]);
        text += "\n";
    }
    text += SettingsAfterKeys;
    return text;
}

SettingsRecord ParseSettings(const std::string& text, const std::string& fileName,
                             std::vector<std::string>& problems) {
    SettingsRecord settings;
    const size_t earlierProblems = problems.size();
    std::vector<BindingLine> bindingLines;
    std::vector<std::pair<std::string, int>> seen;
    std::vector<std::string> lines = Lines(text);
    for (size_t k = 0; k < lines.size(); ++k) {
        const int lineNumber = int(k + 1);
        const std::string where = fileName + ":" + std::to_string(lineNumber) + ": ";
        std::string line = Trimmed(WithoutComment(lines[k]));
        if (line.empty())
            continue;
        std::string key, value;
        if (!SplitSetting(line, key, value)) {
            problems.push_back(where + "expected \"key = value\", not '" + line + "'");
            continue;
        }
        if (value.empty()) {
            problems.push_back(where + key + " has no value");
            continue;
        }
        PlayAction action;
        if (PlayActionFromName(key, action)) {
            // Repeats of a key are checked with the other key choices.
            bindingLines.push_back({.action = action, .keys = value, .line = lineNumber});
            continue;
        }
        auto earlier = std::find_if(seen.begin(), seen.end(),
                                    [&](const auto& entry) { return entry.first == key; });
        if (earlier != seen.end()) {
            problems.push_back(where + key + " is set again (first on line " +
                               std::to_string(earlier->second) + "); this line is ignored");
            continue;
        }
        std::string problem;
        if (ApplyValue(settings, key, value, problem))
            seen.emplace_back(key, lineNumber);
        else
            problems.push_back(where + problem);
    }
    // The key choices are judged together, after the other lines: the problems
    // are told in the order of the lines they are on.
    settings.keys = ResolveKeyBindings(bindingLines, fileName, problems);
    std::stable_sort(problems.begin() + std::ptrdiff_t(earlierProblems), problems.end(),
                     [&](const std::string& a, const std::string& b) {
                         return ProblemLine(a, fileName) < ProblemLine(b, fileName);
                     });
    return settings;
}

SettingsRecord LoadSettingsFile(const std::string& path, std::vector<std::string>& problems) {
    std::error_code error;
    if (!fs::exists(path, error)) {
        fs::create_directories(fs::path(path).parent_path(), error);
        if (!platform::ReplaceFileWhole(path.c_str(), DefaultSettingsText()))
            problems.push_back(path + ": could not be written; the defaults are used");
        return SettingsRecord{};
    }
    std::string text;
    if (!platform::ReadSmallFile(path.c_str(), MaxSettingsFileBytes, text)) {
        problems.push_back(path + ": could not be read; the defaults are used");
        return SettingsRecord{};
    }
    return ParseSettings(text, path, problems);
}

namespace {

// The text without the lines that set `key` (their comments kept on lines of
// their own): a setting without a value is given by no line, as a line
// "key =" would be refused when the file is read.
std::string WithoutSetting(const std::string& text, const std::string& key) {
    std::string result;
    for (const std::string& line : Lines(text)) {
        std::string lineKey, lineValue;
        if (!SplitSetting(WithoutComment(line), lineKey, lineValue) || lineKey != key) {
            result += line + "\n";
            continue;
        }
        const size_t comment = line.find_first_of("#;");
        if (comment != std::string::npos)
            result += line.substr(comment) + "\n";
    }
    return result;
}

}  // namespace

std::string WithSetting(const std::string& text, const std::string& key, const std::string& value) {
    if (value.empty())
        return WithoutSetting(text, key);
    std::vector<std::string> lines = Lines(text);
    for (std::string& line : lines) {
        std::string lineKey, lineValue;
        if (!SplitSetting(WithoutComment(line), lineKey, lineValue) || lineKey != key)
            continue;
        size_t comment = line.find_first_of("#;");
        std::string tail = comment == std::string::npos ? "" : "  " + line.substr(comment);
        line = key + " = " + value + tail;
        std::string result;
        for (const std::string& each : lines)
            result += each + "\n";
        return result;
    }
    std::string result = text;
    if (!result.empty() && result.back() != '\n')
        result += "\n";
    return result + key + " = " + value + "\n";
}

bool RewriteSetting(const std::string& text, const std::string& key, const std::string& value,
                    std::string& rewritten) {
    rewritten = WithSetting(text, key, value);
    return rewritten.size() <= MaxSettingsFileBytes;
}

bool SaveSetting(const std::string& path, const std::string& key, const std::string& value) {
    return SaveSettings(path, {{key, value}});
}

bool SaveSettings(const std::string& path,
                  const std::vector<std::pair<std::string, std::string>>& changes) {
    std::string text = DefaultSettingsText();
    std::error_code error;
    if (fs::exists(path, error)) {
        if (!platform::ReadSmallFile(path.c_str(), MaxSettingsFileBytes, text))
            return false;
    } else {
        fs::create_directories(fs::path(path).parent_path(), error);
    }
    for (const auto& [key, value] : changes) {
        std::string rewritten;
        if (!RewriteSetting(text, key, value, rewritten))
            return false;
        text = std::move(rewritten);
    }
    return platform::ReplaceFileWhole(path.c_str(), text);
}

void RememberPlayerSettings(const std::vector<std::pair<std::string, std::string>>& changes) {
    // A replay played back changes nothing of the player's.
    if (InputReplayed || PlayerSettingsPath.empty() || SaveSettings(PlayerSettingsPath, changes))
        return;
    std::fprintf(stderr, "morvask: %s: could not save %s\n", PlayerSettingsPath.c_str(),
                 changes.empty() ? "" : changes[0].first.c_str());
}

void LoadPlayerSettings(const std::string& path) {
    PlayerSettingsPath = path;
    if (path.empty())
        return;
    PlayerSettingsProblems.clear();
    PlayerSettings = LoadSettingsFile(path, PlayerSettingsProblems);
    for (const std::string& problem : PlayerSettingsProblems)
        std::fprintf(stderr, "%s\n", problem.c_str());
}

std::string SettingsProblemsNotice() {
    if (PlayerSettingsProblems.empty())
        return {};
    const std::string& file = PlayerSettingsPath;
    const std::string name = fs::path(file).filename().string();
    std::string text = NoticeText(SettingsProblemsHeading);
    text.replace(text.find("%s"), 2, name.empty() ? file : name);
    std::vector<std::string> told;
    for (const std::string& problem : PlayerSettingsProblems) {
        // "FILE:LINE: what" is told as the line in the player's language.
        std::string entry = problem;
        const bool ours = !file.empty() && problem.rfind(file + ":", 0) == 0;
        const long line = ours ? ProblemLine(problem, file) : 0;
        const size_t what = ours ? problem.find(": ", file.size()) : std::string::npos;
        if (what != std::string::npos) {
            const std::string said = SettingsProblemIn(CurrentLanguage, problem.substr(what + 2));
            char heading[4096];
            std::snprintf(heading, sizeof heading, NoticeText(SettingsProblemLine), int(line),
                          said.c_str());
            entry = line > 0 ? std::string(heading) : file + ": " + said;
        }
        // Each problem once, however many ways it was found.
        if (std::find(told.begin(), told.end(), entry) != told.end())
            continue;
        told.push_back(entry);
        text += "\n" + entry;
    }
    return text;
}

void ApplyPlayerSettings() {
    CurrentLanguage = PlayerSettings.language;
    platform::SetBoxButtonTexts(Text(OkButton), Text(YesButton), Text(NoButton));
    ApplyKeyBindings(PlayerSettings.keys);
    PlayersChosen = PlayerSettings.players;
}

void ApplyCommandLine(const CommandLine& line, SettingsRecord& settings) {
    if (line.fullscreenGiven)
        settings.fullscreen = line.fullscreen;
    if (line.scale != 0)
        settings.scale = line.scale;
    if (line.scaleModeGiven)
        settings.scaleMode = line.scaleMode;
    if (!line.language.empty())
        LanguageFromName(line.language.c_str(), settings.language);
    if (!line.statusPlace.empty())
        StatusPlaceOfName(line.statusPlace, settings.statusPlace);
    if (line.players != 0)
        settings.players = line.players;
    if (!line.lobby.empty())
        settings.lobby = line.lobby;
}

void ResetPlayerSettings() {
    PlayerSettings = SettingsRecord{};
    PlayerSettingsPath.clear();
    PlayerSettingsProblems.clear();
}
