// The script's text: the file or standard input it is read from, and the
// words of each of its lines.
#pragma once

#include <fstream>
#include <istream>
#include <string>
#include <vector>

// The words of a script line, without its comment ('#' to the line's end).
std::vector<std::string> Words(const std::string& line);

// The script: standard input for "-", otherwise the file named; null, with
// the reason on standard error, when it cannot be read.
std::istream* OpenScript(const std::string& name, std::ifstream& file);
