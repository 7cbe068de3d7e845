#pragma once

#include "io/caserun.h"
#include "io/inputfiles.h"
#include "lumped/cyclestats.h"
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

struct RunResult : RunStatus
{
    CycleResult cycle;   // last complete revolution, else the whole run
    std::vector<CycleResult> revolutions;
    IdealCycle ideal;
    std::vector<ImpactRecord> impacts;
    ChamberState start, end;
    long long timeSteps = 0;
};

// The chamber model of a case. pocketVolume is the volume of one pocket.
ChamberModel makeChamberModel(const CylinderInput &cylinder, const ValveInput &valves, double pocketVolume);

// A whole lumped run as "euler.exe --lumped" does it, with rootDirectory the
// parent of ExecutingFiles (see runInCase): reads InputCylinder.txt, InputValves.txt,
// InputPocketMesh.txt and the pocket mesh from it, and writes euler.log,
// Output.txt, Summary.txt and head/piston/side result files into its case
// directory (the log into the root when the case name cannot be read).
// Never throws; failures come back as exit code and message.
RunResult runLumpedCase(const std::filesystem::path &rootDirectory, const RunOptions &options = {});

} // namespace euler
