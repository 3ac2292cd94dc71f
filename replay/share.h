// Share codes of what the game keeps in files: a map file (a whole level set,
// or one level alone) and a replay file; and replays and level sets out of
// codes, links and files for the programs that open them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/share_code.h"

// The code of a file: a replay file (read strictly) or a file in the map
// file's text format holding 5775 values (a set, named by `author`) or 165 (a
// level). False, with the reason in `error`, for anything else.
bool ShareCodeOfFile(const std::string& path, const std::string& author, ShareKind& kind,
                     std::string& code, std::string& error);

// What `text` opens: a code or link of any kind, or, when it names a file, the
// file (a replay file, or a map file read as ShareCodeOfFile reads it). A
// replay comes as the file's bytes, read strictly. False, with the reason,
// for anything else; `content` is then as it was.
bool OpenShareText(const std::string& text, SharedContent& content, std::string& error);

// The replay of a code, a link or a file; false with the reason otherwise.
bool ReplayOfCodeOrFile(const std::string& text, std::string& bytes, std::string& error);
