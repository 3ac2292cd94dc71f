// The program's entry and its window procedure: start-up, the mode state
// machine and the shell's key commands.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

// How start-up opens: the game's own boxes (about, help, the sound
// question), or with `shortIntro` none of them and `sound` as the answer.
// With `soundGiven` (the setting `sound = on|off`) the about and help boxes
// show and `sound` answers the question, which does not.
struct IntroChoice {
    bool shortIntro = false;
    bool sound = false;
    bool soundGiven = false;
};
extern IntroChoice Intro;
// The start as a replay records it (its shown option `intro`), and back: 0
// the game's boxes, 1 and 2 short with the sound off or on, 3 and 4 the
// about and help boxes with the sound off or on unasked.
uint8_t RecordedIntro(const IntroChoice& intro);
IntroChoice IntroOfRecorded(uint8_t recorded);
// The game's own boxes again, as at program start, and no start notice.
void ResetIntro();
// What start-up tells first, once the window shows (the settings file's
// problems), with a damaged records file's: one box of the program's own.
void SetStartNotice(const std::string& text);

// The whole program: start-up, then the message loop; returns the exit code
// of the quit message. Backends call it from their process entry.
int MorvaskMain(int showCommand);

// Start-up alone, up to the message loop: the window and its surfaces, the
// generator, the levels, the three start-up boxes and the first game.
void StartUp(int showCommand);

// Every message of the main window arrives here.
intptr_t MainWindowProcedure(platform::Window window, uint32_t message, uintptr_t wParam,
                             intptr_t lParam);
