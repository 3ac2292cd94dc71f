// Whole-file input and output for the files the game keeps (the map file,
// the settings, the records and replays): reading a small file at once, and
// replacing a file whole or not at all.
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

}  // namespace platform
