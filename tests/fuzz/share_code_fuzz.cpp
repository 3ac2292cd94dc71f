// libFuzzer target of the share code reader: any text as a code or link from a
// stranger. A code the reader takes must be the one text the writer makes of
// what it read (levels and sets) or write back to the same replay bytes; a
// refused one must say why and leave what it was given to fill as it was. And
// levels made from the bytes must come back from their code value for value.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "formats/share_code.h"

namespace {

bool Plain(const std::string& text) {
    return text.find_first_of("# \t\r\n\v\f") == std::string::npos;
}

void CheckRead(const std::string& text) {
    SharedContent content;
    content.title = "untouched";
    std::string error;
    if (ReadShareCode(text, ShareAnyKind, content, error) != ShareRead) {
        if (error.empty() || content.title != "untouched" || !content.cells.empty())
            std::abort();
        return;
    }
    std::string again;
    if (content.kind == ShareLevelKind)
        again = LevelShareCode(content.cells);
    else if (content.kind == ShareSetKind)
        again = SetShareCode(content.cells, content.title, content.author);
    else
        again = ReplayShareCode(content.replay);
    if (again.empty() || (content.kind != ShareReplayKind && Plain(text) && again != text))
        std::abort();
    SharedContent reread;
    if (ReadShareCode(again, ShareAnyKind, reread, error) != ShareRead ||
        reread.cells != content.cells || reread.title != content.title ||
        reread.author != content.author || reread.replay != content.replay)
        std::abort();
}

// Levels of a few values, the extremes among them, in runs and scattered.
void CheckMade(FuzzedDataProvider& in) {
    // A whole set costs 35 levels' coding: only one long input in eight makes
    // one, so the target keeps thousands of runs a second even when the
    // corpus has grown long (the coding of a level and of a set is the same,
    // cell by cell).
    const bool set = in.remaining_bytes() >= 1024 && in.ConsumeIntegralInRange(0, 7) == 0;
    std::vector<int32_t> cells(size_t(set ? ShareSetCells : ShareLevelCells));
    const int32_t values[4] = {in.ConsumeIntegral<int32_t>(), in.ConsumeIntegralInRange(0, 23),
                               INT32_MIN, INT32_MAX};
    for (size_t k = 0; k < cells.size();) {
        const int32_t value = values[in.ConsumeIntegralInRange(0, 3)];
        for (size_t run = in.ConsumeIntegralInRange<size_t>(1, 40); run > 0 && k < cells.size();
             --run)
            cells[k++] = value;
    }
    const std::string title = in.ConsumeRandomLengthString(80);
    const std::string code = set ? SetShareCode(cells, title, "") : LevelShareCode(cells);
    if (code.empty() != (set && !ShareNameValid(title)))
        std::abort();
    SharedContent read;
    std::string error;
    if (!code.empty() &&
        (ReadShareCode(code, ShareAnyKind, read, error) != ShareRead || read.cells != cells))
        std::abort();
    const std::string replay = in.ConsumeRemainingBytesAsString();
    if (!replay.empty() &&
        (ReadShareCode(ReplayShareCode(replay), ShareReplays, read, error) != ShareRead ||
         read.replay != replay))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckRead(std::string(reinterpret_cast<const char*>(data), size));
    FuzzedDataProvider in(data, size);
    CheckMade(in);
    return 0;
}
