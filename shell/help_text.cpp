// The two help boxes' texts: the game's own, with the English one naming the
// player's keys, and the list of the keys that came later.
#include "shell/help_text.h"

#include "platform/host.h"
#include "platform/platform.h"
#include "texts/extra_texts.h"
#include "texts/notice_texts.h"
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
    return text.c_str();
}

const char* MoreKeysHelpText() {
    static std::string text;
    text = ExtraText(MoreKeysText);
    // The share keys need a clipboard; morvask-sim has none.
    if (platform::HasSystemClipboard())
        text += Text(ShareHelpText);
    return text.c_str();
}

void ShowHelpSecondPage() {
    host::ShowNotice(NoticeText(HelpSecondPageText), NoticeText(HelpSecondPageCaption), false);
}
