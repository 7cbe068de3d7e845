#pragma once

#include <cmath>
#include <filesystem>
#include <string>

namespace euler {

// Result files are large; numbers go straight into a text buffer with
// std::to_chars (no streams, no locale).
void appendNumber(std::string &out, double value, int significantDigits = 6);
void appendInteger(std::string &out, long long value);
// The number as appendNumber writes it, for log lines.
std::string formatNumber(double value, int significantDigits = 8);

// What a result file may hold: throws RunError (Diverged) naming the quantity
// and the crank angle when `value` is an infinity or NaN, so that no such
// number is ever written.
[[noreturn]] void refuseNonFinite(double value, const char *quantity, double crankAngleDeg);
inline void requireFinite(double value, const char *quantity, double crankAngleDeg)
{
    if (!std::isfinite(value))
        refuseNonFinite(value, quantity, crankAngleDeg);
}

// Writes the whole buffer to a file (binary, '\n' line ends) or throws
// RunError (OutputFailed) naming the file and the system's reason.
void writeFile(const std::filesystem::path &file, const std::string &content);

} // namespace euler
