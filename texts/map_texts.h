// The texts of where levels are saved and brought back from, in each
// language: the save question for levels that came from a share, and the
// earlier versions of the map file kept on every save.
#pragma once

#include "texts/texts.h"

enum MapTextId : int32_t {
    // printf formats: the new file the shared levels go to.
    SharedSaveQuestion,
    SharedSavedText,
    // printf formats: the number of versions the game keeps.
    MapVersionsNoneText,
    // printf formats: the version's file name, then the number of versions.
    MapVersionQuestion,
    MapVersionBroughtText,
    MapVersionRefusedText,
    MapVersionsCaption,
    MapTextCount,
};

// The text in the current language (UTF-8).
const char* MapText(MapTextId id);
const char* MapTextIn(Language language, MapTextId id);
