#include "lumped/runcase.h"

#include "lumped/historywriter.h"
#include "io/inputerror.h"
#include "io/numberformat.h"
#include "io/pocketmesh.h"
#include "io/runlog.h"
#include "lumped/summarywriter.h"
#include "formats/caselayout.h"
#include "formats/solverlog.h"
#include "io/surfacegrid.h"
#include "lumped/surfacewriter.h"

#include <cmath>
#include <sstream>

namespace euler {
namespace {

std::string fmt(double v)
{
    std::string s;
    appendNumber(s, v, 8);
    return s;
}

void addValves(ChamberModel &model, ValveKind kind, const ValveSideInput &side)
{
    for (int k = 0; k < side.count; ++k) {
        Valve v;
        v.kind = kind;
        v.number = k + 1;
        v.plate = {side.plateMass, side.forceArea, side.springStiffness, side.springInitialLength, side.maxLift};
        v.area = {side.fe1mm, side.alpha, side.beta};
        v.pocketAngle = side.pocketAngleDeg[static_cast<size_t>(k)] * M_PI / 180.0;
        model.valves.push_back(v);
    }
}

void logInputs(RunLog &log, const CylinderInput &c, const ValveInput &v, const PocketMeshInput &p,
               const PocketMeshSummary &mesh, const ChamberModel &model)
{
    log.line("Inputs as understood:");
    log.line("  case name                     " + c.caseName);
    log.line("  piston diameter (m)           " + fmt(c.pistonDiameter));
    log.line("  piston rod diameter (m)       " + fmt(c.rodDiameter) + " (inner block of the surface grid)");
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
    log.line("  dynamic viscosity (Pa s)      " + fmt(c.viscosity) + " (not used by the lumped model)");
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
             + std::to_string(mesh.nodes) + " nodes, " + std::to_string(mesh.hexahedra) + " hexahedra, volume "
             + fmt(mesh.volume) + " m^3 per pocket");
    log.line("Derived:");
    log.line("  gas constant (J/(kg K))       " + fmt(model.gas.R));
    log.line("  suction temperature (K)       " + fmt(model.suction.temperature));
    log.line("  discharge plenum temp. (K)    " + fmt(model.discharge.temperature) + " (isentropic from suction)");
    log.line("  swept volume (m^3)            " + fmt(model.sweptVolume()));
    log.line("  clearance volume (m^3)        " + fmt(model.clearanceVolume()) + " incl. "
             + std::to_string(model.valves.size()) + " pockets");
}

// Warns when the mesh was evidently mapped for another pocket radius.
void checkPocketMesh(RunLog &log, const PocketMeshSummary &mesh, const ValveInput &valves)
{
    if (mesh.hexahedra == 0) {
        log.line("Note: the pocket mesh has no hexahedra; the pockets add no volume.");
        return;
    }
    // The mapping scales the pocket's cross-section with rv1; the cone may
    // reach a little beyond the pocket radius.
    const double rv1 = valves.pocketRadiusMm * 1e-3;
    if (mesh.maxAbsY < 0.9 * rv1 || mesh.maxAbsY > 1.5 * rv1)
        log.line("Warning: the pocket mesh is " + fmt(2 * mesh.maxAbsY) + " m wide, the pocket diameter 2 rv1 is "
                 + fmt(2 * rv1) + " m; was it mapped for this geometry?");
}

SurfaceInstant surfaceInstant(const Simulation &sim, double coreRadius)
{
    const ChamberModel &m = sim.model();
    const ChamberSnapshot s = sim.snapshot();
    SurfaceInstant in;
    in.gap = s.gap;
    in.pressure = s.pressure;
    in.density = s.density;
    in.gamma = m.gas.gamma;
    in.R = m.gas.R;
    in.flow.pistonVelocity = s.pistonVelocity;
    in.flow.gap = s.gap;
    in.flow.coreRadius = coreRadius;
    const double radius = std::sqrt(m.pistonArea / M_PI);
    for (size_t j = 0; j < m.valves.size(); ++j) {
        const double a = m.valves[j].pocketAngle;
        in.flow.jets.push_back({{radius * std::cos(a), radius * std::sin(a), 0.0}, s.valves[j].massFlowIn / s.density});
    }
    return in;
}

std::string progressLine(const Simulation &sim)
{
    const ChamberSnapshot s = sim.snapshot();
    std::string line = formats::solverlog::progressPrefix + fmt(s.phi * 180 / M_PI) + " deg: p " + fmt(s.pressure) + " Pa, T "
                       + fmt(s.temperature) + " K, lifts (mm)";
    for (size_t j = 0; j < s.valves.size(); ++j)
        line += " " + fmt(sim.state().lift(j) * 1e3);
    return line + ", steps " + std::to_string(sim.stepCount());
}

void runSimulation(const CylinderInput &cyl, const ValveInput &valves, ChamberModel model,
                   const std::filesystem::path &caseDir, const RunOptions &options, RunLog &log, RunResult &result)
{
    double courant = cyl.courantNumber;
    if (courant > 2.0) {
        log.line("Note: Courant number " + fmt(courant) + " reduced to 2 (stability of the time integration).");
        courant = 2.0;
    }
    Simulation sim(std::move(model), courant);
    sim.afterStep = options.afterStep;
    result.start = sim.state();

    const SurfaceWriter surfaces(makeSurfaceGrid(cyl.pistonDiameter, cyl.rodDiameter, cyl.n1, cyl.n2, cyl.n3,
                                                 cyl.gradingPiston, cyl.gradingRod),
                                 caseDir);
    HistoryWriter history(caseDir / formats::caselayout::historyFile, sim.model());
    const double coreRadius = 0.5 * valves.valveDiameter;
    const double degreesPerSecond = sim.model().crank.omega() * 180.0 / M_PI;
    const double interval = options.outputIntervalDeg;
    const long long lines = static_cast<long long>(std::ceil(cyl.phiMax / interval - 1e-9));
    const int steps = static_cast<int>(std::trunc(cyl.phiMax));

    log.line(formats::solverlog::targetPrefix + fmt(cyl.phiMax) + " deg: " + std::to_string(steps)
             + " result steps, Output.txt every " + fmt(interval) + " deg.");
    history.append(0, sim, result.start);
    Totals revolutionStart = totalsOf(sim);
    for (long long line = 1; line <= lines; ++line) {
        const double angle = std::min(static_cast<double>(line) * interval, cyl.phiMax);
        sim.advanceTo(angle / degreesPerSecond);
        requirePhysicalState(sim.snapshot());
        history.append(line, sim, result.start);
        const long long degree = std::llround(angle);
        const bool wholeDegree = std::fabs(angle - static_cast<double>(degree)) < 1e-9;
        if (options.writeSurfaces && wholeDegree && degree >= 1 && degree <= steps)
            surfaces.writeStep(static_cast<int>(degree), surfaceInstant(sim, coreRadius));
        if (wholeDegree && degree > 0 && degree % 360 == 0) {
            const Totals now = totalsOf(sim);
            result.revolutions.push_back(cycleBetween(sim.model(), cyl.suctionDensity, revolutionStart, now, true));
            revolutionStart = now;
        }
        if (wholeDegree && degree % 30 == 0)
            log.line(progressLine(sim));
    }
    history.close();

    result.cycle = result.revolutions.empty()
        ? cycleBetween(sim.model(), cyl.suctionDensity, totalsOf(Simulation(sim.model(), courant)), totalsOf(sim), false)
        : result.revolutions.back();
    result.ideal = idealCycle(sim.model());
    result.impacts = sim.impacts();
    result.end = sim.state();
    result.timeSteps = sim.stepCount();
    writeFile(caseDir / formats::caselayout::summaryFile, summaryText(cyl.caseName, sim.model(), result.cycle, result.ideal, result.impacts));
    for (size_t r = 0; r < result.revolutions.size(); ++r)
        log.line("Revolution " + std::to_string(r + 1) + ": suction " + fmt(result.revolutions[r].suctionMass)
                 + " kg, discharge " + fmt(result.revolutions[r].dischargeMass) + " kg, work "
                 + fmt(result.revolutions[r].workOnGas) + " J");
    log.line("Mass flow " + fmt(result.cycle.massFlow) + " kg/s, volumetric efficiency "
             + fmt(result.cycle.volumetricEfficiency) + ", indicated power " + fmt(result.cycle.indicatedPower)
             + " W, discharge temperature " + fmt(result.cycle.dischargeTemperature) + " K");
    log.line(formats::solverlog::finishedPrefix + std::to_string(sim.stepCount()) + " time steps.");
}

// The reason, then the exit status: the last line tells the front end that the
// run has ended, whatever stopped it.
void logFailure(RunLog &log, const RunResult &result)
{
    log.line(formats::solverlog::errorPrefix + result.message);
    log.line(formats::solverlog::stoppedPrefix + std::to_string(result.exitCode) + ".");
}

} // namespace

