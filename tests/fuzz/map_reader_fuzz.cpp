// libFuzzer target of the map file's reader: any bytes as map.txt's text.
// The reader must stay inside the level set and agree, cell for cell, with a
// second reader written here from the file format with other means.
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "levels/level_grid.h"
#include "levels/map_file.h"

namespace {

constexpr const char* Blanks = " \t\n\r\v\f";

// Number, then separator, as the format says: a number is an optional sign
// and digits after blanks (and must fit 32 bits); a separator is the rest up
// to the next blank, and there must be one before the next number.
void ReferenceRead(const std::string& text, std::vector<int32_t>& levels) {
    size_t at = 0;
    for (size_t k = 0; k < levels.size(); ++k) {
        at = text.find_first_not_of(Blanks, at, 6);
        if (at == std::string::npos)
            return;
        size_t digits = at + (text[at] == '+' || text[at] == '-' ? 1 : 0);
        size_t end = digits;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9')
            ++end;
        if (end == digits)
            return;
        // from_chars takes no '+', and its range check is its own.
        std::string number = (text[at] == '-' ? "-" : "") + text.substr(digits, end - digits);
        int32_t value = 0;
        auto [ptr, error] = std::from_chars(number.data(), number.data() + number.size(), value);
        if (error != std::errc() || ptr != number.data() + number.size())
            return;
        levels[k] = value;
        at = end;
        if (k + 1 == levels.size())
            return;
        at = text.find_first_not_of(Blanks, at, 6);
        if (at == std::string::npos)
            return;
        at = text.find_first_of(Blanks, at, 6);
        if (at == std::string::npos)
            at = text.size();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // Cells that no read reaches must keep these values.
    std::vector<int32_t> levels(size_t(LevelCount) * LevelCellCount);
    for (size_t k = 0; k < levels.size(); ++k)
        levels[k] = int32_t(k * 7919 % 100003) - 50000;
    std::vector<int32_t> reference = levels;
    ReadLevelSetText(text, levels);
    ReferenceRead(text, reference);
    if (levels.size() != reference.size() || levels != reference)
        std::abort();
    // What was read saves as text that reads back to the same cells.
    std::vector<int32_t> again(levels.size(), 0);
    ReadLevelSetText(FormatLevelSet(levels), again);
    if (again != levels)
        std::abort();
    return 0;
}
