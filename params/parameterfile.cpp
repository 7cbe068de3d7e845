#include "parameterfile.h"

#include "text/textfields.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QList>
#include <QStringConverter>
#include <QTextStream>

#include <cmath>
#include <limits>

namespace ParameterFile {

using ParameterSet::Entry;
using ParameterSet::Kind;
using ParameterSet::Table;

namespace {

// Digits after the point (fixed) or significant digits (smart) of every real.
constexpr int realPrecision = 5;

void writeValue(QTextStream &out, Kind kind, const QString &text)
{
    switch (kind) {
    case Kind::Text:
        out << text;
        break;
    case Kind::Integer:
        out << integerValue(text);
        break;
    case Kind::Real:
        out << text.toDouble();
        break;
    }
}

void skipRestOfLine(QIODevice &device)
{
    for (;;) {
        const QByteArray rest = device.readLine(maxLineBytes + 1);
        if (rest.isEmpty() || rest.endsWith('\n'))
            return;
    }
}

// Reads one line without its line end. A line longer than maxLineBytes keeps
// its beginning only, so no input can make the reader hold more than that.
bool readLine(QIODevice &device, QString &line)
{
    QByteArray bytes = device.readLine(maxLineBytes + 1); // readLine stops one byte short
    if (bytes.isEmpty())
        return false;
    if (!bytes.endsWith('\n'))
        skipRestOfLine(device);
    while (bytes.endsWith('\n') || bytes.endsWith('\r'))
        bytes.chop(1);
    line = QString::fromUtf8(bytes);
    return true;
}

// Values the data line at a fill index carries: several where a
// multi-token entry starts, one everywhere else.
int tokensAt(const Table &set, int fillIndex)
{
    int slot = 0;
    for (const Entry &entry : set) {
        if (slot == fillIndex)
            return entry.tokens;
        slot += entry.tokens;
    }
    return 1;
}

QList<QString> readValueSlots(const Table &set, QIODevice &device)
{
    QList<QString> values(valueSlots);
    int fillIndex = 0;
    QString line;
    while (fillIndex < valueSlots && readLine(device, line)) {
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList parts = TextFields::splitFields(line);
        if (parts.isEmpty())
            continue;
        const int tokens = tokensAt(set, fillIndex);
        for (int token = 0; token < tokens && token < parts.size() && fillIndex + token < valueSlots; ++token)
            values[fillIndex + token] = parts.at(token);
        fillIndex += tokens;
    }
    return values;
}

QString displayText(const Entry &entry, const QString &value)
{
    if (entry.tokens > 1 && value.isEmpty())
        return {};
    switch (entry.display) {
    case 0:
        return value;
    case 'd':
        return QString::number(integerValue(value));
    default:
        return QStringLiteral("%1").arg(value.toDouble(), 0, entry.display, entry.decimals);
    }
}

// The translation context of the file's messages.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(ParameterFile)
};

// A text entry goes to the file as typed; it reads back only as one data
// line whose first token is the value the reader needs.
QString unreadableReason(const Entry &entry, const QString &text)
{
    if (text.isEmpty())
        return Texts::tr("is empty");
    if (text.startsWith(u'#'))
        return Texts::tr("begins with \"#\"");
    if (text.contains(u'\n') || text.contains(u'\r'))
        return Texts::tr("holds a line break");
    const QStringList tokens = TextFields::splitFields(text);
    if (entry.display == 0) {
        if (text.contains(u'='))
            return Texts::tr("holds \"=\"");
        if (tokens.size() != 1 || tokens.first() != text)
            return Texts::tr("holds a blank");
    } else if (tokens.isEmpty()) {
        return Texts::tr("holds no value");
    }
    return {};
}

} // namespace

int integerValue(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (ok)
        return value;
    const double real = text.toDouble(&ok);
    if (ok && std::trunc(real) == real && std::fabs(real) <= std::numeric_limits<int>::max())
        return static_cast<int>(real);
    return 0;
}

QString valueText(const Entry &entry, const QString &text)
{
    QString value;
    QTextStream out(&value);
    out.setRealNumberPrecision(realPrecision);
    out.setRealNumberNotation(entry.notation);
    writeValue(out, entry.kind, text);
    out.flush();
    return value;
}

bool write(const Table &set, const FieldTexts &texts, QIODevice &device)
{
    QTextStream out(&device);
    out.setEncoding(QStringConverter::Utf8);
    out.setRealNumberPrecision(realPrecision);
    for (const Entry &entry : set) {
        out << entry.comment << '\n';
        out.setRealNumberNotation(entry.notation);
        const QList<Parameter> keys = entry.keys();
        for (int token = 0; token < keys.size(); ++token) {
            if (token > 0)
                out << '\t';
            writeValue(out, entry.kind, texts.value(keys.at(token)));
        }
        out << '\n';
    }
    out.flush();
    return out.status() == QTextStream::Ok;
}

FieldTexts read(const Table &set, QIODevice &device)
{
    const QList<QString> values = readValueSlots(set, device);
    FieldTexts texts;
    int slot = 0;
    for (const Entry &entry : set) {
        for (const Parameter key : entry.keys())
            texts.insert(key, displayText(entry, values.value(slot++)));
    }
    return texts;
}

bool readsBack(const Table &set, const FieldTexts &texts, QString *error)
{
    for (const Entry &entry : set) {
        if (entry.kind != Kind::Text)
            continue;
        const QString reason = unreadableReason(entry, texts.value(entry.key));
        if (!reason.isEmpty()) {
            *error = Texts::tr("The field \"%1\" %2").arg(entry.caption, reason);
            return false;
        }
    }
    return true;
}

} // namespace ParameterFile
