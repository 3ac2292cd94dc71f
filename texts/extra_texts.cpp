// The table of the texts around the game's own boxes: one row per text, one
// column per language.
#include "texts/extra_texts.h"

namespace {

struct ExtraTextRow {
    ExtraTextId id;
    const char* chinese;
    const char* english;
};

constexpr ExtraTextRow ExtraTexts[ExtraTextCount] = {
    {.id = RecordsCaption, .chinese = "战绩", .english = "Records"},
    {.id = RecordsSummary,
     .chinese = "到达的最高关卡：第%d关\n已完成 %d 局，其中通关 %d 局",
     .english = "Highest level reached: %d\nGames played: %d, won: %d"},
    {.id = RecordsNone,
     .chinese = "还没有战绩。\n不用Z键玩内置关卡，每一关和每一局都会记下。",
     .english = "No records yet.\nEvery level and game played on the built-in levels\n"
                "without the Z keys is recorded."},
    {.id = RecordsLevelBest,
     .chinese = "第%d关最佳：%d.%02d 秒（%d 刻），最少损失坦克 %d 辆",
     .english = "Best on level %d: %d.%02d s (%d ticks), fewest tanks lost %d"},
    {.id = RecordsLevelNotCleared,
     .chinese = "第%d关还没有通过的记录",
     .english = "Level %d has not been cleared yet"},
    {.id = RecordsNotThisGameZ,
     .chinese = "本局用过Z键（选关或最高级状态），不记入战绩。",
     .english = "This game used the Z keys (level select or upgrade):\nit is not recorded."},
    {.id = RecordsNotThisGameMap,
     .chinese = "本局玩的是自制地图，不记入战绩。",
     .english = "This game plays your own map: it is not recorded."},
    {.id = RecordsFileRefusedText,
     .chinese = "战绩文件无法读取，已原样保留，本次不记录战绩：\n%s",
     .english = "The records file cannot be read. It is left as it is,\n"
                "and nothing is recorded this time:\n%s"},
    {.id = RecordsContinueQuestion,
     .chinese = "是否从第%d关开始新的一局？",
     .english = "Start a fresh game at level %d?"},
    {.id = MoreKeysCaption, .chinese = "更多按键", .english = "More keys"},
    {.id = MoreKeysText,
     .chinese = "更多按键：\n"
                "游戏模式：\n"
                "R键查看战绩，可从到达的最高关开始新的一局\n"
                "K键显示本说明\n"
                "N键开始双人新游戏（或回到单人）\n"
                "F11键或Alt+回车键切换全屏\n"
                "+键和-键调节音量（每次10%）\n"
                "F10键切换缩放方式：整数倍、填满、整数倍后平滑填满、自动\n"
                "\n"
                "地图编辑模式：\n"
                "Ctrl+Z撤销，Ctrl+Y或Ctrl+Shift+Z重做\n"
                "Ctrl+C复制本关，Ctrl+V粘贴到本关\n"
                "Ctrl+Delete清空本关（保留基地）\n"
                "F5试玩本关，Esc键返回编辑\n"
                "F11键或Alt+回车键切换全屏",
     .english = "More keys\n"
                "Playing:\n"
                "R: your records, and a fresh game at the highest level reached\n"
                "K: this list\n"
                "N: a new game for two players (or back to one)\n"
                "F11 or Alt+Enter: full screen on or off\n"
                "+ and -: sound volume up or down by 10%\n"
                "F10: the scale mode (integer, fit, sharp, auto)\n"
                "\n"
                "Map editor:\n"
                "Ctrl+Z: undo    Ctrl+Y or Ctrl+Shift+Z: redo\n"
                "Ctrl+C / Ctrl+V: copy / paste a whole level\n"
                "Ctrl+Delete: clear the level (the base stays)\n"
                "F5: try the level, Esc to come back\n"
                "F11 or Alt+Enter: full screen on or off"},
    {.id = SettingsProblemsText,
     .chinese = "设置文件中有以下问题，这些行已跳过：\n%s",
     .english = "The settings file has problems; these lines were skipped:\n%s"},
    {.id = VolumeIndicator, .chinese = "音量 %d%%", .english = "Volume %d%%"},
    {.id = ScaleIndicator, .chinese = "缩放：%s", .english = "Scale: %s"},
    {.id = ScaleAutoIndicator, .chinese = "缩放：自动（%s）", .english = "Scale: auto (%s)"},
    {.id = ScaleModeIntegerName, .chinese = "整数倍", .english = "integer"},
    {.id = ScaleModeFitName, .chinese = "填满", .english = "fit"},
    {.id = ScaleModeSharpName, .chinese = "整数倍后平滑填满", .english = "sharp"},
    {.id = ScaleModeAutoName, .chinese = "自动", .english = "auto"},
    {.id = PlayerOutText,
     .chinese = "玩家%d的坦克已全部被摧毁，由另一位玩家继续战斗。",
     .english = "Player %d has lost the last tank. The other player fights on."},
    {.id = TwoPlayersQuestion,
     .chinese = "是否开始双人新游戏？\n\n"
                "玩家2：%s移动，%s转动炮塔，%s锁定炮塔，%s开火；\n"
                "或使用第二个手柄。",
     .english = "Start a new game for two players?\n\n"
                "Player 2: %s to drive, %s to turn the gun,\n"
                "%s to lock the gun, %s to fire; or the second gamepad."},
    {.id = OnePlayerQuestion,
     .chinese = "是否开始单人新游戏？",
     .english = "Start a new game for one player?"},
};

constexpr bool RowsInOrder() {
    for (int k = 0; k < ExtraTextCount; ++k)
        if (ExtraTexts[k].id != k)
            return false;
    return true;
}
static_assert(RowsInOrder(), "the rows of the extra text table follow ExtraTextId");

}  // namespace

const char* ExtraTextIn(Language language, ExtraTextId id) {
    if (id < 0 || id >= ExtraTextCount)
        return "";
    return language == English ? ExtraTexts[id].english : ExtraTexts[id].chinese;
}

const char* ExtraText(ExtraTextId id) {
    return ExtraTextIn(CurrentLanguage, id);
}
