// Fills the English help's placeholders with the player's keys.
#include "shell/help_text.h"

#include "platform/platform.h"
#include "texts/texts.h"

std::string HelpTextFor(const KeyBindings& bindings) {
    std::string text = Text(HelpText);
    if (CurrentLanguage == Chinese)
        return text;
    for (size_t open = text.find('{'); open != std::string::npos; open = text.find('{', open)) {
        size_t close = text.find('}', open);
        PlayAction action;
        if (close == std::string::npos ||
            !PlayActionFromName(std::string_view(text).substr(open + 1, close - open - 1),
                                action)) {
            ++open;
            continue;
        }
        std::string keys = KeyListText(bindings.keys[action]);
        text.replace(open, close + 1 - open, keys);
        open += keys.size();
    }
    return text;
}

const char* CurrentHelpText() {
    static std::string text;
    text = HelpTextFor(PlayerKeys);
    // The share keys need a clipboard; morvask-sim's help stays the game's own.
    if (platform::HasSystemClipboard())
        text += Text(ShareHelpText);
    return text.c_str();
}
