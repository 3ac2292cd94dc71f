// The program's entry: the window and its surfaces, the generator, the
// levels, the three start-up boxes and the first game, then the message loop.
#include <cstdint>

#include "app/main_window.h"
#include "battle/level_start.h"
#include "levels/builtin_levels.h"
#include "levels/level_grid.h"
#include "render/assets.h"
#include "state/program_state.h"
#include "state/random.h"

namespace {

const char* const AboutText =
    "Morvask Version 1.0\n"
    "策划：林晓川\n"
    "程序：周明远\n"
    "感谢：陈一帆，王若溪，赵青山，李秋禾\n"
    "         等帮助与支持！\n"
    "测试：孙可欣\n"
    "出品：北岭工作室";

}  // namespace

const char* const HelpText =
    "按键说明：\n"
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
    "H键显示帮助";

void StartUp(int showCommand) {
    platform::RegisterClass("Drellwin", platform::CS_HREDRAW | platform::CS_VREDRAW, IconResource,
                            MainWindowProcedure);
    const int screenWidth = platform::GetSystemMetrics(platform::SM_CXSCREEN);
    const int screenHeight = platform::GetSystemMetrics(platform::SM_CYSCREEN);
    // The outer size leaves a 960 x 704 client inside the caption and border.
    MainWindow = platform::CreateWindow(
        "Drellwin", "Morvask V1.0",
        platform::WS_CAPTION | platform::WS_SYSMENU | platform::WS_MINIMIZEBOX,
        (screenWidth - 966) / 2, (screenHeight - 732) / 2 - 10, 966, 732);
    platform::ShowWindow(MainWindow, showCommand);
    platform::UpdateWindow(MainWindow);

    LoadAssets(MainWindow);
    SeedRandom(platform::CalendarTimeSeconds());
    RestoreBuiltInLevels();

    platform::MessageBox(MainWindow, AboutText, "版本信息", platform::MB_OK);
    platform::MessageBox(MainWindow, HelpText, "帮助", platform::MB_OK);
    SoundEnabled = platform::MessageBox(MainWindow, "是否开启游戏音效？", "设置",
                                        platform::MB_YESNO) == platform::IDYES;
    StartNewGame();
}

int MorvaskMain(int showCommand) {
    StartUp(showCommand);
    return platform::RunMessageLoop();
}
