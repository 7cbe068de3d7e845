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

struct RunOptions : CaseRunOptions
{
    std::function<void(const Simulation &)> afterStep;
};

struct RunResult : CaseRunResult
{
    ChamberState start, end;
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
