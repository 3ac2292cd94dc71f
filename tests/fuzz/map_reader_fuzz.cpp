// libFuzzer target of the map file's reader: any bytes as map.txt's text.
// The reader must stay inside the level set and agree, cell for cell, with a
// second reader written here from the file format with other means, what it
// read must save as text that reads back to the same cells, and a whole level
// set is taken only from a text that gives every value of it.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "levels/level_grid.h"
#include "levels/map_file.h"

namespace {

// The blanks of the format, as the C library knows them (the game's reader
// has a table of its own).
bool Blank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

size_t SkipBlanks(const std::string& text, size_t at) {
    while (at < text.size() && Blank(text[at]))
        ++at;
    return at;
}

// Reads one number at `at` (after the blanks): an optional sign and digits
// that must fit 32 bits, judged by from_chars on at most eleven characters,
// since leading zeros carry nothing. False when there is none or it is too
// large.
bool ReferenceNumber(const std::string& text, size_t& at, int32_t& value) {
    at = SkipBlanks(text, at);
    if (at == text.size())
        return false;
    const bool negative = text[at] == '-';
    const size_t digits = at + (negative || text[at] == '+' ? 1 : 0);
    size_t end = digits;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9')
        ++end;
    if (end == digits)
        return false;
    size_t first = digits;
    while (first + 1 < end && text[first] == '0')
        ++first;
    // Eleven significant digits are past 32 bits whatever they say.
    if (end - first > 10)
        return false;
    char number[12];
    size_t length = 0;
    if (negative)
        number[length++] = '-';
    for (size_t k = first; k < end; ++k)
        number[length++] = text[k];
    auto [ptr, error] = std::from_chars(number, number + length, value);
    if (error != std::errc() || ptr != number + length)
        return false;
    at = end;
    return true;
}

// Number, then separator, as the format says: a separator is the rest up to
// the next blank after any blanks, and there must be one before the next
// number. Returns how many cells it read.
size_t ReferenceRead(const std::string& text, std::vector<int32_t>& levels) {
    size_t at = 0;
    for (size_t k = 0; k < levels.size(); ++k) {
        int32_t value = 0;
        if (!ReferenceNumber(text, at, value))
            return k;
        levels[k] = value;
        if (k + 1 == levels.size())
            return k + 1;
        at = SkipBlanks(text, at);
        if (at == text.size())
            return k + 1;
        while (at < text.size() && !Blank(text[at]))
            ++at;
    }
    return levels.size();
}

// Cells that no read reaches must keep these values.
std::vector<int32_t> Untouched() {
    std::vector<int32_t> levels(static_cast<size_t>(LevelSetSize));
    for (size_t k = 0; k < levels.size(); ++k)
        levels[k] = int32_t(k * 7919 % 100003) - 50000;
    return levels;
}

// Kept from run to run, so that a run allocates only the saved text.
struct Buffers {
    std::vector<int32_t> untouched = Untouched();
    std::string text;
    std::vector<int32_t> levels;
    std::vector<int32_t> whole;
    std::vector<int32_t> reference;
    std::vector<int32_t> read;
    std::vector<int32_t> again;
};

Buffers& Kept() {
    static Buffers buffers;
    return buffers;
}

}  // namespace

// The whole level set saves and reads back: checked once, since it does not
// depend on the input (each run checks the cells its input set).
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::vector<int32_t> levels = Kept().untouched;
    std::vector<int32_t> again(levels.size(), 0);
    if (!ReadLevelSetText(FormatLevelSet(levels), again) || again != levels)
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Buffers& b = Kept();
    b.text.assign(reinterpret_cast<const char*>(data), size);
    b.levels = b.untouched;
    b.reference = b.untouched;
    const size_t read = ReadLevelValues(b.text, b.levels);
    const size_t count = ReferenceRead(b.text, b.reference);
    if (read != count || b.levels != b.reference)
        std::abort();
    // All or nothing: the whole set changes only when every value was read.
    b.whole = b.untouched;
    if (ReadLevelSetText(b.text, b.whole) != (count == b.whole.size()))
        std::abort();
    if (b.whole != (count == b.whole.size() ? b.levels : b.untouched))
        std::abort();
    // What was read saves as text that reads back to the same cells; the
    // cells after those keep the values checked at the start.
    b.read.assign(b.levels.begin(), b.levels.begin() + std::ptrdiff_t(count));
    b.again.assign(count, 0);
    if (ReadLevelValues(FormatLevelSet(b.read), b.again) != count || b.again != b.read)
        std::abort();
    return 0;
}
