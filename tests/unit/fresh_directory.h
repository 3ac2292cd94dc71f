// Test fixtures with a folder of their own, made afresh and removed after:
// InTempFolder for the tests of a file at a path they name (settings.ini),
// InFreshDirectory, whose tests run in it with the game reset and its
// built-in levels in place, for the files the game reads and writes there.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "levels/builtin_levels.h"
#include "tests/unit/test_support.h"

class InTempFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/morvask-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        settingsPath = (folder / "settings.ini").string();
    }
    void TearDown() override {
        ResetEverything();
        std::filesystem::remove_all(folder);
    }
    std::filesystem::path folder;
    std::string settingsPath;
};

class InFreshDirectory : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEverything();
        RestoreBuiltInLevels();
        char pattern[] = "/tmp/morvask-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory = pattern;
        previous = std::filesystem::current_path();
        std::filesystem::current_path(directory);
    }
    void TearDown() override {
        namespace fs = std::filesystem;
        fs::current_path(previous);
        // A test may have taken the write permission away to see a save fail.
        fs::permissions(directory, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(directory);
    }
    static std::string Read(const char* path = "map.txt") {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static void Write(const std::string& text, const char* path = "map.txt") {
        std::ofstream(path, std::ios::binary) << text;
    }

    // The names in the working directory, sorted.
    static std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator("."))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Runs `step` in a child process that may write no more than 1000 bytes
    // to any file (a write beyond fails, as on a full disk); whether the
    // child ended with `step` true.
    template <typename Step>
    static ::testing::AssertionResult InChildWritingLittle(Step step) {
        const pid_t child = fork();
        if (child < 0)
            return ::testing::AssertionFailure() << "no child process";
        if (child == 0) {
            signal(SIGXFSZ, SIG_IGN);
            rlimit limit{1000, 1000};
            setrlimit(RLIMIT_FSIZE, &limit);
            _exit(step() ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return ::testing::AssertionFailure() << "the child's status " << status;
        return ::testing::AssertionSuccess();
    }

    // The texts of the boxes shown so far.
    static std::vector<std::string> BoxTexts() {
        std::vector<std::string> texts;
        for (const RecordedBox& box : Boxes)
            texts.push_back(box.text);
        return texts;
    }

    std::filesystem::path directory;
    std::filesystem::path previous;
};
