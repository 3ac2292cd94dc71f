// Saving and loading the custom map file.
#include "levels/map_file.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "levels/level_grid.h"
#include "state/program_state.h"

const char* const MapFileName = "map.txt";

namespace {

namespace fs = std::filesystem;

constexpr fs::perms AnyWrite =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

void ShowSaveFailed() {
    platform::MessageBox(MainWindow, "地图保存失败！", "错误",
                         platform::MB_OK | platform::MB_ICONWARNING);
}

// A file or directory whose write permission was taken away is not written,
// even by a user whom the system would let through.
bool WriteProtected(const fs::path& path) {
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    return !error && (status.permissions() & AnyWrite) == fs::perms::none;
}

// Writes the text beside the target and moves it over the target only once
// it is whole on disk.
bool ReplaceFileWhole(const fs::path& target, const std::string& text) {
    fs::path directory = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    if (WriteProtected(directory))
        return false;
    fs::path temporary = target;
    temporary += ".saving";
    std::FILE* file = std::fopen(temporary.string().c_str(), "wb");
    if (!file)
        return false;
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    written = std::fflush(file) == 0 && written;
    written = std::fclose(file) == 0 && written;
    std::error_code error;
    if (written && fs::exists(target, error)) {
        fs::perms old = fs::status(target, error).permissions();
        if (!error)
            fs::permissions(temporary, old, error);
    }
    if (written) {
        fs::rename(temporary, target, error);
        if (!error)
            return true;
    }
    fs::remove(temporary, error);
    return false;
}

// The reader's tokens: white space as the C locale knows it.
bool IsBlank(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

int SkipBlanks(std::FILE* file) {
    int c = std::getc(file);
    while (c != EOF && IsBlank(c))
        c = std::getc(file);
    return c;
}

// A signed decimal number; false (and nothing stored) when there are no
// digits, the file has ended, or the number does not fit 32 bits.
bool ReadNumber(std::FILE* file, int32_t& value) {
    int c = SkipBlanks(file);
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = std::getc(file);
    }
    if (c < '0' || c > '9')
        return false;
    int64_t magnitude = 0;
    bool fits = true;
    while (c >= '0' && c <= '9') {
        if (magnitude <= int64_t(1) << 32)
            magnitude = magnitude * 10 + (c - '0');
        c = std::getc(file);
    }
    if (c != EOF)
        std::ungetc(c, file);
    int64_t signedValue = negative ? -magnitude : magnitude;
    fits = signedValue >= INT32_MIN && signedValue <= INT32_MAX;
    if (!fits)
        return false;
    value = int32_t(signedValue);
    return true;
}

// A separator: any run of characters up to the next white space; its content
// does not matter, but there must be one.
bool ReadSeparator(std::FILE* file) {
    int c = SkipBlanks(file);
    if (c == EOF)
        return false;
    while (c != EOF && !IsBlank(c))
        c = std::getc(file);
    if (c != EOF)
        std::ungetc(c, file);
    return true;
}

}  // namespace

std::string FormatLevelSet(const std::vector<int32_t>& levels) {
    std::string text;
    text.reserve(levels.size() * 6);
    char number[16];
    for (size_t k = 0; k < levels.size(); ++k) {
        std::snprintf(number, sizeof number, "%d", int(levels[k]));
        text += number;
        if (k + 1 != levels.size()) {
            if (levels[k] < 10)
                text += ' ';
            text += " , ";
        }
        if ((k + 1) % GridColumns == 0)
            text += "\r\n";
        if ((k + 1) % LevelCellCount == 0)
            text += "\r\n";
    }
    return text;
}

void SaveCustomMap() {
    std::error_code error;
    fs::path target = MapFileName;
    fs::file_status status = fs::status(target, error);
    if (fs::exists(status)) {
        if (!fs::is_regular_file(status) || WriteProtected(target)) {
            ShowSaveFailed();
            return;
        }
        // A link to the map is followed: the file it names is replaced.
        fs::path resolved = fs::canonical(target, error);
        if (!error)
            target = resolved;
    }
    if (!ReplaceFileWhole(target, FormatLevelSet(LevelSet))) {
        ShowSaveFailed();
        return;
    }
    platform::MessageBox(MainWindow, "地图保存成功！", "", platform::MB_OK);
}

void LoadCustomMap() {
    std::error_code error;
    std::FILE* file = nullptr;
    if (fs::is_regular_file(MapFileName, error))
        file = std::fopen(MapFileName, "rb");
    if (!file) {
        platform::MessageBox(MainWindow, "载入地图失败！", "错误",
                             platform::MB_OK | platform::MB_ICONWARNING);
        return;
    }
    // Tokens alternate strictly, number then separator; the first failed read
    // ends the reading and every later cell keeps its value.
    const size_t count = LevelSet.size();
    for (size_t k = 0; k < count; ++k) {
        int32_t value;
        if (!ReadNumber(file, value))
            break;
        LevelSet[k] = value;
        if (k + 1 != count && !ReadSeparator(file))
            break;
    }
    std::fclose(file);
}
