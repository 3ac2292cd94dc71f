// The table of the texts of saving shared levels and of the map file's
// earlier versions: one row per text, one column per language.
#include "texts/map_texts.h"

namespace {

struct MapTextRow {
    MapTextId id;
    const char* chinese;
    const char* english;
};

constexpr MapTextRow MapTexts[MapTextCount] = {
    {.id = SharedSaveQuestion,
     .chinese = "这些关卡是分享来的。是否保存为新文件 %s？\n（自制地图 map.txt 保持不变）",
     .english = "These levels were shared with you. Save them as a new file, %s?\n"
                "(your own map, map.txt, stays as it is)"},
    {.id = SharedSavedText,
     .chinese = "已保存为 %s，map.txt 未改动。",
     .english = "Saved as %s; map.txt is unchanged."},
    {.id = MapVersionsNoneText,
     .chinese = "还没有保存过的旧版地图。\n每次保存 map.txt 时，会保留之前的最近 %d 个版本。",
     .english = "No earlier version of the map is kept yet.\n"
                "Each save of map.txt keeps the last %d versions before it."},
    {.id = MapVersionQuestion,
     .chinese = "是否找回旧版地图 %s？\n（1 为最新，共保留 %d "
                "个；编辑器中的关卡将换成它，按F3保存为 map.txt）",
     .english = "Bring back the earlier map %s?\n"
                "(1 is the newest of the %d kept; the editor's levels become it,\n"
                "and F3 saves it as map.txt)"},
    {.id = MapVersionBroughtText,
     .chinese = "已找回 %s，按F3保存为 map.txt。",
     .english = "Brought back %s: F3 saves it as map.txt."},
    {.id = MapVersionRefusedText,
     .chinese = "%s 无法读取，未作改动。",
     .english = "%s cannot be read; nothing was changed."},
    {.id = MapVersionsCaption, .chinese = "旧版地图", .english = "Earlier maps"},
};

constexpr bool RowsInOrder() {
    for (int k = 0; k < MapTextCount; ++k)
        if (MapTexts[k].id != k)
            return false;
    return true;
}
static_assert(RowsInOrder(), "the rows of the map text table follow MapTextId");

}  // namespace

const char* MapTextIn(Language language, MapTextId id) {
    if (id < 0 || id >= MapTextCount)
        return "";
    return language == English ? MapTexts[id].english : MapTexts[id].chinese;
}

const char* MapText(MapTextId id) {
    return MapTextIn(CurrentLanguage, id);
}
