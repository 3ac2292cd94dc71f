// What a host offers the programs beyond the window system of platform.h:
// the window's options and scale modes, volume and pads, the status beside
// the field, recording and replaying a run, notices and drops. Declared once;
// every backend implements all of it (headless/ as the null host), so a
// feature written above this line reaches every program alike.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/platform.h"

namespace host {

// ---- The concepts a host and the settings share -----------------------------

// How the window scales the field (F10 steps through them in this order;
// the settings file stores the names of ScaleModeName).
enum ScaleMode : int32_t {
    ScaleInteger = 0,  // the largest whole multiple that fits, sharp pixels
    ScaleFit = 1,      // the largest factor that fits, nearest neighbour
    ScaleSharp = 2,    // even blocks, blended only at their edges, to the largest factor
    ScaleAuto = 3,     // integer where it fills 80 % of the limiting side, else sharp
};
inline constexpr int ScaleModeCount = 4;
ScaleMode NextScaleMode(ScaleMode mode);
// "integer", "fit", "sharp" or "auto".
const char* ScaleModeName(ScaleMode mode);

// Where the status (level, tanks, enemies, upgrades) shows: the panel where
// the bar beside the field has room and the title elsewhere (auto), only the
// panel (side), only the title (title), or nowhere (off).
enum StatusPlace : int32_t {
    StatusAuto = 0,
    StatusSide = 1,
    StatusTitle = 2,
    StatusOff = 3,
};
// "auto", "side", "title" or "off".
const char* StatusPlaceName(StatusPlace place);

// ---- Start and stop ---------------------------------------------------------

// Makes ready what the host needs before a window can show: false, with one
// line on standard error saying why, when there is nothing to show it on.
bool Start();
// Gives back what the host holds (audio, display, surfaces) before the
// process exits.
void Stop();

// ---- The window -------------------------------------------------------------

struct WindowOptions {
    bool fullscreen = false;
    // The start size as a whole multiple of the field (1 to 8); 0 chooses
    // from the screen's size.
    int scale = 0;
    ScaleMode scaleMode = ScaleAuto;
};
// Before the window is created.
void SetWindowOptions(const WindowOptions& options);
// Told each time F11 (or Alt+Enter) switches full screen, and each time F10
// changes the scale mode: the settings remember both.
void SetFullscreenObserver(void (*observer)(bool fullscreen));
void SetScaleModeObserver(void (*observer)(ScaleMode mode));
// Full screen on or off, and the scale mode, chosen in the game's options as
// F11 and F10 choose them (the observers are told as for those keys). A host
// whose page places the field itself keeps its own.
void ChooseFullscreen(bool fullscreen);
void ChooseScaleMode(ScaleMode mode);

// What the window's brief indicator says, in the player's language: the
// volume in percent, a scale mode (for auto, `shownAs` is what it chose).
struct IndicatorTexts {
    std::string (*volume)(int percent) = nullptr;
    std::string (*scaleMode)(ScaleMode mode, ScaleMode shownAs) = nullptr;
};
void SetIndicatorTexts(const IndicatorTexts& texts);

// ---- Sound and pads ---------------------------------------------------------

// Every sound's loudness in percent (0 to 100).
void SetVolume(int percent);
int Volume();
// The + and - keys: 10 points a step, and the observer told the new value.
void StepVolume(int steps);
void SetVolumeObserver(void (*observer)(int percent));

// Opens the pads attached now and follows those plugged in later.
void StartPads();
// The part of the sticks' travel that counts as rest, in percent.
void SetPadDeadZone(int percent);

// ---- The status beside the field --------------------------------------------

// A sprite of one of the game's sheets: its image at (x, y), its mask
// directly below, as platform::SpriteBlt draws it.
struct SheetSprite {
    const platform::SurfaceData* sheet = nullptr;
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const SheetSprite&) const = default;
};

