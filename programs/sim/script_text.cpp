// Opening a morvask-sim script and splitting its lines into words.
#include "programs/sim/script_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>

std::vector<std::string> Words(const std::string& line) {
    std::string text = line.substr(0, line.find('#'));
    std::istringstream in(text);
    std::vector<std::string> words;
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

std::istream* OpenScript(const std::string& name, std::ifstream& file) {
    if (name == "-")
        return &std::cin;
    std::error_code error;
    if (std::filesystem::is_directory(name, error)) {
        std::fprintf(stderr, "morvask-sim: %s is a directory, not a script\n", name.c_str());
        return nullptr;
    }
    file.open(name);
    if (!file) {
        std::fprintf(stderr, "morvask-sim: cannot read %s\n", name.c_str());
        return nullptr;
    }
    return &file;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// A whole word of decimal digits (with a leading '-' when allowed) within the
// range given.
bool ParseInteger(const std::string& word, int64_t low, int64_t high, int64_t& value) {
    size_t start = word.size() > 1 && word[0] == '-' ? 1 : 0;
    if (start == word.size() || word.size() - start > 12)
        return false;
    for (size_t i = start; i < word.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(word[i])))
            return false;
    value = std::stoll(word);
    return value >= low && value <= high;
}
