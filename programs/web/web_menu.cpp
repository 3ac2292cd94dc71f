// The game's menu as the page shows it on a touch screen, where the field's
// own menu is too small to read or tap: its caption, rows, focus and note,
// and the language the game speaks (the options screen may change it, and
// the page then follows).
#include <emscripten.h>

#include <cstdio>
#include <string>
#include <vector>

#include "options/settings_file.h"
#include "platform/host.h"
#include "programs/web/web_sharing.h"
#include "shell/menu.h"
#include "state/program_state.h"
#include "texts/texts.h"

// Whether the page shows full screen now (its button, F11, or the browser's
// own leaving it).
EM_JS(int, web_page_fullscreen, (), { return document.fullscreenElement ? 1 : 0; });

namespace {

std::string Shown;

void AddQuoted(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

// The menu as JSON: {"lang", "open", "caption", "rows": [[label, value,
// changes]], "focus", "note", "capturing"}.
std::string MenuJson() {
    // The options screen shows the page's volume and full screen, which its
    // own controls change too.
    PlayerSettings.volume = host::Volume();
    PlayerSettings.fullscreen = web_page_fullscreen() != 0;
    std::string out = "{\"lang\":";
    // A replay speaks the language it was recorded in; the page keeps its own.
    AddQuoted(out, PlayingReplay() ? "" : LanguageName(CurrentLanguage));
    out += ",\"open\":";
    if (!MenuOpen())
        return out + "false}";
    out += "true,\"caption\":";
    AddQuoted(out, MenuCaptionText());
    out += ",\"rows\":[";
    const std::vector<MenuEntry> rows = MenuEntries();
    for (size_t i = 0; i < rows.size(); ++i) {
        out += i ? ",[" : "[";
        AddQuoted(out, rows[i].label);
        out += ',';
        AddQuoted(out, rows[i].value);
        out += rows[i].change ? ",true]" : ",false]";
    }
    out += "],\"focus\":" + std::to_string(Menu.focus) + ",\"note\":";
    AddQuoted(out, Menu.note);
    out += Menu.capturing >= 0 ? ",\"capturing\":true}" : ",\"capturing\":false}";
    return out;
}

}  // namespace

extern "C" {

// The menu as JSON when it changed since the page last asked, else null: the
// page asks at every frame and lays its touch menu out only then.
EMSCRIPTEN_KEEPALIVE const char* morvask_menu_if_changed() {
    std::string now = MenuJson();
    if (now == Shown)
        return nullptr;
    Shown = std::move(now);
    return Shown.c_str();
}

}  // extern "C"
