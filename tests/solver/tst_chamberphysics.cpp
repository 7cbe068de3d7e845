// Physics checks of the three-dimensional chamber on small meshes: exact
// preservation of uniform states on the moving mesh, adiabatic compression,
// closed balances while the valves flow, symmetry, thread independence.
#include "chambertestcase.h"

#include "fv/parallel.h"
#include "io/inputerror.h"
#include "lumped/cyclestats.h"

#include <QRegularExpression>
#include <QtTest>

#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

using namespace euler;
using namespace euler::chamber;
using namespace chambertest;

class TstChamberPhysics : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void layersStayUniformWhileThePistonMoves();
    void restingGasStaysAtRestOnTheMovingMesh();
    void adiabaticCompressionKeepsPVGamma();
    void balancesCloseWhileTheValvesFlow_data();
    void balancesCloseWhileTheValvesFlow();
    void symmetricValvesGiveSymmetricFields();
    void resultsDoNotDependOnTheThreadCount();
    void unphysicalStateStopsWithCrankAngleAndCell();
    void agreesWithTheLumpedModelOnTheSampleCase();
};

namespace {

// Steps until at least `steps` steps are done, in pieces of a tenth degree.
void runSteps(ChamberSimulation &sim, long long steps)
{
    for (int k = 1; sim.stepCount() < steps; ++k)
        sim.advanceTo(timeAt(sim, 0.1 * k));
}

// The sample's crank drive at another speed.
SliderCrank sampleCrank(double rpm)
{
    const CylinderInput c = solvertest::sampleCylinder();
    return SliderCrank(c.crankRadius, c.conrodLength, c.minimalGap, rpm);
}

// The cell whose centroid is the mirror image x -> -x of cell c's.
std::vector<Index> mirrorCells(const fv::Solver &solver)
{
    const fv::Geometry &g = solver.geometry();
    const auto key = [](double x, double y, double z) {
        return std::make_tuple(std::llround(x * 1e9), std::llround(y * 1e9), std::llround(z * 1e9));
    };
    std::map<std::tuple<long long, long long, long long>, Index> byCentre;
    for (Index c = 0; c < solver.mesh().cellCount(); ++c)
        byCentre[key(g.cellX[size_t(c)], g.cellY[size_t(c)], g.cellZ[size_t(c)])] = c;
    std::vector<Index> mirror;
    for (Index c = 0; c < solver.mesh().cellCount(); ++c)
        mirror.push_back(byCentre.at(key(-g.cellX[size_t(c)], g.cellY[size_t(c)], g.cellZ[size_t(c)])));
    return mirror;
}

// The volume-mean pressure of cells [first, first + count).
double poolPressure(const ChamberSimulation &sim, Index first, Index count)
{
    const fv::Solver &s = sim.solver();
    double pV = 0, V = 0;
    for (Index c = first; c < first + count; ++c) {
        pV += s.primitives()[fv::Pressure][size_t(c)] * s.volumes()[size_t(c)];
        V += s.volumes()[size_t(c)];
    }
    return pV / V;
}

} // namespace

void TstChamberPhysics::init()
{
    fv::setThreadCount(1);
}

// With the valves shut the piston compresses the gas along the axis only:
// every layer of cells stays uniform across the section to rounding and no
// velocity across the axis arises, on an O-grid of skewed core cells (a bare
// chamber: the pockets would take gas from the side wall).
void TstChamberPhysics::layersStayUniformWhileThePistonMoves()
{
    ChamberSetup setup = sampleSetup(3, 1, 3, true, Pockets::None);
    setup.compressor.crank = sampleCrank(3300);
    ChamberSimulation sim(setup);
    const double p0 = sim.historyInstant().pressure;
    runSteps(sim, 1000);
    const fv::PrimitiveFields &w = sim.solver().primitives();
    const Index perLayer = sim.mesh().cellsPerLayer();
    double worst = 0, crossSpeed = 0, axialSpeed = 0;
    for (int layer = 0; layer < sim.mesh().layers(); ++layer) {
        const size_t first = size_t(layer * perLayer);
        for (Index k = 0; k < perLayer; ++k) {
            const size_t c = first + size_t(k);
            worst = std::max({worst, std::fabs(w[fv::Rho][c] / w[fv::Rho][first] - 1),
                              std::fabs(w[fv::Pressure][c] / w[fv::Pressure][first] - 1)});
            const double sound = std::sqrt(1.3 * w[fv::Pressure][c] / w[fv::Rho][c]);
            crossSpeed = std::max(crossSpeed, std::hypot(w[fv::VelocityX][c], w[fv::VelocityY][c]) / sound);
            axialSpeed = std::max(axialSpeed, std::fabs(w[fv::VelocityZ][c]));
        }
    }
    QVERIFY2(worst < 1e-12, qPrintable(QString::number(worst)));
    QVERIFY2(crossSpeed < 1e-12, qPrintable(QString::number(crossSpeed)));
    // The check was not trivial: the gas expanded and moves along the axis.
    QVERIFY(axialSpeed > 0.1);
    QVERIFY(sim.historyInstant().pressure < 0.9 * p0);
}

