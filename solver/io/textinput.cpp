#include "io/textinput.h"

#include "formats/textfields.h"
#include "io/inputerror.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace euler {

std::vector<TextLine> readLines(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw inputError(file.string(), std::string("cannot be opened: ") + std::strerror(errno));
    std::vector<TextLine> lines;
    std::string text;
    int number = 0;
    while (std::getline(in, text)) {
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        lines.push_back({++number, text});
    }
    if (in.bad())
        throw inputError(file.string(), "read error");
    return lines;
}

bool isDataLine(const std::string &text)
{
    return !text.empty() && text.front() != '#' && !splitTokens(text).empty();
}

std::vector<std::string> splitTokens(const std::string &text)
{
    std::vector<std::string> tokens;
    std::string current;
    for (char c : text) {
        if (formats::textfields::isSeparator(c)) {
            if (!current.empty())
                tokens.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        tokens.push_back(std::move(current));
    return tokens;
}

bool parseReal(const std::string &token, double &value)
{
    // from_chars reads the C locale's decimal notation the front end writes
    // ("0.68000"), subnormal numbers included, and reports a value beyond the
    // range of double without an overflow: strtod raises one, which the trap
    // build would take for a fault of the model. Like the front end's reader it
    // takes a leading "+" and no hexadecimal numbers.
    const char *first = token.data();
    const char *last = first + token.size();
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-')
        ++first;
    double v = 0;
    const auto result = std::from_chars(first, last, v, std::chars_format::general);
    if (first == last || result.ec != std::errc() || result.ptr != last || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool parseInteger(const std::string &token, int &value)
{
    if (token.empty())
        return false;
    char *end = nullptr;
    errno = 0;
    const long v = std::strtol(token.c_str(), &end, 10);
    if (end != token.c_str() + token.size() || errno == ERANGE || v < INT_MIN || v > INT_MAX)
        return false;
    value = static_cast<int>(v);
    return true;
}

} // namespace euler
