// libFuzzer target of the settings file's reader: any bytes as settings.ini,
// edited by hand. Whatever the file says, its settings must be the same
// after the game rewrites it for F11 and + or - (only the changed choice
// differs), and every problem is reported with a line of the file.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "options/settings_file.h"

namespace {

bool SameSettings(const SettingsRecord& a, const SettingsRecord& b) {
    for (int action = 0; action < PlayActionCount; ++action)
        if (a.keys.keys[action] != b.keys.keys[action])
            return false;
    return a.language == b.language && a.fullscreen == b.fullscreen && a.scale == b.scale &&
           a.scaleMode == b.scaleMode && a.volume == b.volume && a.padDeadzone == b.padDeadzone &&
           a.shortIntro == b.shortIntro && a.startSound == b.startSound;
}

// Every problem names this file and a line that it has.
void CheckProblems(const std::vector<std::string>& problems, size_t lines) {
    const std::string name = "f.ini:";
    for (const std::string& problem : problems) {
        if (problem.compare(0, name.size(), name) != 0)
            std::abort();
        const size_t number = std::strtoul(problem.c_str() + name.size(), nullptr, 10);
        if (number < 1 || number > lines)
            std::abort();
    }
}

// The game's rewrite of one choice: the file read back must give `expected`.
// False when the game would not write it (too large to be read again).
bool CheckRewrite(std::string& text, const char* key, const std::string& value,
                  const SettingsRecord& expected) {
    std::string rewritten;
    if (!RewriteSetting(text, key, value, rewritten))
        return false;
    std::vector<std::string> problems;
    if (!SameSettings(ParseSettings(rewritten, "f.ini", problems), expected))
        std::abort();
    text = rewritten;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A larger file is not read at all: the game starts on the defaults.
    if (size > MaxSettingsFileBytes)
        return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> problems;
    SettingsRecord settings = ParseSettings(text, "f.ini", problems);
    size_t lines = 1;
    for (char c : text)
        lines += c == '\n';
    CheckProblems(problems, lines);

    // The same choice again changes nothing; then F11 and a step of the
    // volume, one after the other, as a player may press them.
    if (!CheckRewrite(text, "volume", std::to_string(settings.volume), settings))
        return 0;
    settings.fullscreen = !settings.fullscreen;
    if (!CheckRewrite(text, "fullscreen", settings.fullscreen ? "yes" : "no", settings))
        return 0;
    settings.volume = int32_t(size % 101);
    CheckRewrite(text, "volume", std::to_string(settings.volume), settings);
    return 0;
}
