// The earlier versions of a replaced file, kept beside it as PATH.1 (newest)
// to PATH.N, over the backends' whole-file reading and replacing save, so
// that every host (and the page's stored folder) keeps them the same way.
#include <string>

#include "platform/files.h"

namespace platform {

std::string VersionPath(const char* path, int number) {
    return std::string(path) + "." + std::to_string(number);
}

namespace {

// Copies `from` over `to`; true when `from` is absent (nothing to keep).
bool CopyOn(const std::string& from, const std::string& to, size_t limit) {
    if (!PathExists(from.c_str()))
        return true;
    std::string text;
    return ReadSmallFile(from.c_str(), limit, text) && ReplaceFileWhole(to.c_str(), text);
}

}  // namespace

bool ReplaceKeepingVersions(const char* path, const std::string& text, int kept, size_t limit) {
    std::string current;
    const bool present = kept >= 1 && PathExists(path);
    if (present && !ReadSmallFile(path, limit, current))
        return false;
    // A file that may not be replaced (its permissions, its folder's) is
    // found out before any version moves: written again as it is, nothing
    // changes, and a refusal leaves every file as it was.
    if (present && !ReplaceFileWhole(path, current))
        return false;
    // Oldest first: a version is written over only once it is copied on.
    for (int number = kept - 1; number >= 1; --number)
        if (!CopyOn(VersionPath(path, number), VersionPath(path, number + 1), limit))
            return false;
    if (present && !ReplaceFileWhole(VersionPath(path, 1).c_str(), current))
        return false;
    return ReplaceFileWhole(path, text);
}

}  // namespace platform
