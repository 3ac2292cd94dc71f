// Saving and loading the custom map file.
#include "levels/map_file.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "levels/level_grid.h"
#include "levels/level_origin.h"
#include "platform/files.h"
#include "platform/host.h"
#include "state/program_state.h"
#include "texts/notice_texts.h"
#include "texts/texts.h"

const char* const MapFileName = "map.txt";

void ShowMapSaveFailed() {
    platform::MessageBox(MainWindow, Text(MapSaveFailedText), Text(ErrorCaption),
                         platform::MB_OK | platform::MB_ICONWARNING);
}

namespace {

void ShowLoadFailed() {
    platform::MessageBox(MainWindow, Text(MapLoadFailedText), Text(ErrorCaption),
                         platform::MB_OK | platform::MB_ICONWARNING);
}

// Why the file was refused, after the game's own box: a notice of the
// program's own, which the game and a replay never see.
void ShowWhyRefused(const MapTextFault& fault) {
    char why[256];
    if (fault.kind == MapFaultEndsEarly)
        std::snprintf(why, sizeof why, NoticeText(MapEndsEarly), int(fault.valuesRead));
    else if (fault.kind == MapFaultNotANumber)
        std::snprintf(why, sizeof why, NoticeText(MapNotANumber), fault.found.c_str());
    else
        std::snprintf(why, sizeof why, "%s", NoticeText(MapNumberTooLarge));
    char text[1024];
    std::snprintf(text, sizeof text, NoticeText(MapProblemText), int(fault.line), why);
    host::ShowNotice(text, NoticeText(MapProblemCaption));
}

// The reader's tokens: white space as the C locale knows it. A table, since
// a saved map is 30,000 characters and each is asked this once or twice.
struct BlankTable {
    bool blank[256] = {};
    constexpr BlankTable() {
        for (unsigned char c : {' ', '\t', '\n', '\r', '\v', '\f'})
            blank[c] = true;
    }
};
constexpr BlankTable Blanks;

bool IsBlank(char c) {
    return Blanks.blank[static_cast<unsigned char>(c)];
}

struct TextCursor {
    const char* at;
    const char* end;
};

void SkipBlanks(TextCursor& text) {
    while (text.at != text.end && IsBlank(*text.at))
        ++text.at;
}

// A signed decimal number; false (and nothing stored) when there are no
// digits, the text has ended, or the number does not fit 32 bits.
bool ReadNumber(TextCursor& text, int32_t& value) {
    SkipBlanks(text);
    bool negative = false;
    if (text.at != text.end && (*text.at == '+' || *text.at == '-')) {
        negative = *text.at == '-';
        ++text.at;
    }
    if (text.at == text.end || *text.at < '0' || *text.at > '9')
        return false;
    int64_t magnitude = 0;
    while (text.at != text.end && *text.at >= '0' && *text.at <= '9') {
        if (magnitude <= int64_t(1) << 32)
            magnitude = magnitude * 10 + (*text.at - '0');
        ++text.at;
    }
    int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue < INT32_MIN || signedValue > INT32_MAX)
        return false;
    value = int32_t(signedValue);
    return true;
}

