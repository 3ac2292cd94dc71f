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

// The help's second page, after the game's help box (H): every key added to
// the game, the menu's Esc among them, and that the game speaks the other
// language too. A box of the program's own, which the game and a replay
// never see.
void ShowHelpSecondPage();
