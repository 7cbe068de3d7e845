// The valve pockets joined to the chamber on small meshes: a gas at rest
// stays at rest across the sliding join and the recesses' join through the
// head, the recesses open where the head is, a pulse in one pocket reaches
// the chamber and the other pockets with the mass kept, the valves blow
// through the seats, and the pocket gas counts in the chamber's state.
#include "chambertestcase.h"

#include "chamber/chamberpockets.h"
#include "chamber/wallfiles.h"
#include "fv/parallel.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace euler;
using namespace euler::chamber;
using namespace chambertest;

class TstChamberPockets : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void restingGasStaysAtRestAcrossTheJoin_data();
    void restingGasStaysAtRestAcrossTheJoin();
    void recessesOpenWhereTheHeadIs();
    void pulseInOnePocketReachesTheOthers();
    void pocketsOpenOnlyAsHighAsTheSideWall();
    void valvesBlowThroughTheirSeats();
    void chamberStateHoldsThePocketGas();
    void sideFilesShowTheOpenings();
};

namespace {

SliderCrank sampleCrank(double rpm)
{
    const CylinderInput c = solvertest::sampleCylinder();
    return SliderCrank(c.crankRadius, c.conrodLength, c.minimalGap, rpm);
}

// The chamber mesh with the coarse pockets at the sample's angles and its
// inner planes moving with the piston's time law between a head and a
// piston held at the gap s0, z = s0 (zeta + zeta (1 - zeta) f(t)): the side
// wall's faces slide past the pockets' openings while no wall moves.
struct InnerPlanesWithPockets : fv::StepHooks
{
    ChamberMesh mesh;
    PocketedMesh all;
    fv::Solver solver;
    std::unique_ptr<pockets::BoreJoin> join;
    std::unique_ptr<pockets::HeadJoin> head;
    SliderCrank crank;
    double s0;

    InnerPlanesWithPockets(const ChamberSetup &setup, const SliderCrank &c)
        : mesh(setup.mesh, c.gap(0)),
          all(pocketedMesh(mesh.hex(), setup.pocket.get(), {M_PI / 6, 5 * M_PI / 6, 7 * M_PI / 6, 11 * M_PI / 6})),
          solver(all.hex, fv::IdealGasEos(setup.compressor.gas), setup.scheme), crank(c), s0(c.gap(0))
    {
        const std::vector<Index> side = quadFaces(solver.mesh(), mesh.hex(), mesh.firstSideQuad(),
                                                  mesh.section().circumferential * mesh.layers());
        join = joinPockets(mesh, side, all.placed, *setup.pocket, solver);
        head = joinRecesses(all.hex, quadFaces(solver.mesh(), mesh.hex(), mesh.firstHeadQuad(), mesh.cellsPerLayer()),
                            join->pieceCapacity(), solver);
    }
    double stretch(double t) const { return 1 - s0 / crank.gap(crank.omega() * t); } // in [0, 1)
    bool nodePositions(double t, fv::NodePositions &nodes) override
    {
        const double f = stretch(t);
        nodes.assign(all.hex);
        for (size_t n = 0; n < mesh.zeta().size(); ++n) {
            nodes.z[n] = innerPlaneHeight(s0, f, mesh.zeta()[n]);
        }
        return true;
    }
    void interfacePieces(double t, const fv::Geometry &geometry, fv::InterfacePieces &pieces) override
    {
        const double f = stretch(t);
        join->update([&](double zeta) { return innerPlaneHeight(s0, f, zeta); }, geometry, pieces);
        head->append(geometry, pieces);
    }
};

double poolPressure(const fv::Solver &solver, Index first, Index count)
{
    double pV = 0, V = 0;
    for (Index c = first; c < first + count; ++c) {
        pV += solver.primitives()[fv::Pressure][size_t(c)] * solver.volumes()[size_t(c)];
        V += solver.volumes()[size_t(c)];
    }
    return pV / V;
}

double pocketPressure(const ChamberSimulation &sim, int pocket)
{
    const pockets::PlacedPockets &p = sim.pockets();
    return poolPressure(sim.solver(), p.firstCell + pocket * p.cellsPerPocket, p.cellsPerPocket);
}

double chamberPressure(const ChamberSimulation &sim)
{
    return poolPressure(sim.solver(), 0, sim.pockets().firstCell);
}

} // namespace

