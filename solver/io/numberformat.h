#pragma once

#include <filesystem>
#include <string>

namespace euler {

// Result files are large; numbers go straight into a text buffer with
// std::to_chars (no streams, no locale).
void appendNumber(std::string &out, double value, int significantDigits = 6);
void appendInteger(std::string &out, long long value);

// Writes the whole buffer to a file (binary, '\n' line ends) or throws
// RunError (OutputFailed) naming the file and the system's reason.
void writeFile(const std::filesystem::path &file, const std::string &content);

} // namespace euler
