// Writing the game's state as one JSON object per line.
#include "programs/sim/state_json.h"

#include <cstdio>
#include <cstring>

#include "editor/painting.h"
#include "platform/headless/headless.h"
#include "shell/status.h"
#include "state/state_fields.h"

namespace {

// The dump's own names for three fields, kept for the scripts that read it
// (docs/morvask-sim.md); every other key is the field's name.
struct JsonKeyName {
    const char* field;
    const char* key;
};
constexpr JsonKeyName JsonKeyNames[] = {
    {.field = "band", .key = "kind"},
    {.field = "bulletBand", .key = "bulletKind"},
    {.field = "DroppedItem", .key = "ItemKind"},
};

const char* JsonKey(const char* field) {
    for (const JsonKeyName& name : JsonKeyNames)
        if (std::strcmp(name.field, field) == 0)
            return name.key;
    return field;
}

// A field is a number, true or false, an array of its elements or an object
// of its fields; the line's type is a string.
struct JsonOut {
    std::string text;
    bool first = true;

    void Key(const char* name) {
        if (!first)
            text += ',';
        first = false;
        text += '"';
        text += name;
        text += "\":";
    }
    void Open(char bracket) {
        text += bracket;
        first = true;
    }
    void Close(char bracket) {
        text += bracket;
        first = false;
    }
    template <typename Field>
    void Value(const Field& field) {
        if constexpr (std::is_convertible_v<const Field&, const char*>) {
            text += '"';  // the line's own words, which need no escapes
            text += field;
            text += '"';
        } else if constexpr (std::is_same_v<Field, bool>) {
            text += field ? "true" : "false";
        } else if constexpr (std::is_integral_v<Field> || std::is_enum_v<Field>) {
            text += std::to_string(int64_t(field));
        } else if constexpr (IsFieldList<Field>) {
            Open('[');
            for (const auto& element : field) {
                if (!first)
                    text += ',';
                first = false;
                Value(element);
            }
            Close(']');
        } else {
            Open('{');
            VisitFields(field, *this);
            Close('}');
        }
    }
    template <typename Field>
    void operator()(const char* name, const Field& field) {
        Key(JsonKey(name));
        Value(field);
    }
};

}  // namespace

std::string JsonString(const char* text) {
    std::string out = "\"";
    for (const char* p = text; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", c);
                    out += escape;
                } else {
                    out += char(c);
                }
        }
    }
    out += '"';
    return out;
}

std::string StateLine(int64_t tick) {
    const BattleStateRecord& s = BattleState;
    JsonOut out;
    out.Open('{');
    out("type", "state");
    out("tick", tick);
    VisitGameMode(out);
    VisitGameFields(s, out);
    VisitShellInputs(out);
    VisitBrush(out);
    out("TimerSet", headless::TimerIsSet(BattleTimer));
    VisitGenerator(out);
    VisitLevelFields(s, out);
    VisitLockLatch(out);
    VisitBattleRecords(s, out);
    VisitWorkingGrid(out);
    VisitTwoPlayerFields(out);
    out.Close('}');
    return out.text;
}

std::string LevelsLine(int64_t tick) {
    JsonOut out;
    out.Open('{');
    out("type", "levels");
    out("tick", tick);
    VisitLevelSet(out);
    out.Close('}');
    return out.text;
}

namespace {

std::string UpgradesJson(const int32_t (&upgrades)[UpgradeCount]) {
    std::string json = "[";
    for (int u = 0; u < UpgradeCount; ++u) {
        if (u > 0)
            json += ',';
        json += std::to_string(upgrades[u]);
    }
    json += ']';
    return json;
}

}  // namespace

std::string StatusLine(int64_t tick) {
    const StatusRecord status = CurrentStatus();
    constexpr const char* Kinds[] = {"none", "game", "editor"};
    // The second player's tanks and upgrades only in a game of two.
    const std::string second = status.twoPlayers
                                   ? ",\"tanks2\":" + std::to_string(status.tanks2) +
                                         ",\"upgrades2\":" + UpgradesJson(status.upgrades2)
                                   : std::string();
    return "{\"type\":\"status\",\"tick\":" + std::to_string(tick) + ",\"kind\":\"" +
           Kinds[status.kind] + "\",\"level\":" + std::to_string(status.level) +
           ",\"tanks\":" + std::to_string(status.tanks) +
           ",\"enemies\":" + std::to_string(status.enemies) +
           ",\"upgrades\":" + UpgradesJson(status.upgrades) + second +
           ",\"title\":" + JsonString(StatusTitleSuffix(status).c_str()) + "}";
}