void TstChamberPockets::init()
{
    fv::setThreadCount(1);
}

void TstChamberPockets::restingGasStaysAtRestAcrossTheJoin_data()
{
    QTest::addColumn<int>("n1");
    QTest::addColumn<int>("n2");
    QTest::addColumn<int>("n3");
    QTest::addColumn<int>("stages");
    // The sample's gap z_min is 4 mm: a tall pocket opening meets one layer
    // at first, then many as the planes spread.
    QTest::newRow("n1 3, n2 1, n3 4, SSP-RK2") << 3 << 1 << 4 << 2;
    QTest::newRow("n1 3, n2 1, n3 4, SSP-RK3") << 3 << 1 << 4 << 3;
    QTest::newRow("n1 2, n2 0, n3 7, columns finer than the pocket's") << 2 << 0 << 7 << 2;
}

// The join adds no spurious flux: every cell's faces, overlap and wall
// pieces included, close exactly as the planes slide.
void TstChamberPockets::restingGasStaysAtRestAcrossTheJoin()
{
    QFETCH(int, n1);
    QFETCH(int, n2);
    QFETCH(int, n3);
    QFETCH(int, stages);
    ChamberSetup setup = sampleSetup(n1, n2, n3, true);
    setup.scheme = sspScheme(stages);
    InnerPlanesWithPockets run(setup, sampleCrank(3300));
    const fv::PointState rest{30, 0, 0, 0, 4.5e6};
    run.solver.setUniformState(rest);
    const double dt = run.solver.stableTimeStep(0.5);
    long overlaps = 0;
    for (int i = 0; i < 1000; ++i) {
        run.solver.step(dt, run);
        overlaps = std::max<long>(overlaps, run.join->overlapCount());
    }
    QVERIFY(run.crank.gap(run.crank.omega() * run.solver.time()) > 1.5 * run.s0); // the planes moved far
    QVERIFY(overlaps > 0);
    QVERIFY(run.head && run.head->pieceCount() > 0);
    const double worst = departureFromRest(run.solver.primitives(), rest);
    QVERIFY2(worst < 1e-12, qPrintable(QString::number(worst)));
}

// The recesses open into the chamber through the head plane wherever the
// chamber's head faces cover them: all but the slivers near the bore where
// the head's flat faces cut chords off the circle.
void TstChamberPockets::recessesOpenWhereTheHeadIs()
{
    const ChamberSetup setup = sampleSetup(3, 1, 2, true);
    ChamberSimulation sim(setup);
    QVERIFY(sim.headJoin());
    const pockets::HeadJoin &head = *sim.headJoin();
    const fv::Geometry &g = sim.solver().geometry();
    const pockets::PlacedPockets &placed = sim.pockets();
    std::vector<double> area(4, 0.0), open(4, 0.0);
    for (size_t i = 0; i < head.recessFaces().size(); ++i) {
        const Index f = head.recessFaces()[i];
        const int pocket = placed.pocketOfCell(sim.solver().mesh().owner[size_t(f)]);
        QVERIFY(head.openArea()[i] <= g.area[size_t(f)] * (1 + 1e-12));
        area[size_t(pocket)] += g.area[size_t(f)];
        open[size_t(pocket)] += head.openArea()[i];
    }
    // The segments between chord and arc over the columns a recess spans.
    const double R = 0.34, column = 2 * M_PI / sim.mesh().section().circumferential;
    const double columns = std::ceil(2 * setup.pocket->halfAngle / column) + 1;
    const double slivers = columns * 0.5 * R * R * (column - std::sin(column));
    for (int p = 0; p < 4; ++p) {
        QVERIFY(open[size_t(p)] > 0);
        QVERIFY2(area[size_t(p)] - open[size_t(p)] <= slivers, qPrintable(QString::number(area[size_t(p)] - open[size_t(p)])));
        QCOMPARE(open[size_t(p)], open[0]);
    }
    // The cone reaches 40 mm inside the rim's point: an opening through the
    // head of about 0.01 m^2 per pocket.
    qInfo("recess opening through the head %.4g m^2 of %.4g per pocket", open[0], area[0]);
}

