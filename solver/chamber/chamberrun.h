#pragma once

#include "chamber/chambersimulation.h"
#include "io/caserun.h"
#include "models/cycle.h"

#include <filesystem>
#include <functional>
#include <vector>

namespace euler::chamber {

struct ChamberRunOptions : CaseRunOptions
{
    int paraViewIntervalDeg = 5; // vtk/chamber_NNN.vtu spacing, 0: none
    int threads = 0;             // solver threads, 0: by the mesh's size (fv::threadsForCells)
    double memoryBytes = 0;      // what a mesh may need, 0: the machine's memory
    const fv::SspScheme *scheme = nullptr; // the time scheme, null: ChamberSetup's
    std::function<void(const ChamberSimulation &)> afterStep;
};

struct ChamberRunResult : CaseRunResult
{
    long long cells = 0;
};

// A whole run of the three-dimensional chamber model as euler.exe does it
// (see runInCase for the frame): the chamber mesh from the cylinder data,
// refused before it is built when it would need more memory than allowed;
// then from top dead centre to phiMax the files of the lumped run from the
// computed field, and the ParaView files. Never throws.
ChamberRunResult runChamberCase(const std::filesystem::path &rootDirectory, const ChamberRunOptions &options = {});

// The chamber setup of a case's inputs: the pocket, when given, one copy per
// valve with its columns merged along the axis (pockets::mergeColumns).
// Throws RunError (BadInput) when the pockets of two valves overlap.
ChamberSetup chamberSetup(const CylinderInput &cylinder, const ValveInput &valves, const pockets::PocketProper *pocket,
                          bool valvesHeldShut);

} // namespace euler::chamber
