// The settings file against kills and a second game: a save killed at a
// random moment leaves the old file or the new one, two games saving at once
// leave one of their whole files, and a choice that would make the file too
// large to read again is not written.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "options/settings_file.h"
#include "tests/unit/fresh_directory.h"
#include "tests/unit/kill_harness.h"
#include "tests/unit/test_support.h"

namespace {

namespace fs = std::filesystem;

void WriteAll(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class SettingsWrite : public InTempFolder {
protected:
    void SetUp() override {
        InTempFolder::SetUp();
        path = settingsPath;
        // A file of some size, so that a kill can land inside its writing.
        old = DefaultSettingsText();
        for (int k = 0; k < 400; ++k)
            old += "# a note the player wrote, kept by every save: " + std::to_string(k) + "\n";
        WriteAll(path, old);
    }
    // What is in the folder besides the file: only temporary files of saves
    // that were killed, which the next save removes once they are stale.
    std::vector<std::string> Others() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            std::string name = entry.path().filename().string();
            if (name != "settings.ini" && name.rfind("settings.ini.saving-", 0) != 0)
                names.push_back(name);
        }
        return names;
    }

    fs::path path;
    std::string old;
};

}  // namespace

TEST_F(SettingsWrite, RandomKillsOfAGameSavingOverAndOverLoseNothing) {
    // Volume steps as + and - make them, each saved at once; the game is
    // killed after a random while, over and over.
    const std::vector<std::string> volumes = {"10", "20", "30", "40", "50"};
    std::set<std::string> whole = {old};
    for (const std::string& volume : volumes)
        whole.insert(WithSetting(old, "volume", volume));
    std::mt19937 random(29);
    int killedMidway = 0;
    size_t leftovers = 0;
    for (int round = 0; round < 150; ++round) {
        KillAfter(useconds_t(random() % 15000), [&] {
            for (size_t k = 0;; ++k)
                SaveSetting(path.string(), "volume", volumes[k % volumes.size()]);
        });
        const std::string text = ReadWholeFile(path);
        ASSERT_EQ(whole.count(text), 1u) << "torn after round " << round;
        std::vector<std::string> problems;
        ParseSettings(text, "settings.ini", problems);
        EXPECT_TRUE(problems.empty());
        EXPECT_TRUE(Others().empty());
        // A temporary file more: this kill landed inside a save.
        const size_t now = size_t(std::distance(fs::directory_iterator(folder), {})) - 1;
        killedMidway += now > leftovers;
        leftovers = now;
    }
    // The kills landed inside saves, not only between them. Temporary files
    // of killed saves stay until they are stale; a save that ends removes its
    // own and leaves the file whole.
    EXPECT_GT(killedMidway, 0);
    ASSERT_TRUE(SaveSetting(path.string(), "volume", "60"));
    EXPECT_EQ(ReadWholeFile(path), WithSetting(old, "volume", "60"));
}

TEST_F(SettingsWrite, TwoGamesSavingAtOnceLeaveOneOfTheirWholeFiles) {
    // One game switches to full screen, the other turns the sound down, both
    // again and again at the same time, while a third reads the file.
    const std::string first = WithSetting(old, "fullscreen", "yes");
    const std::string second = WithSetting(old, "volume", "30");
    const std::string both = WithSetting(first, "volume", "30");
    const std::set<std::string> whole = {old, first, second, both};
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    std::vector<pid_t> games;
    for (int game = 0; game < 2; ++game) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(go[1]);
            char byte;
            if (read(go[0], &byte, 1) != 0)
                _exit(3);
            int failed = 0;
            for (int k = 0; k < 200; ++k)
                failed += game == 0 ? !SaveSetting(path.string(), "fullscreen", "yes")
                                    : !SaveSetting(path.string(), "volume", "30");
            _exit(failed == 0 ? 0 : 1);
        }
        games.push_back(child);
    }
    close(go[0]);
    // Both start when the pipe closes.
    close(go[1]);
    while (!games.empty()) {
        const std::string text = ReadWholeFile(path);
        ASSERT_EQ(whole.count(text), 1u) << "a torn file was read";
        for (size_t k = games.size(); k-- > 0;) {
            int status = 0;
            if (waitpid(games[k], &status, WNOHANG) == games[k]) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
                games.erase(games.begin() + std::ptrdiff_t(k));
            }
        }
    }
    const std::string last = ReadWholeFile(path);
    EXPECT_TRUE(last == first || last == second || last == both);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>({"settings.ini"}));
}

TEST_F(SettingsWrite, AChoiceThatWouldMakeTheFileTooLargeToReadIsNotWritten) {
    // Just under the limit: read as usual; saving a longer line would push it
    // over, after which the game could not read its own file.
    std::string large = "volume = 5\n";
    while (large.size() < MaxSettingsFileBytes - 1)
        large += "#";
    large.resize(MaxSettingsFileBytes - 1);
    large += "\n";
    WriteAll(path, large);
    std::vector<std::string> problems;
    EXPECT_EQ(LoadSettingsFile(path.string(), problems).volume, 5);
    EXPECT_TRUE(problems.empty());
    EXPECT_FALSE(SaveSetting(path.string(), "volume", "50"));
    EXPECT_EQ(ReadWholeFile(path), large);
    // A choice that keeps it within the limit is saved.
    ASSERT_TRUE(SaveSetting(path.string(), "volume", "7"));
    EXPECT_EQ(LoadSettingsFile(path.string(), problems).volume, 7);
    EXPECT_TRUE(problems.empty());
}
