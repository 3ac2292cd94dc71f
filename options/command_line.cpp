// Reads the desktop programs' options. Texts here are for the terminal, in
// English; the game's own texts stay in its boxes.
#include "options/command_line.h"

#include <cctype>
#include <cstring>

namespace {

const char* const VersionText = "Morvask 1.0.0\n";

// A whole number from 1 to 8, or 0.
int ScaleValue(const char* text) {
    if (std::strlen(text) != 1 || text[0] < '1' || text[0] > '8')
        return 0;
    return text[0] - '0';
}

CommandLine Refuse(const std::string& problem) {
    CommandLine result;
    result.action = CommandLineAction::BadUsage;
    // The problem stays in view: one line of it, one line of where to look.
    result.output = "morvask: " + problem + "\nTry 'morvask --help' for more.\n";
    return result;
}

bool TakesValue(const std::string& option) {
    return option == "--scale" || option == "--scale-mode" || option == "--lang" ||
           option == "--hud" || option == "--record" || option == "--play" || option == "--speed" ||
           option == "--share" || option == "--open" || option == "--players" ||
           option == "--lobby" || option == "--join" || option == "--port" ||
           option == "--input-delay" || option == "--online-ticks" || option == "--watch";
}

// The option at argument `i` and its value, given as "--scale=2" or as
// "--scale 2" (then `i` moves on to the value); the problem when a value is
// missing or given to an option that takes none, empty otherwise.
std::string TakeOption(int argumentCount, const char* const* arguments, int& i, std::string& option,
                       std::string& value) {
    option = arguments[i];
    bool hasValue = false;
    if (option.rfind("--", 0) == 0) {
        size_t equals = option.find('=');
        if (equals != std::string::npos) {
            value = option.substr(equals + 1);
            option.resize(equals);
            hasValue = true;
        }
    }
    const bool takesValue = TakesValue(option);
    if (hasValue && !takesValue)
        return "option " + option + " takes no value";
    if (takesValue && !hasValue) {
        if (i + 1 >= argumentCount)
            return "option " + option + " needs a value";
        value = arguments[++i];
    }
    return {};
}

// A whole number of at most five digits from `low` to `high`, or -1.
int SmallNumber(const std::string& text, int low, int high) {
    if (text.empty() || text.size() > 5)
        return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value >= low && value <= high ? value : -1;
}

// The options of online play; the problem when it is no option of ours.
std::string ApplyOnlineOption(const std::string& option, const std::string& value,
                              CommandLine& result) {
    if (option == "--host") {
        result.hostOnline = true;
    } else if (option == "--relay") {
        result.relayOnly = true;
    } else if (option == "--join") {
        if (value.empty() || value.size() > 300)
            return "--join needs the address and code the host printed, or a lobby's room code";
        result.joinText = value;
    } else if (option == "--watch") {
        if (value.empty() || value.size() > 300)
            return "--watch needs the room code of a game played through the lobby";
        result.watchText = value;
    } else if (option == "--port") {
        result.port = SmallNumber(value, 0, 65535);
        if (result.port < 0)
            return "--port is a port from 0 (any free one) to 65535, not \"" + value + "\"";
    } else if (option == "--input-delay") {
        result.inputDelay = SmallNumber(value, 0, 8);
        if (result.inputDelay < 0)
            return "--input-delay is a number of ticks from 0 to 8, not \"" + value + "\"";
    } else if (option == "--online-ticks") {
        result.onlineTicks = SmallNumber(value, 1, 99999);
        if (result.onlineTicks < 0)
            return "--online-ticks is a number of ticks from 1 to 99999, not \"" + value + "\"";
    } else {
        return "unknown option " + option;
    }
    return {};
}

// Sets what one option with its value chooses; the problem when it is no
// option of ours or the value does not fit, empty otherwise.
std::string ApplyOption(const std::string& option, const std::string& value, CommandLine& result) {
    if (option == "--fullscreen" || option == "--windowed") {
        result.fullscreen = option == "--fullscreen";
        result.fullscreenGiven = true;
    } else if (option == "--lang") {
        if (value != "zh" && value != "en")
            return "--lang is zh or en, not \"" + value + "\"";
        result.language = value;
    } else if (option == "--hud") {
        if (value != "auto" && value != "side" && value != "title" && value != "off")
            return "--hud is auto, side, title or off, not \"" + value + "\"";
        result.statusPlace = value;
    } else if (option == "--scale") {
        result.scale = ScaleValue(value.c_str());
        if (result.scale == 0)
            return "--scale takes a whole number from 1 to 8, not \"" + value + "\"";
    } else if (option == "--scale-mode") {
        if (!ScaleModeOfName(value, result.scaleMode))
            return "--scale-mode is integer, fit, sharp or auto, not \"" + value + "\"";
        result.scaleModeGiven = true;
    } else if (option == "--players") {
        if (value != "1" && value != "2")
            return "--players is 1 or 2, not \"" + value + "\"";
        result.players = value[0] - '0';
    } else if (option == "--record") {
        if (value.empty())
            return "--record needs the name of the file to write";
        result.recordPath = value;
    } else if (option == "--play") {
        if (value.empty())
            return "--play needs the name of the replay to play";
        result.playPath = value;
    } else if (option == "--speed") {
        if (value != "1" && value != "2" && value != "4" && value != "8")
            return "--speed is 1, 2, 4 or 8, not \"" + value + "\"";
        result.speed = value[0] - '0';
    } else if (option == "--share") {
        if (value.empty())
            return "--share needs the name of a map or replay file";
        result.sharePath = value;
    } else if (option == "--open") {
        if (value.empty())
            return "--open needs a share code, a link or a file";
        result.openText = value;
    } else if (option == "--lobby") {
        if (!LobbyAddressValid(value))
            return "--lobby is HOST:PORT (a port of 1 to 65535), not \"" + value + "\"";
        result.lobby = value;
    } else {
        return ApplyOnlineOption(option, value, result);
    }
    return {};
}

}  // namespace

