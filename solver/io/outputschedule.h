#pragma once

#include "io/runlog.h"
#include "models/cycle.h"

#include <string>
#include <vector>

namespace euler {

// When a run writes what, from crank angle 0 to phiMax: a line of Output.txt
// every `interval` degrees (line 0 the initial state, the last line at
// phiMax), the surface files of output step k at k whole degrees
// (k = 1..N, N = phiMax truncated).
struct OutputSchedule
{
    OutputSchedule(double phiMaxDeg, double intervalDeg);

    double phiMax;
    double interval;
    long long lines;  // Output.txt lines after the initial one
    int steps;        // N

    // Crank angle of line `line`, deg.
    double angle(long long line) const;
    // Whether an angle is a whole degree, and which.
    static bool wholeDegree(double angleDeg, long long &degree);

    // "Run from crank angle 0 to ... deg: ..." for the log.
    std::string targetLine() const;
};

// The revolutions' masses and work and the cycle's results, and the final
// "Finished after N time steps." line.
void logResults(RunLog &log, const std::vector<CycleResult> &revolutions, const CycleResult &cycle,
                long long timeSteps);

} // namespace euler