// Valves shut: a pressure pulse in the first suction valve's pocket runs
// through its opening into the chamber and on into the other pockets, and
// the gas's mass stays what it was (the pieces carry each flux to both
// sides); the energy changes by the piston's work only.
void TstChamberPockets::pulseInOnePocketReachesTheOthers()
{
    ChamberSetup setup = sampleSetup(3, 1, 2, true);
    setup.compressor.crank = sampleCrank(110);
    ChamberSimulation quiet(setup), pulsed(setup);
    const pockets::PlacedPockets &p = pulsed.pockets();
    const fv::PointState start = pulsed.solver().cellPrimitive(0);
    for (Index c = p.firstCell; c < p.firstCell + p.cellsPerPocket; ++c)
        pulsed.setCellState(c, {1.3 * start.rho, 0, 0, 0, 1.5 * start.p});
    const double mass = pulsed.solver().totals().mass;
    const double until = 4e-3; // s: a few crossings of the bore at the speed of sound
    double rise[4] = {0, 0, 0, 0}, chamberRise = 0, worstMass = 0, worstEnergy = 0;
    for (int k = 1; k <= 40; ++k) {
        quiet.advanceTo(k * until / 40);
        pulsed.advanceTo(k * until / 40);
        for (int j = 1; j < 4; ++j)
            rise[j] = std::max(rise[j], pocketPressure(pulsed, j) / pocketPressure(quiet, j) - 1);
        chamberRise = std::max(chamberRise, chamberPressure(pulsed) / chamberPressure(quiet) - 1);
        worstMass = std::max(worstMass, std::fabs(pulsed.solver().totals().mass / mass - 1));
        worstEnergy = std::max(worstEnergy, std::fabs(balances(pulsed).energy));
    }
    qInfo("pressure rise over the quiet run: chamber %.3g, pockets 2 to 4 %.3g %.3g %.3g", chamberRise, rise[1],
          rise[2], rise[3]);
    QVERIFY(chamberRise > 0.01);
    for (int j = 1; j < 4; ++j)
        QVERIFY2(rise[j] > 0.005, qPrintable(QString::number(rise[j])));
    QVERIFY2(worstMass < 1e-12, qPrintable(QString::number(worstMass)));
    QVERIFY2(worstEnergy < 1e-12, qPrintable(QString::number(worstEnergy)));
}

// The pockets open into the chamber where their openings meet the side wall
// between the head (z = 0) and the piston: at top dead centre a strip of the
// gap z_min, growing with the gap until the piston has passed the opening.
void TstChamberPockets::pocketsOpenOnlyAsHighAsTheSideWall()
{
    ChamberSimulation sim(sampleSetup(3, 1, 2, true));
    const pockets::BoreJoin &join = *sim.join();
    double top = 0;
    for (const pockets::OpeningFace &o : join.openings())
        if (o.pocket == 0)
            top = std::max(top, o.polygon.maxZ());
    sim.advanceTo(timeAt(sim, 0.5));
    const double atTop = join.pocketOpenArea(0);
    QVERIFY(atTop > 0);
    QVERIFY(atTop < 1.01 * sim.gap() * 2 * 0.1); // the pocket is 200 mm wide
    double last = atTop;
    for (int deg = 10; deg <= 180; deg += 10) {
        sim.advanceTo(timeAt(sim, deg));
        const double open = sim.join()->pocketOpenArea(0);
        QVERIFY(open >= last * (1 - 1e-12));
        last = open;
    }
    // At bottom dead centre the piston lies beyond the opening: the whole
    // half of it below the head plane is open, none above.
    QVERIFY(sim.gap() > top);
    double half = 0;
    for (size_t o = 0; o < join.openings().size(); ++o)
        if (join.openings()[o].pocket == 0)
            half += area(pockets::clipZBand(join.openings()[o].polygon, 0, top));
    QVERIFY2(std::fabs(last / half - 1) < 1e-12, qPrintable(QString::number(last / half - 1)));
}

