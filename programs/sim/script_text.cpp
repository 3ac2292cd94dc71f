// The script's text: the file or standard input it is read from, and the
// words of each of its lines.
#include "programs/sim/script_text.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <system_error>

std::vector<std::string> Words(const std::string& line) {
    std::string text = line.substr(0, line.find('#'));
    std::istringstream in(text);
    std::vector<std::string> words;
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

// The script: standard input for "-", otherwise the file named; null, with
// the reason on standard error, when it cannot be read.
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
