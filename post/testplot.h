#pragma once

#include "valvediagram.h"

#include <QString>
#include <QStringList>

// The test plot: a sine curve drawn into "test.png". Its script is the valve
// diagram's "gp.txt", which either plot overwrites.
namespace TestPlot {

inline QString scriptName() { return ValveDiagram::scriptName(); }
inline QString imageName() { return QStringLiteral("test.png"); }

inline QStringList script()
{
    return {QStringLiteral("set terminal png size 480,320"),
            QStringLiteral("set output '%1'").arg(imageName()),
            QStringLiteral("a = 0.9"),
            QStringLiteral("f(x) = a * sin(x)"),
            QStringLiteral("plot f(x) title 'sin(x)' with lines")};
}

} // namespace TestPlot
