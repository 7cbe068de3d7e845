#pragma once

#include <QString>

// Writes result files in the solver's layout for head, piston and side wall,
// so that field maps can be drawn without running the solver.
namespace SyntheticCase {

struct Grid
{
    int rows;
    int columns;
};

// Creates caseDir/{head,piston,side} and writes steps 1..steps into them.
// Returns false with the reason in *error.
bool write(const QString &caseDir, int steps, Grid planar, Grid side, QString *error);

// Piston diameter and valve diameter the side wall was written for (m).
constexpr double pistonDiameter = 0.68;
constexpr double valveDiameter = 0.2;

} // namespace SyntheticCase
