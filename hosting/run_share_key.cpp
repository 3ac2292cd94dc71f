// The share key of a finished game: the run is a replay code, as a link when
// an address is set, put on the clipboard and shown in a box of the
// program's own (not the game's: the run goes on as if unasked).
#include "hosting/run_share_key.h"

#include <cstdio>
#include <vector>

#include "editor/share_keys.h"
#include "formats/share_code.h"
#include "platform/host.h"
#include "replay/run_share.h"
#include "state/program_state.h"
#include "texts/texts.h"

void ShareLastRun() {
    if (GameMode != Playing)
        return;
    std::string text;
    if (RunUnshared() != RunShared) {
        text = Text(ShareRunTooLongText);
    } else if (GamesEnded() == 0) {
        text = Text(ShareRunNotYetText);
    } else {
        const std::string link = ShareLink(ShareBaseUrl, ShareReplayKind, LastRunCode());
        platform::SetClipboardText(link);
        // A long link: the box shows its start.
        const std::string shown = link.size() > 200 ? link.substr(0, 96) + "…" : link;
        std::vector<char> filled(shown.size() + 512);
        std::snprintf(filled.data(), filled.size(), Text(ShareRunCopiedText), int(link.size()),
                      shown.c_str());
        text = filled.data();
    }
    host::ShowNotice(text.c_str(), Text(ShareCaption));
}

void RecordedMessageDone(uint32_t message, uintptr_t wParam) {
    WatchedMessageDone(message, wParam);
    const bool ctrl = platform::GetAsyncKeyState(platform::VK_CONTROL) & 0x8000;
    const bool shift = platform::GetAsyncKeyState(platform::VK_SHIFT) & 0x8000;
    if (message == platform::WM_KEYDOWN && wParam == 'C' && ctrl && shift)
        ShareLastRun();
}
