// Whole-file input and output for the files the game keeps (the map file,
// the settings, the records and replays): reading a small file at once, and
// replacing a file whole or not at all, its earlier versions kept.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Reads the whole of the regular file `path` into `text`. False, with `text`
// unspecified, when it cannot be opened, is no regular file, holds more than
// `limit` bytes (refused before any of it is read) or a read fails midway.
bool ReadSmallFile(const char* path, size_t limit, std::string& text);

// Replaces the file `path` with `text`: written beside it under a new name
// that no one could have planted, flushed to the disk, moved over the old
// file and the move made durable. False, with the old file untouched and
// nothing left behind, when any step fails or when the old file or its
// directory may not be written: no write permission bit at all, or the
// effective user could not open the old file for writing. A link in place of
// `path` is followed: the file it names is replaced. Also false when the
// move could not be made durable (on the web: the browser refused to store
// it), though the new text is then in place until the next start.
bool ReplaceFileWhole(const char* path, const std::string& text);

// True when something (a file, a folder, a link) is at `path`.
bool PathExists(const char* path);

// Moves the file `from` to the new name `to` in the same folder, only when
// nothing is at `to`: never over another file. False, with both names as
// they were, when something is at `to` or the move fails.
bool MoveToNewName(const char* from, const char* to);

// Replaces `path` with `text` as ReplaceFileWhole does, keeping first the
// file as it was: as "PATH.1", the one there before as "PATH.2", and so on up
// to "PATH.<kept>" (the oldest version beyond that is let go). A file that
// may not be replaced is found out before any version moves. Every version is
// copied one place on before the newer one is written over it, so a step that
// fails leaves each version in one file at least: false then, with `path` not
// replaced (a write that fails at the last step, a full disk, leaves PATH.1
// holding the same text as `path`). A present `path` or version that cannot
// be read whole (over `limit` bytes, a folder) is not lost either: nothing is
// written.
bool ReplaceKeepingVersions(const char* path, const std::string& text, int kept, size_t limit);

// The name of the version `number` (1 the newest) of `path`: "PATH.number".
std::string VersionPath(const char* path, int number);

}  // namespace platform
