// The earlier versions a replacing save keeps: the last few, numbered newest
// first, and none lost when a step of the save fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/unit/fresh_directory.h"

namespace {

namespace fs = std::filesystem;

class FileVersions : public InFreshDirectory {
protected:
    static bool Save(const std::string& text, int kept = 3) {
        return platform::ReplaceKeepingVersions("f.txt", text, kept, 1 << 20);
    }
};

}  // namespace

TEST_F(FileVersions, TheFirstSaveHasNoVersionToKeep) {
    EXPECT_TRUE(Save("one"));
    EXPECT_EQ(Names(), std::vector<std::string>({"f.txt"}));
    EXPECT_EQ(Read("f.txt"), "one");
}

TEST_F(FileVersions, EachSaveKeepsTheFileBeforeItNewestFirstUpToTheLimit) {
    Write("v0", "f.txt");
    for (const char* text : {"v1", "v2", "v3", "v4", "v5"})
        ASSERT_TRUE(Save(text));
    EXPECT_EQ(Names(), std::vector<std::string>({"f.txt", "f.txt.1", "f.txt.2", "f.txt.3"}));
    EXPECT_EQ(Read("f.txt"), "v5");
    EXPECT_EQ(Read("f.txt.1"), "v4");
    EXPECT_EQ(Read("f.txt.2"), "v3");
    EXPECT_EQ(Read("f.txt.3"), "v2");
}

TEST_F(FileVersions, TheNumberKeptIsTheCallersAndNoneKeepsNothing) {
    Write("v0", "f.txt");
    ASSERT_TRUE(Save("v1", 1));
    ASSERT_TRUE(Save("v2", 1));
    EXPECT_EQ(Names(), std::vector<std::string>({"f.txt", "f.txt.1"}));
    EXPECT_EQ(Read("f.txt.1"), "v1");
    fs::remove("f.txt.1");
    ASSERT_TRUE(Save("v3", 0));
    EXPECT_EQ(Names(), std::vector<std::string>({"f.txt"}));
    EXPECT_EQ(Read("f.txt"), "v3");
}

// A version missing in the middle (removed by hand) leaves no hole that
// swallows the next one: each is still moved one place on.
TEST_F(FileVersions, AGapInTheVersionsLosesNoOtherVersion) {
    Write("now", "f.txt");
    Write("older", "f.txt.1");
    Write("oldest", "f.txt.3");
    ASSERT_TRUE(Save("new"));
    EXPECT_EQ(Read("f.txt"), "new");
    EXPECT_EQ(Read("f.txt.1"), "now");
    EXPECT_EQ(Read("f.txt.2"), "older");
    EXPECT_EQ(Read("f.txt.3"), "oldest");
}

// Writes fail past a size limit, so the save fails midway, at the copy of
// the one long version: every text that was there is still in some file, the
// file itself is not replaced, and the save says it failed.
TEST_F(FileVersions, AWriteThatFailsMidwayLosesNoVersion) {
    const std::string longVersion(5000, 'L');
    Write("current", "f.txt");
    Write(longVersion, "f.txt.1");
    Write("second", "f.txt.2");
    Write("third", "f.txt.3");
    EXPECT_TRUE(InChildWritingLittle([] { return !Save("new"); }))
        << "the failed save said it succeeded";
    EXPECT_EQ(Read("f.txt"), "current");
    EXPECT_EQ(Read("f.txt.1"), longVersion);
    EXPECT_EQ(Read("f.txt.2"), "second");
    // "third" made way for "second", which is now in two places.
    EXPECT_EQ(Read("f.txt.3"), "second");
    EXPECT_EQ(Names(), std::vector<std::string>({"f.txt", "f.txt.1", "f.txt.2", "f.txt.3"}));
}

// A version that is there but cannot be read (here a folder) would be lost
// by moving the others over it: the save refuses and changes nothing.
TEST_F(FileVersions, AVersionThatCannotBeReadStopsTheSave) {
    Write("current", "f.txt");
    Write("first", "f.txt.1");
    fs::create_directory("f.txt.2");
    EXPECT_FALSE(Save("new"));
    EXPECT_EQ(Read("f.txt"), "current");
    EXPECT_EQ(Read("f.txt.1"), "first");
    EXPECT_TRUE(fs::is_directory("f.txt.2"));
    EXPECT_EQ(Names(), std::vector<std::string>({"f.txt", "f.txt.1", "f.txt.2"}));
}

// The file itself too large to read back is not let go for the new text.
TEST_F(FileVersions, AFileTooLargeToKeepIsNotReplaced) {
    Write(std::string(2000, 'x'), "f.txt");
    EXPECT_FALSE(platform::ReplaceKeepingVersions("f.txt", "new", 3, 1000));
    EXPECT_EQ(Read("f.txt"), std::string(2000, 'x'));
    EXPECT_EQ(Names(), std::vector<std::string>({"f.txt"}));
}

TEST_F(FileVersions, VersionsAreNamedByTheirNumber) {
    EXPECT_EQ(platform::VersionPath("map.txt", 1), "map.txt.1");
    EXPECT_EQ(platform::VersionPath("map.txt", 3), "map.txt.3");
}