// The valves' mass flows pass the seat faces of their pockets: with the
// suction valves open, the gas comes in at the seats and the pressure falls
// from the pockets to the chamber.
void TstChamberPockets::valvesBlowThroughTheirSeats()
{
    ChamberSimulation sim(sampleSetup(3, 1, 2));
    const fv::Mesh &mesh = sim.solver().mesh();
    for (const ValveOpening &o : sim.valves().openings()) {
        QVERIFY(!o.faces.empty());
        for (Index f : o.faces)
            QVERIFY(sim.pockets().pocketOfCell(mesh.owner[size_t(f)]) >= 0);
    }
    sim.advanceTo(timeAt(sim, 40));
    const HistoryInstant h = sim.historyInstant();
    QVERIFY(h.valves[0].massSum > 0);
    QVERIFY(h.valves[0].lift > 0);
    for (int j = 0; j < 2; ++j) // the suction valves' pockets
        QVERIFY(pocketPressure(sim, j) > chamberPressure(sim));
}

// The chamber state of Output.txt is that of all the gas, the pockets'
// included: at top dead centre its volume is the clearance volume of the
// mesh, chamber and pockets.
void TstChamberPockets::chamberStateHoldsThePocketGas()
{
    ChamberSimulation bare(sampleSetup(3, 1, 2, true, Pockets::None)), pocketed(sampleSetup(3, 1, 2, true));
    const double pockets = 4 * coarsePocket().volume;
    QVERIFY(pockets > 0);
    const HistoryInstant hb = bare.historyInstant(), hp = pocketed.historyInstant();
    QVERIFY2(std::fabs(hp.volume / (hb.volume + pockets) - 1) < 1e-12, qPrintable(QString::number(hp.volume)));
    QVERIFY2(std::fabs(hp.mass / hb.mass - hp.volume / hb.volume) < 1e-12, qPrintable(QString::number(hp.mass)));
}

// The side wall's radial velocity is the flow through the pockets'
// openings: 0 wherever the wall meets no pocket, into the chamber (negative,
// outward positive) at the suction valves' pockets while they let gas in.
void TstChamberPockets::sideFilesShowTheOpenings()
{
    ChamberSimulation sim(sampleSetup(3, 1, 2));
    sim.advanceTo(timeAt(sim, 40));
    QVERIFY(sim.historyInstant().valves[0].massFlow > 0);
    QTemporaryDir dir;
    WallFiles files(sim, dir.path().toStdString());
    const QList<QByteArray> lines = QByteArray::fromStdString(files.sideText(sim)).trimmed().split('\n');
    const double R = 0.34, column = 2 * M_PI / sim.mesh().section().circumferential;
    const double reach = coarsePocket().halfAngle + column; // a node takes its faces' mean
    double suctionInflow = 0;
    int open = 0;
    for (const QByteArray &line : lines) {
        const QList<QByteArray> f = line.simplified().split(' ');
        QVERIFY(f.size() >= 13);
        const double theta = f[6].toDouble() / R, radial = f[11].toDouble();
        double nearest = 10;
        int pocket = -1;
        for (int j = 0; j < 4; ++j) {
            const double d = std::fabs(std::remainder(theta - sim.compressor().valves[j].pocketAngle, 2 * M_PI));
            if (d < nearest) {
                nearest = d;
                pocket = j;
            }
        }
        if (nearest > reach) {
            QCOMPARE(radial, 0.0);
            continue;
        }
        open += radial != 0;
        if (pocket < 2)
            suctionInflow = std::min(suctionInflow, radial);
    }
    QVERIFY(open > 0);
    QVERIFY2(suctionInflow < -1, qPrintable(QString::number(suctionInflow)));
}

QTEST_GUILESS_MAIN(TstChamberPockets)
#include "tst_chamberpockets.moc"
