// Every text the player reads, in each language the game speaks: the message
// boxes, their captions and buttons, and the help. Simplified Chinese is the
// game's own language and the default.
#pragma once

#include <cstdint>

enum Language : int32_t {
    Chinese = 0,
    English = 1,
};
inline constexpr int LanguageCount = 2;

// The language of every box from now on; chosen before start-up.
extern Language CurrentLanguage;
// Chinese again, as at program start.
void ResetLanguage();

enum TextId : int32_t {
    AboutText,
    AboutCaption,
    // The English help names the keys with {placeholders}: see help_text.h.
    HelpText,
    HelpCaption,
    SoundQuestion,
    SettingsCaption,
    PausedText,
    GameOverText,
    AllClearedText,
    AskEditorMode,
    AskPlayMode,
    AskLoadMap,
    AskSaveMap,
    FarewellText,
    // printf formats with one %d: the level's number.
    LevelStartText,
    LevelEditText,
    MapSavedText,
    MapSaveFailedText,
    MapLoadFailedText,
    ErrorCaption,
    OkButton,
    YesButton,
    NoButton,
    // The share codes (printf formats: %d a level's number or a length, %s a
    // link, a title, a name or a reason).
    ShareCaption,
    ShareLevelCopiedText,
    ShareSetCopiedText,
    ShareLevelShownText,
    ShareSetShownText,
    ShareLevelPastedText,
    ShareSetOpenedText,
    ShareUntitled,
    ShareNoAuthor,
    SharePasteFailedText,
    ShareDropFailedText,
    ShareReplayDroppedText,
    ShareWhyOversized,
    ShareWhyNotBase64,
    ShareWhyTruncated,
    ShareWhyNotACode,
    ShareWhyVersion,
    ShareWhyChecksum,
    ShareWhyKind,
    ShareWhyDamaged,
    ShareWhyEmpty,
    ShareHelpText,
    ShareRunCopiedText,
    ShareRunNotYetText,
    ShareRunTooLongText,
    ShareLinkFailedText,
    TextCount,
};

// The text in the current language (UTF-8).
const char* Text(TextId id);
const char* TextIn(Language language, TextId id);

// "zh" or "en" to a language; false for any other name.
bool LanguageFromName(const char* name, Language& language);
const char* LanguageName(Language language);
