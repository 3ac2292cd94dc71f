// Any change to drawing shows here: a frame of a known battle, made by
// morvask-sim, against the stored reference picture. To accept a change on
// purpose, run the test with MORVASK_UPDATE_REFERENCE=1 and commit the new
// picture with the reason.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "formats/png_file.h"

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

    std::vector<uint32_t> expected;
    ASSERT_TRUE(ReadPng(reference.string(), width, height, expected)) << "no reference picture";
    ASSERT_EQ(expected.size(), made.size());
    // The colours count, not the alpha byte.
    size_t differing = 0;
    for (size_t i = 0; i < made.size(); ++i)
        differing += ((made[i] ^ expected[i]) & 0xFFFFFF) != 0;
    EXPECT_EQ(differing, 0u) << "pixels differ from the reference";
}