// The geometric conservation law on the chamber mesh: its inner planes move
// with the piston's time law between a head and a piston held in place, and
// a gas at rest stays exactly at rest.
void TstChamberPhysics::restingGasStaysAtRestOnTheMovingMesh()
{
    const ChamberSetup setup = sampleSetup(3, 1, 4, true);
    const SliderCrank crank = sampleCrank(3300);
    const double s0 = crank.gap(0);
    const ChamberMesh mesh(setup.mesh, s0);
    fv::Solver solver(mesh.hex(), fv::IdealGasEos(setup.compressor.gas));
    const fv::PointState rest{30, 0, 0, 0, 4.5e6};
    solver.setUniformState(rest);

    struct InnerPlanes : fv::StepHooks
    {
        const ChamberMesh &mesh;
        SliderCrank crank;
        double s0;
        InnerPlanes(const ChamberMesh &m, const SliderCrank &c, double s) : mesh(m), crank(c), s0(s) {}
        bool nodePositions(double t, fv::NodePositions &nodes) override
        {
            const double f = 1 - s0 / crank.gap(crank.omega() * t); // in [0, 1)
            nodes.assign(mesh.hex());
            for (size_t n = 0; n < nodes.z.size(); ++n) {
                nodes.z[n] = innerPlaneHeight(s0, f, mesh.zeta()[n]);
            }
            return true;
        }
    } hooks(mesh, crank, s0);
    const double dt = solver.stableTimeStep(0.5);
    for (int i = 0; i < 1000; ++i)
        solver.step(dt, hooks);
    QVERIFY(crank.gap(crank.omega() * solver.time()) > 1.5 * s0); // the planes moved far
    const double worst = departureFromRest(solver.primitives(), rest);
    QVERIFY2(worst < 1e-12, qPrintable(QString::number(worst)));
}

// Valves shut and a slow piston: the chamber-mean state follows the
// adiabat, p V^gamma constant, through expansion and compression.
void TstChamberPhysics::adiabaticCompressionKeepsPVGamma()
{
    ChamberSetup setup = sampleSetup(2, 0, 1, true);
    setup.compressor.crank = sampleCrank(110);
    ChamberSimulation sim(setup);
    const auto pvGamma = [&] {
        const HistoryInstant h = sim.historyInstant();
        return h.pressure * std::pow(h.volume, setup.compressor.gas.gamma);
    };
    const double start = pvGamma();
    sim.advanceTo(timeAt(sim, 180));
    const double bottom = pvGamma();
    double worst = 0;
    for (int deg = 190; deg <= 360; deg += 10) {
        sim.advanceTo(timeAt(sim, deg));
        worst = std::max(worst, std::fabs(pvGamma() / bottom - 1));
    }
    qInfo("p V^gamma: %.2e from bottom to top dead centre, %.2e over the revolution", worst,
          std::fabs(pvGamma() / start - 1));
    QVERIFY2(worst < 0.005, qPrintable(QString::number(worst)));
    QVERIFY(std::fabs(bottom / start - 1) < 0.005);
}

void TstChamberPhysics::balancesCloseWhileTheValvesFlow_data()
{
    QTest::addColumn<int>("stages");
    QTest::newRow("SSP-RK2") << 2;
    QTest::newRow("SSP-RK3") << 3;
}

