// The help boxes' texts in the player's language, naming the keys in force.
#pragma once

#include <string>

#include "options/key_bindings.h"

// The Chinese help as the game has always shown it; the English one with each
// {action} placeholder replaced by that action's keys.
std::string HelpTextFor(const KeyBindings& bindings);

// The help for the current language and PlayerKeys; valid until the next call.
const char* CurrentHelpText();

// The second help box (K): the keys that came later, with the share keys
// where there is a clipboard; valid until the next call.
const char* MoreKeysHelpText();
