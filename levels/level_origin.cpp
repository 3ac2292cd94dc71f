// The record of where the levels in force came from.
#include "levels/level_origin.h"

LevelOriginRecord LevelOrigin;

void MarkLevelsShared() {
    LevelOrigin.shared = true;
    LevelOrigin.savedAs.clear();
}

void NameSharedSet(const std::string& title, const std::string& author) {
    LevelOrigin.named = true;
    LevelOrigin.title = title;
    LevelOrigin.author = author;
}

void MarkLevelsOwn() {
    LevelOrigin = LevelOriginRecord{};
}

void ResetLevelOrigin() {
    MarkLevelsOwn();
}
