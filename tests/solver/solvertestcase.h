#pragma once

// Inputs of the sample case Case680mm, and small variations of them, for the
// solver tests.
#include "io/inputfiles.h"
#include "lumped/runcase.h"

#include <QString>
#include <QtTest>

namespace solvertest {

inline QString sampleFile(const char *name)
{
    return QFINDTESTDATA(QStringLiteral("../../data/samples/") + QLatin1String(name));
}

inline euler::CylinderInput sampleCylinder()
{
    return euler::readCylinderInput(sampleFile("Case680mm_cylinder.txt").toStdString());
}

inline euler::ValveInput sampleValves()
{
    return euler::readValveInput(sampleFile("Case680mm_valves.txt").toStdString());
}

// Volume of one pocket of the sample workspace (the box test mesh).
constexpr double samplePocketVolume = 1.6e-3;

inline euler::ChamberModel sampleModel()
{
    return euler::makeChamberModel(sampleCylinder(), sampleValves(), samplePocketVolume);
}

inline double revolutionTime(const euler::ChamberModel &model, double revolutions)
{
    return revolutions * 2 * M_PI / model.crank.omega();
}

} // namespace solvertest
