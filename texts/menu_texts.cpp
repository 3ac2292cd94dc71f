// The table of the menu's and the options screen's texts: one row per text,
// one column per language.
#include "texts/menu_texts.h"

namespace {

struct MenuTextRow {
    MenuTextId id;
    const char* chinese;
    const char* english;
};

constexpr MenuTextRow MenuTexts[MenuTextCount] = {
    {.id = MenuCaption, .chinese = "菜单", .english = "Menu"},
    {.id = MenuResume, .chinese = "继续游戏", .english = "Resume"},
    {.id = MenuNewGame, .chinese = "新游戏", .english = "New game"},
    {.id = MenuChooseLevel, .chinese = "选择关卡", .english = "Choose level"},
    {.id = MenuRecords, .chinese = "战绩", .english = "Records"},
    {.id = MenuOptions, .chinese = "设置", .english = "Options"},
    {.id = MenuShare, .chinese = "分享", .english = "Share"},
    {.id = MenuEditor, .chinese = "地图编辑器", .english = "Editor"},
    {.id = MenuLeaveEditor, .chinese = "回到游戏", .english = "Back to the game"},
    {.id = MenuHelp, .chinese = "帮助", .english = "Help"},
    {.id = MenuQuit, .chinese = "退出", .english = "Quit"},
    {.id = MenuBack, .chinese = "返回", .english = "Back"},
    {.id = MenuOnePlayer, .chinese = "单人游戏", .english = "One player"},
    {.id = MenuTwoPlayers, .chinese = "双人游戏", .english = "Two players"},
    {.id = MenuLevelRow, .chinese = "第%d关", .english = "Level %d"},
    {.id = MenuLevelBest, .chinese = "最佳 %d.%02d 秒", .english = "best %d.%02d s"},
    {.id = MenuLevelNotCleared, .chinese = "未通过", .english = "not cleared"},
    {.id = MenuLevelNoRecords, .chinese = "", .english = ""},
    {.id = MenuLevelQuestion,
     .chinese = "现在玩第%d关？\n这一局将不记入战绩（与Z键选关相同）。",
     .english = "Play level %d now?\nThis game is then not recorded (as with Z and Up or Down)."},
    {.id = MenuLevelQuestionRecorded, .chinese = "现在玩第%d关？", .english = "Play level %d now?"},
    {.id = MenuShareLevel, .chinese = "分享本关", .english = "Share this level"},
    {.id = MenuShareSet, .chinese = "分享全部35关", .english = "Share this set of 35 levels"},
    {.id = MenuShareRun, .chinese = "分享上一局的录像", .english = "Share the last run"},
    {.id = MenuSetTitle, .chinese = "关卡集的标题", .english = "Title of the set"},
    {.id = MenuSetAuthor, .chinese = "关卡集的作者", .english = "Author of the set"},
    {.id = MenuNameNone, .chinese = "（无）", .english = "(none)"},
    {.id = MenuNameTyping,
     .chinese = "%s：请输入，回车保留，Esc取消",
     .english = "%s: type it; Enter keeps it, Esc cancels"},
    {.id = MenuNameKept, .chinese = "%s：“%s”", .english = "%s: \"%s\""},
    {.id = MenuNameHint,
     .chinese = "字母、数字、空格；Shift大写，退格删除，Ctrl+V粘贴",
     .english = "Letters, digits, Space; Shift for capitals, Backspace, Ctrl+V pastes"},
    {.id = MenuKeysHint,
     .chinese = "上下键选择，回车确定，Esc返回",
     .english = "Up/Down to choose, Enter to take, Esc to go back"},
    {.id = MenuStatusHint, .chinese = "Esc：菜单", .english = "Esc: menu"},
    {.id = OptionsCaption, .chinese = "设置", .english = "Options"},
    {.id = OptionsPlayer1, .chinese = "玩家1", .english = "Player 1"},
    {.id = OptionsPlayer2, .chinese = "玩家2", .english = "Player 2"},
    {.id = OptionsPresetDefault, .chinese = "按键预设：默认", .english = "Keys preset: default"},
    {.id = OptionsPresetLaptop,
     .chinese = "按键预设：一个键盘双人（无小键盘）",
     .english = "Keys preset: one keyboard, two players, no keypad"},
    {.id = OptionsLanguage, .chinese = "语言", .english = "Language"},
    {.id = OptionsScaleMode, .chinese = "缩放方式", .english = "Scale mode"},
    {.id = OptionsFullscreen, .chinese = "全屏", .english = "Full screen"},
    {.id = OptionsVolume, .chinese = "音量", .english = "Volume"},
    {.id = OptionsStartSound, .chinese = "启动时的音效", .english = "Sound on start-up"},
    {.id = OptionsIntro, .chinese = "开场", .english = "Intro"},
    {.id = OptionsStatusPlace, .chinese = "状态显示", .english = "Status shows"},
    {.id = OptionsYes, .chinese = "是", .english = "yes"},
    {.id = OptionsNo, .chinese = "否", .english = "no"},
    {.id = OptionsAsk, .chinese = "询问", .english = "ask"},
    {.id = OptionsOn, .chinese = "开", .english = "on"},
    {.id = OptionsOff, .chinese = "关", .english = "off"},
    {.id = OptionsIntroShort, .chinese = "简短", .english = "short"},
    {.id = OptionsIntroFull, .chinese = "完整", .english = "full"},
    {.id = OptionsStatusAuto, .chinese = "自动", .english = "auto"},
    {.id = OptionsStatusSide, .chinese = "旁边", .english = "beside the field"},
    {.id = OptionsStatusTitle, .chinese = "标题栏", .english = "in the title"},
    {.id = OptionsStatusOff, .chinese = "不显示", .english = "nowhere"},
    {.id = OptionsPressKey,
     .chinese = "请按下“%s”的新键（Esc取消）",
     .english = "Press the new key for %s (Esc cancels)"},
    {.id = OptionsKeyTaken,
     .chinese = "%s 已是“%s”的键，未更改",
     .english = "%s is already %s's key: not changed"},
    {.id = OptionsKeyKept,
     .chinese = "%s 留给游戏自己的命令，未更改",
     .english = "%s is kept for the game's own command: not changed"},
    {.id = OptionsKeyUnnamed,
     .chinese = "这个键不能选用，未更改",
     .english = "This key cannot be chosen: not changed"},
    {.id = OptionsKeySet, .chinese = "%s 现在是“%s”的键", .english = "%s is now the key for %s"},
    {.id = OptionsPresetSet,
     .chinese = "按键已按预设更改",
     .english = "The keys follow the preset"},
    {.id = OptionsHint,
     .chinese = "回车改键，左右键改选项，改动立即保存",
     .english = "Enter sets a key, Left/Right change a choice; saved at once"},
    {.id = ActionUpName, .chinese = "向上开", .english = "drive up"},
    {.id = ActionDownName, .chinese = "向下开", .english = "drive down"},
    {.id = ActionLeftName, .chinese = "向左开", .english = "drive left"},
    {.id = ActionRightName, .chinese = "向右开", .english = "drive right"},
    {.id = ActionGunUpName, .chinese = "炮口向上", .english = "gun up"},
    {.id = ActionGunDownName, .chinese = "炮口向下", .english = "gun down"},
    {.id = ActionGunLeftName, .chinese = "炮口向左", .english = "gun left"},
    {.id = ActionGunRightName, .chinese = "炮口向右", .english = "gun right"},
    {.id = ActionLockName, .chinese = "锁定炮口", .english = "lock the gun"},
    {.id = ActionFireName, .chinese = "开火", .english = "fire"},
    {.id = ActionPauseName, .chinese = "暂停", .english = "pause"},
    {.id = ActionHelpName, .chinese = "帮助", .english = "help"},
    {.id = MenuPlayOnline, .chinese = "联机游戏", .english = "Play online"},
    {.id = MenuHostGame, .chinese = "创建一局，等待对方加入", .english = "Host a game"},
    {.id = MenuJoinGame, .chinese = "加入一局", .english = "Join a game"},
    {.id = MenuJoinHint,
     .chinese = "输入对方看到的代码，回车加入；Ctrl+V粘贴，Esc取消",
     .english = "Type the code the host was shown, Enter joins; Ctrl+V pastes, Esc cancels"},
    {.id = MenuOnlineThroughLobby, .chinese = "经由大厅 %s", .english = "Through the lobby %s"},
    {.id = MenuOnlineDirect,
     .chinese = "直接连接，同一网络内（未设置大厅）",
     .english = "Directly, on this network (no lobby is set)"},
    {.id = MenuJoinNeedsCode, .chinese = "请先输入代码", .english = "Type the code first"},
    {.id = OnlineCaption, .chinese = "联机游戏", .english = "Play online"},
    {.id = OnlineAskingLobby,
     .chinese = "正在询问大厅 %s……\n\n按确定停止。",
     .english = "Asking the lobby %s...\n\nOK stops."},
    {.id = OnlineRoomWaiting,
     .chinese = "房间代码：%s\n\n对方在菜单中选择“联机游戏”、“加入一局”并输入此代码"
                "（或运行 morvask --join %s）。观战：morvask --watch %s\n\n"
                "正在等待对方；按确定停止等待。",
     .english = "Your room code: %s\n\nThe other player chooses Play online, Join a game, "
                "and types it (or starts morvask --join %s). Others watch with "
                "morvask --watch %s\n\nWaiting for the other player; OK stops waiting."},
    {.id = OnlineDirectWaiting,
     .chinese = "对方在菜单中选择“联机游戏”、“加入一局”并输入\n%s\n"
                "（ADDRESS：本机在你们网络中的地址%s）\n\n正在等待对方；按确定停止等待。",
     .english = "The other player chooses Play online, Join a game, and types\n%s\n"
                "(ADDRESS: this computer's address on your network%s)\n\n"
                "Waiting for the other player; OK stops waiting."},
    {.id = OnlineJoining,
     .chinese = "正在加入 %s……\n\n按确定停止。",
     .english = "Joining %s...\n\nOK stops."},
    {.id = OnlineNotStarted,
     .chinese = "联机游戏未能开始：%s",
     .english = "The online game did not start: %s"},
};

constexpr bool RowsInOrder() {
    for (int i = 0; i < MenuTextCount; ++i)
        if (MenuTexts[i].id != i)
            return false;
    return true;
}
static_assert(RowsInOrder(), "every menu text in the order of MenuTextId");

}  // namespace

const char* MenuTextIn(Language language, MenuTextId id) {
    const MenuTextRow& row = MenuTexts[id];
    return language == English ? row.english : row.chinese;
}

const char* MenuText(MenuTextId id) {
    return MenuTextIn(CurrentLanguage, id);
}
