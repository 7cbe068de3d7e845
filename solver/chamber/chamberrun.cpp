#include "chamber/chamberrun.h"

#include "chamber/paraviewoutput.h"
#include "chamber/wallfiles.h"
#include "fv/parallel.h"
#include "io/historywriter.h"
#include "pockets/pocketcolumns.h"
#include "io/inputerror.h"
#include "io/numberformat.h"
#include "io/outputschedule.h"
#include "io/runbudget.h"
#include "io/runlog.h"
#include "io/summarywriter.h"
#include "io/systemmemory.h"

#include "formats/caselayout.h"
#include "formats/solverlog.h"
#include "formats/surfacecolumns.h"

#include <cmath>
#include <limits>
#include <memory>

namespace euler::chamber {
namespace {

// The 3D scheme (SSP-RK2 or SSP-RK3 with limited reconstruction, both of
// SSP coefficient 1) is stable up to Courant numbers of about 1.
constexpr double largestCourantNumber = 1.0;
// Progress lines in euler.log, deg.
constexpr int progressIntervalDeg = 5;

std::string fmt(double v)
{
    return formatNumber(v);
}

std::string meshName(const ChamberMeshSpec &spec)
{
    return "the chamber mesh for n1 = " + std::to_string(spec.n1) + ", n2 = " + std::to_string(spec.n2)
           + ", n3 = " + std::to_string(spec.n3) + " (" + fmt(meshCounts(spec).cells) + " cells)";
}

// Refuses, before anything is allocated, a mesh the solver cannot number.
void checkMeshNumbering(const ChamberSetup &setup, const std::string &cylinderFile)
{
    if (meshCounts(setup.mesh).faces + pocketCounts(setup).faces > static_cast<double>(std::numeric_limits<Index>::max()))
        throw inputError(cylinderFile, meshName(setup.mesh) + " has more faces than the solver can number");
}

// The smallest cell's length scale 2 V / sum|A| at top dead centre, from the
// cross-section alone: for a box of sides a, b, c it is 1 / (1/a + 1/b + 1/c),
// here with the thinnest layer, ring and arc of the mesh together.
double smallestCellLength(const ChamberMeshSpec &spec, double gap)
{
    const CrossSection s = crossSection(spec);
    double ring = std::numeric_limits<double>::infinity();
    for (size_t k = 1; k < s.ringRadii.size(); ++k)
        ring = std::min(ring, s.ringRadii[k] - s.ringRadii[k - 1]);
    const double core = s.coreRadius * M_SQRT2 / s.coreCells;
    const double arc = 2 * M_PI * s.coreRadius / s.circumferential;
    const double layer = gap / spec.n3;
    return 1.0 / (1.0 / layer + 1.0 / std::min(ring, core) + 1.0 / std::min(arc, core));
}

// What the run will cost: the solver's own memory estimate of the mesh; the
// time steps of the Courant number times the smaller of the smallest cell's
// crossing time (sound at the hotter plenum's temperature plus the piston's
// largest speed) and the plates' time scale; Output.txt, Summary.txt, the
// wall files of every whole degree and the ParaView files.
RunCost chamberRunCost(const ChamberSetup &setup, const OutputSchedule &schedule, const ChamberRunOptions &options)
{
    const Compressor &m = setup.compressor;
    const ChamberMeshSpec &spec = setup.mesh;
    const MeshCounts chamber = meshCounts(spec), pockets = pocketCounts(setup);
    const MeshCounts counts{chamber.cells + pockets.cells, chamber.nodes + pockets.nodes, chamber.faces + pockets.faces};
    RunCost cost;
    cost.memoryBytes = chamberMemoryBytes(spec, pockets);
    cost.memoryFor = meshName(spec);

    const double hottest = std::max(m.suction.temperature, m.discharge.temperature);
    const double pistonSpeed = m.crank.omega() * m.crank.stroke(); // above r omega (1 + r/L)
    const double cellTime = smallestCellLength(spec, m.crank.gap(0)) / (m.gas.soundSpeed(hottest) + pistonSpeed);
    const double step = setup.courantNumber * std::min(cellTime, runcost::plateTimeScale(m, setup.valvesHeldShut));
    cost.timeSteps = std::ceil(runcost::duration(m, schedule.phiMax) / step);

    const CrossSection s = crossSection(spec);
    const double pointsPerRow = 4.0 * s.coreCells + 1;
    const double discPoints = (s.coreCells / 2 + s.rings() + 1) * pointsPerRow;
    const double sidePoints = (spec.n3 + 1) * pointsPerRow;
    namespace columns = formats::surfacecolumns;
    const double wallBytes = 2 * runcost::surfaceFileBytes(discPoints, columns::planar::count)
                             + runcost::surfaceFileBytes(sidePoints, columns::side::count);
    cost.outputBytes = runcost::historyBytes(m, schedule) + (options.writeSurfaces ? schedule.steps * wallBytes : 0);
    if (options.paraViewIntervalDeg > 0) {
        const double files = std::floor(schedule.phiMax / options.paraViewIntervalDeg) + 1;
        const double vtu = 4096 + counts.cells * (8 * 4 + 4 + 1 + 6 * 4) + counts.nodes * 3 * 4;
        cost.outputBytes += files * (vtu + 128);
    }
    return cost;
}

void checkChamberRunCost(const ChamberSetup &setup, const OutputSchedule &schedule, const ChamberRunOptions &options,
                         const std::filesystem::path &caseDir, RunLog &log, const std::string &cylinderFile)
{
    RunLimits limits;
    limits.memoryBytes = options.memoryBytes > 0 ? options.memoryBytes : physicalMemoryBytes();
    if (options.memoryBytes > 0)
        limits.memoryName = "the limit is";
    limits.diskBytes = options.diskBytes > 0 ? options.diskBytes : freeDiskBytes(caseDir);
    checkRunCost(chamberRunCost(setup, schedule, options), limits, log, cylinderFile);
    checkMeshNumbering(setup, cylinderFile);
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
    if (options.scheme)
        setup.scheme = *options.scheme;
    logInputs(log, inputs, "radius of the mesh's inner rings", "not used: the gas is inviscid");
    logDerived(log, setup.compressor);
    checkPocketMesh(log, inputs.pocketMesh, inputs.valves);
    if (setup.courantNumber > largestCourantNumber) {
        log.line("Note: Courant number " + fmt(setup.courantNumber) + " reduced to " + fmt(largestCourantNumber)
                 + " (stability of the time integration).");
        setup.courantNumber = largestCourantNumber;
    }
    const OutputSchedule schedule(cyl.phiMax, options.outputIntervalDeg);
    checkChamberRunCost(setup, schedule, options, caseDir, log, (inputs.root / formats::caselayout::cylinderInput).string());
    if (options.threads > 0)
        fv::setThreadCount(options.threads);

    ChamberSimulation sim(setup);
    sim.afterStep = options.afterStep;
    result.cells = sim.solver().mesh().cellCount();
    if (options.threads <= 0)
        fv::setThreadCount(fv::threadsForCells(result.cells));
    logMesh(log, sim, fv::threadCount());

    const Compressor &m = sim.compressor();
    WallFiles walls(sim, caseDir);
    std::unique_ptr<ParaViewOutput> paraView;
    if (options.paraViewIntervalDeg > 0)
        paraView = std::make_unique<ParaViewOutput>(sim, caseDir);
    HistoryWriter history(caseDir / formats::caselayout::historyFile, m);
    const double degreesPerSecond = m.crank.omega() * 180.0 / M_PI;

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