bool LobbyAddressValid(const std::string& text) {
    std::string name;
    int32_t port = 0;
    if (text.size() > 260 || !host::SplitHostPort(text, name, port))
        return false;
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':' ||
              c == '_'))
            return false;
    return true;
}

bool ScaleModeOfName(const std::string& name, host::ScaleMode& mode) {
    for (host::ScaleMode m :
         {host::ScaleInteger, host::ScaleFit, host::ScaleSharp, host::ScaleAuto})
        if (name == host::ScaleModeName(m)) {
            mode = m;
            return true;
        }
    return false;
}

namespace {

// What --help prints.
constexpr const char* Usage =
    "Usage: morvask [OPTION]...\n"
    "A tank battle game with a built-in map editor.\n"
    "\n"
    "Options:\n"
    "  --fullscreen          start on the whole screen\n"
    "  --windowed            start in a window (the default)\n"
    "  --scale N             open the window at N times the field's size, 1 to 8\n"
    "                        (default: the largest that fits, at most 2)\n"
    "  --scale-mode MODE     integer: whole multiples with black bars\n"
    "                        fit: fill the window, keeping the aspect\n"
    "                        sharp: a whole multiple, then smoothly to fill\n"
    "                        auto: integer where it fills 80%, else sharp (the\n"
    "                        default); F10 switches while playing\n"
    "  --lang LANG           zh: the boxes and the help in Simplified Chinese (the\n"
    "                        default, whatever the system's language); en: English\n"
    "  --hud MODE            where the level, tanks, enemies and upgrades show:\n"
    "                        auto (a panel beside the field where there is room,\n"
    "                        else the window's title; the default), side, title,\n"
    "                        or off\n"
    "  --players N           1: a game for one player (the default); 2: a game of\n"
    "                        two players, the second on its own keys or the\n"
    "                        second gamepad (N in play switches for the next game)\n"
    "  --record FILE         write the whole run to FILE as a replay when the game\n"
    "                        ends (check it with morvask-sim --verify FILE)\n"
    "  --play FILE           watch the replay in FILE in the window: your keys and\n"
    "                        mouse do not reach the game, P pauses and resumes,\n"
    "                        closing the window stops. Ends with the replay (exit\n"
    "                        0); a game that parts from the recording stops with a\n"
    "                        box naming the tick (exit 1); a file that is not a\n"
    "                        replay of this game is refused (exit 2)\n"
    "  --speed N             with --play: play N times as fast, N = 1, 2, 4 or 8\n"
    "  --open CODE|URL|FILE  open a shared level or level set (a share code, a\n"
    "                        link with #levels=, or a map file) in the editor, or\n"
    "                        play a shared replay (#replay=, or a replay file)\n"
    "  --share FILE          print the share code and link of a map file (a level\n"
    "                        set or one level) or a replay file, and exit\n"
    "  --lobby HOST:PORT     the lobby where online games find each other (for\n"
    "                        example lobby.example.org:41700; ./scripts/lobby\n"
    "                        runs one); wins over the settings file's lobby\n"
    "  --host                host an online game for two: prints how the other\n"
    "                        player joins and waits for them (through the lobby\n"
    "                        when one is set, else directly on --port)\n"
    "  --port N              the UDP port --host waits on without a lobby\n"
    "                        (41701 by default; 0: any free one)\n"
    "  --join WHERE          join an online game: WHERE is what the host printed,\n"
    "                        ADDRESS:PORT/CODE, or the lobby's room code\n"
    "  --input-delay N       ticks by which an online game plays keys late so that\n"
    "                        they reach the other player in time (0 to 8; 2)\n"
    "  --watch CODE          watch the online game of the lobby's room CODE a few\n"
    "                        seconds behind, and keep its replay\n"
    "  --relay               with a lobby: play through its relay from the start\n"
    "                        (where the direct path between the two never opens)\n"
    "  --online-ticks N      end the online game by itself after N ticks that both\n"
    "                        programs agree on (a game of a set length, for tests)\n"
    "  --help                show this help and exit\n"
    "  --version             show the version and exit\n"
    "\n"
    "Keys:\n"
    "  Arrows move the tank, W A S D turn the gun, L locks it, Space fires.\n"
    "  P pauses, H shows the help, F1 switches between playing and the editor,\n"
    "  F2 loads the custom map, F3 saves it (in the editor).\n"
    "  In the editor the left button paints, the right button clears,\n"
    "  1 to 7 choose the cell and Up and Down change the level.\n"
    "  Ctrl+Z undoes, Ctrl+Y or Ctrl+Shift+Z redoes, Ctrl+C and Ctrl+V copy\n"
    "  and paste a level, Ctrl+Delete clears it, F5 tries it (Esc returns).\n"
    "  F11 or Alt+Enter switches full screen on and off, + and - set the volume.\n"
    "  R shows your records and offers a fresh game at the highest level\n"
    "  reached; K lists these keys in a box.\n"
    "  N asks whether to start a new game for two players (or for one).\n"
    "  The play keys can be changed in the settings file.\n"
    "\n"
    "Second player (with --players 2):\n"
    "  Keypad 8, 5, 4, 6 move the tank, Home, End, Delete, PageDown turn the\n"
    "  gun up, down, left, right, Keypad 7 locks it, Keypad 0 fires; or the\n"
    "  second gamepad, laid out as the first. Its keys are p2_up ... p2_fire\n"
    "  in the settings file.\n"
    "\n"
    "Gamepad:\n"
    "  D-pad or left stick moves, the face buttons turn the gun toward their\n"
    "  side (north W, west A, south S, east D) as does the right stick, the\n"
    "  right shoulder or trigger fires, the left shoulder locks the gun,\n"
    "  Start pauses, Back shows the help. In a box, A answers OK or Yes and\n"
    "  B answers No.\n"
    "\n"
    "Files:\n"
    "  map.txt in the current working directory holds the custom levels.\n"
    "  The settings (lang, fullscreen, scale, scale_mode, volume, intro, hud,\n"
    "  players, the play keys, pad_deadzone, lobby) are kept in\n"
    "  $XDG_CONFIG_HOME/morvask/settings.ini,\n"
    "  or ~/.config/morvask/settings.ini without XDG_CONFIG_HOME (on Windows\n"
    "  %APPDATA%\\Morvask\\settings.ini), written with its defaults and\n"
    "  their explanations on the first start. Options given here win over it.\n"
    "  The records (R) are kept in records.txt beside the settings file.\n";

// An online game is one thing to do: it is not a replay, nor both ends.
CommandLine CheckOnlineOptions(const CommandLine& result) {
    const bool online = result.hostOnline || !result.joinText.empty();
    if (result.hostOnline && !result.joinText.empty())
        return Refuse("--host and --join cannot be given together");
    // Without --host or --join they are for a game chosen in the menu's Play
    // online, which a replay or a watched game has none of.
    if ((result.onlineTicks > 0 || result.relayOnly) && !online &&
        (!result.playPath.empty() || !result.watchText.empty()))
        return Refuse(std::string(result.relayOnly ? "--relay" : "--online-ticks") +
                      " goes with an online game: --host, --join, or the menu's Play online");
    if (online && (!result.playPath.empty() || !result.openText.empty()))
        return Refuse("an online game (--host, --join) cannot play a replay or open levels");
    if (!result.watchText.empty() &&
        (online || !result.playPath.empty() || !result.openText.empty()))
        return Refuse("--watch is one thing to do: not with --host, --join, --play or --open");
    return result;
}

}  // namespace

std::string UsageText() {
    return Usage;
}

CommandLine ReadCommandLine(int argumentCount, const char* const* arguments) {
    CommandLine result;
    bool speedGiven = false;
    for (int i = 0; i < argumentCount; ++i) {
        std::string option;
        std::string value;
        std::string problem = TakeOption(argumentCount, arguments, i, option, value);
        if (!problem.empty())
            return Refuse(problem);
        if (option == "--help" || option == "-h") {
            result.action = CommandLineAction::Exit;
            result.output = UsageText();
            return result;
        }
        if (option == "--version") {
            result.action = CommandLineAction::Exit;
            result.output = VersionText;
            return result;
        }
        problem = ApplyOption(option, value, result);
        if (!problem.empty())
            return Refuse(problem);
        speedGiven = speedGiven || option == "--speed";
    }
    if (speedGiven && result.playPath.empty() && result.openText.empty())
        return Refuse("--speed goes with --play or --open");
    if (!result.openText.empty() && !result.playPath.empty())
        return Refuse("--open and --play cannot be given together");
    // A replay of a replay would be the same file again.
    if (!result.playPath.empty() && !result.recordPath.empty())
        return Refuse("--play and --record cannot be given together");
    return CheckOnlineOptions(result);
}
