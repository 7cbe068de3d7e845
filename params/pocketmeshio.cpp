#include "pocketmeshio.h"

#include <QIODevice>

#include <charconv>
#include <cmath>

namespace PocketMeshIo {

namespace {

constexpr qsizetype chunkSize = 1 << 18;

bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == '=';
}

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
        memmove(m_buffer.data(), m_buffer.constData() + m_begin, size_t(kept));
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
        const void *hit = memchr(base + scanFrom, '\n', size_t(m_end - scanFrom));
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
    while (p != end && isSeparator(*p))
        ++p;
    const char *start = p;
    while (p != end && !isSeparator(*p))
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
    const char *last = token.data() + token.size();
    const char *first = skipPlus(token.data(), last);
    const auto result = std::from_chars(first, last, *value, std::chars_format::general);
    return result.ec == std::errc() && result.ptr == last && std::isfinite(*value);
}

void appendFixed6(QByteArray &out, double value)
{
    // Fixed notation of a finite double needs at most 309 + 1 + 6 + sign chars.
    char text[330];
    if (value == 0)
        value = 0;  // QTextStream prints no sign on a negative zero
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    out.append(text, result.ptr - text);
}

} // namespace PocketMeshIo
