#include "textfields.h"

#include "formats/textfields.h"

#include <charconv>
#include <type_traits>

namespace TextFields {

namespace {

// Calls addField(start, length) for every run of characters between separators.
// Result files run to millions of lines; a hand-written scan is several times
// faster than splitting at a regular expression.
template <typename Char, typename IsSeparator, typename AddField>
void scanFields(const Char *p, const Char *end, IsSeparator isSeparator, AddField addField)
{
    while (p != end) {
        while (p != end && isSeparator(*p))
            ++p;
        const Char *const start = p;
        while (p != end && !isSeparator(*p))
            ++p;
        if (p != start)
            addField(start, p - start);
    }
}

} // namespace

QStringList splitFields(const QString &line)
{
    QStringList fields;
    fields.reserve(12);
    scanFields(
        line.constData(), line.constData() + line.size(),
        [](QChar c) { return c == QLatin1Char('=') || c.isSpace(); },
        [&fields](const QChar *start, qsizetype length) { fields.append(QString(start, length)); });
    return fields;
}

void splitFields(QByteArrayView line, FieldViews *fields)
{
    fields->clear();
    scanFields(
        line.data(), line.data() + line.size(),
        formats::textfields::isSeparator,
        [fields](const char *start, qsizetype length) { fields->append(QByteArrayView(start, length)); });
}

namespace {

// Plain decimal numbers ("-1.5e+05", "42") are converted with std::from_chars,
// which gives the same value as QString's conversion at a fraction of its cost.
// Anything else ("+1", "nan", "1e500") is left to QString.
template <typename T, typename Char>
bool isPlainNumber(const Char *text, qsizetype length)
{
    if (length == 0 || text[0] == Char('+'))
        return false;
    for (qsizetype i = 0; i < length; ++i) {
        const Char c = text[i];
        const bool plain = (c >= Char('0') && c <= Char('9')) || c == Char('-')
                           || (std::is_floating_point_v<T>
                               && (c == Char('.') || c == Char('e') || c == Char('E') || c == Char('+')));
        if (!plain)
            return false;
    }
    return true;
}

template <typename T>
bool fastConvert(const char *text, qsizetype length, T *value)
{
    if (!isPlainNumber<T>(text, length))
        return false;
    const auto [last, error] = std::from_chars(text, text + length, *value);
    return error == std::errc() && last == text + length;
}

template <typename T>
bool fastConvert(const QString &text, T *value)
{
    char buffer[40];
    const qsizetype length = text.size();
    if (length >= qsizetype(sizeof buffer) || !isPlainNumber<T>(text.utf16(), length))
        return false;
    for (qsizetype i = 0; i < length; ++i)
        buffer[i] = char(text.at(i).unicode());
    return fastConvert(buffer, length, value);
}

template <typename T>
T slowConvert(const QString &text, bool *ok)
{
    if constexpr (std::is_floating_point_v<T>)
        return text.toDouble(ok);
    else
        return text.toInt(ok, 10);
}

template <typename T>
T slowConvert(QByteArrayView text, bool *ok)
{
    return slowConvert<T>(QString::fromLatin1(text), ok);
}

// Field `oneBased` of `fields` as T; 0 when it is missing or not a T.
template <typename T, typename Fields>
T convert(const Fields &fields, int oneBased, bool *ok)
{
    bool converted = false;
    T value = 0;
    if (oneBased >= 1 && oneBased <= fields.size()) {
        const auto &text = fields.at(oneBased - 1);
        if constexpr (std::is_same_v<Fields, QStringList>)
            converted = fastConvert(text, &value);
        else
            converted = fastConvert(text.data(), text.size(), &value);
        if (!converted)
            value = slowConvert<T>(text, &converted);
    }
    if (ok)
        *ok = converted;
    return converted ? value : T(0);
}

} // namespace

double number(const QStringList &fields, int oneBased, bool *ok)
{
    return convert<double>(fields, oneBased, ok);
}

int integer(const QStringList &fields, int oneBased, bool *ok)
{
    return convert<int>(fields, oneBased, ok);
}

double number(const FieldViews &fields, int oneBased, bool *ok)
{
    return convert<double>(fields, oneBased, ok);
}

int integer(const FieldViews &fields, int oneBased, bool *ok)
{
    return convert<int>(fields, oneBased, ok);
}

} // namespace TextFields
