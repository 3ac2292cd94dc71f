// The records that live for the whole run.
#include "state/program_state.h"

#include "state/battle_state.h"

GameModeValue GameMode = Playing;
bool SoundEnabled = false;
int32_t MouseX = 0;
int32_t MouseY = 0;
platform::Window MainWindow = nullptr;
bool TickUnderWay = false;
bool TickRunAgain = false;
int32_t PlayersChosen = 1;
int32_t PlayersQuestionsAsked = 0;
bool PlayersQuestionOffered = true;
bool EscapeOpensMenu = false;
int32_t MenusOpened = 0;
int32_t MenuHostRows = 0;
bool InputReplayed = false;
std::vector<int32_t> LevelSet;

void ResetRunState() {
    GameMode = Playing;
    SoundEnabled = false;
    MouseX = 0;
    MouseY = 0;
    MainWindow = nullptr;
    TickUnderWay = false;
    TickRunAgain = false;
    for (PlayerSide& side : Players)
        side.turretLockLatch = true;
    PlayersChosen = 1;
    PlayersQuestionsAsked = 0;
    PlayersQuestionOffered = true;
    EscapeOpensMenu = false;
    MenusOpened = 0;
    MenuHostRows = 0;
    InputReplayed = false;
    LevelSet.clear();
}
