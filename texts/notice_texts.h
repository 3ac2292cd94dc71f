// The texts of the program's own notices, in each language: the problems
// found at start-up (the settings file, a damaged records file), why a map
// file was refused, and the help's second page with the keys added to the game.
#pragma once

#include "texts/texts.h"

enum NoticeTextId : int32_t {
    StartProblemsCaption,
    // printf format: the settings file's problems, one a line.
    SettingsProblemsHeading,
    // printf format: "line N" in the settings problems' list, then the problem.
    SettingsProblemLine,
    // printf formats: what was wrong with the records file, the name it is kept as.
    RecordsKeptAsideText,
    MapProblemCaption,
    // printf formats: the line, then what is wrong (one of the four below).
    MapProblemText,
    // printf format: the values read before the file ended.
    MapEndsEarly,
    // printf format: the text found where a number belongs.
    MapNotANumber,
    MapNumberTooLarge,
    MapCannotBeRead,
    HelpSecondPageCaption,
    HelpSecondPageText,
    OnlineCaption,
    // printf format: the seconds the other player has been silent.
    OnlineSilentText,
    // printf format: the tick at which the two games went apart.
    OnlineDesyncText,
    // printf formats: this program's protocol and rules, then the other's.
    OnlineVersionText,
    // printf format: the replay's file.
    OnlineKeptText,
    NoticeTextCount,
};

// The text in the current language (UTF-8).
const char* NoticeText(NoticeTextId id);
const char* NoticeTextIn(Language language, NoticeTextId id);
