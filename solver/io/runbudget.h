#pragma once

#include <filesystem>
#include <string>

namespace euler {

class RunLog;
struct Compressor;
struct OutputSchedule;

// What a run will cost, estimated from its inputs before the first step.
struct RunCost
{
    double memoryBytes = 0; // the model's mesh and state
    double timeSteps = 0;   // from crank angle 0 to phiMax
    double outputBytes = 0; // every result file the run writes
    std::string memoryFor;  // what needs the memory, for the refusal
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
    std::string memoryName = "the machine has"; // says what memoryBytes is
};

// The pieces of an estimate both models share. Step counts are bounded from
// above: the smallest time scale a run can meet, over the whole run.
namespace runcost {

// Bytes of one number as the result files write it, separator included, at
// its widest ("-1.2345678e-100 " for 8 significant digits).
constexpr double numberBytes(int significantDigits) { return significantDigits + 8.0; }

// Seconds from crank angle 0 to phiMax.
double duration(const Compressor &compressor, double phiMaxDeg);
// The shortest time scale of any free plate (ValvePlate::timeScale under
// the largest force it can feel: the plena's pressure difference on its
// force area and the spring at full lift); infinite without free plates.
double plateTimeScale(const Compressor &compressor, bool valvesHeldShut);
// Output.txt (every line of the schedule) and Summary.txt.
double historyBytes(const Compressor &compressor, const OutputSchedule &schedule);
// One head, piston or side file of `points` lines of `columns` columns.
double surfaceFileBytes(double points, int columns);

} // namespace runcost

// The free space of the disk that holds `directory`, 0 when unknown.
double freeDiskBytes(const std::filesystem::path &directory);

// Logs the estimate beside its limits ("Run cost: ...") and throws RunError
// (BadInput, reported against `inputFile`) naming every limit the run would
// exceed, with the figures, before anything is allocated or written.
void checkRunCost(const RunCost &cost, const RunLimits &limits, RunLog &log, const std::string &inputFile);

} // namespace euler
