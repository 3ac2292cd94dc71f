// The editor's F4: an earlier version of the map file back into the editor.
#include "editor/map_versions.h"

#include <cstdio>
#include <string>
#include <vector>

#include "battle/level_start.h"
#include "editor/history.h"
#include "levels/level_grid.h"
#include "levels/level_origin.h"
#include "levels/map_file.h"
#include "platform/files.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "texts/map_texts.h"

namespace {

// A text with the version's name put in, and (for the question) how many
// versions are kept.
std::string Filled(MapTextId id, const std::string& name) {
    std::vector<char> text(name.size() + 512);
    std::snprintf(text.data(), text.size(), MapText(id), name.c_str(), MapVersionsKept);
    return text.data();
}

std::string NoneKept() {
    std::vector<char> text(512);
    std::snprintf(text.data(), text.size(), MapText(MapVersionsNoneText), MapVersionsKept);
    return text.data();
}

int Box(const std::string& text, uint32_t buttons) {
    return platform::MessageBox(MainWindow, text.c_str(), MapText(MapVersionsCaption), buttons);
}

// The version's levels in place of the editor's, each level's change one
// step of its history, so that Ctrl+Z takes it back.
void PutVersion(const std::vector<int32_t>& cells) {
    CommitEditorChanges();
    for (int32_t k = 0; k < LevelSetSize; ++k)
        if (LevelSet[size_t(k)] != cells[size_t(k)])
            WriteLevelCell(k / LevelCellCount, k % LevelCellCount, cells[size_t(k)]);
    CommitEditorChanges();
    MarkLevelsOwn();
    StartLevel();
}

}  // namespace

void BringBackMapVersion() {
    bool anyKept = false;
    for (int number = 1; number <= MapVersionsKept; ++number) {
        const std::string path = platform::VersionPath(MapFileName, number);
        if (!platform::PathExists(path.c_str()))
            continue;
        anyKept = true;
        if (Box(Filled(MapVersionQuestion, path), platform::MB_YESNO) != platform::IDYES)
            continue;
        std::string text;
        std::vector<int32_t> cells(LevelSetSize, 0);
        if (!platform::ReadSmallFile(path.c_str(), MaxMapFileBytes, text) ||
            !ReadLevelSetText(text, cells)) {
            Box(Filled(MapVersionRefusedText, path), platform::MB_OK | platform::MB_ICONWARNING);
            return;
        }
        PutVersion(cells);
        Box(Filled(MapVersionBroughtText, path), platform::MB_OK);
        return;
    }
    if (!anyKept)
        Box(NoneKept(), platform::MB_OK);
}
