// The text of a morvask-sim script: opening it and splitting its lines into
// words.
#pragma once

#include <cstdint>
#include <fstream>
#include <istream>
#include <string>
#include <vector>

// A line's words, a '#' and what follows it left out.
std::vector<std::string> Words(const std::string& line);

// The script: standard input for "-", otherwise the file named; null, with
// the reason on standard error, when it cannot be read.
std::istream* OpenScript(const std::string& name, std::ifstream& file);

// The word in lower case, as scripts name keys and commands in any case.
std::string Lower(std::string s);

// A whole word of decimal digits (with a leading '-' when allowed) within the
// range given.
bool ParseInteger(const std::string& word, int64_t low, int64_t high, int64_t& value);
