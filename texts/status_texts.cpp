// The table of the status display's texts: one row per text, one column per
// language.
#include "texts/status_texts.h"

namespace {

struct StatusTextRow {
    StatusTextId id;
    const char* chinese;
    const char* english;
};

constexpr StatusTextRow StatusTexts[StatusTextCount] = {
    {.id = StatusLevelHeading, .chinese = "关卡", .english = "LEVEL"},
    {.id = StatusEditorHeading, .chinese = "地图编辑", .english = "EDITOR"},
    {.id = StatusTanksLabel, .chinese = "坦克", .english = "Tanks"},
    {.id = StatusEnemiesLabel, .chinese = "敌人", .english = "Enemies"},
    {.id = StatusUpgradesLabel, .chinese = "升级", .english = "Upgrades"},
    {.id = StatusTitleGame,
     .chinese = "第%d关 · 坦克 %d · 敌人 %d · 装甲%d 火力%d 速度%d 子弹%d",
     .english = "Level %d · Tanks %d · Enemies %d · Armour %d Fire %d Speed %d Bullets %d"},
    {.id = StatusTitleEditor, .chinese = "地图编辑 · 第%d关", .english = "Editor · Level %d"},
    {.id = StatusPlayer1Label, .chinese = "玩家1", .english = "Player 1"},
    {.id = StatusPlayer2Label, .chinese = "玩家2", .english = "Player 2"},
    {.id = StatusTitleTwoPlayers,
     .chinese = "第%d关 · 敌人 %d · 玩家1 坦克 %d 装甲%d 火力%d 速度%d 子弹%d"
                " · 玩家2 坦克 %d 装甲%d 火力%d 速度%d 子弹%d",
     .english = "Level %d · Enemies %d · P1 Tanks %d Armour %d Fire %d Speed %d Bullets %d"
                " · P2 Tanks %d Armour %d Fire %d Speed %d Bullets %d"},
    {.id = StatusWindowTitleTwoPlayers,
     .chinese = "第%d关 · 敌人 %d · 玩家1 坦克 %d（%d/%d/%d/%d） · 玩家2 坦克 %d（%d/%d/%d/%d）",
     .english = "Level %d · Enemies %d · P1 Tanks %d (%d/%d/%d/%d) · P2 Tanks %d (%d/%d/%d/%d)"},
};

}  // namespace

const char* StatusTextIn(Language language, StatusTextId id) {
    if (id < 0 || id >= StatusTextCount)
        return "";
    const StatusTextRow& row = StatusTexts[id];
    return language == English ? row.english : row.chinese;
}

const char* StatusText(StatusTextId id) {
    return StatusTextIn(CurrentLanguage, id);
}
