#include "chamber/chamberrun.h"

#include "chamber/paraviewoutput.h"
#include "chamber/wallfiles.h"
#include "fv/parallel.h"
#include "io/historywriter.h"
#include "pockets/pocketcolumns.h"
#include "io/inputerror.h"
#include "io/numberformat.h"
#include "io/outputschedule.h"
#include "io/runlog.h"
#include "io/summarywriter.h"
#include "io/systemmemory.h"

#include "formats/caselayout.h"
#include "formats/solverlog.h"

#include <cmath>
#include <limits>
#include <memory>

namespace euler::chamber {
namespace {

// The 3D scheme (SSP-RK3 with limited reconstruction) is stable up to
// Courant numbers of about 1.
constexpr double largestCourantNumber = 1.0;
// Progress lines in euler.log, deg.
constexpr int progressIntervalDeg = 5;

std::string fmt(double v)
{
    return formatNumber(v);
}

std::string gigabytes(double bytes)
{
    return formatNumber(bytes / 1e9, 3) + " GB";
}

// Refuses, before anything is allocated, a mesh the machine cannot hold or
// the solver cannot number.
void checkMeshSize(const ChamberSetup &setup, double memoryBytes, const std::string &memoryName,
                   const std::string &cylinderFile)
{
    const ChamberMeshSpec &spec = setup.mesh;
    const MeshCounts counts = meshCounts(spec), pockets = pocketCounts(setup);
    const std::string mesh = "the chamber mesh for n1 = " + std::to_string(spec.n1) + ", n2 = " + std::to_string(spec.n2)
                             + ", n3 = " + std::to_string(spec.n3) + " has " + fmt(counts.cells) + " cells";
    const double need = chamberMemoryBytes(spec, pockets);
    if (memoryBytes > 0 && need > memoryBytes)
        throw inputError(cylinderFile, mesh + " and would need about " + gigabytes(need) + " of memory; "
                                           + memoryName + " " + gigabytes(memoryBytes));
    if (counts.faces + pockets.faces > static_cast<double>(std::numeric_limits<Index>::max()))
        throw inputError(cylinderFile, mesh + ", more than the solver can number");
}

std::string progressLine(ChamberSimulation &sim)
{
    const HistoryInstant h = sim.historyInstant();
    std::string line = formats::solverlog::progressPrefix + fmt(sim.crankAngleDeg()) + " deg: p " + fmt(h.pressure)
                       + " Pa, T " + fmt(h.temperature) + " K, lifts (mm)";
    for (const ValveInstant &v : h.valves)
        line += " " + fmt(v.lift * 1e3);
    return line + ", steps " + std::to_string(sim.stepCount());
}

void logMesh(RunLog &log, const ChamberSimulation &sim, int threads)
{
    const ChamberMesh &mesh = sim.mesh();
    const CrossSection &s = mesh.section();
    const fv::Solver &solver = sim.solver();
    const pockets::PlacedPockets &placed = sim.pockets();
    const Index chamberCells = placed.count() > 0 ? placed.firstCell : solver.mesh().cellCount();
    double chamber = 0, pockets = 0, smallest = std::numeric_limits<double>::infinity(), smallestPocket = smallest;
    for (Index c = 0; c < solver.mesh().cellCount(); ++c) {
        const size_t i = static_cast<size_t>(c);
        (c < chamberCells ? chamber : pockets) += solver.geometry().volume[i];
        double &h = c < chamberCells ? smallest : smallestPocket;
        h = std::min(h, solver.geometry().lengthScale[i]);
    }
    log.line("Chamber mesh:");
    log.line("  cells, nodes, faces           " + std::to_string(solver.mesh().cellCount()) + ", "
             + std::to_string(solver.mesh().nodeCount()) + ", " + std::to_string(solver.mesh().faceCount()) + " ("
             + std::to_string(chamberCells) + " cells in the chamber, " + std::to_string(placed.cellsPerPocket)
             + " in each pocket)");
    log.line("  cross-section                 core " + std::to_string(s.coreCells) + " x " + std::to_string(s.coreCells)
             + " cells (corners at radius " + fmt(s.coreRadius) + " m), " + std::to_string(s.rings()) + " rings, "
             + std::to_string(s.circumferential) + " cells round the bore");
    log.line("  layers head to piston         " + std::to_string(mesh.layers()));
    log.line("  clearance volume (m^3)        " + fmt(chamber + pockets) + " (chamber " + fmt(chamber) + ", pockets "
             + fmt(pockets) + ")");
    log.line("  smallest cell length (m)      " + fmt(smallest) + " in the chamber at top dead centre"
             + (placed.count() > 0 ? ", " + fmt(smallestPocket) + " in the pockets" : std::string()));
    for (size_t j = 0; j < sim.valves().count(); ++j)
        log.line("  " + sim.compressor().valves[j].name() + " on " + std::to_string(sim.valves().openings()[j].faces.size())
                 + " seat faces of its pocket at " + fmt(sim.compressor().valves[j].pocketAngle * 180 / M_PI) + " deg");
    log.line("  solver threads                " + std::to_string(threads));
}

void runChamber(const CaseInputs &inputs, const std::filesystem::path &caseDir, const ChamberRunOptions &options,
                RunLog &log, ChamberRunResult &result)
{
    const CylinderInput &cyl = inputs.cylinder;
    ChamberSetup setup = chamberSetup(cyl, inputs.valves, &inputs.pocket, options.holdValvesShut);
    logInputs(log, inputs, "radius of the mesh's inner rings", "not used: the gas is inviscid");
    logDerived(log, setup.compressor);
    checkPocketMesh(log, inputs.pocketMesh, inputs.valves);
    if (setup.courantNumber > largestCourantNumber) {
        log.line("Note: Courant number " + fmt(setup.courantNumber) + " reduced to " + fmt(largestCourantNumber)
                 + " (stability of the time integration).");
        setup.courantNumber = largestCourantNumber;
    }
    const bool ownLimit = options.memoryBytes > 0;
    checkMeshSize(setup, ownLimit ? options.memoryBytes : physicalMemoryBytes(),
                  ownLimit ? "the limit is" : "this machine has", (inputs.root / formats::caselayout::cylinderInput).string());
    if (options.threads > 0)
        fv::setThreadCount(options.threads);

    ChamberSimulation sim(setup);
    sim.afterStep = options.afterStep;
    result.cells = sim.solver().mesh().cellCount();
    logMesh(log, sim, fv::threadCount());

    const Compressor &m = sim.compressor();
    WallFiles walls(sim, caseDir);
    std::unique_ptr<ParaViewOutput> paraView;
    if (options.paraViewIntervalDeg > 0)
        paraView = std::make_unique<ParaViewOutput>(sim, caseDir);
    HistoryWriter history(caseDir / formats::caselayout::historyFile, m);
    const double degreesPerSecond = m.crank.omega() * 180.0 / M_PI;
    const OutputSchedule schedule(cyl.phiMax, options.outputIntervalDeg);

    log.line(schedule.targetLine());
    const HistoryInstant initial = sim.historyInstant();
    history.append(0, initial);
    if (paraView)
        paraView->write(0, sim);
    const Totals start = sim.totals();
    Totals revolutionStart = start;
    for (long long line = 1; line <= schedule.lines; ++line) {
        const double angle = schedule.angle(line);
        sim.advanceTo(angle / degreesPerSecond);
        history.append(line, sim.historyInstant());
        long long degree = 0;
        if (!OutputSchedule::wholeDegree(angle, degree))
            continue;
        if (options.writeSurfaces && degree >= 1 && degree <= schedule.steps)
            walls.write(static_cast<int>(degree), sim);
        if (paraView && degree % options.paraViewIntervalDeg == 0)
            paraView->write(static_cast<int>(degree), sim);
        if (degree > 0 && degree % 360 == 0) {
            const Totals now = sim.totals();
            result.revolutions.push_back(cycleBetween(m, cyl.suctionDensity, revolutionStart, now, true));
            revolutionStart = now;
        }
        if (degree % progressIntervalDeg == 0)
            log.line(progressLine(sim));
    }
    history.close();

    result.cycle = result.revolutions.empty() ? cycleBetween(m, cyl.suctionDensity, start, sim.totals(), false)
                                              : result.revolutions.back();
    result.ideal = idealCycle(m, initial.volume);
    result.impacts = sim.impacts();
    result.timeSteps = sim.stepCount();
    writeFile(caseDir / formats::caselayout::summaryFile,
              summaryText(cyl.caseName, m, result.cycle, result.ideal, result.impacts));
    logResults(log, result.revolutions, result.cycle, sim.stepCount());
}

} // namespace

ChamberSetup chamberSetup(const CylinderInput &cyl, const ValveInput &valves, const pockets::PocketProper *pocket,
                          bool valvesHeldShut)
{
    ChamberSetup setup;
    setup.compressor = makeCompressor(cyl, valves);
    setup.mesh = {0.5 * cyl.pistonDiameter, 0.5 * cyl.rodDiameter, cyl.n1, cyl.n2, cyl.n3, cyl.gradingPiston,
                  cyl.gradingRod};
    setup.courantNumber = cyl.courantNumber;
    setup.valvesHeldShut = valvesHeldShut;
    if (pocket) {
        std::vector<double> angles;
        std::vector<std::string> names;
        for (const Valve &v : setup.compressor.valves) {
            angles.push_back(v.pocketAngle);
            names.push_back(v.name());
        }
        pockets::checkPocketsApart(*pocket, angles, names, formats::caselayout::valveInput);
        auto merged = std::make_shared<pockets::PocketProper>(*pocket);
        pockets::mergeColumns(*merged);
        setup.pocket = std::move(merged);
    }
    return setup;
}

ChamberRunResult runChamberCase(const std::filesystem::path &root, const ChamberRunOptions &options)
{
    ChamberRunResult result;
    const auto model = [&](const CaseInputs &inputs, const std::filesystem::path &caseDirectory, RunLog &log) {
        runChamber(inputs, caseDirectory, options, log, result);
    };
    static_cast<RunStatus &>(result)
        = runInCase(root, options.echo, "euler: three-dimensional Euler flow in the chamber", model);
    return result;
}

} // namespace euler::chamber
