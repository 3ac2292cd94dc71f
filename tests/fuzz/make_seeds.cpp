// Writes the map reader's seed corpus: the built-in levels as a saved map,
// with LF line ends, cut short, and each level alone.
#include <cstdio>
#include <string>
#include <vector>

#include "levels/builtin_levels.h"
#include "levels/level_grid.h"
#include "levels/map_file.h"

namespace {

bool Write(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: morvask-fuzz-seeds DIRECTORY\n");
        return 2;
    }
    const std::string dir = argv[1];
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
    if (!ok)
        std::fprintf(stderr, "morvask-fuzz-seeds: cannot write into %s\n", dir.c_str());
    return ok ? 0 : 1;
}
