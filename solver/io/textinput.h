#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace euler {

// The line rules shared with the front end's readers: a data line is a line
// that is not empty and does not begin with '#'; it splits into tokens at runs
// of white space and at '='.
struct TextLine
{
    int number = 0; // 1-based line number in the file, for messages
    std::string text;
};

// Whole file as lines without their line ends (LF or CRLF). Throws RunError
// naming the file and the system's reason when it cannot be read.
std::vector<TextLine> readLines(const std::filesystem::path &file);

bool isDataLine(const std::string &text);
std::vector<std::string> splitTokens(const std::string &text);

// Full-token conversions; false when the token is not entirely a finite
// number (resp. a base-10 integer). Neither raises a floating-point
// exception, whatever the token.
bool parseReal(const std::string &token, double &value);
bool parseInteger(const std::string &token, int &value);

} // namespace euler
