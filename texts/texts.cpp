// The table of the player's texts: one row per text, one column per language.
#include "texts/texts.h"

#include <cstring>

Language CurrentLanguage = Chinese;

namespace {

struct TextRow {
    TextId id;
    const char* chinese;
    const char* english;
};

constexpr TextRow Texts[TextCount] = {
    {.id = AboutText,
     .chinese = "Morvask Version 1.0\n"
                "策划：林晓川\n"
                "程序：周明远\n"
                "感谢：陈一帆，王若溪，赵青山，李秋禾\n"
                "         等帮助与支持！\n"
                "测试：孙可欣\n"
                "出品：北岭工作室",
     .english = "Morvask Version 1.0\n"
                "Design: Lin Xiaochuan\n"
                "Programming: Zhou Mingyuan\n"
                "Thanks to Chen Yifan, Wang Ruoxi, Zhao Qingshan, Li Qiuhe\n"
                "and everyone else who helped and cheered us on!\n"
                "Testing: Sun Kexin\n"
                "A Beiling Studio game"},
    {.id = AboutCaption, .chinese = "版本信息", .english = "About"},
    {.id = HelpText,
     .chinese = "按键说明：\n"
                "游戏模式：\n"
                "上下左右方向键移动坦克\n"
                "WSAD字母键改变炮口方向\n"
                "L键锁定或取消锁定炮口方向\n"
                "空格键开火\n"
                "P键暂停\n"
                "F1键切换到地图编辑模式\n"
                "F2键载入自制地图并游戏\n"
                "H键显示帮助\n"
                "按住Z键然后按上下键选关\n"
                "同时按下Z键和F键开启坦克最高级状态\n"
                "\n"
                "道具说明：\n"
                "绿色道具：提升坦克护甲，最多提升3次\n"
                "红色道具：提升炮弹射速，最多提升4次\n"
                "蓝色道具：提升坦克速度，最多提升4次\n"
                "黄色道具：提升炮弹数量，最多提升1次\n"
                "\n"
                "地图编辑模式：\n"
                "鼠标左键添加地图块\n"
                "鼠标右键清除地图块\n"
                "1-7数字键切换地图块\n"
                "上下方向键切换关卡\n"
                "F1键切换到游戏模式\n"
                "F2键载入自制地图并编辑\n"
                "F3键保存地图\n"
                "H键显示帮助",
     .english = "Keys\n"
                "Playing:\n"
                "Drive the tank: {up} / {down} / {left} / {right}\n"
                "Turn the gun: {gun_up} / {gun_down} / {gun_left} / {gun_right}\n"
                "Lock or unlock the gun: {lock}    Fire: {fire}\n"
                "Pause: {pause}    Help: {help}\n"
                "F1: switch to the map editor    F2: play your own map\n"
                "Hold Z and press {up} or {down} to pick a level\n"
                "Press Z and F together for a fully upgraded tank\n"
                "Gamepad: D-pad or left stick drives, the face buttons\n"
                "turn the gun toward their side, RB or RT fires,\n"
                "LB locks the gun, Start pauses, Back shows this help\n"
                "\n"
                "Power-ups:\n"
                "Green: tougher armour (up to 3 times)\n"
                "Red: faster shots (up to 4 times)\n"
                "Blue: faster tank (up to 4 times)\n"
                "Yellow: one more shot in the air (once)\n"
                "\n"
                "Map editor:\n"
                "Left mouse button: place a block\n"
                "Right mouse button: clear a block\n"
                "1-7: choose the block\n"
                "Up / Down: previous or next level\n"
                "F1: switch back to playing\n"
                "F2: load your own map to edit\n"
                "Ctrl+Z: undo    Ctrl+Y or Ctrl+Shift+Z: redo\n"
                "Ctrl+C / Ctrl+V: copy / paste a whole level\n"
                "Ctrl+Delete: clear the level (the base stays)\n"
                "F5: try the level, Esc to come back\n"
                "F3: save the map\n"
                "{help}: show this help"},
    {.id = HelpCaption, .chinese = "帮助", .english = "Help"},
    {.id = SoundQuestion, .chinese = "是否开启游戏音效？", .english = "Play with sound?"},
    {.id = SettingsCaption, .chinese = "设置", .english = "Settings"},
    {.id = PausedText,
     .chinese = "游戏暂停！休息一下！",
     .english = "Game paused. Take a breather!"},
    {.id = GameOverText,
     .chinese = "游戏结束！再接再厉！",
     .english = "Game over! Better luck next time!"},
    {.id = AllClearedText,
     .chinese = "太厉害了，祝贺通关！",
     .english = "Incredible! You have cleared every level!"},
    {.id = AskEditorMode,
     .chinese = "是否切换到地图编辑模式？",
     .english = "Switch to the map editor?"},
    {.id = AskPlayMode, .chinese = "是否切换到游戏模式？", .english = "Switch back to playing?"},
    {.id = AskLoadMap, .chinese = "是否载入自制地图？", .english = "Load your own map?"},
    {.id = AskSaveMap, .chinese = "是否保存自制地图？", .english = "Save your map?"},
    {.id = FarewellText, .chinese = "感谢使用！再见！", .english = "Thanks for playing! Goodbye!"},
    {.id = LevelStartText, .chinese = "准备进入第%d关", .english = "Get ready for level %d"},
    {.id = LevelEditText, .chinese = "第%d关地图编辑", .english = "Editing the map of level %d"},
    {.id = MapSavedText, .chinese = "地图保存成功！", .english = "Map saved."},
    {.id = MapSaveFailedText,
     .chinese = "地图保存失败！",
     .english = "The map could not be saved!"},
    {.id = MapLoadFailedText,
     .chinese = "载入地图失败！",
     .english = "The map could not be loaded!"},
    {.id = ErrorCaption, .chinese = "错误", .english = "Error"},
    {.id = OkButton, .chinese = "确定", .english = "OK"},
    {.id = YesButton, .chinese = "是", .english = "Yes"},
    {.id = NoButton, .chinese = "否", .english = "No"},
    {.id = ShareCaption, .chinese = "分享", .english = "Share"},
    {.id = ShareLevelCopiedText,
     .chinese = "第%d关的分享码已复制到剪贴板：\n%s",
     .english = "The code of level %d is on the clipboard:\n%s"},
    {.id = ShareSetCopiedText,
     .chinese = "全部35关的分享码（%d个字符）已复制到剪贴板：\n%s",
     .english = "The code of all 35 levels (%d characters) is on the clipboard:\n%s"},
    {.id = ShareLevelShownText,
     .chinese = "第%d关的分享码：\n%s",
     .english = "The code of level %d:\n%s"},
    {.id = ShareSetShownText,
     .chinese = "全部35关的分享码（%d个字符）：\n%s",
     .english = "The code of all 35 levels (%d characters):\n%s"},
    {.id = ShareLevelPastedText,
     .chinese = "分享的关卡已放到第%d关（Ctrl+Z撤销）",
     .english = "The shared level is now level %d (Ctrl+Z undoes it)."},
    {.id = ShareSetOpenedText,
     .chinese = "已打开%s的关卡集《%s》",
     .english = "Opened the level set by %s: \"%s\"."},
    {.id = ShareUntitled, .chinese = "无题", .english = "untitled"},
    {.id = ShareNoAuthor, .chinese = "无名作者", .english = "an unnamed maker"},
    {.id = SharePasteFailedText,
     .chinese = "剪贴板里没有关卡分享码：%s",
     .english = "The clipboard holds no level code: %s"},
    {.id = ShareDropFailedText,
     .chinese = "拖入的内容不是关卡、关卡集或回放：%s",
     .english = "What was dropped is no level, level set or replay: %s"},
    {.id = ShareReplayDroppedText,
     .chinese = "这是一段回放。请用 morvask --open 观看。",
     .english = "This is a replay. Watch it with morvask --open."},
    {.id = ShareWhyOversized, .chinese = "太长了。", .english = "it is too long."},
    {.id = ShareWhyNotBase64,
     .chinese = "含有分享码不用的字符。",
     .english = "it holds characters no code has."},
    {.id = ShareWhyTruncated, .chinese = "分享码不完整。", .english = "the code is cut short."},
    {.id = ShareWhyNotACode, .chinese = "不是分享码。", .english = "it is not a share code."},
    {.id = ShareWhyVersion,
     .chinese = "分享码来自其他版本。",
     .english = "the code is of another version."},
    {.id = ShareWhyChecksum,
     .chinese = "分享码已损坏（校验和不符）。",
     .english = "the code is damaged (its checksum does not match)."},
    {.id = ShareWhyKind, .chinese = "这是回放的分享码。", .english = "it is the code of a replay."},
    {.id = ShareWhyDamaged, .chinese = "分享码已损坏。", .english = "the code is damaged."},
    {.id = ShareWhyEmpty, .chinese = "剪贴板是空的。", .english = "it is empty."},
    {.id = ShareHelpText,
     .chinese = "\n\n分享：\n"
                "Ctrl+Shift+C复制本关的分享码\n"
                "Ctrl+Shift+A复制全部关卡的分享码\n"
                "Ctrl+Shift+V粘贴分享码到本关或全部关卡\n"
                "游戏结束或通关之后，Ctrl+Shift+C复制这一局的回放链接",
     .english = "\n\nSharing (in the editor):\n"
                "Ctrl+Shift+C: copy this level's code or link\n"
                "Ctrl+Shift+A: copy the code of all 35 levels\n"
                "Ctrl+Shift+V: paste a level or level set code\n"
                "After a game's end, in play: Ctrl+Shift+C copies the run's link"},
    {.id = ShareRunCopiedText,
     .chinese = "上一局的回放链接（%d个字符）已复制到剪贴板：\n%s",
     .english = "The link to the run of the last game (%d characters) is on the clipboard:\n%s"},
    {.id = ShareRunNotYetText,
     .chinese = "还没有打完的一局。游戏结束或通关之后，Ctrl+Shift+C复制这一局的回放链接。",
     .english = "No game has ended yet. After the game-over or victory box, Ctrl+Shift+C "
                "copies a link to the run."},
    {.id = ShareRunTooLongText,
     .chinese = "这一局太长，无法做成链接。请用 --record 把它录成文件。",
     .english = "This run is too long for a link. Record it to a file with --record."},
    {.id = ShareLinkFailedText,
     .chinese = "这个链接里没有可以打开的关卡或关卡集：%s",
     .english = "This link holds no level or level set to open: %s"},
};

constexpr bool RowsInOrder() {
    for (int k = 0; k < TextCount; ++k)
        if (Texts[k].id != k)
            return false;
    return true;
}
static_assert(RowsInOrder(), "the rows of the text table follow TextId");

}  // namespace

const char* TextIn(Language language, TextId id) {
    if (id < 0 || id >= TextCount)
        return "";
    return language == English ? Texts[id].english : Texts[id].chinese;
}

const char* Text(TextId id) {
    return TextIn(CurrentLanguage, id);
}

bool LanguageFromName(const char* name, Language& language) {
    if (std::strcmp(name, "zh") == 0) {
        language = Chinese;
        return true;
    }
    if (std::strcmp(name, "en") == 0) {
        language = English;
        return true;
    }
    return false;
}

const char* LanguageName(Language language) {
    return language == English ? "en" : "zh";
}

void ResetLanguage() {
    CurrentLanguage = Chinese;
}
