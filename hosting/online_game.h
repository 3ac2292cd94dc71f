// An online game for two in the window: meeting the other program (directly
// or through a lobby) before the window opens, then each tick of the
// rollback session on the host's socket, and the run recorded as the
// replay both programs agree on.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "hosting/online_link.h"
#include "hosting/online_transport.h"
#include "netplay/session.h"
#include "options/command_line.h"

// How long a joiner waits for the host's answer.
inline constexpr int64_t JoinPatienceUs = 30000000;

struct OnlineGame {
    bool active = false;
    OnlineTransport transport;
    OnlineLink link;
    RollbackSession session;
    int32_t inputDelay = DefaultInputDelay;
    bool sessionStarted = false;
    // A press of P not yet carried by an input, and the key as last polled.
    bool pauseAsked = false;
    bool pauseKeyDown = false;
    // Microseconds the ticks owe to the stretch that lets the other catch up.
    int64_t stretchOwedUs = 0;
    // The game as both programs agree on it: its state after the ticks below
    // agreedTick, run again from the real inputs alone and recorded.
    StateSnapshot agreed;
    int32_t agreedTick = 0;
    bool runningAgreed = false;
    int64_t lastSentUs = 0;
    // When the feed for viewers last took the recording so far.
    int64_t feedTakenUs = 0;
    // A game of a set length ends at this agreed tick (0: none), after the
    // last inputs had a moment to reach the other.
    int32_t endTick = 0;
    int64_t endedUs = 0;
    // The ticks of late whose first run showed a box (by tick modulo the
    // ring): a box that opens only when a tick runs again shows then.
    std::array<int32_t, SnapshotRing> boxShownAt{};
    // The boxes opened so far in the run of the tick, and the one shown.
    int32_t boxesThisRun = 0;
    BoxKey openBox;
};
// How often a box that holds the game still tells the other it is there.
inline constexpr int64_t BoxSendEveryUs = 20000;
// How often the feed for viewers takes the recording so far (each time the
// whole replay is written out in memory: a few microseconds a kilobyte).
inline constexpr int64_t FeedTakeEveryUs = 500000;
// How long a game of a set length goes on sending once it has ended.
inline constexpr int64_t EndLingerUs = 1500000;
extern OnlineGame Online;

// Where the host's room code goes once the lobby made it ("ABCDE-FGHJK"):
// null prints how the other joins on standard output; the page shows it.
extern void (*OnlineRoomMade)(const std::string& code);

// Meets the other program as the command line says (--host or --join, the
// lobby's address when one is set, empty otherwise) and exchanges the
// greetings; true once both play. False with why in `error` (told on
// standard error by the caller).
bool MeetOtherProgram(const CommandLine& line, const std::string& lobbyText, std::string& error);

// The same meeting a step at a time, for a program whose window shows while
// it waits: begun (false with why), then looked at about every 10 ms (each
// look moves the datagrams that came and are due), until met or failed
// (MeetingError says why); stopped when the player gives up.
enum MeetingStage : int32_t {
    MeetingAskingLobby,  // the lobby not answered yet
    MeetingRoomMade,     // the lobby made the room: its code is known, no one joined yet
    MeetingGreeting,     // the other's way known, the greetings going
    MeetingMet,
    MeetingFailed,
};
bool BeginMeeting(const CommandLine& line, const std::string& lobbyText, std::string& error);
MeetingStage MeetingStep();
const std::string& MeetingError();
void StopMeeting();
// How the other joins a game hosted without a lobby ("ADDRESS:PORT/CODE"),
// and this computer's addresses ("192.0.2.2 or 198.51.100.7"; empty when
// the host cannot tell).
std::string HowToJoinDirectly();
std::string LocalAddressesText();
// How the other joins, on standard output: a game hosted without a lobby,
// or the room a lobby made (its code; others watch by it too).
void PrintHowToJoin();
void PrintRoomCode(const std::string& code);

// Play online in the menu: offered with the program's command line (its
// lobby, delay and port), it meets the other under the program's boxes;
// once they met, the game in the window ends and MetFromMenu says so.
void OfferOnlineInMenu(const CommandLine& line);
void PlayOnlineFromMenu(bool hosting, const std::string& code);
bool MetFromMenu();

// What a lobby's refusal (or its silence: LobbyNoAnswer) means, for the
// player.
std::string LobbyRefusalText(int32_t refusal, const host::NetAddress& lobby);

// Sets the window's host to run the game from the session (the replay
// driver, live) and starts the recording of the agreed game. Call before
// the window's start-up.
void StartOnlineRun();
// After the message loop: why the game stopped, on standard error and in a
// notice, and the agreed run as a replay (to `recordPath`, or beside the
// settings); the exit status (0 when the player closed the window).
int FinishOnlineRun(const std::string& recordPath, const std::string& keptPath, int exitCode);
