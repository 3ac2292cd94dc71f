// The settings file's problems in the player's language: the reader words
// each problem in English (for standard error); the box tells it in the
// language of the boxes.
#pragma once

#include <string>

#include "texts/texts.h"

// `english`, one problem as the settings reader words it (without its
// "FILE:LINE: "), in `language`; as it is when no wording is known for it.
std::string SettingsProblemIn(Language language, const std::string& english);
