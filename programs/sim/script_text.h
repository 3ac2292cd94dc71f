// The text of a morvask-sim script: opening it and splitting its lines into
// words.
#pragma once

#include <fstream>
#include <istream>
#include <string>
#include <vector>

// A line's words, a '#' and what follows it left out.
std::vector<std::string> Words(const std::string& line);

// The script: standard input for "-", otherwise the file named; null, with
// the reason on standard error, when it cannot be read.
std::istream* OpenScript(const std::string& name, std::ifstream& file);
