#include "io/caseinputs.h"

#include "io/numberformat.h"
#include "io/runlog.h"

#include "formats/caselayout.h"
#include "formats/solverlog.h"

#include <cmath>
#include <system_error>

namespace euler {
namespace {

namespace layout = formats::caselayout;

void addValves(Compressor &compressor, ValveKind kind, const ValveSideInput &side)
{
    for (int k = 0; k < side.count; ++k) {
        Valve v;
        v.kind = kind;
        v.number = k + 1;
        v.plate = {side.plateMass, side.forceArea, side.springStiffness, side.springInitialLength, side.maxLift};
        v.area = {side.fe1mm, side.alpha, side.beta};
        v.pocketAngle = side.pocketAngleDeg[static_cast<size_t>(k)] * M_PI / 180.0;
        compressor.valves.push_back(v);
    }
}

std::string fmt(double v)
{
    return formatNumber(v);
}

} // namespace

std::filesystem::path openCaseDirectory(const std::filesystem::path &root, RunLog &log)
{
    const std::filesystem::path caseDirectory = root / readCaseName(root / layout::cylinderInput);
    std::error_code ec;
    for (layout::Surface surface : layout::surfaces)
        std::filesystem::create_directories(caseDirectory / layout::surfaceName(surface), ec);
    if (!log.open(caseDirectory / formats::solverlog::fileName))
        log.line("Warning: cannot write " + (caseDirectory / formats::solverlog::fileName).string());
    return caseDirectory;
}

CaseInputs readCaseInputs(const std::filesystem::path &root)
{
    const std::filesystem::path cylinderFile = root / layout::cylinderInput;
    const std::filesystem::path valveFile = root / layout::valveInput;
    CaseInputs in;
    in.root = root;
    in.cylinder = readCylinderInput(cylinderFile);
    validate(in.cylinder, cylinderFile.string());
    in.valves = readValveInput(valveFile);
    validate(in.valves, valveFile.string());
    validatePocket(in.cylinder, in.valves, valveFile.string());
    in.pocketInput = readPocketMeshInput(root / layout::pocketMeshInput);
    const std::filesystem::path meshFile = root / in.pocketInput.meshFile;
    const fv::HexMesh mapped = readPocketHexMesh(meshFile, in.pocketInput.scale);
    in.pocketMesh = summarize(mapped);
    in.pocket = pockets::pocketProper(mapped, 0.5 * in.cylinder.pistonDiameter, meshFile.string());
    return in;
}

Compressor makeCompressor(const CylinderInput &c, const ValveInput &v)
{
    Compressor m;
    m.gas.gamma = c.gamma;
    m.gas.R = specificGasConstant(c.molarMass);
    m.crank = SliderCrank(c.crankRadius, c.conrodLength, c.minimalGap, c.speedRpm);
    m.pistonArea = M_PI * 0.25 * c.pistonDiameter * c.pistonDiameter;
    m.suction = {c.suctionPressure, c.suctionPressure / (c.suctionDensity * m.gas.R)};
    m.discharge = {c.dischargePressure,
                   m.gas.isentropicTemperature(m.suction.temperature, c.suctionPressure, c.dischargePressure)};
    addValves(m, ValveKind::Suction, v.suction);
    addValves(m, ValveKind::Discharge, v.discharge);
    return m;
}

void logInputs(RunLog &log, const CaseInputs &inputs, const std::string &rodUse, const std::string &viscosityUse)
{
    const CylinderInput &c = inputs.cylinder;
    const ValveInput &v = inputs.valves;
    const PocketMeshInput &p = inputs.pocketInput;
    const PocketMeshSummary &mesh = inputs.pocketMesh;
    log.line("Inputs as understood:");
    log.line("  case name                     " + c.caseName);
    log.line("  piston diameter (m)           " + fmt(c.pistonDiameter));
    log.line("  piston rod diameter (m)       " + fmt(c.rodDiameter) + " (" + rodUse + ")");
    log.line("  minimal gap z_min (m)         " + fmt(c.minimalGap));
    log.line("  crank radius (m)              " + fmt(c.crankRadius));
    log.line("  conrod length (m)             " + fmt(c.conrodLength));
    log.line("  crank shaft speed (rpm)       " + fmt(c.speedRpm));
    log.line("  gamma (1)                     " + fmt(c.gamma));
    log.line("  suction pressure (Pa)         " + fmt(c.suctionPressure));
    log.line("  discharge pressure (Pa)       " + fmt(c.dischargePressure));
    log.line("  suction density (kg/m^3)      " + fmt(c.suctionDensity));
    log.line("  n1, n2, n3                    " + std::to_string(c.n1) + ", " + std::to_string(c.n2) + ", " + std::to_string(c.n3));
    log.line("  grading_P, grading_R          " + fmt(c.gradingPiston) + ", " + fmt(c.gradingRod));
    log.line("  Courant number                " + fmt(c.courantNumber));
    log.line("  phiMax (deg)                  " + fmt(c.phiMax));
    log.line("  molar mass (g/mol)            " + fmt(c.molarMass));
    log.line("  dynamic viscosity (Pa s)      " + fmt(c.viscosity) + " (" + viscosityUse + ")");
    log.line("  valve diameter (m)            " + fmt(v.valveDiameter));
    for (const auto *side : {&v.suction, &v.discharge}) {
        const std::string kind = side == &v.suction ? "suction" : "discharge";
        std::string angles;
        for (int k = 0; k < side->count; ++k)
            angles += (k ? ", " : "") + fmt(side->pocketAngleDeg[static_cast<size_t>(k)]);
        log.line("  " + kind + " valves: " + std::to_string(side->count) + " at pocket angles (deg) " + angles);
        log.line("    max lift " + fmt(side->maxLift) + " m, fe1mm " + fmt(side->fe1mm) + " m, alpha " + fmt(side->alpha)
                 + ", beta " + fmt(side->beta) + " 1/m^2");
        log.line("    plate mass " + fmt(side->plateMass) + " kg, force area " + fmt(side->forceArea) + " m^2, stiffness "
                 + fmt(side->springStiffness) + " N/m, spring initial length " + fmt(side->springInitialLength)
                 + " m (preload " + fmt(side->springStiffness * side->springInitialLength) + " N)");
    }
    log.line("  pocket rv1, hk1, hv1 (mm)     " + fmt(v.pocketRadiusMm) + ", " + fmt(v.coneHeightMm) + ", " + fmt(v.pocketHeightMm));
    log.line("  pocket mesh                   " + p.meshFile + " (scale " + fmt(p.scale) + " m per unit): "
             + std::to_string(mesh.nodes) + " nodes, " + std::to_string(mesh.hexahedra) + " hexahedra; beyond the bore "
             + std::to_string(inputs.pocket.properCells()) + " hexahedra, behind the head plane (the recess, merged) "
             + std::to_string(inputs.pocket.recessCells) + ", volume " + fmt(inputs.pocket.volume) + " m^3 per pocket");
}

void logDerived(RunLog &log, const Compressor &compressor)
{
    log.line("Derived:");
    log.line("  gas constant (J/(kg K))       " + fmt(compressor.gas.R));
    log.line("  suction temperature (K)       " + fmt(compressor.suction.temperature));
    log.line("  discharge plenum temp. (K)    " + fmt(compressor.discharge.temperature) + " (isentropic from suction)");
    log.line("  swept volume (m^3)            " + fmt(compressor.sweptVolume()));
}

void checkPocketMesh(RunLog &log, const PocketMeshSummary &mesh, const ValveInput &valves)
{
    // The mapping scales the pocket's cross-section with rv1; the cone may
    // reach a little beyond the pocket radius.
    const double rv1 = valves.pocketRadiusMm * 1e-3;
    if (mesh.maxAbsY < 0.9 * rv1 || mesh.maxAbsY > 1.5 * rv1)
        log.line("Warning: the pocket mesh is " + fmt(2 * mesh.maxAbsY) + " m wide, the pocket diameter 2 rv1 is "
                 + fmt(2 * rv1) + " m; was it mapped for this geometry?");
}

} // namespace euler