void TstChamberPhysics::balancesCloseWhileTheValvesFlow()
{
    QFETCH(int, stages);
    ChamberSetup setup = sampleSetup(3, 1, 2);
    setup.scheme = sspScheme(stages);
    ChamberSimulation sim(setup);
    Balances worst;
    for (int deg = 5; deg <= 45; deg += 5) {
        sim.advanceTo(timeAt(sim, deg));
        const Balances b = balances(sim);
        worst.mass = std::max(worst.mass, std::fabs(b.mass));
        worst.energy = std::max(worst.energy, std::fabs(b.energy));
    }
    const HistoryInstant h = sim.historyInstant();
    QVERIFY(h.valves[0].massSum > 0.1 * h.mass); // the suction valves let gas in
    QVERIFY(h.pdV > 0);                          // while the gas pushed the piston
    QVERIFY2(worst.mass < 1e-12, qPrintable(QString::number(worst.mass)));
    QVERIFY2(worst.energy < 1e-12, qPrintable(QString::number(worst.energy)));
}

// The sample's valves lie mirror-symmetric about the y axis (30 and 150 deg,
// 210 and 330 deg), and so do the fields, while the suction valves open.
void TstChamberPhysics::symmetricValvesGiveSymmetricFields()
{
    ChamberSimulation sim(sampleSetup(3, 1, 2));
    sim.advanceTo(timeAt(sim, 30));
    QVERIFY(sim.historyInstant().valves[0].lift > 0);
    const std::vector<Index> mirror = mirrorCells(sim.solver());
    const fv::PrimitiveFields &w = sim.solver().primitives();
    double worst = 0, speed = 0;
    for (size_t c = 0; c < mirror.size(); ++c) {
        const size_t m = size_t(mirror[c]);
        worst = std::max({worst, std::fabs(w[fv::Rho][c] / w[fv::Rho][m] - 1),
                          std::fabs(w[fv::Pressure][c] / w[fv::Pressure][m] - 1),
                          std::fabs(w[fv::VelocityX][c] + w[fv::VelocityX][m]) / 400,
                          std::fabs(w[fv::VelocityY][c] - w[fv::VelocityY][m]) / 400,
                          std::fabs(w[fv::VelocityZ][c] - w[fv::VelocityZ][m]) / 400});
        speed = std::max(speed, std::hypot(w[fv::VelocityX][c], w[fv::VelocityY][c]));
    }
    QVERIFY(speed > 1); // the jets of the suction valves
    // The mirrored pockets' cells sum their join pieces in other orders: the
    // rounding differences, 1e-14 at first, reach some 1e-9 by the time the
    // valves open (a fault in the mirrored geometry or flows shows at 1e-3).
    QVERIFY2(worst < 1e-8, qPrintable(QString::number(worst)));
}

void TstChamberPhysics::resultsDoNotDependOnTheThreadCount()
{
    std::vector<std::vector<double>> states;
    for (int threads : {1, 2}) {
        fv::setThreadCount(threads);
        ChamberSimulation sim(sampleSetup(3, 1, 2));
        sim.advanceTo(timeAt(sim, 25));
        std::vector<double> state(sim.solver().scalars());
        for (const auto &field : sim.solver().integrated().v)
            state.insert(state.end(), field.begin(), field.end());
        states.push_back(state);
    }
    QCOMPARE(states[0].size(), states[1].size());
    QVERIFY(std::memcmp(states[0].data(), states[1].data(), states[0].size() * sizeof(double)) == 0);
}

void TstChamberPhysics::unphysicalStateStopsWithCrankAngleAndCell()
{
    ChamberSimulation sim(sampleSetup(2, 0, 1));
    sim.advanceTo(timeAt(sim, 2));
    sim.setCellState(7, {30, 0, 0, 0, -1e5});
    try {
        sim.advanceTo(timeAt(sim, 3));
        QFAIL("ran on");
    } catch (const RunError &e) {
        QCOMPARE(e.exitCode(), 3);
        // Within the step after 2 deg, in the first cell the bad one spoiled.
        const QRegularExpression reason(QStringLiteral("diverged at crank angle 2(\\.0\\d*)? deg: .* in cell \\d+ "));
        QVERIFY2(reason.match(QString::fromLatin1(e.what())).hasMatch(), e.what());
    }
}

