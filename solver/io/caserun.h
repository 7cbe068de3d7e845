#pragma once

#include "io/caseinputs.h"
#include "models/cycle.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace euler {

class RunLog;

// How a run ended.
struct RunStatus
{
    int exitCode = 0;    // 0 done, 1 bad input, 2 output failed, 3 diverged
    std::string message; // reason when exitCode != 0
    std::filesystem::path caseDirectory;
};

// What either model's run is asked for.
struct CaseRunOptions
{
    double outputIntervalDeg = 0.1; // Output.txt line spacing
    bool holdValvesShut = false;    // plates stay on their seats (checks)
    bool writeSurfaces = true;      // head/piston/side files each degree
    bool echo = true;               // log lines also to stderr
    double diskBytes = 0;           // what result files may take, 0: the case directory's free space
};

// What either model's run gives back besides its status.
struct CaseRunResult : RunStatus
{
    CycleResult cycle; // last complete revolution, else the whole run
    std::vector<CycleResult> revolutions;
    IdealCycle ideal;
    std::vector<ImpactRecord> impacts;
    long long timeSteps = 0;
};

using ModelRun = std::function<void(const CaseInputs &inputs, const std::filesystem::path &caseDirectory, RunLog &log)>;

// The frame both models run in, with rootDirectory the parent of
// ExecutingFiles: the log (echoed to stderr when asked) opened in the case
// directory, or beside the inputs when the case name cannot be read; the
// inputs read and checked; then `model`. A RunError becomes the exit status,
// an "ERROR:" line with its reason and the "Stopped with exit status" line;
// any other exception exit status 2. Never throws.
RunStatus runInCase(const std::filesystem::path &rootDirectory, bool echo, const std::string &banner,
                    const ModelRun &model);

} // namespace euler
