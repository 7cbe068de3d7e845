#pragma once

#include "io/inputfiles.h"
#include "io/pocketmesh.h"
#include "models/compressor.h"
#include "pockets/pocketproper.h"

#include <filesystem>

namespace euler {

class RunLog;

// Everything a run reads from the root directory, read and checked.
struct CaseInputs
{
    std::filesystem::path root; // where they were read
    CylinderInput cylinder;
    ValveInput valves;
    PocketMeshInput pocketInput;
    PocketMeshSummary pocketMesh;   // the file
    pockets::PocketProper pocket;   // its cells beyond the bore and its recess behind the head: the pocket of each valve
};

// The case directory named in the root's cylinder file, created with its
// surface subdirectories; the log is opened there (a warning when it cannot
// be). Throws RunError when the case name cannot be read.
std::filesystem::path openCaseDirectory(const std::filesystem::path &root, RunLog &log);

// Reads the three input files and the pocket mesh from the root and checks
// them (formats/inputrules.h), and cuts the pocket proper out of the mesh
// (pockets::pocketProper, which refuses meshes that give no pocket). Throws
// RunError (BadInput) naming the file.
CaseInputs readCaseInputs(const std::filesystem::path &root);

// The gas, crank drive, plena and valves of a case. The discharge plenum
// holds gas at the isentropic discharge temperature.
Compressor makeCompressor(const CylinderInput &cylinder, const ValveInput &valves);

// "Inputs as understood:" with units. `viscosityUse` says what the model
// does with the viscosity, `rodUse` what the rod diameter shapes.
void logInputs(RunLog &log, const CaseInputs &inputs, const std::string &rodUse, const std::string &viscosityUse);
// The derived values both models share (gas constant, plena, swept volume).
void logDerived(RunLog &log, const Compressor &compressor);

// Bigger pocket meshes than the model's geometry, a sign of a mesh mapped for
// another pocket, get a warning in the log.
void checkPocketMesh(RunLog &log, const PocketMeshSummary &mesh, const ValveInput &valves);

} // namespace euler
