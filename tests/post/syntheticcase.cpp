#include "syntheticcase.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <cstdio>

namespace SyntheticCase {

namespace {

constexpr double pi = 3.14159265358979323846;

bool writeFile(const QString &fileName, const QByteArray &data, QString *error)
{
    QFile file(fileName);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size()
        && file.flush())
        return true;
    *error = QStringLiteral("%1: %2").arg(fileName, file.errorString());
    return false;
}

// One result line: the integer fields, then the real ones in "%.6e" form.
void appendLine(QByteArray &data, std::initializer_list<int> integers,
                std::initializer_list<double> reals)
{
    char field[32];
    for (int value : integers)
        data.append(field, std::snprintf(field, sizeof field, "%d ", value));
    for (double value : reals)
        data.append(field, std::snprintf(field, sizeof field, "%.6e ", value));
    data.back() = '\n';
}

// Head or piston: rings from the axis to the wall, row index = ring.
QByteArray planarStep(Grid grid, int step)
{
    QByteArray data;
    const double radius = pistonDiameter / 2;
    int id = 0;
    for (int ring = 1; ring <= grid.rows; ++ring) {
        const double r = radius * ring / grid.rows;
        for (int c = 0; c < grid.columns; ++c) {
            const double phi = 2 * pi * c / grid.columns;
            const double x = r * std::cos(phi), y = r * std::sin(phi);
            const double wave = std::sin(phi + 0.1 * step) * r / radius;
            appendLine(data, {++id, ring, c},
                       {x, y, 0.0, 1.2 + 0.1 * wave, 1.0e5 * (1 + 0.05 * wave),
                       -20 * y * wave, 20 * x * wave, 0.0});
        }
    }
    return data;
}

// Side wall: circles around the axis, row index = height level. Its density is
// uniform in each step, as the solver's well-mixed wall state gives it.
QByteArray sideStep(Grid grid, int step)
{
    QByteArray data;
    const double radius = pistonDiameter / 2, height = 0.2;
    int id = 0;
    for (int level = 1; level <= grid.rows; ++level) {
        const double z = height * (level - 1) / std::max(1, grid.rows - 1);
        for (int c = 0; c <= grid.columns; ++c) {
            const double phi = 2 * pi * c / grid.columns;
            const double wave = std::cos(2 * phi + 0.1 * step) * (1 - z / height);
            appendLine(data, {++id, c, level},
                       {radius * std::cos(phi), radius * std::sin(phi), z, radius * phi,
                       1.2 + 0.01 * step, 1.0e5 * (1 + 0.05 * wave), 15 * wave, 5 * wave});
        }
    }
    return data;
}

} // namespace

bool write(const QString &caseDir, int steps, Grid planar, Grid side, QString *error)
{
    const QDir dir(caseDir);
    for (const char *subdir : {"head", "piston", "side"}) {
        if (!dir.mkpath(QString::fromLatin1(subdir))) {
            *error = QStringLiteral("cannot create %1").arg(dir.filePath(QString::fromLatin1(subdir)));
            return false;
        }
    }
    for (int step = 1; step <= steps; ++step) {
        const QString number = QStringLiteral("%1").arg(step, 3, 10, QLatin1Char('0'));
        const QByteArray planarData = planarStep(planar, step);
        if (!writeFile(dir.filePath(QStringLiteral("head/head%1.txt").arg(number)), planarData, error)
            || !writeFile(dir.filePath(QStringLiteral("piston/piston%1.txt").arg(number)), planarData, error)
            || !writeFile(dir.filePath(QStringLiteral("side/side%1.txt").arg(number)),
                          sideStep(side, step), error))
            return false;
    }
    return true;
}

} // namespace SyntheticCase
