#pragma once

#include "lumped/cyclestats.h"
#include "io/inputfiles.h"
#include "lumped/simulation.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace euler {

struct RunOptions
{
    double outputIntervalDeg = 0.1; // Output.txt line spacing
    bool holdValvesShut = false;    // plates stay on their seats (checks)
    bool writeSurfaces = true;      // head/piston/side files each degree
    bool echo = true;               // log lines also to stderr
    std::function<void(const Simulation &)> afterStep;
};

struct RunResult
{
    int exitCode = 0;    // 0 done, 1 bad input, 2 output failed, 3 diverged
    std::string message; // reason when exitCode != 0
    std::filesystem::path caseDirectory;
    CycleResult cycle;   // last complete revolution, else the whole run
    std::vector<CycleResult> revolutions;
    IdealCycle ideal;
    std::vector<ImpactRecord> impacts;
    ChamberState start, end;
    long long timeSteps = 0;
};

// The chamber model of a case. pocketVolume is the volume of one pocket.
ChamberModel makeChamberModel(const CylinderInput &cylinder, const ValveInput &valves, double pocketVolume);

// A whole run as euler.exe does it, with rootDirectory the parent of
// ExecutingFiles: reads InputCylinder.txt, InputValves.txt,
// InputPocketMesh.txt and the pocket mesh from it, and writes euler.log,
// Output.txt, Summary.txt and head/piston/side result files into its case
// directory (the log into the root when the case name cannot be read).
// Never throws; failures come back as exit code and message.
RunResult runCase(const std::filesystem::path &rootDirectory, const RunOptions &options = {});

} // namespace euler
