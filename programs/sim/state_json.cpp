// Writing the game's state as one JSON object per line.
#include "programs/sim/state_json.h"

#include <cstdio>

#include "editor/painting.h"
#include "levels/level_grid.h"
#include "platform/headless/headless.h"
#include "state/battle_state.h"
#include "state/program_state.h"
#include "state/random.h"

namespace {

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
    void Int(const char* name, int64_t value) {
        Key(name);
        text += std::to_string(value);
    }
    void Bool(const char* name, bool value) {
        Key(name);
        text += value ? "true" : "false";
    }
    void Open(char bracket) {
        text += bracket;
        first = true;
    }
    void Close(char bracket) {
        text += bracket;
        first = false;
    }
    void Separate() {
        if (!first)
            text += ',';
        first = false;
    }
};

void Tank(JsonOut& out, const TankRecord& t) {
    out.Open('{');
    out.Int("kind", t.band);
    out.Int("hitPoints", t.hitPoints);
    out.Int("armour", t.armour);
    out.Int("moveDir", t.moveDir);
    out.Int("x", t.x);
    out.Int("y", t.y);
    out.Int("turretDir", t.turretDir);
    out.Bool("turretLocked", t.turretLocked);
    out.Int("reloadTimer", t.reloadTimer);
    out.Int("moveTicks", t.moveTicks);
    out.Int("trackFrame", t.trackFrame);
    out.Int("speed", t.speed);
    out.Int("stepPixels", t.stepPixels);
    out.Int("flashTicks", t.flashTicks);
    out.Int("reloadRate", t.reloadRate);
    out.Int("bulletKind", t.bulletBand);
    out.Int("bulletsInFlight", t.bulletsInFlight);
    out.Int("maxBullets", t.maxBullets);
    out.Int("bulletDamage", t.bulletDamage);
    out.Int("bulletSpeed", t.bulletSpeed);
    out.Int("waitTicks", t.waitTicks);
    out.Close('}');
}

void BulletObject(JsonOut& out, const Bullet& b) {
    out.Open('{');
    out.Int("kind", b.band);
    out.Int("spare", b.spare);
    out.Int("direction", b.direction);
    out.Int("x", b.x);
    out.Int("y", b.y);
    out.Int("speed", b.speed);
    out.Int("damage", b.damage);
    out.Int("frame", b.frame);
    out.Close('}');
}

void BulletList(JsonOut& out, const std::vector<Bullet>& list) {
    out.Open('[');
    for (const Bullet& b : list) {
        out.Separate();
        BulletObject(out, b);
    }
    out.Close(']');
}

void IntList(JsonOut& out, const std::vector<int32_t>& values) {
    out.Open('[');
    for (int32_t v : values) {
        out.Separate();
        out.text += std::to_string(v);
    }
    out.Close(']');
}

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
    out.Key("type");
    out.text += "\"state\"";
    out.Int("tick", tick);
    out.Int("GameMode", GameMode);
    out.Int("LevelIndex", s.LevelIndex);
    out.Int("Lives", s.Lives);
    out.Bool("SoundEnabled", SoundEnabled);
    out.Int("MouseX", MouseX);
    out.Int("MouseY", MouseY);
    out.Int("Brush", Brush);
    out.Bool("TimerSet", headless::TimerIsSet(BattleTimer));
    out.Int("RngState", RandomState());
    out.Bool("PlayerDestroyed", s.PlayerDestroyed);
    out.Int("RespawnDelay", s.RespawnDelay);
    out.Int("GameOverDelay", s.GameOverDelay);
    out.Int("LevelClearDelay", s.LevelClearDelay);
    out.Int("EnemiesToSpawn", s.EnemiesToSpawn);
    out.Int("EnemiesOnField", s.EnemiesOnField);
    out.Int("SpawnDelay", s.SpawnDelay);
    out.Int("ItemKind", s.DroppedItem);
    out.Int("ItemX", s.ItemX);
    out.Int("ItemY", s.ItemY);
    out.Int("TerrainPhaseA", s.TerrainPhaseA);
    out.Int("TerrainPhaseB", s.TerrainPhaseB);
    out.Bool("TurretLockLatch", TurretLockLatch);
    out.Key("Player");
    Tank(out, s.Player);
    out.Key("EnemyList");
    out.Open('[');
    for (const TankRecord& t : s.EnemyList) {
        out.Separate();
        Tank(out, t);
    }
    out.Close(']');
    out.Key("EnemyBulletLists");
    out.Open('[');
    for (const std::vector<Bullet>& list : s.EnemyBulletLists) {
        out.Separate();
        BulletList(out, list);
    }
    out.Close(']');
    out.Key("PlayerBullets");
    BulletList(out, s.PlayerBullets);
    out.Key("Effects");
    out.Open('[');
    for (const Effect& e : s.Effects) {
        out.Separate();
        out.Open('{');
        out.Int("x", e.x);
        out.Int("y", e.y);
        out.Int("frame", e.frame);
        out.Bool("finished", e.finished);
        out.Close('}');
    }
    out.Close(']');
    out.Key("WorkingGrid");
    IntList(out, WorkingGrid);
    out.Close('}');
    return out.text;
}

std::string LevelsLine(int64_t tick) {
    JsonOut out;
    out.Open('{');
    out.Key("type");
    out.text += "\"levels\"";
    out.Int("tick", tick);
    out.Key("LevelSet");
    IntList(out, LevelSet);
    out.Close('}');
    return out.text;
}
