#include "numberformat.h"

#include "inputerror.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace euler {

namespace {

constexpr double powersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12,
                                  1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

double scaleByPowerOfTen(double a, int exponent)
{
    return exponent >= 0 ? a * powersOfTen[exponent] : a / powersOfTen[-exponent];
}

} // namespace

// Same text as printf's %.<n>g (trailing zeros dropped; at exact decimal ties
// the last digit may differ by one). The digits come from one rounded integer
// mantissa: no stream, no locale, no allocation.
void appendNumber(std::string &out, double value, int significantDigits)
{
    const int n = significantDigits < 1 ? 1 : (significantDigits > 15 ? 15 : significantDigits);
    double a = std::fabs(value);
    if (a == 0) {
        out += '0';
        return;
    }
    const double decade = std::isfinite(a) ? std::floor(std::log10(a)) : 1000.0;
    int e = decade > 300 || decade < -300 ? 0 : static_cast<int>(decade);
    if (!std::isfinite(a) || std::abs(n - 1 - e) > 22 || decade > 300 || decade < -300) {
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, n);
        out.append(buffer, result.ptr);
        return;
    }
    const auto limit = static_cast<unsigned long long>(powersOfTen[n]);
    auto mantissa = static_cast<unsigned long long>(std::llrint(scaleByPowerOfTen(a, n - 1 - e)));
    if (mantissa >= limit) { // log10 rounded down too little, or rounding carried
        ++e;
        mantissa = static_cast<unsigned long long>(std::llrint(scaleByPowerOfTen(a, n - 1 - e)));
    } else if (mantissa < limit / 10) {
        --e;
        mantissa = static_cast<unsigned long long>(std::llrint(scaleByPowerOfTen(a, n - 1 - e)));
    }
    if (mantissa >= limit) { // 9.999995 with five digits becomes 10.000
        mantissa /= 10;
        ++e;
    }
    char digits[16];
    for (int i = n - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + mantissa % 10);
        mantissa /= 10;
    }
    int used = n;
    while (used > 1 && digits[used - 1] == '0')
        --used;
    if (value < 0)
        out += '-';
    if (e >= -4 && e < n) {
        if (e >= 0) {
            const int whole = e + 1;
            for (int i = 0; i < whole; ++i)
                out += i < used ? digits[i] : '0';
            if (used > whole) {
                out += '.';
                out.append(digits + whole, static_cast<size_t>(used - whole));
            }
        } else {
            out += "0.";
            out.append(static_cast<size_t>(-e - 1), '0');
            out.append(digits, static_cast<size_t>(used));
        }
        return;
    }
    out += digits[0];
    if (used > 1) {
        out += '.';
        out.append(digits + 1, static_cast<size_t>(used - 1));
    }
    out += 'e';
    out += e < 0 ? '-' : '+';
    const int ae = std::abs(e);
    if (ae >= 100)
        out += static_cast<char>('0' + ae / 100);
    out += static_cast<char>('0' + ae / 10 % 10);
    out += static_cast<char>('0' + ae % 10);
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
