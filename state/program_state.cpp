// The records that live for the whole run.
#include "state/program_state.h"

GameModeValue GameMode = Playing;
bool SoundEnabled = false;
int32_t MouseX = 0;
int32_t MouseY = 0;
platform::Window MainWindow = nullptr;
bool TickUnderWay = false;
// Brick, the first of the editor's blocks.
int32_t Brush = 1;
bool TurretLockLatch = true;
std::vector<int32_t> LevelSet;