// What the status says now, in the player's language.
struct StatusShown {
    bool shown = false;   // false: no panel, and the game's own title
    std::string heading;  // over the number: "LEVEL", or the editor's name
    int32_t level = 0;
    bool game = false;  // the rows of tanks, enemies and upgrades
    std::string tanksLabel, enemiesLabel, upgradesLabel;
    int32_t tanks = 0, enemies = 0;
    int32_t upgrades[4] = {};
    int32_t upgradeCaps[4] = {};
    // A game of two players: each player's tanks and upgrades under its label.
    bool twoPlayers = false;
    std::string player1Label, player2Label;
    int32_t tanks2 = 0;
    int32_t upgrades2[4] = {};
    // The pictures: the player's and an enemy's tank (hull, then gun), and
    // the four items.
    SheetSprite playerTank[2], enemyTank[2], items[4];
    // In a game of two, each player's plate, shown on its tank as in play.
    SheetSprite playerMark[2];
    // The compact form that follows the game's title.
    std::string titleSuffix;
    // One short line under the panel's rows: how to open the menu (empty:
    // none).
    std::string hint = {};
    bool operator==(const StatusShown&) const = default;
};

// Where the status goes, and where it comes from: `source` is asked before
// every frame shown, and the status drawn again only when it changed. With
// MORVASK_STATUS_FILE set, each change of what shows is written to that file
// as one line (the tests read it): "panel level=3 tanks=2 enemies=14
// upgrades=1/0/2/0" (with " tanks2=3 upgrades2=0/0/0/0" for two players),
// "title TITLE" or "none".
void SetStatusDisplay(StatusPlace place, void (*source)(StatusShown& shown));

// ---- Recording and replaying a run ------------------------------------------

// A recorder of the run: told of every message that comes from outside the
// game (input, window changes, ticks), before and after the window procedure
// gets it, of every box's answer, and of every text the game read from the
// clipboard or a drop. Messages the game's own calls cause (a box's
// activation, the destroy message) are not outside ones.
struct InputRecorder {
    void (*arriving)(uint32_t message, uintptr_t wParam, intptr_t lParam) = nullptr;
    void (*done)(uint32_t message, uintptr_t wParam) = nullptr;
    void (*boxAnswered)(int answer) = nullptr;
    void (*textRead)(const std::string& text) = nullptr;
};
void SetInputRecorder(const InputRecorder& recorder);

// A replay played in the window instead of the player's input: the host
// drops what the player does (but P, which pauses the playback, and closing
// the window, which stops it) and calls `playTick` at the game's pace times
// `speed`; the game's boxes show a moment and close with `boxAnswer`'s
// answer.
// What a host tells an online game of a shown box: it opens (the answer:
// whether the box waits for the players; false shows it a moment), it waits
// (called about every 10 ms; false when the other player answered it or the
// game stopped, and the box closes), or this player answered it.
enum LiveBoxStep : int32_t { LiveBoxOpens = 0, LiveBoxWaits = 1, LiveBoxAnsweredHere = 2 };

struct ReplayDriver {
    // Plays the recorded messages up to and including the next tick; false
    // when the playback is over (ended, or parted from the recording).
    bool (*playTick)() = nullptr;
    // The recorded answer of the box being opened (MB_OK or MB_YESNO type).
    int (*boxAnswer)(uint32_t boxType) = nullptr;
    // The recorded text of the game's read of the clipboard or a drop.
    std::string (*textRead)() = nullptr;
    // Called once the playback is over, before the message loop returns
    // (may be null).
    void (*finished)() = nullptr;
    int speed = 1;
    // How long a tick of the game lasts at normal speed.
    int tickMs = 10;
    // An online game rather than a replay: `playTick` reads the player's own
    // keys (PlayerKeyDown) and P is the game's, not a pause of the playback.
    bool live = false;
    // Whether the box being opened is shown (null: always); a box of a tick
    // run again is answered at once, unseen.
    bool (*boxShown)() = nullptr;
    // An online game's box, shown until a player answers it, here or on the
    // other screen (null: shown a moment, as a replay's). Hosts that cannot
    // hold a box take it as answered here at once.
    bool (*liveBox)(LiveBoxStep step) = nullptr;
    // What the window's title calls the playback (null: a replay), as
    // " - watching".
    const char* titleTag = nullptr;
};
void SetReplayDriver(const ReplayDriver& driver);
// The keys the game's polls see down from now on.
void SetReplayedKeys(const std::bitset<256>& keys);
// Delivers one recorded message to the window procedure as it was delivered
// when it was recorded; false for a tick while the game's timer `wParam` is
// not set.
bool DeliverReplayed(uint32_t message, uintptr_t wParam, intptr_t lParam);
// Whether the viewer closed the window during the playback.
bool ReplayStoppedByViewer();
// The player's own key (after the key bindings), down now whatever keys a
// driver sets for the game: what an online game sends of this player.
bool PlayerKeyDown(int virtualKey);

