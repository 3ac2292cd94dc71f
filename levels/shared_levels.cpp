// Saving levels that came from a share beside the map file, never over it.
#include "levels/shared_levels.h"

#include <cstdio>
#include <vector>

#include "levels/map_file.h"
#include "platform/files.h"
#include "state/program_state.h"
#include "texts/map_texts.h"
#include "texts/texts.h"

namespace {

// A file named by a number far beyond any player's shares is not looked for.
constexpr int MostSharedFiles = 9999;

std::string Filled(const char* format, const std::string& name) {
    std::vector<char> text(name.size() + 512);
    std::snprintf(text.data(), text.size(), format, name.c_str());
    return text.data();
}

}  // namespace

std::string SharedSavePath() {
    if (!LevelOrigin.savedAs.empty())
        return LevelOrigin.savedAs;
    for (int number = 1; number < MostSharedFiles; ++number) {
        const std::string name = "map-shared-" + std::to_string(number) + ".txt";
        if (!platform::PathExists(name.c_str()))
            return name;
    }
    return "map-shared-" + std::to_string(MostSharedFiles) + ".txt";
}

std::string SaveQuestionText() {
    if (!LevelOrigin.shared)
        return Text(AskSaveMap);
    return Filled(MapText(SharedSaveQuestion), SharedSavePath());
}

bool SaveLevelsInForce() {
    if (!LevelOrigin.shared)
        return SaveCustomMap();
    const std::string path = SharedSavePath();
    // The first save of a share never replaces a file that is there (one
    // that appeared since the question was asked): the save fails instead.
    if (LevelOrigin.savedAs.empty() && platform::PathExists(path.c_str())) {
        ShowMapSaveFailed();
        return false;
    }
    if (!platform::ReplaceFileWhole(path.c_str(), FormatLevelSet(LevelSet))) {
        ShowMapSaveFailed();
        return false;
    }
    LevelOrigin.savedAs = path;
    platform::MessageBox(MainWindow, Filled(MapText(SharedSavedText), path).c_str(), "",
                         platform::MB_OK);
    return true;
}
