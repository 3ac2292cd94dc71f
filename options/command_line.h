// The desktop programs' command line: the options that choose how the window
// shows the game, recording and playing replays, and --help and --version.
#pragma once

#include <cstdint>
#include <string>

#include "platform/host.h"

// The scale mode of a setting's or option's value (lower case, as
// host::ScaleModeName gives it); false for none.
bool ScaleModeOfName(const std::string& name, host::ScaleMode& mode);

// Whether a lobby's address is written as HOST:PORT (a name or an address,
// an IPv6 one in brackets, and a port of 1 to 65535); it is looked up only
// when a game goes online.
bool LobbyAddressValid(const std::string& text);

// The UDP port an online game is hosted on when none is given.
inline constexpr int DefaultOnlinePort = 41701;

enum class CommandLineAction {
    RunGame,   // start the game with the options read
    Exit,      // print `output` on standard output and exit 0
    BadUsage,  // print `output` (the problem, and a hint of --help) on standard error, exit 2
};

struct CommandLine {
    CommandLineAction action = CommandLineAction::RunGame;
    std::string output;
    bool fullscreen = false;
    int scale = 0;  // 1 to 8; 0 when not given
    host::ScaleMode scaleMode = host::ScaleAuto;
    // Whether the options were given at all: what is given wins over the
    // settings file.
    bool fullscreenGiven = false;
    bool scaleModeGiven = false;
    // --players N: 1 or 2 players in every new game; 0 when not given.
    int players = 0;
    // "zh" or "en"; empty when not given.
    std::string language;
    // --hud auto|side|title|off, where the status shows; empty when not given.
    std::string statusPlace;
    // --record FILE: the run is written to FILE as a replay when it ends.
    std::string recordPath;
    // --play FILE: the replay in FILE is played in the window instead of a
    // game; --speed N (1, 2, 4 or 8) plays it N times faster.
    std::string playPath;
    int speed = 1;
    // --share FILE: print the share code and link of a map or replay file and
    // exit, with no window.
    std::string sharePath;
    // --open CODE|URL|FILE: a level set opened in the editor, or a replay
    // played as with --play.
    std::string openText;
    // --lobby HOST:PORT: the lobby where online games find each other;
    // empty when not given.
    std::string lobby;
    // --host: wait for the other player of an online game (on --port, or
    // through the lobby when one is set); --join WHERE: join one, WHERE the
    // host's ADDRESS:PORT/CODE or the lobby's room code.
    bool hostOnline = false;
    int port = DefaultOnlinePort;
    std::string joinText;
    // --watch CODE: watch the online game of a lobby's room (empty: none).
    std::string watchText;
    // --input-delay N: the ticks an online game plays a key late (0 to 8).
    int inputDelay = 2;
    // --online-ticks N: the online game ends by itself once both programs
    // agree on N ticks (0: when a player closes the window).
    int onlineTicks = 0;
    // --relay: through the lobby's relay from the start, for networks where
    // the direct path never opens.
    bool relayOnly = false;
};

// Reads the arguments after the program's name; the last of --fullscreen and
// --windowed wins.
CommandLine ReadCommandLine(int argumentCount, const char* const* arguments);

// What --help prints.
std::string UsageText();
