// Share codes of files, and what codes, links and files open.
#include "replay/share.h"

#include <filesystem>

#include "levels/level_grid.h"
#include "levels/map_file.h"
#include "platform/files.h"
#include "replay/file.h"

namespace {

bool IsReplayFile(const std::string& bytes) {
    return bytes.rfind("MVRP", 0) == 0;
}

bool ContentOfFile(const std::string& path, SharedContent& content, std::string& error) {
    std::string bytes;
    if (!ReadReplayFile(path, bytes)) {
        error = ReplayFileUnreadable;
        return false;
    }
    if (IsReplayFile(bytes)) {
        ReplayRecord replay;
        if (DecodeReplay(bytes, replay, error) != ReplayRead)
            return false;
        if (bytes.size() > MaxSharedReplayBytes) {
            error = "the replay is too long to share (more than 1 MiB)";
            return false;
        }
        content.kind = ShareReplayKind;
        content.replay = std::move(bytes);
        return true;
    }
    if (bytes.size() > MaxMapFileBytes) {
        error = "too large for a map file";
        return false;
    }
    return LevelsOfMapText(bytes, content, error);
}

// A file, when one of that name is there or the text looks like a path: a
// code never holds '/', '\\' or '.', a link always holds '#'.
bool NamesFile(const std::string& text) {
    std::error_code error;
    if (!text.empty() && text.size() < 4096 && std::filesystem::exists(text, error))
        return true;
    return text.find('#') == std::string::npos && text.find_first_of("/\\.") != std::string::npos;
}

}  // namespace

bool ShareCodeOfFile(const std::string& path, const std::string& author, ShareKind& kind,
                     std::string& code, std::string& error) {
    SharedContent content;
    if (!ContentOfFile(path, content, error))
        return false;
    kind = content.kind;
    if (kind == ShareReplayKind)
        code = ReplayShareCode(content.replay);
    else if (kind == ShareSetKind)
        code = SetShareCode(content.cells, "", author);
    else
        code = LevelShareCode(content.cells);
    if (code.empty())
        error = "the author's name is not short clean UTF-8 text (at most 64 bytes)";
    return !code.empty();
}

bool OpenShareText(const std::string& text, SharedContent& content, std::string& error) {
    SharedContent read;
    if (NamesFile(text)) {
        if (!ContentOfFile(text, read, error))
            return false;
    } else if (ReadShareCode(text, ShareAnyKind, read, error) != ShareRead) {
        return false;
    } else if (read.kind == ShareReplayKind) {
        ReplayRecord replay;
        if (DecodeReplay(read.replay, replay, error) != ReplayRead)
            return false;
    }
    content = std::move(read);
    return true;
}

bool ReplayOfCodeOrFile(const std::string& text, std::string& bytes, std::string& error) {
    if (NamesFile(text)) {
        if (ReadReplayFile(text, bytes))
            return true;
        error = ReplayFileUnreadable;
        return false;
    }
    SharedContent content;
    if (ReadShareCode(text, ShareReplays, content, error) != ShareRead)
        return false;
    bytes = std::move(content.replay);
    return true;
}
