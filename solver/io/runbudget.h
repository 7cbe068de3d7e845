#pragma once

#include <filesystem>
#include <string>

namespace euler {

class RunLog;

// What a run will cost, estimated from its inputs before the first step.
struct RunCost
{
    double memoryBytes = 0; // the model's mesh and state
    double timeSteps = 0;   // from crank angle 0 to phiMax
    double outputBytes = 0; // every result file the run writes
};

// How much a run may cost (docs/solver-model.md): the machine's physical
// memory, 10^9 time steps and the free space of the case directory's disk. A
// limit of 0 is unknown and not checked.
struct RunLimits
{
    static constexpr double mostTimeSteps = 1e9;

    double memoryBytes = 0;
    double timeSteps = mostTimeSteps;
    double diskBytes = 0;
};

// The free space of the disk that holds `directory`, 0 when unknown.
double freeDiskBytes(const std::filesystem::path &directory);

// Logs the estimate beside its limits ("Run cost: ...") and throws RunError
// (BadInput, reported against `inputFile`) naming every limit the run would
// exceed, with the figures, before anything is allocated or written.
void checkRunCost(const RunCost &cost, const RunLimits &limits, RunLog &log, const std::string &inputFile);

} // namespace euler