// Both models on the same chamber: the mesh's cross-section, no pockets.
// Two revolutions on a coarse mesh; the second counts. The chamber-mean
// pressure is compared where every valve of both models has been shut for
// 15 deg (the pressure waves of a closing valve die down by then).
void TstChamberPhysics::agreesWithTheLumpedModelOnTheSampleCase()
{
    ChamberSetup setup = sampleSetup(2, 0, 1);
    ChamberSimulation sim(setup);
    double section = 0;
    for (Index f : sim.headFaces())
        section += sim.solver().geometry().area[size_t(f)];
    setup.compressor.pistonArea = section;
    // Both models on the same geometry: the lumped chamber holds the pockets
    // proper of the 3D mesh.
    ChamberModel model = makeChamberModel(solvertest::sampleCylinder(), solvertest::sampleValves(), coarsePocket().volume);
    model.pistonArea = section;
    Simulation lumped(model, 0.5);
    const double suctionDensity = solvertest::sampleCylinder().suctionDensity;

    Totals start3d = sim.totals(), startLumped = totalsOf(lumped);
    double worstPressure = 0, lastOpen = -1e9;
    // Pressure drops between the chamber (its own cells) and the valves'
    // seats while they are open, means over the second revolution.
    double suctionDrop = 0, dischargeDrop = 0, pocketDrop = 0;
    int suctionSamples = 0, dischargeSamples = 0;
    for (int tenth = 1; tenth <= 7200; ++tenth) {
        const double deg = 0.1 * tenth;
        sim.advanceTo(timeAt(sim, deg));
        lumped.advanceTo(timeAt(sim, deg));
        if (tenth == 3600) {
            start3d = sim.totals();
            startLumped = totalsOf(lumped);
        }
        const HistoryInstant h = sim.historyInstant();
        for (size_t j = 0; j < h.valves.size(); ++j)
            if (h.valves[j].lift > 0 || lumped.state().lift(j) > 0)
                lastOpen = deg;
        if (deg > 360) {
            const double chamber = poolPressure(sim, 0, sim.pockets().firstCell);
            const ValveOpening &s = sim.valves().openings()[0], &d = sim.valves().openings()[2];
            if (h.valves[0].lift > 0) {
                suctionDrop += s.pressure - chamber;
                ++suctionSamples;
            }
            if (h.valves[2].lift > 0) {
                dischargeDrop += chamber - d.pressure;
                pocketDrop += chamber - poolPressure(sim, sim.pockets().firstCell + 2 * sim.pockets().cellsPerPocket,
                                                     sim.pockets().cellsPerPocket);
                ++dischargeSamples;
            }
        }
        if (deg > 360 && deg - lastOpen > 15)
            worstPressure = std::max(worstPressure, std::fabs(h.pressure / lumped.snapshot().pressure - 1));
    }
    const CycleResult c3d = cycleBetween(setup.compressor, suctionDensity, start3d, sim.totals(), true);
    const CycleResult cLumped = cycleBetween(model, suctionDensity, startLumped, totalsOf(lumped), true);
    const double efficiency = c3d.volumetricEfficiency / cLumped.volumetricEfficiency - 1;
    const double work = c3d.workOnGas / cLumped.workOnGas - 1;
    qInfo("3D against lumped: volumetric efficiency %.4f against %.4f (%+.2f %%), work %.0f J against %.0f J "
          "(%+.2f %%), chamber pressure outside valve events within %.3f %%",
          c3d.volumetricEfficiency, cLumped.volumetricEfficiency, 100 * efficiency, c3d.workOnGas,
          cLumped.workOnGas, 100 * work, 100 * worstPressure);
    qInfo("mean pressure drops while open: suction seat to chamber %.0f Pa, chamber to discharge seat %.0f Pa "
          "(chamber to the discharge pocket's mean %.0f Pa)",
          suctionDrop / suctionSamples, dischargeDrop / dischargeSamples, pocketDrop / dischargeSamples);
    QVERIFY(cLumped.suctionMass > 0.5);
    // Worst just after the discharge valves shut, where the pressure falls
    // fastest: 3.3 % with SSP-RK2 on these coarse cells (few steps per wave),
    // 2.2 % with SSP-RK3, 2.5 % and 2.2 % at half the Courant number.
    QVERIFY(worstPressure < 0.04);
    QVERIFY(std::fabs(efficiency) < 0.05);
    // The gas turns on its way between chamber and seat (through the head
    // into the recess, from there into the pocket) in cells one or a few
    // across the turn, which pass it only with a pressure jump of about
    // rho a du (model document, "Against the lumped model"): the p-V loop
    // grows by that loss.
    QEXPECT_FAIL("", "the pockets' coarse cells pass the turning flow with a loss", Continue);
    QVERIFY(std::fabs(work) < 0.05);
}

QTEST_GUILESS_MAIN(TstChamberPhysics)
#include "tst_chamberphysics.moc"
