// Times the coefficient table of a synthetic case: steps x 3 result files of
// a given number of lines each. Prints lines per second and time per step.
#include "post/alphacoefficient.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

bool writeResultFile(const QString &fileName, int lines, bool side)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&file);
    for (int i = 0; i < lines; ++i) {
        const int row = i / 50 + 1;
        out << qSetFieldWidth(6) << i + 1 << row << i % 50 + 1 << qSetFieldWidth(14)
            << 0.001 * (i % 50) << 0.001 * row << 0.0;
        if (side)
            out << 0.25;
        out << 1.0 + 0.001 * (i % 97) << 100000.0 + (i * 37 % 1000) << 3.0 + 0.01 * (i % 13)
            << 4.0 - 0.01 * (i % 17) << qSetFieldWidth(0) << '\n';
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    const int steps = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 60;
    const int lines = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 2000;

    QTemporaryDir caseDir;
    QDir dir(caseDir.path());
    for (AlphaCoefficient::Surface surface : AlphaCoefficient::surfaces) {
        dir.mkdir(AlphaCoefficient::subdirectory(surface));
        for (int step = 1; step <= steps; ++step) {
            const QString name = dir.filePath(AlphaCoefficient::subdirectory(surface) + QLatin1Char('/')
                                              + AlphaCoefficient::resultFileName(surface, step));
            if (!writeResultFile(name, lines, surface == AlphaCoefficient::Surface::Side)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
                return 1;
            }
        }
    }

    const AlphaCoefficient::Gas gas = AlphaCoefficient::makeGas(0.2, 1.4, 28.96, 1.8e-05);
    QElapsedTimer clock;
    clock.start();
    const QVector<AlphaCoefficient::Row> rows = AlphaCoefficient::computeTable(dir, steps, gas);
    const double computeMs = clock.nsecsElapsed() / 1e6;
    clock.restart();
    QString error;
    AlphaCoefficient::writeTable(dir.filePath(AlphaCoefficient::tableFileName()), rows, &error);
    const double writeMs = clock.nsecsElapsed() / 1e6;

    const double totalLines = 3.0 * steps * lines;
    std::printf("coefficient table: %d steps x 3 surfaces x %d lines\n", steps, lines);
    std::printf("  compute: %.1f ms (%.2f ms per step, %.2f million lines/s)\n", computeMs,
                computeMs / steps, totalLines / computeMs / 1e3);
    std::printf("  write table: %.2f ms\n", writeMs);
    return 0;
}
