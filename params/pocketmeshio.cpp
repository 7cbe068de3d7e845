#include "pocketmeshio.h"

#include "formats/textfields.h"

#include <QIODevice>
#include <QLocale>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace PocketMeshIo {

namespace {

constexpr qsizetype chunkSize = 1 << 18;

// from_chars takes no leading plus; QString's conversions do.
const char *skipPlus(const char *first, const char *last)
{
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-')
            return last;
    }
    return first;
}

// Digits with at most one point and fifteen significant digits convert
// exactly as mantissa / 10^decimals, one correctly rounded division; anything
// else is left to from_chars.
bool plainDecimal(QByteArrayView token, double *value)
{
    static const double powersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const char *p = token.data();
    const char *end = p + token.size();
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '-' || *p == '+'))
        ++p;
    std::uint64_t mantissa = 0;
    int digits = 0, decimals = 0;
    bool point = false, anyDigit = false;
    for (; p != end; ++p) {
        if (*p >= '0' && *p <= '9') {
            mantissa = mantissa * 10 + std::uint64_t(*p - '0');
            digits += mantissa != 0;
            decimals += point;
            anyDigit = true;
            if (digits > 15 || decimals > 22)
                return false;
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    if (!anyDigit)
        return false;
    const double magnitude = double(mantissa) / powersOfTen[decimals];
    *value = negative ? -magnitude : magnitude;
    return true;
}

const char digitPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                         "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                         "8081828384858687888990919293949596979899";

} // namespace

LineReader::LineReader(QIODevice &device)
    : m_device(device)
{
}

bool LineReader::fill()
{
    if (m_atEnd)
        return false;
    // Keep the unfinished line, drop what was handed out.
    const qsizetype kept = m_end - m_begin;
    if (m_begin > 0 && kept > 0)
        std::memmove(m_buffer.data(), m_buffer.constData() + m_begin, size_t(kept));
    m_begin = 0;
    m_end = kept;
    if (m_buffer.size() < kept + chunkSize)
        m_buffer.resize(kept + chunkSize);
    const qint64 got = m_device.read(m_buffer.data() + kept, chunkSize);
    if (got < 0) {
        m_failed = true;
        m_atEnd = true;
        return false;
    }
    if (got == 0) {
        m_atEnd = true;
        return false;
    }
    m_end += got;
    return true;
}

bool LineReader::next(QByteArrayView *line)
{
    qsizetype scanFrom = m_begin;
    for (;;) {
        const char *base = m_buffer.constData();
        const void *hit = std::memchr(base + scanFrom, '\n', size_t(m_end - scanFrom));
        if (hit) {
            const qsizetype at = static_cast<const char *>(hit) - base;
            *line = QByteArrayView(base + m_begin, at - m_begin);
            m_begin = at + 1;
            ++m_lineNumber;
            return true;
        }
        const qsizetype scanned = m_end - m_begin;
        if (!fill()) {
            if (m_failed || m_end == m_begin)
                return false;
            *line = QByteArrayView(m_buffer.constData() + m_begin, m_end - m_begin);
            m_begin = m_end;
            ++m_lineNumber;
            return true;
        }
        scanFrom = m_begin + scanned;
    }
}

bool nextToken(QByteArrayView *rest, QByteArrayView *token)
{
    const char *p = rest->data();
    const char *end = p + rest->size();
    while (p != end && formats::textfields::isSeparator(*p))
        ++p;
    const char *start = p;
    while (p != end && !formats::textfields::isSeparator(*p))
        ++p;
    *rest = QByteArrayView(p, end - p);
    *token = QByteArrayView(start, p - start);
    return p != start;
}

bool toInteger(QByteArrayView token, qint64 *value)
{
    const char *last = token.data() + token.size();
    const char *first = skipPlus(token.data(), last);
    const auto result = std::from_chars(first, last, *value);
    return result.ec == std::errc() && result.ptr == last && first != last;
}

bool toNumber(QByteArrayView token, double *value)
{
    if (plainDecimal(token, value))
        return true;
    const char *last = token.data() + token.size();
    const char *first = skipPlus(token.data(), last);
    const auto result = std::from_chars(first, last, *value, std::chars_format::general);
    return result.ec == std::errc() && result.ptr == last && std::isfinite(*value);
}

// QTextStream rounds the exact binary value to six decimals, ties away from
// zero (std::to_chars would round them to even), and shows the sign of a
// negative number that rounds to zero, but not of a negative zero.
void appendFixed6(QByteArray &out, double value)
{
    const double magnitude = std::abs(value);
    if (!(magnitude < 1e9)) {
        out.append(QLocale::c().toString(value, 'f', 6).toLatin1());
        return;
    }
    // micro = magnitude * 1e6 exactly equals product + error.
    const double product = magnitude * 1e6;
    const double error = std::fma(magnitude, 1e6, -product);
    double micro = std::floor(product);
    const double aboveHalf = (product - micro) - 0.5;
    if (aboveHalf >= -error)
        micro += 1;
    const auto units = static_cast<std::uint64_t>(micro);

    char text[32];
    char *end = text + sizeof text;
    char *p = end;
    auto fraction = std::uint32_t(units % 1000000);
    for (int i = 0; i < 3; ++i, fraction /= 100) {
        p -= 2;
        std::memcpy(p, digitPairs + 2 * (fraction % 100), 2);
    }
    *--p = '.';
    std::uint64_t whole = units / 1000000;
    do {
        *--p = char('0' + whole % 10);
        whole /= 10;
    } while (whole);
    if (value < 0)
        *--p = '-';
    out.append(p, end - p);
}

} // namespace PocketMeshIo
