// Reading and writing the player's records file.
#include "options/records_file.h"

#include <filesystem>
#include <system_error>

#include "platform/files.h"

namespace {

namespace fs = std::filesystem;

constexpr char RecordsFileName[] = "records.txt";

bool Blank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trimmed(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && Blank(text[first]))
        ++first;
    while (last > first && Blank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// Plain decimal digits (no sign, at most ten) of a value from low to high.
bool WholeNumber(const std::string& text, int64_t low, int64_t high, int32_t& value) {
    if (text.empty() || text.size() > 10)
        return false;
    int64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + (c - '0');
    }
    if (number < low || number > high)
        return false;
    value = int32_t(number);
    return true;
}

// What has been read so far, and which keys were given.
struct Reading {
    RecordsRecord records;
    bool versionSeen = false;
    bool highestSeen = false;
    bool playedSeen = false;
    bool wonSeen = false;
    bool levelSeen[LevelCount] = {};
};

// "level = N, TICKS, LOST"; the problem, or empty.
std::string ReadLevelLine(const std::string& value, Reading& reading) {
    std::string parts[3];
    size_t at = 0;
    for (int k = 0; k < 3; ++k) {
        size_t comma = k < 2 ? value.find(',', at) : value.size();
        if (comma == std::string::npos)
            return "a level line is \"level = NUMBER, TICKS, TANKS LOST\"";
        parts[k] = Trimmed(value.substr(at, comma - at));
        at = comma + 1;
    }
    int32_t number = 0;
    LevelRecordEntry entry;
    if (!WholeNumber(parts[0], 1, LevelCount, number))
        return "no level " + parts[0] + " (1 to " + std::to_string(LevelCount) + ")";
    if (reading.levelSeen[number - 1])
        return "level " + parts[0] + " is given twice";
    if (!WholeNumber(parts[1], 1, INT32_MAX, entry.bestTicks))
        return "the ticks of level " + parts[0] + " are not a number from 1 up";
    if (!WholeNumber(parts[2], 0, MaxRecordedTanksLost, entry.fewestLost))
        return "the tanks lost on level " + parts[0] + " are not a number from 0 to " +
               std::to_string(MaxRecordedTanksLost);
    reading.levelSeen[number - 1] = true;
    reading.records.levels[number - 1] = entry;
    return {};
}

// One "key = value" line; the problem, or empty.
std::string ReadLine(const std::string& key, const std::string& value, Reading& reading) {
    if (!reading.versionSeen) {
        if (key != "records" || value != "1")
            return "the file does not start with \"records = 1\"";
        reading.versionSeen = true;
        return {};
    }
    if (key == "level")
        return ReadLevelLine(value, reading);
    RecordsRecord& records = reading.records;
    struct Scalar {
        const char* name;
        bool* seen;
        int32_t* value;
        int32_t high;
    };
    const Scalar scalars[] = {
        {"highest_level", &reading.highestSeen, &records.highestLevel, LevelCount},
        {"games_played", &reading.playedSeen, &records.gamesPlayed, INT32_MAX},
        {"games_won", &reading.wonSeen, &records.gamesWon, INT32_MAX},
    };
    for (const Scalar& scalar : scalars) {
        if (key != scalar.name)
            continue;
        if (*scalar.seen)
            return key + " is given twice";
        if (!WholeNumber(value, 0, scalar.high, *scalar.value))
            return key + " is not a number from 0 to " + std::to_string(scalar.high);
        *scalar.seen = true;
        return {};
    }
    return "unknown key '" + key + "'";
}

// Values that cannot all be true: more games won than played, a level
// cleared beyond the highest reached.
std::string Disagreement(const RecordsRecord& records) {
    if (records.gamesWon > records.gamesPlayed)
        return "more games won than played";
    for (int32_t level = 0; level < LevelCount; ++level)
        if (records.levels[level].bestTicks > 0 && level + 1 > records.highestLevel)
            return "level " + std::to_string(level + 1) + " is cleared beyond the highest reached";
    return {};
}

}  // namespace

