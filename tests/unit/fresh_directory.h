// A test fixture whose tests each run in a working directory of their own,
// made afresh and removed after, with the game reset and its built-in levels
// in place: for the tests of the files the game reads and writes there.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "levels/builtin_levels.h"
#include "tests/unit/test_support.h"

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
