// The share screen's rows for the set's title and author, typed in place:
// letters (Shift for capitals), digits and spaces from the keys, anything
// else pasted with Ctrl+V. A shared set keeps its new name in memory, with
// it; the player's own set keeps it in the settings (set_title,
// share_author), as the map file cannot hold it.
#include <cstdio>

#include "editor/share_keys.h"
#include "formats/share_code.h"
#include "levels/level_origin.h"
#include "options/settings_file.h"
#include "shell/menu.h"
#include "state/key_poll.h"
#include "texts/menu_texts.h"

namespace {

enum NameField : int32_t { TitleField, AuthorField };

constexpr int VkEnter = 0x0D;
constexpr int VkBackspace = 0x08;

MenuTextId FieldLabel(int32_t field) {
    return field == TitleField ? MenuSetTitle : MenuSetAuthor;
}

std::string NameInForce(int32_t field) {
    return field == TitleField ? SetTitleInForce() : SetAuthorInForce();
}

std::string Filled(MenuTextId format, const std::string& a, const std::string& b = "") {
    char text[512];
    std::snprintf(text, sizeof text, MenuText(format), a.c_str(), b.c_str());
    return text;
}

// Without the spaces around it, which the settings file would not keep.
std::string Trimmed(const std::string& name) {
    const size_t first = name.find_first_not_of(' ');
    return first == std::string::npos ? std::string()
                                      : name.substr(first, name.find_last_not_of(' ') + 1 - first);
}

void KeepName(int32_t field, const std::string& name) {
    if (LevelOrigin.named) {
        (field == TitleField ? LevelOrigin.title : LevelOrigin.author) = name;
        return;
    }
    if (field == TitleField) {
        ShareTitle = PlayerSettings.setTitle = name;
        RememberPlayerSettings({{"set_title", name}});
    } else {
        ShareAuthor = PlayerSettings.shareAuthor = name;
        RememberPlayerSettings({{"share_author", name}});
    }
}

// The player's own names go to the settings file, where '#' and ';' start a
// comment: they are left out there, as are control characters everywhere.
bool Allowed(const std::string& character) {
    return LevelOrigin.named || (character != "#" && character != ";");
}

// Adds the whole characters of `text` that keep the name valid (others are
// left out), up to the first one past the name's bytes.
void Append(const std::string& text) {
    for (size_t at = 0; at < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[at]);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const std::string character = text.substr(at, length);
        at += length;
        if (Menu.typed.size() + character.size() > MaxShareNameBytes)
            return;
        if (Allowed(character) && ShareNameValid(Menu.typed + character))
            Menu.typed += character;
    }
}

void DropLastCharacter() {
    while (!Menu.typed.empty() && (static_cast<unsigned char>(Menu.typed.back()) & 0xC0) == 0x80)
        Menu.typed.pop_back();
    if (!Menu.typed.empty())
        Menu.typed.pop_back();
}

// The character a key types, empty for a key that types none.
std::string Typed(int key) {
    if (key >= 'A' && key <= 'Z')
        return std::string(1, char(KeyIsDown(platform::VK_SHIFT) ? key : key - 'A' + 'a'));
    if ((key >= '0' && key <= '9') || key == platform::VK_SPACE)
        return std::string(1, char(key));
    return {};
}

void StartTyping(int32_t field) {
    Menu.typing = field;
    Menu.typed = NameInForce(field);
    Menu.note = Filled(MenuNameTyping, MenuText(FieldLabel(field)));
}

}  // namespace

void AddSetNameRows(std::vector<MenuEntry>& rows) {
    for (int32_t field : {TitleField, AuthorField}) {
        const std::string name = NameInForce(field);
        rows.push_back({.label = MenuText(FieldLabel(field)),
                        .value = Menu.typing == field ? Menu.typed + "_"
                                 : name.empty()       ? std::string(MenuText(MenuNameNone))
                                                      : name,
                        .choose = StartTyping,
                        .arg = field});
    }
}

void MenuNameKey(int key) {
    const int32_t field = Menu.typing;
    if (key == platform::VK_ESCAPE) {
        Menu.typing = -1;
        Menu.note.clear();
    } else if (key == VkEnter) {
        Menu.typing = -1;
        KeepName(field, Trimmed(Menu.typed));
        Menu.note = Filled(MenuNameKept, MenuText(FieldLabel(field)), NameInForce(field));
    } else if (key == VkBackspace) {
        DropLastCharacter();
    } else if (key == 'V' && KeyIsDown(platform::VK_CONTROL)) {
        const std::string text = platform::ClipboardText();
        Append(text.substr(0, text.find_first_of("\r\n")));
    } else {
        Append(Typed(key));
    }
}
