// The editor's share keys and drops: codes out to the clipboard, and levels
// in from the clipboard or a drop, as undoable edits.
#include "editor/share_keys.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "battle/level_start.h"
#include "editor/history.h"
#include "formats/share_code.h"
#include "levels/level_grid.h"
#include "levels/level_origin.h"
#include "levels/map_file.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "texts/texts.h"

std::string ShareBaseUrl;
std::string ShareTitle;
std::string ShareAuthor;

namespace {

bool NextDropOwn = false;
// The next drop is a link the player followed (the page's address), which a
// refusal calls a link.
bool NextDropLink = false;

// Levels that arrived: a share, unless they are the player's own work back.
// A shared set brings its name; a level alone keeps the name in force.
void MarkArrived(const SharedContent& content, bool own) {
    if (own) {
        MarkLevelsOwn();
        return;
    }
    MarkLevelsShared();
    if (content.kind == ShareSetKind)
        NameSharedSet(content.title, content.author);
}

// A name that may go into a code, else none.
std::string Usable(const std::string& name) {
    return ShareNameValid(name) ? name : std::string();
}

void Tell(const std::string& text) {
    platform::MessageBox(MainWindow, text.c_str(), Text(ShareCaption), platform::MB_OK);
}

void Complain(const std::string& text) {
    platform::MessageBox(MainWindow, text.c_str(), Text(ShareCaption),
                         platform::MB_OK | platform::MB_ICONWARNING);
}

// A text of the table with its number and words put in.
std::string Filled(TextId id, long number, const std::string& words) {
    std::vector<char> text(words.size() + 512);
    std::snprintf(text.data(), text.size(), Text(id), int(number), words.c_str());
    return text.data();
}

// A refusal of the table with its reason put in.
std::string Refusal(TextId id, TextId why) {
    std::vector<char> text(512);
    std::snprintf(text.data(), text.size(), Text(id), Text(why));
    return text.data();
}

// A set's link is long: the box shows its start and how long it is.
std::string Shown(const std::string& link) {
    return link.size() > 200 ? link.substr(0, 96) + "…" : link;
}

void CopyCode(ShareKind kind) {
    std::string code;
    const int32_t level = BattleState.LevelIndex;
    if (kind == ShareLevelKind) {
        auto first = LevelSet.begin() + level * LevelCellCount;
        code = LevelShareCode(std::vector<int32_t>(first, first + LevelCellCount));
    } else {
        code = SetShareCode(LevelSet, Usable(SetTitleInForce()), Usable(SetAuthorInForce()));
    }
    const std::string link = ShareLink(ShareBaseUrl, kind, code);
    platform::SetClipboardText(link);
    const bool copied = platform::HasSystemClipboard();
    if (kind == ShareLevelKind)
        Tell(Filled(copied ? ShareLevelCopiedText : ShareLevelShownText, level + 1, link));
    else
        Tell(Filled(copied ? ShareSetCopiedText : ShareSetShownText, long(link.size()),
                    Shown(link)));
}

TextId WhyText(ShareReadResult result) {
    switch (result) {
        case ShareOversized:
            return ShareWhyOversized;
        case ShareNotBase64:
            return ShareWhyNotBase64;
        case ShareTruncated:
            return ShareWhyTruncated;
        case ShareWrongVersion:
            return ShareWhyVersion;
        case ShareBadChecksum:
            return ShareWhyChecksum;
        case ShareWrongKind:
            return ShareWhyKind;
        case ShareDamaged:
            return ShareWhyDamaged;
        default:
            return ShareWhyNotACode;
    }
}

std::string NameOr(const std::string& name, TextId fallback) {
    return name.empty() ? Text(fallback) : name;
}

void TellSetOpened(const SharedContent& content) {
    std::vector<char> text(512);
    std::snprintf(text.data(), text.size(), Text(ShareSetOpenedText),
                  NameOr(content.author, ShareNoAuthor).c_str(),
                  NameOr(content.title, ShareUntitled).c_str());
    Tell(text.data());
}

// Levels arriving in the editor: a level onto the level being edited, a set
// onto all of them, each level's change one step of its history.
void PutLevels(const SharedContent& content, bool own = false) {
    const int32_t level = BattleState.LevelIndex;
    MarkArrived(content, own);
    if (content.kind == ShareLevelKind) {
        ReplaceLevelCells(level, content.cells);
        Tell(Filled(ShareLevelPastedText, level + 1, ""));
        return;
    }
    CommitEditorChanges();
    for (int32_t k = 0; k < LevelSetSize; ++k)
        if (LevelSet[size_t(k)] != content.cells[size_t(k)])
            WriteLevelCell(k / LevelCellCount, k % LevelCellCount, content.cells[size_t(k)]);
    CommitEditorChanges();
    BattleState.LevelIndex = 0;
    StartLevel();
    TellSetOpened(content);
}

// A drop in play opens the editor on what came: a set as it is, a level as
// the first of the levels in force.
void OpenInEditor(const SharedContent& content, bool own) {
    if (GameMode == Playing) {
        MarkArrived(content, own);
        GameMode = Editing;
        BattleState.LevelIndex = 0;
        if (content.kind == ShareSetKind)
            LevelSet = content.cells;
        else
            std::copy(content.cells.begin(), content.cells.end(), LevelSet.begin());
        StartLevel();
        if (content.kind == ShareSetKind)
            TellSetOpened(content);
        return;
    }
    PutLevels(content, own);
}

// A map file's text: a whole set or one level.
void Paste() {
    const std::string text = platform::ClipboardText();
    SharedContent content;
    std::string error;
    const ShareReadResult result = ReadShareCode(text, ShareLevels, content, error);
    if (text.find_first_not_of(" \t\r\n") == std::string::npos)
        Complain(Refusal(SharePasteFailedText, ShareWhyEmpty));
    else if (result != ShareRead)
        Complain(Refusal(SharePasteFailedText, WhyText(result)));
    else
        PutLevels(content);
}

}  // namespace

bool EditorShareKey(int key) {
    if (key == 'C')
        CopyCode(ShareLevelKind);
    else if (key == 'A')
        CopyCode(ShareSetKind);
    else if (key == 'V')
        Paste();
    else
        return false;
    return true;
}

void TakeNextDropAsOwnWork() {
    NextDropOwn = true;
}

void TakeNextDropAsLink() {
    NextDropLink = true;
}

void TakeDroppedText() {
    const std::string text = platform::DroppedText();
    const bool own = NextDropOwn;
    const bool link = NextDropLink;
    NextDropOwn = false;
    NextDropLink = false;
    if (GameMode != Playing && GameMode != Editing)
        return;
    SharedContent content;
    std::string error;
    const ShareReadResult result = ReadShareCode(text, ShareAnyKind, content, error);
    if (text.rfind("MVRP", 0) == 0 || (result == ShareRead && content.kind == ShareReplayKind))
        Tell(Text(ShareReplayDroppedText));
    else if (result == ShareRead || LevelsOfMapText(text, content, error))
        OpenInEditor(content, own);
    else
        Complain(Refusal(link ? ShareLinkFailedText : ShareDropFailedText, WhyText(result)));
}

std::string SetTitleInForce() {
    return LevelOrigin.named ? LevelOrigin.title : ShareTitle;
}

std::string SetAuthorInForce() {
    return LevelOrigin.named ? LevelOrigin.author : ShareAuthor;
}

void ResetShareKeys() {
    NextDropOwn = false;
    NextDropLink = false;
    ShareBaseUrl.clear();
    ShareTitle.clear();
    ShareAuthor.clear();
}
