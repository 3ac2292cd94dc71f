// The resource table over the files that the assembler embedded.
#include "platform/shared/resources.h"

#define MORVASK_RESOURCE(name)               \
    extern "C" const uint8_t name##_begin[]; \
    extern "C" const uint8_t name##_end[];
MORVASK_RESOURCE(morvask_res_background)
MORVASK_RESOURCE(morvask_res_tanks)
MORVASK_RESOURCE(morvask_res_bullets)
MORVASK_RESOURCE(morvask_res_cells)
MORVASK_RESOURCE(morvask_res_effects)
MORVASK_RESOURCE(morvask_res_marks)
MORVASK_RESOURCE(morvask_res_wave111)
MORVASK_RESOURCE(morvask_res_wave118)
MORVASK_RESOURCE(morvask_res_wave119)
MORVASK_RESOURCE(morvask_res_wave120)
MORVASK_RESOURCE(morvask_res_wave121)
MORVASK_RESOURCE(morvask_res_wave122)
MORVASK_RESOURCE(morvask_res_icon256)
#undef MORVASK_RESOURCE

namespace shared {

namespace {

struct TableEntry {
    int id;
    const uint8_t* begin;
    const uint8_t* end;
};

const TableEntry ResourceTable[] = {
    {.id = 110, .begin = morvask_res_icon256_begin, .end = morvask_res_icon256_end},
    {.id = 111, .begin = morvask_res_wave111_begin, .end = morvask_res_wave111_end},
    {.id = 114, .begin = morvask_res_background_begin, .end = morvask_res_background_end},
    {.id = 115, .begin = morvask_res_tanks_begin, .end = morvask_res_tanks_end},
    {.id = 117, .begin = morvask_res_bullets_begin, .end = morvask_res_bullets_end},
    {.id = 118, .begin = morvask_res_wave118_begin, .end = morvask_res_wave118_end},
    {.id = 119, .begin = morvask_res_wave119_begin, .end = morvask_res_wave119_end},
    {.id = 120, .begin = morvask_res_wave120_begin, .end = morvask_res_wave120_end},
    {.id = 121, .begin = morvask_res_wave121_begin, .end = morvask_res_wave121_end},
    {.id = 122, .begin = morvask_res_wave122_begin, .end = morvask_res_wave122_end},
    {.id = 124, .begin = morvask_res_cells_begin, .end = morvask_res_cells_end},
    {.id = 125, .begin = morvask_res_effects_begin, .end = morvask_res_effects_end},
    {.id = 126, .begin = morvask_res_marks_begin, .end = morvask_res_marks_end},
};

}  // namespace

ResourceBytes FindResource(int resourceId) {
    for (const TableEntry& entry : ResourceTable)
        if (entry.id == resourceId)
            return {entry.begin, size_t(entry.end - entry.begin)};
    return {};
}

}  // namespace shared
