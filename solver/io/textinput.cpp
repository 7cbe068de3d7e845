#include "io/textinput.h"

#include "formats/textfields.h"
#include "io/inputerror.h"

#include <cerrno>
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
    if (token.empty())
        return false;
    // strtod follows the C locale's decimal point, which is what the front
    // end writes ("0.68000").
    char *end = nullptr;
    errno = 0;
    const double v = std::strtod(token.c_str(), &end);
    if (end != token.c_str() + token.size() || errno == ERANGE || !std::isfinite(v))
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