// A separator: any run of characters up to the next white space; its content
// does not matter, but there must be one.
bool ReadSeparator(TextCursor& text) {
    SkipBlanks(text);
    if (text.at == text.end)
        return false;
    while (text.at != text.end && !IsBlank(*text.at))
        ++text.at;
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

size_t ReadLevelValues(const std::string& text, std::vector<int32_t>& levels) {
    // Tokens alternate strictly, number then separator; the first failed read
    // ends the reading.
    TextCursor cursor{text.data(), text.data() + text.size()};
    const size_t count = levels.size();
    for (size_t k = 0; k < count; ++k) {
        int32_t value;
        if (!ReadNumber(cursor, value))
            return k;
        levels[k] = value;
        if (k + 1 != count && !ReadSeparator(cursor))
            return k + 1;
    }
    return count;
}

namespace {

int32_t LineAt(const std::string& text, const char* at) {
    return int32_t(1 + std::count(text.data(), at, '\n'));
}

// The end of the last word before `at`: the line a text cut short ends on.
const char* LastWordEnd(const std::string& text, const char* at) {
    while (at != text.data() && IsBlank(at[-1]))
        --at;
    return at == text.data() ? at : at - 1;
}

}  // namespace

MapTextFault FindMapTextFault(const std::string& text, size_t count) {
    // The reader's steps again (ReadLevelValues), each start remembered.
    TextCursor cursor{text.data(), text.data() + text.size()};
    MapTextFault fault;
    for (size_t k = 0; k < count; ++k) {
        SkipBlanks(cursor);
        const char* start = cursor.at;
        int32_t value;
        if (!ReadNumber(cursor, value)) {
            fault.valuesRead = int32_t(k);
            if (start == cursor.end) {
                fault.kind = MapFaultEndsEarly;
                fault.line = LineAt(text, LastWordEnd(text, start));
                return fault;
            }
            const char* end = start;
            while (end != cursor.end && !IsBlank(*end))
                ++end;
            const bool digits = cursor.at != start && cursor.at[-1] >= '0' && cursor.at[-1] <= '9';
            fault.kind = digits ? MapFaultTooLarge : MapFaultNotANumber;
            fault.found.assign(start, size_t(std::min<ptrdiff_t>(end - start, 24)));
            fault.line = LineAt(text, start);
            return fault;
        }
        if (k + 1 != count && !ReadSeparator(cursor)) {
            fault.kind = MapFaultEndsEarly;
            fault.valuesRead = int32_t(k + 1);
            fault.line = LineAt(text, LastWordEnd(text, cursor.at));
            return fault;
        }
    }
    return fault;
}

bool ReadLevelSetText(const std::string& text, std::vector<int32_t>& levels) {
    std::vector<int32_t> read(levels.size());
    if (ReadLevelValues(text, read) != levels.size())
        return false;
    levels = std::move(read);
    return true;
}

bool SaveCustomMap() {
    // The file as it was is kept first (map.txt.1, the older ones moved on):
    // a save the player did not mean can be taken back.
    if (!platform::ReplaceKeepingVersions(MapFileName, FormatLevelSet(LevelSet), MapVersionsKept,
                                          MaxMapFileBytes)) {
        ShowMapSaveFailed();
        return false;
    }
    platform::MessageBox(MainWindow, Text(MapSavedText), "", platform::MB_OK);
    return true;
}

bool LoadCustomMap() {
    // The whole file is read, and every cell read, before any cell changes:
    // a file cut short, or with something other than a number where one
    // belongs, would leave a level set made of two maps.
    std::string text;
    if (!platform::ReadSmallFile(MapFileName, MaxMapFileBytes, text)) {
        ShowLoadFailed();
        // A missing file has the game's own box alone; one that is there but
        // cannot be read is told as well.
        if (platform::PathExists(MapFileName))
            host::ShowNotice(
                (std::string(MapFileName) + ": " + NoticeText(MapCannotBeRead)).c_str(),
                NoticeText(MapProblemCaption));
        return false;
    }
    if (!ReadLevelSetText(text, LevelSet)) {
        ShowLoadFailed();
        ShowWhyRefused(FindMapTextFault(text, LevelSet.size()));
        return false;
    }
    MarkLevelsOwn();
    return true;
}

bool LevelsOfMapText(const std::string& text, SharedContent& content, std::string& error) {
    std::vector<int32_t> cells(LevelSetSize, 0);
    const size_t count = ReadLevelValues(text, cells);
    if (count != size_t(LevelSetSize) && count != size_t(LevelCellCount)) {
        error = "holds " + std::to_string(count) + " values in the map file's format, " +
                "neither a level (165) nor a level set (5775)";
        return false;
    }
    cells.resize(count);
    content.kind = count == size_t(LevelSetSize) ? ShareSetKind : ShareLevelKind;
    content.cells = std::move(cells);
    return true;
}
