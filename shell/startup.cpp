// The program's entry: the window and its surfaces, the generator, the
// levels, the three start-up boxes and the first game, then the message loop.
#include <cstdint>
#include <string>

#include "battle/level_start.h"
#include "levels/builtin_levels.h"
#include "levels/level_grid.h"
#include "platform/host.h"
#include "render/frame_layers.h"
#include "render/sheets.h"
#include "shell/help_text.h"
#include "shell/main_window.h"
#include "shell/records.h"
#include "state/program_state.h"
#include "state/random.h"
#include "texts/notice_texts.h"
#include "texts/texts.h"

IntroChoice Intro;

namespace {

std::string StartNotice;

// The problems found before the window showed, in one box of the program's
// own before the game's first: no terminal is needed to read them, and the
// game's boxes, a replay and morvask-sim's output are as they were.
void ShowStartProblems() {
    std::string text = StartNotice;
    const std::string records = RecordsStartNotice();
    if (!records.empty())
        text += (text.empty() ? "" : "\n\n") + records;
    if (!text.empty())
        host::ShowNotice(text.c_str(), NoticeText(StartProblemsCaption));
}

}  // namespace

void SetStartNotice(const std::string& text) {
    StartNotice = text;
}

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
    MakeLayers();
    ShowStartProblems();
    SeedRandom(platform::CalendarTimeSeconds());
    RestoreBuiltInLevels();

    if (Intro.shortIntro) {
        SoundEnabled = Intro.sound;
    } else {
        platform::MessageBox(MainWindow, Text(AboutText), Text(AboutCaption), platform::MB_OK);
        platform::MessageBox(MainWindow, CurrentHelpText(), Text(HelpCaption), platform::MB_OK);
        SoundEnabled =
            Intro.soundGiven
                ? Intro.sound
                : platform::MessageBox(MainWindow, Text(SoundQuestion), Text(SettingsCaption),
                                       platform::MB_YESNO) == platform::IDYES;
    }
    StartNewGame();
}

int MorvaskMain(int showCommand) {
    StartUp(showCommand);
    return platform::RunMessageLoop();
}

uint8_t RecordedIntro(const IntroChoice& intro) {
    if (intro.shortIntro)
        return intro.sound ? 2 : 1;
    if (intro.soundGiven)
        return intro.sound ? 4 : 3;
    return 0;
}

IntroChoice IntroOfRecorded(uint8_t recorded) {
    return {.shortIntro = recorded == 1 || recorded == 2,
            .sound = recorded == 2 || recorded == 4,
            .soundGiven = recorded == 3 || recorded == 4};
}

void ResetIntro() {
    Intro = IntroChoice{};
    StartNotice.clear();
}
