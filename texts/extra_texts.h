// The texts of what sits around the game's own boxes, in each language: the
// records box, the second help box with the keys the game's help does not
// name, the box of the settings file's problems, and the boxes of a game
// of two players.
#pragma once

#include "texts/texts.h"

enum ExtraTextId : int32_t {
    RecordsCaption,
    // printf formats: the highest level, games played, games won.
    RecordsSummary,
    RecordsNone,
    // printf formats: the level, whole seconds, hundredths, ticks, tanks lost.
    RecordsLevelBest,
    // printf format: the level.
    RecordsLevelNotCleared,
    RecordsNotThisGameZ,
    RecordsNotThisGameMap,
    // printf format: what is wrong with the file.
    RecordsFileRefusedText,
    // printf format: the level to continue from.
    RecordsContinueQuestion,
    MoreKeysCaption,
    MoreKeysText,
    // printf format: the problems, one a line.
    SettingsProblemsText,
    // The window's brief indicators. printf format: the volume in percent.
    VolumeIndicator,
    // printf format: the mode's name, one of the four below.
    ScaleIndicator,
    // printf format: the name of the mode auto chose.
    ScaleAutoIndicator,
    ScaleModeIntegerName,
    ScaleModeFitName,
    ScaleModeSharpName,
    ScaleModeAutoName,
    // printf format: the player (1 or 2) who has lost the last tank.
    PlayerOutText,
    // printf format: the second player's keys to drive, aim, lock and fire.
    TwoPlayersQuestion,
    OnePlayerQuestion,
    ExtraTextCount,
};

// The text in the current language (UTF-8).
const char* ExtraText(ExtraTextId id);
const char* ExtraTextIn(Language language, ExtraTextId id);
