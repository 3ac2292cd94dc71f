// The resource table of the web builds: the page unpacks the shipped pictures
// and sounds into the folder /res before the program starts (bitmaps as BMP
// files, waves as RIFF files, each named by its resource number).
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/shared/resources.h"

namespace software {

ResourceBytes FindResource(int resourceId) {
    static std::map<int, std::vector<uint8_t>> loaded;
    auto found = loaded.find(resourceId);
    if (found == loaded.end()) {
        std::vector<uint8_t> bytes;
        std::string path = "/res/" + std::to_string(resourceId);
        if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
            uint8_t block[65536];
            size_t got = 0;
            while ((got = std::fread(block, 1, sizeof block, file)) > 0)
                bytes.insert(bytes.end(), block, block + got);
            std::fclose(file);
        }
        found = loaded.emplace(resourceId, std::move(bytes)).first;
    }
    if (found->second.empty())
        return {};
    return {found->second.data(), found->second.size()};
}

}  // namespace software
