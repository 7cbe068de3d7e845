// Prints how fast the parameter file reader and writer run: the sample sets
// through memory, and files that hold one 50 MB line or 50 MB of short lines.
#include "params/parameterfile.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

ParameterFile::FieldTexts sampleTexts(const ParameterSet::Table &set)
{
    ParameterFile::FieldTexts texts;
    for (const Parameter key : ParameterSet::keys(set))
        texts.insert(key, QStringLiteral("123.456"));
    texts.insert(Parameter::CaseName, QStringLiteral("Case680mm"));
    return texts;
}

void roundTrips(const char *label, const ParameterSet::Table &set)
{
    const ParameterFile::FieldTexts texts = sampleTexts(set);
    constexpr int count = 20000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < count; ++i) {
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite | QIODevice::Text);
        ParameterFile::write(set, texts, buffer);
        buffer.seek(0);
        ParameterFile::read(set, buffer);
    }
    std::printf("%-28s %8.1f us per write and read\n", label, timer.nsecsElapsed() / 1000.0 / count);
}

void readLargeFile(const char *label, const QString &path, const QByteArray &line, qint64 lines)
{
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        for (qint64 i = 0; i < lines; ++i)
            file.write(line);
    }
    QFile file(path);
    file.open(QIODevice::ReadOnly | QIODevice::Text);
    QElapsedTimer timer;
    timer.start();
    ParameterFile::read(ParameterSet::cylinder(), file);
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("%-28s %8.3f s, %6.1f MB/s\n", label, seconds, file.size() / 1e6 / seconds);
}

} // namespace

int main()
{
    roundTrips("cylinder set", ParameterSet::cylinder());
    roundTrips("valve set", ParameterSet::valves());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.txt"));
    readLargeFile("one 50 MB data line", path, QByteArray(50'000'000, 'A') + '\n', 1);
    readLargeFile("50 MB of comment lines", path, QByteArray(99, '#') + '\n', 500'000);
    return 0;
}
