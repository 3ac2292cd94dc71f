// An online game in the window, tick by tick: the player's keys become this
// side's input, the other's arrive on the socket, the rollback session runs
// the game, and the ticks both have the real inputs of are run once more, in
// the agreed game, which is what the replay records.
#include <algorithm>
#include <bitset>
#include <cstdio>
#include <string>

#include "hosting/online_game.h"
#include "options/settings_file.h"
#include "platform/host.h"
#include "render/draw.h"
#include "replay/recorder.h"
#include "shell/main_window.h"
#include "state/program_state.h"
#include "texts/notice_texts.h"

namespace {

// The live game while the agreed one runs its ticks.
StateSnapshot LiveState;

std::bitset<256> KeysOf(const TickInput inputs[2]) {
    std::bitset<256> keys;
    for (int32_t side = 0; side < 2; ++side)
        for (int32_t bit = 0; bit < TickKeyCount; ++bit)
            if (const int code = TickKeyCode(side, bit); code > 0 && code < 256)
                keys.set(size_t(code), ((inputs[side].keys >> bit) & 1) != 0);
    return keys;
}

// A tick run again draws nothing: the frame shown is the present's.
void RunOnlineTick(const TickInput inputs[2]) {
    Online.boxesThisRun = 0;
    DrawingEnabled = !TickRunAgain;
    host::SetReplayedKeys(KeysOf(inputs));
    host::DeliverReplayed(platform::WM_TIMER, BattleTimer, 0);
    DrawingEnabled = true;
}

// The player plays with the first player's keys on either side; P asks for
// the pause of both, once per press.
TickInput PollOwnInput(int32_t side) {
    TickInput input;
    for (int32_t bit = 0; bit < TickKeyCount; ++bit) {
        const int code = TickKeyCode(0, bit);
        if (code != 0 && TickKeyCode(side, bit) != 0 && host::PlayerKeyDown(code))
            input.keys = uint16_t(input.keys | (1u << bit));
    }
    const bool pauseDown = host::PlayerKeyDown('P');
    if (pauseDown && !Online.pauseKeyDown)
        Online.pauseAsked = true;
    Online.pauseKeyDown = pauseDown;
    if (Online.pauseAsked)
        input.commands = PauseCommand;
    return input;
}

// One agreed tick, recorded as the replay plays it back: the pause as the
// press of P, then the keys and the tick.
void RecordAgreedTick(int32_t tick) {
    const RollbackSession& s = Online.session;
    TickInput inputs[2];
    inputs[s.localSide] = LocalInputAt(s, tick);
    inputs[1 - s.localSide] = s.remote[size_t(tick % InputRing)];
    if (((inputs[0].commands | inputs[1].commands) & PauseCommand) != 0) {
        RecordMessage(platform::WM_KEYDOWN, 'P', 0);
        host::DeliverReplayed(platform::WM_KEYDOWN, 'P', 0);
        RecordMessageDone(platform::WM_KEYDOWN, 'P');
    }
    host::SetReplayedKeys(KeysOf(inputs));
    RecordMessage(platform::WM_TIMER, BattleTimer, 0);
    host::DeliverReplayed(platform::WM_TIMER, BattleTimer, 0);
    RecordMessageDone(platform::WM_TIMER, BattleTimer);
}

// The agreed game catches up with the ticks whose inputs are all real and
// that the live game has run; silent and undrawn.
void RunAgreedTicks() {
    const RollbackSession& s = Online.session;
    int32_t end = std::min({s.remoteConfirmed, s.localInputEnd, s.tick});
    if (Online.endTick > 0)
        end = std::min(end, Online.endTick);
    if (end <= Online.agreedTick)
        return;
    SaveGameState(LiveState);
    RestoreGameState(Online.agreed);
    TickRunAgain = true;
    DrawingEnabled = false;
    Online.runningAgreed = true;
    for (int32_t tick = Online.agreedTick; tick < end; ++tick)
        RecordAgreedTick(tick);
    Online.runningAgreed = false;
    DrawingEnabled = true;
    TickRunAgain = false;
    Online.agreedTick = end;
    SaveGameState(Online.agreed);
    RestoreGameState(LiveState);
}

void TakeArrivals(int64_t nowUs) {
    uint8_t bytes[host::NetDatagramMax];
    uint8_t reply[MaxDatagramBytes];
    size_t size = 0;
    host::NetAddress from;
    KeepLobby(Online.transport, nowUs);
    while (ReceiveFromPeer(Online.transport, nowUs, bytes, size, from)) {
        const size_t replySize =
            TakeOnlineDatagram(Online.link, Online.session, bytes, size, nowUs, reply);
        if (replySize > 0)
            SendToPeer(Online.transport, reply, replySize, nowUs);
    }
}

// The inputs (or the greeting), and the boxes answered here of late.
void SendOwnDatagrams(int64_t nowUs) {
    uint8_t out[MaxDatagramBytes];
    size_t size = OnlineDatagramToSend(Online.link, Online.session, out);
    if (size > 0)
        SendToPeer(Online.transport, out, size, nowUs);
    size = BoxesDatagramToSend(Online.link, nowUs, out);
    if (size > 0)
        SendToPeer(Online.transport, out, size, nowUs);
    Online.lastSentUs = nowUs;
}

// A peer in the lead lets a tick pass now and then, as much as the session
// asks its ticks be stretched.
bool TickOwed() {
    Online.stretchOwedUs += RecommendedTickLengthUs(Online.session) - TickLengthUs;
    if (Online.stretchOwedUs < TickLengthUs)
        return true;
    Online.stretchOwedUs -= TickLengthUs;
    return false;
}

// The agreed game as recorded so far goes to the lobby's viewers now and
// then; its pieces at their own pace.
void FeedViewers(int64_t nowUs) {
    if (!FeedsViewers(Online.transport))
        return;
    std::string soFar;
    if (nowUs - Online.feedTakenUs >= FeedTakeEveryUs) {
        Online.feedTakenUs = nowUs;
        soFar = RecordedRunSettled();
    }
    KeepFeed(Online.transport, soFar, nowUs);
}

bool PlayOnlineTick() {
    const int64_t now = host::NetClockMicroseconds();
    if (!Online.sessionStarted) {
        StartSession(Online.session, Online.link.hosting ? 0 : 1, Online.inputDelay, RunOnlineTick);
        Online.boxShownAt.fill(-1);
        SaveGameState(Online.agreed);
        Online.sessionStarted = true;
    }
    TakeArrivals(now);
    if (!OnlineLinkAlive(Online.link, Online.session, now))
        return false;
    // A game of a set length: once agreed to its end, its inputs go on a
    // while for the other to agree too, then it ends.
    if (Online.endTick > 0 && Online.agreedTick >= Online.endTick) {
        if (Online.endedUs == 0)
            Online.endedUs = now;
        if (now - Online.endedUs >= EndLingerUs)
            return false;
    } else if (TickOwed()) {
        if (AddLocalInput(Online.session, PollOwnInput(Online.session.localSide)))
            Online.pauseAsked = false;
        AdvanceSession(Online.session);
    }
    RunAgreedTicks();
    SendOwnDatagrams(now);
    FeedViewers(now);
    return !host::ReplayStoppedByViewer();
}

// Every box that opens in play has only OK; a question (none opens in a
// session) is answered No, which changes nothing.
int OnlineBoxAnswer(uint32_t type) {
    return (type & 0xF) == platform::MB_YESNO ? platform::IDNO : platform::IDOK;
}

// A box shows once for its tick: at the tick's first run, or, when only a
// run again opens it (the other's pause arrived late), then. The agreed
// game's boxes are the replay's alone.
bool OnlineBoxShown() {
    if (Online.runningAgreed)
        return false;
    if (!Online.sessionStarted)
        return true;
    const int32_t tick = Online.session.runningTick;
    Online.openBox = {.tick = tick, .ordinal = std::min(Online.boxesThisRun++, MaxBoxOrdinal)};
    // The other player answered it before this side came to it.
    if (BoxClosedThere(Online.link, Online.openBox))
        return false;
    int32_t& shown = Online.boxShownAt[size_t(tick % SnapshotRing)];
    if (TickRunAgain && shown == tick)
        return false;
    shown = tick;
    return true;
}

// While a box holds the game, the link is kept: the other hears this side,
// and this side hears whether the other answered the box (the inputs wait
// for the datagrams after the box).
bool BoxStillOpen() {
    const int64_t now = host::NetClockMicroseconds();
    Online.link.holdingInputs = true;
    TakeArrivals(now);
    Online.link.holdingInputs = false;
    if (!OnlineLinkAlive(Online.link, Online.session, now))
        return false;
    if (now - Online.lastSentUs >= BoxSendEveryUs)
        SendOwnDatagrams(now);
    return !BoxClosedThere(Online.link, Online.openBox);
}

// The boxes of play wait for either player's answer; those of the start
// (before the session, each program's own) are shown a moment.
bool OnlineLiveBox(host::LiveBoxStep step) {
    if (!Online.sessionStarted)
        return false;
    switch (step) {
        case host::LiveBoxOpens:
            return true;
        case host::LiveBoxWaits:
            return BoxStillOpen();
        case host::LiveBoxAnsweredHere: {
            const int64_t now = host::NetClockMicroseconds();
            NoteBoxClosedHere(Online.link, Online.openBox, now);
            SendOwnDatagrams(now);
            return true;
        }
    }
    return false;
}

// The boxes of the start (before the session, both programs alike) and of
// the agreed game are the replay's.
void OnlineBoxAnswered(int answer) {
    if (Online.runningAgreed || !Online.sessionStarted)
        RecordBoxAnswer(answer);
}

template <typename... Values>
std::string Formatted(const char* format, Values... values) {
    char text[600];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

// Why the game stopped, in the player's language.
std::string StopText(const OnlineLink& link) {
    switch (link.stop) {
        case OnlineOtherVersion:
            return Formatted(NoticeText(OnlineVersionText), unsigned(ProtocolVersion),
                             unsigned(RulesHash()), unsigned(link.peerProtocol),
                             unsigned(link.peerRules));
        case OnlineSilentPeer:
            return Formatted(NoticeText(OnlineSilentText), int(link.stopValue));
        case OnlineDesync:
            return Formatted(NoticeText(OnlineDesyncText), int(link.stopValue));
        default:
            return link.message;
    }
}

}  // namespace

void StartOnlineRun() {
    BeginRecording(Online.link.seed);
    NoteRecordedIntro(2);
    NoteRecordedStatusPlace(uint8_t(PlayerSettings.statusPlace));
    host::SetInputRecorder({.boxAnswered = OnlineBoxAnswered});
    host::SetReplayDriver({.playTick = PlayOnlineTick,
                           .boxAnswer = OnlineBoxAnswer,
                           .tickMs = int(BattleTimerPeriodMs),
                           .live = true,
                           .boxShown = OnlineBoxShown,
                           .liveBox = OnlineLiveBox});
}

int FinishOnlineRun(const std::string& recordPath, const std::string& keptPath, int exitCode) {
    const bool stopped = Online.link.phase == OnlineStopped;
    // The replay is of the agreed game: its state, not the live one's
    // guesses, ends it. It is written before anything waits for the player,
    // and the viewers get it whole before the room closes.
    if (Online.sessionStarted)
        RestoreGameState(Online.agreed);
    EndFeed(Online.transport, RecordedRunSoFar());
    CloseOnlineTransport(Online.transport);
    const std::string path = recordPath.empty() ? keptPath : recordPath;
    std::string error;
    const bool written = FinishRecording(path, error);
    if (written)
        std::printf("morvask: online game: %d ticks agreed, the replay is %s\n",
                    int(Online.agreedTick), path.c_str());
    else
        std::fprintf(stderr, "morvask: %s\n", error.c_str());
    std::fflush(stdout);
    if (stopped) {
        std::fprintf(stderr, "morvask: online game: %s\n", Online.link.message.c_str());
        std::fflush(stderr);
        std::string text = StopText(Online.link);
        if (written)
            text += "\n\n" + Formatted(NoticeText(OnlineKeptText), path.c_str());
        host::ShowNotice(text.c_str(), NoticeText(OnlineCaption));
    }
    return !written ? 1 : stopped ? 1 : exitCode;
}