ChamberModel makeChamberModel(const CylinderInput &c, const ValveInput &v, double pocketVolume)
{
    ChamberModel m;
    m.gas.gamma = c.gamma;
    m.gas.R = specificGasConstant(c.molarMass);
    m.crank = SliderCrank(c.crankRadius, c.conrodLength, c.minimalGap, c.speedRpm);
    m.pistonArea = M_PI * 0.25 * c.pistonDiameter * c.pistonDiameter;
    m.suction = {c.suctionPressure, c.suctionPressure / (c.suctionDensity * m.gas.R)};
    m.discharge = {c.dischargePressure,
                   m.gas.isentropicTemperature(m.suction.temperature, c.suctionPressure, c.dischargePressure)};
    addValves(m, ValveKind::Suction, v.suction);
    addValves(m, ValveKind::Discharge, v.discharge);
    m.pocketVolume = pocketVolume * static_cast<double>(m.valves.size());
    return m;
}

RunResult runCase(const std::filesystem::path &root, const RunOptions &options)
{
    RunResult result;
    RunLog log(options.echo);
    log.line("euler: lumped chamber model with valve dynamics");
    try {
        namespace layout = formats::caselayout;
        const std::filesystem::path cylinderFile = root / layout::cylinderInput;
        const std::filesystem::path valveFile = root / layout::valveInput;
        result.caseDirectory = root / readCaseName(cylinderFile);
        std::error_code ec;
        for (layout::Surface surface : layout::surfaces)
            std::filesystem::create_directories(result.caseDirectory / layout::surfaceName(surface), ec);
        if (!log.open(result.caseDirectory / formats::solverlog::fileName))
            log.line("Warning: cannot write " + (result.caseDirectory / formats::solverlog::fileName).string());
        const CylinderInput cyl = readCylinderInput(cylinderFile);
        validate(cyl, cylinderFile.string());
        const ValveInput valves = readValveInput(valveFile);
        validate(valves, valveFile.string());
        validatePocket(cyl, valves, valveFile.string());
        const PocketMeshInput pocketInput = readPocketMeshInput(root / layout::pocketMeshInput);
        const PocketMeshSummary mesh = readPocketMesh(root / pocketInput.meshFile, pocketInput.scale);
        ChamberModel model = makeChamberModel(cyl, valves, mesh.volume);
        model.valvesHeldShut = options.holdValvesShut;
        logInputs(log, cyl, valves, pocketInput, mesh, model);
        checkPocketMesh(log, mesh, valves);
        runSimulation(cyl, valves, std::move(model), result.caseDirectory, options, log, result);
    } catch (const RunError &e) {
        result.exitCode = e.exitCode();
        result.message = e.what();
        // Without a case directory the log goes beside the input files.
        if (result.caseDirectory.empty())
            log.open(root / formats::solverlog::fileName);
        logFailure(log, result);
    } catch (const std::exception &e) {
        result.exitCode = RunError::OutputFailed;
        result.message = e.what();
        logFailure(log, result);
    }
    return result;
}

} // namespace euler