// ---- Notices, drops and signals ---------------------------------------------

// A box of the program's own over the game (a playback that went wrong, a
// shared link): shown until answered; nothing of it reaches the game or a
// recording. Returns at once when there is no window. With `warning` false
// it has no warning sign (a page of help).
void ShowNotice(const char* textUtf8, const char* captionUtf8, bool warning = true);
// A box of the program's own that waits on the world outside (the other
// player of an online game): `waiting` is called about every 10 ms while it
// shows, and the box closes when it returns false. True when it closed so;
// false when the player closed it first (its button, Esc, the window's
// close) or there is no window to show it in.
bool ShowWaitingNotice(const char* textUtf8, const char* captionUtf8, bool (*waiting)());
// The game in the window ends by the program's own choice (the player goes
// on to an online game): the window goes without the game's close (no
// farewell, no question), and the message loop returns 0 once the message
// being handled is done. The host then runs a game in a new window as at
// start.
void EndGameInWindow();
// Text dropped on the window as soon as the game's message loop runs (what
// --open names): the game takes it as any drop.
void DropAfterStart(const std::string& text);
// From now on an interrupt or a polite kill ends the run cleanly: the
// message loop returns 128 + the signal's number before its next message,
// and a box open then closes with its close button's answer. Hosts without
// such signals ignore it.
void StopOnSignals();

// ---- The network ------------------------------------------------------------
// A datagram transport: UDP sockets on the desktop, an in-memory link in the
// headless host, none yet in the browser. Nothing here blocks: a program
// polls its sockets once a frame.

// An address and port: IPv4 in the first 4 bytes (the rest zero), or IPv6
// in all 16, in network order.
struct NetAddress {
    int32_t family = 0;  // 4 or 6; 0 for none
    uint8_t bytes[16] = {};
    int32_t port = 0;  // 0 to 65535
    bool operator==(const NetAddress&) const = default;
};
// The largest datagram sent or received: a longer one arriving is dropped
// whole, never cut.
inline constexpr int32_t NetDatagramMax = 1200;
struct NetDatagram {
    NetAddress from;
    int32_t size = 0;
    uint8_t bytes[NetDatagramMax];
};

// Whether this host has a network at all (false in the browser for now).
bool NetAvailable();
// Opens a socket on `local` (port 0: any free one); its number (0 or more),
// or -1 with why in `error`.
int32_t NetOpen(const NetAddress& local, std::string& error);
// Where an open socket is bound (its port chosen when 0 was asked).
NetAddress NetBound(int32_t socket);
// Hands one datagram of 1 to NetDatagramMax bytes to the network; false when
// it could not (the socket closed, a bad size or address, the network's
// refusal). Delivery is never certain.
bool NetSend(int32_t socket, const NetAddress& to, const uint8_t* bytes, int32_t size);
// The next datagram waiting on the socket; false at once when none is.
bool NetReceive(int32_t socket, NetDatagram& datagram);
void NetClose(int32_t socket);
// Waits until a datagram is waiting on the socket or `milliseconds` have
// passed (at most 1000), whichever is first: a loop that has nothing else to
// do sleeps here rather than spin.
void NetWait(int32_t socket, int32_t milliseconds);
// This computer's own IPv4 addresses on its networks (loopback left out),
// for a host to tell the other player; empty where the host cannot know.
std::vector<NetAddress> NetLocalAddresses();
// A steady clock for the network's timing, in microseconds.
int64_t NetClockMicroseconds();
// "host:port" or "[v6 address]:port" to an address (the host's name looked
// up where the host can); false with why in `error`.
bool NetResolve(const std::string& hostPort, NetAddress& address, std::string& error);

// Shared by every host (platform/shared/net_text.cpp): "host:port" split into
// its parts, false when the text is not of that shape or the port is not 1
// to 65535; an address written back as "1.2.3.4:5" or "[::1]:5"; and an
// address of the text's digits alone ("127.0.0.1", "::1"), without a look-up.
bool SplitHostPort(const std::string& text, std::string& hostName, int32_t& port);
std::string NetAddressText(const NetAddress& address);
bool NetNumericAddress(const std::string& hostName, int32_t port, NetAddress& address);

}  // namespace host
