// Play online chosen in the menu: the other player is met while the window
// shows a box of the program's own (the game stands still under it). Once
// they are met the game in the window ends and the program plays the online
// game in a new window; giving up, or a meeting that fails, goes back to
// the game as it was.
#include <cstdio>
#include <string>

#include "hosting/online_game.h"
#include "lobby/lobby_messages.h"
#include "options/settings_file.h"
#include "platform/host.h"
#include "shell/menu.h"
#include "texts/menu_texts.h"

namespace {

struct MenuMeetingRecord {
    // The program's command line, for the meeting's options (delay, port).
    CommandLine line;
    bool met = false;
    // The stages the box shown now waits through, as bits of MeetingStage.
    int32_t waitingStages = 0;
};
MenuMeetingRecord MenuMeeting;

int32_t Bit(MeetingStage stage) {
    return 1 << stage;
}

bool StillWaiting() {
    return (Bit(MeetingStep()) & MenuMeeting.waitingStages) != 0;
}

std::string Filled(MenuTextId format, const std::string& a, const std::string& b = "",
                   const std::string& c = "") {
    char text[1024];
    std::snprintf(text, sizeof text, MenuText(format), a.c_str(), b.c_str(), c.c_str());
    return text;
}

// The box while the meeting is at `stage`, until it leaves the stages given.
bool WaitUnder(const std::string& text, int32_t stages) {
    MenuMeeting.waitingStages = stages;
    return host::ShowWaitingNotice(text.c_str(), MenuText(OnlineCaption), StillWaiting);
}

// The host's boxes: the lobby asked, then its room's code (or, without a
// lobby, how to join directly) until the other greets.
bool HostWaits(const std::string& lobby) {
    const int32_t greeting = Bit(MeetingGreeting);
    if (lobby.empty()) {
        PrintHowToJoin();
        const std::string addresses = LocalAddressesText();
        return WaitUnder(Filled(OnlineDirectWaiting, HowToJoinDirectly(),
                                addresses.empty() ? "" : ", " + addresses),
                         greeting);
    }
    if (!WaitUnder(Filled(OnlineAskingLobby, lobby), Bit(MeetingAskingLobby)))
        return false;
    const MeetingStage stage = MeetingStep();
    if (stage != MeetingRoomMade && stage != MeetingGreeting)
        return true;
    const std::string code = LobbyCodeText(Online.transport.lobby.code);
    PrintRoomCode(code);
    return WaitUnder(Filled(OnlineRoomWaiting, code, code, code), Bit(MeetingRoomMade) | greeting);
}

}  // namespace

void PlayOnlineFromMenu(bool hosting, const std::string& code) {
    CommandLine line = MenuMeeting.line;
    line.hostOnline = hosting;
    line.joinText = hosting ? "" : code;
    const std::string lobby = line.lobby.empty() ? PlayerSettings.lobby : line.lobby;
    std::string error;
    if (!BeginMeeting(line, lobby, error)) {
        host::ShowNotice(Filled(OnlineNotStarted, error).c_str(), MenuText(OnlineCaption));
        return;
    }
    const bool waited = hosting ? HostWaits(lobby)
                                : WaitUnder(Filled(OnlineJoining, code),
                                            Bit(MeetingAskingLobby) | Bit(MeetingGreeting));
    if (waited && MeetingStep() == MeetingMet) {
        MenuMeeting.met = true;
        host::EndGameInWindow();
        return;
    }
    const std::string why = MeetingError();
    StopMeeting();
    if (waited)
        host::ShowNotice(Filled(OnlineNotStarted, why).c_str(), MenuText(OnlineCaption));
}

void OfferOnlineInMenu(const CommandLine& line) {
    MenuMeeting = MenuMeetingRecord{};
    MenuMeeting.line = line;
    MenuHost.playOnline = PlayOnlineFromMenu;
}

bool MetFromMenu() {
    return MenuMeeting.met;
}
