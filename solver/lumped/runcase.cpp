#include "lumped/runcase.h"

#include "io/historywriter.h"
#include "io/numberformat.h"
#include "io/outputschedule.h"
#include "io/runbudget.h"
#include "io/runlog.h"
#include "io/summarywriter.h"
#include "io/surfacegrid.h"
#include "io/systemmemory.h"
#include "lumped/surfacewriter.h"

#include "formats/caselayout.h"
#include "formats/solverlog.h"
#include "formats/surfacecolumns.h"

#include <algorithm>
#include <cmath>

namespace euler {
namespace {

std::string fmt(double v)
{
    return formatNumber(v);
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

HistoryInstant historyInstant(const Simulation &sim, const ChamberState &start)
{
    const ChamberModel &m = sim.model();
    const ChamberState &st = sim.state();
    const ChamberSnapshot s = sim.snapshot();
    HistoryInstant h;
    h.time = sim.time();
    h.volume = s.volume;
    h.volumeRate = s.volumeRate;
    h.pressure = s.pressure;
    h.temperature = s.temperature;
    h.density = s.density;
    h.mass = st.mass();
    h.internalEnergy = h.energy = st.energy();
    h.startMass = start.mass();
    h.startEnergy = start.energy();
    h.pdV = st.work();
    h.pistonForce = s.pressure * m.pistonArea;
    h.pistonPower = -s.pressure * s.volumeRate;
    h.timeSteps = sim.stepCount();
    h.lastTimeStep = sim.lastStepSize();
    for (size_t j = 0; j < m.valves.size(); ++j) {
        const ValveFlowState &f = s.valves[j];
        h.valves.push_back({st.lift(j), st.velocity(j), f.acceleration, f.area, f.pressureDrop, f.massFlow,
                            f.gasForce, f.springForce, st.valveMass(j), st.valveEnthalpy(j), sim.impacts()[j]});
    }
    return h;
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

// What the run will cost: the surface grid and its texts; the time steps of
// the Courant number times the smaller of a degree of crank angle and the
// plates' time scale (lumped/timestep.h); Output.txt, Summary.txt and the
// surface files of every whole degree.
RunCost lumpedRunCost(const ChamberModel &model, const SurfaceGrid &grid, const OutputSchedule &schedule,
                      double courant, const RunOptions &options)
{
    namespace columns = formats::surfacecolumns;
    const double discPoints = static_cast<double>(grid.ringRadii.size()) * grid.pointsPerRing();
    const double sidePoints = (grid.axialCells + 1.0) * grid.pointsPerRing();
    const double stepBytes = 2 * runcost::surfaceFileBytes(discPoints, columns::planar::count)
                             + runcost::surfaceFileBytes(sidePoints, columns::side::count);
    RunCost cost;
    cost.memoryFor = "the surface grid";
    cost.memoryBytes = (discPoints + sidePoints) * 128 + stepBytes;
    const double degree = (M_PI / 180.0) / model.crank.omega();
    const double step = courant * std::min(degree, runcost::plateTimeScale(model, model.valvesHeldShut));
    cost.timeSteps = std::ceil(runcost::duration(model, schedule.phiMax) / step);
    cost.outputBytes = runcost::historyBytes(model, schedule) + (options.writeSurfaces ? schedule.steps * stepBytes : 0);
    return cost;
}

void runSimulation(const CylinderInput &cyl, const ValveInput &valves, ChamberModel model,
                   const std::filesystem::path &caseDir, const RunOptions &options, RunLog &log, RunResult &result,
                   const std::string &cylinderFile)
{
    double courant = cyl.courantNumber;
    if (courant > 2.0) {
        log.line("Note: Courant number " + fmt(courant) + " reduced to 2 (stability of the time integration).");
        courant = 2.0;
    }
    const SurfaceGrid grid = makeSurfaceGrid(cyl.pistonDiameter, cyl.rodDiameter, cyl.n1, cyl.n2, cyl.n3,
                                             cyl.gradingPiston, cyl.gradingRod);
    const OutputSchedule schedule(cyl.phiMax, options.outputIntervalDeg);
    RunLimits limits;
    limits.memoryBytes = physicalMemoryBytes();
    limits.diskBytes = options.diskBytes > 0 ? options.diskBytes : freeDiskBytes(caseDir);
    checkRunCost(lumpedRunCost(model, grid, schedule, courant, options), limits, log, cylinderFile);

    Simulation sim(std::move(model), courant);
    sim.afterStep = options.afterStep;
    result.start = sim.state();

    const SurfaceWriter surfaces(grid, caseDir);
    HistoryWriter history(caseDir / formats::caselayout::historyFile, sim.model());
    const double coreRadius = 0.5 * valves.valveDiameter;
    const double degreesPerSecond = sim.model().crank.omega() * 180.0 / M_PI;

    log.line(schedule.targetLine());
    history.append(0, historyInstant(sim, result.start));
    Totals revolutionStart = totalsOf(sim);
    for (long long line = 1; line <= schedule.lines; ++line) {
        const double angle = schedule.angle(line);
        sim.advanceTo(angle / degreesPerSecond);
        requirePhysicalState(sim.snapshot());
        history.append(line, historyInstant(sim, result.start));
        long long degree = 0;
        const bool wholeDegree = OutputSchedule::wholeDegree(angle, degree);
        if (options.writeSurfaces && wholeDegree && degree >= 1 && degree <= schedule.steps)
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
    logResults(log, result.revolutions, result.cycle, sim.stepCount());
}

} // namespace

ChamberModel makeChamberModel(const CylinderInput &c, const ValveInput &v, double pocketVolume)
{
    ChamberModel m;
    static_cast<Compressor &>(m) = makeCompressor(c, v);
    m.pocketVolume = pocketVolume * static_cast<double>(m.valves.size());
    return m;
}

RunResult runLumpedCase(const std::filesystem::path &root, const RunOptions &options)
{
    RunResult result;
    const auto model = [&](const CaseInputs &inputs, const std::filesystem::path &caseDirectory, RunLog &log) {
        ChamberModel model = makeChamberModel(inputs.cylinder, inputs.valves, inputs.pocket.volume);
        model.valvesHeldShut = options.holdValvesShut;
        logInputs(log, inputs, "inner block of the surface grid", "not used by the lumped model");
        logDerived(log, model);
        log.line("  clearance volume (m^3)        " + fmt(model.clearanceVolume()) + " incl. "
                 + std::to_string(model.valves.size()) + " pockets");
        checkPocketMesh(log, inputs.pocketMesh, inputs.valves);
        runSimulation(inputs.cylinder, inputs.valves, std::move(model), caseDirectory, options, log, result,
                      (inputs.root / formats::caselayout::cylinderInput).string());
    };
    static_cast<RunStatus &>(result) = runInCase(root, options.echo, "euler: lumped chamber model with valve dynamics", model);
    return result;
}

} // namespace euler
