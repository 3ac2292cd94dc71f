// Writes the seeds of the fuzz targets that the game itself can make: for the
// map reader the built-in levels as a saved map, with LF line ends, cut
// short, and each level alone; for the settings reader the file of the first
// start, with CR LF line ends, and with choices saved into it; for the share
// code reader the code of every built-in level, of the set (bare and in a
// link) and of the replays named; for the records reader the records as the
// game writes them.
#include <cstdio>
#include <string>
#include <vector>

#include "levels/builtin_levels.h"
#include "levels/level_grid.h"
#include "levels/map_file.h"
#include "options/records_file.h"
#include "options/settings_file.h"
#include "replay/share.h"

namespace {

bool Write(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

bool WriteMapSeeds(const std::string& dir) {
    const std::vector<int32_t> levels = BuiltInLevels();
    const std::string whole = FormatLevelSet(levels);
    std::string unix = whole;
    for (size_t at = unix.find('\r'); at != std::string::npos; at = unix.find('\r', at))
        unix.erase(at, 1);
    bool ok = Write(dir + "/all-levels.txt", whole) && Write(dir + "/all-levels-lf.txt", unix) &&
              Write(dir + "/cut.txt", whole.substr(0, whole.size() / 3));
    for (int level = 0; level < LevelCount && ok; ++level) {
        std::vector<int32_t> one(levels.begin() + level * LevelCellCount,
                                 levels.begin() + (level + 1) * LevelCellCount);
        ok = Write(dir + "/level-" + std::to_string(level + 1) + ".txt", FormatLevelSet(one));
    }
    return ok;
}

bool WriteSettingsSeeds(const std::string& dir) {
    const std::string first = DefaultSettingsText();
    std::string crlf;
    for (char c : first)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::string saved = WithSetting(WithSetting(first, "fullscreen", "yes"), "volume", "40");
    return Write(dir + "/first-start.ini", first) && Write(dir + "/first-start-crlf.ini", crlf) &&
           Write(dir + "/saved.ini", saved) &&
           Write(dir + "/added.ini", WithSetting("lang = en", "volume", "70"));
}

bool WriteShareSeeds(const std::string& dir, int replayCount, char** replays) {
    const std::vector<int32_t>& levels = BuiltInLevels();
    const std::string set = SetShareCode(levels, "Seeds", "Morvask");
    bool ok = Write(dir + "/set.txt", set) &&
              Write(dir + "/set-link.txt", ShareLink("https://example.org/", ShareSetKind, set));
    for (int level = 0; level < LevelCount && ok; ++level) {
        std::vector<int32_t> one(levels.begin() + level * LevelCellCount,
                                 levels.begin() + (level + 1) * LevelCellCount);
        ok = Write(dir + "/level-" + std::to_string(level + 1) + ".txt", LevelShareCode(one));
    }
    for (int k = 0; k < replayCount && ok; ++k) {
        ShareKind kind;
        std::string code, error;
        ok = ShareCodeOfFile(replays[k], "", kind, code, error) &&
             Write(dir + "/replay-" + std::to_string(k) + ".txt", code);
    }
    return ok;
}

// The records of a fresh player and of one who cleared a few levels.
bool WriteRecordsSeeds(const std::string& dir) {
    RecordsRecord some;
    some.highestLevel = 4;
    some.gamesPlayed = 7;
    some.gamesWon = 0;
    some.levels[0] = {.bestTicks = 4321, .fewestLost = 1};
    some.levels[2] = {.bestTicks = 9876, .fewestLost = 0};
    return Write(dir + "/fresh.txt", FormatRecords(RecordsRecord{})) &&
           Write(dir + "/some.txt", FormatRecords(some));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: morvask-fuzz-seeds DIRECTORY [REPLAY...] (with map/, settings/, "
                     "share/ and records/ in it)\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = WriteMapSeeds(dir + "/map") && WriteSettingsSeeds(dir + "/settings") &&
              WriteShareSeeds(dir + "/share", argc - 2, argv + 2) &&
              WriteRecordsSeeds(dir + "/records");
    if (!ok)
        std::fprintf(stderr, "morvask-fuzz-seeds: cannot write into %s\n", dir.c_str());
    return ok ? 0 : 1;
}
