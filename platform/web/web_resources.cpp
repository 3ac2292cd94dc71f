// The resource table of the web builds. The tools' harness unpacks every
// picture and sound into the folder /res before the program starts (bitmaps
// as BMP files, waves as RIFF files, each named by its resource number); the
// page's backend may give pictures that are not there yet another way
// (web::SetPictureSource).
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/shared/resources.h"
#include "platform/web/web_resources.h"

namespace {

std::map<int, web::ResourceBuffer> Loaded;
void (*PictureSource)(int number, web::ResourceBuffer& bytes) = nullptr;

web::ResourceBuffer ReadFile(const std::string& path) {
    web::ResourceBuffer bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        uint8_t block[65536];
        size_t got = 0;
        while ((got = std::fread(block, 1, sizeof block, file)) > 0)
            bytes.insert(bytes.end(), block, block + got);
        std::fclose(file);
    }
    return bytes;
}

}  // namespace

namespace web {

void SetPictureSource(void (*source)(int number, ResourceBuffer& bytes)) {
    PictureSource = source;
}

}  // namespace web

namespace shared {

ResourceBytes FindResource(int resourceId) {
    auto found = Loaded.find(resourceId);
    if (found == Loaded.end()) {
        found = Loaded.emplace(resourceId, ReadFile("/res/" + std::to_string(resourceId))).first;
        // In the map's node the bytes stay where they are, for a source that
        // fills them in later.
        if (found->second.empty() && PictureSource)
            PictureSource(resourceId, found->second);
    }
    if (found->second.empty())
        return {};
    return {found->second.data(), found->second.size()};
}

}  // namespace shared
