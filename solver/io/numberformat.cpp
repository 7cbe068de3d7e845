#include "io/numberformat.h"

#include "io/inputerror.h"

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
    const double a = std::fabs(value);
    if (a == 0) {
        out += '0';
        return;
    }
    // Decimal exponent from the binary one: floor((e2 - 1) log10 2) is the
    // true exponent or one less; the mantissa check below corrects it.
    int binaryExponent = 0;
    if (std::isfinite(a))
        std::frexp(a, &binaryExponent);
    int e = static_cast<int>(std::floor((binaryExponent - 1) * 0.30102999566398120));
    if (!std::isfinite(a) || std::abs(n - 1 - e) > 21) {
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, n);
        out.append(buffer, result.ptr);
        return;
    }
    const auto limit = static_cast<unsigned long long>(powersOfTen[n]);
    auto mantissa = static_cast<unsigned long long>(std::llrint(scaleByPowerOfTen(a, n - 1 - e)));
    if (mantissa >= limit) { // the estimate was one low, or rounding carried
        ++e;
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

    char text[40];
    char *p = text;
    if (value < 0)
        *p++ = '-';
    if (e >= -4 && e < n) {
        if (e >= 0) {
            for (int i = 0; i <= e; ++i)
                *p++ = i < used ? digits[i] : '0';
            if (used > e + 1) {
                *p++ = '.';
                for (int i = e + 1; i < used; ++i)
                    *p++ = digits[i];
            }
        } else {
            *p++ = '0';
            *p++ = '.';
            for (int i = 0; i < -e - 1; ++i)
                *p++ = '0';
            for (int i = 0; i < used; ++i)
                *p++ = digits[i];
        }
    } else {
        *p++ = digits[0];
        if (used > 1) {
            *p++ = '.';
            for (int i = 1; i < used; ++i)
                *p++ = digits[i];
        }
        *p++ = 'e';
        *p++ = e < 0 ? '-' : '+';
        const int ae = std::abs(e);
        if (ae >= 100)
            *p++ = static_cast<char>('0' + ae / 100);
        *p++ = static_cast<char>('0' + ae / 10 % 10);
        *p++ = static_cast<char>('0' + ae % 10);
    }
    out.append(text, p);
}

void appendInteger(std::string &out, long long value)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

std::string formatNumber(double value, int significantDigits)
{
    std::string s;
    appendNumber(s, value, significantDigits);
    return s;
}

void refuseNonFinite(double value, const char *quantity, double crankAngleDeg)
{
    throw RunError(RunError::Diverged, std::string(quantity) + " is " + (std::isnan(value) ? "not a number" : "infinite")
                                           + " at crank angle " + formatNumber(crankAngleDeg)
                                           + " deg; the run stops before writing it");
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