std::string RecordsPathBeside(const std::string& settingsPath) {
    if (settingsPath.empty())
        return {};
    return (fs::path(settingsPath).parent_path() / RecordsFileName).string();
}

std::string FormatRecords(const RecordsRecord& records) {
    std::string text =
        "# Morvask records, written by the game: only games played on the built-in\n"
        "# levels without the Z keys (upgrade, level select) count. A file the game\n"
        "# cannot read whole is left as it is, and nothing is recorded meanwhile.\n"
        "records = 1\n";
    text += "highest_level = " + std::to_string(records.highestLevel) + "\n";
    text += "games_played = " + std::to_string(records.gamesPlayed) + "\n";
    text += "games_won = " + std::to_string(records.gamesWon) + "\n";
    text += "# level = number, fewest ticks to clear it (100 a second), fewest tanks lost\n";
    for (int32_t level = 0; level < LevelCount; ++level) {
        const LevelRecordEntry& entry = records.levels[level];
        if (entry.bestTicks > 0)
            text += "level = " + std::to_string(level + 1) + ", " +
                    std::to_string(entry.bestTicks) + ", " + std::to_string(entry.fewestLost) +
                    "\n";
    }
    return text;
}

bool ParseRecords(const std::string& text, RecordsRecord& records, std::string& problem) {
    Reading reading;
    size_t start = 0;
    for (int lineNumber = 1; start < text.size(); ++lineNumber) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        line = Trimmed(line);
        if (line.empty() || line[0] == '#')
            continue;
        size_t equals = line.find('=');
        std::string what = equals == std::string::npos
                               ? "expected \"key = value\""
                               : ReadLine(Trimmed(line.substr(0, equals)),
                                          Trimmed(line.substr(equals + 1)), reading);
        if (!what.empty()) {
            problem = "line " + std::to_string(lineNumber) + ": " + what;
            return false;
        }
    }
    std::string disagreement =
        reading.versionSeen ? Disagreement(reading.records) : "no \"records = 1\" line";
    if (!disagreement.empty()) {
        problem = "the file says " + disagreement;
        return false;
    }
    records = reading.records;
    return true;
}

RecordsFileState LoadRecordsFile(const std::string& path, RecordsRecord& records,
                                 std::string& problem) {
    std::error_code error;
    if (!fs::exists(fs::symlink_status(path, error)))
        return RecordsFileMissing;
    std::string text;
    if (!platform::ReadSmallFile(path.c_str(), MaxRecordsFileBytes, text)) {
        problem = path + ": cannot be read (or is larger than 16 KiB)";
        return RecordsFileRefused;
    }
    std::string where;
    if (!ParseRecords(text, records, where)) {
        problem = path + ": " + where;
        return RecordsFileRefused;
    }
    return RecordsFileRead;
}

bool SaveRecordsFile(const std::string& path, const RecordsRecord& records) {
    std::error_code error;
    fs::create_directories(fs::path(path).parent_path(), error);
    return platform::ReplaceFileWhole(path.c_str(), FormatRecords(records));
}

std::string DamagedRecordsPath(const std::string& path, int32_t number) {
    const fs::path file(path);
    std::string name = file.stem().string() + "-damaged";
    if (number > 1) {
        name += '-';
        name += std::to_string(number);
    }
    return (file.parent_path() / (name + file.extension().string())).string();
}

bool KeepDamagedRecordsAside(const std::string& path, std::string& keptAs) {
    for (int32_t number = 1; number <= MaxDamagedRecordsKept; ++number) {
        const std::string aside = DamagedRecordsPath(path, number);
        if (platform::MoveToNewName(path.c_str(), aside.c_str())) {
            keptAs = aside;
            return true;
        }
        // Taken already: the next name. Any other failure ends the search.
        if (!platform::PathExists(aside.c_str()))
            return false;
    }
    return false;
}
