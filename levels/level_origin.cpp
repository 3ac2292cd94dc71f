// The record of where the levels in force came from.
#include "levels/level_origin.h"

LevelOriginRecord LevelOrigin;

void MarkLevelsShared() {
    LevelOrigin.shared = true;
    LevelOrigin.savedAs.clear();
}

void MarkLevelsOwn() {
    LevelOrigin = LevelOriginRecord{};
}

void ResetLevelOrigin() {
    MarkLevelsOwn();
}
