// The program-wide reset: one call to each module's own reset. A module with
// state of its own that is left out here leaks from one run into the next.
#include "hosting/program_reset.h"

#include "battle/level_start.h"
#include "editor/commands.h"
#include "editor/history.h"
#include "editor/mode_keys.h"
#include "editor/painting.h"
#include "editor/share_keys.h"
#include "levels/level_origin.h"
#include "options/key_bindings.h"
#include "options/settings_file.h"
#include "render/draw.h"
#include "render/frame_layers.h"
#include "replay/player.h"
#include "replay/recorder.h"
#include "replay/run_share.h"
#include "shell/main_window.h"
#include "shell/menu.h"
#include "shell/records.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "state/random.h"
#include "texts/texts.h"

void ResetProgram() {
    ResetRunState();
    ResetBattleState();
    // The generator's state at program start.
    SeedRandom(1);
    ResetLanguage();
    ResetDrawing();
    ResetFrameLayers();
    ResetStartCounters();
    ResetEditorCommands();
    ResetLevelOrigin();
    DropEditorHistory();
    ResetBrush();
    ResetShareKeys();
    ResetKeyBindings();
    ResetPlayerSettings();
    ResetRecorder();
    ResetPlayback();
    ResetRunShare();
    // With the records' watch, the Z keys' flag they clear.
    ResetRecords();
    ResetIntro();
    ResetEditorModeKeys();
    ResetMenu();
}
