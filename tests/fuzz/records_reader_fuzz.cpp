// libFuzzer target of the records file's reader: any bytes as records.txt,
// edited by hand or damaged. A file that reads must be written back as text
// that reads to an equal value (and is written the same again); a refused
// file changes nothing and says a line of the file, or what disagrees.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "options/records_file.h"

namespace {

// Unlike any record a file could give, so a refusal that changed it shows.
RecordsRecord Marker() {
    RecordsRecord records;
    records.highestLevel = 17;
    records.gamesPlayed = 3;
    records.gamesWon = 5;  // more won than played: no file says this
    return records;
}

size_t LineCount(const std::string& text) {
    size_t lines = 1;
    for (char c : text)
        lines += c == '\n' ? 1 : 0;
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    RecordsRecord records = Marker();
    std::string problem;
    if (!ParseRecords(text, records, problem)) {
        if (!(records == Marker()))
            std::abort();
        if (problem.compare(0, 5, "line ") == 0) {
            const size_t line = std::strtoul(problem.c_str() + 5, nullptr, 10);
            if (line < 1 || line > LineCount(text))
                std::abort();
        } else if (problem.compare(0, 14, "the file says ") != 0) {
            std::abort();
        }
        return 0;
    }
    const std::string written = FormatRecords(records);
    RecordsRecord again = Marker();
    std::string againProblem;
    if (!ParseRecords(written, again, againProblem) || !(again == records))
        std::abort();
    if (FormatRecords(again) != written)
        std::abort();
    return 0;
}
