// The texts of the menu that Esc opens and of its options screen, in each
// language: its entries, the names of the settings and of the play actions.
#pragma once

#include "texts/texts.h"

enum MenuTextId : int32_t {
    MenuCaption,
    MenuResume,
    MenuNewGame,
    MenuChooseLevel,
    MenuRecords,
    MenuOptions,
    MenuShare,
    MenuEditor,
    MenuLeaveEditor,
    MenuHelp,
    MenuQuit,
    MenuBack,
    MenuOnePlayer,
    MenuTwoPlayers,
    // printf format: the level.
    MenuLevelRow,
    // printf formats: whole seconds, hundredths.
    MenuLevelBest,
    MenuLevelNotCleared,
    MenuLevelNoRecords,
    // printf format: the level.
    MenuLevelQuestion,
    // printf format: the level.
    MenuLevelQuestionRecorded,
    MenuShareLevel,
    MenuShareSet,
    MenuShareRun,
    MenuSetTitle,
    MenuSetAuthor,
    MenuNameNone,
    // printf format: the row's label.
    MenuNameTyping,
    // printf formats: the row's label, the name.
    MenuNameKept,
    MenuNameHint,
    MenuKeysHint,
    MenuStatusHint,
    OptionsCaption,
    OptionsPlayer1,
    OptionsPlayer2,
    OptionsPresetDefault,
    OptionsPresetLaptop,
    OptionsLanguage,
    OptionsScaleMode,
    OptionsFullscreen,
    OptionsVolume,
    OptionsStartSound,
    OptionsIntro,
    OptionsStatusPlace,
    OptionsYes,
    OptionsNo,
    OptionsAsk,
    OptionsOn,
    OptionsOff,
    OptionsIntroShort,
    OptionsIntroFull,
    OptionsStatusAuto,
    OptionsStatusSide,
    OptionsStatusTitle,
    OptionsStatusOff,
    // printf format: the action.
    OptionsPressKey,
    // printf formats: the key, the action that has it.
    OptionsKeyTaken,
    // printf format: the key.
    OptionsKeyKept,
    OptionsKeyUnnamed,
    // printf format: the key, the action.
    OptionsKeySet,
    OptionsPresetSet,
    OptionsHint,
    // The play actions' names, in the order of PlayAction's first twelve;
    // the second player's ten are those of the first's ten.
    ActionUpName,
    ActionDownName,
    ActionLeftName,
    ActionRightName,
    ActionGunUpName,
    ActionGunDownName,
    ActionGunLeftName,
    ActionGunRightName,
    ActionLockName,
    ActionFireName,
    ActionPauseName,
    ActionHelpName,
    // Play online: the main menu's row, its screen's rows, its notes.
    MenuPlayOnline,
    MenuHostGame,
    MenuJoinGame,
    MenuJoinHint,
    // printf format: the lobby's HOST:PORT.
    MenuOnlineThroughLobby,
    MenuOnlineDirect,
    MenuJoinNeedsCode,
    // The program's own boxes while it meets the other player.
    OnlineCaption,
    // printf format: the lobby.
    OnlineAskingLobby,
    // printf formats: the room code three times.
    OnlineRoomWaiting,
    // printf formats: what the other types, this computer's addresses.
    OnlineDirectWaiting,
    // printf format: what is joined.
    OnlineJoining,
    // printf format: why (in English, as the program's other messages).
    OnlineNotStarted,
    MenuTextCount,
};

// The text in the current language (UTF-8).
const char* MenuText(MenuTextId id);
const char* MenuTextIn(Language language, MenuTextId id);
