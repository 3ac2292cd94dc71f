// The map file against hostile and broken surroundings: files too large to
// be maps, read errors, planted links, leftovers of killed saves and files
// that belong to another user.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "levels/builtin_levels.h"
#include "levels/level_grid.h"
#include "levels/map_file.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "tests/unit/fresh_directory.h"
#include "tests/unit/test_support.h"

namespace {

namespace fs = std::filesystem;

using MapFileSafety = InFreshDirectory;

const std::vector<std::string> LoadFailed = {"载入地图失败！"};

}  // namespace

// Whatever stands under the map's name instead of a map, the load says it
// failed and changes nothing, and never hangs or reads without end.
TEST_F(MapFileSafety, WhatIsNoMapIsALoadFailureThatChangesNothing) {
    const std::function<void()> notMaps[] = {
        [] {},  // nothing at all
        [] { fs::create_directory("map.txt"); },
        [] { ASSERT_EQ(mkfifo("map.txt", 0600), 0); },
        // A sparse 4 GiB file, "1 " and then NUL bytes: refused before reading.
        [] {
            Write("1 ");
            ASSERT_EQ(truncate("map.txt", off_t(4) << 30), 0);
        },
        // Reading this process's memory from address 0 fails with EIO: a
        // file that opens as a regular one and then cannot be read.
        [] { fs::create_symlink("/proc/self/mem", "map.txt"); },
    };
    for (const auto& notMap : notMaps) {
        fs::remove_all("map.txt");
        notMap();
        Boxes.clear();
        EXPECT_FALSE(LoadCustomMap());
        ASSERT_EQ(BoxTexts(), LoadFailed);
        EXPECT_EQ(Boxes[0].caption, "错误");
        EXPECT_EQ(Boxes[0].type, platform::MB_OK | platform::MB_ICONWARNING);
        EXPECT_EQ(LevelSet, BuiltInLevels());
    }
}

// The limit itself: a whole map padded to exactly 1 MiB loads, one byte more
// does not, and the refused file changes no cell.
TEST_F(MapFileSafety, AMapOfExactlyTheLimitLoads) {
    std::string text = FormatLevelSet(std::vector<int32_t>(LevelSet.size(), 9));
    text.resize(MaxMapFileBytes, ' ');
    Write(text);
    EXPECT_TRUE(LoadCustomMap());
    EXPECT_EQ(LevelSet, std::vector<int32_t>(LevelSet.size(), 9));
    RestoreBuiltInLevels();
    Write(text + " ");
    LoadCustomMap();
    EXPECT_EQ(BoxTexts(), LoadFailed);
    EXPECT_EQ(LevelSet, BuiltInLevels());
}

TEST_F(MapFileSafety, APlantedLinkAtTheOldTemporaryNameIsNeverFollowed) {
    Write("victim's own text", "victim");
    ASSERT_EQ(chmod("victim", 0600), 0);
    fs::create_symlink("victim", "map.txt.saving");
    SaveCustomMap();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({"地图保存成功！"}));
    EXPECT_EQ(Read("victim"), "victim's own text");
    EXPECT_EQ(fs::status("victim").permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(fs::is_symlink("map.txt"));
    EXPECT_EQ(Read("map.txt").size(), 29711u);
    // The link was ours, and it is gone with the other leftovers.
    EXPECT_EQ(Names(), std::vector<std::string>({"map.txt", "victim"}));
}

TEST_F(MapFileSafety, LeftoversOfKilledSavesAreCleanedUpOnlyWhenStale) {
    Write("half a map", "map.txt.saving");
    Write("half a map", "map.txt.saving-aaaaaaaaaaaa");
    Write("a save running now", "map.txt.saving-bbbbbbbbbbbb");
    Write("not ours to judge", "map.txt.saving-short");
    auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
    fs::last_write_time("map.txt.saving-aaaaaaaaaaaa", old);
    fs::last_write_time("map.txt.saving-short", old);
    SaveCustomMap();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>({"地图保存成功！"}));
    EXPECT_EQ(Names(), std::vector<std::string>(
                           {"map.txt", "map.txt.saving-bbbbbbbbbbbb", "map.txt.saving-short"}));
    LoadCustomMap();
    EXPECT_EQ(LevelSet, BuiltInLevels());
}

TEST_F(MapFileSafety, AnotherUsersMapIsNotReplacedThroughAWritableDirectory) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    // A directory anyone may write, and a map that only its owner (root) may.
    ASSERT_EQ(chmod(".", 0777), 0);
    Write("root's map");
    ASSERT_EQ(chmod("map.txt", 0644), 0);
    Write("anyone's map", "shared.txt");
    ASSERT_EQ(chmod("shared.txt", 0666), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        Boxes.clear();
        SaveCustomMap();
        bool refused = Boxes.size() == 1 && Boxes[0].text == "地图保存失败！";
        // The same user may replace a file that everyone may write.
        bool mayWrite = platform::ReplaceFileWhole("shared.txt", "nobody's map");
        _exit(refused && mayWrite ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Read("map.txt"), "root's map");
    EXPECT_EQ(Read("shared.txt"), "nobody's map");
    EXPECT_EQ(Names(), std::vector<std::string>({"map.txt", "shared.txt"}));
}

// A new map gets the permissions the mask leaves, and the user always keeps
// reading and writing it, even under a mask that forbids everything (as
// Emscripten's file system reports); a second save keeps them.
TEST_F(MapFileSafety, ANewMapGetsTheMasksPermissionsButStaysTheUsers) {
    for (auto [mask, permissions] : {std::pair{022u, 0644u}, {0777u, 0600u}}) {
        for (const char* name : {"map.txt", "map.txt.1"})
            fs::remove(name);
        const mode_t previousMask = umask(mask);
        SaveCustomMap();
        SaveCustomMap();
        umask(previousMask);
        struct stat status {};
        ASSERT_EQ(stat("map.txt", &status), 0);
        EXPECT_EQ(status.st_mode & 07777, permissions);
        // The second save kept the first as the earlier version.
        EXPECT_EQ(Names(), std::vector<std::string>({"map.txt", "map.txt.1"}));
        LevelSet[0] = 77;
        LoadCustomMap();
        EXPECT_EQ(LevelSet, BuiltInLevels());
    }
    EXPECT_EQ(BoxTexts(), std::vector<std::string>(4, "地图保存成功！"));
}
