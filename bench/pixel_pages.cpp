// Which pages of the pictures are in memory, as the kernel reports them
// (/proc/self/pagemap, Linux only): the bytes a band was decoded from are
// given back, surfaces drawn whole have their pages at once, and the tank
// sheet's pages stay untouched until its bands are drawn. A probe, not a
// test: under memory pressure or with transparent huge pages the kernel may
// answer otherwise (see docs/performance.md). Exit 1 when a page is not as
// the code means it to be.
//
//   morvask-pixel-pages
#include <cstdint>
#include <cstdio>

#include "platform/shared/resources.h"
#include "platform/shared/surfaces.h"

namespace {

int Surprises = 0;

#if defined(__linux__)
// Whether the page at p is in this process's memory now.
bool Resident(const void* p) {
    std::FILE* map = std::fopen("/proc/self/pagemap", "rb");
    if (!map)
        return false;
    uint64_t entry = 0;
    const long offset = long(reinterpret_cast<uintptr_t>(p) / 4096 * 8);
    bool read = std::fseek(map, offset, SEEK_SET) == 0 && std::fread(&entry, 8, 1, map) == 1;
    std::fclose(map);
    return read && (entry >> 63) != 0;
}
#else
bool Resident(const void*) {
    return false;
}
#endif

// The share of the pages of [begin, begin + bytes) in memory, in percent.
int ResidentPercent(const void* begin, size_t bytes) {
    const auto* at = static_cast<const uint8_t*>(begin);
    size_t pages = 0, resident = 0;
    for (size_t offset = 0; offset < bytes; offset += 4096, ++pages)
        resident += Resident(at + offset);
    return pages ? int(100 * resident / pages) : 0;
}

void Report(const char* what, int percent, bool wantResident) {
    const bool asMeant = wantResident ? percent == 100 : percent == 0;
    Surprises += !asMeant;
    std::printf("%-64s %3d%% in memory  %s\n", what, percent,
                asMeant ? "as meant" : "NOT as meant");
}

void BandBytesAreGivenBack() {
    shared::ResourceBytes bytes = shared::FindResource(115);
    size_t begin = 0, end = 0;
    if (!shared::BitmapRowBytes(bytes.data, bytes.size, 2560, 2688, begin, end)) {
        std::printf("the tank sheet has no rows 2560 to 2688\n");
        ++Surprises;
        return;
    }
    // Whole pages inside the band's bytes.
    const uint8_t* first = bytes.data + ((begin + 4095) & ~size_t(4095));
    const size_t length = (end - (first - bytes.data)) & ~size_t(4095);
    volatile uint8_t sum = 0;
    for (size_t k = 0; k < length; k += 4096)
        sum = sum + first[k];
    Report("a tank band's file bytes, read", ResidentPercent(first, length), true);
    platform::Surface sheet = platform::LoadBitmapSurface(nullptr, 115, 256, 10240);
    platform::Surface target = shared::NewSurface(64, 64);
    platform::SpriteBlt(target, 0, 0, 64, 64, sheet, 0, 2560);
    Report("the same bytes once the band is decoded", ResidentPercent(first, length), false);
}

void SurfacesDrawnWholeHaveTheirPages() {
    platform::Surface back = platform::CreateCompatibleSurface(nullptr, 960, 704);
    platform::Surface background = platform::LoadBitmapSurface(nullptr, 114, 960, 704);
    platform::Surface tanks = platform::LoadBitmapSurface(nullptr, 115, 256, 10240);
    Report("the back buffer, made", ResidentPercent(back->pixels.data(), back->pixels.size() * 4),
           true);
    Report("the background, loaded",
           ResidentPercent(background->pixels.data(), background->pixels.size() * 4), true);
    const size_t tankBytes = tanks->pixels.size() * 4;
    Report("the tank sheet's pixels, loaded", ResidentPercent(tanks->pixels.data(), tankBytes),
           false);
    while (shared::PrepareNextPicture()) {
    }
    Report("the tank sheet's pixels, the other pictures decoded in advance",
           ResidentPercent(tanks->pixels.data(), tankBytes), false);
}

}  // namespace

int main() {
#if !defined(__linux__)
    std::printf("pages are measured on Linux only\n");
    return 0;
#else
    BandBytesAreGivenBack();
    SurfacesDrawnWholeHaveTheirPages();
    return Surprises ? 1 : 0;
#endif
}
