// The shell's globals.
#include "app/shell_state.h"

int32_t GameMode = Playing;
bool SoundEnabled = false;
int32_t MouseX = 0;
int32_t MouseY = 0;
platform::Window MainWindow = nullptr;
