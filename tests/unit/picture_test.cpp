// Any change to drawing shows here: a frame of a known battle, made by
// morvask-sim, against the stored reference picture. To accept a change on
// purpose, run the test with MORVASK_UPDATE_REFERENCE=1 and commit the new
// picture with the reason.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "formats/png_file.h"

namespace {

uint64_t Checksum(const std::vector<uint32_t>& pixels) {
    uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (uint32_t p : pixels) {
        hash = (hash ^ (p & 0xFFFFFF)) * 1099511628211ull;
    }
    return hash;
}

}  // namespace

TEST(Picture, ABusyFrameLooksAsItDid) {
    namespace fs = std::filesystem;
    const fs::path reference = fs::path(MORVASK_SOURCE_DIR) / "tests/reference/busy_frame.png";
    const fs::path script = fs::path(MORVASK_SOURCE_DIR) / "tests/reference/busy_frame.sim";
    fs::path work = fs::temp_directory_path() / ("morvask-picture-" + std::to_string(::getpid()));
    fs::create_directories(work);
    std::string command = "cd '" + work.string() + "' && '" + MORVASK_SIM_PATH + "' '" +
                          script.string() + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    int width = 0, height = 0;
    std::vector<uint32_t> made;
    ASSERT_TRUE(ReadPng((work / "picture.png").string(), width, height, made));
    ASSERT_EQ(width, 960);
    ASSERT_EQ(height, 704);
    if (std::getenv("MORVASK_UPDATE_REFERENCE"))
        fs::copy_file(work / "picture.png", reference, fs::copy_options::overwrite_existing);
    fs::remove_all(work);

    int rw = 0, rh = 0;
    std::vector<uint32_t> expected;
    ASSERT_TRUE(ReadPng(reference.string(), rw, rh, expected)) << "no reference picture";
    size_t differing = 0;
    for (size_t i = 0; i < made.size() && i < expected.size(); ++i)
        differing += made[i] != expected[i];
    EXPECT_EQ(Checksum(made), Checksum(expected))
        << differing << " pixels differ from the reference";
}
