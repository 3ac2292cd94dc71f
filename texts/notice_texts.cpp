// The table of the program's own notices: one row per text, one column per
// language.
#include "texts/notice_texts.h"

namespace {

struct NoticeTextRow {
    NoticeTextId id;
    const char* chinese;
    const char* english;
};

constexpr NoticeTextRow NoticeTexts[NoticeTextCount] = {
    {.id = StartProblemsCaption, .chinese = "启动时发现的问题", .english = "Problems at start"},
    {.id = SettingsProblemsHeading,
     .chinese = "设置文件 %s 中有以下问题，这些行已跳过：",
     .english = "The settings file %s has problems; these lines were skipped:"},
    {.id = SettingsProblemLine, .chinese = "第%d行：%s", .english = "line %d: %s"},
    {.id = RecordsKeptAsideText,
     .chinese =
         "战绩文件已损坏，无法读取（%s）。\n它已另存为 %s，\n新的战绩文件已开始，战绩照常记录。",
     .english = "The records file was damaged and could not be read (%s).\n"
                "It is kept as %s,\n"
                "and a fresh records file is started: records go on."},
    {.id = MapProblemCaption, .chinese = "地图文件", .english = "Map file"},
    {.id = MapProblemText,
     .chinese = "map.txt 未载入，一个格子也没有改变。\n第一个问题在第%d行：%s",
     .english =
         "map.txt was not loaded; not one cell changed.\nThe first problem is on line %d: %s"},
    {.id = MapEndsEarly,
     .chinese = "文件在第%d个数值后就结束了（需要5775个）",
     .english = "the file ends after %d values (5775 are needed)"},
    {.id = MapNotANumber, .chinese = "“%s”不是数字", .english = "\"%s\" is not a number"},
    {.id = MapNumberTooLarge,
     .chinese = "数字超出范围（32位）",
     .english = "a number too large (past 32 bits)"},
    {.id = MapCannotBeRead,
     .chinese = "文件无法读取，或大于1 MiB",
     .english = "the file cannot be read, or is larger than 1 MiB"},
    {.id = HelpSecondPageCaption, .chinese = "帮助（第2页）", .english = "Help (page 2)"},
    {.id = HelpSecondPageText,
     .chinese = "Morvask 增加的按键：\n"
                "Esc键：菜单\n"
                "K键：更多按键一览\n"
                "R键：战绩，可从到达的最高关开始新的一局\n"
                "N键：双人新游戏（或回到单人）\n"
                "F10键：切换缩放方式\n"
                "F11键或Alt+回车键：切换全屏\n"
                "+键和-键：音量加减10%\n"
                "Ctrl+Shift+C：游戏结束或通关后，复制本局回放的链接\n"
                "地图编辑模式下F4键：恢复较早保存的map.txt\n"
                "用 --lang en 或设置 lang = en 可改为英文（English）。",
     .english = "Keys Morvask adds:\n"
                "Esc: menu\n"
                "K: the list of more keys\n"
                "R: records, and a fresh game at the highest level reached\n"
                "N: a new game for two players (or back to one)\n"
                "F10: the next scale mode\n"
                "F11 or Alt+Enter: full screen on or off\n"
                "+ and -: sound volume up or down by 10%\n"
                "Ctrl+Shift+C: after the game-over or victory box,\n"
                "  copy a link to the run of that game\n"
                "F4 in the map editor: bring back an earlier map.txt\n"
                "With --lang zh or lang = zh the game speaks Chinese (中文)."},
    {.id = OnlineCaption, .chinese = "联机游戏", .english = "Online game"},
    {.id = OnlineSilentText,
     .chinese = "对方已经 %d 秒没有消息，游戏停止。",
     .english = "The other player has sent nothing for %d s: the game stops."},
    {.id = OnlineDesyncText,
     .chinese = "两边的游戏在第 %d 刻出现分歧，游戏停止。",
     .english = "The two games went apart at tick %d: the game stops."},
    {.id = OnlineVersionText,
     .chinese = "对方的程序版本不同：本程序为协议 %u、规则 %08x，对方为协议 %u、规则 %08x。",
     .english = "The other player's program is of another version: this one speaks protocol "
                "%u with rules %08x, the other protocol %u with rules %08x."},
    {.id = OnlineKeptText,
     .chinese = "这局游戏已保存为回放：%s",
     .english = "The game is kept as a replay: %s"},
};

constexpr bool RowsInOrder() {
    for (int k = 0; k < NoticeTextCount; ++k)
        if (NoticeTexts[k].id != k)
            return false;
    return true;
}
static_assert(RowsInOrder(), "the rows of the notice text table follow NoticeTextId");

}  // namespace

const char* NoticeTextIn(Language language, NoticeTextId id) {
    if (id < 0 || id >= NoticeTextCount)
        return "";
    return language == English ? NoticeTexts[id].english : NoticeTexts[id].chinese;
}

const char* NoticeText(NoticeTextId id) {
    return NoticeTextIn(CurrentLanguage, id);
}
