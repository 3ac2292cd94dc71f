// Where the levels in force came from: the player's own (the map file, the
// built-in levels, their edits) or a share, which is never saved over the map
// file (levels/shared_levels.h says where it goes).
#pragma once

#include <string>

struct LevelOriginRecord {
    // Some of the levels in force came from a share since the map file was
    // last loaded or the built-in levels restored.
    bool shared = false;
    // The file the shared levels were saved to, which later saves replace;
    // empty before their first save.
    std::string savedAs;
    // A set that came from a share carries its own name (its title and
    // author as they came, or as renamed since), which its code keeps; the
    // player's own levels carry the player's (the settings' set_title and
    // share_author).
    bool named = false;
    std::string title;
    std::string author;
};
extern LevelOriginRecord LevelOrigin;

// Levels from a share are now in force (a new share is a new file to save).
void MarkLevelsShared();

// A shared set arrived with this name: from now on its code carries it.
void NameSharedSet(const std::string& title, const std::string& author);

// The player's own levels are in force again: the map file's or the built-in.
void MarkLevelsOwn();

// Forgets where the levels came from, as at program start.
void ResetLevelOrigin();
