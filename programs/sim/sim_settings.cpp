// morvask-sim's settings commands: what a script sets as settings.ini would.
#include "programs/sim/sim_settings.h"

#include "options/settings_file.h"
#include "programs/sim/script_text.h"
#include "shell/main_window.h"
#include "state/program_state.h"

namespace {

bool Players(const std::string& word, std::string& error) {
    if (word != "1" && word != "2") {
        error = "bad player count '" + word + "' (1 or 2)";
        return false;
    }
    PlayersChosen = word == "2" ? 2 : 1;
    return true;
}

bool Sound(const std::string& word, std::string& error) {
    StartSound sound = StartSoundAsk;
    if (!StartSoundOfName(Lower(word), sound)) {
        error = "'sound' takes ask, on or off, not '" + word + "'";
        return false;
    }
    PlayerSettings.startSound = sound;
    Intro.soundGiven = sound != StartSoundAsk;
    // Asked, a short start keeps the sim's sound on (as `--intro short` has it).
    Intro.sound = sound == StartSoundAsk ? Intro.shortIntro : sound == StartSoundOn;
    if (Intro.soundGiven)
        EscapeOpensMenu = true;
    return true;
}

}  // namespace

bool RunSettingCommand(const std::vector<std::string>& words, bool started, std::string& error) {
    const std::string name = Lower(words[0]);
    if (started) {
        error = "'" + name + "' must come before 'start'";
        return false;
    }
    return name == "players" ? Players(words[1], error) : Sound(words[1], error);
}
