#include "numberformat.h"

#include "inputerror.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace euler {

void appendNumber(std::string &out, double value, int significantDigits)
{
    char buffer[32];
    if (value == 0)
        value = 0; // no "-0"
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general,
                                      significantDigits);
    out.append(buffer, result.ptr);
}

void appendInteger(std::string &out, long long value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void writeFile(const std::filesystem::path &file, const std::string &content)
{
    std::FILE *f = std::fopen(file.string().c_str(), "wb");
    if (!f)
        throw RunError(RunError::OutputFailed, file.string() + ": cannot be written: " + std::strerror(errno));
    const size_t written = std::fwrite(content.data(), 1, content.size(), f);
    const int writeErrno = errno;
    const bool closed = std::fclose(f) == 0;
    if (written != content.size() || !closed)
        throw RunError(RunError::OutputFailed, file.string() + ": write failed: " + std::strerror(writeErrno));
}

} // namespace euler
